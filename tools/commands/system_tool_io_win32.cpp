// SystemToolIo on Windows: files with Win32, the display through Tolvex's own Win32 backend.
#include <windows.h>

#include "app/run_context.h"
#include "tools/commands/system_tool_io.h"

namespace tolvex_commands {

bool failWithLastError(ReasonText& why) {
  const DWORD code = GetLastError();
  char text[256];
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                code, 0, text, sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                        text[length - 1] == '.' || text[length - 1] == ' ')) {
    --length;
  }
  if (length == 0 || !why.assignBytes(text, length)) {
    why.format("error %lu", static_cast<unsigned long>(code));
  }
  return false;
}

namespace {

bool fail(FileTrouble& trouble) {
  const DWORD code = GetLastError();
  trouble.exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
  trouble.noRoom = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL;
  trouble.noFolder = code == ERROR_PATH_NOT_FOUND;
  trouble.denied = code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT;
  return failWithLastError(trouble.reason);
}

}  // namespace

namespace {

// A file that cannot be read, in the words the C runtime's strerror gave it when the tool read
// files through fopen: scripts have read these texts since.
bool failAsCRuntime(ReasonText& why) {
  const DWORD code = GetLastError();
  const char* text = "Invalid argument";
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
      text = "No such file or directory";
      break;
    case ERROR_TOO_MANY_OPEN_FILES:
      text = "Too many open files";
      break;
    case ERROR_NOT_ENOUGH_MEMORY:
      text = "Not enough space";
      break;
    default:
      // Access, sharing, locks and the disk's own errors: all "denied" to the C runtime.
      if (code == ERROR_ACCESS_DENIED || code == ERROR_NETWORK_ACCESS_DENIED ||
          (code >= ERROR_WRITE_PROTECT && code <= ERROR_SHARING_BUFFER_EXCEEDED)) {
        text = "Permission denied";
      }
      break;
  }
  why.assign(text);
  return false;
}

}  // namespace

bool SystemToolIo::readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                                std::size_t& stored, std::size_t& total, ReasonText& why) {
  stored = 0;
  total = 0;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return failAsCRuntime(why);
  }
  // The head into the buffer, the rest only counted.
  std::uint8_t rest[4096];
  bool ok = true;
  for (;;) {
    const bool head = stored < capacity;
    std::uint8_t* into = head ? buffer + stored : rest;
    const std::size_t room = head ? capacity - stored : sizeof rest;
    DWORD got = 0;
    ok = ReadFile(file, into, static_cast<DWORD>(room < 65536 ? room : 65536), &got, nullptr) != 0;
    if (!ok || got == 0) {
      break;
    }
    stored += head ? got : 0;
    total += got;
  }
  if (!ok) {
    const DWORD code = GetLastError();
    CloseHandle(file);  // only read
    SetLastError(code);
    return failAsCRuntime(why);
  }
  CloseHandle(file);  // only read
  return true;
}

bool SystemToolIo::fileExists(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
    return true;
  }
  // Anything but "not there" may be a file that must not be replaced.
  const DWORD code = GetLastError();
  return code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND;
}

bool SystemToolIo::isFolder(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool SystemToolIo::writeNewFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                                FileTrouble& trouble) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return fail(trouble);
  }
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < size) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(size - done < 65536 ? size - done : 65536);
    const bool called = WriteFile(file, bytes + done, chunk, &wrote, nullptr) != 0;
    if (called && wrote == 0) {
      SetLastError(ERROR_HANDLE_DISK_FULL);  // nothing written, and no reason given
    }
    ok = called && wrote > 0;
    done += wrote;
  }
  ok = ok && FlushFileBuffers(file) != 0;
  if (!ok) {
    const DWORD code = GetLastError();
    CloseHandle(file);
    SetLastError(code);
    return fail(trouble);
  }
  return CloseHandle(file) != 0 ? true : fail(trouble);
}

// Asked of the version, not of MoveFileExA's error: on Windows 9x that function exists only as
// a stub.
bool SystemToolIo::replacesInOneStep() {
  return !tolvex::isWindows9x();
}

bool SystemToolIo::moveFile(const char* from, const char* to, bool replace, FileTrouble& trouble) {
  if (!replacesInOneStep()) {
    // MoveFileA never replaces a file: moveOver moves the old one aside first.
    if (replace) {
      SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
      return fail(trouble);
    }
    return MoveFileA(from, to) != 0 ? true : fail(trouble);
  }
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (MoveFileExA(from, to, flags) != 0) {
    return true;
  }
  fail(trouble);
  // NT refuses to replace a read-only file as it refuses a read-only folder: tell them apart.
  const DWORD attributes = GetFileAttributesA(to);
  trouble.readOnly = replace && trouble.denied && attributes != INVALID_FILE_ATTRIBUTES &&
                     (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  return false;
}

bool SystemToolIo::removeFile(const char* path) {
  return DeleteFileA(path) != 0;
}

tolvex::Platform* SystemToolIo::system() {
  return &platform_;
}

bool SystemToolIo::tolvexRunning() {
  return platform_.mutexExists(tolvex::kMutexName);
}

}  // namespace tolvex_commands
