// show: the text of a settings file and what Tolvex does with it.
#include "tools/commands/operations.h"

namespace tolvex_commands {

void showSettings(ToolIo& io, const char* path, ShowOutcome& outcome) {
  std::uint8_t stored[tolvex::kSettingsReadLimit];
  std::size_t size = 0;
  std::size_t total = 0;
  outcome.read = io.readFileHead(path, stored, sizeof stored, size, total, outcome.why);
  if (!outcome.read) {
    return;
  }
  outcome.report.label("File:");
  outcome.report.escaped(path, false);
  outcome.report.format(" (%lu bytes)", static_cast<unsigned long>(total));
  outcome.verdict = printSettingsReading(outcome.report, stored, size, total, true);

  Reading reading;
  readStored(stored, size, reading);
  outcome.accepted = reading.verdict.accepted;
  tolvex::applyVerdict(reading.verdict, outcome.fields);
  outcome.depthInFile = reading.scan.depth;
  outcome.scan = reading.scan;
  outcome.rejected = reading.verdict.rejected;
}

}  // namespace tolvex_commands
