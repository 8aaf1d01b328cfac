#include "tools/tolvex-setup/model/shortcut.h"

#include "settings/settings_text.h"

namespace tolvex_setup {

namespace {

// A folder's file. A folder that ends in "表" ends in the byte 0x5C, which is no backslash.
void inFolder(const char* folder, const char* name, const tolvex::LeadBytes& leadBytes,
              tolvex::PathText& path) {
  path.assign(folder);
  const std::size_t length = path.length();
  if (length > 0 && !leadBytes.endsWithBackslash(folder, length)) {
    path.append("\\");
  }
  path.append(name);
}

// The shortcut to the form's Tolvex, described by what its saved settings make it do.
void shortcutFor(const SetupModel& model, const char* desktop, const tolvex::SettingsRequest& saved,
                 const tolvex::LeadBytes& leadBytes, Shortcut& shortcut) {
  const SetupForm& form = model.form;
  FileName name(form.name);
  name.append(".lnk");
  inFolder(desktop, name.c_str(), leadBytes, shortcut.file);
  FileName tolvex;
  model.tolvexProgram(tolvex);
  inFolder(form.folder.c_str(), tolvex.c_str(), leadBytes, shortcut.target);
  shortcut.folder.assign(form.folder);
  const char* program = saved.appPath.c_str();
  inFolder(form.folder.c_str(), program, leadBytes, shortcut.icon);
  shortcut.description.format("Starts %s at %d x %d, %d bits per pixel", program,
                              static_cast<int>(saved.width), static_cast<int>(saved.height),
                              static_cast<int>(saved.depth));
}

}  // namespace

Outcome makeShortcut(SetupModel& model, SetupWorld& world, Questions& questions) {
  tolvex::SettingsRequest saved;
  model.report.clear();
  Outcome outcome = model.readyForShortcut(questions, saved);
  if (!outcome.ok) {
    return outcome;
  }
  tolvex::PathText desktop;
  if (!world.desktopFolder(desktop)) {
    outcome.ok = false;
    outcome.message.assign("This user has no desktop folder to put a shortcut on.");
    return outcome;
  }
  Shortcut shortcut;
  shortcutFor(model, desktop.c_str(), saved, tolvex_commands::codePage(world.io()), shortcut);
  if (shortcut.file.overflowed() || shortcut.target.overflowed() || shortcut.icon.overflowed()) {
    outcome.ok = false;
    outcome.message.assign("The shortcut's path would be too long.");
    return outcome;
  }
  if (world.io().fileExists(shortcut.file.c_str())) {
    tolvex::MessageText question;
    question.format("%s already exists.\n\nReplace it with a shortcut to this title?",
                    shortcut.file.c_str());
    if (!questions.askYesNo(question.c_str())) {
      outcome.ok = false;
      return outcome;
    }
  }
  tolvex_commands::ReasonText why;
  if (!world.createShortcut(shortcut, why)) {
    outcome.ok = false;
    outcome.message.format("The shortcut %s could not be made: %s.", shortcut.file.c_str(),
                           why.c_str());
    return outcome;
  }
  model.report.appendFormat("Made the shortcut %s\nIt starts %s in %s (\"Start in\").\n%s\n",
                            shortcut.file.c_str(), shortcut.target.c_str(), shortcut.folder.c_str(),
                            shortcut.description.c_str());
  return outcome;
}

}  // namespace tolvex_setup
