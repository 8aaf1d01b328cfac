// Tolvex Setup's world on Windows: files with the C runtime, folders and processes with Win32,
// and the display through Tolvex's own Win32 backend.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_WIN32_SETUP_WORLD_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_WIN32_WIN32_SETUP_WORLD_H

#include "platform/win32_platform.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

// Tolvex's own Win32 backend, but for the mode the display is in now, which a new process is
// asked for: Wine (8) keeps the mode that a process read first, and Tolvex Setup runs long
// enough to see a title switch the display and end.
class SetupPlatform final : public tolvex::Win32Platform {
 public:
  int enumDisplaySettings(std::int32_t modeNum, tolvex::DevModeA* mode) override;
};

// Tolvex Setup started with this as its whole command line writes the display's mode now (its
// DEVMODEA record) to its standard output, and ends.
constexpr char kCurrentModeOption[] = "--current-mode";
int writeCurrentMode();

// Files with the C runtime; the display through Tolvex's own Win32 backend.
class Win32ToolIo final : public tolvex_ini::ToolIo {
 public:
  void writeOut(const char*, std::size_t) override {}
  void writeErr(const char*, std::size_t) override {}
  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total, tolvex_ini::ReasonText& why) override;
  bool fileExists(const char* path) override;
  bool writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                 tolvex_ini::ReasonText& why) override;
  bool removeFile(const char* path) override;
  void useBinaryStreams() override {}
  long readInput(std::uint8_t*, std::size_t, tolvex_ini::ReasonText& why) override;
  bool writeOutput(const std::uint8_t*, std::size_t, tolvex_ini::ReasonText& why) override;
  tolvex::Platform* system() override { return &platform_; }
  bool tolvexRunning() override;

 private:
  SetupPlatform platform_;
};

class Win32SetupWorld final : public SetupWorld {
 public:
  tolvex_ini::ToolIo& io() override { return io_; }
  bool enterFolder(const char* folder, tolvex_ini::ReasonText& why) override;
  void currentFolder(tolvex::PathText& folder) override;
  int listPrograms(FileName* names, int capacity) override;
  void besideSetup(const char* name, tolvex::PathText& path) override;
  bool copyNewFile(const char* from, const char* to, tolvex_ini::ReasonText& why) override;
  bool renameFile(const char* from, const char* to, tolvex_ini::ReasonText& why) override;
  bool startProgram(const char* program, tolvex_ini::ReasonText& why) override;
  // Whether the program started last is still running.
  bool titleRunning();

 private:
  Win32ToolIo io_;
  void* started_ = nullptr;  // the process handle of the program started last
};

}  // namespace tolvex_setup

#endif
