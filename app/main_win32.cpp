// Entry point of Tolvex.exe. Portable apart from being linked with the Win32 backend: it
// includes no Windows header.
//
// Tolvex.exe carries no C runtime (so that it starts on every Windows from Windows 95 and on
// every CPU from the 80486): Windows calls tolvexStart directly, with nothing set up. The
// backend takes argument 0 from the raw command line, and the process ends with ExitProcess.
#include "app/run_context.h"
#include "platform/win32_platform.h"

extern "C" [[noreturn]] void tolvexStart() {
  tolvex::Win32Platform platform;
  char argument0[tolvex::kArgumentZeroCapacity];
  tolvex::processArgumentZero(argument0, sizeof argument0);
  const int status = tolvex::runTolvex(platform, argument0);
  tolvex::exitProcess(static_cast<unsigned int>(status));
}
