#include "app/argument_zero.h"

#include <cstring>

namespace tolvex {

ArgumentZero findArgumentZero(const char* commandLine) {
  ArgumentZero token{commandLine, 0, false};
  if (commandLine == nullptr || commandLine[0] == '\0') {
    token.useModuleName = true;
    return token;
  }
  if (commandLine[0] == '"') {
    token.begin = commandLine + 1;
    while (token.begin[token.length] != '\0' && token.begin[token.length] != '"') {
      ++token.length;
    }
    return token;
  }
  while (commandLine[token.length] != '\0' && commandLine[token.length] != ' ' &&
         commandLine[token.length] != '\t') {
    ++token.length;
  }
  return token;
}

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

}  // namespace tolvex
