// modes and restore: the display's modes as Tolvex's platform sees them, and the way back to the
// stored mode after a run that did not end by itself.
#include <cstring>

#include "display/display_mode.h"
#include "tools/commands/operations.h"

namespace tolvex_commands {

namespace {

// A mode list that goes on past this is taken as a driver that never says "no more".
constexpr std::int32_t kMaxModeIndex = 100000;

// Sizes first (width, then height), then depth, then rate.
bool before(const Mode& a, const Mode& b) {
  if (a.width != b.width) {
    return a.width < b.width;
  }
  if (a.height != b.height) {
    return a.height < b.height;
  }
  if (a.depth != b.depth) {
    return a.depth < b.depth;
  }
  return a.rate < b.rate;
}

bool query(tolvex::Platform& system, std::int32_t index, Mode& mode) {
  tolvex::DevModeA record;
  std::memset(&record, 0, sizeof record);
  if (system.enumDisplaySettings(index, &record) == 0) {
    return false;
  }
  mode.width = record.dmPelsWidth;
  mode.height = record.dmPelsHeight;
  mode.depth = record.dmBitsPerPel;
  mode.rate = record.dmDisplayFrequency;
  mode.tolvexWidth = tolvex::isSettingsWidth(static_cast<std::int32_t>(mode.width));
  return true;
}

}  // namespace

bool sameSize(const Mode& a, const Mode& b) {
  return a.width == b.width && a.height == b.height;
}

bool sameMode(const Mode& a, const Mode& b) {
  return sameSize(a, b) && a.depth == b.depth && a.rate == b.rate;
}

void listModes(ToolIo& io, ModesOutcome& outcome) {
  tolvex::Platform* system = io.system();
  outcome.system = system != nullptr;
  if (system == nullptr) {
    return;
  }
  outcome.nowKnown = query(*system, tolvex::kEnumCurrentSettings, outcome.now);
  outcome.storedKnown = query(*system, tolvex::kEnumRegistrySettings, outcome.stored);
  // Sorted and without repeats: drivers list some modes more than once.
  Mode* const modes = outcome.modes;
  int& count = outcome.count;
  Mode mode;
  for (std::int32_t index = 0; index < kMaxModeIndex && query(*system, index, mode); ++index) {
    int at = 0;
    while (at < count && before(modes[at], mode)) {
      ++at;
    }
    if (at < count && sameMode(modes[at], mode)) {
      continue;
    }
    if (count == ModesOutcome::kMaxModes) {
      ++outcome.unlisted;
      continue;
    }
    std::memmove(&modes[at + 1], &modes[at], sizeof(Mode) * static_cast<std::size_t>(count - at));
    modes[at] = mode;
    ++count;
  }
}

RestoreOutcome restoreDisplay(ToolIo& io) {
  RestoreOutcome outcome;
  tolvex::Platform* system = io.system();
  outcome.system = system != nullptr;
  if (system == nullptr) {
    return outcome;
  }
  outcome.storedKnown = query(*system, tolvex::kEnumRegistrySettings, outcome.stored);
  outcome.beforeKnown = query(*system, tolvex::kEnumCurrentSettings, outcome.before);
  // No record and flags 0: the display goes back to what its settings store.
  outcome.result = system->changeDisplaySettings(nullptr, tolvex::kSwitchOnly);
  outcome.afterKnown = query(*system, tolvex::kEnumCurrentSettings, outcome.after);
  return outcome;
}

}  // namespace tolvex_commands
