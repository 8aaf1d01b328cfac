// No platform calls at all, so that Tolvex and the settings tool
// (tools/tolvex-ini) decide every file the same way.
//
// The settings file is a short text whose every byte is stored complemented (255 - byte). Its
// decoded text holds up to five fields separated by commas or white space:
//   depth (8, 16, 24 or 32; 24 is applied as 32), width (640, 800, 832, 1024, 1152, 1280, 1600),
//   height (any), strictFlag (0 or 1), application name (a run of 5 or more non-blank bytes).
// A missing field keeps the default, and so do the ones after it.
#ifndef TOLVEX_SETTINGS_SETTINGS_TEXT_H
#define TOLVEX_SETTINGS_SETTINGS_TEXT_H

#include <cstddef>
#include <cstdint>

#include "app/run_defaults.h"
#include "app/text_fields.h"

namespace tolvex {

// Only the first 999 bytes of a file count.
constexpr std::size_t kSettingsReadLimit = 999;
// The application name is read into a 256-byte buffer: at most 255 bytes.
constexpr std::size_t kAppNameCapacity = 256;

using DecodedSettings = FixedText<kSettingsReadLimit + 1>;
using AppNameText = FixedText<kAppNameCapacity>;

// A run's request on its own, for code that reads settings without running Tolvex (the tool).
// Tolvex keeps the same members in its run record.
struct SettingsRequest {
  std::int32_t depth = kDefaultDepth;
  std::int32_t width = kDefaultWidth;
  std::int32_t height = kDefaultHeight;
  std::int32_t strictFlag = kDefaultStrictFlag;
  PathText appPath{kDefaultAppName};  // relative to Tolvex's folder
};

// The bytes that separate fields: the C locale's white space. Bytes 0x80 to 0xFF are not
// blanks, whatever the code page.
bool isSettingsBlank(char c);

// The widths a settings file may ask for, in order.
constexpr std::int32_t kSettingsWidths[] = {640, 800, 832, 1024, 1152, 1280, 1600};

// Whether a settings file may ask for this width.
bool isSettingsWidth(std::int32_t width);

// A depth as Tolvex applies it (24 becomes 32), or 0 when the depth is not accepted.
std::int32_t appliedDepth(std::int32_t depth);

// Complements the stored bytes (at most the first 999), stops at a decoded zero byte, and turns
// every comma into a blank.
void decodeSettings(const std::uint8_t* bytes, std::size_t count, DecodedSettings& text);

// The inverse of the stored form: each byte complemented. Encoding twice gives the input back.
void complementBytes(std::uint8_t* bytes, std::size_t count);

// The decoded text scanned as "%d %d %d %d %s" would scan it, without that format's undefined
// corners: a number beyond the 32-bit range saturates at the nearest limit, and a name longer
// than 255 bytes is kept cut to 255 with nameTooLong set.
struct SettingsScan {
  // Fields converted (0 to 5); 0 when the first non-blank byte cannot start a number, -1 when
  // the text is empty or blank.
  int count = -1;
  std::int32_t depth = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t strictFlag = 0;
  AppNameText name;
  bool nameTooLong = false;
};

SettingsScan scanSettings(const char* text);

enum class SettingsField { kNone, kDepth, kWidth, kHeight, kStrictFlag, kAppName };

struct SettingsVerdict {
  // 1: all five fields accepted (appPath replaced); 0: nothing or a partial file applied;
  // -1: a field was rejected and `message` is the message box text.
  int result = 0;
  SettingsField rejected = SettingsField::kNone;
  // How many leading fields were accepted (0 to 5); those values are to be applied.
  int accepted = 0;
  std::int32_t depth = 0;  // as applied: 24 becomes 32
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t strictFlag = 0;
  PathText appPath;  // programDir + name, when the name was accepted
  // The summary line (and, for a rejection, the explanation after it).
  MessageText message;
};

// Checks the scanned fields in order. `programDir` is the folder the name is relative to.
void judgeSettings(const SettingsScan& scan, const PathText& programDir, SettingsVerdict& verdict);

// The explanation of each rejection, as the message box shows it.
const char* rejectionExplanation(SettingsField field);

// Applies the leading fields that the verdict accepted to `request`, in the file's order; the
// others keep what they held. A rejected verdict still applies the fields before the rejected
// one, as Tolvex always has (the run then starts nothing). `Request` is anything with depth,
// width, height, strictFlag and appPath members: Tolvex's run record, or a SettingsRequest.
template <typename Request>
void applyVerdict(const SettingsVerdict& verdict, Request& request) {
  if (verdict.accepted >= 1) {
    request.depth = verdict.depth;
  }
  if (verdict.accepted >= 2) {
    request.width = verdict.width;
  }
  if (verdict.accepted >= 3) {
    request.height = verdict.height;
  }
  if (verdict.accepted >= 4) {
    request.strictFlag = verdict.strictFlag;
  }
  if (verdict.accepted >= 5) {
    request.appPath.assign(verdict.appPath);
  }
}

}  // namespace tolvex

#endif
