// The outside world as tolvex-ini sees it, and the exit statuses of its commands. main() supplies
// C stdio and the system's display, the unit tests an in-memory fake, and a front end that shows
// the output itself a ToolIo that captures it.
#ifndef TOLVEX_TOOLS_COMMANDS_TOOL_IO_H
#define TOLVEX_TOOLS_COMMANDS_TOOL_IO_H

#include <cstddef>
#include <cstdint>

#include "platform/fixed_text.h"
#include "platform/platform.h"

namespace tolvex_ini {

// Exit statuses.
constexpr int kExitOk = 0;       // written, or Tolvex accepts the file
constexpr int kExitRefused = 1;  // a value or file Tolvex would reject or ignore; a file kept
constexpr int kExitTrouble = 2;  // usage, input or output errors

// Why a file operation failed, for the error line ("No such file or directory").
using ReasonText = tolvex::FixedText<256>;

// The outside world as the tool sees it: main() supplies C stdio, the tests a fake.
class ToolIo {
 public:
  // Text for the user, on standard output and standard error.
  virtual void writeOut(const char* text, std::size_t size) = 0;
  virtual void writeErr(const char* text, std::size_t size) = 0;

  // Reads the first `capacity` bytes of a file into `buffer` (`stored` of them) and tells the
  // file's whole length in `total`. False, with a reason, when it cannot be opened or read.
  virtual bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                            std::size_t& stored, std::size_t& total, ReasonText& why) = 0;
  virtual bool fileExists(const char* path) = 0;
  // Creates or replaces a file with exactly these bytes.
  virtual bool writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                         ReasonText& why) = 0;
  virtual bool removeFile(const char* path) = 0;

  // Standard input and output as raw bytes, for encode and decode; called only after
  // useBinaryStreams(). readInput: bytes read, 0 at the end, -1 on an error.
  virtual void useBinaryStreams() = 0;
  virtual long readInput(std::uint8_t* buffer, std::size_t capacity, ReasonText& why) = 0;
  virtual bool writeOutput(const std::uint8_t* bytes, std::size_t size, ReasonText& why) = 0;

  // The system Tolvex runs on, for the commands that ask the display (check, modes, restore);
  // nullptr where there is none to ask (the Linux build).
  virtual tolvex::Platform* system() = 0;
  // Whether a copy of Tolvex holds its single-instance object now.
  virtual bool tolvexRunning() = 0;

 protected:
  ~ToolIo() = default;
};

}  // namespace tolvex_ini

#endif
