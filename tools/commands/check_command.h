// tolvex-ini check with the run sequence as a parameter: runCheck gives Tolvex's own, and the unit
// tests give sequences that differ from it, to show that the report follows what a run does.
#ifndef TOLVEX_TOOLS_COMMANDS_CHECK_COMMAND_H
#define TOLVEX_TOOLS_COMMANDS_CHECK_COMMAND_H

#include "app/run_observer.h"
#include "platform/platform.h"
#include "tools/commands/tool_io.h"

namespace tolvex_ini {

// A whole run of Tolvex, as tolvex::runTolvex.
using RunSequence = int (*)(tolvex::Platform& platform, const char* argument0,
                            tolvex::RunObserver* observer);

int runCheckWith(RunSequence run, int argc, const char* const* argv, ToolIo& io);

}  // namespace tolvex_ini

#endif
