// The machine's own files and display, for both front ends: C stdio and POSIX calls on Linux,
// Win32 and Tolvex's own Win32 backend on Windows (system_tool_io_posix.cpp,
// system_tool_io_win32.cpp).
#ifndef TOLVEX_TOOLS_COMMANDS_SYSTEM_TOOL_IO_H
#define TOLVEX_TOOLS_COMMANDS_SYSTEM_TOOL_IO_H

#include "tools/commands/tool_io.h"

#ifdef _WIN32
#include "platform/win32_platform.h"
#endif

namespace tolvex_commands {

class SystemToolIo final : public ToolIo {
 public:
  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total, ReasonText& why) override;
  bool fileExists(const char* path) override;
  bool isFolder(const char* path) override;
  bool writeNewFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                    FileTrouble& trouble) override;
  bool moveFile(const char* from, const char* to, bool replace, FileTrouble& trouble) override;
  bool removeFile(const char* path) override;
#ifdef _WIN32
  bool replacesInOneStep() override;
#endif
  tolvex::Platform* system() override;
  bool tolvexRunning() override;

 private:
#ifdef _WIN32
  tolvex::Win32Platform platform_;
#endif
};

#ifdef _WIN32
// The system's text for GetLastError(), without its closing full stop and line break; returns
// false.
bool failWithLastError(ReasonText& why);
#endif

}  // namespace tolvex_commands

#endif
