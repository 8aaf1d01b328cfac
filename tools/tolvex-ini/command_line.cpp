#include "tools/tolvex-ini/command_line.h"

namespace tolvex_ini {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Where the arguments go: their bytes, each zero-terminated, and their starts. What does not fit
// is dropped, and remembered.
class Arguments {
 public:
  Arguments(char* text, std::size_t capacity, const char** argv, int maxArguments)
      : text_(text), capacity_(capacity), argv_(argv), maxArguments_(maxArguments) {}

  void start() {
    if (count_ < maxArguments_ && at_ < capacity_) {
      argv_[count_++] = text_ + at_;
    } else {
      fits_ = false;
    }
  }
  void put(char c) {
    if (at_ < capacity_) {
      text_[at_++] = c;
    } else {
      fits_ = false;
    }
  }
  void putBackslashes(std::size_t count) {
    for (; count > 0; --count) {
      put('\\');
    }
  }
  // The character at `p`, one byte or a lead byte and the byte after it; returns what follows.
  const char* putCharacter(const char* p, const tolvex::LeadBytes& leadBytes) {
    if (leadBytes.leads(*p) && p[1] != '\0') {
      put(*p++);
    }
    put(*p++);
    return p;
  }
  int count() const { return fits_ ? count_ : -1; }

 private:
  char* text_;
  std::size_t capacity_;
  const char** argv_;
  int maxArguments_;
  std::size_t at_ = 0;
  int count_ = 0;
  bool fits_ = true;
};

// Argument 0 as msvcrt.dll took it: up to its closing quote, or to the first blank, with no
// backslash rules. Returns what follows it.
const char* programName(const char* p, const tolvex::LeadBytes& leadBytes, Arguments& out) {
  out.start();
  const bool quoted = *p == '"';
  p += quoted ? 1 : 0;
  while (*p != '\0' && (quoted ? *p != '"' : !isBlank(*p))) {
    p = out.putCharacter(p, leadBytes);
  }
  p += quoted && *p == '"' ? 1 : 0;
  out.put('\0');
  return p;
}

// One argument from `p`, which is no blank; returns what follows it.
const char* nextArgument(const char* p, const tolvex::LeadBytes& leadBytes, Arguments& out) {
  out.start();
  bool quoted = false;
  for (;;) {
    std::size_t backslashes = 0;
    for (; *p == '\\'; ++p) {
      ++backslashes;
    }
    if (*p == '"') {
      out.putBackslashes(backslashes / 2);
      if (backslashes % 2 == 1) {
        out.put('"');
      } else {
        // Within quotes, a quote right after the closing one is kept, and the quoted part has
        // ended all the same (the C runtimes from 2008 on stay within quotes here).
        if (quoted && p[1] == '"') {
          out.put('"');
          ++p;
        }
        quoted = !quoted;
      }
      ++p;
      continue;
    }
    out.putBackslashes(backslashes);
    if (*p == '\0' || (!quoted && isBlank(*p))) {
      break;
    }
    p = out.putCharacter(p, leadBytes);
  }
  out.put('\0');
  return p;
}

}  // namespace

int splitCommandLine(const char* line, const tolvex::LeadBytes& leadBytes, char* text,
                     std::size_t capacity, const char** argv, int maxArguments) {
  Arguments out(text, capacity, argv, maxArguments);
  const char* p = programName(line, leadBytes, out);
  for (;;) {
    while (isBlank(*p)) {
      ++p;
    }
    if (*p == '\0') {
      break;
    }
    p = nextArgument(p, leadBytes, out);
  }
  return out.count();
}

}  // namespace tolvex_ini
