// Portable: standard headers only. Never include <windows.h> here.
//
// Runs one of tolvex-ini's commands for the dialog: the very code of `tolvex-ini write`, `show`,
// `check` and `restore`, with what it prints kept as text instead of written to a console.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_REPORT_IO_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_REPORT_IO_H

#include <cstddef>
#include <cstdint>

#include "settings/settings_text.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

using ReportText = tolvex::FixedText<16384>;
using Command = int (*)(int argc, const char* const* argv, tolvex_ini::ToolIo& io);

// Everything goes to the world, but standard output and standard error, which are kept. In a
// sandbox no file is touched: nothing exists yet, and what is written is kept in memory and
// read back from there, so that `write` judges the values without writing anything.
class ReportIo final : public tolvex_ini::ToolIo {
 public:
  ReportIo(SetupWorld& world, bool sandbox) : world_(world.io()), sandbox_(sandbox) {}

  ReportText out;
  ReportText err;

  // Runs `command` with these arguments (after the command's name); returns its exit status.
  int run(Command command, int argc, const char* const* argv);

  void writeOut(const char* text, std::size_t size) override { out.appendBytes(text, size); }
  void writeErr(const char* text, std::size_t size) override { err.appendBytes(text, size); }
  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total, tolvex_ini::ReasonText& why) override;
  bool fileExists(const char* path) override;
  bool writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                 tolvex_ini::ReasonText& why) override;
  bool removeFile(const char* path) override;
  void useBinaryStreams() override {}
  long readInput(std::uint8_t*, std::size_t, tolvex_ini::ReasonText& why) override;
  bool writeOutput(const std::uint8_t*, std::size_t, tolvex_ini::ReasonText& why) override;
  tolvex::Platform* system() override { return world_.system(); }
  bool tolvexRunning() override { return world_.tolvexRunning(); }

 private:
  tolvex_ini::ToolIo& world_;
  bool sandbox_;
  std::uint8_t kept_[tolvex::kSettingsReadLimit] = {};
  std::size_t keptSize_ = 0;
  bool hasKept_ = false;
};

// A command's error text for a message box: without the "tolvex-ini: " that starts its lines.
void withoutProgramName(const char* text, tolvex::MessageText& message);

}  // namespace tolvex_setup

#endif
