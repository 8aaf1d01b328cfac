// RunContext: the one record of a run. The entry point builds it from argument 0, and the run
// sequence (run.cpp), the settings reader (settings/), the mode switcher (display/) and the
// console finder (console/) each implement their operations on it.
#ifndef TOLVEX_APP_RUN_CONTEXT_H
#define TOLVEX_APP_RUN_CONTEXT_H

#include <cstdint>

#include "app/argument_zero.h"
#include "app/run_defaults.h"
#include "app/run_observer.h"
#include "app/text_fields.h"
#include "platform/platform.h"

namespace tolvex {

// The single-instance object.
constexpr const char kMutexName[] = "TOLVEX";

class RunContext {
 public:
  // `observer`, when not null, is told what the run does (run_observer.h). A null `argument0`
  // is one that could not be read whole: the folder and name made from it are unusable.
  // `heldArgument0`, when not null, is argument 0 as Windows holds it (UTF-8; Windows NT): the
  // ANSI `argument0` is taken only where it names the same file (argument_zero.h).
  RunContext(Platform& platform, const char* argument0, RunObserver* observer = nullptr,
             const char* heldArgument0 = nullptr);
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  // Settings file (settings/settings_reader.cpp): 1 all five fields accepted, 0 nothing or a
  // partial file applied, -1 rejected (the user has been told).
  int readSettings(const char* firstName);
  // Display (display/display_mode.cpp): the last DISP_CHANGE_* code, 0 for success.
  std::int32_t switchMode(std::int32_t requestedDepth, std::int32_t requestedWidth,
                          std::int32_t requestedHeight);
  void restoreMode();
  // Console (console/console_window.cpp).
  int findConsoleWindow();
  int hideConsoleWindow();
  void showSharedConsoleAgain();
  // Before the launch (display/display_mode.cpp): on Windows 8 and later, where the system
  // only emulates 8 and 16 bits per pixel for the program that asked, names the depth that the
  // switch set in __COMPAT_LAYER, which the application inherits.
  void addColourLayer();
  // Launch (app/run.cpp): > 0 when the application started.
  int launchApp(const char* name);
  void waitForApp();
  // Shows messageText in a message box with this caption and one OK button, owned by no window.
  void showMessage(const char* caption);
  // Where no ANSI path reaches Tolvex's own folder: says so, naming it as the user sees it.
  void showOutsideCodePage();

  // The record's fields, read and written directly by the operations above and their tests.
  ProcessInformation processInfo;
  StartupInfoA startupInfo;
  DevModeA workingMode;
  DevModeA savedMode;
  WindowHandle consoleWindow;
  std::int32_t depth;
  std::int32_t width;
  std::int32_t height;
  std::int32_t strictFlag;
  PathText programDir;
  PathText settingsPath;
  PathText baseName;
  PathText appPath;
  MessageText messageText;

  // Set when the switch stored the requested mode in the display settings for all users (the
  // storing attempt answered DISP_CHANGE_SUCCESSFUL or DISP_CHANGE_RESTART): the restore must
  // then store the saved mode again, or the machine would come up in the requested mode after
  // its next restart.
  bool storedModeChanged = false;
  // Set when both stored-mode queries of the constructor answered: without them the way back
  // has no mode to go to (Tolvex runs on regardless; Tolvex Setup's trial does not).
  bool storedModeRead = false;
  // Where argument 0 names a file that no ANSI path reaches (its folder's name holds characters
  // that the code page lacks, and has no short form without them): that folder as the user sees
  // it, in UTF-8; empty otherwise. The folder and name made from argument 0 are then unusable.
  HeldText outsideCodePage;
  // Set when hideConsoleWindow hid a window.
  bool consoleHidden = false;
  // The depth of a switch that asked for it (dmFields naming the depth) and succeeded; 0 when
  // none did, the lenient size-only retry included.
  std::int32_t switchedDepth = 0;

 private:
  void derivePaths(const char* argument0, const char* heldArgument0);
  // One switch attempt with workingMode, and one back to savedMode (display/display_mode.cpp).
  std::int32_t trySwitch(std::uint32_t flags);
  std::int32_t tryRestore(std::uint32_t flags);

  Platform& platform_;
  RunObserver* observer_;
};

// The whole run: builds the record from argument 0, runs every stage, returns the exit status
// (always 0). Tolvex.exe passes no observer.
int runTolvex(Platform& platform, const char* argument0, RunObserver* observer = nullptr,
              const char* heldArgument0 = nullptr);

}  // namespace tolvex

#endif
