// tolvex-ini's words: its output on the standard streams, and the commands that turn their
// arguments into requests and their outcomes into text (cli_commands.cpp).
#ifndef TOLVEX_TOOLS_TOLVEX_INI_CLI_TEXT_H
#define TOLVEX_TOOLS_TOLVEX_INI_CLI_TEXT_H

#include "tools/commands/operations.h"
#include "tools/commands/report.h"
#include "tools/tolvex-ini/ini_tool.h"

namespace tolvex_ini {

constexpr char kProgramName[] = "tolvex-ini";

// Text to standard output, or to standard error, each piece whole: a stream that does not take
// it is reported once at the end, by the entry point (a failed write to standard output makes
// the exit status 2).
class Printer final : public TextOut {
 public:
  Printer(Console& console, bool toErr) : console_(console), toErr_(toErr) {
    tolvex::LeadBytes leadBytes;
    if (console.showsCharacters(leadBytes)) {
      namesAsCharacters(leadBytes);
    }
  }
  void bytes(const char* s, std::size_t n) override;
  void label(const char* name) override { padded(name); }

 private:
  Console& console_;
  bool toErr_;
};

// "tolvex-ini: " and the start of an error line; the caller ends the line.
Printer errorLine(Console& console);
// An error line about the command line, with the hint to --help; returns kExitTrouble.
int usageError(Console& console, const char* what, const char* detail);

// check's outcome in the rows the command line prints (cli_check.cpp).
void printCheck(TextOut& out, const CheckRequest& request, const CheckOutcome& seen);
// The advice for a file that Tolvex ignores because it was never complemented.
void printPlainTextHint(TextOut& out, FileVerdict verdict, const std::uint8_t* stored,
                        std::size_t size);

// Each takes the arguments after the command's name and returns the exit status.
int runWrite(int argc, const char* const* argv, ToolIo& io, Console& console);
int runShow(int argc, const char* const* argv, ToolIo& io, Console& console);
// These three ask the display of the machine Tolvex runs on: Windows builds only.
int runCheck(int argc, const char* const* argv, ToolIo& io, Console& console);
int runModes(int argc, const char* const* argv, ToolIo& io, Console& console);
int runRestore(int argc, const char* const* argv, ToolIo& io, Console& console);

}  // namespace tolvex_ini

#endif
