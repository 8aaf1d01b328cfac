// An in-memory world for tolvex-ini: files by name, standard streams as strings, and switches
// that make the disk misbehave.
#ifndef TOLVEX_TESTS_TOOL_FAKE_TOOL_IO_H
#define TOLVEX_TESTS_TOOL_FAKE_TOOL_IO_H

#include <cstring>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

#include "tools/tolvex-ini/ini_tool.h"

namespace tolvex_ini {

class FakeToolIo final : public ToolIo {
 public:
  std::map<std::string, std::vector<std::uint8_t>> files;
  // Every writeFile fails with this reason when set.
  const char* writeFailure = nullptr;
  // Changes what reaches the disk, after a write that reported success.
  std::function<void(std::vector<std::uint8_t>&)> damageWrite;
  std::vector<std::uint8_t> input;
  bool inputFails = false;
  bool outputFails = false;

  std::string out;
  std::string err;
  std::vector<std::uint8_t> output;
  bool binaryStreams = false;
  int writes = 0;

  void writeOut(const char* text, std::size_t size) override { out.append(text, size); }
  void writeErr(const char* text, std::size_t size) override { err.append(text, size); }

  bool readFileHead(const char* path, std::uint8_t* buffer, std::size_t capacity,
                    std::size_t& stored, std::size_t& total, ReasonText& why) override {
    const auto file = files.find(path);
    if (file == files.end()) {
      why.assign("No such file or directory");
      return false;
    }
    total = file->second.size();
    stored = total < capacity ? total : capacity;
    if (stored > 0) {
      std::memcpy(buffer, file->second.data(), stored);
    }
    return true;
  }
  bool fileExists(const char* path) override { return files.count(path) != 0; }
  bool writeFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                 ReasonText& why) override {
    ++writes;
    if (writeFailure != nullptr) {
      why.assign(writeFailure);
      return false;
    }
    std::vector<std::uint8_t> written(bytes, bytes + size);
    if (damageWrite) {
      damageWrite(written);
    }
    files[path] = written;
    return true;
  }
  bool removeFile(const char* path) override { return files.erase(path) == 1; }

  void useBinaryStreams() override { binaryStreams = true; }
  long readInput(std::uint8_t* buffer, std::size_t capacity, ReasonText& why) override {
    if (inputFails) {
      why.assign("Input/output error");
      return -1;
    }
    const std::size_t n =
        input.size() - inputRead_ < capacity ? input.size() - inputRead_ : capacity;
    if (n > 0) {
      std::memcpy(buffer, input.data() + inputRead_, n);
    }
    inputRead_ += n;
    return static_cast<long>(n);
  }
  bool writeOutput(const std::uint8_t* bytes, std::size_t size, ReasonText& why) override {
    if (outputFails) {
      why.assign("No space left on device");
      return false;
    }
    output.insert(output.end(), bytes, bytes + size);
    return true;
  }

  // The system for check, modes and restore: none unless a test gives one.
  tolvex::Platform* platform = nullptr;
  bool otherCopyRunning = false;
  tolvex::Platform* system() override { return platform; }
  bool tolvexRunning() override { return otherCopyRunning; }

  // Runs the tool with these arguments after the program name.
  int run(std::initializer_list<const char*> args) {
    return run(std::vector<std::string>(args.begin(), args.end()));
  }
  int run(const std::vector<std::string>& args) {
    out.clear();
    err.clear();
    std::vector<const char*> argv{"tolvex-ini"};
    for (const std::string& a : args) {
      argv.push_back(a.c_str());
    }
    return runIniTool(static_cast<int>(argv.size()), argv.data(), *this);
  }

 private:
  std::size_t inputRead_ = 0;
};

// The stored form of a text (each byte complemented), and back.
inline std::vector<std::uint8_t> complemented(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  for (unsigned char c : text) {
    bytes.push_back(static_cast<std::uint8_t>(~c & 0xFF));
  }
  return bytes;
}

inline std::string decoded(const std::vector<std::uint8_t>& bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    text.push_back(static_cast<char>(~b & 0xFF));
  }
  return text;
}

// The rest of the line of show's report that starts with `label` (padded to 13 columns), or
// "<missing>".
inline std::string reportLine(const std::string& report, const std::string& label) {
  std::string padded = label;
  padded.resize(13, ' ');
  std::size_t at = report.compare(0, padded.size(), padded) == 0 ? 0 : report.find("\n" + padded);
  if (at == std::string::npos) {
    return "<missing>";
  }
  at += at == 0 ? padded.size() : padded.size() + 1;
  return report.substr(at, report.find('\n', at) - at);
}

}  // namespace tolvex_ini

#endif
