// The run sequence and the launch of the application.
#include <cstring>

#include "app/messages.h"
#include "app/run_context.h"

namespace tolvex {

int RunContext::launchApp(const char* name) {
  // No command line: the platform then uses the name as the child's command line, so the
  // application sees its own name as argument 0 and nothing else. The child inherits our
  // environment and current folder (not its own folder), and handles.
  const int result =
      platform_.createProcess(name, true, kNormalPriorityClass, &startupInfo, &processInfo);
  if (observer_ != nullptr) {
    observer_->launchAttempted(name, result);
  }
  return result;
}

void RunContext::waitForApp() {
  platform_.waitForSingleObject(processInfo.hProcess, kInfinite);
  platform_.closeHandle(processInfo.hProcess);
}

namespace {

// An application path that did not fit its field is a file that cannot be started.
int launchIfUsable(RunContext& run, const PathText& path) {
  if (path.overflowed()) {
    return 0;
  }
  return run.launchApp(path.c_str());
}

void launchStage(RunContext& run) {
  run.addColourLayer();
  if (launchIfUsable(run, run.appPath) > 0) {
    run.waitForApp();
    return;
  }
  if (run.launchApp(kFallbackAppName) > 0) {
    run.waitForApp();
    return;
  }
  run.messageText.clear();
  run.messageText.append(kLaunchFailedBefore);
  run.messageText.append(run.appPath.c_str());
  run.messageText.append(kLaunchFailedAfter);
  run.showMessage(kCaptionBadSettings);
}

}  // namespace

int runTolvex(Platform& platform, const char* argument0, RunObserver* observer,
              const char* heldArgument0) {
  RunContext run(platform, argument0, observer, heldArgument0);

  // Single-instance guard. The handle is neither tested nor kept: the object stays open until
  // the process ends, which is what keeps a second copy out for the whole run.
  SecurityAttributes attributes;
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = nullptr;
  attributes.bInheritHandle = 0;
  platform.createMutex(&attributes, true, kMutexName);
  if (platform.getLastError() == kErrorAlreadyExists) {
    return 0;
  }

  run.messageText.clear();

  run.findConsoleWindow();
  run.hideConsoleWindow();

  if (!run.outsideCodePage.empty()) {
    // No ANSI path reaches Tolvex's folder: its settings and its title would be another
    // folder's, or none. Said once, and nothing is switched or started.
    run.showOutsideCodePage();
  } else if (run.readSettings(run.settingsPath.c_str()) >= 0) {
    const std::int32_t result = run.switchMode(run.depth, run.width, run.height);
    if (result == 0 || run.strictFlag != 1) {
      launchStage(run);
    }
  }

  run.restoreMode();
  run.showSharedConsoleAgain();
  return 0;
}

}  // namespace tolvex
