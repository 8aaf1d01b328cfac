#include "settings/settings_text.h"

#include <climits>

namespace tolvex {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

const char* skipBlanks(const char* p) {
  while (isSettingsBlank(*p)) {
    ++p;
  }
  return p;
}

// One "%d": optional sign, then decimal digits. Returns nullptr when no number starts at p.
const char* scanInteger(const char* p, std::int32_t& value) {
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  if (!isDigit(*p)) {
    return nullptr;
  }
  // Saturate rather than overflow: INT_MAX + 1 digits' worth is far out of every list anyway.
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
  std::int64_t magnitude = 0;
  for (; isDigit(*p); ++p) {
    if (magnitude <= limit) {
      magnitude = magnitude * 10 + (*p - '0');
    }
  }
  if (magnitude > limit) {
    magnitude = limit;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return p;
}

}  // namespace

bool isSettingsWidth(std::int32_t width) {
  for (std::int32_t listed : kSettingsWidths) {
    if (listed == width) {
      return true;
    }
  }
  return false;
}

bool isSettingsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::int32_t appliedDepth(std::int32_t depth) {
  switch (depth) {
    case 8:
    case 16:
    case 32:
      return depth;
    case 24:
      return 32;
    default:
      return 0;
  }
}

void decodeSettings(const std::uint8_t* bytes, std::size_t count, DecodedSettings& text) {
  if (count > kSettingsReadLimit) {
    count = kSettingsReadLimit;
  }
  char decoded[kSettingsReadLimit + 1];
  std::size_t length = 0;
  for (; length < count; ++length) {
    const auto c = static_cast<char>(~bytes[length] & 0xFF);
    if (c == '\0') {
      break;
    }
    decoded[length] = c == ',' ? ' ' : c;
  }
  text.assignBytes(decoded, length);
}

void complementBytes(std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    bytes[i] = static_cast<std::uint8_t>(~bytes[i] & 0xFF);
  }
}

SettingsScan scanSettings(const char* text) {
  SettingsScan scan;
  std::int32_t numbers[4] = {0, 0, 0, 0};
  // Stores what was converted so far; the fields not reached stay 0.
  const auto finish = [&scan, &numbers](int count) {
    scan.count = count;
    scan.depth = numbers[0];
    scan.width = numbers[1];
    scan.height = numbers[2];
    scan.strictFlag = numbers[3];
    return scan;
  };
  const char* p = text;
  int count = 0;
  for (std::int32_t& number : numbers) {
    p = skipBlanks(p);
    if (*p == '\0') {
      // The text ran out: nothing converted yet is the scan's "end of input".
      return finish(count == 0 ? -1 : count);
    }
    p = scanInteger(p, number);
    if (p == nullptr) {
      return finish(count);
    }
    ++count;
  }
  p = skipBlanks(p);
  if (*p == '\0') {
    return finish(count);
  }
  const char* end = p;
  while (*end != '\0' && !isSettingsBlank(*end)) {
    ++end;
  }
  const auto length = static_cast<std::size_t>(end - p);
  scan.nameTooLong = length >= kAppNameCapacity;
  scan.name.assignBytes(p, scan.nameTooLong ? kAppNameCapacity - 1 : length);
  return finish(count + 1);
}

const char* rejectionExplanation(SettingsField field) {
  switch (field) {
    case SettingsField::kDepth:
      return "The depth value has to be one of\r8,16,24 or 32";
    case SettingsField::kWidth:
      return "The width value has to be one of\r640,800,832,1024,1152,1280 or 1600";
    case SettingsField::kStrictFlag:
      return "The strictFlag value can only be 1 or 0";
    case SettingsField::kAppName:
      return "The application name need to be more than four chars long";
    case SettingsField::kHeight:
    case SettingsField::kNone:
      break;
  }
  return "";
}

namespace {

void reject(SettingsVerdict& verdict, SettingsField field) {
  verdict.result = -1;
  verdict.rejected = field;
  verdict.message.append(rejectionExplanation(field));
}

}  // namespace

void judgeSettings(const SettingsScan& scan, const PathText& programDir, SettingsVerdict& verdict) {
  verdict = SettingsVerdict();
  // The summary gives the numbers as the file has them: a depth of 24 shows as 24, and a field
  // that was not read shows as 0.
  verdict.message.format("%i bits per pixel, %i width x %i height\r\r", scan.depth, scan.width,
                         scan.height);
  if (scan.count <= 0) {
    return;
  }

  verdict.depth = appliedDepth(scan.depth);
  if (verdict.depth == 0) {
    return reject(verdict, SettingsField::kDepth);
  }
  verdict.accepted = 1;
  if (scan.count <= 1) {
    return;
  }

  if (!isSettingsWidth(scan.width)) {
    return reject(verdict, SettingsField::kWidth);
  }
  verdict.width = scan.width;
  verdict.accepted = 2;
  if (scan.count <= 2) {
    return;
  }

  verdict.height = scan.height;
  verdict.accepted = 3;
  if (scan.count <= 3) {
    return;
  }

  if (scan.strictFlag != 0 && scan.strictFlag != 1) {
    verdict.message.format("%i bits per pixel, %i width x %i height, %i strictFlag\r\r", scan.depth,
                           scan.width, scan.height, scan.strictFlag);
    return reject(verdict, SettingsField::kStrictFlag);
  }
  verdict.strictFlag = scan.strictFlag;
  verdict.accepted = 4;
  if (scan.count <= 4) {
    return;
  }

  // A name Tolvex could not hold whole, or whose path would not fit, is refused like a short
  // one rather than cut into the name of some other file.
  bool usable = !scan.nameTooLong && scan.name.length() > 4;
  if (usable) {
    verdict.appPath.assign(programDir);
    usable = verdict.appPath.append(scan.name) && !verdict.appPath.overflowed();
  }
  if (!usable) {
    verdict.appPath.clear();
    verdict.message.format("%i bits per pixel, %i width x %i height, app name '%s'\r\r", scan.depth,
                           scan.width, scan.height, scan.name.c_str());
    return reject(verdict, SettingsField::kAppName);
  }
  verdict.accepted = 5;
  verdict.result = 1;
}

}  // namespace tolvex
