// Portable: standard headers only. Never include <windows.h> here.
//
// The lead bytes of the system's ANSI code page. On a double-byte code page (932 Japanese, 936
// and 950 Chinese, 949 Korean) a character may take two bytes: a lead byte, then a second byte
// that may be any byte from 0x40 on, the backslash (0x5C) among them. Shift-JIS "ソ" is 0x83 0x5C.
// So whatever looks for a backslash, or walks back through a path, must step over a lead byte's
// second byte; walking back is only safe from the start of the text, as CharPrevA does. On a
// single-byte code page no byte leads, and every result is the byte-by-byte one.
#ifndef TOLVEX_PLATFORM_LEAD_BYTES_H
#define TOLVEX_PLATFORM_LEAD_BYTES_H

#include <cstddef>
#include <cstdint>

namespace tolvex {

class LeadBytes {
 public:
  // No byte leads: a single-byte code page.
  constexpr LeadBytes() = default;

  constexpr void add(std::uint8_t byte) { bits_[byte >> 5] |= 1U << (byte & 31U); }
  constexpr void addRange(std::uint8_t first, std::uint8_t last) {
    for (unsigned byte = first; byte <= last; ++byte) {
      add(static_cast<std::uint8_t>(byte));
    }
  }
  constexpr bool leads(char c) const {
    const auto byte = static_cast<std::uint8_t>(c);
    return (bits_[byte >> 5] & (1U << (byte & 31U))) != 0;
  }

  // The bytes of the character at text[at] within the first `length` bytes: 2 for a lead byte
  // with a byte after it, else 1 (a lead byte at the very end stands alone).
  constexpr std::size_t charLength(const char* text, std::size_t at, std::size_t length) const {
    return leads(text[at]) && at + 1 < length ? 2 : 1;
  }

  // The position of the last backslash of the first `length` bytes that is a character of its
  // own, or `length` when there is none.
  constexpr std::size_t lastBackslash(const char* text, std::size_t length) const {
    std::size_t found = length;
    for (std::size_t at = 0; at < length; at += charLength(text, at, length)) {
      if (text[at] == '\\') {
        found = at;
      }
    }
    return found;
  }

  // Whether the first `length` bytes end with a backslash of its own (not a second byte).
  constexpr bool endsWithBackslash(const char* text, std::size_t length) const {
    return length > 0 && lastBackslash(text, length) == length - 1;
  }

 private:
  std::uint32_t bits_[8] = {};
};

}  // namespace tolvex

#endif
