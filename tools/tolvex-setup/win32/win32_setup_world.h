// Tolvex Setup's world on Windows: files and the display as tolvex-ini.exe has them
// (SystemToolIo), folders and processes with Win32.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_WIN32_SETUP_WORLD_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_WIN32_SETUP_WORLD_H

#include "tools/commands/system_tool_io.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

class Win32SetupWorld final : public SetupWorld {
 public:
  tolvex_ini::ToolIo& io() override { return io_; }
  bool enterFolder(const char* folder, tolvex_ini::ReasonText& why) override;
  void currentFolder(tolvex::PathText& folder) override;
  int listPrograms(FileName* names, int capacity) override;
  void besideSetup(const char* name, tolvex::PathText& path) override;
  bool copyNewFile(const char* from, const char* to, tolvex_ini::ReasonText& why) override;
  bool startProgram(const char* program, tolvex_ini::ReasonText& why) override;
  // win32_setup_shell.cpp: the desktop, shortcuts and version records.
  bool desktopFolder(tolvex::PathText& folder) override;
  bool createShortcut(const Shortcut& shortcut, tolvex_ini::ReasonText& why) override;
  bool versionNames(const char* program, FileName& product, FileName& internal) override;

 private:
  tolvex_ini::SystemToolIo io_;
};

}  // namespace tolvex_setup

#endif
