// check: a dry run of Tolvex here and now. Tolvex's own run sequence runs on a platform that
// only asks (dry_run_platform.h) and tells this file what it does (the run's observer); the
// outcome keeps those events as values, whatever their number and order, for each front end to
// word.
//
// What the check can know: the settings file that opens and what it says, the display's answer
// to a test of each switch, whether each application file can be opened, the message boxes, and
// whether a copy of Tolvex runs now. What it cannot: whether a file that opens is a program this
// Windows starts, what the display does on the real switch, and what changes between the check
// and the start of Tolvex.
#include <cstring>

#include "app/run_context.h"
#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/commands/compat_layers.h"
#include "tools/commands/dry_run_platform.h"
#include "tools/commands/operations.h"

namespace tolvex_commands {

namespace {

void take(SwitchAsked& kept, const tolvex::DevModeA& mode, std::uint32_t flags,
          std::int32_t answer) {
  kept.width = static_cast<std::int32_t>(mode.dmPelsWidth);
  kept.height = static_cast<std::int32_t>(mode.dmPelsHeight);
  kept.depth = static_cast<std::int32_t>(mode.dmBitsPerPel);
  kept.anyDepth = mode.dmFields != tolvex::kFullRequestFields;
  kept.storeForAll = flags == tolvex::kSwitchAndStoreForAll;
  kept.answer = answer;
}

// What the dry run did, as the run told it, straight into the outcome.
class CheckObserver final : public tolvex::RunObserver {
 public:
  explicit CheckObserver(CheckOutcome& seen) : seen_(seen) {}

  void settingsFileTried(const char* path, long result, const std::uint8_t* bytes) override {
    if (SettingsTried* file = seen_.settingsFiles.add()) {
      file->path.assign(path);
      file->result = result;
      // The bare name is the current folder's file (the first time it is looked for).
      file->here = !bareSeen_ && std::strcmp(path, tolvex::kSettingsFileName) == 0;
      bareSeen_ = bareSeen_ || file->here;
    }
    if (result >= 0) {
      const auto size = static_cast<std::size_t>(result);
      seen_.settingsSize = size < sizeof seen_.settings ? size : sizeof seen_.settings;
      std::memcpy(seen_.settings, bytes, seen_.settingsSize);
      seen_.settingsOpened = true;
    }
  }
  void switchAttempted(const tolvex::DevModeA& mode, std::uint32_t flags,
                       std::int32_t result) override {
    if (SwitchAsked* kept = seen_.switches.add()) {
      take(*kept, mode, flags, result);
    }
    if (result == 0 && !seen_.started) {
      take(seen_.taken, mode, flags, result);
      seen_.switchTaken = true;
    }
  }
  void colourLayerSet(const char* value) override { seen_.colourLayers.assign(value); }
  void launchAttempted(const char* name, int result) override {
    if (LaunchTried* launch = seen_.launches.add()) {
      launch->name.assign(name);
      launch->there = result > 0;
    }
    if (result > 0 && !seen_.started) {
      seen_.started = true;
      seen_.startedName.assign(name);
    }
  }
  void messageBoxShown(const char* text, const char* caption) override {
    keepBox(text, caption, false);
  }
  void unicodeMessageBoxShown(const char* utf8Text, const char* caption) override {
    keepBox(utf8Text, caption, true);
  }
  void restoreAttempted(const tolvex::DevModeA& mode, std::uint32_t flags,
                        std::int32_t result) override {
    if (SwitchAsked* restore = seen_.restores.add()) {
      take(*restore, mode, flags, result);
    }
  }

 private:
  void keepBox(const char* text, const char* caption, bool utf8) {
    if (BoxShown* box = seen_.boxes.add()) {
      box->text.assign(text);
      box->caption.assign(caption);
      box->utf8 = utf8;
    }
  }

  CheckOutcome& seen_;
  bool bareSeen_ = false;
};

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

  outcome.tolvex.assign(request.tolvex);
  char shortForm[2 * tolvex::kPathCapacity];
  tolvex::HeldText outside;
  tolvex::LeadBytes leadBytes;
  system->leadBytes(leadBytes);
  if (request.held != nullptr &&
      tolvex::ansiArgumentZero(*system, leadBytes, request.held, shortForm, sizeof shortForm,
                               outside) == tolvex::AnsiArgument::kShortForm) {
    outcome.tolvex.assign(shortForm);
  }
  outcome.otherCopy = io.tolvexRunning();
  DryRunPlatform dry(*system, request.file);
  CheckObserver seen(outcome);
  (request.run != nullptr ? request.run : &tolvex::runTolvex)(dry, request.tolvex, &seen,
                                                              request.held);

  // The layer this run adds is the last of the value it gives the title.
  const char* layers = outcome.colourLayers.c_str();
  for (const char* at = layers; *at != '\0'; ++at) {
    if (at == layers || at[-1] == ' ') {
      outcome.addedLayer.assign(at);
    }
  }
  readProgramLayers(
      outcome.started ? outcome.startedName.c_str() : outcome.launches.items[0].name.c_str(),
      codePage(io), outcome.programLayers);

  outcome.verdict = CheckVerdict::kStartsNothing;
  if (outcome.started) {
    const bool asAsked = outcome.switchTaken && !outcome.taken.anyDepth && !outcome.otherCopy &&
                         outcome.boxes.total == 0;
    outcome.verdict = asAsked ? CheckVerdict::kStarts : CheckVerdict::kStartsOtherwise;
  }
}

}  // namespace tolvex_commands
