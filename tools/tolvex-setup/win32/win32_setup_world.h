// Tolvex Setup's world on Windows: files and the display as tolvex-ini.exe has them
// (SystemToolIo), folders and processes with Win32.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_WIN32_SETUP_WORLD_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_WIN32_SETUP_WORLD_H

#include "tools/commands/system_tool_io.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

// Tolvex's own Win32 backend, but for the mode the display is in now, which a new process is
// asked for: Wine (8) keeps the mode that a process read first, and Tolvex Setup runs long
// enough to see a title switch the display and end. That is one question in each step of the
// dialog (newStep()): a query later in the same step, Restore display's after its own switch
// back, is answered by this process, which made that switch; so a new process that never
// answers holds the window for one question's time limit, not two. And Tolvex's message boxes (a
// switch that Try this mode asked for and the display refused) belong to Setup's window, which is
// disabled while one is up: nothing in it can be pressed from under the box.
class SetupPlatform final : public tolvex::Win32Platform {
 public:
  int enumDisplaySettings(std::int32_t modeNum, tolvex::DevModeA* mode) override;
  int messageBox(tolvex::WindowHandle owner, const char* text, const char* caption,
                 std::uint32_t type) override {
    return Win32Platform::messageBox(owner != nullptr ? owner : boxOwner, text, caption, type);
  }
  tolvex::WindowHandle boxOwner = nullptr;
  void newStep() { asked_ = false; }

 private:
  bool asked_ = false;
};

// Tolvex Setup started with this as its whole command line writes the display's mode now (its
// DEVMODEA record) to its standard output, and ends.
constexpr char kCurrentModeOption[] = "--current-mode";
int writeCurrentMode();

// The machine's files as both front ends reach them, and the display through SetupPlatform.
class SetupToolIo final : public tolvex_commands::ToolIo {
 public:
  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total,
                    tolvex_commands::ReasonText& why) override {
    return files_.readFileHead(path, buffer, capacity, stored, total, why);
  }
  bool fileExists(const char* path) override { return files_.fileExists(path); }
  bool isFolder(const char* path) override { return files_.isFolder(path); }
  bool writeNewFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                    tolvex_commands::FileTrouble& trouble) override {
    return files_.writeNewFile(path, bytes, size, trouble);
  }
  bool moveFile(const char* from, const char* to, bool replace,
                tolvex_commands::FileTrouble& trouble) override {
    return files_.moveFile(from, to, replace, trouble);
  }
  bool removeFile(const char* path) override { return files_.removeFile(path); }
  bool replacesInOneStep() override { return files_.replacesInOneStep(); }
  tolvex::Platform* system() override { return &platform_; }
  bool tolvexRunning() override { return files_.tolvexRunning(); }
  SetupPlatform& platform() { return platform_; }

 private:
  tolvex_commands::SystemToolIo files_;
  SetupPlatform platform_;
};

class Win32SetupWorld final : public SetupWorld {
 public:
  tolvex_commands::ToolIo& io() override { return io_; }
  bool enterFolder(const char* folder, tolvex_commands::ReasonText& why) override;
  void currentFolder(tolvex::PathText& folder) override;
  bool folderInCodePage() override;
  int listPrograms(FileName* names, int capacity) override;
  void besideSetup(const char* name, tolvex::PathText& path) override;
  bool copyNewFile(const char* from, const char* to, tolvex_commands::ReasonText& why) override;
  bool startProgram(const char* program, tolvex_commands::ReasonText& why) override;
  // win32_setup_shell.cpp: the desktop, shortcuts and version records.
  bool desktopFolder(tolvex::PathText& folder) override;
  bool createShortcut(const Shortcut& shortcut, tolvex_commands::ReasonText& why) override;
  bool versionNames(const char* program, FileName& product, FileName& internal) override;
  // Whether the program started last is still running.
  bool titleRunning();
  // The window that owns the boxes shown by Tolvex's own code.
  void ownBoxes(void* window) { io_.platform().boxOwner = window; }
  // A step of the dialog begins (SetupPlatform).
  void newStep() { io_.platform().newStep(); }

 private:
  SetupToolIo io_;
  void* started_ = nullptr;  // the process handle of the program started last
};

}  // namespace tolvex_setup

#endif
