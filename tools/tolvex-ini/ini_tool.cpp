// tolvex-ini: dispatch to the commands, help, and encode/decode. No platform calls: everything
// outside goes through ToolIo and Console.
#include "tools/tolvex-ini/ini_tool.h"

#include <cstring>

#include "app/version.h"
#include "settings/settings_text.h"
#include "tools/tolvex-ini/cli_text.h"

namespace tolvex_ini {

namespace {

constexpr char kHelp[] =
    "Usage: tolvex-ini write [-o FILE] [--force] DEPTH WIDTH HEIGHT [STRICT [APP]]\n"
    "  or:  tolvex-ini show [FILE]\n"
    "  or:  tolvex-ini check [--tolvex PATH] [FILE]   (Windows)\n"
    "  or:  tolvex-ini modes                          (Windows)\n"
    "  or:  tolvex-ini restore                        (Windows)\n"
    "  or:  tolvex-ini encode\n"
    "  or:  tolvex-ini decode\n"
    "Write and explain Tolvex settings files, whose bytes are stored complemented.\n"
    "Every value is checked by the same code that Tolvex reads its settings with.\n"
    "\n"
    "Commands:\n"
    "  write     check the values with Tolvex's rules, write them to FILE (default\n"
    "            Tolvex.ini in the current folder) and read the file back to make sure\n"
    "            Tolvex will read what was asked\n"
    "  show      print the text of FILE (default Tolvex.ini) and what Tolvex does with it\n"
    "  check     a dry run of Tolvex here: which settings file it reads, whether\n"
    "            the display takes the mode (asked with CDS_TEST, nothing switched),\n"
    "            which application it starts, and what it would do; FILE is read in\n"
    "            place of Tolvex.ini, PATH is Tolvex as started (default Tolvex.exe)\n"
    "  modes     list the display's modes, the mode now and the stored mode\n"
    "  restore   switch the display back to the mode stored in the system's display\n"
    "            settings (after a run that was ended from outside)\n"
    "  encode    complement standard input to standard output (plain text to stored form)\n"
    "  decode    complement standard input to standard output (stored form to plain text)\n"
    "\n"
    "Values:\n"
    "  DEPTH     bits per pixel: 8, 16, 24 or 32 (Tolvex applies 24 as 32)\n"
    "  WIDTH     640, 800, 832, 1024, 1152, 1280 or 1600\n"
    "  HEIGHT    any whole number\n"
    "  STRICT    1: start nothing when the display mode cannot be set (the default);\n"
    "            0: start the application anyway\n"
    "  APP       the application to start, relative to Tolvex's folder (default\n"
    "            PROJECTOR.EXE): 5 to 255 bytes, no blanks and no commas\n"
    "\n"
    "Options:\n"
    "  -o FILE   write FILE instead of Tolvex.ini\n"
    "  --force   replace an existing file\n"
    "  --help    show this help and exit\n"
    "  --version show the version and exit\n"
    "\n"
    "Exit status: 0 when the file was written or Tolvex accepts it; 1 when a value or\n"
    "the file would be rejected or ignored by Tolvex, or an existing file was kept;\n"
    "check: 0 when Tolvex would start the application in the mode asked for, else 1;\n"
    "restore: 0 when the display took the stored mode, else 1;\n"
    "2 on usage, input or output errors, and for check, modes and restore off Windows.\n";

bool isHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

int printHelp(Console& io) {
  Printer(io, false).text(kHelp);
  return kExitOk;
}

// The stored form is each byte's complement, so encoding and decoding are the same work; both
// names exist so that scripts say what they mean.
int runComplement(int argc, const char* const* argv, Console& io, const char* command) {
  if (argc > 0) {
    Printer err = errorLine(io);
    err.format("%s: unexpected argument '", command);
    err.escaped(argv[0], false);
    err.format(
        "'; it reads standard input and writes standard output\n"
        "Try '%s --help' for more information.\n",
        kProgramName);
    return kExitTrouble;
  }
  io.useBinaryStreams();
  static std::uint8_t buffer[1 << 16];
  ReasonText why;
  for (;;) {
    const long got = io.readInput(buffer, sizeof buffer, why);
    if (got < 0) {
      Printer err = errorLine(io);
      err.format("standard input: %s\n", why.c_str());
      return kExitTrouble;
    }
    if (got == 0) {
      return kExitOk;
    }
    const auto size = static_cast<std::size_t>(got);
    tolvex::complementBytes(buffer, size);
    if (!io.writeOutput(buffer, size, why)) {
      Printer err = errorLine(io);
      err.format("standard output: %s\n", why.c_str());
      return kExitTrouble;
    }
  }
}

}  // namespace

int runIniTool(int argc, const char* const* argv, ToolIo& io, Console& console) {
  if (argc < 2) {
    return usageError(console, "missing command", nullptr);
  }
  const char* command = argv[1];
  const int restCount = argc - 2;
  const char* const* rest = argv + 2;
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (isHelp(argv[i])) {
      return printHelp(console);
    }
  }
  if (std::strcmp(command, "--version") == 0) {
    Printer(console, false).format("%s (Tolvex) %s\n", kProgramName, TOLVEX_VERSION_DOTTED);
    return kExitOk;
  }
  if (std::strcmp(command, "write") == 0) {
    return runWrite(restCount, rest, io, console);
  }
  if (std::strcmp(command, "show") == 0) {
    return runShow(restCount, rest, io, console);
  }
  if (std::strcmp(command, "check") == 0) {
    return runCheck(restCount, rest, io, console);
  }
  if (std::strcmp(command, "modes") == 0) {
    return runModes(restCount, rest, io, console);
  }
  if (std::strcmp(command, "restore") == 0) {
    return runRestore(restCount, rest, io, console);
  }
  if (std::strcmp(command, "encode") == 0 || std::strcmp(command, "decode") == 0) {
    return runComplement(restCount, rest, console, command);
  }
  if (command[0] == '-') {
    return usageError(console, "unrecognized option", command);
  }
  return usageError(console, "unknown command", command);
}

}  // namespace tolvex_ini
