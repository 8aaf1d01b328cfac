// Switching the display for the application's lifetime, and back.
#include "display/display_mode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

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

  switchedDepth = 0;
  std::int32_t result = trySwitch(kSwitchForNow);
  if (result != 0) {
    // Some drivers only take a mode that is also stored. The stored settings hold the requested
    // mode only when this attempt wrote them: on success, and with DISP_CHANGE_RESTART (stored
    // for the next start). Any other answer stored nothing, and an account that may not write
    // the machine's settings might not be allowed to store the old mode again either.
    result = trySwitch(kSwitchAndStoreForAll);
    storedModeChanged = result == kDispChangeSuccessful || result == kDispChangeRestart;
  }
  if (result == 0) {
    switchedDepth = requestedDepth;
  }

  if (strictFlag != 1) {
    if (result == 0) {
      return 0;
    }
    // Lenient: keep the size and let the depth be whatever the card gives. Never a message.
    workingMode.dmFields = kSizeOnlyFields;
    return trySwitch(kSwitchForNow);
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

namespace {

constexpr const char kCompatLayerVariable[] = "__COMPAT_LAYER";
// Room for the variable's value, old layers and the new one together; a longer value is left
// as it is.
constexpr std::uint32_t kCompatLayerCapacity = 1024;

// Windows' "Reduced color mode" layers.
const char* colourLayerFor(std::int32_t depth) {
  if (depth == 8) {
    return "256COLOR";
  }
  if (depth == 16) {
    return "16BITCOLOR";
  }
  return nullptr;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

char upperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The next blank-separated word of `text` from `at` on: its start, and `at` moved past it (an
// empty word, start == at, when only blanks are left).
std::size_t nextWord(const char* text, std::size_t length, std::size_t& at) {
  while (at < length && isBlank(text[at])) {
    ++at;
  }
  const std::size_t start = at;
  while (at < length && !isBlank(text[at])) {
    ++at;
  }
  return start;
}

}  // namespace

bool holdsLayer(const char* layers, std::size_t length, const char* layer) {
  const std::size_t wanted = std::strlen(layer);
  std::size_t at = 0;
  while (at < length) {
    const std::size_t start = nextWord(layers, length, at);
    bool same = at - start == wanted;
    for (std::size_t i = 0; same && i < wanted; ++i) {
      same = upperAscii(layers[start + i]) == upperAscii(layer[i]);
    }
    if (same && wanted > 0) {
      return true;
    }
  }
  return false;
}

void RunContext::addColourLayer() {
  const char* layer = colourLayerFor(switchedDepth);
  if (layer == nullptr) {
    return;
  }
  // Windows 7 and earlier switch the display itself to the depth asked for.
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  if (!platform_.getVersion(&major, &minor) || major < 6 || (major == 6 && minor < 2)) {
    return;
  }

  char current[kCompatLayerCapacity];
  current[0] = '\0';
  const std::uint32_t length =
      platform_.getEnvironmentVariable(kCompatLayerVariable, current, kCompatLayerCapacity);
  if (length >= kCompatLayerCapacity) {
    return;  // too long to read whole: left as it is
  }

  if (holdsLayer(current, length, layer)) {
    return;  // already there: never twice
  }
  // The layers already there, in their order and one blank apart, then this one.
  FixedText<kCompatLayerCapacity> value;
  std::size_t at = 0;
  while (at < length) {
    const std::size_t start = nextWord(current, length, at);
    if (at == start) {
      break;
    }
    if (!value.empty()) {
      value.append(" ");
    }
    value.appendBytes(current + start, at - start);
  }
  if (!value.empty()) {
    value.append(" ");
  }
  value.append(layer);
  if (value.overflowed()) {
    return;  // would not fit: left as it is, and the application still starts
  }
  platform_.setEnvironmentVariable(kCompatLayerVariable, value.c_str());
  if (observer_ != nullptr) {
    observer_->colourLayerSet(value.c_str());
  }
}

void RunContext::restoreMode() {
  // savedMode holds the mode stored when the run started. If this run stored another one, store
  // the saved one again as well; otherwise just switch the screen back.
  if (!storedModeChanged) {
    tryRestore(kSwitchOnly);
    return;
  }
  // Storing may be refused where the run's own storing was not (another account's rights, a
  // driver that wants a restart): the screen must still go back.
  if (tryRestore(kSwitchAndStoreForAll) != kDispChangeSuccessful) {
    tryRestore(kSwitchOnly);
  }
}

std::int32_t RunContext::tryRestore(std::uint32_t flags) {
  const std::int32_t result = platform_.changeDisplaySettings(&savedMode, flags);
  if (observer_ != nullptr) {
    observer_->restoreAttempted(savedMode, flags, result);
  }
  return result;
}

std::int32_t RunContext::trySwitch(std::uint32_t flags) {
  const std::int32_t result = platform_.changeDisplaySettings(&workingMode, flags);
  if (observer_ != nullptr) {
    observer_->switchAttempted(workingMode, flags, result);
  }
  return result;
}

}  // namespace tolvex
