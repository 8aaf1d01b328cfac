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

namespace tolvex {

struct ArgumentZero {
  const char* begin;   // inside the command line; the bytes are not terminated there
  std::size_t length;  // in bytes
  bool useModuleName;  // the command line was empty: ask for the module file name instead
};

ArgumentZero findArgumentZero(const char* commandLine);

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

}  // namespace tolvex

#endif
