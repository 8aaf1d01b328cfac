// Switching the display for the application's lifetime, and back.
#include "display/display_mode.h"

#include "app/messages.h"
#include "app/run_context.h"

namespace tolvex {

namespace {

constexpr const char kCouldNotSet[] = "Tolvex couldn't set this setting";

constexpr DisplayChangeText kDisplayChangeTexts[] = {
    {1, "DISP_CHANGE_RESTART", kCouldNotSet},
    {-1, "DISP_CHANGE_FAILED", "Your graphics card failed to change the settings."},
    {-2, "DISP_CHANGE_BADMODE", "The graphics mode requested is not supported."},
    {-3, "DISP_CHANGE_NOTUPDATED", "The mode could not be written to the registry."},
    {-4, "DISP_CHANGE_BADFLAGS", kCouldNotSet},
    {-5, "DISP_CHANGE_BADPARAM", kCouldNotSet},
};

// Every caption made from the table fits the caption field.
constexpr bool captionsFit() {
  for (const DisplayChangeText& entry : kDisplayChangeTexts) {
    std::size_t length = 0;
    while (entry.name[length] != '\0') {
      ++length;
    }
    if (sizeof kCaptionDisplayPrefix + length > kCaptionCapacity) {
      return false;
    }
  }
  return true;
}
static_assert(captionsFit(), "every display-change caption fits its field");

}  // namespace

const DisplayChangeText* findDisplayChangeText(std::int32_t code) {
  for (const DisplayChangeText& entry : kDisplayChangeTexts) {
    if (entry.code == code) {
      return &entry;
    }
  }
  return nullptr;
}

std::int32_t RunContext::switchMode(std::int32_t requestedDepth, std::int32_t requestedWidth,
                                    std::int32_t requestedHeight) {
  // Only these four members are written; the rest stays as the stored-mode query left it, and
  // since dmFields does not name them (the refresh rate among them) they are not requested.
  workingMode.dmFields = kFullRequestFields;
  workingMode.dmBitsPerPel = static_cast<std::uint32_t>(requestedDepth);
  workingMode.dmPelsWidth = static_cast<std::uint32_t>(requestedWidth);
  workingMode.dmPelsHeight = static_cast<std::uint32_t>(requestedHeight);

  std::int32_t result = trySwitch(kSwitchOnly);
  if (result != 0) {
    // Some drivers only take a mode that is also stored. From here on the stored settings may
    // hold the requested mode (on success, and with DISP_CHANGE_RESTART for the next start).
    storedModeChanged = true;
    result = trySwitch(kSwitchAndStoreForAll);
  }

  if (strictFlag != 1) {
    if (result == 0) {
      return 0;
    }
    // Lenient: keep the size and let the depth be whatever the card gives. Never a message.
    workingMode.dmFields = kSizeOnlyFields;
    return trySwitch(kSwitchOnly);
  }

  if (result == 0) {
    return 0;
  }
  const DisplayChangeText* text = findDisplayChangeText(result);
  if (text != nullptr) {
    CaptionText caption(kCaptionDisplayPrefix);
    caption.append(text->name);
    messageText.append(text->explanation);
    showMessage(caption.c_str());
  }
  return result;
}

void RunContext::restoreMode() {
  // savedMode holds the mode stored when the run started. If this run stored another one, store
  // the saved one again as well; otherwise just switch the screen back.
  const std::uint32_t flags = storedModeChanged ? kSwitchAndStoreForAll : kSwitchOnly;
  const std::int32_t result = platform_.changeDisplaySettings(&savedMode, flags);
  if (observer_ != nullptr) {
    observer_->restoreAttempted(savedMode, flags, result);
  }
}

std::int32_t RunContext::trySwitch(std::uint32_t flags) {
  const std::int32_t result = platform_.changeDisplaySettings(&workingMode, flags);
  if (observer_ != nullptr) {
    observer_->switchAttempted(workingMode, flags, result);
  }
  return result;
}

}  // namespace tolvex
