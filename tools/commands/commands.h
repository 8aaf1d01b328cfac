// tolvex-ini's commands, each in a file of its own; ini_tool.cpp dispatches to them. Each takes
// the arguments after the command's name and returns the exit status.
#ifndef TOLVEX_TOOLS_COMMANDS_COMMANDS_H
#define TOLVEX_TOOLS_COMMANDS_COMMANDS_H

#include "tools/commands/tool_io.h"

namespace tolvex_ini {

int runWrite(int argc, const char* const* argv, ToolIo& io);  // write_command.cpp
int runShow(int argc, const char* const* argv, ToolIo& io);   // show_command.cpp
// These three ask the display of the machine Tolvex runs on: Windows builds only.
int runCheck(int argc, const char* const* argv, ToolIo& io);    // check_command.cpp
int runModes(int argc, const char* const* argv, ToolIo& io);    // display_commands.cpp
int runRestore(int argc, const char* const* argv, ToolIo& io);  // display_commands.cpp

}  // namespace tolvex_ini

#endif
