// tolvex-ini: the commands. No platform calls: everything outside goes through ToolIo.
#include "tools/tolvex-ini/ini_tool.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/messages.h"
#include "app/run_context.h"
#include "app/version.h"
#include "settings/settings_text.h"

namespace tolvex_ini {

namespace {

using tolvex::SettingsField;
using tolvex::SettingsScan;
using tolvex::SettingsVerdict;

// What Tolvex uses for a field the file does not give (RunContext's defaults).
constexpr std::int32_t kDefaultDepth = 16;
constexpr std::int32_t kDefaultWidth = 800;
constexpr std::int32_t kDefaultHeight = 600;
constexpr std::int32_t kDefaultStrictFlag = 1;

constexpr char kProgramName[] = "tolvex-ini";
// The labels of show's report are padded to this width.
constexpr int kLabelWidth = 13;

constexpr char kHelp[] =
    "Usage: tolvex-ini write [-o FILE] [--force] DEPTH WIDTH HEIGHT [STRICT [APP]]\n"
    "  or:  tolvex-ini show [FILE]\n"
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
    "2 on usage, input or output errors.\n";

// Output to one of the two streams, with printf-style formatting.
class Printer {
 public:
  Printer(ToolIo& io, bool toErr) : io_(io), toErr_(toErr) {}

  void bytes(const char* s, std::size_t n) {
    if (toErr_) {
      io_.writeErr(s, n);
    } else {
      io_.writeOut(s, n);
    }
  }
  void text(const char* s) { bytes(s, std::strlen(s)); }

  void format(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    std::va_list args;
    va_start(args, fmt);
    char line[512];
    std::va_list again;
    va_copy(again, args);
    const int needed = std::vsnprintf(line, sizeof line, fmt, args);
    if (needed >= 0 && static_cast<std::size_t>(needed) < sizeof line) {
      bytes(line, static_cast<std::size_t>(needed));
    } else if (needed >= 0) {
      // Long paths and names: format once more into a buffer of the right size.
      const auto size = static_cast<std::size_t>(needed) + 1;
      char* big = static_cast<char*>(std::malloc(size));
      if (big != nullptr) {
        if (std::vsnprintf(big, size, fmt, again) == needed) {
          bytes(big, size - 1);
        }
        std::free(big);
      }
    }
    va_end(again);
    va_end(args);
  }

  // Bytes as a reader can tell them apart: printable ASCII as it is, everything else as a C
  // escape. In quoted form the quote and the backslash are escaped too; names and paths are
  // shown with their backslashes as they are.
  void escaped(const char* s, std::size_t n, bool quoted) {
    if (quoted) {
      text("\"");
    }
    for (std::size_t i = 0; i < n; ++i) {
      const auto c = static_cast<unsigned char>(s[i]);
      switch (c) {
        case '\r':
          text("\\r");
          break;
        case '\n':
          text("\\n");
          break;
        case '\t':
          text("\\t");
          break;
        case '"':
        case '\\':
          if (quoted) {
            text(c == '"' ? "\\\"" : "\\\\");
          } else {
            bytes(&s[i], 1);
          }
          break;
        default:
          if (c >= 0x20 && c < 0x7F) {
            bytes(&s[i], 1);
          } else {
            format("\\x%02X", static_cast<unsigned>(c));
          }
          break;
      }
    }
    if (quoted) {
      text("\"");
    }
  }
  void escaped(const char* s, bool quoted) { escaped(s, std::strlen(s), quoted); }

  void label(const char* name) { format("%-*s", kLabelWidth, name); }

 private:
  ToolIo& io_;
  bool toErr_;
};

// "tolvex-ini: " and the start of an error line; the caller ends the line.
Printer errorLine(ToolIo& io) {
  Printer err(io, true);
  err.format("%s: ", kProgramName);
  return err;
}

int usageError(ToolIo& io, const char* what, const char* detail) {
  Printer err = errorLine(io);
  err.text(what);
  if (detail != nullptr) {
    err.text(" '");
    err.escaped(detail, false);
    err.text("'");
  }
  err.format("\nTry '%s --help' for more information.\n", kProgramName);
  return kExitTrouble;
}

bool isOption(const char* arg) {
  // "-600" is a height, not an option.
  return arg[0] == '-' && arg[1] != '\0' && !(arg[1] >= '0' && arg[1] <= '9');
}

bool isHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

int printHelp(ToolIo& io) {
  Printer(io, false).text(kHelp);
  return kExitOk;
}

enum class NumberProblem { kNone, kNotDecimal, kOutOfRange };

// A value as a person types it: optional sign and decimal digits, nothing else, within the
// 32-bit range that Tolvex reads numbers in.
NumberProblem parseNumber(const char* s, std::int32_t& value) {
  bool negative = false;
  if (*s == '+' || *s == '-') {
    negative = *s == '-';
    ++s;
  }
  if (*s == '\0') {
    return NumberProblem::kNotDecimal;
  }
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t magnitude = 0;
  bool tooLarge = false;
  for (; *s != '\0'; ++s) {
    if (*s < '0' || *s > '9') {
      return NumberProblem::kNotDecimal;
    }
    if (!tooLarge) {
      magnitude = magnitude * 10 + (*s - '0');
      tooLarge = magnitude > limit;
    }
  }
  if (tooLarge) {
    return NumberProblem::kOutOfRange;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return NumberProblem::kNone;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A file as Tolvex reads it: its first 999 bytes decoded, scanned and judged, with the
// application name relative to Tolvex's folder.
struct Reading {
  SettingsScan scan;
  SettingsVerdict verdict;
};

void readStored(const std::uint8_t* bytes, std::size_t size, Reading& reading) {
  tolvex::DecodedSettings text;
  tolvex::decodeSettings(bytes, size, text);
  reading.scan = tolvex::scanSettings(text.c_str());
  tolvex::judgeSettings(reading.scan, tolvex::PathText(""), reading.verdict);
}

// The request Tolvex goes on with: the fields the file gave, defaults for the rest.
struct AppliedRequest {
  int fromFile = 0;  // how many leading fields came from the file (0 to 5)
  std::int32_t depth = kDefaultDepth;
  std::int32_t width = kDefaultWidth;
  std::int32_t height = kDefaultHeight;
  std::int32_t strictFlag = kDefaultStrictFlag;
  const char* app = tolvex::kDefaultAppName;
};

AppliedRequest appliedRequest(const SettingsVerdict& verdict) {
  AppliedRequest request;
  request.fromFile = verdict.result < 0 ? 0 : verdict.accepted;
  if (request.fromFile >= 1) {
    request.depth = verdict.depth;
  }
  if (request.fromFile >= 2) {
    request.width = verdict.width;
  }
  if (request.fromFile >= 3) {
    request.height = verdict.height;
  }
  if (request.fromFile >= 4) {
    request.strictFlag = verdict.strictFlag;
  }
  if (request.fromFile >= 5) {
    request.app = verdict.appPath.c_str();
  }
  return request;
}

const char* defaultMark(const AppliedRequest& request, int field) {
  return request.fromFile >= field ? "" : " (default)";
}

// The request as show prints it, one line per field.
void printRequest(Printer& out, const AppliedRequest& request, std::int32_t depthInFile) {
  out.label("Depth:");
  out.format("%d bits per pixel", static_cast<int>(request.depth));
  if (request.fromFile >= 1 && depthInFile != request.depth) {
    out.format(" (%d in the file)", static_cast<int>(depthInFile));
  }
  out.format("%s\n", defaultMark(request, 1));
  out.label("Width:");
  out.format("%d%s\n", static_cast<int>(request.width), defaultMark(request, 2));
  out.label("Height:");
  out.format("%d%s\n", static_cast<int>(request.height), defaultMark(request, 3));
  out.label("Strictness:");
  out.text(request.strictFlag != 0 ? "strict: nothing is started when the mode cannot be set"
                                   : "lenient: the application is started even when the mode "
                                     "cannot be set");
  out.format("%s\n", defaultMark(request, 4));
  out.label("Application:");
  out.escaped(request.app, false);
  out.format(" (in Tolvex's folder)%s\n", defaultMark(request, 5));
}

// The message box text as lines: each "\r" starts a new one.
void printMessageLines(Printer& out, const char* message) {
  const char* line = message;
  bool first = true;
  for (;;) {
    const char* end = std::strchr(line, '\r');
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
    out.label(first ? "Message:" : "");
    out.text(length > 0 ? "| " : "|");
    out.escaped(line, length, false);
    out.text("\n");
    first = false;
    if (end == nullptr) {
      break;
    }
    line = end + 1;
  }
}

// ---- write ----

const char* const kFieldNames[] = {"DEPTH", "WIDTH", "HEIGHT", "STRICT", "APP"};

struct WriteRequest {
  const char* path = tolvex::kSettingsFileName;
  bool force = false;
  int fields = 0;  // 3 to 5
  std::int32_t numbers[4] = {0, 0, 0, 0};
  const char* name = nullptr;
};

using SettingsText = tolvex::FixedText<512>;

// The text Tolvex reads, comma-separated: "16,800,600,1,show.exe".
void composeText(const WriteRequest& request, int fields, SettingsText& text) {
  text.clear();
  for (int i = 0; i < fields && i < 4; ++i) {
    text.appendFormat(i == 0 ? "%d" : ",%d", static_cast<int>(request.numbers[i]));
  }
  if (fields == 5) {
    text.append(",");
    text.append(request.name);
  }
}

void readText(const SettingsText& text, Reading& reading) {
  std::uint8_t stored[SettingsText::kCapacity];
  const std::size_t size = text.length();
  std::memcpy(stored, text.c_str(), size);
  tolvex::complementBytes(stored, size);
  readStored(stored, size, reading);
}

std::int32_t appliedDepthOf(std::int32_t depth) {
  return depth == 24 ? 32 : depth;
}

// True when Tolvex, reading `reading`, goes on with exactly the request that was asked for.
bool readsAsAsked(const WriteRequest& request, const Reading& reading) {
  const SettingsVerdict& v = reading.verdict;
  if (reading.scan.count != request.fields || v.accepted != request.fields ||
      v.result != (request.fields == 5 ? 1 : 0)) {
    return false;
  }
  if (v.depth != appliedDepthOf(request.numbers[0]) || v.width != request.numbers[1] ||
      v.height != request.numbers[2]) {
    return false;
  }
  if (request.fields >= 4 && v.strictFlag != request.numbers[3]) {
    return false;
  }
  return request.fields < 5 || std::strcmp(v.appPath.c_str(), request.name) == 0;
}

void printReadingInOneLine(Printer& p, const Reading& reading) {
  const SettingsVerdict& v = reading.verdict;
  p.format("%d fields, result %d", reading.scan.count, v.result);
  if (v.result >= 0) {
    const AppliedRequest applied = appliedRequest(v);
    p.format(", %d bits per pixel, %d x %d, strictFlag %d, application '",
             static_cast<int>(applied.depth), static_cast<int>(applied.width),
             static_cast<int>(applied.height), static_cast<int>(applied.strictFlag));
    p.escaped(applied.app, false);
    p.text("'");
  }
}

int refuseValue(ToolIo& io, const WriteRequest& request, SettingsField field) {
  Printer err = errorLine(io);
  int index = static_cast<int>(field) - static_cast<int>(SettingsField::kDepth);
  if (index < 0 || index > 4) {
    index = 4;
  }
  err.format("Tolvex would reject %s ", kFieldNames[index]);
  if (field == SettingsField::kAppName) {
    err.text("'");
    err.escaped(request.name, false);
    err.text("'");
  } else {
    err.format("%d", static_cast<int>(request.numbers[index]));
  }
  err.text(", saying:\n");
  // Tolvex's own explanation, one line per line of its message box.
  const char* line = tolvex::rejectionExplanation(field);
  for (;;) {
    const char* end = std::strchr(line, '\r');
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
    err.text("  ");
    err.bytes(line, length);
    err.text("\n");
    if (end == nullptr) {
      break;
    }
    line = end + 1;
  }
  return kExitRefused;
}

// A name Tolvex could not read back whole is refused before Tolvex's own rules see it: a blank
// or a comma would end it early, and more than 255 bytes do not fit Tolvex's name buffer.
int refuseName(ToolIo& io, const char* name) {
  const std::size_t length = std::strlen(name);
  const char* problem = nullptr;
  for (const char* p = name; *p != '\0'; ++p) {
    if (isBlank(*p)) {
      problem = "contains a blank, and Tolvex reads a name only up to the first blank";
      break;
    }
    if (*p == ',') {
      problem = "contains a comma, and Tolvex reads a comma as the end of a field";
      break;
    }
  }
  if (problem == nullptr && length >= tolvex::kAppNameCapacity) {
    Printer err = errorLine(io);
    err.format("APP is %lu bytes long, and Tolvex reads at most %lu\n",
               static_cast<unsigned long>(length),
               static_cast<unsigned long>(tolvex::kAppNameCapacity - 1));
    return kExitRefused;
  }
  if (problem == nullptr) {
    return kExitOk;
  }
  Printer err = errorLine(io);
  err.text("APP '");
  err.escaped(name, false);
  err.format("' %s\n", problem);
  return kExitRefused;
}

int parseWrite(int argc, const char* const* argv, ToolIo& io, WriteRequest& request) {
  const char* positional[6];
  int count = 0;
  bool optionsEnded = false;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && isOption(arg)) {
      if (std::strcmp(arg, "--") == 0) {
        optionsEnded = true;
      } else if (std::strcmp(arg, "--force") == 0) {
        request.force = true;
      } else if (std::strcmp(arg, "-o") == 0) {
        if (i + 1 >= argc) {
          return usageError(io, "option requires an argument --", "o");
        }
        request.path = argv[++i];
      } else if (std::strncmp(arg, "-o", 2) == 0) {
        request.path = arg + 2;
      } else {
        return usageError(io, "write: unrecognized option", arg);
      }
      continue;
    }
    if (count == 5) {
      return usageError(io, "write: too many arguments, starting with", arg);
    }
    positional[count++] = arg;
  }
  if (count < 3) {
    return usageError(io, "write needs at least DEPTH, WIDTH and HEIGHT", nullptr);
  }
  if (request.path[0] == '\0') {
    return usageError(io, "write: the file name is empty", nullptr);
  }
  request.fields = count;
  for (int i = 0; i < count && i < 4; ++i) {
    switch (parseNumber(positional[i], request.numbers[i])) {
      case NumberProblem::kNone:
        break;
      case NumberProblem::kNotDecimal: {
        Printer err = errorLine(io);
        err.format("%s is not a decimal number: '", kFieldNames[i]);
        err.escaped(positional[i], false);
        err.format("'\nTry '%s --help' for more information.\n", kProgramName);
        return kExitTrouble;
      }
      case NumberProblem::kOutOfRange: {
        Printer err = errorLine(io);
        err.format("%s is out of range: '", kFieldNames[i]);
        err.escaped(positional[i], false);
        err.text("' (Tolvex reads numbers from -2147483648 to 2147483647)\n");
        return kExitTrouble;
      }
    }
  }
  if (count == 5) {
    request.name = positional[4];
  }
  return kExitOk;
}

int runWrite(int argc, const char* const* argv, ToolIo& io) {
  WriteRequest request;
  const int parsed = parseWrite(argc, argv, io, request);
  if (parsed != kExitOk) {
    return parsed;
  }

  // Tolvex's rules, in Tolvex's order: the numbers first, then the name.
  SettingsText text;
  Reading reading;
  composeText(request, request.fields < 4 ? request.fields : 4, text);
  readText(text, reading);
  if (reading.verdict.result < 0) {
    return refuseValue(io, request, reading.verdict.rejected);
  }
  if (request.fields == 5) {
    const int refused = refuseName(io, request.name);
    if (refused != kExitOk) {
      return refused;
    }
    composeText(request, 5, text);
    readText(text, reading);
    // An empty name leaves Tolvex with four fields; it is as short a name as any.
    if (reading.verdict.result < 0 || request.name[0] == '\0') {
      return refuseValue(io, request, SettingsField::kAppName);
    }
  }
  if (!readsAsAsked(request, reading)) {
    Printer err = errorLine(io);
    err.text("internal error: Tolvex would not read the text back as asked (");
    printReadingInOneLine(err, reading);
    err.text("); nothing was written\n");
    return kExitTrouble;
  }

  if (!request.force && io.fileExists(request.path)) {
    Printer err = errorLine(io);
    err.text("'");
    err.escaped(request.path, false);
    err.text("' already exists; use --force to replace it\n");
    return kExitRefused;
  }

  std::uint8_t stored[SettingsText::kCapacity];
  const std::size_t size = text.length();
  std::memcpy(stored, text.c_str(), size);
  tolvex::complementBytes(stored, size);
  ReasonText why;
  if (!io.writeFile(request.path, stored, size, why)) {
    Printer err = errorLine(io);
    err.text("cannot write '");
    err.escaped(request.path, false);
    err.format("': %s\n", why.c_str());
    return kExitTrouble;
  }

  // Read the file back the way Tolvex will: a short write, a full disk or anything else that
  // changed the bytes shows up here, not on the user's machine.
  std::uint8_t back[tolvex::kSettingsReadLimit];
  std::size_t stored_back = 0;
  std::size_t total = 0;
  Reading check;
  if (!io.readFileHead(request.path, back, sizeof back, stored_back, total, why)) {
    Printer err = errorLine(io);
    err.text("cannot read back '");
    err.escaped(request.path, false);
    err.format("': %s\n", why.c_str());
    return kExitTrouble;
  }
  readStored(back, stored_back, check);
  if (total != size || std::memcmp(back, stored, size) != 0 || !readsAsAsked(request, check)) {
    // A file that Tolvex would read differently from what was asked is worse than none.
    const bool removed = io.removeFile(request.path);
    Printer err = errorLine(io);
    err.text("'");
    err.escaped(request.path, false);
    err.format("' does not read back as written (%lu bytes written, %lu read; Tolvex would read ",
               static_cast<unsigned long>(size), static_cast<unsigned long>(total));
    printReadingInOneLine(err, check);
    err.text(removed ? "); the file was removed\n" : "); the file could not be removed\n");
    return kExitTrouble;
  }

  Printer out(io, false);
  const AppliedRequest applied = appliedRequest(check.verdict);
  out.text("Wrote '");
  out.escaped(request.path, false);
  out.format("': %d bits per pixel", static_cast<int>(applied.depth));
  if (applied.depth != request.numbers[0]) {
    out.format(" (%d in the file)", static_cast<int>(request.numbers[0]));
  }
  out.format(", %d x %d, %s, application ", static_cast<int>(applied.width),
             static_cast<int>(applied.height), applied.strictFlag != 0 ? "strict" : "lenient");
  out.escaped(applied.app, false);
  out.format("%s\n", request.fields == 5 ? "" : " (default)");
  return kExitOk;
}

// ---- show ----

// Plain text that nobody complemented decodes to bytes 0x80 to 0xFF, which Tolvex cannot read
// a field from.
bool looksLikePlainText(const std::uint8_t* bytes, std::size_t size) {
  if (size == 0) {
    return false;
  }
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint8_t c = bytes[i];
    if (!(c >= 0x20 && c < 0x7F) && !isBlank(static_cast<char>(c))) {
      return false;
    }
  }
  return true;
}

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
    printMessageLines(out, verdict.message.c_str());
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

// ---- encode and decode ----

// The stored form is each byte's complement, so encoding and decoding are the same work; both
// names exist so that scripts say what they mean.
int runComplement(int argc, const char* const* argv, ToolIo& io, const char* command) {
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

int runIniTool(int argc, const char* const* argv, ToolIo& io) {
  if (argc < 2) {
    return usageError(io, "missing command", nullptr);
  }
  const char* command = argv[1];
  const int restCount = argc - 2;
  const char* const* rest = argv + 2;
  for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (isHelp(argv[i])) {
      return printHelp(io);
    }
  }
  if (std::strcmp(command, "--version") == 0) {
    Printer(io, false).format("%s (Tolvex) %s\n", kProgramName, TOLVEX_VERSION_DOTTED);
    return kExitOk;
  }
  if (std::strcmp(command, "write") == 0) {
    return runWrite(restCount, rest, io);
  }
  if (std::strcmp(command, "show") == 0) {
    return runShow(restCount, rest, io);
  }
  if (std::strcmp(command, "encode") == 0 || std::strcmp(command, "decode") == 0) {
    return runComplement(restCount, rest, io, command);
  }
  if (command[0] == '-') {
    return usageError(io, "unrecognized option", command);
  }
  return usageError(io, "unknown command", command);
}

}  // namespace tolvex_ini
