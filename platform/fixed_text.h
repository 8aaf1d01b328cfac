// Portable: standard headers only. Never include <windows.h> here.
//
// FixedText<N>: zero-terminated 8-bit text in a field of N bytes (the terminating zero included).
// Every operation is all-or-nothing: when the result would not fit, the text keeps what it held,
// the call returns false and the field remembers that something did not fit (overflowed()) until
// it is assigned, formatted or cleared anew; appending to it is refused meanwhile.
// Paths are built with these fields, and a path that did not fit must never be cut into a
// different, shorter path that might exist; callers treat an overflowed path as unusable.
#ifndef TOLVEX_PLATFORM_FIXED_TEXT_H
#define TOLVEX_PLATFORM_FIXED_TEXT_H

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

// printf-style argument checks where the compiler has them (GCC, Clang); nothing elsewhere.
#if defined(__GNUC__)
#define TOLVEX_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define TOLVEX_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace tolvex {

template <std::size_t N>
class FixedText {
  static_assert(N >= 1, "a text field needs room for its terminating zero");

 public:
  static constexpr std::size_t kCapacity = N;

  FixedText() { text_[0] = '\0'; }
  explicit FixedText(const char* s) {
    text_[0] = '\0';
    assign(s);
  }

  const char* c_str() const { return text_; }
  std::size_t length() const { return std::strlen(text_); }
  bool empty() const { return text_[0] == '\0'; }
  bool overflowed() const { return overflowed_; }

  // Empties the text and forgets any earlier overflow.
  void clear() {
    text_[0] = '\0';
    overflowed_ = false;
  }

  bool assign(const char* s) { return assignBytes(s, std::strlen(s)); }

  // Copies exactly `count` bytes of `s` (which need not be terminated there).
  bool assignBytes(const char* s, std::size_t count) {
    overflowed_ = false;
    if (count >= N) {
      overflowed_ = true;
      return false;
    }
    std::memmove(text_, s, count);
    text_[count] = '\0';
    return true;
  }

  bool append(const char* s) { return appendBytes(s, std::strlen(s)); }

  // Appending to a text that already lost something is refused: the result would not be the
  // text the caller composed.
  bool appendBytes(const char* s, std::size_t count) {
    if (overflowed_) {
      return false;
    }
    const std::size_t used = length();
    if (count >= N - used) {
      overflowed_ = true;
      return false;
    }
    std::memmove(text_ + used, s, count);
    text_[used + count] = '\0';
    return true;
  }

  // Copying from another field carries its overflow along: a path made from a part that
  // did not fit is itself unusable.
  template <std::size_t M>
  bool assign(const FixedText<M>& other) {
    if (other.overflowed()) {
      overflowed_ = true;
      return false;
    }
    return assign(other.c_str());
  }

  template <std::size_t M>
  bool append(const FixedText<M>& other) {
    if (other.overflowed()) {
      overflowed_ = true;
      return false;
    }
    return append(other.c_str());
  }

  // printf-style formatting, replacing the text.
  bool format(const char* fmt, ...) TOLVEX_PRINTF_FORMAT(2, 3) {
    std::va_list args;
    va_start(args, fmt);
    const bool ok = formatAt(0, fmt, args);
    va_end(args);
    overflowed_ = !ok;
    return ok;
  }

  // printf-style formatting, appended to the text.
  bool appendFormat(const char* fmt, ...) TOLVEX_PRINTF_FORMAT(2, 3) {
    if (overflowed_) {
      return false;
    }
    std::va_list args;
    va_start(args, fmt);
    const bool ok = formatAt(length(), fmt, args);
    va_end(args);
    if (!ok) {
      overflowed_ = true;
    }
    return ok;
  }

 private:
  bool formatAt(std::size_t at, const char* fmt, std::va_list args) {
    // Formatting into a scratch field first keeps the all-or-nothing promise.
    char scratch[N];
    const int written = std::vsnprintf(scratch, N - at, fmt, args);
    if (written < 0 || static_cast<std::size_t>(written) >= N - at) {
      return false;
    }
    std::memcpy(text_ + at, scratch, static_cast<std::size_t>(written) + 1);
    return true;
  }

  char text_[N];
  bool overflowed_ = false;
};

}  // namespace tolvex

#endif
