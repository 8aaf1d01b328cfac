// tolvex-child-query-test: Tolvex Setup's question to a new process (child_query.h), put to a
// child that never answers: the question gives up after its time limit, and the child is gone.
//   tolvex-child-query-test.exe          asks itself, started with --never-answer
// Prints "answered=0 took=<ms> child=gone" and exits 0 when the question took 5 s and a little,
// answered nothing and ended the child; 1 otherwise.
#include "tools/tolvex-setup/win32/child_query.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr char kChildEvent[] = "TolvexChildQueryTest";
constexpr unsigned long kLimitMs = 5000;

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--never-answer") == 0) {
    // Alive, as the event says, and silent for good.
    CreateEventA(nullptr, TRUE, FALSE, kChildEvent);
    Sleep(INFINITE);
    return 0;
  }
  char own[MAX_PATH];
  GetModuleFileNameA(nullptr, own, sizeof own);
  char line[MAX_PATH + 32];
  std::snprintf(line, sizeof line, "\"%s\" --never-answer", own);
  char record[156];
  const DWORD start = GetTickCount();
  const bool answered = tolvex_setup::askChild(own, line, record, sizeof record, kLimitMs);
  const DWORD took = GetTickCount() - start;
  HANDLE child = OpenEventA(SYNCHRONIZE, FALSE, kChildEvent);
  std::printf("answered=%d took=%lu child=%s\n", answered ? 1 : 0, static_cast<unsigned long>(took),
              child == nullptr ? "gone" : "alive");
  return !answered && took >= kLimitMs && took < kLimitMs + 2000 && child == nullptr ? 0 : 1;
}
