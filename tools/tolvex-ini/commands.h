// tolvex-ini's commands, each in a file of its own; ini_tool.cpp dispatches to them. Each takes
// the arguments after the command's name and returns the exit status.
#ifndef TOLVEX_TOOLS_TOLVEX_INI_COMMANDS_H
#define TOLVEX_TOOLS_TOLVEX_INI_COMMANDS_H

#include "tools/tolvex-ini/ini_tool.h"

namespace tolvex_ini {

int runWrite(int argc, const char* const* argv, ToolIo& io);  // write_command.cpp
int runShow(int argc, const char* const* argv, ToolIo& io);   // show_command.cpp

}  // namespace tolvex_ini

#endif
