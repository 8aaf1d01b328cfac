// The commands of tolvex-ini and Tolvex Setup: write, show, check, modes and restore. Each takes
// a request and returns an outcome; none prints. An outcome holds values (what was refused, the
// mode asked and the display's answer, the path as data); the command line (tools/tolvex-ini)
// and the dialog (tools/tolvex-setup) each word them their own way. show's rows are printed
// straight to where they go (printShown), so that no length of a path can cut them short.
#ifndef TOLVEX_TOOLS_COMMANDS_OPERATIONS_H
#define TOLVEX_TOOLS_COMMANDS_OPERATIONS_H

#include <cstdint>

#include "app/messages.h"
#include "app/run_observer.h"
#include "app/text_fields.h"
#include "settings/settings_text.h"
#include "tools/commands/report.h"
#include "tools/commands/tool_io.h"

namespace tolvex_commands {

// ---- write ----

// The values of a settings file, in its order.
enum class Field { kNone, kDepth, kWidth, kHeight, kStrict, kProgram };

// Why a value is refused.
enum class Refusal {
  kNone,
  kTolvexsRule,  // Tolvex rejects it: `explanation` is its message box's
  kOutOfRange,   // a number Tolvex cannot read (beyond 32 bits)
  kBlank,        // a program name that a blank would cut short
  kComma,        // a program name that a comma would cut short
  kTooLong,      // a program name longer than Tolvex reads
};

struct WriteRequest {
  const char* path = tolvex::kSettingsFileName;
  bool replace = false;  // an existing file is replaced only when true
  int fields = 3;        // 3 to 5: depth, width and height, then the strict flag, the program
  // depth, width, height, strict flag
  std::int64_t numbers[4] = {tolvex::kDefaultDepth, tolvex::kDefaultWidth, tolvex::kDefaultHeight,
                             tolvex::kDefaultStrictFlag};
  const char* program = nullptr;  // when fields is 5
};

// kFolder: the path names a folder, which is never written over (Windows 9x would move it aside).
enum class WriteStatus { kWritten, kRefused, kExists, kFolder, kTrouble };

using SettingsText = tolvex::FixedText<512>;

struct WriteOutcome {
  WriteStatus status = WriteStatus::kWritten;
  // kRefused: the first value refused, in Tolvex's order.
  Field refused = Field::kNone;
  Refusal why = Refusal::kNone;
  std::int64_t value = 0;             // the refused number
  const char* explanation = nullptr;  // Tolvex's own, for kTolvexsRule
  // kTrouble: the step that failed and the system's reason. From kReadBack on the new file was
  // written; `readBack` is what Tolvex would read from it (kNone: what it would read from the
  // text). Any trouble leaves an old file as it was.
  FileTrouble trouble;
  bool existed = false;   // the file was there before (and is still, unless it was replaced)
  bool mismatch = false;  // the new file does not read back as written
  bool removed = false;   // ... and was removed
  std::size_t written = 0;
  std::size_t readTotal = 0;
  Reading readBack;
  // kWritten: the decoded text and the request Tolvex goes on with.
  SettingsText text;
  tolvex::SettingsRequest applied;
};

// Whether Tolvex, reading `reading`, goes on with exactly the request that was asked for: as many
// fields, each with its value (the depth as Tolvex applies it). The text write composes must.
bool readsAsAsked(const WriteRequest& request, const Reading& reading);

// Tolvex's rules and what a name must be to be read back whole, with nothing written: kWritten
// (nothing yet, `text` holding the text to write), kRefused, or kTrouble at FileStep::kNone
// where Tolvex would read the text otherwise than asked.
WriteOutcome judgeWrite(const WriteRequest& request);
// Judges, then writes with replaceFile, which reads the new file back the way Tolvex will
// before it replaces the old one.
WriteOutcome writeSettings(ToolIo& io, const WriteRequest& request);

// ---- show ----

struct ShowOutcome {
  bool read = false;  // false: the file cannot be read, for `why`
  ReasonText why;
  // The file as Tolvex reads it: its first bytes and its whole length.
  std::uint8_t stored[tolvex::kSettingsReadLimit] = {};
  std::size_t size = 0;
  std::size_t total = 0;
  FileVerdict verdict = FileVerdict::kIgnoredEmpty;
  // The fields Tolvex takes from the file, before any it rejects, over its defaults.
  int accepted = 0;
  tolvex::SettingsRequest fields;
  std::int32_t depthInFile = 0;
  // Every field as it was read, accepted or not, and which one Tolvex rejects.
  tolvex::SettingsScan scan;
  tolvex::SettingsField rejected = tolvex::SettingsField::kNone;
};

void showSettings(ToolIo& io, const char* path, ShowOutcome& outcome);

// show's report, row by row as it is made, whatever the length of `path`: the file, its text,
// what Tolvex does with it.
void printShown(TextOut& out, const char* path, const ShowOutcome& shown);

// ---- check ----

// A whole run of Tolvex, as tolvex::runTolvex.
using RunSequence = int (*)(tolvex::Platform& platform, const char* argument0,
                            tolvex::RunObserver* observer, const char* heldArgument0);

struct CheckRequest {
  const char* tolvex = "Tolvex.exe";  // Tolvex as started
  const char* held = nullptr;         // the same as Windows NT holds it (UTF-8), when known
  const char* file = nullptr;         // read in place of Tolvex.ini in the current folder
  RunSequence run = nullptr;          // nullptr: Tolvex's own
};

enum class CheckVerdict {
  kNoSystem,         // no display to ask here
  kUnreadable,       // the settings file named cannot be read, for `why`
  kStarts,           // Tolvex starts the application in the mode asked for
  kStartsOtherwise,  // it starts it, but not as asked (another mode, a message, a running copy)
  kStartsNothing,
};

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

// A switch of the display as the run asked for it, and the display's answer.
struct SwitchAsked {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t depth = 0;
  bool anyDepth = false;     // the size alone, at the depth the display gives (not on the way back)
  bool storeForAll = false;  // with the mode stored for all users
  std::int32_t answer = 0;   // 0 is DISP_CHANGE_SUCCESSFUL
};

struct SettingsTried {
  tolvex::PathText path;
  // The bare name: the current folder's file, which a settings file named in the request stands
  // in for. Otherwise the file named after Tolvex, in its folder.
  bool here = false;
  long result = -1;  // the bytes read; negative: it cannot be opened
};

struct LaunchTried {
  tolvex::PathText name;
  bool there = false;  // the file opens
};

struct BoxShown {
  tolvex::MessageText text;
  tolvex::CaptionText caption;
  bool utf8 = false;  // the text is UTF-8 (it names a folder the code page cannot hold), not ANSI
};

// The compatibility layers Windows applies to the program the run would start, as its
// Properties, Compatibility tab set them.
struct ProgramLayers {
  bool read = false;  // false: no layers to read on this system, or no program to start
  tolvex::PathText program;
  // The code page's lead bytes, by which the program's file name is cut from its path.
  tolvex::LeadBytes leadBytes;
  bool forUserSet = false;
  bool forAllSet = false;
  tolvex::FixedText<512> forUser;
  tolvex::FixedText<512> forAll;
};

// What a dry run of Tolvex did, as values: each front end words them its own way.
struct CheckOutcome {
  CheckVerdict verdict = CheckVerdict::kNoSystem;
  ReasonText why;
  // Tolvex as it takes itself: as started, or the short form of that path where Windows holds it
  // otherwise than in ANSI (a folder the code page cannot hold).
  tolvex::PathText tolvex;
  // The settings files looked for, and the bytes of the last one that opened: what the run went
  // on with (none opened: Tolvex's defaults).
  Kept<SettingsTried, 4> settingsFiles;
  bool settingsOpened = false;
  std::uint8_t settings[tolvex::kSettingsReadLimit] = {};
  std::size_t settingsSize = 0;
  // The mode asked for, and each answer of the display.
  Kept<SwitchAsked, 8> switches;
  // The last switch the display took before the application started (or before the end).
  bool switchTaken = false;
  SwitchAsked taken;
  // What the title inherits in __COMPAT_LAYER (empty: the run set none), the layer Tolvex adds
  // (its last word), and the layers Windows applies besides.
  tolvex::FixedText<1024> colourLayers;
  tolvex::FixedText<32> addedLayer;
  ProgramLayers programLayers;
  Kept<LaunchTried, 4> launches;
  bool started = false;
  tolvex::PathText startedName;  // the application that starts
  Kept<BoxShown, 4> boxes;
  Kept<SwitchAsked, 2> restores;  // the way back: the stored mode, then plainly when refused
  bool otherCopy = false;         // a copy of Tolvex runs now, which Tolvex would leave alone
};

void checkTolvex(ToolIo& io, const CheckRequest& request, CheckOutcome& outcome);

// ---- modes and restore ----

struct Mode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t depth = 0;
  std::uint32_t rate = 0;    // 0 and 1: the hardware's default
  bool tolvexWidth = false;  // a width a Tolvex settings file can ask for
};

bool sameSize(const Mode& a, const Mode& b);
bool sameMode(const Mode& a, const Mode& b);

struct ModesOutcome {
  static constexpr int kMaxModes = 512;
  bool system = false;  // false: no display to ask here
  bool nowKnown = false;
  bool storedKnown = false;
  Mode now;
  Mode stored;
  // Sorted by size (width, then height), then depth, then rate, without repeats.
  Mode modes[kMaxModes];
  int count = 0;
  int unlisted = 0;  // more than fit
};

void listModes(ToolIo& io, ModesOutcome& outcome);

struct RestoreOutcome {
  bool system = false;  // false: no display to ask here
  bool storedKnown = false;
  bool beforeKnown = false;
  bool afterKnown = false;
  Mode stored;
  Mode before;
  Mode after;
  std::int32_t result = 0;  // the display's answer: 0 is DISP_CHANGE_SUCCESSFUL
};

// Switches the display back to the mode its settings store.
RestoreOutcome restoreDisplay(ToolIo& io);

}  // namespace tolvex_commands

#endif
