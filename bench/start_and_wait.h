// Win32 only. Starting the benchmark's application and waiting for it, the way Tolvex does:
// the name as the application, no command line, inherited handles, environment and folder.
#ifndef TOLVEX_BENCH_START_AND_WAIT_H
#define TOLVEX_BENCH_START_AND_WAIT_H

#include <windows.h>

#include <cstring>

inline void startAndWait(const char* application) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  if (CreateProcessA(application, nullptr, nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr,
                     nullptr, &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

#endif
