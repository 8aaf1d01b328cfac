// Portable: standard headers only. Never include <windows.h> here.
//
// Argument 0, taken from the process's raw command line as Tolvex has always read it: the first
// token, where a token that begins with a double quote runs to the next double quote (or to the
// end, when none follows) without the quotes, and any other runs to the first blank or tab (so a
// command line that begins with a blank has an empty argument 0). Only an empty command line has
// no token at all; argument 0 is then the program's full module file name, which is never cut
// either.
#ifndef TOLVEX_APP_ARGUMENT_ZERO_H
#define TOLVEX_APP_ARGUMENT_ZERO_H

#include <cstddef>
#include <cstdint>

#include "platform/first_token.h"
#include "platform/fixed_text.h"
#include "platform/platform.h"

namespace tolvex {

using ArgumentZero = FirstToken<char>;

inline ArgumentZero findArgumentZero(const char* commandLine) {
  return firstToken(commandLine);
}

// Copies argument 0 of `commandLine` into `out` (`capacity` bytes, the terminating zero
// included). Returns false, with `out` untouched, when the module file name is wanted instead
// or when the token does not fit whole: a cut token would name another file.
bool copyArgumentZero(const char* commandLine, char* out, std::size_t capacity);

// GetModuleFileNameA(NULL, name, size) as Windows answers: the length of the program's full file
// name when it fits with its zero; `size` when it does not, the buffer then holding its first
// bytes, terminated or not.
using ModuleFileNameQuery = std::uint32_t (*)(char* name, std::uint32_t size);

// The room the module file name is asked with: the longest path Windows gives.
constexpr std::uint32_t kModuleNameRoom = 32767;

// Argument 0 of the run: the first token of `commandLine` when there is one that fits whole in
// `out`, else the module file name, asked with kModuleNameRoom bytes of room (or `capacity`,
// when less). Returns `out`, or nullptr when the name filled the room: it may have been cut,
// and a cut path may name another folder (the run takes nullptr for an argument 0 that could
// not be read whole).
const char* readArgumentZero(const char* commandLine, ModuleFileNameQuery moduleFileName, char* out,
                             std::size_t capacity);

// A name as Windows holds it, in UTF-8.
using HeldText = FixedText<kHeldPathCapacity>;

// How the ANSI functions reach the file that argument 0 names.
enum class AnsiArgument {
  kAsGiven,          // by the ANSI argument 0 itself: Windows holds no other form, or it is whole
  kShortForm,        // by the short (8.3) form of its folders, and of its name when need be
  kOutsideCodePage,  // by no path: its name holds characters the code page lacks, and no short
                     // form without them
};

// Compares argument 0 as Windows holds it (`held`, UTF-8) with its ANSI form, character for
// character, with no look-alike or '?' standing in for one. Where that form is not exact, its
// short (8.3) form, written to `out`, with the program's own file name as it is where the code
// page holds it (its settings file is named after it); where there is none, the folder as the
// user sees it in `outside`.
AnsiArgument ansiArgumentZero(Platform& platform, const LeadBytes& leadBytes, const char* held,
                              char* out, std::size_t capacity, HeldText& outside);

}  // namespace tolvex

#endif
