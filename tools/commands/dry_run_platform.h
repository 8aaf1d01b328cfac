// The platform that `tolvex-ini check` runs Tolvex's own run sequence on: it asks the system
// everything a run would ask, and changes nothing. Reads (the stored display mode, the settings
// files) go to the system as they are; a display switch is answered by the system's test of the
// same request (CDS_TEST); a launch by whether the file can be opened; message boxes are answered
// OK without being shown; the single-instance object is not created, the console is left alone,
// and the environment is read but never changed. It keeps no account of the run: the check
// learns what happened from the run itself (app/run_observer.h).
#ifndef TOLVEX_TOOLS_COMMANDS_DRY_RUN_PLATFORM_H
#define TOLVEX_TOOLS_COMMANDS_DRY_RUN_PLATFORM_H

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace tolvex_commands {

class DryRunPlatform final : public tolvex::Platform {
 public:
  // `settingsFile`, when not null, is read wherever the run reads "Tolvex.ini" in the current
  // folder (the bare name).
  DryRunPlatform(tolvex::Platform& system, const char* settingsFile);

  int enumDisplaySettings(std::int32_t modeNum, tolvex::DevModeA* mode) override;
  std::int32_t changeDisplaySettings(tolvex::DevModeA* mode, std::uint32_t flags) override;
  tolvex::Handle createMutex(tolvex::SecurityAttributes* attributes, bool initialOwner,
                             const char* name) override;
  std::uint32_t getLastError() override;
  int createProcess(const char* applicationName, bool inheritHandles, std::uint32_t creationFlags,
                    tolvex::StartupInfoA* startupInfo,
                    tolvex::ProcessInformation* processInfo) override;
  std::uint32_t waitForSingleObject(tolvex::Handle handle, std::uint32_t milliseconds) override;
  int closeHandle(tolvex::Handle handle) override;
  std::uint32_t getConsoleTitle(char* title, std::uint32_t size) override;
  int setConsoleTitle(const char* title) override;
  std::uint32_t getTickCount() override;
  std::uint32_t getCurrentProcessId() override;
  void sleep(std::uint32_t milliseconds) override;
  std::uint32_t getConsoleProcessCount() override;
  bool getConsoleWindow(tolvex::WindowHandle* window) override;
  tolvex::WindowHandle findWindow(const char* className, const char* windowName) override;
  int showWindow(tolvex::WindowHandle window, int command) override;
  int messageBox(tolvex::WindowHandle owner, const char* text, const char* caption,
                 std::uint32_t type) override;
  bool getVersion(std::uint32_t* major, std::uint32_t* minor) override;
  std::uint32_t getEnvironmentVariable(const char* name, char* buffer, std::uint32_t size) override;
  int setEnvironmentVariable(const char* name, const char* value) override;
  long readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) override;
  void leadBytes(tolvex::LeadBytes& table) override;
  long ansiPath(const char* utf8, bool shortForm, char* ansi, std::size_t capacity) override;
  int messageBoxUnicode(tolvex::WindowHandle owner, const char* utf8Text, const char* caption,
                        std::uint32_t type) override;

 private:
  tolvex::Platform& system_;
  const char* settingsFile_;
};

}  // namespace tolvex_commands

#endif
