// Titles set up under any name: a copy of Tolvex is known by its version record (ProductName and
// InternalName "Tolvex", as resources/tolvex.rc gives them), whatever its file name. A copy
// <Name>.exe with a <Name>.ini beside it opens with that file chosen.
#include <cstring>

#include "app/run_defaults.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

void SetupModel::recogniseCopies() {
  nameCount = 0;
  int kept = 0;
  for (int i = 0; i < programCount; ++i) {
    FileName product;
    FileName internal;
    const bool copy = world_.versionNames(programs[i].c_str(), product, internal) &&
                      std::strcmp(product.c_str(), "Tolvex") == 0 &&
                      std::strcmp(internal.c_str(), "Tolvex") == 0;
    if (!copy) {
      programs[kept++].assign(programs[i]);
      continue;
    }
    // The name Tolvex reads its settings file under: its own, up to the first dot.
    const char* name = programs[i].c_str();
    FileName ini;
    ini.assignBytes(name, std::strcspn(name, "."));
    const FileName stem(ini.c_str());
    ini.append(".ini");
    if (world_.io().fileExists(ini.c_str())) {
      names[nameCount++].assign(stem);
    }
  }
  programCount = kept;
  if (nameCount > 0) {
    form.named = true;
    form.name.assign(names[0]);
  }
}

void SetupModel::chooseName(int index) {
  if (index < 0 || index >= nameCount) {
    return;
  }
  form.named = true;
  form.name.assign(names[index]);
  readSettings();
  shadowingNote();
  saved_ = form;
}

}  // namespace tolvex_setup
