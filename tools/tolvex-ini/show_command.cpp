// tolvex-ini show: the text of a settings file and what Tolvex does with it.
#include <cstring>

#include "app/messages.h"
#include "settings/settings_text.h"
#include "tools/tolvex-ini/commands.h"
#include "tools/tolvex-ini/report.h"

namespace tolvex_ini {

namespace {

using tolvex::SettingsVerdict;

// Plain text that nobody complemented decodes to bytes 0x80 to 0xFF, which Tolvex cannot read
// a field from.
bool looksLikePlainText(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) {
    return false;
  }
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = bytes[i];
    if (!(c >= 0x20 && c < 0x7F) && !tolvex::isSettingsBlank(static_cast<char>(c))) {
      return false;
    }
  }
  return true;
}

}  // namespace

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

  Reading reading;
  readStored(stored, size, reading);

  // The text as the file holds it (commas and all), up to where Tolvex stops reading.
  std::uint8_t plain[tolvex::kSettingsReadLimit];
  std::memcpy(plain, stored, size);
  tolvex::complementBytes(plain, size);
  std::size_t length = 0;
  while (length < size && plain[length] != 0) {
    ++length;
  }

  Printer out(io, false);
  out.label("File:");
  out.escaped(path, false);
  out.format(" (%lu bytes)\n", static_cast<unsigned long>(total));
  out.label("Text:");
  out.escaped(reinterpret_cast<const char*>(plain), length, true);
  out.text("\n");
  if (length < size) {
    out.label("Note:");
    out.format(
        "the byte at offset %lu is stored as 0xFF, which ends the text; the %lu bytes from "
        "there on do not count\n",
        static_cast<unsigned long>(length), static_cast<unsigned long>(total - length));
  } else if (total > size) {
    out.label("Note:");
    out.format("only the first %lu bytes count; the other %lu are never read\n",
               static_cast<unsigned long>(tolvex::kSettingsReadLimit),
               static_cast<unsigned long>(total - size));
  }

  const SettingsVerdict& verdict = reading.verdict;
  out.label("Result:");
  if (verdict.result < 0) {
    out.text("rejected: Tolvex shows this message and starts nothing\n");
    out.label("Caption:");
    out.format("%s\n", tolvex::kCaptionBadSettings);
    out.messageLines(verdict.message.c_str(), "Message:", "| ");
    out.label("Exact text:");
    out.escaped(verdict.message.c_str(), true);
    out.text("\n");
    return kExitRefused;
  }
  const AppliedRequest applied = appliedRequest(verdict);
  if (applied.fromFile == 0) {
    out.text(total == 0 ? "ignored: the file is empty, and Tolvex goes on with its defaults\n"
                        : "ignored: no setting can be read from the text, and Tolvex goes on "
                          "with its defaults\n");
  } else if (verdict.result == 1) {
    out.text("accepted with an application\n");
  } else {
    out.format("accepted: %d of the 5 fields, the others keep their defaults\n", applied.fromFile);
  }
  printRequest(out, applied, reading.scan.depth);
  if (applied.fromFile == 0 && looksLikePlainText(stored, size)) {
    out.label("Hint:");
    out.text("the file looks like plain text, but Tolvex reads every byte complemented;\n");
    out.label("");
    out.text("make it with 'tolvex-ini write' or 'tolvex-ini encode < FILE > Tolvex.ini'\n");
  }
  return applied.fromFile == 0 ? kExitRefused : kExitOk;
}

}  // namespace tolvex_ini
