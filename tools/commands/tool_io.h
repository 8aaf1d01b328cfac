// The outside world as the commands see it: files and the display. The command line
// (tools/tolvex-ini) and Tolvex Setup supply the system's (system_tool_io.h), the unit tests an
// in-memory fake. Output is no part of it: the commands return outcomes, and each front end
// words them.
#ifndef TOLVEX_TOOLS_COMMANDS_TOOL_IO_H
#define TOLVEX_TOOLS_COMMANDS_TOOL_IO_H

#include <cstddef>
#include <cstdint>

#include "app/text_fields.h"
#include "platform/fixed_text.h"
#include "platform/platform.h"
#include "settings/settings_text.h"

namespace tolvex_commands {

// Why a file operation failed, in the system's words ("No such file or directory").
using ReasonText = tolvex::FixedText<256>;

// Where writing a file went wrong: writing the new file, reading it back, or putting it in the
// old one's place.
enum class FileStep { kNone, kWrite, kReadBack, kReplace };

struct FileTrouble {
  FileStep step = FileStep::kNone;
  bool exists = false;    // the file to be created is there already
  bool noRoom = false;    // the disk or the user's quota is full
  bool noFolder = false;  // the folder is not there (any more)
  bool denied = false;    // the folder or the disk may not be written (read-only, a CD-ROM)
  bool readOnly = false;  // ... or the file to be replaced is read-only (as copied from a CD-ROM)
  // kReadBack: the new file did not read back as written, and (when `removed`) is gone again.
  bool mismatch = false;
  bool removed = false;
  ReasonText reason;
  // Where the old file's bytes are when they are no longer at its own name: a replace that
  // moved it aside and could not move it back, or could not delete it. Empty otherwise.
  tolvex::PathText aside;
};

// The new file as it was read back before it took the old one's place: its first bytes, as
// many as Tolvex reads, and its whole length.
struct ReadBack {
  std::uint8_t head[tolvex::kSettingsReadLimit] = {};
  std::size_t stored = 0;
  std::size_t total = 0;
};

class ToolIo {
 public:
  // Reads the first `capacity` bytes of a file into `buffer` (`stored` of them) and tells the
  // file's whole length in `total`. False, with a reason, when it cannot be opened or read.
  virtual bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                            std::size_t& stored, std::size_t& total, ReasonText& why) = 0;
  // Whether `path` is there: a file, a folder or anything else of that name.
  virtual bool fileExists(const char* path) = 0;
  // Whether `path` is a folder, which is never written over.
  virtual bool isFolder(const char* path) = 0;
  // Creates `path`, which must not exist yet, with exactly these bytes, flushed to the disk.
  // A failure may leave part of the file behind (replaceFile removes it).
  virtual bool writeNewFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                            FileTrouble& trouble) = 0;
  // Renames `from` to `to` in one step, over an existing `to` only when `replace`.
  virtual bool moveFile(const char* from, const char* to, bool replace, FileTrouble& trouble) = 0;
  virtual bool removeFile(const char* path) = 0;
  // Whether moveFile can replace an existing file at all. Windows 95, 98 and ME cannot (their
  // MoveFileExA is a stub that fails): moveOver then moves the old file aside first.
  virtual bool replacesInOneStep() { return true; }

  // The system Tolvex runs on, for the commands that ask the display (check, modes, restore);
  // nullptr where there is none to ask (the Linux build).
  virtual tolvex::Platform* system() = 0;
  // Whether a copy of Tolvex holds its single-instance object now.
  virtual bool tolvexRunning() = 0;

 protected:
  ~ToolIo() = default;
};

// The ANSI code page's lead bytes, by which names and paths are walked a character at a time:
// the system's where there is one to ask, else none (the Linux build, whose names are bytes).
inline tolvex::LeadBytes codePage(ToolIo& io) {
  tolvex::LeadBytes table;
  if (tolvex::Platform* system = io.system()) {
    system->leadBytes(table);
  }
  return table;
}

// The one safe write of both front ends: the bytes go to a new file beside `path` first, which
// is read back the way Tolvex reads it (into `back`) and only then, when it holds exactly these
// bytes, takes `path`'s place in one step. Until that step succeeds `path` keeps its bytes, and
// on any failure the new file is removed. Without `replace` an existing `path` is never replaced.
bool replaceFile(ToolIo& io, const char* path, const std::uint8_t* bytes, std::size_t size,
                 bool replace, FileTrouble& trouble, ReadBack& back);

// Renames `from` to `to`, over an existing `to`: in one step where the system can; elsewhere
// the old `to` is moved aside to a free name, `from` moved in, the old file moved back if that
// fails, and only then deleted. At every moment the old bytes are at `to` or at the aside name,
// which a failure that leaves them there gives in `trouble.aside`.
bool moveOver(ToolIo& io, const char* from, const char* to, FileTrouble& trouble);

}  // namespace tolvex_commands

#endif
