// Finding and reading the settings file, then applying what it says to the run.
#include "app/messages.h"
#include "app/run_context.h"
#include "settings/settings_text.h"

namespace tolvex {

int RunContext::readSettings(const char* firstName) {
  std::uint8_t stored[kSettingsReadLimit + 1];

  // "Tolvex.ini" in the current folder first; only when it cannot be opened, the file named
  // after the program beside it. A first file that opens but is empty or bad still wins.
  long count = platform_.readFile(firstName, stored, kSettingsReadLimit);
  if (observer_ != nullptr) {
    observer_->settingsFileTried(firstName, count, stored);
  }
  if (count < 0) {
    settingsPath.assign(programDir);
    settingsPath.append(baseName);
    settingsPath.append(".ini");
    if (settingsPath.overflowed()) {
      // A name that does not fit is a file that cannot be opened.
      if (observer_ != nullptr) {
        observer_->settingsFileTried(settingsPath.c_str(), -1, stored);
      }
      return 0;
    }
    count = platform_.readFile(settingsPath.c_str(), stored, kSettingsReadLimit);
    if (observer_ != nullptr) {
      observer_->settingsFileTried(settingsPath.c_str(), count, stored);
    }
    if (count < 0) {
      return 0;
    }
  }
  if (count == 0) {
    return 0;
  }

  DecodedSettings text;
  decodeSettings(stored, static_cast<std::size_t>(count), text);
  const SettingsScan scan = scanSettings(text.c_str());
  SettingsVerdict verdict;
  judgeSettings(scan, programDir, verdict);

  messageText.assign(verdict.message.c_str());
  applyVerdict(verdict, *this);
  if (verdict.result < 0) {
    showMessage(kCaptionBadSettings);
  }
  return verdict.result;
}

}  // namespace tolvex
