// tolvex-ini modes and restore: the display's modes as Tolvex's platform sees them, and the way
// back to the stored mode after a run that did not end by itself.
#include <cstring>

#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/commands/commands.h"
#include "tools/commands/report.h"

namespace tolvex_ini {

namespace {

// Enough for any display seen so far; more are counted but not listed.
constexpr int kMaxModes = 512;
// A mode list that goes on past this is taken as a driver that never says "no more".
constexpr std::int32_t kMaxModeIndex = 100000;

struct Mode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t depth = 0;
  std::uint32_t rate = 0;
};

bool operator==(const Mode& a, const Mode& b) {
  return a.width == b.width && a.height == b.height && a.depth == b.depth && a.rate == b.rate;
}

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
  return true;
}

void printMode(Printer& out, const Mode& mode) {
  out.format("%lu x %lu, %lu bits per pixel", static_cast<unsigned long>(mode.width),
             static_cast<unsigned long>(mode.height), static_cast<unsigned long>(mode.depth));
  // 0 and 1 stand for the hardware's default rate.
  if (mode.rate > 1) {
    out.format(", %lu Hz", static_cast<unsigned long>(mode.rate));
  }
}

// The line of one mode query: the mode, or why there is none.
bool printQuery(Printer& out, tolvex::Platform& system, const char* label, std::int32_t index,
                Mode& mode) {
  out.label(label);
  const bool known = query(system, index, mode);
  if (known) {
    printMode(out, mode);
    out.text("\n");
  } else {
    out.text("unknown: the display does not say\n");
  }
  return known;
}

// The system to ask, for a command that takes no arguments; nullptr once it has said why not.
tolvex::Platform* systemFor(const char* command, int argc, const char* const* argv, ToolIo& io) {
  if (argc > 0) {
    Printer err = errorLine(io);
    err.format("%s: unexpected argument '", command);
    err.escaped(argv[0], false);
    err.format("'\nTry '%s --help' for more information.\n", kProgramName);
    return nullptr;
  }
  tolvex::Platform* system = io.system();
  if (system == nullptr) {
    needsWindows(io, command);
  }
  return system;
}

bool sameSize(const Mode& a, const Mode& b) {
  return a.width == b.width && a.height == b.height;
}

}  // namespace

int runModes(int argc, const char* const* argv, ToolIo& io) {
  tolvex::Platform* system = systemFor("modes", argc, argv, io);
  if (system == nullptr) {
    return kExitTrouble;
  }
  Printer out(io, false);
  Mode now;
  Mode stored;
  const bool nowKnown = printQuery(out, *system, "Now:", tolvex::kEnumCurrentSettings, now);
  const bool storedKnown =
      printQuery(out, *system, "Stored:", tolvex::kEnumRegistrySettings, stored);

  // The list, sorted and without repeats (drivers list some modes more than once).
  static Mode modes[kMaxModes];
  int count = 0;
  int unlisted = 0;
  Mode mode;
  for (std::int32_t index = 0; index < kMaxModeIndex && query(*system, index, mode); ++index) {
    int at = 0;
    while (at < count && before(modes[at], mode)) {
      ++at;
    }
    if (at < count && modes[at] == mode) {
      continue;
    }
    if (count == kMaxModes) {
      ++unlisted;
      continue;
    }
    std::memmove(&modes[at + 1], &modes[at], sizeof(Mode) * static_cast<std::size_t>(count - at));
    modes[at] = mode;
    ++count;
  }

  out.label("Modes:");
  out.format("%d, by size; * marks the widths a Tolvex settings file can ask for\n", count);
  for (int first = 0; first < count;) {
    int last = first;
    while (last + 1 < count && sameSize(modes[last + 1], modes[first])) {
      ++last;
    }
    const Mode& size = modes[first];
    out.format("  %c %5lu x %-5lu",
               tolvex::isSettingsWidth(static_cast<std::int32_t>(size.width)) ? '*' : ' ',
               static_cast<unsigned long>(size.width), static_cast<unsigned long>(size.height));
    // "8 bits: 60 Hz; 16 bits: 60, 75 Hz"
    for (int i = first; i <= last; ++i) {
      const Mode& m = modes[i];
      const bool newDepth = i == first || modes[i - 1].depth != m.depth;
      if (newDepth) {
        out.format("%s%lu bits:", i == first ? " " : "; ", static_cast<unsigned long>(m.depth));
      }
      out.format("%s", newDepth ? " " : ", ");
      if (m.rate > 1) {
        out.format("%lu", static_cast<unsigned long>(m.rate));
      } else {
        out.text("default");
      }
      if (i == last || modes[i + 1].depth != m.depth) {
        out.text(m.rate > 1 ? " Hz" : "");
      }
    }
    if (nowKnown && sameSize(size, now)) {
      out.text("  <- now");
    }
    if (storedKnown && sameSize(size, stored)) {
      out.text(nowKnown && sameSize(size, now) ? ", stored" : "  <- stored");
    }
    out.text("\n");
    first = last + 1;
  }
  if (unlisted > 0) {
    out.format("  (%d more not listed)\n", unlisted);
  }
  return kExitOk;
}

int runRestore(int argc, const char* const* argv, ToolIo& io) {
  tolvex::Platform* system = systemFor("restore", argc, argv, io);
  if (system == nullptr) {
    return kExitTrouble;
  }
  Printer out(io, false);
  Mode stored;
  Mode now;
  const bool storedKnown =
      printQuery(out, *system, "Stored mode:", tolvex::kEnumRegistrySettings, stored);
  const bool nowKnown = printQuery(out, *system, "Before:", tolvex::kEnumCurrentSettings, now);
  if (storedKnown && nowKnown && stored == now) {
    out.label("");
    out.text("(the display is in the stored mode already)\n");
  }

  // No record and flags 0: the display goes back to what its settings store.
  const std::int32_t result = system->changeDisplaySettings(nullptr, tolvex::kSwitchOnly);
  out.label("Restore:");
  printDisplayAnswer(out, result);
  out.text("\n");
  Mode after;
  printQuery(out, *system, "After:", tolvex::kEnumCurrentSettings, after);
  if (result == 0 && storedKnown) {
    out.label("");
    out.text("the display is back in the stored mode: ");
    printMode(out, stored);
    out.text("\n");
  }
  return result == 0 ? kExitOk : kExitRefused;
}

}  // namespace tolvex_ini
