// tolvex-ini's side of the commands: the arguments into a request, the outcome into the text
// that the command line has always printed.
#include <cstring>

#include "display/display_mode.h"
#include "tools/commands/operations.h"
#include "tools/tolvex-ini/cli_text.h"

namespace tolvex_ini {

void Printer::bytes(const char* s, std::size_t n) {
  if (toErr_) {
    console_.writeErr(s, n);
  } else {
    console_.writeOut(s, n);
  }
}

Printer errorLine(Console& console) {
  Printer err(console, true);
  err.format("%s: ", kProgramName);
  return err;
}

int usageError(Console& console, const char* what, const char* detail) {
  Printer err = errorLine(console);
  err.text(what);
  if (detail != nullptr) {
    err.text(" '");
    err.escaped(detail, false);
    err.text("'");
  }
  err.format("\nTry '%s --help' for more information.\n", kProgramName);
  return kExitTrouble;
}

namespace {

// The error for check, modes and restore where there is no display of Tolvex's to ask (the
// Linux build); returns kExitTrouble.
int needsWindows(Console& console, const char* command) {
  Printer err = errorLine(console);
  err.format(
      "%s needs Windows: it asks the display of the machine Tolvex runs on; run "
      "tolvex-ini.exe there\n",
      command);
  return kExitTrouble;
}

int cannotRead(Console& console, const char* what, const char* path, const ReasonText& why) {
  Printer err = errorLine(console);
  err.format("%s '", what);
  err.escaped(path, false);
  err.format("': %s\n", why.c_str());
  return kExitTrouble;
}

// ---- write ----

const char* const kFieldNames[] = {"DEPTH", "WIDTH", "HEIGHT", "STRICT", "APP"};

bool isOption(const char* arg) {
  // "-600" is a height, not an option.
  return arg[0] == '-' && arg[1] != '\0' && !(arg[1] >= '0' && arg[1] <= '9');
}

// A value as a person types it: optional sign and decimal digits, nothing else. False when it
// is no such number; a number too large for any field is kept as one past the largest.
bool parseNumber(const char* s, std::int64_t& value) {
  bool negative = false;
  if (*s == '+' || *s == '-') {
    negative = *s == '-';
    ++s;
  }
  if (*s == '\0') {
    return false;
  }
  constexpr std::int64_t kBeyond = 2147483649LL;
  std::int64_t magnitude = 0;
  for (; *s != '\0'; ++s) {
    if (*s < '0' || *s > '9') {
      return false;
    }
    magnitude = magnitude < kBeyond ? magnitude * 10 + (*s - '0') : kBeyond;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

struct WriteArgs {
  WriteRequest request;
  const char* positional[5] = {};
};

int parseWrite(int argc, const char* const* argv, Console& console, WriteArgs& args) {
  WriteRequest& request = args.request;
  int count = 0;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && isOption(arg)) {
      if (std::strcmp(arg, "--") == 0) {
        optionsEnded = true;
      } else if (std::strcmp(arg, "--force") == 0) {
        request.replace = true;
      } else if (std::strcmp(arg, "-o") == 0) {
        if (i + 1 >= argc) {
          return usageError(console, "option requires an argument --", "o");
        }
        request.path = argv[++i];
      } else if (std::strncmp(arg, "-o", 2) == 0) {
        request.path = arg + 2;
      } else {
        return usageError(console, "write: unrecognized option", arg);
      }
      continue;
    }
    if (count == 5) {
      return usageError(console, "write: too many arguments, starting with", arg);
    }
    args.positional[count++] = arg;
  }
  if (count < 3) {
    return usageError(console, "write needs at least DEPTH, WIDTH and HEIGHT", nullptr);
  }
  if (request.path[0] == '\0') {
    return usageError(console, "write: the file name is empty", nullptr);
  }
  request.fields = count;
  for (int i = 0; i < count && i < 4; ++i) {
    if (!parseNumber(args.positional[i], request.numbers[i])) {
      Printer err = errorLine(console);
      err.format("%s is not a decimal number: '", kFieldNames[i]);
      err.escaped(args.positional[i], false);
      err.format("'\nTry '%s --help' for more information.\n", kProgramName);
      return kExitTrouble;
    }
    if (request.numbers[i] < -2147483648LL || request.numbers[i] > 2147483647LL) {
      break;  // the first number out of range is the one refused; the rest are not looked at
    }
  }
  request.program = count == 5 ? args.positional[4] : nullptr;
  return kExitOk;
}

void printReadingInOneLine(TextOut& p, const Reading& reading) {
  const tolvex::SettingsVerdict& v = reading.verdict;
  p.format("%d fields, result %d", reading.scan.count, v.result);
  if (v.result >= 0) {
    const tolvex::SettingsRequest applied = appliedRequest(v).request;
    p.format(", %d bits per pixel, %d x %d, strictFlag %d, application '",
             static_cast<int>(applied.depth), static_cast<int>(applied.width),
             static_cast<int>(applied.height), static_cast<int>(applied.strictFlag));
    p.escaped(applied.appPath.c_str(), false);
    p.text("'");
  }
}

int printRefusal(Console& console, const WriteArgs& args, const WriteOutcome& outcome) {
  const int index = static_cast<int>(outcome.refused) - static_cast<int>(Field::kDepth);
  const char* program = args.request.program != nullptr ? args.request.program : "";
  Printer err = errorLine(console);
  switch (outcome.why) {
    case Refusal::kOutOfRange:
      err.format("%s is out of range: '", kFieldNames[index]);
      err.escaped(args.positional[index], false);
      err.text("' (Tolvex reads numbers from -2147483648 to 2147483647)\n");
      return kExitTrouble;
    case Refusal::kBlank:
    case Refusal::kComma:
      err.text("APP '");
      err.escaped(program, false);
      err.text(outcome.why == Refusal::kBlank
                   ? "' contains a blank, and Tolvex reads a name only up to the first blank\n"
                   : "' contains a comma, and Tolvex reads a comma as the end of a field\n");
      return kExitRefused;
    case Refusal::kTooLong:
      err.format("APP is %lu bytes long, and Tolvex reads at most %lu\n",
                 static_cast<unsigned long>(std::strlen(program)),
                 static_cast<unsigned long>(tolvex::kAppNameCapacity - 1));
      return kExitRefused;
    default:
      break;
  }
  err.format("Tolvex would reject %s ", kFieldNames[index]);
  if (outcome.refused == Field::kProgram) {
    err.text("'");
    err.escaped(program, false);
    err.text("'");
  } else {
    err.format("%d", static_cast<int>(outcome.value));
  }
  err.text(", saying:\n");
  // Tolvex's own explanation, one line per line of its message box.
  err.messageLines(outcome.explanation, nullptr, "  ");
  return kExitRefused;
}

int printTrouble(Console& console, const WriteRequest& request, const WriteOutcome& outcome) {
  Printer err = errorLine(console);
  const FileTrouble& trouble = outcome.trouble;
  if (trouble.step == FileStep::kNone) {
    err.text("internal error: Tolvex would not read the text back as asked (");
    printReadingInOneLine(err, outcome.readBack);
    err.text("); nothing was written\n");
  } else if (outcome.mismatch) {
    err.text("'");
    err.escaped(request.path, false);
    err.format("' does not read back as written (%lu bytes written, %lu read; Tolvex would read ",
               static_cast<unsigned long>(outcome.written),
               static_cast<unsigned long>(outcome.readTotal));
    printReadingInOneLine(err, outcome.readBack);
    err.text(outcome.removed ? "); the file was removed" : "); the file could not be removed");
    err.text(outcome.existed ? ", and the old one is kept as it was\n" : "\n");
  } else {
    err.text(trouble.step == FileStep::kReadBack ? "cannot read back '" : "cannot write '");
    err.escaped(request.path, false);
    err.format("': %s", trouble.reason.c_str());
    if (!trouble.aside.empty()) {
      err.text("; the old file is kept as '");
      err.escaped(trouble.aside.c_str(), false);
      err.text("'");
    } else if (outcome.existed) {
      err.text(trouble.noRoom
                   ? "; the folder has no room for the new file beside the old one, which is kept"
                   : "; the old file is kept as it was");
    } else if (trouble.noRoom) {
      err.text("; the folder has no room for the file");
    }
    err.text("\n");
  }
  return kExitTrouble;
}

}  // namespace

int runWrite(int argc, const char* const* argv, ToolIo& io, Console& console) {
  WriteArgs args;
  const int parsed = parseWrite(argc, argv, console, args);
  if (parsed != kExitOk) {
    return parsed;
  }
  const WriteRequest& request = args.request;
  const WriteOutcome outcome = writeSettings(io, request);
  switch (outcome.status) {
    case WriteStatus::kRefused:
      return printRefusal(console, args, outcome);
    case WriteStatus::kExists: {
      Printer err = errorLine(console);
      err.text("'");
      err.escaped(request.path, false);
      err.text("' already exists; use --force to replace it\n");
      return kExitRefused;
    }
    case WriteStatus::kFolder: {
      // The statuses of any other path that exists: kept without --force, unwritable with it.
      Printer err = errorLine(console);
      err.text("'");
      err.escaped(request.path, false);
      err.text("' is a folder, not a file; nothing was written\n");
      return request.replace ? kExitTrouble : kExitRefused;
    }
    case WriteStatus::kTrouble:
      return printTrouble(console, request, outcome);
    case WriteStatus::kWritten:
      break;
  }
  Printer out(console, false);
  const tolvex::SettingsRequest& applied = outcome.applied;
  out.text("Wrote '");
  out.escaped(request.path, false);
  out.format("': %d bits per pixel", static_cast<int>(applied.depth));
  if (applied.depth != request.numbers[0]) {
    out.format(" (%d in the file)", static_cast<int>(request.numbers[0]));
  }
  out.format(", %d x %d, %s, application ", static_cast<int>(applied.width),
             static_cast<int>(applied.height), applied.strictFlag != 0 ? "strict" : "lenient");
  out.escaped(applied.appPath.c_str(), false);
  out.text(request.fields == 5 ? "\n" : " (default)\n");
  if (!outcome.trouble.aside.empty()) {
    Printer err = errorLine(console);
    err.text("the old file could not be deleted; it is kept as '");
    err.escaped(outcome.trouble.aside.c_str(), false);
    err.text("'\n");
  }
  return kExitOk;
}

// ---- show and check ----

int runShow(int argc, const char* const* argv, ToolIo& io, Console& console) {
  const char* path = tolvex::kSettingsFileName;
  int count = 0;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    if (!optionsEnded && std::strcmp(argv[i], "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && argv[i][0] == '-' && argv[i][1] != '\0') {
      return usageError(console, "show: unrecognized option", argv[i]);
    } else if (++count > 1) {
      return usageError(console, "show: too many arguments, starting with", argv[i]);
    } else {
      path = argv[i];
    }
  }
  ShowOutcome outcome;
  showSettings(io, path, outcome);
  if (!outcome.read) {
    return cannotRead(console, "cannot read", path, outcome.why);
  }
  Printer out(console, false);
  printShown(out, path, outcome);
  printPlainTextHint(out, outcome.verdict, outcome.stored, outcome.size);
  const bool accepted =
      outcome.verdict == FileVerdict::kAccepted || outcome.verdict == FileVerdict::kAcceptedWithApp;
  return accepted ? kExitOk : kExitRefused;
}

int runCheck(int argc, const char* const* argv, ToolIo& io, Console& console) {
  CheckRequest request;
  bool optionsEnded = false;
  int count = 0;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && std::strcmp(arg, "--tolvex") == 0) {
      if (i + 1 >= argc) {
        return usageError(console, "option requires an argument --", "tolvex");
      }
      request.tolvex = argv[++i];
    } else if (!optionsEnded && std::strncmp(arg, "--tolvex=", 9) == 0) {
      request.tolvex = arg + 9;
    } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
      return usageError(console, "check: unrecognized option", arg);
    } else if (++count > 1) {
      return usageError(console, "check: too many arguments, starting with", arg);
    } else {
      request.file = arg;
    }
  }
  if (request.tolvex[0] == '\0') {
    return usageError(console, "check: the Tolvex path is empty", nullptr);
  }
  // Tolvex compares its argument 0 with the form Windows holds: so does its dry run.
  request.held = console.heldForm(request.tolvex);
  CheckOutcome outcome;
  checkTolvex(io, request, outcome);
  if (outcome.verdict == CheckVerdict::kNoSystem) {
    return needsWindows(console, "check");
  }
  if (outcome.verdict == CheckVerdict::kUnreadable) {
    return cannotRead(console, "cannot read", request.file, outcome.why);
  }
  Printer out(console, false);
  printCheck(out, request, outcome);
  return outcome.verdict == CheckVerdict::kStarts ? kExitOk : kExitRefused;
}

// ---- modes and restore ----

namespace {

// A command that takes no arguments: kExitOk, or the error.
int noArguments(const char* command, int argc, const char* const* argv, Console& console) {
  if (argc == 0) {
    return kExitOk;
  }
  Printer err = errorLine(console);
  err.format("%s: unexpected argument '", command);
  err.escaped(argv[0], false);
  err.format("'\nTry '%s --help' for more information.\n", kProgramName);
  return kExitTrouble;
}

void printMode(TextOut& out, const Mode& mode) {
  out.format("%lu x %lu, %lu bits per pixel", static_cast<unsigned long>(mode.width),
             static_cast<unsigned long>(mode.height), static_cast<unsigned long>(mode.depth));
  // 0 and 1 stand for the hardware's default rate.
  if (mode.rate > 1) {
    out.format(", %lu Hz", static_cast<unsigned long>(mode.rate));
  }
}

// The line of one mode query: the mode, or that there is none.
void printQuery(TextOut& out, const char* label, bool known, const Mode& mode) {
  out.label(label);
  if (known) {
    printMode(out, mode);
    out.text("\n");
  } else {
    out.text("unknown: the display does not say\n");
  }
}

}  // namespace

int runModes(int argc, const char* const* argv, ToolIo& io, Console& console) {
  if (noArguments("modes", argc, argv, console) != kExitOk) {
    return kExitTrouble;
  }
  ModesOutcome outcome;
  listModes(io, outcome);
  if (!outcome.system) {
    return needsWindows(console, "modes");
  }
  Printer out(console, false);
  printQuery(out, "Now:", outcome.nowKnown, outcome.now);
  printQuery(out, "Stored:", outcome.storedKnown, outcome.stored);
  const Mode* modes = outcome.modes;
  const int count = outcome.count;
  out.label("Modes:");
  out.format("%d, by size; * marks the widths a Tolvex settings file can ask for\n", count);
  for (int first = 0; first < count;) {
    int last = first;
    while (last + 1 < count && sameSize(modes[last + 1], modes[first])) {
      ++last;
    }
    const Mode& size = modes[first];
    out.format("  %s %5lu x %-5lu", size.tolvexWidth ? "*" : " ",
               static_cast<unsigned long>(size.width), static_cast<unsigned long>(size.height));
    // "8 bits: 60 Hz; 16 bits: 60, 75 Hz"
    for (int i = first; i <= last; ++i) {
      const Mode& m = modes[i];
      const bool newDepth = i == first || modes[i - 1].depth != m.depth;
      if (newDepth) {
        out.format("%s%lu bits:", i == first ? " " : "; ", static_cast<unsigned long>(m.depth));
      }
      out.text(newDepth ? " " : ", ");
      if (m.rate > 1) {
        out.format("%lu", static_cast<unsigned long>(m.rate));
      } else {
        out.text("default");
      }
      if (i == last || modes[i + 1].depth != m.depth) {
        out.text(m.rate > 1 ? " Hz" : "");
      }
    }
    const bool now = outcome.nowKnown && sameSize(size, outcome.now);
    if (now) {
      out.text("  <- now");
    }
    if (outcome.storedKnown && sameSize(size, outcome.stored)) {
      out.text(now ? ", stored" : "  <- stored");
    }
    out.text("\n");
    first = last + 1;
  }
  if (outcome.unlisted > 0) {
    out.format("  (%d more not listed)\n", outcome.unlisted);
  }
  return kExitOk;
}

int runRestore(int argc, const char* const* argv, ToolIo& io, Console& console) {
  if (noArguments("restore", argc, argv, console) != kExitOk) {
    return kExitTrouble;
  }
  const RestoreOutcome outcome = restoreDisplay(io);
  if (!outcome.system) {
    return needsWindows(console, "restore");
  }
  Printer out(console, false);
  printQuery(out, "Stored mode:", outcome.storedKnown, outcome.stored);
  printQuery(out, "Before:", outcome.beforeKnown, outcome.before);
  if (outcome.storedKnown && outcome.beforeKnown && sameMode(outcome.stored, outcome.before)) {
    out.label("");
    out.text("(the display is in the stored mode already)\n");
  }
  out.label("Restore:");
  printDisplayAnswer(out, outcome.result);
  out.text("\n");
  printQuery(out, "After:", outcome.afterKnown, outcome.after);
  if (outcome.result == 0 && outcome.storedKnown) {
    out.label("");
    out.text("the display is back in the stored mode: ");
    printMode(out, outcome.stored);
    out.text("\n");
  }
  return outcome.result == 0 ? kExitOk : kExitRefused;
}

}  // namespace tolvex_ini
