// Formatted text, reports as rows, and the reading of settings files.
#include "tools/commands/report.h"

#include <cstdarg>
#include <cstring>

#include "app/messages.h"
#include "display/display_mode.h"

namespace tolvex_commands {

void TextOut::namesAsCharacters(const tolvex::LeadBytes& leadBytes) {
  characters_ = true;
  leadBytes_ = leadBytes;
}

void TextOut::text(const char* s) {
  bytes(s, std::strlen(s));
}

void TextOut::formatChecked(const char* fmt, ...) {
  std::va_list args;
  va_start(args, fmt);
  // Long paths and names go on in pieces of the buffer's size.
  char piece[256];
  std::size_t used = 0;
  const std::size_t length = tolvex::formatWith(
      [&](char c) {
        if (used == sizeof piece) {
          bytes(piece, used);
          used = 0;
        }
        piece[used++] = c;
      },
      fmt, args);
  bytes(piece, used);
  if (length == tolvex::kFormatRefused) {
    markLost();  // what came after the refused conversion is not there
  }
  va_end(args);
}

std::size_t TextOut::characterAt(const char* s, std::size_t i, std::size_t n) const {
  const auto isControl = [](char byte) {
    const auto c = static_cast<unsigned char>(byte);
    return c < 0x20 || c == 0x7F;
  };
  if (!characters_ || static_cast<unsigned char>(s[i]) < 0x80) {
    return 0;
  }
  if (!leadBytes_.leads(s[i])) {
    return 1;
  }
  // A lead byte followed by a control byte, or by nothing, would take with it what follows.
  return leadBytes_.charLength(s, i, n) == 2 && !isControl(s[i + 1]) ? 2 : 0;
}

void TextOut::escaped(const char* s, std::size_t n, bool quoted) {
  if (quoted) {
    text("\"");
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t character = quoted ? 0 : characterAt(s, i, n);
    if (character > 0) {
      bytes(&s[i], character);
      i += character - 1;
      continue;
    }
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

void TextOut::escaped(const char* s, bool quoted) {
  escaped(s, std::strlen(s), quoted);
}

void TextOut::padded(const char* name) {
  text(name);
  for (std::size_t length = std::strlen(name); length < static_cast<std::size_t>(kLabelWidth);
       ++length) {
    text(" ");
  }
}

void TextOut::messageLines(const char* message, const char* firstLabel, const char* prefix,
                           bool utf8) {
  // A UTF-8 text is none of the code page's: its bytes from 0x80 on stay escaped.
  const bool characters = characters_;
  characters_ = characters && !utf8;
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
  characters_ = characters;
}

// The answer of a display switch by its name.
void printDisplayAnswer(TextOut& out, std::int32_t answer) {
  if (answer == 0) {
    out.text("DISP_CHANGE_SUCCESSFUL");
    return;
  }
  const tolvex::DisplayChangeText* text = tolvex::findDisplayChangeText(answer);
  if (text != nullptr) {
    out.text(text->name);
  } else {
    out.format("%d, a code Tolvex has no message for", static_cast<int>(answer));
  }
}

void printModeAt(TextOut& out, std::int32_t width, std::int32_t height, std::int32_t depth) {
  out.format("%d x %d at ", static_cast<int>(width), static_cast<int>(height));
  if (depth == kAnyDepth) {
    out.text("any depth");
  } else {
    out.format("%d bits per pixel", static_cast<int>(depth));
  }
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

namespace {

const char* defaultMark(const AppliedRequest& applied, int field) {
  return applied.fromFile >= field ? "" : " (default)";
}

}  // namespace

FileVerdict fileVerdict(const tolvex::SettingsVerdict& verdict, std::size_t total) {
  if (verdict.result < 0) {
    return FileVerdict::kRejected;
  }
  if (verdict.accepted == 0) {
    return total == 0 ? FileVerdict::kIgnoredEmpty : FileVerdict::kIgnored;
  }
  return verdict.result == 1 ? FileVerdict::kAcceptedWithApp : FileVerdict::kAccepted;
}

void printRequest(TextOut& out, const AppliedRequest& applied, std::int32_t depthInFile) {
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

void printMessageBox(TextOut& out, const char* caption, const char* text, bool utf8) {
  out.label("Caption:");
  out.format("%s\n", caption);
  out.messageLines(text, "Message:", "| ", utf8);
  out.label("Exact text:");
  out.escaped(text, true);
  out.text("\n");
}

FileVerdict printSettingsReading(TextOut& out, const std::uint8_t* stored, std::size_t size,
                                 std::size_t total, bool withMessage) {
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

  const tolvex::SettingsVerdict& verdict = reading.verdict;
  out.label("Result:");
  if (verdict.result < 0) {
    out.text("rejected: Tolvex shows this message and starts nothing\n");
    if (withMessage) {
      printMessageBox(out, tolvex::kCaptionBadSettings, verdict.message.c_str());
    }
    return fileVerdict(verdict, total);
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
  return fileVerdict(verdict, total);
}

}  // namespace tolvex_commands
