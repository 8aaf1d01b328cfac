// A title folder in memory for Tolvex Setup's model: its files by name, a switch that makes it
// read-only, and Tolvex Setup's own folder holding Tolvex.exe or not.
#ifndef TOLVEX_TESTS_SETUP_FAKE_SETUP_WORLD_H
#define TOLVEX_TESTS_SETUP_FAKE_SETUP_WORLD_H

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

class FakeSetupWorld final : public SetupWorld {
 public:
  std::string folder = "C:\\Games\\Intro";
  std::map<std::string, std::vector<std::uint8_t>> files;
  bool readOnly = false;
  bool tolvexBesideSetup = true;
  tolvex::Platform* platform = nullptr;
  std::vector<std::string> started;

  static constexpr const char* kSetupTolvex = "C:\\Setup\\Tolvex.exe";

  void writeOut(const char*, std::size_t) override {}
  void writeErr(const char*, std::size_t) override {}
  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total, tolvex_ini::ReasonText& why) override {
    const auto file = files.find(path);
    if (file == files.end()) {
      why.assign("No such file or directory");
      return false;
    }
    total = file->second.size();
    stored = total < capacity ? total : capacity;
    std::memcpy(buffer, file->second.data(), stored);
    return true;
  }
  bool fileExists(const char* path) override {
    return files.count(path) != 0 || (tolvexBesideSetup && std::string(path) == kSetupTolvex);
  }
  bool writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                 tolvex_ini::ReasonText& why) override {
    if (readOnly) {
      why.assign("Permission denied");
      return false;
    }
    files[path].assign(bytes, bytes + size);
    return true;
  }
  bool removeFile(const char* path) override { return files.erase(path) == 1; }
  void useBinaryStreams() override {}
  long readInput(std::uint8_t*, std::size_t, tolvex_ini::ReasonText&) override { return -1; }
  bool writeOutput(const std::uint8_t*, std::size_t, tolvex_ini::ReasonText&) override {
    return false;
  }
  tolvex::Platform* system() override { return platform; }
  bool tolvexRunning() override { return false; }

  bool enterFolder(const char* path, tolvex_ini::ReasonText&) override {
    folder = path;
    return true;
  }
  void currentFolder(tolvex::PathText& path) override { path.assign(folder.c_str()); }
  int listPrograms(FileName* names, int capacity) override {
    int count = 0;
    for (const auto& file : files) {
      const std::string& name = file.first;
      if (count < capacity && name.size() > 4 &&
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
  bool copyNewFile(const char* from, const char* to, tolvex_ini::ReasonText& why) override {
    if (!fileExists(from) || fileExists(to) || readOnly) {
      why.assign("refused");
      return false;
    }
    files[to] = {'M', 'Z'};
    return true;
  }
  bool startProgram(const char* program, tolvex_ini::ReasonText&) override {
    started.push_back(program);
    return true;
  }
};

}  // namespace tolvex_setup

#endif
