// The platform that `tolvex-ini check` runs Tolvex's own run sequence on: it asks the system
// everything a run would ask, and changes nothing. Reads (the stored display mode, the settings
// files) go to the system as they are; a display switch is answered by the system's test of the
// same request (CDS_TEST); a launch by whether the file can be opened; message boxes are kept
// for the report instead of shown; the single-instance object is not created, the console
// is left alone, and the environment is read but never changed. What the run asked, and what it was
// answered, is kept for the report.
#ifndef TOLVEX_TOOLS_TOLVEX_INI_DRY_RUN_PLATFORM_H
#define TOLVEX_TOOLS_TOLVEX_INI_DRY_RUN_PLATFORM_H

#include <cstddef>
#include <cstdint>

#include "app/text_fields.h"
#include "platform/platform.h"
#include "settings/settings_text.h"

namespace tolvex_ini {

class DryRunPlatform final : public tolvex::Platform {
 public:
  // `settingsFile`, when not null, is read in place of the first settings file the run looks
  // for ("Tolvex.ini" in the current folder).
  DryRunPlatform(tolvex::Platform& system, const char* settingsFile);

  // A settings file the run tried to open, and how many bytes it got (-1: could not open).
  struct FileAsk {
    tolvex::PathText path;
    long result = -1;
  };
  // A display switch the run asked for, and the system's answer to the test of it.
  struct SwitchAsk {
    std::uint32_t fields = 0;
    std::int32_t depth = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t flags = 0;
    std::int32_t answer = 0;
  };
  // An application the run tried to start, and whether it could be.
  struct LaunchAsk {
    tolvex::PathText name;
    bool started = false;
  };
  // A message box the run would have shown.
  struct Box {
    tolvex::MessageText text;
    tolvex::FixedText<128> caption;
  };

  static constexpr int kMaxFiles = 2;     // Tolvex.ini, then the file named after Tolvex
  static constexpr int kMaxSwitches = 4;  // three attempts at most, then the switch back
  static constexpr int kMaxLaunches = 2;  // the application, then PROJ.EXE
  static constexpr int kMaxBoxes = 2;     // a run shows one at most

  FileAsk files[kMaxFiles];
  int fileCount = 0;
  // The bytes of the settings file the run read (the last file that opened).
  std::uint8_t settingsBytes[tolvex::kSettingsReadLimit] = {};
  std::size_t settingsSize = 0;
  SwitchAsk switches[kMaxSwitches];
  int switchCount = 0;
  LaunchAsk launches[kMaxLaunches];
  int launchCount = 0;
  Box boxes[kMaxBoxes];
  int boxCount = 0;

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

 private:
  tolvex::Platform& system_;
  const char* settingsFile_;
};

}  // namespace tolvex_ini

#endif
