// tolvex-ini.exe's entry point: the tool's logic (ini_tool.cpp) on the machine's files and
// display (SystemToolIo), and the standard streams through ReadFile and WriteFile, or a console's
// own functions.
//
// Like Tolvex.exe, the program carries no C runtime, so that it runs on every Windows from
// Windows 95 and on every CPU from the 80486: Windows calls tolvexIniStart directly, the
// arguments are split here as the C runtime split them, and the process ends with ExitProcess.
#include <windows.h>

#include <cstring>

#include "platform/win32_platform.h"
#include "tools/commands/system_tool_io.h"
#include "tools/tolvex-ini/command_line.h"
#include "tools/tolvex-ini/ini_tool.h"

namespace {

using tolvex_commands::failWithLastError;

// Every byte of `size`, however many calls that takes.
bool writeAll(HANDLE handle, const void* bytes, std::size_t size) {
  const auto* at = static_cast<const char*>(bytes);
  while (size > 0) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(size < 65536 ? size : 65536);
    if (WriteFile(handle, at, chunk, &wrote, nullptr) == 0 || wrote == 0) {
      return false;
    }
    at += wrote;
    size -= wrote;
  }
  return true;
}

// A console shows text in its own characters, which are not the ANSI code page's: on Windows NT
// the ANSI text is turned into UTF-16 for WriteConsoleW (looked up where it runs: Windows 95 has
// no working one), on Windows 9x, whose console takes OEM bytes, into those. A file or a pipe
// gets the ANSI bytes as they are, which a reader of the redirected output reads in the code
// page of the system that wrote them.
class ConsoleStream {
  using WriteConsoleWFn = BOOL(WINAPI*)(HANDLE, const void*, DWORD, LPDWORD, LPVOID);

 public:
  explicit ConsoleStream(DWORD which)
      : handle_(GetStdHandle(which)),
        writeWide_(tolvex::systemFunction<WriteConsoleWFn>("kernel32.dll", "WriteConsoleW", true)) {
    DWORD mode = 0;
    console_ = GetConsoleMode(handle_, &mode) != 0;
    tolvex::ansiLeadBytes(leadBytes_);
  }
  HANDLE handle() const { return handle_; }

  // Writes `size` bytes of ANSI text. A lead byte at the end waits for its second byte, which
  // the next call brings: a character is never turned into the console's in two halves.
  bool write(const char* text, std::size_t size) {
    if (!console_) {
      return writeAll(handle_, text, size);
    }
    for (std::size_t done = 0; done < size;) {
      std::size_t used = held_ ? 1 : 0;
      piece_[0] = held_ ? heldByte_ : piece_[0];
      held_ = false;
      const std::size_t take =
          size - done < sizeof piece_ - used ? size - done : sizeof piece_ - used;
      std::memcpy(piece_ + used, text + done, take);
      used += take;
      done += take;
      std::size_t whole = 0;
      while (whole < used && !(leadBytes_.leads(piece_[whole]) && whole + 1 == used)) {
        whole += leadBytes_.charLength(piece_, whole, used);
      }
      if (whole < used) {
        held_ = true;
        heldByte_ = piece_[whole];
      }
      if (!show(piece_, whole)) {
        return false;
      }
    }
    return true;
  }

  // A lead byte left at the end goes out alone.
  bool flush() {
    const bool wrote = !held_ || show(&heldByte_, 1);
    held_ = false;
    return wrote;
  }

 private:
  bool show(const char* text, std::size_t size) {
    if (size == 0) {
      return true;
    }
    if (writeWide_ == nullptr) {
      char oem[sizeof piece_];
      CharToOemBuffA(text, oem, static_cast<DWORD>(size));
      return writeAll(handle_, oem, size);
    }
    WCHAR wide[sizeof piece_];
    const int count = MultiByteToWideChar(CP_ACP, 0, text, static_cast<int>(size), wide,
                                          static_cast<int>(sizeof piece_));
    DWORD wrote = 0;
    return count > 0 && writeWide_(handle_, wide, static_cast<DWORD>(count), &wrote, nullptr) != 0;
  }

  HANDLE handle_;
  WriteConsoleWFn writeWide_;
  bool console_ = false;
  tolvex::LeadBytes leadBytes_;
  char piece_[512] = {};
  bool held_ = false;
  char heldByte_ = 0;
};

// The longest command line Windows gives is 32767 characters: its arguments, with a zero after
// each, fit twice that, and there are fewer of them than characters. As Windows NT holds them,
// in UTF-8, they take up to three bytes a character.
constexpr int kMaxArguments = 32768 / 2;
char gArgumentText[65536];
const char* gArguments[kMaxArguments];
int gArgumentCount = 0;
char gHeldLine[3 * 32768];
char gHeldText[3 * 65536];
const char* gHeld[kMaxArguments];

// The arguments as Windows NT holds them, split by the same rules (in UTF-8 no byte of a
// character is an ASCII one), kept only where there are as many as in ANSI: a look-alike can
// turn a character into a quote or a blank ("＂" into '"'), and then no argument is known.
bool splitHeldArguments() {
  using CommandLineW = LPWSTR(WINAPI*)();
  const auto commandLineW =
      tolvex::systemFunction<CommandLineW>("kernel32.dll", "GetCommandLineW", true);
  return commandLineW != nullptr &&
         WideCharToMultiByte(CP_UTF8, 0, commandLineW(), -1, gHeldLine, sizeof gHeldLine, nullptr,
                             nullptr) != 0 &&
         tolvex_ini::splitCommandLine(gHeldLine, tolvex::LeadBytes(), gHeldText, sizeof gHeldText,
                                      gHeld, kMaxArguments) == gArgumentCount;
}

class Win32Console final : public tolvex_ini::Console {
 public:
  // A failed write to standard output is told once, at the end (finish()).
  void writeOut(const char* text, std::size_t size) override {
    if (!writeText(out_, text, size, !binary_) && outError_ == 0) {
      outError_ = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    }
  }
  void writeErr(const char* text, std::size_t size) override {
    (void)writeText(err_, text, size, true);
  }
  bool showsCharacters(tolvex::LeadBytes& leadBytes) override {
    tolvex::ansiLeadBytes(leadBytes);
    return true;
  }

  const char* heldForm(const char* argument) override {
    for (int i = 0; held_ && i < gArgumentCount; ++i) {
      const std::size_t length = std::strlen(gArguments[i]);
      if (argument < gArguments[i] || argument > gArguments[i] + length) {
        continue;
      }
      // The same offset in both forms, where what comes before it is ASCII.
      const auto offset = static_cast<std::size_t>(argument - gArguments[i]);
      for (std::size_t at = 0; at < offset; ++at) {
        if (static_cast<unsigned char>(gArguments[i][at]) >= 0x80) {
          return nullptr;
        }
      }
      return gHeld[i] + offset;
    }
    return nullptr;
  }

  void holdArguments(bool held) { held_ = held; }

  // The streams are bytes from here on; until then report lines end in CR LF on standard
  // output as the C runtime's text mode wrote them.
  void useBinaryStreams() override { binary_ = true; }

  long readInput(std::uint8_t* buffer, std::size_t capacity, tolvex_ini::ReasonText& why) override {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(capacity < 65536 ? capacity : 65536);
    if (ReadFile(in_, buffer, chunk, &got, nullptr) == 0) {
      // A pipe whose writer has gone is the end of the input.
      if (GetLastError() == ERROR_BROKEN_PIPE) {
        return 0;
      }
      (void)failWithLastError(why);
      return -1;
    }
    return static_cast<long>(got);
  }

  bool writeOutput(const std::uint8_t* bytes, std::size_t size,
                   tolvex_ini::ReasonText& why) override {
    return writeAll(out_.handle(), bytes, size) ? true : failWithLastError(why);
  }

  // A report that did not reach its reader (a full disk, a closed pipe) is a failure too.
  int finish(int status) {
    (void)err_.flush();
    if (!out_.flush() && outError_ == 0) {
      outError_ = GetLastError() != 0 ? GetLastError() : ERROR_WRITE_FAULT;
    }
    if (outError_ == 0) {
      return status;
    }
    tolvex_ini::ReasonText why;
    SetLastError(outError_);
    (void)failWithLastError(why);
    tolvex::FixedText<sizeof why + 64> line;
    line.format("tolvex-ini: standard output: %s\n", why.c_str());
    writeErr(line.c_str(), line.length());
    return tolvex_ini::kExitTrouble;
  }

 private:
  static bool writeText(ConsoleStream& stream, const char* text, std::size_t size, bool crlf) {
    if (!crlf) {
      return stream.write(text, size);
    }
    char piece[512];
    std::size_t used = 0;
    for (std::size_t i = 0; i < size; ++i) {
      if (used + 2 > sizeof piece) {
        if (!stream.write(piece, used)) {
          return false;
        }
        used = 0;
      }
      if (text[i] == '\n') {
        piece[used++] = '\r';
      }
      piece[used++] = text[i];
    }
    return stream.write(piece, used);
  }

  HANDLE in_ = GetStdHandle(STD_INPUT_HANDLE);
  ConsoleStream out_{STD_OUTPUT_HANDLE};
  ConsoleStream err_{STD_ERROR_HANDLE};
  DWORD outError_ = 0;
  bool binary_ = false;
  bool held_ = false;
};

}  // namespace

extern "C" [[noreturn]] void tolvexIniStart() {
  tolvex_commands::SystemToolIo io;
  Win32Console console;
  tolvex::LeadBytes leadBytes;
  tolvex::ansiLeadBytes(leadBytes);
  const int count = tolvex_ini::splitCommandLine(GetCommandLineA(), leadBytes, gArgumentText,
                                                 sizeof gArgumentText, gArguments, kMaxArguments);
  gArgumentCount = count;
  console.holdArguments(count > 0 && splitHeldArguments());
  int status = tolvex_ini::kExitTrouble;
  if (count < 0) {
    constexpr char kTooLong[] = "tolvex-ini: the command line is too long\n";
    console.writeErr(kTooLong, sizeof kTooLong - 1);
  } else {
    status = console.finish(tolvex_ini::runIniTool(count, gArguments, io, console));
  }
  ExitProcess(static_cast<UINT>(status));
}
