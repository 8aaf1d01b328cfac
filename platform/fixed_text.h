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
#include <cstring>
#include <type_traits>

// printf-style argument checks where the compiler has them (GCC, Clang); nothing elsewhere. The
// text fields' own formatting is checked at build time instead (CheckedFormat below).
#if defined(__GNUC__)
#define TOLVEX_PRINTF_FORMAT(formatIndex, firstArgument) \
  __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define TOLVEX_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

namespace tolvex {

// The formatting behind FixedText: %d and %i (a signed decimal int), %u (unsigned decimal), %x
// and %X (unsigned hexadecimal), each with an optional l for a long, %s (a zero-terminated text)
// and %%; a width may come before any but %%, with a - flag (padded on the right) or a 0 flag
// (numbers padded with zeros). No precisions: that is all the program's texts need, and the
// program carries no C library formatting code of its own. Writes the bytes that fall within
// `capacity` (no terminating zero) and returns the length of the whole formatted text, or
// kFormatRefused for any other conversion or a null text.
constexpr std::size_t kFormatRefused = static_cast<std::size_t>(-1);

// One conversion directive (flags, width, length and conversion), as far as formatInto and
// CheckedFormat read it: `next` is the character after it, and `kind` the argument it takes ('d'
// int, 'D' long, 'u' unsigned int, 'U' unsigned long, 's' text, '%' none, 0 for a directive neither
// knows).
struct FormatDirective {
  const char* next = nullptr;
  char kind = 0;
  char conversion = 0;
  bool left = false;
  bool zeros = false;
  std::size_t width = 0;
};

constexpr FormatDirective readFormatSpec(const char* p) {
  FormatDirective directive;
  while (*p == '-' || *p == '0') {
    (*p == '-' ? directive.left : directive.zeros) = true;
    ++p;
  }
  while (*p >= '0' && *p <= '9' && directive.width < 1000) {
    directive.width = directive.width * 10 + static_cast<std::size_t>(*p++ - '0');
  }
  const bool isLong = *p == 'l';
  if (isLong) {
    ++p;
  }
  directive.conversion = *p;
  directive.next = *p == '\0' ? p : p + 1;
  const bool plain = !isLong && !directive.left && !directive.zeros && directive.width == 0;
  switch (*p) {
    case 'd':
    case 'i':
      directive.kind = isLong ? 'D' : 'd';
      break;
    case 'u':
    case 'x':
    case 'X':
      directive.kind = isLong ? 'U' : 'u';
      break;
    case 's':
      directive.kind = isLong || directive.zeros ? 0 : 's';
      break;
    case '%':
      directive.kind = plain ? '%' : 0;
      break;
    default:
      break;
  }
  return directive;
}

// The digits of `magnitude` in the directive's base, made from the end of `digits` (the longest
// is an unsigned long's 64 bits in decimal); returns where they start.
inline const char* numberDigits(unsigned long magnitude, char conversion, char (&digits)[24]) {
  const bool hex = conversion == 'x' || conversion == 'X';
  const char* figures = conversion == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
  const unsigned long base = hex ? 16UL : 10UL;
  std::size_t count = sizeof digits;
  do {
    digits[--count] = figures[magnitude % base];
    magnitude /= base;
  } while (magnitude != 0UL);
  return digits + count;
}

// One converted field: its `size` bytes of `text`, after a minus sign when `negative`, padded to
// the directive's width with blanks on either side or, for a number, zeros after the sign.
template <typename Put>
void putField(Put& put, const FormatDirective& directive, const char* text, std::size_t size,
              bool negative) {
  const std::size_t used = size + (negative ? 1 : 0);
  std::size_t padding = directive.width > used ? directive.width - used : 0;
  const bool zeros = directive.zeros && !directive.left && directive.kind != 's';
  for (; !directive.left && !zeros && padding > 0; --padding) {
    put(' ');
  }
  if (negative) {
    put('-');
  }
  for (; zeros && padding > 0; --padding) {
    put('0');
  }
  for (std::size_t i = 0; i < size; ++i) {
    put(text[i]);
  }
  for (; padding > 0; --padding) {
    put(' ');
  }
}

// formatInto's work, each byte handed to `emit` in order: for text that goes on elsewhere
// rather than into one field. Returns the length, or kFormatRefused where it stopped.
template <typename Emit>
// NOLINTNEXTLINE(readability-non-const-parameter): va_arg advances the list
std::size_t formatWith(Emit&& emit, const char* fmt, std::va_list args) {
  std::size_t length = 0;
  const auto put = [&](char c) {
    emit(c);
    ++length;
  };
  for (const char* p = fmt; *p != '\0'; ++p) {
    if (*p != '%') {
      put(*p);
      continue;
    }
    const FormatDirective directive = readFormatSpec(p + 1);
    p = directive.next - 1;
    if (directive.kind == '%') {
      put('%');
      continue;
    }
    char digits[24];
    const char* text = nullptr;
    std::size_t size = 0;
    bool negative = false;
    if (directive.kind == 's') {
      text = va_arg(args, const char*);
      if (text == nullptr) {
        return kFormatRefused;
      }
      size = std::strlen(text);
    } else if (directive.kind == 'd' || directive.kind == 'D') {
      const long value = directive.kind == 'd' ? va_arg(args, int) : va_arg(args, long);
      // The magnitude as unsigned, so that the most negative value has one too.
      negative = value < 0;
      const unsigned long magnitude = static_cast<unsigned long>(value);
      text = numberDigits(negative ? 0UL - magnitude : magnitude, directive.conversion, digits);
      size = static_cast<std::size_t>(digits + sizeof digits - text);
    } else if (directive.kind != 0) {
      const unsigned long magnitude =
          directive.kind == 'u' ? va_arg(args, unsigned) : va_arg(args, unsigned long);
      text = numberDigits(magnitude, directive.conversion, digits);
      size = static_cast<std::size_t>(digits + sizeof digits - text);
    } else {
      return kFormatRefused;
    }
    putField(put, directive, text, size, negative);
  }
  return length;
}

// NOLINTNEXTLINE(readability-non-const-parameter): va_arg advances the list
inline std::size_t formatInto(char* out, std::size_t capacity, const char* fmt, std::va_list args) {
  std::size_t at = 0;
  return formatWith(
      [&](char c) {
        if (at < capacity) {
          out[at] = c;
        }
        ++at;
      },
      fmt, args);
}

// Never defined, and not constexpr: a format that does not fit its arguments reaches this call
// while the compiler evaluates CheckedFormat's constructor, which stops the build there.
void formatDoesNotFitItsArguments();

// The kind of argument a conversion takes that an argument of type T fills, as readFormatSpec
// names them: 'd' for an int once promoted, 'u' for an unsigned int once promoted, 'D' and 'U'
// for long and unsigned long, 's' for a text, '?' for anything else (long long, a pointer to
// anything but char, ...).
template <typename T>
constexpr char conversionFor() {
  if constexpr (std::is_integral_v<T>) {
    using Promoted = std::common_type_t<T, int>;
    if constexpr (std::is_same_v<Promoted, int>) {
      return 'd';
    } else if constexpr (std::is_same_v<Promoted, unsigned>) {
      return 'u';
    } else if constexpr (std::is_same_v<Promoted, long>) {
      return 'D';
    } else if constexpr (std::is_same_v<Promoted, unsigned long>) {
      return 'U';
    } else {
      return '?';
    }
  } else if constexpr (std::is_pointer_v<T> &&
                       std::is_same_v<std::remove_cv_t<std::remove_pointer_t<T>>, char>) {
    return 's';
  } else {
    return '?';
  }
}

// A format for FixedText, checked where the call is compiled: a constant text whose conversions
// are formatInto's, one for each argument in order, each of the argument's kind. Any other
// conversion (%c, %lld, %.3s, a lone % at the end) or a wrong count or kind does not compile.
template <typename... Args>
class CheckedFormat {
 public:
  template <typename Text>
  requires std::is_convertible_v<const Text&, const char*>
  // Not explicit: made from the format at each call.
  // cppcheck-suppress noExplicitConstructor
  consteval CheckedFormat(const Text& text) : text_(text) {
    if (!fits(text_)) {
      formatDoesNotFitItsArguments();
    }
  }

  const char* c_str() const { return text_; }

  static constexpr bool fits(const char* text) {
    constexpr char kWanted[] = {conversionFor<Args>()..., '\0'};
    std::size_t used = 0;
    for (const char* p = text; *p != '\0'; ++p) {
      if (*p != '%') {
        continue;
      }
      const FormatDirective directive = readFormatSpec(p + 1);
      p = directive.next - 1;
      if (directive.kind == '%') {
        continue;
      }
      if (directive.kind == 0 || used == sizeof...(Args) || kWanted[used] != directive.kind) {
        return false;
      }
      ++used;
    }
    return used == sizeof...(Args);
  }

 private:
  const char* text_;
};

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

  // Empties the text and marks it as one that did not fit: a piece of something that could not
  // be read whole.
  void markOverflowed() {
    text_[0] = '\0';
    overflowed_ = true;
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

  // Formatting with formatInto's conversions (%d, %i, %u, %x, %X, %s, %%), replacing the text; the
  // format is checked against the arguments at build time (CheckedFormat). A null text is refused
  // like a text that does not fit.
  template <typename... Args>
  bool format(CheckedFormat<std::type_identity_t<Args>...> fmt, Args... args) {
    const bool ok = formatAtWith(0, fmt.c_str(), args...);
    overflowed_ = !ok;
    return ok;
  }

  // The same, appended to the text.
  template <typename... Args>
  bool appendFormat(CheckedFormat<std::type_identity_t<Args>...> fmt, Args... args) {
    if (overflowed_) {
      return false;
    }
    const bool ok = formatAtWith(length(), fmt.c_str(), args...);
    if (!ok) {
      overflowed_ = true;
    }
    return ok;
  }

 private:
  // Only ever called with a format that CheckedFormat has matched to the arguments.
  bool formatAtWith(std::size_t at, const char* fmt, ...) {
    std::va_list args;
    va_start(args, fmt);
    const bool ok = formatAt(at, fmt, args);
    va_end(args);
    return ok;
  }

  bool formatAt(std::size_t at, const char* fmt, std::va_list args) {
    // Measured first, written only when it fits: the all-or-nothing promise.
    std::va_list measuring;
    va_copy(measuring, args);
    const std::size_t needed = formatInto(nullptr, 0, fmt, measuring);
    va_end(measuring);
    if (needed == kFormatRefused || needed >= N - at) {
      return false;
    }
    formatInto(text_ + at, needed, fmt, args);
    text_[at + needed] = '\0';
    return true;
  }

  char text_[N];
  bool overflowed_ = false;
};

}  // namespace tolvex

#endif
