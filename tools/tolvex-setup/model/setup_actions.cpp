// Tolvex Setup's buttons: Save (the write command), Check (check), Start the title and Restore
// display (restore), with their outcomes in the dialog's words.
#include <cstring>

#include "display/display_mode.h"
#include "tools/commands/compat_layers.h"
#include "tools/commands/operations.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_model.h"
#include "tools/tolvex-setup/model/trial.h"

namespace tolvex_setup {

namespace {

Outcome refusal(Field focus, const char* text) {
  Outcome outcome;
  outcome.ok = false;
  outcome.focus = focus;
  outcome.message.assign(text);
  return outcome;
}

// Digits only, as a person types a size: Tolvex's own rules judge the number, one beyond what
// Tolvex reads included. Eighteen digits always fit 64 bits; a longer number is no size.
constexpr int kMaxDigits = 18;
bool parseDimension(const char*& s, std::int64_t& value) {
  while (*s == ' ') {
    ++s;
  }
  int digits = 0;
  value = 0;
  for (; *s >= '0' && *s <= '9'; ++s, ++digits) {
    if (digits < kMaxDigits) {
      value = value * 10 + (*s - '0');
    }
  }
  return digits > 0 && digits <= kMaxDigits;
}

// "800 x 600", "800x600", "800,600" or "800 600", and the list's mark " *" after it.
bool parseSize(const char* s, std::int64_t& width, std::int64_t& height) {
  if (!parseDimension(s, width)) {
    return false;
  }
  while (*s == ' ') {
    ++s;
  }
  if (*s == 'x' || *s == 'X' || *s == ',') {
    ++s;
  }
  if (!parseDimension(s, height)) {
    return false;
  }
  while (*s == ' ' || *s == '*') {
    ++s;
  }
  return *s == '\0';
}

using Value = tolvex_commands::Field;
using tolvex_commands::Refusal;
using tolvex_commands::WriteOutcome;
using tolvex_commands::WriteRequest;

// The control a refused value belongs to.
Field controlOf(Value field) {
  switch (field) {
    case Value::kDepth:
      return Field::kDepth;
    case Value::kWidth:
    case Value::kHeight:
      return Field::kSize;
    case Value::kStrict:
      return Field::kStrict;
    default:
      return Field::kProgram;
  }
}

// A size's number as text, whatever its size (the text fields format 32 bits at most).
using NumberText = tolvex::FixedText<24>;
void numberText(std::int64_t value, NumberText& text) {
  // Digits from the end, each the remainder of 10, with no 64-bit division: the number is four
  // 16-bit parts divided in turn (the tools run on 32-bit CPUs without a C library). The Size
  // holds digits only: never a negative number.
  std::uint32_t parts[4];
  const auto magnitude = static_cast<std::uint64_t>(value);
  for (int i = 0; i < 4; ++i) {
    parts[i] = static_cast<std::uint32_t>(magnitude >> (16 * (3 - i))) & 0xFFFFU;
  }
  char digits[24];
  std::size_t count = sizeof digits;
  digits[--count] = '\0';
  bool more = true;
  while (more) {
    std::uint32_t remainder = 0;
    more = false;
    for (std::uint32_t& part : parts) {
      const std::uint32_t current = (remainder << 16) | part;
      part = current / 10U;
      remainder = current % 10U;
      more = more || part != 0;
    }
    digits[--count] = static_cast<char>('0' + remainder);
  }
  text.assign(digits + count);
}

// Why Tolvex would reject a value, in the dialog's words.
Outcome refusalOf(const WriteRequest& request, const WriteOutcome& written) {
  Outcome outcome = refusal(controlOf(written.refused), "");
  tolvex::MessageText& message = outcome.message;
  const bool range = written.why == Refusal::kOutOfRange;
  NumberText width;
  NumberText height;
  numberText(request.numbers[1], width);
  numberText(request.numbers[2], height);
  switch (written.refused) {
    case Value::kDepth:
      message.format("Tolvex would reject the Depth %d: it takes 8, 16, 24 or 32 bits per pixel.",
                     static_cast<int>(written.value));
      break;
    case Value::kWidth:
    case Value::kHeight: {
      const bool widthToo = written.refused == Value::kHeight &&
                            !tolvex::isSettingsWidth(static_cast<std::int32_t>(request.numbers[1]));
      message.format("Tolvex would reject the Size %s x %s: ", width.c_str(), height.c_str());
      if (range) {
        message.append(written.refused == Value::kWidth ? "the width" : "the height");
        message.append(" is beyond the largest number it reads, 2147483647.");
      }
      if (!range || widthToo) {
        message.append(range ? " And the width" : "the width");
        message.append(" has to be");
        const int last =
            static_cast<int>(sizeof tolvex::kSettingsWidths / sizeof tolvex::kSettingsWidths[0]) -
            1;
        for (int i = 0; i <= last; ++i) {
          message.appendFormat("%s %d",
                               i == 0      ? ""
                               : i == last ? " or"
                                           : ",",
                               static_cast<int>(tolvex::kSettingsWidths[i]));
        }
        message.append(".");
      }
      break;
    }
    case Value::kStrict:
      message.format("Tolvex would reject the strict box's value %d: it takes 1 or 0.",
                     static_cast<int>(written.value));
      break;
    default:
      message.format("Tolvex would reject the Program %s: ", request.program);
      message.append(written.why == Refusal::kBlank ? "it reads a name only up to its first blank."
                     : written.why == Refusal::kComma ? "it reads a comma as the end of the name."
                     : written.why == Refusal::kTooLong
                         ? "it reads names of at most 255 bytes."
                         : "a program's name needs more than four characters.");
      break;
  }
  return outcome;
}

// Why the file could not be saved, in the dialog's words.
Outcome troubleOf(const char* file, const WriteOutcome& written) {
  Outcome outcome = refusal(Field::kNone, "");
  tolvex::MessageText& message = outcome.message;
  const tolvex_commands::FileTrouble& trouble = written.trouble;
  if (written.status == tolvex_commands::WriteStatus::kExists) {
    message.format("%s appeared in this folder meanwhile. Nothing was written.", file);
  } else if (written.status == tolvex_commands::WriteStatus::kFolder) {
    message.format(
        "%s in this folder is a folder, not a file: the settings cannot be saved under "
        "its name. Nothing was written.",
        file);
  } else if (trouble.step == tolvex_commands::FileStep::kNone) {
    message.assign(
        "Tolvex would not read these settings back as they were asked. Nothing was "
        "written.");
  } else if (written.mismatch) {
    message.format(
        "%s does not read back as it was written: Tolvex would read other settings "
        "from it. %s",
        file, written.removed ? "It was removed." : "It could not be removed.");
  } else if (trouble.step == tolvex_commands::FileStep::kReadBack) {
    message.format("%s could not be read back before it was saved: %s. Nothing was changed.", file,
                   trouble.reason.c_str());
  } else {
    // The advice that fits what happened, and no other.
    message.format("%s could not be saved in this folder: %s.\n\n", file, trouble.reason.c_str());
    if (trouble.noFolder) {
      message.append(
          "The folder is no longer there: it was removed or renamed, or its drive is gone. "
          "Choose the title's folder again with Browse. ");
    } else if (trouble.noRoom) {
      message.append(written.existed ? "The folder has no room for the new file beside the old "
                                       "one. "
                                     : "The disk is full. ");
    } else if (trouble.readOnly) {
      message.appendFormat(
          "%s is read-only, as files copied from a CD-ROM are: clear Read-only in its "
          "Properties, then save again. ",
          file);
    } else if (trouble.denied) {
      message.append("A read-only folder, or one on a CD-ROM, cannot take the settings file. ");
    }
    if (!trouble.aside.empty()) {
      message.appendFormat("The old %s is kept as %s.", file, trouble.aside.c_str());
    } else if (written.existed && !trouble.noFolder) {
      message.appendFormat("The old %s is kept as it was.", file);
    } else {
      message.append("Nothing was written.");
    }
  }
  return outcome;
}

// Whether a name holds a character that no file name may hold, or a dot. '\\' and '|' may be
// second bytes on a double-byte code page ("時刻表" ends in 0x5C): only a character of its own
// counts.
bool holdsForbidden(const char* name, const tolvex::LeadBytes& leadBytes) {
  const std::size_t length = std::strlen(name);
  for (std::size_t at = 0; at < length;) {
    const std::size_t size = leadBytes.charLength(name, at, length);
    if (size == 1 && std::strchr(".\\/:*?\"<>|", name[at]) != nullptr) {
      return true;
    }
    at += size;
  }
  return false;
}

}  // namespace

Outcome SetupModel::checkName() const {
  const char* name = form.name.c_str();
  if (form.name.overflowed()) {
    return refusal(Field::kName, "The name is too long.");
  }
  if (name[0] == '\0') {
    return refusal(Field::kName, "Type the name of the renamed Tolvex, without \".exe\".");
  }
  if (holdsForbidden(name, tolvex_commands::codePage(world_.io()))) {
    return refusal(Field::kName,
                   "The name cannot hold a dot or any of \\ / : * ? \" < > |: Tolvex looks for "
                   "its settings file under its own name up to the first dot.");
  }
  FileName exe;
  tolvexProgram(exe);
  if (exe.overflowed()) {
    return refusal(Field::kName, "The name is too long.");
  }
  if (equalsIgnoringCase(exe.c_str(), form.program.c_str())) {
    Outcome outcome = refusal(Field::kName, "");
    outcome.message.format(
        "%s is the title's program: Tolvex cannot take its name. Choose another name.",
        exe.c_str());
    return outcome;
  }
  return Outcome();
}

Outcome SetupModel::judge(WriteRequest& request) const {
  std::int64_t width = 0;
  std::int64_t height = 0;
  if (form.size.overflowed()) {
    return refusal(Field::kSize,
                   "The Size is too long: type it as width x height, for example "
                   "800 x 600.");
  }
  if (!parseSize(form.size.c_str(), width, height)) {
    return refusal(Field::kSize, "Type the size as width x height, for example 800 x 600.");
  }
  if (form.program.overflowed()) {
    return refusal(Field::kProgram,
                   "The name in Program is too long: Tolvex reads at most 255 characters.");
  }
  if (isTolvexProgram(form.program.c_str())) {
    return refusal(Field::kProgram, "That is one of Tolvex's own programs, not the title's.");
  }
  request.fields = form.program.empty() ? 4 : 5;
  request.numbers[0] = kDepths[form.depth];
  request.numbers[1] = width;
  request.numbers[2] = height;
  request.numbers[3] = form.strict ? 1 : 0;
  request.program = form.program.c_str();
  const WriteOutcome judged = tolvex_commands::judgeWrite(request);
  if (judged.status == tolvex_commands::WriteStatus::kRefused) {
    return refusalOf(request, judged);
  }
  return Outcome();
}

Outcome SetupModel::save(Questions& questions) {
  // Tolvex's rules first, with nothing written: a refused value leaves the folder as it was.
  WriteRequest request;
  const Outcome judged = judge(request);
  if (!judged.ok) {
    return judged;
  }
  if (form.named) {
    const Outcome named = checkName();
    if (!named.ok) {
      return named;
    }
  }
  const Outcome copy = namedCopyThere();
  if (!copy.ok) {
    return copy;
  }
  FileName file;
  settingsFile(file);
  request.path = file.c_str();
  if (!programThere(questions)) {
    return refusal(Field::kProgram, "");
  }
  // A folder of the file's name is refused by the write, before any question.
  request.replace = world_.io().fileExists(file.c_str()) && !world_.io().isFolder(file.c_str());
  if (request.replace) {
    tolvex::MessageText question;
    question.format("%s already exists in this folder.\n\nReplace it with these settings?",
                    file.c_str());
    if (!questions.askYesNo(question.c_str())) {
      Outcome kept;
      kept.ok = false;
      return kept;
    }
  }
  const WriteOutcome written = tolvex_commands::writeSettings(world_.io(), request);
  if (written.status != tolvex_commands::WriteStatus::kWritten) {
    return troubleOf(file.c_str(), written);
  }
  const tolvex::SettingsRequest& applied = written.applied;
  report.format("Saved %s: Depth %d bits per pixel, Size %d x %d, %s, Program %s%s\n", file.c_str(),
                static_cast<int>(applied.depth), static_cast<int>(applied.width),
                static_cast<int>(applied.height), applied.strictFlag != 0 ? "strict" : "not strict",
                applied.appPath.c_str(), request.fields == 5 ? "" : " (Tolvex's default)");
  if (!written.trouble.aside.empty()) {
    // Windows 9x moved the old file aside and could not delete it (a read-only one, say).
    report.appendFormat("The old %s could not be deleted: its bytes are kept as %s.\n",
                        file.c_str(), written.trouble.aside.c_str());
  }
  saved_ = form;
  listPrograms();
  recogniseCopies(false);
  offerRenameShadowing(questions, file.c_str());
  return offerTolvex(questions, file.c_str());
}

// After Save (`saved` names the file) or before a shortcut (nullptr): a missing Tolvex is offered
// as a copy of the one beside Tolvex Setup.
Outcome SetupModel::offerTolvex(Questions& questions, const char* saved) {
  Outcome outcome;
  FileName exe;
  tolvexProgram(exe);
  if (world_.io().fileExists(exe.c_str())) {
    return outcome;
  }
  tolvex::PathText source;
  world_.besideSetup("Tolvex.exe", source);
  const char* as = form.named ? " as " : "";
  const char* asName = form.named ? exe.c_str() : "";
  tolvex::MessageText lead;
  if (saved != nullptr) {
    lead.format("Saved %s. There is no %s in this folder to read it", saved, exe.c_str());
  } else {
    lead.format("There is no %s in this folder: a shortcut to it would start nothing", exe.c_str());
  }
  if (!world_.io().fileExists(source.c_str())) {
    outcome.ok = saved != nullptr;
    outcome.message.format(
        "%s, and no Tolvex.exe beside Tolvex Setup to copy: copy Tolvex.exe here%s%s yourself.",
        lead.c_str(), as, asName);
    return outcome;
  }
  tolvex::MessageText question;
  question.format("%s.\n\nCopy Tolvex.exe from Tolvex Setup's folder into this folder%s%s?",
                  lead.c_str(), as, asName);
  if (!questions.askYesNo(question.c_str())) {
    outcome.ok = saved != nullptr;
    if (!outcome.ok) {
      outcome.message.format("%s.", lead.c_str());
    }
    return outcome;
  }
  tolvex_commands::ReasonText why;
  if (!world_.copyNewFile(source.c_str(), exe.c_str(), why)) {
    outcome.ok = false;
    outcome.message.format("Tolvex.exe could not be copied here as %s: %s.", exe.c_str(),
                           why.c_str());
    return outcome;
  }
  report.appendFormat("Copied Tolvex.exe from Tolvex Setup's folder as %s\n", exe.c_str());
  // The copy is a program of the folder now, and a name of the Name list once its file is here.
  listPrograms();
  recogniseCopies(false);
  return outcome;
}

namespace {

using tolvex_commands::CheckOutcome;
using tolvex_commands::SwitchAsked;
using tolvex_commands::TextOut;

void sayUnlisted(TextOut& out, int total, int count) {
  if (total > count) {
    out.format("(%d more not listed)\n", total - count);
  }
}

// What Tolvex would do, first: from the verdict and the facts behind it.
void sayVerdict(TextOut& out, const CheckOutcome& checked) {
  if (checked.otherCopy) {
    out.text("Once the copy of Tolvex that runs now has ended, ");
  }
  out.text("Tolvex would ");
  if (checked.verdict == tolvex_commands::CheckVerdict::kStartsNothing) {
    out.text(checked.boxes.total > 0 ? "start nothing, and show this message:\n"
                                     : "start nothing, and show no message.\n");
  } else {
    const SwitchAsked& mode = checked.taken;
    if (!checked.switchTaken) {
      out.text("not switch the display, and start ");
    } else if (mode.anyDepth) {
      out.format(
          "switch to %d x %d at the depth the display gives, not at %d bits per pixel, "
          "and start ",
          static_cast<int>(mode.width), static_cast<int>(mode.height),
          static_cast<int>(checked.switches.items[0].depth));
    } else {
      out.text("switch to ");
      tolvex_commands::printModeAt(out, mode.width, mode.height, mode.depth);
      out.text(" and start ");
    }
    out.text(checked.startedName.c_str());
    out.text(checked.boxes.total > 0 ? ", after this message:\n" : ".\n");
  }
  for (int i = 0; i < checked.boxes.count; ++i) {
    out.format("  %s\n", checked.boxes.items[i].caption.c_str());
    out.messageLines(checked.boxes.items[i].text.c_str(), nullptr, "  ",
                     checked.boxes.items[i].utf8);
  }
  sayUnlisted(out, checked.boxes.total, checked.boxes.count);
}

void sayAnswer(TextOut& out, const SwitchAsked& asked) {
  tolvex_commands::printModeAt(out, asked.width, asked.height,
                               asked.anyDepth ? tolvex_commands::kAnyDepth : asked.depth);
  out.text(asked.storeForAll ? ", stored for all users: " : ": ");
  tolvex_commands::printDisplayAnswer(out, asked.answer);
  out.text("\n");
}

// How check came to the verdict, step by step as the run went.
void saySteps(TextOut& out, const CheckOutcome& checked) {
  out.text("How Check came to this (nothing was switched, started or written):\n");
  for (int i = 0; i < checked.settingsFiles.count; ++i) {
    const tolvex_commands::SettingsTried& file = checked.settingsFiles.items[i];
    out.text("Settings file ");
    out.text(file.path.c_str());
    out.text(file.here ? " (in the current folder): " : " (named after Tolvex, in its folder): ");
    if (file.result < 0) {
      out.text("not there, or cannot be opened.\n");
    } else {
      out.format("read, %d bytes.\n", static_cast<int>(file.result));
    }
  }
  sayUnlisted(out, checked.settingsFiles.total, checked.settingsFiles.count);
  if (!checked.settingsOpened) {
    out.text("No settings file: Tolvex goes on with its defaults.\n");
  }
  for (int i = 0; i < checked.switches.count; ++i) {
    out.text("Asked the display for ");
    sayAnswer(out, checked.switches.items[i]);
  }
  sayUnlisted(out, checked.switches.total, checked.switches.count);
  if (!checked.colourLayers.empty()) {
    out.text("The title inherits the compatibility layers ");
    out.text(checked.colourLayers.c_str());
    out.text(" (__COMPAT_LAYER).\n");
  }
  for (int i = 0; i < checked.launches.count; ++i) {
    out.text("Program ");
    out.text(checked.launches.items[i].name.c_str());
    out.text(checked.launches.items[i].there ? ": there.\n"
                                             : ": not there, or cannot be opened.\n");
  }
  sayUnlisted(out, checked.launches.total, checked.launches.count);
  const tolvex_commands::ProgramLayers& layers = checked.programLayers;
  if (layers.read) {
    tolvex_commands::CompatLineText line;
    tolvex_commands::composeCompatibility(
        layers.forUserSet ? layers.forUser.c_str() : nullptr,
        layers.forAllSet ? layers.forAll.c_str() : nullptr, layers.program.c_str(),
        layers.leadBytes, checked.addedLayer.empty() ? nullptr : checked.addedLayer.c_str(), line);
    out.text("Compatibility settings: ");
    out.text(line.c_str());
    out.text(".\n");
  }
  for (int i = 0; i < checked.restores.count; ++i) {
    const SwitchAsked& back = checked.restores.items[i];
    out.text("Back to the stored mode, ");
    tolvex_commands::printModeAt(out, back.width, back.height, back.depth);
    out.text(back.storeForAll ? ", stored again for all users: " : ": ");
    tolvex_commands::printDisplayAnswer(out, back.answer);
    out.text("\n");
  }
  if (checked.otherCopy) {
    out.text("A copy of Tolvex runs now: Tolvex started meanwhile would end at once.\n");
  }
}

}  // namespace

void SetupModel::check() {
  const Outcome other = namedCopyThere();
  if (!other.ok) {
    report.format("%s\n", other.message.c_str());
    return;
  }
  FileName exe;
  tolvexProgram(exe);
  tolvex_commands::CheckRequest request;
  request.tolvex = exe.c_str();
  tolvex_commands::CheckOutcome checked;
  tolvex_commands::checkTolvex(world_.io(), request, checked);
  report.clear();
  if (checked.verdict == tolvex_commands::CheckVerdict::kNoSystem) {
    report.assign("Check needs Windows: it asks the display Tolvex would switch.\n");
    return;
  }
  // The verdict first (and the message box that goes with it); then the note about a
  // Tolvex.ini that hides the named file; then how check came to the verdict.
  // The report box is an ANSI control: names in it are their characters.
  tolvex_commands::TextInto<ReportText::kCapacity> into(report);
  into.namesAsCharacters(tolvex_commands::codePage(world_.io()));
  sayVerdict(into, checked);
  shadowingNote();
  saySteps(into, checked);
  if (into.lost()) {
    // Never a report cut short: the verdict alone, and a word that the rest was left out.
    report.clear();
    tolvex_commands::TextInto<ReportText::kCapacity> verdict(report);
    verdict.namesAsCharacters(tolvex_commands::codePage(world_.io()));
    sayVerdict(verdict, checked);
    report.append("How Check came to this is too long for this window.\n");
    if (verdict.lost() || report.overflowed()) {
      report.assign("Check's report is too long for this window.\n");
    }
  }
}

namespace {

// "1280 x 1024 at 32 bits per pixel", or "unknown".
void modeText(bool known, const tolvex_commands::Mode& mode, SizeText& text) {
  if (!known) {
    text.assign("unknown");
    return;
  }
  text.clear();
  tolvex_commands::TextInto<SizeText::kCapacity> into(text);
  tolvex_commands::printModeAt(into, static_cast<std::int32_t>(mode.width),
                               static_cast<std::int32_t>(mode.height),
                               static_cast<std::int32_t>(mode.depth));
}

}  // namespace

void SetupModel::restore() {
  const tolvex_commands::RestoreOutcome restored = tolvex_commands::restoreDisplay(world_.io());
  report.clear();
  if (!restored.system) {
    report.assign("Restore display needs Windows.\n");
    return;
  }
  SizeText stored;
  SizeText before;
  SizeText after;
  modeText(restored.storedKnown, restored.stored, stored);
  modeText(restored.beforeKnown, restored.before, before);
  modeText(restored.afterKnown, restored.after, after);
  tolvex::FixedText<64> answer;
  tolvex_commands::TextInto<64> into(answer);
  tolvex_commands::printDisplayAnswer(into, restored.result);
  report.format(
      "The display was %s. Asked to go back to its stored mode, %s, it answered %s; it is now "
      "%s.\n",
      before.c_str(), stored.c_str(), answer.c_str(), after.c_str());
}

}  // namespace tolvex_setup
