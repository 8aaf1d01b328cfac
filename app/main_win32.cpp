// Entry point of Tolvex.exe. Portable apart from being linked with the Win32 backend: it
// includes no Windows header.
#include "app/run_context.h"
#include "platform/win32_platform.h"

int main(int argc, char** argv) {
  // Only argument 0 is used. The C runtime takes it from the command line (a quoted first token
  // without its quotes, else up to the first blank) or, for an empty command line, from the
  // module's file name.
  static tolvex::Win32Platform platform;
  return tolvex::runTolvex(platform, argc > 0 && argv[0] != nullptr ? argv[0] : "");
}
