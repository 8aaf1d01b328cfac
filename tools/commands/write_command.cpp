// write: checks the values with Tolvex's rules, writes the file safely, and reads it back the
// way Tolvex will.
#include <cstring>

#include "tools/commands/operations.h"

namespace tolvex_commands {

namespace {

using tolvex::SettingsField;
using tolvex::SettingsVerdict;

// The text Tolvex reads, comma-separated: "16,800,600,1,show.exe".
void composeText(const WriteRequest& request, int fields, SettingsText& text) {
  text.clear();
  for (int i = 0; i < fields && i < 4; ++i) {
    text.append(i == 0 ? "" : ",");
    text.appendFormat("%d", static_cast<int>(request.numbers[i]));
  }
  if (fields == 5) {
    text.append(",");
    text.append(request.program);
  }
}

void readText(const SettingsText& text, Reading& reading) {
  std::uint8_t stored[SettingsText::kCapacity];
  const std::size_t size = text.length();
  std::memcpy(stored, text.c_str(), size);
  tolvex::complementBytes(stored, size);
  readStored(stored, size, reading);
}

}  // namespace

bool readsAsAsked(const WriteRequest& request, const Reading& reading) {
  const SettingsVerdict& v = reading.verdict;
  if (reading.scan.count != request.fields || v.accepted != request.fields ||
      v.result != (request.fields == 5 ? 1 : 0)) {
    return false;
  }
  if (v.depth != tolvex::appliedDepth(static_cast<std::int32_t>(request.numbers[0])) ||
      v.width != request.numbers[1] || v.height != request.numbers[2]) {
    return false;
  }
  if (request.fields >= 4 && v.strictFlag != request.numbers[3]) {
    return false;
  }
  return request.fields < 5 || std::strcmp(v.appPath.c_str(), request.program) == 0;
}

namespace {

Field fieldOf(SettingsField field) {
  switch (field) {
    case SettingsField::kDepth:
      return Field::kDepth;
    case SettingsField::kWidth:
      return Field::kWidth;
    case SettingsField::kHeight:
      return Field::kHeight;
    case SettingsField::kStrictFlag:
      return Field::kStrict;
    default:
      return Field::kProgram;
  }
}

WriteOutcome refuse(Field field, Refusal why, std::int64_t value) {
  WriteOutcome outcome;
  outcome.status = WriteStatus::kRefused;
  outcome.refused = field;
  outcome.why = why;
  outcome.value = value;
  return outcome;
}

WriteOutcome refuseByTolvex(const WriteRequest& request, SettingsField field) {
  const Field refused = fieldOf(field);
  const int index = static_cast<int>(refused) - static_cast<int>(Field::kDepth);
  WriteOutcome outcome =
      refuse(refused, Refusal::kTolvexsRule, index < 4 ? request.numbers[index] : 0);
  outcome.explanation = tolvex::rejectionExplanation(field);
  return outcome;
}

// A name Tolvex could not read back whole: a blank or a comma would end it early, and more than
// 255 bytes do not fit Tolvex's name buffer.
Refusal nameProblem(const char* name) {
  for (const char* p = name; *p != '\0'; ++p) {
    if (tolvex::isSettingsBlank(*p)) {
      return Refusal::kBlank;
    }
    if (*p == ',') {
      return Refusal::kComma;
    }
  }
  return std::strlen(name) >= tolvex::kAppNameCapacity ? Refusal::kTooLong : Refusal::kNone;
}

WriteOutcome trouble(WriteOutcome outcome, FileStep step) {
  outcome.status = WriteStatus::kTrouble;
  outcome.trouble.step = step;
  return outcome;
}

}  // namespace

WriteOutcome judgeWrite(const WriteRequest& request) {
  // Numbers Tolvex cannot read at all come first, then Tolvex's rules in its order, then the
  // name.
  const int numbers = request.fields < 4 ? request.fields : 4;
  for (int i = 0; i < numbers; ++i) {
    if (request.numbers[i] < -2147483648LL || request.numbers[i] > 2147483647LL) {
      return refuse(static_cast<Field>(static_cast<int>(Field::kDepth) + i), Refusal::kOutOfRange,
                    request.numbers[i]);
    }
  }
  WriteOutcome outcome;
  composeText(request, numbers, outcome.text);
  readText(outcome.text, outcome.readBack);
  if (outcome.readBack.verdict.result < 0) {
    return refuseByTolvex(request, outcome.readBack.verdict.rejected);
  }
  if (request.fields == 5) {
    const Refusal problem = nameProblem(request.program);
    if (problem != Refusal::kNone) {
      return refuse(Field::kProgram, problem, 0);
    }
    composeText(request, 5, outcome.text);
    readText(outcome.text, outcome.readBack);
    // An empty name leaves Tolvex with four fields; it is as short a name as any.
    if (outcome.readBack.verdict.result < 0 || request.program[0] == '\0') {
      return refuseByTolvex(request, SettingsField::kAppName);
    }
  }
  if (!readsAsAsked(request, outcome.readBack)) {
    outcome.mismatch = true;
    return trouble(outcome, FileStep::kNone);
  }
  outcome.applied = appliedRequest(outcome.readBack.verdict).request;
  return outcome;
}

WriteOutcome writeSettings(ToolIo& io, const WriteRequest& request) {
  WriteOutcome outcome = judgeWrite(request);
  if (outcome.status != WriteStatus::kWritten) {
    return outcome;
  }
  outcome.existed = io.fileExists(request.path);
  if (io.isFolder(request.path)) {
    outcome.status = WriteStatus::kFolder;
    return outcome;
  }
  if (outcome.existed && !request.replace) {
    outcome.status = WriteStatus::kExists;
    return outcome;
  }

  std::uint8_t stored[SettingsText::kCapacity];
  const std::size_t size = outcome.text.length();
  std::memcpy(stored, outcome.text.c_str(), size);
  tolvex::complementBytes(stored, size);
  outcome.written = size;
  ReadBack back;
  const bool replaced =
      replaceFile(io, request.path, stored, size, request.replace, outcome.trouble, back);
  outcome.readTotal = back.total;
  readStored(back.head, back.stored, outcome.readBack);
  if (!replaced) {
    outcome.mismatch = outcome.trouble.mismatch;
    outcome.removed = outcome.trouble.removed;
    return trouble(outcome, outcome.trouble.step);
  }
  outcome.applied = appliedRequest(outcome.readBack.verdict).request;
  return outcome;
}

bool replaceFile(ToolIo& io, const char* path, const std::uint8_t* bytes, std::size_t size,
                 bool replace, FileTrouble& trouble, ReadBack& back) {
  // The new file is named after the old one, in its folder, so that the last step is a rename
  // within one folder; a name some other file has already is passed over.
  tolvex::PathText temporary;
  for (int attempt = 0;; ++attempt) {
    trouble = FileTrouble();
    trouble.step = FileStep::kWrite;
    temporary.assign(path);
    temporary.append(".new");
    if (attempt > 0) {
      temporary.appendFormat("%d", attempt);
    }
    if (temporary.overflowed()) {
      trouble.reason.assign("File name too long");
      return false;
    }
    if (io.writeNewFile(temporary.c_str(), bytes, size, trouble)) {
      break;
    }
    if (!trouble.exists || attempt == 9) {
      if (!trouble.exists) {
        (void)io.removeFile(temporary.c_str());  // what part of it was written
      }
      return false;
    }
  }
  // Read the new file back the way Tolvex will, before it replaces anything: a short write, a
  // full disk or anything else that changed the bytes shows up here, with the old file intact.
  if (!io.readFileHead(temporary.c_str(), back.head, sizeof back.head, back.stored, back.total,
                       trouble.reason)) {
    trouble.step = FileStep::kReadBack;
    (void)io.removeFile(temporary.c_str());
    return false;
  }
  const std::size_t compared = size < sizeof back.head ? size : sizeof back.head;
  if (back.total != size || back.stored != compared ||
      std::memcmp(back.head, bytes, compared) != 0) {
    trouble.step = FileStep::kReadBack;
    trouble.mismatch = true;
    trouble.removed = io.removeFile(temporary.c_str());
    return false;
  }
  trouble.step = FileStep::kReplace;
  if (!(replace ? moveOver(io, temporary.c_str(), path, trouble)
                : io.moveFile(temporary.c_str(), path, false, trouble))) {
    (void)io.removeFile(temporary.c_str());
    return false;
  }
  // An old file that could not be deleted after the new one took its place stays named.
  tolvex::PathText aside;
  aside.assign(trouble.aside);
  trouble = FileTrouble();
  trouble.aside.assign(aside);
  return true;
}

bool moveOver(ToolIo& io, const char* from, const char* to, FileTrouble& trouble) {
  trouble.aside.clear();
  if (io.replacesInOneStep()) {
    return io.moveFile(from, to, true, trouble);
  }
  if (!io.fileExists(to)) {
    return io.moveFile(from, to, false, trouble);
  }
  tolvex::PathText aside;
  for (int attempt = 0;; ++attempt) {
    aside.assign(to);
    aside.append(".aside");
    if (attempt > 0) {
      aside.appendFormat("%d", attempt);
    }
    if (aside.overflowed() || attempt == 10) {
      trouble.reason.assign(aside.overflowed() ? "File name too long"
                                               : "No free name for the old file");
      return false;
    }
    if (!io.fileExists(aside.c_str())) {
      break;
    }
  }
  if (!io.moveFile(to, aside.c_str(), false, trouble)) {
    return false;  // the old file is still at its name
  }
  if (!io.moveFile(from, to, false, trouble)) {
    // The reason is the move's; the way back only decides where the old bytes are.
    FileTrouble back;
    if (!io.moveFile(aside.c_str(), to, false, back)) {
      trouble.aside.assign(aside);
    }
    return false;
  }
  if (!io.removeFile(aside.c_str())) {
    trouble.aside.assign(aside);
  }
  return true;
}

}  // namespace tolvex_commands
