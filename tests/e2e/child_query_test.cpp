// Setup's question to a new process (child_query.h), put to a copy of this one that never answers:
// exit status 0 when it answered nothing, took 5 s and less than 9 s, and ended the child.
#include "tools/tolvex-setup/win32/child_query.h"

#include <windows.h>

#include <cstdio>

int main(int argc, char**) {
  if (argc > 1) {
    CreateEventA(nullptr, TRUE, FALSE, "TolvexChildQueryTest");  // alive, as the event tells
    Sleep(INFINITE);
  }
  char own[MAX_PATH], line[MAX_PATH + 16], record[156];
  GetModuleFileNameA(nullptr, own, sizeof own);
  std::snprintf(line, sizeof line, "\"%s\" child", own);
  const DWORD start = GetTickCount();
  const bool answered = tolvex_setup::askChild(own, line, record, sizeof record, 5000);
  const DWORD took = GetTickCount() - start;
  const bool gone = OpenEventA(SYNCHRONIZE, FALSE, "TolvexChildQueryTest") == nullptr;
  std::printf("answered=%d took=%lu child=%s\n", answered, took, gone ? "gone" : "alive");
  return !answered && took >= 5000 && took < 9000 && gone ? 0 : 1;
}
