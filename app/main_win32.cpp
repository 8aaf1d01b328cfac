// Entry point of Tolvex.exe. Portable apart from being linked with the Win32 backend: it
// includes no Windows header.
//
// Tolvex.exe carries no C runtime (so that it starts on every Windows from Windows 95 and on
// every CPU from the 80486): Windows calls tolvexStart directly, with nothing set up. The
// entry takes argument 0 from the raw command line, and the process ends with ExitProcess.
#include "app/argument_zero.h"
#include "app/run_context.h"
#include "platform/win32_platform.h"

extern "C" [[noreturn]] void tolvexStart() {
  tolvex::Win32Platform platform;
  // An empty command line (or a first token too long for the buffer, which Windows never gives
  // with kArgumentZeroCapacity) means the program's full file name, as Windows knows it.
  char buffer[tolvex::kArgumentZeroCapacity];
  static_assert(sizeof buffer >= tolvex::kModuleNameRoom, "room for the longest module name");
  const char* argument0 = tolvex::readArgumentZero(tolvex::processCommandLine(),
                                                   &tolvex::moduleFileName, buffer, sizeof buffer);
  // Windows NT holds argument 0 in UTF-16: the run takes the ANSI one only where it names the
  // same file. One too long to compare is taken as one that could not be read whole.
  char held[tolvex::kHeldPathCapacity];
  const std::size_t heldLength = tolvex::heldArgumentZero(held, sizeof held);
  if (heldLength >= sizeof held) {
    argument0 = nullptr;
  }
  const int status =
      tolvex::runTolvex(platform, argument0, nullptr, heldLength > 0 ? held : nullptr);
  tolvex::exitProcess(static_cast<unsigned int>(status));
}
