#include "tools/tolvex-setup/model/names.h"

namespace tolvex_setup {

namespace {

int lower(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'A' && u <= 'Z' ? u - 'A' + 'a' : u;
}

}  // namespace

int compareIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int difference = lower(*a) - lower(*b);
    if (difference != 0 || *a == '\0') {
      return difference;
    }
  }
}

bool equalsIgnoringCase(const char* a, const char* b) {
  return compareIgnoringCase(a, b) == 0;
}

bool isTolvexProgram(const char* name) {
  return equalsIgnoringCase(name, "Tolvex.exe") || equalsIgnoringCase(name, "tolvex-ini.exe") ||
         equalsIgnoringCase(name, "TolvexSetup.exe");
}

}  // namespace tolvex_setup
