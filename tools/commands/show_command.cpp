// tolvex-ini show: the text of a settings file and what Tolvex does with it.
#include <cstring>

#include "app/messages.h"
#include "settings/settings_text.h"
#include "tools/commands/commands.h"
#include "tools/commands/report.h"

namespace tolvex_ini {

int runShow(int argc, const char* const* argv, ToolIo& io) {
  const char* path = tolvex::kSettingsFileName;
  int count = 0;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    if (!optionsEnded && std::strcmp(argv[i], "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && argv[i][0] == '-' && argv[i][1] != '\0') {
      return usageError(io, "show: unrecognized option", argv[i]);
    } else if (++count > 1) {
      return usageError(io, "show: too many arguments, starting with", argv[i]);
    } else {
      path = argv[i];
    }
  }

  std::uint8_t stored[tolvex::kSettingsReadLimit];
  std::size_t size = 0;
  std::size_t total = 0;
  ReasonText why;
  if (!io.readFileHead(path, stored, sizeof stored, size, total, why)) {
    Printer err = errorLine(io);
    err.text("cannot read '");
    err.escaped(path, false);
    err.format("': %s\n", why.c_str());
    return kExitTrouble;
  }

  Printer out(io, false);
  out.label("File:");
  out.escaped(path, false);
  out.format(" (%lu bytes)\n", static_cast<unsigned long>(total));
  return printSettingsReading(out, stored, size, total, true);
}

}  // namespace tolvex_ini
