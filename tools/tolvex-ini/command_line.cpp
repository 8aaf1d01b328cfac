#include "tools/tolvex-ini/command_line.h"

namespace tolvex_ini {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

int splitCommandLine(const char* line, char* text, std::size_t capacity, const char** argv,
                     int maxArguments) {
  std::size_t at = 0;
  int count = 0;
  bool fits = true;
  const auto put = [&](char c) {
    if (at < capacity) {
      text[at++] = c;
    } else {
      fits = false;
    }
  };
  const auto start = [&]() {
    if (count < maxArguments && at < capacity) {
      argv[count++] = text + at;
    } else {
      fits = false;
    }
  };

  const char* p = line;
  start();
  if (*p == '"') {
    for (++p; *p != '\0' && *p != '"'; ++p) {
      put(*p);
    }
    p += *p == '"' ? 1 : 0;
  } else {
    for (; *p != '\0' && !isBlank(*p); ++p) {
      put(*p);
    }
  }
  put('\0');

  for (;;) {
    while (isBlank(*p)) {
      ++p;
    }
    if (*p == '\0') {
      break;
    }
    start();
    bool quoted = false;
    for (;;) {
      std::size_t backslashes = 0;
      for (; *p == '\\'; ++p) {
        ++backslashes;
      }
      if (*p == '"') {
        for (std::size_t i = 0; i < backslashes / 2; ++i) {
          put('\\');
        }
        if (backslashes % 2 == 1 || (quoted && p[1] == '"')) {
          put('"');
          p += backslashes % 2 == 1 ? 1 : 2;
        } else {
          quoted = !quoted;
          ++p;
        }
        continue;
      }
      for (std::size_t i = 0; i < backslashes; ++i) {
        put('\\');
      }
      if (*p == '\0' || (!quoted && isBlank(*p))) {
        break;
      }
      put(*p++);
    }
    put('\0');
  }
  return fits ? count : -1;
}

}  // namespace tolvex_ini
