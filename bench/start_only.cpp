// Win32 only. For context in the launch-overhead benchmark: starts the application and waits
// for it, nothing else.
//   start_only.exe APP
#include "bench/start_and_wait.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  startAndWait(argv[1]);
  return 0;
}
