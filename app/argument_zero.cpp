#include "app/argument_zero.h"

#include <cstring>

namespace tolvex {

bool copyArgumentZero(const char* commandLine, char* out, std::size_t capacity) {
  const ArgumentZero token = findArgumentZero(commandLine);
  if (token.useModuleName || token.length >= capacity) {
    return false;
  }
  std::memcpy(out, token.begin, token.length);
  out[token.length] = '\0';
  return true;
}

const char* readArgumentZero(const char* commandLine, ModuleFileNameQuery moduleFileName, char* out,
                             std::size_t capacity) {
  if (copyArgumentZero(commandLine, out, capacity)) {
    return out;
  }
  if (capacity == 0) {
    return nullptr;
  }
  const std::uint32_t room =
      capacity < kModuleNameRoom ? static_cast<std::uint32_t>(capacity) : kModuleNameRoom;
  const std::uint32_t length = moduleFileName(out, room);
  if (length >= room) {
    return nullptr;  // a full buffer: the name may go on past it
  }
  out[length] = '\0';
  return out;
}

AnsiArgument ansiArgumentZero(Platform& platform, const LeadBytes& leadBytes, const char* held,
                              char* out, std::size_t capacity, HeldText& outside) {
  if (platform.ansiPath(held, false, out, capacity) >= 0) {
    return AnsiArgument::kAsGiven;
  }
  // In UTF-8 every 0x5C byte is a backslash.
  const std::size_t length = std::strlen(held);
  std::size_t nameStart = length;
  while (nameStart > 0 && held[nameStart - 1] != '\\') {
    --nameStart;
  }
  const long shortLength = platform.ansiPath(held, true, out, capacity);
  if (shortLength < 0) {
    // The folder as the user sees it (ASCII is in every code page: a folder of ASCII alone is
    // not the trouble, its file name is, and the whole path is named).
    std::size_t shown = length;
    for (std::size_t i = 0; i < nameStart; ++i) {
      if (static_cast<unsigned char>(held[i]) >= 0x80) {
        shown = nameStart;
      }
    }
    outside.assignBytes(held, shown);
    return AnsiArgument::kOutsideCodePage;
  }
  // Its own name where the code page holds it, since its settings file is named after it.
  const auto shortEnd = static_cast<std::size_t>(shortLength);
  const std::size_t backslash = leadBytes.lastBackslash(out, shortEnd);
  const std::size_t shortName = backslash < shortEnd ? backslash + 1 : 0;
  if (platform.ansiPath(held + nameStart, false, out + shortName, capacity - shortName) < 0) {
    platform.ansiPath(held, true, out, capacity);
  }
  return AnsiArgument::kShortForm;
}

}  // namespace tolvex
