// Portable: standard headers only. Never include <windows.h> here.
//
// A desktop shortcut that starts the folder's Tolvex in the title's folder, so that Tolvex finds
// Tolvex.ini there: <title name>.lnk, with the title program's own icon.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_SHORTCUT_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_SHORTCUT_H

#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

// Makes the shortcut on the user's desktop once the model is ready for it, asking before it
// replaces one; the report names the file.
Outcome makeShortcut(SetupModel& model, SetupWorld& world, Questions& questions);

}  // namespace tolvex_setup

#endif
