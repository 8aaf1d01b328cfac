// tolvex-ini's report printer: formatted and escaped text on standard output or standard error,
// message box texts as lines, and a settings file as Tolvex reads it.
#ifndef TOLVEX_TOOLS_COMMANDS_REPORT_H
#define TOLVEX_TOOLS_COMMANDS_REPORT_H

#include <cstddef>
#include <cstdint>

#include "settings/settings_text.h"
#include "tools/commands/tool_io.h"

namespace tolvex_ini {

constexpr char kProgramName[] = "tolvex-ini";
// The labels of a report are padded to this width.
constexpr int kLabelWidth = 13;

// Output to one of the two streams, with printf-style formatting.
class Printer {
 public:
  Printer(ToolIo& io, bool toErr) : io_(io), toErr_(toErr) {}

  void bytes(const char* s, std::size_t n);
  void text(const char* s);
  void format(const char* fmt, ...) TOLVEX_PRINTF_FORMAT(2, 3);

  // Bytes as a reader can tell them apart: printable ASCII as it is, everything else as a C
  // escape. In quoted form the quote and the backslash are escaped too; names and paths are
  // shown with their backslashes as they are.
  void escaped(const char* s, std::size_t n, bool quoted);
  void escaped(const char* s, bool quoted);

  void label(const char* name);

  // A message box text, one output line for each of its lines (each "\r" starts a new one):
  // the first line after `firstLabel`, the others after an empty label, each after `prefix`.
  // With no label (nullptr) the lines are only indented by the prefix.
  void messageLines(const char* message, const char* firstLabel, const char* prefix);

 private:
  ToolIo& io_;
  bool toErr_;
};

// "tolvex-ini: " and the start of an error line; the caller ends the line.
Printer errorLine(ToolIo& io);
// An error line about the command line, with the hint to --help; returns kExitTrouble.
int usageError(ToolIo& io, const char* what, const char* detail);

// The answer of a display switch, by its DISP_CHANGE_ name.
void printDisplayAnswer(Printer& out, std::int32_t answer);

// The error for check, modes and restore where there is no display of Tolvex's to ask (the
// Linux build); returns kExitTrouble.
int needsWindows(ToolIo& io, const char* command);

// A file as Tolvex reads it: its first 999 bytes decoded, scanned and judged, with the
// application name relative to Tolvex's folder.
struct Reading {
  tolvex::SettingsScan scan;
  tolvex::SettingsVerdict verdict;
};
void readStored(const std::uint8_t* bytes, std::size_t size, Reading& reading);

// The request Tolvex goes on with: the fields the file gave, defaults for the rest.
struct AppliedRequest {
  int fromFile = 0;  // how many leading fields came from the file (0 to 5)
  tolvex::SettingsRequest request;
};
AppliedRequest appliedRequest(const tolvex::SettingsVerdict& verdict);

// The request, one labelled line per field, marking defaults.
void printRequest(Printer& out, const AppliedRequest& applied, std::int32_t depthInFile);

// A message box as Tolvex would show it: its caption, its text as lines, and the text once more
// as an exact escaped string.
void printMessageBox(Printer& out, const char* caption, const char* text);

// What Tolvex makes of a settings file whose first `size` bytes (of `total`) are `stored`: the
// text, what of it is never read, the result and the request Tolvex goes on with. A rejection's
// message box is printed too when `withMessage`. Returns 0 when Tolvex accepts the file, 1 when
// it rejects it or ignores its content.
int printSettingsReading(Printer& out, const std::uint8_t* stored, std::size_t size,
                         std::size_t total, bool withMessage);

}  // namespace tolvex_ini

#endif
