// The scripted stand-in for the Win32 backend used by the unit tests. It records every call with
// its arguments, in order, as one line of text, and answers what the test scripted.
#ifndef TOLVEX_TESTS_FAKE_PLATFORM_H
#define TOLVEX_TESTS_FAKE_PLATFORM_H

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tolvex {

class FakePlatform final : public Platform {
 public:
  FakePlatform();

  // --- The script ---
  // What the stored-mode query writes (when enumSucceeds), and its result.
  DevModeA storedMode;
  bool enumSucceeds = true;
  // The mode now, when it is not the stored one (a successful switch back to the stored mode,
  // ChangeDisplaySettingsA(null, 0), ends that), and the display's list of modes.
  bool switched = false;
  DevModeA currentMode;
  std::vector<DevModeA> listedModes;
  // Answers of ChangeDisplaySettingsA, in order; 0 once they run out.
  std::deque<std::int32_t> changeResults;
  // GetLastError after CreateMutexA.
  std::uint32_t lastError = 0;
  // Application names CreateProcessA can start.
  std::set<std::string> startable;
  // The console: its title (changed by SetConsoleTitleA), window, and who shares it.
  std::string consoleTitle = "C:\\Windows\\system32\\cmd.exe";
  bool titleReadable = true;
  bool hasConsoleWindow = true;
  std::uint32_t tickCount = 123456;
  std::uint32_t processId = 4242;
  std::uint32_t consoleProcessCount = 1;
  // GetConsoleWindow: missing on the system (false), or the window it answers.
  bool hasGetConsoleWindow = true;
  WindowHandle ownConsoleWindow = consoleWindowHandle();
  // GetVersionExA (Windows 7 unless a test says otherwise) and the environment.
  std::uint32_t versionMajor = 6;
  std::uint32_t versionMinor = 1;
  std::map<std::string, std::string> environment;
  // The ANSI code page's lead bytes: none (a single-byte code page) unless a test says so.
  LeadBytes codePage;
  // Names as Windows holds them (UTF-8) in the ANSI code page: ASCII as it is, any other
  // character only as `ansiChars` gives it (its bytes in the code page), else lost; the short
  // form of a path as `shortPaths` gives it for its longest start there, else the path itself.
  std::map<std::string, std::string> ansiChars;
  std::map<std::string, std::string> shortPaths;
  // Files that can be opened, by name, with their bytes.
  std::map<std::string, std::vector<std::uint8_t>> files;
  std::function<void()> whileBoxUp;  // what a user does while a message box is up

  // --- What happened ---
  std::vector<std::string> calls;
  struct Box {
    std::string text;
    std::string caption;
  };
  std::vector<Box> boxes;
  // Every record passed to ChangeDisplaySettingsA, as it was at the call.
  std::vector<DevModeA> changedModes;
  std::vector<std::uint32_t> changeFlags;
  std::vector<std::string> titlesSet;
  // The handle that FindWindowA answers for our console, and another window ("other").
  static WindowHandle consoleWindowHandle();
  static WindowHandle otherWindowHandle();

  // Calls whose line starts with `prefix`.
  std::vector<std::string> callsStartingWith(const std::string& prefix) const;

  // --- Platform ---
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

 private:
  int processesStarted_ = 0;
};

// Code page 932 (Shift-JIS) as Windows gives its lead bytes.
LeadBytes shiftJis();

// The stored form of a settings text: every byte complemented.
std::vector<std::uint8_t> storedSettings(const std::string& text);

}  // namespace tolvex

#endif
