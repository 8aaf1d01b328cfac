// tolvex-ini: writes settings files for Tolvex and explains what Tolvex does with one.
//
// The logic lives here, apart from main(), so that it can be run against an in-memory world in
// the unit tests. The commands themselves are tools/commands' operations; this front end reads
// their requests from the command line and words their outcomes, in text that scripts may rely
// on.
#ifndef TOLVEX_TOOLS_TOLVEX_INI_INI_TOOL_H
#define TOLVEX_TOOLS_TOLVEX_INI_INI_TOOL_H

#include <cstddef>
#include <cstdint>

#include "platform/lead_bytes.h"
#include "tools/commands/tool_io.h"

namespace tolvex_ini {

// The command library's requests, outcomes and files are this front end's vocabulary.
using namespace tolvex_commands;

// Exit statuses.
constexpr int kExitOk = 0;       // written, or Tolvex accepts the file
constexpr int kExitRefused = 1;  // a value or file Tolvex would reject or ignore; a file kept
constexpr int kExitTrouble = 2;  // usage, input or output errors

// The standard streams: text for the user, and raw bytes for encode and decode.
class Console {
 public:
  virtual void writeOut(const char* text, std::size_t size) = 0;
  virtual void writeErr(const char* text, std::size_t size) = 0;
  // Standard input and output as raw bytes; called only after useBinaryStreams(). readInput:
  // bytes read, 0 at the end, -1 on an error.
  virtual void useBinaryStreams() = 0;
  virtual long readInput(std::uint8_t* buffer, std::size_t capacity, ReasonText& why) = 0;
  virtual bool writeOutput(const std::uint8_t* bytes, std::size_t size, ReasonText& why) = 0;
  // Whether the text written here is read in the ANSI code page, whose lead bytes it then
  // gives: names are then printed as their characters (tolvex-ini.exe's console, file or pipe).
  // Elsewhere (the Linux build, the tests) they are printed escaped, byte for byte as always.
  virtual bool showsCharacters(tolvex::LeadBytes& /*leadBytes*/) { return false; }
  // `argument` (one of the arguments, or a point in one after an ASCII start) as Windows NT holds
  // it, in UTF-8: its ANSI form may have lost characters, and name another file. nullptr where
  // it is held in ANSI (Windows 9x, Linux, the tests) or is not known.
  virtual const char* heldForm(const char* /*argument*/) { return nullptr; }

 protected:
  ~Console() = default;
};

// The whole program: argv[0] is ignored (messages always say "tolvex-ini"). Returns the exit
// status.
int runIniTool(int argc, const char* const* argv, ToolIo& io, Console& console);

}  // namespace tolvex_ini

#endif
