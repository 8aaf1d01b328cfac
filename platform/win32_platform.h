// Portable header of the Win32 backend: declares it without <windows.h>, so the entry point
// stays free of Windows headers too.
#ifndef TOLVEX_PLATFORM_WIN32_PLATFORM_H
#define TOLVEX_PLATFORM_WIN32_PLATFORM_H

#include "platform/platform.h"

namespace tolvex {

class Win32Platform : public Platform {
 public:
  int enumDisplaySettings(std::int32_t modeNum, DevModeA* mode) override;
  std::int32_t changeDisplaySettings(DevModeA* mode, std::uint32_t flags) override;
  Handle createMutex(SecurityAttributes* attributes, bool initialOwner, const char* name) override;
  std::uint32_t getLastError() override;
  int createProcess(const char* applicationName, bool inheritHandles, std::uint32_t creationFlags,
                    StartupInfoA* startupInfo, ProcessInformation* processInfo) override;
  std::uint32_t waitForSingleObject(Handle handle, std::uint32_t milliseconds) override;
  int closeHandle(Handle handle) override;
  std::uint32_t getConsoleTitle(char* title, std::uint32_t size) override;
  int setConsoleTitle(const char* title) override;
  std::uint32_t getTickCount() override;
  std::uint32_t getCurrentProcessId() override;
  void sleep(std::uint32_t milliseconds) override;
  std::uint32_t getConsoleProcessCount() override;
  bool getConsoleWindow(WindowHandle* window) override;
  WindowHandle findWindow(const char* className, const char* windowName) override;
  int showWindow(WindowHandle window, int command) override;
  int messageBox(WindowHandle owner, const char* text, const char* caption,
                 std::uint32_t type) override;
  bool getVersion(std::uint32_t* major, std::uint32_t* minor) override;
  std::uint32_t getEnvironmentVariable(const char* name, char* buffer, std::uint32_t size) override;
  int setEnvironmentVariable(const char* name, const char* value) override;
  long readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) override;
  void leadBytes(LeadBytes& table) override;
  long ansiPath(const char* utf8, bool shortForm, char* ansi, std::size_t capacity) override;
  int messageBoxUnicode(WindowHandle owner, const char* utf8Text, const char* caption,
                        std::uint32_t type) override;

  // Whether a mutex of this name exists now (the check command's; Tolvex itself never asks).
  bool mutexExists(const char* name);
};

// The lead bytes of the ANSI code page, as IsDBCSLeadByte answers for each byte.
void ansiLeadBytes(LeadBytes& table);

// Windows 95, 98 and ME: ANSI is the form in which they hold names, and their W functions are
// stubs. The one place that reads GetVersion's top bit.
bool isWindows9x();

// A function of a system DLL that this program has loaded (kernel32.dll, user32.dll, ...),
// looked up where it runs rather than imported, so that the program still starts on a Windows
// that lacks it: nullptr when the DLL or the function is not there, and on Windows 9x too when
// `ntOnly` (a W function, a stub there).
void* systemFunctionAddress(const char* dll, const char* name, bool ntOnly);

template <typename Function>
Function systemFunction(const char* dll, const char* name, bool ntOnly = false) {
  return reinterpret_cast<Function>(systemFunctionAddress(dll, name, ntOnly));
}

// Windows gives no command line longer than 32,767 UTF-16 units, so its ANSI form, at most two
// bytes a unit, always fits in this many bytes with its zero.
constexpr std::size_t kArgumentZeroCapacity = 65536;

// The process's command line as Windows keeps it (GetCommandLineA), never null.
const char* processCommandLine();

// Argument 0 as Windows NT holds it, in UTF-8: the first token of GetCommandLineW, or the module
// file name (GetModuleFileNameW) when the command line is empty. Its length in `utf8`; 0 where
// Windows holds it in ANSI (Windows 9x) or it is empty; `capacity` (at least 1) or more when it
// does not fit.
std::size_t heldArgumentZero(char* utf8, std::size_t capacity);

// A name as Windows holds it (UTF-16) in a form the ANSI functions reach it by: the name itself
// where the ANSI code page holds every character of it (no look-alike or '?' standing in for
// one), else its short (8.3) form where that one does. Its length in `ansi`, or -1 when neither.
long ansiName(const wchar_t* wide, char* ansi, std::size_t capacity);

// GetModuleFileNameA(NULL, name, size): the program's full file name, answered as Windows does
// (app/argument_zero.h, ModuleFileNameQuery).
std::uint32_t moduleFileName(char* name, std::uint32_t size);

// Ends the process with this exit status; Tolvex.exe has no C runtime to return to.
[[noreturn]] void exitProcess(unsigned int status);

}  // namespace tolvex

#endif
