#include "tools/tolvex-setup/model/shortcut.h"

#include "settings/settings_text.h"
#include "tools/tolvex-setup/model/trial.h"

namespace tolvex_setup {

namespace {

void inFolder(const char* folder, const char* name, tolvex::PathText& path) {
  path.assign(folder);
  const std::size_t length = path.length();
  if (length > 0 && folder[length - 1] != '\\') {
    path.append("\\");
  }
  path.append(name);
}

}  // namespace

void shortcutFor(const SetupModel& model, const char* desktop, Shortcut& shortcut) {
  const SetupForm& form = model.form;
  FileName name(form.name.empty() ? "Title" : form.name.c_str());
  name.append(".lnk");
  inFolder(desktop, name.c_str(), shortcut.file);
  FileName tolvex;
  model.tolvexProgram(tolvex);
  inFolder(form.folder.c_str(), tolvex.c_str(), shortcut.target);
  shortcut.folder.assign(form.folder);
  const char* program = form.program.empty() ? tolvex::kDefaultAppName : form.program.c_str();
  inFolder(form.folder.c_str(), program, shortcut.icon);
  std::int32_t width = 0;
  std::int32_t height = 0;
  SizeText size(form.size);
  if (parseSize(form.size.c_str(), width, height)) {
    size.format("%d x %d", static_cast<int>(width), static_cast<int>(height));
  }
  shortcut.description.format("Starts %s at %s, %d bits per pixel", program, size.c_str(),
                              static_cast<int>(kDepths[form.depth]));
}

Outcome makeShortcut(SetupModel& model, SetupWorld& world, Questions& questions) {
  Outcome outcome;
  tolvex::PathText desktop;
  if (!world.desktopFolder(desktop)) {
    outcome.ok = false;
    outcome.message.assign("This user has no desktop folder to put a shortcut on.");
    return outcome;
  }
  Shortcut shortcut;
  shortcutFor(model, desktop.c_str(), shortcut);
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
  model.report.format("Made the shortcut %s\nIt starts %s in %s (\"Start in\").\n%s\n",
                      shortcut.file.c_str(), shortcut.target.c_str(), shortcut.folder.c_str(),
                      shortcut.description.c_str());
  return outcome;
}

}  // namespace tolvex_setup
