// A Windows command line as separate arguments, split by the rules of msvcrt.dll, the C runtime
// that tolvex-ini.exe was linked with before it left the C runtime, so that scripts written for
// it hand the commands the same arguments. Portable: the rules are tested on any machine.
#ifndef TOLVEX_TOOLS_TOLVEX_INI_COMMAND_LINE_H
#define TOLVEX_TOOLS_TOLVEX_INI_COMMAND_LINE_H

#include <cstddef>

#include "platform/lead_bytes.h"

namespace tolvex_ini {

// Argument 0, the program, ends at the first blank or within its quotes. Every other argument
// ends at a blank (space or tab) outside quotes; a quote starts or ends the quoted part; 2n
// backslashes before a quote are n backslashes and the quote does its work, 2n + 1 are n and a
// quote kept as it is; within quotes, "" is one quote kept, and the quoted part ends with it;
// backslashes anywhere else are kept as they are. A lead byte of the ANSI code page (`leadBytes`)
// and the byte after it are one character, as msvcrt.dll took them: a second byte 0x5C is no
// backslash, so that "設定表" (表 is 0x95 0x5C in Shift-JIS) keeps its closing quote.
// The arguments' text goes to `text`, each zero-terminated, and their starts to `argv`. Returns
// their count, or -1 when they do not fit.
int splitCommandLine(const char* line, const tolvex::LeadBytes& leadBytes, char* text,
                     std::size_t capacity, const char** argv, int maxArguments);

}  // namespace tolvex_ini

#endif
