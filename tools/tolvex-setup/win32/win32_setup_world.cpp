#include "tools/tolvex-setup/win32/win32_setup_world.h"

#include <windows.h>

#include <cstring>

#include "tools/tolvex-setup/model/names.h"

namespace tolvex_setup {

using tolvex_ini::failWithLastError;

bool Win32SetupWorld::enterFolder(const char* folder, tolvex_ini::ReasonText& why) {
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

bool Win32SetupWorld::copyNewFile(const char* from, const char* to, tolvex_ini::ReasonText& why) {
  return CopyFileA(from, to, TRUE) != 0 ? true : failWithLastError(why);
}

bool Win32SetupWorld::startProgram(const char* program, tolvex_ini::ReasonText& why) {
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
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace tolvex_setup
