#include "tools/tolvex-setup/win32/win32_setup_world.h"

#include <windows.h>

#include <cstring>

#include "tools/tolvex-setup/model/names.h"

namespace tolvex_setup {

using tolvex_commands::failWithLastError;

namespace {

// How long a mode query may take a new process to answer.
constexpr DWORD kModeQueryMs = 30000;

// The mode now, as a new Tolvex Setup (kCurrentModeOption) reads it.
bool askNewProcess(tolvex::DevModeA* mode) {
  static_assert(sizeof(tolvex::DevModeA) == sizeof(DEVMODEA), "");
  char own[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own);
  tolvex::FixedText<MAX_PATH + sizeof kCurrentModeOption + 4> command;
  if (length == 0 || length >= sizeof own ||
      !command.format("\"%s\" %s", own, kCurrentModeOption)) {
    return false;
  }
  // CreateProcessA may write to the line it is given.
  char line[decltype(command)::kCapacity];
  std::memcpy(line, command.c_str(), command.length() + 1);
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (CreatePipe(&readEnd, &writeEnd, &inherited, 0) == 0) {
    return false;
  }
  // The new process inherits only the write end: the read end is exchanged for a copy that is
  // not inheritable (Windows 95 has no SetHandleInformation).
  HANDLE ownEnd = nullptr;
  HANDLE self = GetCurrentProcess();
  const bool copied =
      DuplicateHandle(self, readEnd, self, &ownEnd, 0, FALSE, DUPLICATE_SAME_ACCESS) != 0;
  CloseHandle(readEnd);
  if (!copied) {
    CloseHandle(writeEnd);
    return false;
  }
  readEnd = ownEnd;
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  PROCESS_INFORMATION process;
  // Windows 9x does not know CREATE_NO_WINDOW; the new Tolvex Setup, a GUI program, has no
  // console to hide anyway.
  const DWORD flags = (GetVersion() & 0x80000000U) != 0 ? 0 : CREATE_NO_WINDOW;
  const bool started = CreateProcessA(own, line, nullptr, nullptr, TRUE, flags, nullptr, nullptr,
                                      &startup, &process) != 0;
  // Only the child holds the write end now: the pipe ends when it does.
  CloseHandle(writeEnd);
  DEVMODEA answer;
  DWORD total = 0;
  DWORD got = 0;
  while (started && total < sizeof answer &&
         ReadFile(readEnd, reinterpret_cast<char*>(&answer) + total, sizeof answer - total, &got,
                  nullptr) != 0 &&
         got > 0) {
    total += got;
  }
  CloseHandle(readEnd);
  if (started) {
    WaitForSingleObject(process.hProcess, kModeQueryMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  if (total != sizeof answer) {
    return false;
  }
  std::memcpy(mode, &answer, sizeof answer);
  return true;
}

}  // namespace

int SetupPlatform::enumDisplaySettings(std::int32_t modeNum, tolvex::DevModeA* mode) {
  if (modeNum == tolvex::kEnumCurrentSettings && askNewProcess(mode)) {
    return 1;
  }
  return Win32Platform::enumDisplaySettings(modeNum, mode);
}

int writeCurrentMode() {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  DWORD written = 0;
  return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) != 0 &&
                 WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), &mode, sizeof mode, &written,
                           nullptr) != 0 &&
                 written == sizeof mode
             ? 0
             : 1;
}

bool Win32SetupWorld::enterFolder(const char* folder, tolvex_commands::ReasonText& why) {
  return SetCurrentDirectoryA(folder) != 0 ? true : failWithLastError(why);
}

void Win32SetupWorld::currentFolder(tolvex::PathText& folder) {
  char path[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(sizeof path, path);
  folder.assign(length > 0 && length < sizeof path ? path : ".");
}

int Win32SetupWorld::listPrograms(FileName* names, int capacity) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA("*.exe", &found);
  if (search == INVALID_HANDLE_VALUE) {
    return 0;
  }
  int count = 0;
  do {
    // "*.exe" also finds names whose short form ends so: keep only what truly ends in .exe.
    const std::size_t length = std::strlen(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && length > 4 &&
        equalsIgnoringCase(found.cFileName + length - 4, ".exe") &&
        names[count].assign(found.cFileName)) {
      ++count;
    }
  } while (count < capacity && FindNextFileA(search, &found) != 0);
  FindClose(search);
  return count;
}

void Win32SetupWorld::besideSetup(const char* name, tolvex::PathText& path) {
  char own[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, own, sizeof own);
  std::size_t folder = length < sizeof own ? length : 0;
  while (folder > 0 && own[folder - 1] != '\\') {
    --folder;
  }
  path.assignBytes(own, folder);
  path.append(name);
}

bool Win32SetupWorld::copyNewFile(const char* from, const char* to,
                                  tolvex_commands::ReasonText& why) {
  return CopyFileA(from, to, TRUE) != 0 ? true : failWithLastError(why);
}

bool Win32SetupWorld::startProgram(const char* program, tolvex_commands::ReasonText& why) {
  tolvex::PathText folder;
  currentFolder(folder);
  tolvex::PathText path(folder);
  path.append(folder.c_str()[folder.length() - 1] == '\\' ? "" : "\\");
  path.append(program);
  // The command line Explorer gives: the program's full path, quoted.
  tolvex::PathText commandLine;
  commandLine.format("\"%s\"", path.c_str());
  if (path.overflowed() || commandLine.overflowed()) {
    why.assign("the path is too long");
    return false;
  }
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  char line[tolvex::kPathCapacity];
  std::memcpy(line, commandLine.c_str(), commandLine.length() + 1);
  if (CreateProcessA(path.c_str(), line, nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                     &startup, &process) == 0) {
    return failWithLastError(why);
  }
  CloseHandle(process.hThread);
  if (started_ != nullptr) {
    CloseHandle(started_);
  }
  started_ = process.hProcess;
  return true;
}

bool Win32SetupWorld::titleRunning() {
  if (started_ == nullptr || WaitForSingleObject(started_, 0) == WAIT_TIMEOUT) {
    return started_ != nullptr;
  }
  CloseHandle(started_);
  started_ = nullptr;
  return false;
}

}  // namespace tolvex_setup
