// Portable: standard headers only. Never include <windows.h> here.
//
// The operating-system services that Tolvex calls, as one interface. The Win32 backend
// (win32_platform.cpp) calls the ANSI functions of the same names directly; the unit tests
// use a scripted fake that records every call. The records below mirror the Win32 ones
// member for member, so the backend can hand them to Windows as they are (it checks the
// layouts at compile time).
#ifndef TOLVEX_PLATFORM_PLATFORM_H
#define TOLVEX_PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdint>

#include "platform/lead_bytes.h"

namespace tolvex {

using Handle = void*;
using WindowHandle = void*;

// DEVMODEA. Only dmFields, dmBitsPerPel, dmPelsWidth and dmPelsHeight are ever written by
// Tolvex; the rest is whatever the stored-mode query put there.
struct DevModeA {
  char dmDeviceName[32];
  std::uint16_t dmSpecVersion;
  std::uint16_t dmDriverVersion;
  std::uint16_t dmSize;
  std::uint16_t dmDriverExtra;
  std::uint32_t dmFields;
  // Printer members or position/orientation members, depending on the device.
  std::uint8_t dmDeviceUnion[16];
  std::int16_t dmColor;
  std::int16_t dmDuplex;
  std::int16_t dmYResolution;
  std::int16_t dmTTOption;
  std::int16_t dmCollate;
  char dmFormName[32];
  std::uint16_t dmLogPixels;
  std::uint32_t dmBitsPerPel;
  std::uint32_t dmPelsWidth;
  std::uint32_t dmPelsHeight;
  std::uint32_t dmDisplayFlags;
  std::uint32_t dmDisplayFrequency;
  std::uint32_t dmICMMethod;
  std::uint32_t dmICMIntent;
  std::uint32_t dmMediaType;
  std::uint32_t dmDitherType;
  std::uint32_t dmReserved1;
  std::uint32_t dmReserved2;
  std::uint32_t dmPanningWidth;
  std::uint32_t dmPanningHeight;
};
static_assert(sizeof(DevModeA) == 156, "DEVMODEA is 156 bytes on every Windows target");

// PROCESS_INFORMATION.
struct ProcessInformation {
  Handle hProcess;
  Handle hThread;
  std::uint32_t dwProcessId;
  std::uint32_t dwThreadId;
};

// STARTUPINFOA (68 bytes in the 32-bit layout).
struct StartupInfoA {
  std::uint32_t cb;
  char* lpReserved;
  char* lpDesktop;
  char* lpTitle;
  std::uint32_t dwX;
  std::uint32_t dwY;
  std::uint32_t dwXSize;
  std::uint32_t dwYSize;
  std::uint32_t dwXCountChars;
  std::uint32_t dwYCountChars;
  std::uint32_t dwFillAttribute;
  std::uint32_t dwFlags;
  std::uint16_t wShowWindow;
  std::uint16_t cbReserved2;
  std::uint8_t* lpReserved2;
  Handle hStdInput;
  Handle hStdOutput;
  Handle hStdError;
};
static_assert(sizeof(void*) != 4 || sizeof(StartupInfoA) == 68, "32-bit STARTUPINFOA is 68 bytes");

// SECURITY_ATTRIBUTES (12 bytes in the 32-bit layout).
struct SecurityAttributes {
  std::uint32_t nLength;
  void* lpSecurityDescriptor;
  std::int32_t bInheritHandle;
};
static_assert(sizeof(void*) != 4 || sizeof(SecurityAttributes) == 12,
              "32-bit SECURITY_ATTRIBUTES is 12 bytes");

// The Win32 numbers Tolvex passes or examines.
constexpr std::int32_t kEnumCurrentSettings = -1;   // ENUM_CURRENT_SETTINGS
constexpr std::int32_t kEnumRegistrySettings = -2;  // ENUM_REGISTRY_SETTINGS
constexpr std::uint32_t kDmBitsPerPel = 0x00040000;
constexpr std::uint32_t kDmPelsWidth = 0x00080000;
constexpr std::uint32_t kDmPelsHeight = 0x00100000;
constexpr std::uint32_t kCdsUpdateRegistry = 0x00000001;
constexpr std::uint32_t kCdsTest = 0x00000002;
constexpr std::uint32_t kCdsFullscreen = 0x00000004;
constexpr std::uint32_t kCdsGlobal = 0x00000008;
constexpr std::int32_t kDispChangeSuccessful = 0;  // DISP_CHANGE_SUCCESSFUL
constexpr std::int32_t kDispChangeRestart = 1;     // DISP_CHANGE_RESTART
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kNormalPriorityClass = 0x00000020;
constexpr std::uint32_t kInfinite = 0xFFFFFFFF;
constexpr int kSwHide = 0;
constexpr int kSwShow = 5;
constexpr std::uint32_t kMbOk = 0x00000000;

// The longest name as Windows holds it (UTF-8, its terminating zero included) that Tolvex
// compares with its ANSI form: four times the path fields, since a character of one ANSI byte
// may take three in UTF-8, and a folder that only its short form names may be longer still.
// Tolvex takes a longer argument 0 as one it could not read whole.
constexpr std::size_t kHeldPathCapacity = 4096;

class Platform {
 public:
  // EnumDisplaySettingsA(NULL, iModeNum, mode).
  virtual int enumDisplaySettings(std::int32_t modeNum, DevModeA* mode) = 0;
  // ChangeDisplaySettingsA(mode, flags); a DISP_CHANGE_* code.
  virtual std::int32_t changeDisplaySettings(DevModeA* mode, std::uint32_t flags) = 0;

  virtual Handle createMutex(SecurityAttributes* attributes, bool initialOwner,
                             const char* name) = 0;
  virtual std::uint32_t getLastError() = 0;

  // CreateProcessA(applicationName, NULL command line, NULL, NULL, inheritHandles,
  // creationFlags, NULL environment, NULL current directory, startupInfo, processInfo).
  virtual int createProcess(const char* applicationName, bool inheritHandles,
                            std::uint32_t creationFlags, StartupInfoA* startupInfo,
                            ProcessInformation* processInfo) = 0;
  virtual std::uint32_t waitForSingleObject(Handle handle, std::uint32_t milliseconds) = 0;
  virtual int closeHandle(Handle handle) = 0;

  // GetConsoleTitleA: fills at most `size` bytes, always zero-terminated by the backend.
  virtual std::uint32_t getConsoleTitle(char* title, std::uint32_t size) = 0;
  virtual int setConsoleTitle(const char* title) = 0;
  virtual std::uint32_t getTickCount() = 0;
  virtual std::uint32_t getCurrentProcessId() = 0;
  virtual void sleep(std::uint32_t milliseconds) = 0;
  // GetConsoleProcessList: how many processes share this console.
  virtual std::uint32_t getConsoleProcessCount() = 0;

  // GetConsoleWindow, looked up at run time: false when the system has none (Windows 95, 98
  // and NT 4), else true with this process's console window (null when it has none).
  virtual bool getConsoleWindow(WindowHandle* window) = 0;

  virtual WindowHandle findWindow(const char* className, const char* windowName) = 0;
  virtual int showWindow(WindowHandle window, int command) = 0;
  virtual int messageBox(WindowHandle owner, const char* text, const char* caption,
                         std::uint32_t type) = 0;

  // GetVersionExA: the major and minor version, as the system tells this program (a program
  // whose manifest names Windows 7 at most is told 6.2 on every later Windows). False when the
  // call fails; both are then 0.
  virtual bool getVersion(std::uint32_t* major, std::uint32_t* minor) = 0;
  // GetEnvironmentVariableA(name, buffer, size): the value's length when it fits (buffer then
  // zero-terminated), the size it needs (terminating zero included) when it does not, 0 when
  // the variable is not set or empty.
  virtual std::uint32_t getEnvironmentVariable(const char* name, char* buffer,
                                               std::uint32_t size) = 0;
  // SetEnvironmentVariableA(name, value): this process's environment, which a child started
  // with no environment of its own inherits. Nonzero on success.
  virtual int setEnvironmentVariable(const char* name, const char* value) = 0;

  // The lead bytes of the ANSI code page (platform/lead_bytes.h): none on a single-byte one.
  virtual void leadBytes(LeadBytes& table) = 0;

  // Windows NT holds names in UTF-16, and hands the ANSI functions a copy in which a character
  // that the code page lacks has become a look-alike or '?': a path to another file, or to none.
  //
  // The path `utf8` (a name as Windows holds it, in UTF-8) in the ANSI code page, every
  // character as it is, none replaced (WideCharToMultiByte with WC_NO_BEST_FIT_CHARS and its
  // lost-character flag); with `shortForm`, of its short (8.3) form (GetShortPathNameW)
  // instead. Its length in `ansi` (zero-terminated), or -1 when a character has no ANSI form,
  // there is no short form, or it does not fit.
  virtual long ansiPath(const char* utf8, bool shortForm, char* ansi, std::size_t capacity) = 0;
  // MessageBoxW: a message box whose text is UTF-8, for a name the code page cannot hold.
  virtual int messageBoxUnicode(WindowHandle owner, const char* utf8Text, const char* caption,
                                std::uint32_t type) = 0;

  // Reads up to `capacity` bytes of a file opened for reading in binary mode, then closes it.
  // Returns the number of bytes read, or -1 when the file cannot be opened.
  virtual long readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) = 0;

 protected:
  ~Platform() = default;
};

}  // namespace tolvex

#endif
