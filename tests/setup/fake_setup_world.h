// A title folder in memory for Tolvex Setup's model: tolvex-ini's fake files (a write failure
// makes the folder read-only), and Tolvex Setup's own folder holding Tolvex.exe or not.
#ifndef TOLVEX_TESTS_SETUP_FAKE_SETUP_WORLD_H
#define TOLVEX_TESTS_SETUP_FAKE_SETUP_WORLD_H

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/tool/fake_tool_io.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_model.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

class FakeSetupWorld final : public SetupWorld {
 public:
  tolvex_commands::FakeToolIo files;  // the title folder's files by name, and the display
  std::string folder = "C:\\Games\\Intro";
  std::vector<std::string> started;
  static constexpr const char* kSetupTolvex = "C:\\Setup\\Tolvex.exe";

  tolvex_commands::ToolIo& io() override { return files; }
  bool enterFolder(const char* path, tolvex_commands::ReasonText&) override {
    folder = path;
    return true;
  }
  void currentFolder(tolvex::PathText& path) override { path.assign(folder.c_str()); }
  bool inCodePage = true;
  bool folderInCodePage() override { return inCodePage; }
  int listPrograms(FileName* names, int capacity) override {
    int count = 0;
    for (const auto& file : files.files) {
      const std::string& name = file.first;
      if (count < capacity && name.size() > 4 && name.find('\\') == std::string::npos &&
          equalsIgnoringCase(name.c_str() + name.size() - 4, ".exe")) {
        names[count++].assign(name.c_str());
      }
    }
    return count;
  }
  void besideSetup(const char* name, tolvex::PathText& path) override {
    path.assign("C:\\Setup\\");
    path.append(name);
  }
  bool copyNewFile(const char* from, const char* to, tolvex_commands::ReasonText& why) override {
    if (!files.fileExists(from) || files.fileExists(to) || files.writeFailure != nullptr) {
      why.assign("refused");
      return false;
    }
    files.files[to] = files.files[from];
    return true;
  }
  bool startProgram(const char* program, tolvex_commands::ReasonText&) override {
    started.push_back(program);
    return true;
  }
  // The shortcuts made. A program's bytes after "MZ" are its version record's ProductName and
  // InternalName, as "Product/Internal".
  std::vector<Shortcut> shortcuts;
  bool desktopFolder(tolvex::PathText& path) override {
    return path.assign("C:\\Users\\ann\\Desktop");
  }
  bool createShortcut(const Shortcut& shortcut, tolvex_commands::ReasonText&) override {
    shortcuts.push_back(shortcut);
    files.files[shortcut.file.c_str()] = {'L'};
    return true;
  }
  bool versionNames(const char* program, FileName& product, FileName& internal) override {
    static const std::vector<std::uint8_t> none;
    const auto& bytes = files.fileExists(program) ? files.files[program] : none;
    const std::string record(bytes.begin(), bytes.end());
    const std::size_t slash = record.find('/');
    return slash != std::string::npos && product.assignBytes(record.data() + 2, slash - 2) &&
           internal.assign(record.c_str() + slash + 1);
  }
};

// A program with a version record (versionNames above), and a copy of Tolvex.
inline std::vector<std::uint8_t> recorded(const std::string& names) {
  const std::string bytes = "MZ" + names;
  return {bytes.begin(), bytes.end()};
}
inline const std::vector<std::uint8_t> kTolvex = recorded("Tolvex/Tolvex");

// The names of one of the model's lists, for comparing with a row's.
inline std::vector<std::string> texts(const FileName* names, int count) {
  std::vector<std::string> all;
  for (int i = 0; i < count; ++i) {
    all.push_back(names[i].c_str());
  }
  return all;
}

// The n-th question gets answers[n] (No when they run out); one with a Cancel gets `choice`.
struct Answers final : Questions {
  std::vector<bool> answers;
  Answer choice = Answer::kCancel;
  std::vector<std::string> asked;
  bool askYesNo(const char* text) override {
    asked.push_back(text);
    const bool yes = asked.size() <= answers.size() && answers[asked.size() - 1];
    return yes;
  }
  Answer askYesNoCancel(const char* text) override {
    asked.push_back(text);
    return choice;
  }
};

}  // namespace tolvex_setup

#endif
