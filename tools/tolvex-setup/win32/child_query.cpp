#include "tools/tolvex-setup/win32/child_query.h"

#include <windows.h>

#include <cstring>

#include "platform/win32_platform.h"

namespace tolvex_setup {

namespace {

// How long an ended child may take to be gone.
constexpr DWORD kEndingMs = 2000;

// Waits for `process` to end, at most `limit` ms, painting the windows of this thread meanwhile.
bool waitPainting(HANDLE process, DWORD limit) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD gone = GetTickCount() - start;
    if (gone >= limit) {
      return false;
    }
    const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, limit - gone, QS_PAINT);
    if (woke == WAIT_OBJECT_0) {
      return true;
    }
    if (woke != WAIT_OBJECT_0 + 1) {
      return false;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE) != 0) {
      DispatchMessageA(&message);
    }
  }
}

// A pipe whose write end the child inherits, and whose read end it does not: the read end is
// exchanged for a copy that is not inheritable (Windows 95 has no SetHandleInformation).
bool childPipe(std::size_t size, HANDLE& readEnd, HANDLE& writeEnd) {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE inheritedRead = nullptr;
  if (CreatePipe(&inheritedRead, &writeEnd, &inherited, 2 * static_cast<DWORD>(size)) == 0) {
    return false;
  }
  HANDLE self = GetCurrentProcess();
  const bool copied =
      DuplicateHandle(self, inheritedRead, self, &readEnd, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
  CloseHandle(inheritedRead);
  if (!copied) {
    CloseHandle(writeEnd);
  }
  return copied;
}

// The child's answer, once it has ended: its status 0 and a record the pipe holds whole, so
// that the read cannot wait.
bool readAnswer(HANDLE process, HANDLE readEnd, void* record, std::size_t size) {
  DWORD status = 1;
  DWORD available = 0;
  DWORD got = 0;
  return GetExitCodeProcess(process, &status) != 0 && status == 0 &&
         PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) != 0 &&
         available >= size &&
         ReadFile(readEnd, record, static_cast<DWORD>(size), &got, nullptr) != 0 && got == size;
}

}  // namespace

bool askChild(const char* program, char* commandLine, void* record, std::size_t size,
              unsigned long limitMs) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!childPipe(size, readEnd, writeEnd)) {
    return false;
  }
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  PROCESS_INFORMATION process;
  // Windows 9x does not know CREATE_NO_WINDOW; a GUI program has no console to hide anyway.
  const DWORD flags = tolvex::isWindows9x() ? 0 : CREATE_NO_WINDOW;
  const bool started = CreateProcessA(program, commandLine, nullptr, nullptr, TRUE, flags, nullptr,
                                      nullptr, &startup, &process) != 0;
  // Only the child holds the write end now: the pipe ends when it does.
  CloseHandle(writeEnd);
  bool answered = false;
  if (started) {
    CloseHandle(process.hThread);
    if (waitPainting(process.hProcess, limitMs)) {
      answered = readAnswer(process.hProcess, readEnd, record, size);
    } else {
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, kEndingMs);
    }
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return answered;
}

}  // namespace tolvex_setup
