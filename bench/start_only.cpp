// Win32 only. For context in the launch-overhead benchmark: starts the application and waits
// for it, nothing else.
//   start_only.exe APP
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  if (CreateProcessA(argv[1], nullptr, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                     nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  return 0;
}
