// A question put to a new process, which answers with one record on its standard output and
// ends: Tolvex Setup asks a new copy of itself for the display's mode now (win32_setup_world.cpp).
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_CHILD_QUERY_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_CHILD_QUERY_H

#include <cstddef>

namespace tolvex_setup {

// Starts `program` with `commandLine` (which CreateProcessA may write into), its standard output
// the write end of a pipe, and waits at most `limitMs` for it to end, painting this thread's
// windows meanwhile and handling nothing else, so that no button is pressed in the middle of a
// question. A child that has not ended by then is ended here, and gone when this returns. True
// when the child ended with status 0 and its whole answer, `size` bytes, is in `record`.
bool askChild(const char* program, char* commandLine, void* record, std::size_t size,
              unsigned long limitMs);

}  // namespace tolvex_setup

#endif
