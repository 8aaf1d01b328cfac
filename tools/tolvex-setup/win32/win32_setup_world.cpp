#include "tools/tolvex-setup/win32/win32_setup_world.h"

#include <windows.h>

#include <cstring>

#include "app/argument_zero.h"
#include "platform/win32_platform.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/win32/child_query.h"

namespace tolvex_setup {

using tolvex_commands::failWithLastError;

namespace {

// How long a mode query may take a new process to answer; the window is only painted meanwhile.
constexpr unsigned long kModeQueryMs = 5000;

// Tolvex Setup's own file, whole however long its path (nullptr when it cannot be read whole).
const char* ownModuleName() {
  static char name[tolvex::kModuleNameRoom + 1];
  return tolvex::readArgumentZero("", &tolvex::moduleFileName, name, sizeof name);
}

// The mode now, as a new Tolvex Setup (kCurrentModeOption) reads it.
bool askNewProcess(tolvex::DevModeA* mode) {
  static_assert(sizeof(tolvex::DevModeA) == sizeof(DEVMODEA), "");
  const char* own = ownModuleName();
  if (own == nullptr) {
    return false;
  }
  // "<own>" <option>, built in place: CreateProcessA may write into the command line. The module
  // name is at most kModuleNameRoom bytes, so the line always fits.
  static char commandLine[tolvex::kModuleNameRoom + sizeof kCurrentModeOption + 4];
  std::size_t at = 0;
  commandLine[at++] = '"';
  for (const char* c = own; *c != '\0'; ++c) {
    commandLine[at++] = *c;
  }
  commandLine[at++] = '"';
  commandLine[at++] = ' ';
  std::memcpy(commandLine + at, kCurrentModeOption, sizeof kCurrentModeOption);
  return askChild(own, commandLine, mode, sizeof *mode, kModeQueryMs);
}

}  // namespace

int SetupPlatform::enumDisplaySettings(std::int32_t modeNum, tolvex::DevModeA* mode) {
  if (modeNum == tolvex::kEnumCurrentSettings && !asked_) {
    asked_ = true;
    if (askNewProcess(mode)) {
      return 1;
    }
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

namespace {

// The current folder in a form the ANSI functions reach it by, as Tolvex would take it: exact,
// else its short 8.3 form (Windows NT holds it in UTF-16, and its ANSI copy may have lost
// characters). Its length; 0 when it has none (or is too long for `size`).
DWORD ansiCurrentFolder(char* path, DWORD size) {
  using CurrentDirectoryW = DWORD(WINAPI*)(DWORD, LPWSTR);
  const auto currentDirectoryW =
      tolvex::systemFunction<CurrentDirectoryW>("kernel32.dll", "GetCurrentDirectoryW", true);
  if (currentDirectoryW == nullptr) {
    // Windows 9x holds names in ANSI, and its W functions are stubs.
    const DWORD length = GetCurrentDirectoryA(size, path);
    return length < size ? length : 0;
  }
  static wchar_t wide[tolvex::kHeldPathCapacity];
  const DWORD length = currentDirectoryW(tolvex::kHeldPathCapacity, wide);
  const long ansi =
      length > 0 && length < tolvex::kHeldPathCapacity ? tolvex::ansiName(wide, path, size) : -1;
  return ansi > 0 ? static_cast<DWORD>(ansi) : 0;
}

}  // namespace

void Win32SetupWorld::currentFolder(tolvex::PathText& folder) {
  char path[MAX_PATH];
  folder.assign(ansiCurrentFolder(path, sizeof path) > 0 ? path : ".");
}

bool Win32SetupWorld::folderInCodePage() {
  char path[MAX_PATH];
  return ansiCurrentFolder(path, sizeof path) > 0;
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
  const char* own = ownModuleName();
  const std::size_t length = own != nullptr ? std::strlen(own) : 0;
  // Up to the last backslash that is a character of its own (a Setup renamed "設定表.exe" has
  // one that is not).
  tolvex::LeadBytes leadBytes;
  tolvex::ansiLeadBytes(leadBytes);
  const std::size_t backslash = leadBytes.lastBackslash(own, length);
  const std::size_t folder = backslash < length ? backslash + 1 : 0;
  // A folder that cannot be named is one without Tolvex.exe.
  if (own == nullptr || !path.assignBytes(own, folder) || !path.append(name)) {
    path.assign("");
  }
}

bool Win32SetupWorld::copyNewFile(const char* from, const char* to,
                                  tolvex_commands::ReasonText& why) {
  return CopyFileA(from, to, TRUE) != 0 ? true : failWithLastError(why);
}

bool Win32SetupWorld::startProgram(const char* program, tolvex_commands::ReasonText& why) {
  // The current folder as currentFolder() reads it, looked at in Windows' own answer: in the
  // form Tolvex takes it, so that Tolvex started from it finds this very folder.
  char here[MAX_PATH];
  const char* folder = ansiCurrentFolder(here, sizeof here) > 0 ? here : ".";
  tolvex::PathText path(folder);
  // A folder "時刻表" ends in the byte 0x5C, a second byte: it still needs its backslash.
  tolvex::LeadBytes leadBytes;
  tolvex::ansiLeadBytes(leadBytes);
  path.append(leadBytes.endsWithBackslash(folder, std::strlen(folder)) ? "" : "\\");
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
  if (CreateProcessA(path.c_str(), line, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup,
                     &process) == 0) {
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
