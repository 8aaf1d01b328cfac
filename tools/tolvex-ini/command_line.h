// A Windows command line as separate arguments, split the way programs built with the C runtime
// of Windows (msvcrt) split it, so that tolvex-ini.exe, which has no C runtime, takes every
// argument as it always did. Portable: the rules are tested on any machine.
#ifndef TOLVEX_TOOLS_TOLVEX_INI_COMMAND_LINE_H
#define TOLVEX_TOOLS_TOLVEX_INI_COMMAND_LINE_H

#include <cstddef>

namespace tolvex_ini {

// Argument 0, the program, ends at the first blank or within its quotes. Every other argument
// ends at a blank outside quotes; a quote starts or ends the quoted part; 2n backslashes before
// a quote are n backslashes and the quote does its work, 2n + 1 are n and a quote kept as it
// is; "" within quotes is one quote kept; backslashes anywhere else are kept as they are.
// The arguments' text goes to `text`, each zero-terminated, and their starts to `argv`. Returns
// their count, or -1 when they do not fit.
int splitCommandLine(const char* line, char* text, std::size_t capacity, const char** argv,
                     int maxArguments);

}  // namespace tolvex_ini

#endif
