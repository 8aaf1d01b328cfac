// tolvex-ini check: a dry run of Tolvex here and now. Tolvex's own run sequence runs on a
// platform that only asks (dry_run_platform.h) and tells this file what it does (the run's
// observer); the report follows those events, whatever their number and order.
//
// What the check can know: the settings file that opens and what it says, the display's answer
// to a test of each switch, whether each application file can be opened, the message boxes, and
// whether a copy of Tolvex runs now. What it cannot: whether a file that opens is a program this
// Windows starts, what the display does on the real switch, and what changes between the check
// and the start of Tolvex.
#include <cstring>

#include "app/messages.h"
#include "app/run_context.h"
#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/commands/compat_layers.h"
#include "tools/commands/dry_run_platform.h"
#include "tools/commands/operations.h"

namespace tolvex_commands {

namespace {

// The first N events of one kind, and how many there were in all: none is dropped unsaid.
template <typename Event, std::size_t N>
struct Kept {
  Event items[N];
  int count = 0;
  int total = 0;

  Event* add() {
    ++total;
    if (count == static_cast<int>(N)) {
      return nullptr;
    }
    return &items[count++];
  }
};

struct Switch {
  std::uint32_t fields = 0;
  std::int32_t depth = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t flags = 0;
  std::int32_t answer = 0;

  void take(const tolvex::DevModeA& mode, std::uint32_t modeFlags, std::int32_t result) {
    fields = mode.dmFields;
    depth = static_cast<std::int32_t>(mode.dmBitsPerPel);
    width = static_cast<std::int32_t>(mode.dmPelsWidth);
    height = static_cast<std::int32_t>(mode.dmPelsHeight);
    flags = modeFlags;
    answer = result;
  }
};

struct FileTried {
  tolvex::PathText path;
  long result = -1;
};

struct Launch {
  tolvex::PathText name;
  bool started = false;
};

struct Box {
  tolvex::MessageText text;
  tolvex::CaptionText caption;
};

// What the dry run did, as the run told it.
class CheckObserver final : public tolvex::RunObserver {
 public:
  Kept<FileTried, 4> files;
  // The bytes of the last settings file that opened: what the run went on with.
  std::uint8_t settingsBytes[tolvex::kSettingsReadLimit] = {};
  std::size_t settingsSize = 0;
  bool settingsOpened = false;
  Kept<Switch, 8> switches;
  // The last switch the display took before the application started (or before the end).
  Switch taken;
  bool switchTaken = false;
  Switch firstSwitch;
  // The layers the title would inherit; empty when the run set none.
  tolvex::FixedText<1024> layers;
  Kept<Launch, 4> launches;
  bool started = false;
  tolvex::PathText startedName;
  Kept<Box, 4> boxes;
  Kept<Switch, 2> restores;

  void settingsFileTried(const char* path, long result, const std::uint8_t* bytes) override {
    if (FileTried* file = files.add()) {
      file->path.assign(path);
      file->result = result;
    }
    if (result >= 0) {
      const auto size = static_cast<std::size_t>(result);
      settingsSize = size < sizeof settingsBytes ? size : sizeof settingsBytes;
      std::memcpy(settingsBytes, bytes, settingsSize);
      settingsOpened = true;
    }
  }
  void switchAttempted(const tolvex::DevModeA& mode, std::uint32_t flags,
                       std::int32_t result) override {
    Switch* kept = switches.add();
    if (kept != nullptr) {
      kept->take(mode, flags, result);
    }
    if (switches.total == 1) {
      firstSwitch.take(mode, flags, result);
    }
    if (result == 0 && !started) {
      taken.take(mode, flags, result);
      switchTaken = true;
    }
  }
  void colourLayerSet(const char* value) override { layers.assign(value); }
  void launchAttempted(const char* name, int result) override {
    if (Launch* launch = launches.add()) {
      launch->name.assign(name);
      launch->started = result > 0;
    }
    if (result > 0 && !started) {
      started = true;
      startedName.assign(name);
    }
  }
  void messageBoxShown(const char* text, const char* caption) override {
    if (Box* box = boxes.add()) {
      box->text.assign(text);
      box->caption.assign(caption);
    }
  }
  void restoreAttempted(const tolvex::DevModeA& mode, std::uint32_t flags,
                        std::int32_t result) override {
    if (Switch* restore = restores.add()) {
      restore->take(mode, flags, result);
    }
  }
};

template <typename Event, std::size_t N>
void printUnlisted(TextOut& out, const Kept<Event, N>& kept) {
  if (kept.total > kept.count) {
    out.label("");
    out.format("(%d more not listed)\n", kept.total - kept.count);
  }
}

void printSwitch(TextOut& out, const Switch& ask) {
  if (ask.fields == tolvex::kFullRequestFields) {
    out.format("%d x %d at %d bits per pixel", static_cast<int>(ask.width),
               static_cast<int>(ask.height), static_cast<int>(ask.depth));
  } else {
    out.format("%d x %d at any depth", static_cast<int>(ask.width), static_cast<int>(ask.height));
  }
  if (ask.flags == tolvex::kSwitchAndStoreForAll) {
    out.text(", asked again with storing for all users");
  }
  out.text(": ");
  printDisplayAnswer(out, ask.answer);
  out.text("\n");
}

// `again`: a plain switch back after storing the mode again was refused.
void printRestore(TextOut& out, const Switch& back, bool again) {
  out.format("to the stored mode, %d x %d at %d bits per pixel", static_cast<int>(back.width),
             static_cast<int>(back.height), static_cast<int>(back.depth));
  if (back.flags == tolvex::kSwitchAndStoreForAll) {
    out.text(", storing it again for all users");
  } else if (again) {
    out.text(", asked again without storing");
  }
  out.text(": ");
  printDisplayAnswer(out, back.answer);
  out.text("\n");
}

void printApp(TextOut& out, const char* name) {
  out.escaped(name, false);
  if (std::strcmp(name, tolvex::kFallbackAppName) == 0) {
    out.text(" in the current folder");
  }
}

void printSettings(TextOut& out, const CheckObserver& seen, const CheckRequest& args) {
  bool bareSeen = false;
  for (int i = 0; i < seen.files.count; ++i) {
    const FileTried& file = seen.files.items[i];
    out.label(i == 0 ? "Settings:" : "");
    // The bare name is the current folder's file; it is what a FILE argument stands in for.
    const bool bare = !bareSeen && std::strcmp(file.path.c_str(), tolvex::kSettingsFileName) == 0;
    bareSeen = bareSeen || bare;
    if (bare && args.file != nullptr) {
      out.escaped(args.file, false);
      out.format(" (in place of %s in the current folder)", tolvex::kSettingsFileName);
    } else {
      out.escaped(file.path.c_str(), false);
      out.text(bare ? " (in the current folder)" : " (named after Tolvex, in its folder)");
    }
    if (file.result < 0) {
      out.text(": cannot be opened\n");
    } else {
      out.format(": read, %ld bytes\n", file.result);
    }
  }
  printUnlisted(out, seen.files);
  if (seen.settingsOpened) {
    printSettingsReading(out, seen.settingsBytes, seen.settingsSize, seen.settingsSize, false);
    return;
  }
  out.label(seen.files.total == 0 ? "Settings:" : "");
  out.text("none: Tolvex goes on with its defaults\n");
  printRequest(out, AppliedRequest(), 0);
}

}  // namespace

void checkTolvex(ToolIo& io, const CheckRequest& request, CheckOutcome& outcome) {
  tolvex::Platform* system = io.system();
  if (system == nullptr) {
    outcome.verdict = CheckVerdict::kNoSystem;
    return;
  }
  if (request.file != nullptr) {
    std::uint8_t head[1];
    std::size_t stored = 0;
    std::size_t total = 0;
    if (!io.readFileHead(request.file, head, 0, stored, total, outcome.why)) {
      outcome.verdict = CheckVerdict::kUnreadable;
      return;
    }
  }

  const bool otherCopy = io.tolvexRunning();
  DryRunPlatform dry(*system, request.file);
  CheckObserver seen;
  (request.run != nullptr ? request.run : &tolvex::runTolvex)(dry, request.tolvex, &seen);

  Report& out = outcome.report;
  out.label("Tolvex:");
  out.escaped(request.tolvex, false);
  out.text(" (nothing is switched, started or written by this check)\n");
  printSettings(out, seen, request);

  if (seen.switches.total == 0) {
    out.label("Display:");
    out.text("not asked: the run ends before the switch\n");
  }
  for (int i = 0; i < seen.switches.count; ++i) {
    out.label(i == 0 ? "Display:" : "");
    printSwitch(out, seen.switches.items[i]);
  }
  printUnlisted(out, seen.switches);
  if (!seen.layers.empty()) {
    // Windows 8 and later only emulate 8 and 16 bits per pixel for the program that switched;
    // the title sees that depth through this layer.
    out.label("Colour layer:");
    out.text("the title starts with __COMPAT_LAYER=");
    out.escaped(seen.layers.c_str(), false);
    out.text("\n");
  }

  for (int i = 0; i < seen.launches.count; ++i) {
    const Launch& launch = seen.launches.items[i];
    out.label(i == 0 ? "Launch:" : "");
    printApp(out, launch.name.c_str());
    out.text(launch.started ? ": there\n" : ": not there, or cannot be opened\n");
  }
  printUnlisted(out, seen.launches);
  if (seen.launches.total == 0) {
    out.label("Launch:");
    out.text("not tried: the run ends before the launch\n");
  }
  printCompatibility(out,
                     seen.started ? seen.startedName.c_str() : seen.launches.items[0].name.c_str(),
                     seen.layers.c_str());

  for (int i = 0; i < seen.restores.count; ++i) {
    out.label(i == 0 ? "Switch back:" : "");
    printRestore(out, seen.restores.items[i], i > 0);
  }
  printUnlisted(out, seen.restores);
  if (seen.restores.total == 0) {
    out.label("Switch back:");
    out.text("not asked\n");
  }

  out.label("Other copy:");
  out.text(otherCopy ? "a copy of Tolvex is running now: Tolvex would end at once, doing nothing\n"
                     : "none running\n");

  out.label("Verdict:");
  if (otherCopy) {
    out.text("once the running copy has ended, ");
  }
  outcome.verdict = CheckVerdict::kStartsNothing;
  if (!seen.started) {
    out.text(seen.boxes.total > 0 ? "Tolvex shows this message box and starts nothing\n"
                                  // A strict switch refused with a code that has no message.
                                  : "Tolvex starts nothing and shows no message\n");
  } else {
    outcome.verdict = CheckVerdict::kStartsOtherwise;
    const Switch& mode = seen.taken;
    const bool fullTaken = seen.switchTaken && mode.fields == tolvex::kFullRequestFields;
    if (fullTaken) {
      out.format("Tolvex switches to %d x %d at %d bits per pixel and starts ",
                 static_cast<int>(mode.width), static_cast<int>(mode.height),
                 static_cast<int>(mode.depth));
      outcome.verdict = otherCopy || seen.boxes.total > 0 ? CheckVerdict::kStartsOtherwise
                                                          : CheckVerdict::kStarts;
    } else if (seen.switchTaken) {
      out.format(
          "Tolvex switches to %d x %d at the depth the display gives (not %d bits per "
          "pixel) and starts ",
          static_cast<int>(mode.width), static_cast<int>(mode.height),
          static_cast<int>(seen.firstSwitch.depth));
    } else {
      out.text("Tolvex starts ");
    }
    printApp(out, seen.startedName.c_str());
    out.text(seen.switchTaken ? "\n" : " without switching the display\n");
  }
  for (int i = 0; i < seen.boxes.count; ++i) {
    printMessageBox(out, seen.boxes.items[i].caption.c_str(), seen.boxes.items[i].text.c_str());
  }
  printUnlisted(out, seen.boxes);
}

}  // namespace tolvex_commands
