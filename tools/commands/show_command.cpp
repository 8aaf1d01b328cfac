// show: the text of a settings file and what Tolvex does with it.
#include "tools/commands/operations.h"

namespace tolvex_commands {

void showSettings(ToolIo& io, const char* path, ShowOutcome& outcome) {
  outcome.read = io.readFileHead(path, outcome.stored, sizeof outcome.stored, outcome.size,
                                 outcome.total, outcome.why);
  if (!outcome.read) {
    return;
  }
  Reading reading;
  readStored(outcome.stored, outcome.size, reading);
  outcome.verdict = fileVerdict(reading.verdict, outcome.total);
  outcome.accepted = reading.verdict.accepted;
  tolvex::applyVerdict(reading.verdict, outcome.fields);
  outcome.depthInFile = reading.scan.depth;
  outcome.scan = reading.scan;
  outcome.rejected = reading.verdict.rejected;
}

void printShown(TextOut& out, const char* path, const ShowOutcome& shown) {
  out.label("File:");
  out.escaped(path, false);
  out.format(" (%lu bytes)\n", static_cast<unsigned long>(shown.total));
  (void)printSettingsReading(out, shown.stored, shown.size, shown.total, true);
}

}  // namespace tolvex_commands
