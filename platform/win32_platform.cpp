// Win32 backend. This is the only file of Tolvex that includes <windows.h>: each operation is
// one call of the ANSI function of the same name, with the records passed as they are.
#include "platform/win32_platform.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "platform/first_token.h"

namespace tolvex {

// The portable records must be the Win32 ones, member for member.
static_assert(sizeof(DevModeA) == sizeof(DEVMODEA), "");
static_assert(offsetof(DevModeA, dmSize) == offsetof(DEVMODEA, dmSize), "");
static_assert(offsetof(DevModeA, dmFields) == offsetof(DEVMODEA, dmFields), "");
static_assert(offsetof(DevModeA, dmColor) == offsetof(DEVMODEA, dmColor), "");
static_assert(offsetof(DevModeA, dmBitsPerPel) == offsetof(DEVMODEA, dmBitsPerPel), "");
static_assert(offsetof(DevModeA, dmPelsWidth) == offsetof(DEVMODEA, dmPelsWidth), "");
static_assert(offsetof(DevModeA, dmPelsHeight) == offsetof(DEVMODEA, dmPelsHeight), "");
static_assert(offsetof(DevModeA, dmDisplayFrequency) == offsetof(DEVMODEA, dmDisplayFrequency), "");
static_assert(offsetof(DevModeA, dmPanningHeight) == offsetof(DEVMODEA, dmPanningHeight), "");
static_assert(sizeof(ProcessInformation) == sizeof(PROCESS_INFORMATION), "");
static_assert(offsetof(ProcessInformation, dwThreadId) == offsetof(PROCESS_INFORMATION, dwThreadId),
              "");
static_assert(sizeof(StartupInfoA) == sizeof(STARTUPINFOA), "");
static_assert(offsetof(StartupInfoA, wShowWindow) == offsetof(STARTUPINFOA, wShowWindow), "");
static_assert(offsetof(StartupInfoA, hStdError) == offsetof(STARTUPINFOA, hStdError), "");
static_assert(sizeof(SecurityAttributes) == sizeof(SECURITY_ATTRIBUTES), "");
static_assert(offsetof(SecurityAttributes, bInheritHandle) ==
                  offsetof(SECURITY_ATTRIBUTES, bInheritHandle),
              "");
static_assert(kEnumRegistrySettings == static_cast<std::int32_t>(ENUM_REGISTRY_SETTINGS), "");
static_assert(kEnumCurrentSettings == static_cast<std::int32_t>(ENUM_CURRENT_SETTINGS), "");
static_assert(kDmBitsPerPel == DM_BITSPERPEL && kDmPelsWidth == DM_PELSWIDTH &&
                  kDmPelsHeight == DM_PELSHEIGHT,
              "");
static_assert(kCdsUpdateRegistry == CDS_UPDATEREGISTRY && kCdsGlobal == CDS_GLOBAL &&
                  kCdsTest == CDS_TEST && kCdsFullscreen == CDS_FULLSCREEN,
              "");
static_assert(kDispChangeSuccessful == DISP_CHANGE_SUCCESSFUL &&
                  kDispChangeRestart == DISP_CHANGE_RESTART,
              "");
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS, "");
static_assert(kNormalPriorityClass == NORMAL_PRIORITY_CLASS, "");
static_assert(kInfinite == INFINITE, "");
static_assert(kSwHide == SW_HIDE && kSwShow == SW_SHOW && kMbOk == MB_OK, "");

int Win32Platform::enumDisplaySettings(std::int32_t modeNum, DevModeA* mode) {
  // The caller hands a zero-filled record; Windows wants to know the record's size first.
  auto* devMode = reinterpret_cast<DEVMODEA*>(mode);
  devMode->dmSize = sizeof(DEVMODEA);
  devMode->dmDriverExtra = 0;
  return EnumDisplaySettingsA(nullptr, static_cast<DWORD>(modeNum), devMode);
}

std::int32_t Win32Platform::changeDisplaySettings(DevModeA* mode, std::uint32_t flags) {
  return ChangeDisplaySettingsA(reinterpret_cast<DEVMODEA*>(mode), flags);
}

Handle Win32Platform::createMutex(SecurityAttributes* attributes, bool initialOwner,
                                  const char* name) {
  return CreateMutexA(reinterpret_cast<SECURITY_ATTRIBUTES*>(attributes),
                      initialOwner ? TRUE : FALSE, name);
}

std::uint32_t Win32Platform::getLastError() {
  return GetLastError();
}

int Win32Platform::createProcess(const char* applicationName, bool inheritHandles,
                                 std::uint32_t creationFlags, StartupInfoA* startupInfo,
                                 ProcessInformation* processInfo) {
  return CreateProcessA(applicationName, nullptr, nullptr, nullptr, inheritHandles ? TRUE : FALSE,
                        creationFlags, nullptr, nullptr,
                        reinterpret_cast<STARTUPINFOA*>(startupInfo),
                        reinterpret_cast<PROCESS_INFORMATION*>(processInfo));
}

std::uint32_t Win32Platform::waitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  return WaitForSingleObject(handle, milliseconds);
}

int Win32Platform::closeHandle(Handle handle) {
  return CloseHandle(handle);
}

std::uint32_t Win32Platform::getConsoleTitle(char* title, std::uint32_t size) {
  if (size == 0) {
    return 0;
  }
  const DWORD length = GetConsoleTitleA(title, size);
  title[size - 1] = '\0';  // a longer title is cut at the buffer's end
  if (length == 0) {
    title[0] = '\0';
  }
  return length;
}

int Win32Platform::setConsoleTitle(const char* title) {
  return SetConsoleTitleA(title);
}

std::uint32_t Win32Platform::getTickCount() {
  return GetTickCount();
}

std::uint32_t Win32Platform::getCurrentProcessId() {
  return GetCurrentProcessId();
}

void Win32Platform::sleep(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

std::uint32_t Win32Platform::getConsoleProcessCount() {
  // GetConsoleProcessList is not there before Windows XP: looked up rather than imported, so
  // the program still starts on older systems (it then never shows a console again).
  using GetConsoleProcessListFn = DWORD(WINAPI*)(LPDWORD, DWORD);
  const auto getList =
      systemFunction<GetConsoleProcessListFn>("kernel32.dll", "GetConsoleProcessList");
  if (getList == nullptr) {
    return 0;
  }
  DWORD ids[8];
  // The count of attached processes is returned even when the list does not fit.
  return getList(ids, 8);
}

bool Win32Platform::getConsoleWindow(WindowHandle* window) {
  // Windows 95, 98 and NT 4 have no GetConsoleWindow: looked up, not imported, as above.
  using GetConsoleWindowFn = HWND(WINAPI*)();
  *window = nullptr;
  const auto getWindow = systemFunction<GetConsoleWindowFn>("kernel32.dll", "GetConsoleWindow");
  if (getWindow == nullptr) {
    return false;
  }
  *window = getWindow();
  return true;
}

WindowHandle Win32Platform::findWindow(const char* className, const char* windowName) {
  return FindWindowA(className, windowName);
}

int Win32Platform::showWindow(WindowHandle window, int command) {
  return ShowWindow(static_cast<HWND>(window), command);
}

int Win32Platform::messageBox(WindowHandle owner, const char* text, const char* caption,
                              std::uint32_t type) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, type);
}

bool Win32Platform::getVersion(std::uint32_t* major, std::uint32_t* minor) {
  OSVERSIONINFOA info;
  info.dwOSVersionInfoSize = sizeof info;
  info.dwMajorVersion = 0;
  info.dwMinorVersion = 0;
  const BOOL ok = GetVersionExA(&info);
  *major = ok ? info.dwMajorVersion : 0;
  *minor = ok ? info.dwMinorVersion : 0;
  return ok != FALSE;
}

std::uint32_t Win32Platform::getEnvironmentVariable(const char* name, char* buffer,
                                                    std::uint32_t size) {
  return GetEnvironmentVariableA(name, buffer, size);
}

int Win32Platform::setEnvironmentVariable(const char* name, const char* value) {
  return SetEnvironmentVariableA(name, value);
}

long Win32Platform::readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) {
  // Opened as the C library opens a file for reading: others may go on reading and writing it.
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return -1;
  }
  // Bytes up to the end of the file or the capacity, whichever comes first; a read that fails
  // half-way keeps what came before it.
  std::size_t count = 0;
  while (count < capacity) {
    DWORD got = 0;
    if (!ReadFile(file, buffer + count, static_cast<DWORD>(capacity - count), &got, nullptr) ||
        got == 0) {
      break;
    }
    count += got;
  }
  CloseHandle(file);  // nothing to do about a failed close of a file only read
  return static_cast<long>(count);
}

void Win32Platform::leadBytes(LeadBytes& table) {
  ansiLeadBytes(table);
}

namespace {

// Room for a held path in UTF-16: never more units than its UTF-8 has bytes.
constexpr int kWideRoom = static_cast<int>(kHeldPathCapacity);
// Room for a message box's text in UTF-16: more than the 8,000 bytes of any text Tolvex makes.
constexpr int kMessageRoom = 8192;

// UTF-16 to the ANSI code page with nothing replaced: the bytes written (zero included), or 0.
// Windows NT 4 knows no WC_NO_BEST_FIT_CHARS: there only a '?' for a missing character is seen.
int exactAnsi(const wchar_t* wide, char* ansi, int capacity) {
  BOOL lost = FALSE;
  int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, ansi, capacity, nullptr, &lost);
  if (length == 0 && GetLastError() == ERROR_INVALID_FLAGS) {
    length = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, capacity, nullptr, &lost);
  }
  return lost ? 0 : length;
}

// A UTF-16 name in the ANSI code page, every character as it is (with `shortForm`, its short 8.3
// form): its length, or -1. A room past INT_MAX turns negative, which Windows refuses: never a
// write past `capacity`. Inlined in each caller: Tolvex.exe, which has one, stays within 20 KiB.
[[gnu::always_inline]] inline long ansiOf(const wchar_t* wide, bool shortForm, char* ansi, std::size_t capacity) {
  wchar_t shortWide[kWideRoom];
  if (shortForm) {
    using ShortPathNameW = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
    const auto shortPathName =
        systemFunction<ShortPathNameW>("kernel32.dll", "GetShortPathNameW", true);
    const DWORD length = shortPathName != nullptr ? shortPathName(wide, shortWide, kWideRoom) : 0;
    if (length == 0 || length >= static_cast<DWORD>(kWideRoom)) {
      return -1;
    }
  }
  const int length = exactAnsi(shortForm ? shortWide : wide, ansi, static_cast<int>(capacity));
  return length - 1;
}

}  // namespace

long Win32Platform::ansiPath(const char* utf8, bool shortForm, char* ansi, std::size_t capacity) {
  wchar_t wide[kWideRoom];
  if (MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, kWideRoom) == 0) {
    return -1;
  }
  return ansiOf(wide, shortForm, ansi, capacity);
}

long ansiName(const wchar_t* wide, char* ansi, std::size_t capacity) {
  const long length = ansiOf(wide, false, ansi, capacity);
  return length >= 0 ? length : ansiOf(wide, true, ansi, capacity);
}

int Win32Platform::messageBoxUnicode(WindowHandle owner, const char* utf8Text, const char* caption,
                                     std::uint32_t type) {
  using MessageBoxWFn = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  const auto messageBoxW = systemFunction<MessageBoxWFn>("user32.dll", "MessageBoxW", true);
  wchar_t text[kMessageRoom];
  wchar_t title[128];
  if (messageBoxW == nullptr ||
      MultiByteToWideChar(CP_UTF8, 0, utf8Text, -1, text, kMessageRoom) == 0 ||
      MultiByteToWideChar(CP_ACP, 0, caption, -1, title, 128) == 0) {
    return MessageBoxA(static_cast<HWND>(owner), utf8Text, caption, type);
  }
  return messageBoxW(static_cast<HWND>(owner), text, title, type);
}

bool Win32Platform::mutexExists(const char* name) {
  // Opened, never created: asking must not make the object exist.
  // A mutex that cannot be opened (other rights, another kind of object by that name) does not
  // make Tolvex's CreateMutexA answer ERROR_ALREADY_EXISTS either, so it counts as none.
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, name);
  if (mutex == nullptr) {
    return false;
  }
  CloseHandle(mutex);
  return true;
}

void ansiLeadBytes(LeadBytes& table) {
  // Only bytes from 0x80 on lead, on every code page Windows has.
  for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
    if (IsDBCSLeadByte(static_cast<BYTE>(byte))) {
      table.add(static_cast<std::uint8_t>(byte));
    }
  }
}

bool isWindows9x() {
  return (GetVersion() & 0x80000000U) != 0;
}

void* systemFunctionAddress(const char* dll, const char* name, bool ntOnly) {
  HMODULE module = GetModuleHandleA(dll);
  if (module == nullptr || (ntOnly && isWindows9x())) {
    return nullptr;
  }
  return reinterpret_cast<void*>(GetProcAddress(module, name));
}

const char* processCommandLine() {
  const char* line = GetCommandLineA();
  return line != nullptr ? line : "";
}

std::size_t heldArgumentZero(char* utf8, std::size_t capacity) {
  using CommandLineW = LPWSTR(WINAPI*)();
  using ModuleFileNameW = DWORD(WINAPI*)(HMODULE, LPWSTR, DWORD);
  const auto commandLineW = systemFunction<CommandLineW>("kernel32.dll", "GetCommandLineW", true);
  const auto moduleFileNameW =
      systemFunction<ModuleFileNameW>("kernel32.dll", "GetModuleFileNameW", true);
  if (commandLineW == nullptr || moduleFileNameW == nullptr) {
    return 0;
  }
  FirstToken<wchar_t> token = firstToken<wchar_t>(commandLineW());
  wchar_t module[kWideRoom];
  if (token.useModuleName) {
    token.begin = module;
    token.length = moduleFileNameW(nullptr, module, kWideRoom);
    if (token.length >= static_cast<std::size_t>(kWideRoom)) {
      return capacity;  // a full buffer: the name may go on past it
    }
  }
  if (token.length == 0) {
    return 0;
  }
  // A command line holds at most 32,767 characters; a room past INT_MAX turns negative, which
  // Windows refuses, as in ansiPath.
  const int length = WideCharToMultiByte(CP_UTF8, 0, token.begin, static_cast<int>(token.length),
                                         utf8, static_cast<int>(capacity - 1), nullptr, nullptr);
  if (length <= 0) {
    return capacity;
  }
  utf8[length] = '\0';
  return static_cast<std::size_t>(length);
}

std::uint32_t moduleFileName(char* name, std::uint32_t size) {
  return GetModuleFileNameA(nullptr, name, size);
}

void exitProcess(unsigned int status) {
  ExitProcess(status);
}

}  // namespace tolvex
