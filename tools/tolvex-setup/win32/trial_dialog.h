// Try this mode's window: a countdown over the switched display, "It works" and "Go back".
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_TRIAL_DIALOG_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_TRIAL_DIALOG_H

#include <windows.h>

#include "tools/tolvex-setup/model/trial.h"

namespace tolvex_setup {

// Starts the trial and, while the mode is shown, the countdown window over `owner`, until the
// user answers or the time runs out. A refusal shows no window.
Outcome tryModeInWindow(HWND owner, Trial& trial);

}  // namespace tolvex_setup

#endif
