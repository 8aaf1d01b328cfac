// Files through the C runtime, as both front ends of the commands read them: the command line's
// (tolvex-ini) and the dialog's (Tolvex Setup).
#ifndef TOLVEX_TOOLS_COMMANDS_STDIO_FILES_H
#define TOLVEX_TOOLS_COMMANDS_STDIO_FILES_H

#include <cstddef>
#include <cstdint>

#include "tools/commands/tool_io.h"

namespace tolvex_commands {

// ToolIo::readFileHead on fopen/fread: the first `capacity` bytes into `buffer`, and the file's
// whole length in `total` (the rest is only counted, so that a report can say how much is never
// read).
bool readFileHeadStdio(const char* path, std::uint8_t* buffer, std::size_t capacity,
                       std::size_t& stored, std::size_t& total, ReasonText& why);

// Sets `why` to the text of errno (or a plain "input/output error") and returns false.
bool failWithErrno(ReasonText& why);

}  // namespace tolvex_commands

#endif
