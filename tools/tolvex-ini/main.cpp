// tolvex-ini's entry point: the tool's logic (ini_tool.cpp) on C stdio.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/commands/stdio_files.h"
#include "tools/tolvex-ini/ini_tool.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "app/run_context.h"
#include "platform/win32_platform.h"
#endif

namespace {

class StdioToolIo final : public tolvex_ini::ToolIo {
 public:
  // A failed write to standard output is caught once, by the flush at the end of main.
  void writeOut(const char* text, std::size_t size) override {
    (void)std::fwrite(text, 1, size, stdout);
  }
  void writeErr(const char* text, std::size_t size) override {
    (void)std::fwrite(text, 1, size, stderr);
  }

  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total, tolvex_ini::ReasonText& why) override {
    return tolvex_ini::readFileHeadStdio(path, buffer, capacity, stored, total, why);
  }

  bool fileExists(const char* path) override {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
      return errno != ENOENT;  // anything but "not there" may be a file we must not replace
    }
    (void)std::fclose(file);  // only opened
    return true;
  }

  bool writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                 tolvex_ini::ReasonText& why) override {
    errno = 0;
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
      return fail(why);
    }
    const bool written = std::fwrite(bytes, 1, size, file) == size;
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) {
      errno = savedErrno;
    }
    return written && closed ? true : fail(why);
  }

  bool removeFile(const char* path) override { return std::remove(path) == 0; }

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
      fail(why);
      return -1;
    }
    return static_cast<long>(got);
  }

  bool writeOutput(const std::uint8_t* bytes, std::size_t size,
                   tolvex_ini::ReasonText& why) override {
    errno = 0;
    if (std::fwrite(bytes, 1, size, stdout) != size) {
      return fail(why);
    }
    return true;
  }

#ifdef _WIN32
  tolvex::Platform* system() override {
    return &platform_;
  }
  bool tolvexRunning() override {
    return platform_.mutexExists(tolvex::kMutexName);
  }
#else
  tolvex::Platform* system() override {
    return nullptr;
  }
  bool tolvexRunning() override {
    return false;
  }
#endif

 private:
#ifdef _WIN32
  tolvex::Win32Platform platform_;
#endif

  static bool fail(tolvex_ini::ReasonText& why) {
    return tolvex_ini::failWithErrno(why);
  }
};

}  // namespace

int main(int argc, char** argv) {
  StdioToolIo io;
  int status = tolvex_ini::runIniTool(argc, argv, io);
  // A report that did not reach its reader (a full disk, a closed pipe) is a failure too.
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    (void)std::fprintf(stderr, "tolvex-ini: standard output: %s\n",
                       errno != 0 ? std::strerror(errno) : "write error");
    status = tolvex_ini::kExitTrouble;
  }
  return status;
}
