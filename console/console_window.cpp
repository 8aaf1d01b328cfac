// Finding our console window and hiding it. A console program has no direct way to its window
// on every Windows, so the console gets, for a moment, a title no other window can carry (tick
// count and process id) and the window is looked up by that title.
#include <cstring>

#include "app/run_context.h"

namespace tolvex {

namespace {
constexpr std::uint32_t kTitleCapacity = 1024;
constexpr std::uint32_t kTitlePause = 40;  // ms for the console to show its new title
}  // namespace

int RunContext::findConsoleWindow() {
  // Working buffer of the call: the title read, then the unique title.
  char oldTitle[kTitleCapacity];
  FixedText<kTitleCapacity> uniqueTitle;

  // A title that cannot be read is set back as empty; a longer one is cut at the buffer's end.
  std::memset(oldTitle, 0, sizeof oldTitle);
  if (platform_.getConsoleTitle(oldTitle, kTitleCapacity) == 0) {
    oldTitle[0] = '\0';
  }
  oldTitle[kTitleCapacity - 1] = '\0';

  // Both numbers as signed decimals, as wsprintf's %d gives them: a tick count past 2^31 (about
  // 25 days of uptime) prints negative. Asked for one after the other, tick count first.
  const auto ticks = static_cast<int>(platform_.getTickCount());
  const auto processId = static_cast<int>(platform_.getCurrentProcessId());
  uniqueTitle.format("%d/%d", ticks, processId);
  platform_.setConsoleTitle(uniqueTitle.c_str());
  platform_.sleep(kTitlePause);
  consoleWindow = platform_.findWindow(nullptr, uniqueTitle.c_str());
  platform_.setConsoleTitle(oldTitle);
  return 0;
}

int RunContext::hideConsoleWindow() {
  if (consoleWindow == nullptr) {
    return 0;
  }
  // Under Windows Terminal the tab's title is also the terminal's own window title, so the
  // unique title can find the terminal, with the user's other tabs in it. Only the window that
  // the system names as this console's is hidden; where it cannot tell (no GetConsoleWindow,
  // Windows 95, 98 and NT 4, which have no terminals either) the window found is.
  WindowHandle own = nullptr;
  if (platform_.getConsoleWindow(&own) && own != consoleWindow) {
    consoleWindow = nullptr;
    return 0;
  }
  platform_.showWindow(consoleWindow, kSwHide);
  consoleHidden = true;
  return 1;
}

// A console shared with the command prompt that started us is the prompt's window: hiding it for
// good would leave the user's shell running where nobody can see it. A console of our own (a
// double-clicked Tolvex) stays hidden, so nothing flashes at the end.
void RunContext::showSharedConsoleAgain() {
  if (!consoleHidden) {
    return;
  }
  if (platform_.getConsoleProcessCount() > 1) {
    platform_.showWindow(consoleWindow, kSwShow);
  }
}

}  // namespace tolvex
