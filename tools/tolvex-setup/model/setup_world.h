// Portable: standard headers only. Never include <windows.h> here.
//
// What Tolvex Setup needs of the machine beyond what the commands need (tools/commands): the title
// folder (kept as the process's current folder, so that the commands' relative names mean files
// in it), its programs, a copy of Tolvex, and starting the title; files and the display go
// through the commands' own ToolIo. The Win32 view supplies the real one, the unit tests a fake.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_SETUP_WORLD_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_SETUP_WORLD_H

#include "app/text_fields.h"
#include "tools/commands/tool_io.h"

namespace tolvex_setup {

using FileName = tolvex::FixedText<260>;

// A shortcut file (.lnk) as the shell makes it.
struct Shortcut {
  tolvex::PathText file;    // the .lnk's full path
  tolvex::PathText target;  // the program it starts
  tolvex::PathText folder;  // its working folder ("Start in")
  tolvex::PathText icon;    // the file its icon comes from, icon index 0
  tolvex::MessageText description;
};

// Opening such a folder (one no ANSI path reaches), or a shortcut to it, is refused with this
// line.
constexpr char kFolderNotInCodePage[] =
    "The folder's path has characters that this Windows' code page cannot hold, so Tolvex could "
    "not run from it: choose or rename a folder.";

class SetupWorld {
 public:
  // Files and the display, as the commands reach them.
  virtual tolvex_commands::ToolIo& io() = 0;
  // Makes `folder` the current folder; false, with a reason, when it cannot be.
  virtual bool enterFolder(const char* folder, tolvex_commands::ReasonText& why) = 0;
  // The current folder, in full.
  virtual void currentFolder(tolvex::PathText& folder) = 0;
  // Whether the ANSI functions, through which Tolvex reaches its files, reach the current folder:
  // by its path where the code page holds it, else by its short 8.3 form (Windows NT); false
  // where it has neither.
  virtual bool folderInCodePage() = 0;
  // The names of the current folder's files that end in ".exe" (any case), at most `capacity`;
  // returns how many were stored.
  virtual int listPrograms(FileName* names, int capacity) = 0;
  // The full path of `name` in the folder that Tolvex Setup itself was started from.
  virtual void besideSetup(const char* name, tolvex::PathText& path) = 0;
  // Copies `from` to `to`; fails, changing nothing, when `to` exists.
  virtual bool copyNewFile(const char* from, const char* to, tolvex_commands::ReasonText& why) = 0;
  // Starts `program` of the current folder with the current folder as its current folder, as
  // Explorer or a shortcut would, without waiting for it.
  virtual bool startProgram(const char* program, tolvex_commands::ReasonText& why) = 0;
  // The user's desktop folder; false when there is none.
  virtual bool desktopFolder(tolvex::PathText& folder) = 0;
  // Creates `shortcut.file`, replacing a file of that name.
  virtual bool createShortcut(const Shortcut& shortcut, tolvex_commands::ReasonText& why) = 0;
  // The ProductName and InternalName of a program's version record; false when it has none.
  virtual bool versionNames(const char* program, FileName& product, FileName& internal) = 0;

 protected:
  ~SetupWorld() = default;
};

}  // namespace tolvex_setup

#endif
