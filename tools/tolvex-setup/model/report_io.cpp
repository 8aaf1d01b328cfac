#include "tools/tolvex-setup/model/report_io.h"

#include <cstring>

#include "tools/commands/report.h"

namespace tolvex_setup {

int ReportIo::run(Command command, int argc, const char* const* argv) {
  out.clear();
  err.clear();
  return command(argc, argv, *this);
}

bool ReportIo::readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                            std::size_t& stored, std::size_t& total, tolvex_ini::ReasonText& why) {
  if (!sandbox_) {
    return world_.readFileHead(path, buffer, capacity, stored, total, why);
  }
  if (!hasKept_) {
    why.assign("No such file or directory");
    return false;
  }
  total = keptSize_;
  stored = keptSize_ < capacity ? keptSize_ : capacity;
  std::memcpy(buffer, kept_, stored);
  return true;
}

bool ReportIo::fileExists(const char* path) {
  return sandbox_ ? hasKept_ : world_.fileExists(path);
}

bool ReportIo::writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                         tolvex_ini::ReasonText& why) {
  if (!sandbox_) {
    return world_.writeFile(path, bytes, size, why);
  }
  if (size > sizeof kept_) {
    why.assign("File too large");
    return false;
  }
  std::memcpy(kept_, bytes, size);
  keptSize_ = size;
  hasKept_ = true;
  return true;
}

bool ReportIo::removeFile(const char* path) {
  if (!sandbox_) {
    return world_.removeFile(path);
  }
  hasKept_ = false;
  return true;
}

long ReportIo::readInput(std::uint8_t*, std::size_t, tolvex_ini::ReasonText& why) {
  why.assign("no standard input in the dialog");
  return -1;
}

bool ReportIo::writeOutput(const std::uint8_t*, std::size_t, tolvex_ini::ReasonText& why) {
  why.assign("no standard output in the dialog");
  return false;
}

void withoutProgramName(const char* text, tolvex::MessageText& message) {
  message.clear();
  const std::size_t prefix = std::strlen(tolvex_ini::kProgramName) + 2;
  const char* line = text;
  while (*line != '\0') {
    if (std::strncmp(line, tolvex_ini::kProgramName, prefix - 2) == 0 &&
        std::strncmp(line + prefix - 2, ": ", 2) == 0) {
      line += prefix;
    }
    const char* end = std::strchr(line, '\n');
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - line + 1) : std::strlen(line);
    message.appendBytes(line, length);
    line += length;
  }
  // No line break after the last line: a message box would show an empty line.
  std::size_t length = message.length();
  while (length > 0 && message.c_str()[length - 1] == '\n') {
    --length;
  }
  tolvex::MessageText trimmed;
  trimmed.assignBytes(message.c_str(), length);
  message.assign(trimmed);
}

}  // namespace tolvex_setup
