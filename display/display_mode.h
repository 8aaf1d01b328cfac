// What a strict switch tells the user for each display-change code: the code's name (which
// makes the caption) and the explanation appended to the message. One table serves both.
#ifndef TOLVEX_DISPLAY_DISPLAY_MODE_H
#define TOLVEX_DISPLAY_DISPLAY_MODE_H

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace tolvex {

struct DisplayChangeText {
  std::int32_t code;
  const char* name;         // caption: "Tolvex Error: " + name
  const char* explanation;  // appended to the message text
};

// The entry for a code that has a message, or nullptr (success, or a code outside the table).
const DisplayChangeText* findDisplayChangeText(std::int32_t code);

// dmFields masks: the full request, and the lenient retry that no longer asks for a depth.
constexpr std::uint32_t kFullRequestFields = kDmBitsPerPel | kDmPelsWidth | kDmPelsHeight;
constexpr std::uint32_t kSizeOnlyFields = kDmPelsWidth | kDmPelsHeight;
// Switch now and store nothing / switch and store for all users.
constexpr std::uint32_t kSwitchOnly = 0;
constexpr std::uint32_t kSwitchAndStoreForAll = kCdsUpdateRegistry | kCdsGlobal;

// Whether the first `length` bytes of `layers`, compatibility layers one blank (or tab) apart
// as __COMPAT_LAYER and the registry keep them, name `layer`, in any case.
bool holdsLayer(const char* layers, std::size_t length, const char* layer);

}  // namespace tolvex

#endif
