// tolvex-ini's report printer and its reading of settings files.
#include "tools/tolvex-ini/report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tolvex_ini {

void Printer::bytes(const char* s, std::size_t n) {
  if (toErr_) {
    io_.writeErr(s, n);
  } else {
    io_.writeOut(s, n);
  }
}

void Printer::text(const char* s) {
  bytes(s, std::strlen(s));
}

void Printer::format(const char* fmt, ...) {
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

void Printer::escaped(const char* s, std::size_t n, bool quoted) {
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

void Printer::escaped(const char* s, bool quoted) {
  escaped(s, std::strlen(s), quoted);
}

void Printer::label(const char* name) {
  format("%-*s", kLabelWidth, name);
}

void Printer::messageLines(const char* message, const char* firstLabel, const char* prefix) {
  // An empty line gets the prefix without its trailing blanks.
  std::size_t bare = std::strlen(prefix);
  while (bare > 0 && prefix[bare - 1] == ' ') {
    --bare;
  }
  const char* line = message;
  bool first = true;
  for (;;) {
    const char* end = std::strchr(line, '\r');
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - line) : std::strlen(line);
    if (firstLabel != nullptr) {
      label(first ? firstLabel : "");
    }
    if (length > 0) {
      text(prefix);
    } else {
      bytes(prefix, bare);
    }
    escaped(line, length, false);
    text("\n");
    first = false;
    if (end == nullptr) {
      break;
    }
    line = end + 1;
  }
}

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

void readStored(const std::uint8_t* bytes, std::size_t size, Reading& reading) {
  tolvex::DecodedSettings text;
  tolvex::decodeSettings(bytes, size, text);
  reading.scan = tolvex::scanSettings(text.c_str());
  tolvex::judgeSettings(reading.scan, tolvex::PathText(""), reading.verdict);
}

AppliedRequest appliedRequest(const tolvex::SettingsVerdict& verdict) {
  AppliedRequest applied;
  // A rejected file starts nothing; its request is not gone on with.
  if (verdict.result >= 0) {
    applied.fromFile = verdict.accepted;
    tolvex::applyVerdict(verdict, applied.request);
  }
  return applied;
}

namespace {

const char* defaultMark(const AppliedRequest& applied, int field) {
  return applied.fromFile >= field ? "" : " (default)";
}

}  // namespace

void printRequest(Printer& out, const AppliedRequest& applied, std::int32_t depthInFile) {
  const tolvex::SettingsRequest& request = applied.request;
  out.label("Depth:");
  out.format("%d bits per pixel", static_cast<int>(request.depth));
  if (applied.fromFile >= 1 && depthInFile != request.depth) {
    out.format(" (%d in the file)", static_cast<int>(depthInFile));
  }
  out.format("%s\n", defaultMark(applied, 1));
  out.label("Width:");
  out.format("%d%s\n", static_cast<int>(request.width), defaultMark(applied, 2));
  out.label("Height:");
  out.format("%d%s\n", static_cast<int>(request.height), defaultMark(applied, 3));
  out.label("Strictness:");
  out.text(request.strictFlag != 0 ? "strict: nothing is started when the mode cannot be set"
                                   : "lenient: the application is started even when the mode "
                                     "cannot be set");
  out.format("%s\n", defaultMark(applied, 4));
  out.label("Application:");
  out.escaped(request.appPath.c_str(), false);
  out.format(" (in Tolvex's folder)%s\n", defaultMark(applied, 5));
}

}  // namespace tolvex_ini
