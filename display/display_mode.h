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
// The switch for the application's lifetime: store nothing, and tell Windows that the change is
// temporary (CDS_FULLSCREEN). Without it Windows takes the new size as the desktop's for good: the
// window manager and Explorer squeeze every window and desktop icon into it, and they stay there
// after the switch back. With it they stay where they were, and Windows itself undoes the switch
// should Tolvex end without switching back (ended from Task Manager, or crashed).
constexpr std::uint32_t kSwitchForNow = kCdsFullscreen;
// Switch and store for all users: the second attempt, for drivers that take only a stored mode.
constexpr std::uint32_t kSwitchAndStoreForAll = kCdsUpdateRegistry | kCdsGlobal;
// Switch and store nothing, for good: the way back, and a restore that is meant to last.
constexpr std::uint32_t kSwitchOnly = 0;

// Whether the first `length` bytes of `layers`, compatibility layers one blank (or tab) apart
// as __COMPAT_LAYER and the registry keep them, name `layer`, in any case.
bool holdsLayer(const char* layers, std::size_t length, const char* layer);

}  // namespace tolvex

#endif
