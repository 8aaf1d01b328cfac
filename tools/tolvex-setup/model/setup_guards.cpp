// Tolvex Setup's guards around its buttons: changes that were never saved (Start the title and
// Close ask about them), a program that is not in the folder, a Tolvex.ini that hides a file
// named after the title, and what Start leaves in the report.
#include <cstring>

#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

namespace {

// Renamed copies are numbered up to this: Tolvex.ini.old, Tolvex.ini.old2, ...
constexpr int kMaxOldCopies = 99;

// A size as the settings file will hold it: "800 x 600 *", "800x600" and "800 X 600" are one.
void sizeKey(const SizeText& size, SizeText& key) {
  key.clear();
  for (const char* s = size.c_str(); *s != '\0'; ++s) {
    if (*s != ' ' && *s != '*') {
      const char c = *s == 'X' ? 'x' : *s;
      key.appendBytes(&c, 1);
    }
  }
}

bool sameSettings(const SetupForm& a, const SetupForm& b) {
  SizeText sizeA;
  SizeText sizeB;
  sizeKey(a.size, sizeA);
  sizeKey(b.size, sizeB);
  return std::strcmp(a.program.c_str(), b.program.c_str()) == 0 && a.depth == b.depth &&
         std::strcmp(sizeA.c_str(), sizeB.c_str()) == 0 && a.strict == b.strict &&
         a.named == b.named && (!a.named || std::strcmp(a.name.c_str(), b.name.c_str()) == 0);
}

}  // namespace

bool SetupModel::unsavedChanges() const {
  return !sameSettings(form, saved_);
}

// Unsaved changes before an action that uses the settings file as it is on disk: false, with
// the outcome to show, unless they were saved or the user chose to go on without them.
bool SetupModel::saveFirst(Questions& questions, const char* what, Outcome& outcome) {
  if (!unsavedChanges()) {
    return true;
  }
  tolvex::MessageText text;
  text.format(
      "The settings in this window have not been saved: %s with the settings file as it "
      "is.\n\nSave the changes first?",
      what);
  const Answer answer = questions.askYesNoCancel(text.c_str());
  if (answer == Answer::kCancel) {
    outcome.ok = false;
    return false;
  }
  if (answer == Answer::kYes) {
    outcome = save(questions);
    return outcome.ok;
  }
  return true;
}

Outcome SetupModel::readyForShortcut(Questions& questions, tolvex::SettingsRequest& saved) {
  Outcome outcome;
  if (!world_.folderInCodePage()) {
    outcome.ok = false;
    outcome.message.assign(kFolderNotInCodePage);
    return outcome;
  }
  // The .lnk is named after the title: a plain name, never a path.
  const Outcome name = checkName();
  if (!name.ok) {
    return name;
  }
  outcome = namedCopyThere();
  if (!outcome.ok || !saveFirst(questions, "the shortcut would start Tolvex", outcome)) {
    return outcome;
  }
  FileName file;
  settingsFile(file);
  offerRenameShadowing(questions, file.c_str());
  const Outcome copy = offerTolvex(questions, nullptr);
  if (!copy.ok) {
    return copy;
  }
  // What the saved file makes Tolvex do; no file is Tolvex's defaults.
  saved = tolvex::SettingsRequest();
  if (world_.io().fileExists(file.c_str())) {
    tolvex_commands::ShowOutcome shown;
    tolvex_commands::showSettings(world_.io(), file.c_str(), shown);
    if (!shown.read || shown.verdict == tolvex_commands::FileVerdict::kRejected) {
      outcome.ok = false;
      outcome.message.format(
          "Tolvex cannot use %s as it is saved (Check tells why): a shortcut would start nothing.",
          file.c_str());
      return outcome;
    }
    saved = shown.fields;
  }
  return outcome;
}

Outcome SetupModel::start(Questions& questions) {
  Outcome outcome;
  outcome = namedCopyThere();
  if (!outcome.ok || !saveFirst(questions, "Tolvex would start the title", outcome)) {
    return outcome;
  }
  FileName exe;
  tolvexProgram(exe);
  if (!world_.io().fileExists(exe.c_str())) {
    outcome.ok = false;
    outcome.message.format(
        "There is no %s in this folder. Save the settings, and let Tolvex Setup copy Tolvex.exe "
        "here.",
        exe.c_str());
    return outcome;
  }
  tolvex_commands::ReasonText why;
  if (!world_.startProgram(exe.c_str(), why)) {
    outcome.ok = false;
    outcome.message.format("%s could not be started: %s.", exe.c_str(), why.c_str());
    return outcome;
  }
  report.format("Started %s in %s.\n", exe.c_str(), form.folder.c_str());
  return outcome;
}

void SetupModel::titleEnded() {
  FileName exe;
  tolvexProgram(exe);
  tolvex::DevModeA mode;
  std::memset(&mode, 0, sizeof mode);
  tolvex::Platform* system = world_.io().system();
  if (system == nullptr || system->enumDisplaySettings(tolvex::kEnumCurrentSettings, &mode) == 0) {
    report.appendFormat("%s has ended; the display does not say which mode it is in.\n",
                        exe.c_str());
    return;
  }
  report.appendFormat("%s has ended; the display shows ", exe.c_str());
  tolvex_commands::TextInto<ReportText::kCapacity> into(report);
  tolvex_commands::printModeAt(into, static_cast<std::int32_t>(mode.dmPelsWidth),
                               static_cast<std::int32_t>(mode.dmPelsHeight),
                               static_cast<std::int32_t>(mode.dmBitsPerPel));
  report.append(".\n");
}

bool SetupModel::close(Questions& questions) {
  return mayDrop(questions, "closing? (No closes");
}

bool SetupModel::leaveFolder(Questions& questions) {
  return mayDrop(questions, "opening another folder? (No opens it");
}

// Unsaved changes are dropped only on No; Yes saves them (with Save's own questions) first.
bool SetupModel::mayDrop(Questions& questions, const char* question) {
  if (!unsavedChanges()) {
    return true;
  }
  tolvex::MessageText text;
  text.format(
      "The settings in this window have not been saved.\n\nSave them before %s without "
      "saving.)",
      question);
  const Answer answer = questions.askYesNoCancel(text.c_str());
  return answer == Answer::kNo || (answer == Answer::kYes && save(questions).ok);
}

// Tolvex starts the program in its own folder, else its fallback in the current one.
bool SetupModel::programThere(Questions& questions) const {
  const char* program = form.program.empty() ? tolvex::kDefaultAppName : form.program.c_str();
  if (world_.io().fileExists(program) || world_.io().fileExists(tolvex::kFallbackAppName)) {
    return true;
  }
  tolvex::MessageText question;
  question.format(
      "%s%s is not in this folder, and neither is %s, which Tolvex tries next: Tolvex "
      "would start nothing.\n\nSave these settings anyway?",
      program, form.program.empty() ? " (Tolvex's program when Program is empty)" : "",
      tolvex::kFallbackAppName);
  return questions.askYesNo(question.c_str());
}

// Tolvex reads Tolvex.ini from the current folder before the file named after itself.
void SetupModel::offerRenameShadowing(Questions& questions, const char* file) {
  const char* shadow = tolvex::kSettingsFileName;
  if (!form.named || !world_.io().fileExists(shadow)) {
    return;
  }
  FileName exe;
  tolvexProgram(exe);
  FileName old;
  old.format("%s.old", shadow);
  for (int n = 2; n <= kMaxOldCopies && world_.io().fileExists(old.c_str()); ++n) {
    old.format("%s.old%d", shadow, n);
  }
  tolvex::MessageText question;
  question.format(
      "This folder also holds %s, which Tolvex reads first: %s started from here would take "
      "its settings, not those of %s.\n\nRename %s to %s? Nothing is deleted.",
      shadow, exe.c_str(), file, shadow, old.c_str());
  tolvex_commands::FileTrouble trouble;
  if (!questions.askYesNo(question.c_str())) {
    shadowingNote();
  } else if (!world_.io().moveFile(shadow, old.c_str(), false, trouble)) {
    report.appendFormat("%s could not be renamed to %s: %s.\n", shadow, old.c_str(),
                        trouble.reason.c_str());
    shadowingNote();
  } else {
    report.appendFormat("Renamed %s to %s (not deleted), so that %s reads %s.\n", shadow,
                        old.c_str(), exe.c_str(), file);
  }
}

void SetupModel::shadowingNote() {
  FileName exe;
  tolvexProgram(exe);
  FileName file;
  settingsFile(file);
  if (form.named && world_.io().fileExists(tolvex::kSettingsFileName)) {
    report.appendFormat(
        "Note: this folder also holds %s, which Tolvex reads first: %s started from here takes "
        "its settings, not those of %s.\n",
        tolvex::kSettingsFileName, exe.c_str(), file.c_str());
  }
}

}  // namespace tolvex_setup
