// Titles set up under any name: a copy of Tolvex is known by its version record (ProductName and
// InternalName "Tolvex", as resources/tolvex.rc gives them), whatever its file name. A copy
// <Name>.exe with a <Name>.ini beside it opens with that file chosen.
#include <cstring>

#include "app/run_defaults.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

bool SetupModel::isTolvexCopy(const char* program) const {
  FileName product;
  FileName internal;
  return world_.versionNames(program, product, internal) &&
         std::strcmp(product.c_str(), "Tolvex") == 0 &&
         std::strcmp(internal.c_str(), "Tolvex") == 0;
}

void SetupModel::recogniseCopies(bool chooseFirst) {
  nameCount = 0;
  int kept = 0;
  for (int i = 0; i < programCount; ++i) {
    if (!isTolvexCopy(programs[i].c_str())) {
      programs[kept++].assign(programs[i]);
      continue;
    }
    // The name Tolvex reads its settings file under.
    const char* name = programs[i].c_str();
    FileName ini;
    ini.assignBytes(name, tolvex::settingsNameLength(name, programs[i].length()));
    const FileName stem(ini.c_str());
    ini.append(".ini");
    if (world_.io().fileExists(ini.c_str())) {
      copies[nameCount].assign(programs[i]);
      names[nameCount++].assign(stem);
    }
  }
  programCount = kept;
  if (chooseFirst && nameCount > 0) {
    form.named = true;
    form.name.assign(names[0]);
  }
}

bool SetupModel::chooseName(int index, Questions& questions) {
  if (index < 0 || index >= nameCount ||
      !mayDrop(questions, "opening another name? (No opens it")) {
    return false;
  }
  // Every control from the chosen file: what it does not say is Tolvex's default.
  const tolvex::PathText folder(form.folder);
  form = SetupForm();
  form.folder.assign(folder);
  form.named = true;
  form.name.assign(names[index]);
  readSettings();
  shadowingNote();
  saved_ = form;
  return true;
}

// A name whose <Name>.exe is here but is no Tolvex: another program, never to be targeted.
Outcome SetupModel::namedCopyThere() const {
  Outcome outcome;
  FileName exe;
  tolvexProgram(exe);
  if (form.named && world_.io().fileExists(exe.c_str()) && !isTolvexCopy(exe.c_str())) {
    outcome.ok = false;
    outcome.focus = Field::kName;
    outcome.message.format(
        "%s in this folder is another program, not a copy of Tolvex: choose another name.",
        exe.c_str());
  }
  return outcome;
}

}  // namespace tolvex_setup
