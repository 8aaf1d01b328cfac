// Reports of the commands that explain (show, check): lines of a label and a value, made with
// formatted and escaped text; and a settings file as Tolvex reads it.
#ifndef TOLVEX_TOOLS_COMMANDS_REPORT_H
#define TOLVEX_TOOLS_COMMANDS_REPORT_H

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "platform/fixed_text.h"
#include "platform/lead_bytes.h"
#include "settings/settings_text.h"

namespace tolvex_commands {

// The labels of a report are padded to this width when it is printed.
constexpr int kLabelWidth = 13;

// Formatted and escaped text, to wherever `bytes` sends it. (Its classes define every virtual
// function inline: the unit tests, built with RTTI, then have the type information that their
// sanitizer asks for.)
class TextOut {
 public:
  virtual void bytes(const char* s, std::size_t n) = 0;
  // Starts a line with this label: padded to kLabelWidth where text is printed.
  virtual void label(const char* name) = 0;
  void padded(const char* name);

  void text(const char* s);
  // The text fields' formatting (platform/fixed_text.h), checked where the call is compiled,
  // of any length.
  template <typename... Args>
  void format(tolvex::CheckedFormat<std::type_identity_t<Args>...> fmt, Args... args) {
    formatChecked(fmt.c_str(), args...);
  }

  // Bytes as a reader can tell them apart: printable ASCII as it is, everything else as a C
  // escape. In quoted form the quote and the backslash are escaped too: the exact bytes of a
  // text (a file's decoded text, a message box's exact text). Unquoted are names and paths,
  // and the lines of a message box as it shows them: their backslashes as they are, and where
  // names are shown as characters, their characters too.
  void escaped(const char* s, std::size_t n, bool quoted);
  void escaped(const char* s, bool quoted);

  // From here on, unquoted text shows bytes from 0x80 on as they are: where it goes, they are
  // characters of the ANSI code page whose lead bytes these are (a Windows console or a
  // redirected stream of tolvex-ini.exe, Tolvex Setup's window). A lead byte goes only with its
  // second byte; one without a second byte, and every control byte, stay escaped. The host
  // build's streams and the tests' never show characters: their names stay escaped.
  // (Out of line: the tests, built with type records, must never have their sanitized copy run
  // on tolvex-ini's Printer, built without.)
  void namesAsCharacters(const tolvex::LeadBytes& leadBytes);

  // A message box text, one line for each of its lines (each "\r" starts a new one): the first
  // after `firstLabel`, the others after an empty label, each after `prefix`. With no label
  // (nullptr) the lines are only indented by the prefix. A `utf8` text (the box that names a
  // folder the code page cannot hold) shows no bytes as characters of the code page.
  void messageLines(const char* message, const char* firstLabel, const char* prefix,
                    bool utf8 = false);

  // Some text was dropped: text that did not fit where it goes (TextInto), or a formatted text
  // that could not be made (a missing %s text). Long lines are written in pieces, so length
  // alone drops nothing. What was written is then not the whole report. Text handed on whole is
  // no concern of this object's: a stream that fails to take it is its owner's to report.
  bool lost() const { return lost_; }

 protected:
  ~TextOut() = default;
  void markLost() { lost_ = true; }

 private:
  // Only ever called with a format that CheckedFormat has matched to the arguments.
  void formatChecked(const char* fmt, ...);
  // How many bytes at s[i] (of n) make one character to be shown as it is; 0: escape s[i].
  std::size_t characterAt(const char* s, std::size_t i, std::size_t n) const;
  bool lost_ = false;
  bool characters_ = false;
  tolvex::LeadBytes leadBytes_;
};

// Text into a fixed field, as much as fits; lost() (and the field's overflowed()) tell when
// some did not.
template <std::size_t N>
class TextInto final : public TextOut {
 public:
  explicit TextInto(tolvex::FixedText<N>& text) : text_(text) {}
  void bytes(const char* s, std::size_t n) override {
    if (!text_.appendBytes(s, n)) {
      markLost();
    }
  }
  void label(const char* name) override { padded(name); }

 private:
  tolvex::FixedText<N>& text_;
};

// The answer of a display switch, by its DISP_CHANGE_ name.
void printDisplayAnswer(TextOut& out, std::int32_t answer);

// A mode as Tolvex asks for it: "1024 x 768 at 16 bits per pixel"; with kAnyDepth the size
// alone, which the display gives at a depth of its own choosing: "1024 x 768 at any depth".
constexpr std::int32_t kAnyDepth = -1;
void printModeAt(TextOut& out, std::int32_t width, std::int32_t height, std::int32_t depth);

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

// What Tolvex does with a settings file.
enum class FileVerdict {
  kAcceptedWithApp,  // all five fields
  kAccepted,         // the leading fields it has, defaults for the rest
  kIgnoredEmpty,     // an empty file: defaults
  kIgnored,          // nothing readable: defaults
  kRejected,         // a message box, and nothing started
};

// What Tolvex does with a file of `total` bytes that it judged so.
FileVerdict fileVerdict(const tolvex::SettingsVerdict& verdict, std::size_t total);

// The request, one row per field, marking defaults.
void printRequest(TextOut& out, const AppliedRequest& applied, std::int32_t depthInFile);

// A message box as Tolvex would show it: its caption, its text as lines, and the text once more
// as an exact escaped string.
void printMessageBox(TextOut& out, const char* caption, const char* text, bool utf8 = false);

// Whether stored bytes look like text that nobody complemented: bytes Tolvex reads no field from.
bool looksLikePlainText(const std::uint8_t* bytes, std::size_t size);

// What Tolvex makes of a settings file whose first `size` bytes (of `total`) are `stored`: the
// text, what of it is never read, the result and the request Tolvex goes on with. A rejection's
// message box is printed too when `withMessage`.
FileVerdict printSettingsReading(TextOut& out, const std::uint8_t* stored, std::size_t size,
                                 std::size_t total, bool withMessage);

}  // namespace tolvex_commands

#endif
