// What a run starts with before its settings file is read: the request, the settings file looked
// for first and the application started first. The run record (run_context.h) is built with
// these, and the settings file (settings/) changes them.
#ifndef TOLVEX_APP_RUN_DEFAULTS_H
#define TOLVEX_APP_RUN_DEFAULTS_H

#include <cstddef>
#include <cstdint>

namespace tolvex {

// 16 bits per pixel, 800 x 600, strict.
constexpr std::int32_t kDefaultDepth = 16;
constexpr std::int32_t kDefaultWidth = 800;
constexpr std::int32_t kDefaultHeight = 600;
constexpr std::int32_t kDefaultStrictFlag = 1;
// The settings file looked for first: a bare name, so the current folder.
constexpr const char kSettingsFileName[] = "Tolvex.ini";
// The application started first, in Tolvex's folder.
constexpr const char kDefaultAppName[] = "PROJECTOR.EXE";
// Tried when the first application cannot be started: a bare name, so the current folder.
constexpr const char kFallbackAppName[] = "PROJ.EXE";

// The name Tolvex reads its own settings file under (<name>.ini beside it): its file name up to
// the first dot, so that Intro.v2.exe reads Intro.ini. The length of that name in `fileName`'s
// first `length` bytes.
constexpr std::size_t settingsNameLength(const char* fileName, std::size_t length) {
  std::size_t end = 0;
  while (end < length && fileName[end] != '.') {
    ++end;
  }
  return end;
}

}  // namespace tolvex

#endif
