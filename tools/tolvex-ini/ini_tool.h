// tolvex-ini: writes settings files for Tolvex and explains what Tolvex does with one.
//
// The logic lives here, apart from main(), so that it can be run against an in-memory world in
// the unit tests. Every decision about a settings file is made by settings/settings_text.h, the
// very code Tolvex.exe reads its file with.
#ifndef TOLVEX_TOOLS_TOLVEX_INI_INI_TOOL_H
#define TOLVEX_TOOLS_TOLVEX_INI_INI_TOOL_H

#include "tools/commands/tool_io.h"

namespace tolvex_ini {

// The whole program: argv[0] is ignored (messages always say "tolvex-ini"). Returns the exit
// status.
int runIniTool(int argc, const char* const* argv, ToolIo& io);

}  // namespace tolvex_ini

#endif
