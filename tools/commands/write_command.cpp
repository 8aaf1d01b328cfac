// tolvex-ini write: checks the values with Tolvex's rules, writes the file, and reads it back the
// way Tolvex will.
#include <cstring>

#include "settings/settings_text.h"
#include "tools/commands/commands.h"
#include "tools/commands/report.h"

namespace tolvex_ini {

namespace {

using tolvex::SettingsField;
using tolvex::SettingsVerdict;

bool isOption(const char* arg) {
  // "-600" is a height, not an option.
  return arg[0] == '-' && arg[1] != '\0' && !(arg[1] >= '0' && arg[1] <= '9');
}

enum class NumberProblem { kNone, kNotDecimal, kOutOfRange };

// A value as a person types it: optional sign and decimal digits, nothing else, within the
// 32-bit range that Tolvex reads numbers in.
NumberProblem parseNumber(const char* s, std::int32_t& value) {
  bool negative = false;
  if (*s == '+' || *s == '-') {
    negative = *s == '-';
    ++s;
  }
  if (*s == '\0') {
    return NumberProblem::kNotDecimal;
  }
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  bool tooLarge = false;
  for (; *s != '\0'; ++s) {
    if (*s < '0' || *s > '9') {
      return NumberProblem::kNotDecimal;
    }
    if (!tooLarge) {
      magnitude = magnitude * 10 + (*s - '0');
      tooLarge = magnitude > limit;
    }
  }
  if (tooLarge) {
    return NumberProblem::kOutOfRange;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return NumberProblem::kNone;
}

const char* const kFieldNames[] = {"DEPTH", "WIDTH", "HEIGHT", "STRICT", "APP"};

struct WriteRequest {
  const char* path = tolvex::kSettingsFileName;
  bool force = false;
  int fields = 0;  // 3 to 5
  std::int32_t numbers[4] = {0, 0, 0, 0};
  const char* name = nullptr;
};

using SettingsText = tolvex::FixedText<512>;

// The text Tolvex reads, comma-separated: "16,800,600,1,show.exe".
void composeText(const WriteRequest& request, int fields, SettingsText& text) {
  text.clear();
  for (int i = 0; i < fields && i < 4; ++i) {
    if (i > 0) {
      text.append(",");
    }
    text.appendFormat("%d", static_cast<int>(request.numbers[i]));
  }
  if (fields == 5) {
    text.append(",");
    text.append(request.name);
  }
}

void readText(const SettingsText& text, Reading& reading) {
  std::uint8_t stored[SettingsText::kCapacity];
  const std::size_t size = text.length();
  std::memcpy(stored, text.c_str(), size);
  tolvex::complementBytes(stored, size);
  readStored(stored, size, reading);
}

// True when Tolvex, reading `reading`, goes on with exactly the request that was asked for.
bool readsAsAsked(const WriteRequest& request, const Reading& reading) {
  const SettingsVerdict& v = reading.verdict;
  if (reading.scan.count != request.fields || v.accepted != request.fields ||
      v.result != (request.fields == 5 ? 1 : 0)) {
    return false;
  }
  if (v.depth != tolvex::appliedDepth(request.numbers[0]) || v.width != request.numbers[1] ||
      v.height != request.numbers[2]) {
    return false;
  }
  if (request.fields >= 4 && v.strictFlag != request.numbers[3]) {
    return false;
  }
  return request.fields < 5 || std::strcmp(v.appPath.c_str(), request.name) == 0;
}

void printReadingInOneLine(Printer& p, const Reading& reading) {
  const SettingsVerdict& v = reading.verdict;
  p.format("%d fields, result %d", reading.scan.count, v.result);
  if (v.result >= 0) {
    const tolvex::SettingsRequest applied = appliedRequest(v).request;
    p.format(", %d bits per pixel, %d x %d, strictFlag %d, application '",
             static_cast<int>(applied.depth), static_cast<int>(applied.width),
             static_cast<int>(applied.height), static_cast<int>(applied.strictFlag));
    p.escaped(applied.appPath.c_str(), false);
    p.text("'");
  }
}

int refuseValue(ToolIo& io, const WriteRequest& request, SettingsField field) {
  Printer err = errorLine(io);
  int index = static_cast<int>(field) - static_cast<int>(SettingsField::kDepth);
  if (index < 0 || index > 4) {
    index = 4;
  }
  err.format("Tolvex would reject %s ", kFieldNames[index]);
  if (field == SettingsField::kAppName) {
    err.text("'");
    err.escaped(request.name, false);
    err.text("'");
  } else {
    err.format("%d", static_cast<int>(request.numbers[index]));
  }
  err.text(", saying:\n");
  // Tolvex's own explanation, one line per line of its message box.
  err.messageLines(tolvex::rejectionExplanation(field), nullptr, "  ");
  return kExitRefused;
}

// A name Tolvex could not read back whole is refused before Tolvex's own rules see it: a blank
// or a comma would end it early, and more than 255 bytes do not fit Tolvex's name buffer.
int refuseName(ToolIo& io, const char* name) {
  const std::size_t length = std::strlen(name);
  const char* problem = nullptr;
  for (const char* p = name; *p != '\0'; ++p) {
    if (tolvex::isSettingsBlank(*p)) {
      problem = "contains a blank, and Tolvex reads a name only up to the first blank";
      break;
    }
    if (*p == ',') {
      problem = "contains a comma, and Tolvex reads a comma as the end of a field";
      break;
    }
  }
  if (problem == nullptr && length >= tolvex::kAppNameCapacity) {
    Printer err = errorLine(io);
    err.format("APP is %lu bytes long, and Tolvex reads at most %lu\n",
               static_cast<unsigned long>(length),
               static_cast<unsigned long>(tolvex::kAppNameCapacity - 1));
    return kExitRefused;
  }
  if (problem == nullptr) {
    return kExitOk;
  }
  Printer err = errorLine(io);
  err.text("APP '");
  err.escaped(name, false);
  err.format("' %s\n", problem);
  return kExitRefused;
}

int parseWrite(int argc, const char* const* argv, ToolIo& io, WriteRequest& request) {
  const char* positional[6];
  int count = 0;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && isOption(arg)) {
      if (std::strcmp(arg, "--") == 0) {
        optionsEnded = true;
      } else if (std::strcmp(arg, "--force") == 0) {
        request.force = true;
      } else if (std::strcmp(arg, "-o") == 0) {
        if (i + 1 >= argc) {
          return usageError(io, "option requires an argument --", "o");
        }
        request.path = argv[++i];
      } else if (std::strncmp(arg, "-o", 2) == 0) {
        request.path = arg + 2;
      } else {
        return usageError(io, "write: unrecognized option", arg);
      }
      continue;
    }
    if (count == 5) {
      return usageError(io, "write: too many arguments, starting with", arg);
    }
    positional[count++] = arg;
  }
  if (count < 3) {
    return usageError(io, "write needs at least DEPTH, WIDTH and HEIGHT", nullptr);
  }
  if (request.path[0] == '\0') {
    return usageError(io, "write: the file name is empty", nullptr);
  }
  request.fields = count;
  for (int i = 0; i < count && i < 4; ++i) {
    switch (parseNumber(positional[i], request.numbers[i])) {
      case NumberProblem::kNone:
        break;
      case NumberProblem::kNotDecimal: {
        Printer err = errorLine(io);
        err.format("%s is not a decimal number: '", kFieldNames[i]);
        err.escaped(positional[i], false);
        err.format("'\nTry '%s --help' for more information.\n", kProgramName);
        return kExitTrouble;
      }
      case NumberProblem::kOutOfRange: {
        Printer err = errorLine(io);
        err.format("%s is out of range: '", kFieldNames[i]);
        err.escaped(positional[i], false);
        err.text("' (Tolvex reads numbers from -2147483648 to 2147483647)\n");
        return kExitTrouble;
      }
    }
  }
  if (count == 5) {
    request.name = positional[4];
  }
  return kExitOk;
}

}  // namespace

int runWrite(int argc, const char* const* argv, ToolIo& io) {
  WriteRequest request;
  const int parsed = parseWrite(argc, argv, io, request);
  if (parsed != kExitOk) {
    return parsed;
  }

  // Tolvex's rules, in Tolvex's order: the numbers first, then the name.
  SettingsText text;
  Reading reading;
  composeText(request, request.fields < 4 ? request.fields : 4, text);
  readText(text, reading);
  if (reading.verdict.result < 0) {
    return refuseValue(io, request, reading.verdict.rejected);
  }
  if (request.fields == 5) {
    const int refused = refuseName(io, request.name);
    if (refused != kExitOk) {
      return refused;
    }
    composeText(request, 5, text);
    readText(text, reading);
    // An empty name leaves Tolvex with four fields; it is as short a name as any.
    if (reading.verdict.result < 0 || request.name[0] == '\0') {
      return refuseValue(io, request, SettingsField::kAppName);
    }
  }
  if (!readsAsAsked(request, reading)) {
    Printer err = errorLine(io);
    err.text("internal error: Tolvex would not read the text back as asked (");
    printReadingInOneLine(err, reading);
    err.text("); nothing was written\n");
    return kExitTrouble;
  }

  if (!request.force && io.fileExists(request.path)) {
    Printer err = errorLine(io);
    err.text("'");
    err.escaped(request.path, false);
    err.text("' already exists; use --force to replace it\n");
    return kExitRefused;
  }

  std::uint8_t stored[SettingsText::kCapacity];
  const std::size_t size = text.length();
  std::memcpy(stored, text.c_str(), size);
  tolvex::complementBytes(stored, size);
  ReasonText why;
  if (!io.writeFile(request.path, stored, size, why)) {
    Printer err = errorLine(io);
    err.text("cannot write '");
    err.escaped(request.path, false);
    err.format("': %s\n", why.c_str());
    return kExitTrouble;
  }

  // Read the file back the way Tolvex will: a short write, a full disk or anything else that
  // changed the bytes shows up here, not on the user's machine.
  std::uint8_t back[tolvex::kSettingsReadLimit];
  std::size_t stored_back = 0;
  std::size_t total = 0;
  Reading check;
  if (!io.readFileHead(request.path, back, sizeof back, stored_back, total, why)) {
    Printer err = errorLine(io);
    err.text("cannot read back '");
    err.escaped(request.path, false);
    err.format("': %s\n", why.c_str());
    return kExitTrouble;
  }
  readStored(back, stored_back, check);
  if (total != size || std::memcmp(back, stored, size) != 0 || !readsAsAsked(request, check)) {
    // A file that Tolvex would read differently from what was asked is worse than none.
    const bool removed = io.removeFile(request.path);
    Printer err = errorLine(io);
    err.text("'");
    err.escaped(request.path, false);
    err.format("' does not read back as written (%lu bytes written, %lu read; Tolvex would read ",
               static_cast<unsigned long>(size), static_cast<unsigned long>(total));
    printReadingInOneLine(err, check);
    err.text(removed ? "); the file was removed\n" : "); the file could not be removed\n");
    return kExitTrouble;
  }

  Printer out(io, false);
  const tolvex::SettingsRequest applied = appliedRequest(check.verdict).request;
  out.text("Wrote '");
  out.escaped(request.path, false);
  out.format("': %d bits per pixel", static_cast<int>(applied.depth));
  if (applied.depth != request.numbers[0]) {
    out.format(" (%d in the file)", static_cast<int>(request.numbers[0]));
  }
  out.format(", %d x %d, %s, application ", static_cast<int>(applied.width),
             static_cast<int>(applied.height), applied.strictFlag != 0 ? "strict" : "lenient");
  out.escaped(applied.appPath.c_str(), false);
  out.format("%s\n", request.fields == 5 ? "" : " (default)");
  return kExitOk;
}

}  // namespace tolvex_ini
