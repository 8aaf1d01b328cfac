#include "app/run_context.h"

#include <cstring>

#include "app/messages.h"

namespace tolvex {

RunContext::RunContext(Platform& platform, const char* argument0, RunObserver* observer,
                       const char* heldArgument0)
    : platform_(platform), observer_(observer) {
  std::memset(&processInfo, 0, sizeof processInfo);
  std::memset(&startupInfo, 0, sizeof startupInfo);
  startupInfo.cb = sizeof startupInfo;

  // The mode stored in the system's settings, read before anything is changed. Tolvex goes on
  // whatever the results: a failed query leaves whatever it wrote (all zero if nothing).
  std::memset(&savedMode, 0, sizeof savedMode);
  const int saved = platform_.enumDisplaySettings(kEnumRegistrySettings, &savedMode);
  std::memset(&workingMode, 0, sizeof workingMode);
  const int working = platform_.enumDisplaySettings(kEnumRegistrySettings, &workingMode);
  storedModeRead = saved != 0 && working != 0;

  consoleWindow = nullptr;
  depth = kDefaultDepth;
  width = kDefaultWidth;
  height = kDefaultHeight;
  strictFlag = kDefaultStrictFlag;

  programDir.clear();
  settingsPath.clear();
  baseName.clear();
  appPath.clear();
  messageText.clear();

  derivePaths(argument0, heldArgument0);
  settingsPath.assign(kSettingsFileName);
  appPath.assign(programDir);
  appPath.append(kDefaultAppName);
}

void RunContext::showMessage(const char* caption) {
  platform_.messageBox(nullptr, messageText.c_str(), caption, kMbOk);
  if (observer_ != nullptr) {
    observer_->messageBoxShown(messageText.c_str(), caption);
  }
}

void RunContext::showOutsideCodePage() {
  // The folder's name in its own characters: in the ANSI code page it would be the very
  // look-alike that named another folder. So the text is UTF-8, shown by MessageBoxW.
  messageText.clear();
  messageText.append(kOutsideCodePageBefore);
  messageText.append(outsideCodePage.c_str());
  messageText.append(kOutsideCodePageAfter);
  platform_.messageBoxUnicode(nullptr, messageText.c_str(), kCaptionOutsideCodePage, kMbOk);
  if (observer_ != nullptr) {
    observer_->unicodeMessageBoxShown(messageText.c_str(), kCaptionOutsideCodePage);
  }
}

// programDir is always a folder: empty (the current folder) or argument 0 up to and including
// its last backslash. baseName is the file name that follows, up to its leftmost dot. Only the
// backslash separates folders; '/' and ':' are ordinary bytes. On a double-byte code page the
// second byte of a character may be 0x5C: that is no backslash, or "ソフト.exe" would be the file
// "フト.exe" in a folder ending in half a character ('.' is never a second byte). The pieces are
// cut straight out of argument 0, so an overlong argument 0 only matters when the piece itself
// does not fit; such a piece is marked overflowed and every path made from it is treated as a
// file that cannot be opened or started.
void RunContext::derivePaths(const char* argument0, const char* heldArgument0) {
  LeadBytes leadBytes;
  platform_.leadBytes(leadBytes);
  // Where Windows holds argument 0 in another form (UTF-16 on Windows NT), the ANSI one may name
  // another file: a look-alike folder ("Lodz" for "Łódź"), or none. The short form then stands in.
  char shortForm[2 * kPathCapacity];
  if (argument0 != nullptr && heldArgument0 != nullptr && heldArgument0[0] != '\0') {
    switch (ansiArgumentZero(platform_, leadBytes, heldArgument0, shortForm, sizeof shortForm,
                             outsideCodePage)) {
      case AnsiArgument::kAsGiven:
        break;
      case AnsiArgument::kShortForm:
        argument0 = shortForm;
        break;
      case AnsiArgument::kOutsideCodePage:
        argument0 = nullptr;
        break;
    }
  }
  if (argument0 == nullptr) {
    programDir.markOverflowed();
    baseName.markOverflowed();
    return;
  }
  const std::size_t length = std::strlen(argument0);
  const std::size_t backslash = leadBytes.lastBackslash(argument0, length);
  const std::size_t nameStart = backslash < length ? backslash + 1 : 0;
  programDir.assignBytes(argument0, nameStart);
  baseName.assignBytes(argument0 + nameStart,
                       settingsNameLength(argument0 + nameStart, length - nameStart));
}

}  // namespace tolvex
