// The commands of tolvex-ini and Tolvex Setup: write, show, check, modes and restore. Each takes
// a request and returns an outcome; none prints. An outcome holds values (what was refused, the
// mode before and after, the display's answer), and rows of a report where the command is an
// explanation; the command line (tools/tolvex-ini) and the dialog (tools/tolvex-setup) each word
// them their own way.
#ifndef TOLVEX_TOOLS_COMMANDS_OPERATIONS_H
#define TOLVEX_TOOLS_COMMANDS_OPERATIONS_H

#include <cstdint>

#include "app/run_observer.h"
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

enum class WriteStatus { kWritten, kRefused, kExists, kTrouble };

using SettingsText = tolvex::FixedText<512>;

struct WriteOutcome {
  WriteStatus status = WriteStatus::kWritten;
  // kRefused: the first value refused, in Tolvex's order.
  Field refused = Field::kNone;
  Refusal why = Refusal::kNone;
  std::int64_t value = 0;             // the refused number
  const char* explanation = nullptr;  // Tolvex's own, for kTolvexsRule
  // kTrouble: the step that failed and the system's reason. Past kReplace the file was written;
  // `readBack` is what Tolvex would read from it (kNone: what it would read from the text).
  FileTrouble trouble;
  bool existed = false;   // the file was there before (and is still, unless it was replaced)
  bool mismatch = false;  // the file does not read back as written
  bool removed = false;   // ... and was removed
  std::size_t written = 0;
  std::size_t readTotal = 0;
  Reading readBack;
  // kWritten: the decoded text and the request Tolvex goes on with.
  SettingsText text;
  tolvex::SettingsRequest applied;
};

// Tolvex's rules and what a name must be to be read back whole, with nothing written: kWritten
// (nothing yet, `text` holding the text to write), kRefused, or kTrouble at FileStep::kNone
// where Tolvex would read the text otherwise than asked.
WriteOutcome judgeWrite(const WriteRequest& request);
// Judges, then writes with replaceFile, and reads the file back the way Tolvex will.
WriteOutcome writeSettings(ToolIo& io, const WriteRequest& request);

// ---- show ----

struct ShowOutcome {
  bool read = false;  // false: the file cannot be read, for `why`
  ReasonText why;
  // The report: the file, its text, what Tolvex does with it.
  Report report;
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

// ---- check ----

// A whole run of Tolvex, as tolvex::runTolvex.
using RunSequence = int (*)(tolvex::Platform& platform, const char* argument0,
                            tolvex::RunObserver* observer);

struct CheckRequest {
  const char* tolvex = "Tolvex.exe";  // Tolvex as started
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

struct CheckOutcome {
  CheckVerdict verdict = CheckVerdict::kNoSystem;
  ReasonText why;
  Report report;
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
