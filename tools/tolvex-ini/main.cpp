// tolvex-ini's entry point: the tool's logic (ini_tool.cpp) on the machine's files and display
// (SystemToolIo) and C stdio.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/commands/stdio_files.h"
#include "tools/commands/system_tool_io.h"
#include "tools/tolvex-ini/ini_tool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

class StdioConsole final : public tolvex_ini::Console {
 public:
  // A failed write to standard output is caught once, by the flush at the end of main.
  void writeOut(const char* text, std::size_t size) override {
    (void)std::fwrite(text, 1, size, stdout);
  }
  void writeErr(const char* text, std::size_t size) override {
    (void)std::fwrite(text, 1, size, stderr);
  }

  void useBinaryStreams() override {
#ifdef _WIN32
    // Text mode would turn the stored byte 0x1A into an end of file, and 0x0A into CR LF.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
  }

  long readInput(std::uint8_t* buffer, std::size_t capacity, tolvex_ini::ReasonText& why) override {
    errno = 0;
    const std::size_t got = std::fread(buffer, 1, capacity, stdin);
    if (got == 0 && std::ferror(stdin)) {
      tolvex_ini::failWithErrno(why);
      return -1;
    }
    return static_cast<long>(got);
  }

  bool writeOutput(const std::uint8_t* bytes, std::size_t size,
                   tolvex_ini::ReasonText& why) override {
    errno = 0;
    return std::fwrite(bytes, 1, size, stdout) == size ? true : tolvex_ini::failWithErrno(why);
  }
};

}  // namespace

int main(int argc, char** argv) {
  tolvex_ini::SystemToolIo io;
  StdioConsole console;
  int status = tolvex_ini::runIniTool(argc, argv, io, console);
  // A report that did not reach its reader (a full disk, a closed pipe) is a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    (void)std::fprintf(stderr, "tolvex-ini: standard output: %s\n",
                       errno != 0 ? std::strerror(errno) : "write error");
    status = tolvex_ini::kExitTrouble;
  }
  return status;
}
