#include "tools/commands/stdio_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tolvex_commands {

bool failWithErrno(ReasonText& why) {
  why.assign(errno != 0 ? std::strerror(errno) : "input/output error");
  return false;
}

bool readFileHeadStdio(const char* path, std::uint8_t* buffer, std::size_t capacity,
                       std::size_t& stored, std::size_t& total, ReasonText& why) {
  stored = 0;
  total = 0;
  errno = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return failWithErrno(why);
  }
  stored = std::fread(buffer, 1, capacity, file);
  total = stored;
  std::uint8_t rest[4096];
  std::size_t got = 0;
  while (!std::ferror(file) && (got = std::fread(rest, 1, sizeof rest, file)) > 0) {
    total += got;
  }
  const bool failed = std::ferror(file) != 0;
  (void)std::fclose(file);  // only read
  return failed ? failWithErrno(why) : true;
}

}  // namespace tolvex_commands
