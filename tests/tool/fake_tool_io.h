// An in-memory world for the commands and tolvex-ini: files by name, standard streams as
// strings, a display when a test gives one, and switches that make the disk misbehave.
#ifndef TOLVEX_TESTS_TOOL_FAKE_TOOL_IO_H
#define TOLVEX_TESTS_TOOL_FAKE_TOOL_IO_H

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/fake_platform.h"
#include "tools/commands/operations.h"
#include "tools/tolvex-ini/cli_text.h"
#include "tools/tolvex-ini/ini_tool.h"

namespace tolvex_commands {

using Bytes = std::vector<std::uint8_t>;
using tolvex::storedSettings;  // the stored form of a text, and (complemented again) back

inline std::string decoded(const Bytes& bytes) {
  const Bytes text = storedSettings(std::string(bytes.begin(), bytes.end()));
  return std::string(text.begin(), text.end());
}

class FakeToolIo final : public ToolIo, public tolvex_ini::Console {
 public:
  std::map<std::string, Bytes> files;
  // Every new file fails with this reason when set, after `writtenBeforeFailure` bytes.
  const char* writeFailure = nullptr;
  std::size_t writtenBeforeFailure = 0;
  bool noRoom = false;  // ... and these say why
  bool noFolder = false;
  bool denied = false;
  // Changes what reaches the disk, after a write that reported success.
  std::function<void(Bytes&)> damageWrite;
  tolvex::Platform* platform = nullptr;  // the display; none unless a test gives one
  bool otherCopyRunning = false;
  int writes = 0;
  // Windows 95, 98 and ME: no move over an existing file. The moves counted from 1 in
  // `failingMoves` fail, and so does removing the file named `undeletable`.
  bool nineX = false;
  std::vector<int> failingMoves;
  int moves = 0;
  std::string undeletable;
  std::string readOnly;  // a file that NT refuses to replace

  Bytes input;
  bool inputFails = false;
  bool outputFails = false;
  std::string out;
  std::string err;
  Bytes output;
  bool binaryStreams = false;
  // Names printed as characters of this code page, as tolvex-ini.exe prints them.
  bool characters = false;
  tolvex::LeadBytes codePage;

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
  bool isFolder(const char*) override { return false; }
  bool writeNewFile(const char* path, const std::uint8_t* bytes, std::size_t size,
                    FileTrouble& trouble) override {
    ++writes;
    trouble.exists = files.count(path) != 0;
    if (trouble.exists || writeFailure != nullptr) {
      if (!trouble.exists) {
        files[path] = Bytes(bytes, bytes + writtenBeforeFailure);
        trouble.noRoom = noRoom;
        trouble.noFolder = noFolder;
        trouble.denied = denied;
      }
      trouble.reason.assign(trouble.exists ? "File exists" : writeFailure);
      return false;
    }
    files[path] = Bytes(bytes, bytes + size);
    if (damageWrite) {
      damageWrite(files[path]);
    }
    return true;
  }
  bool moveFile(const char* from, const char* to, bool replace, FileTrouble& trouble) override {
    ++moves;
    if (std::count(failingMoves.begin(), failingMoves.end(), moves) != 0 || (nineX && replace)) {
      trouble.reason.assign("Sharing violation");
      return false;
    }
    if (!replace && files.count(to) != 0) {
      trouble.exists = true;
      trouble.reason.assign("File exists");
      return false;
    }
    if (replace && to == readOnly) {
      trouble.denied = trouble.readOnly = true;
      trouble.reason.assign("Access is denied");
      return false;
    }
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool removeFile(const char* path) override {
    return path != undeletable && files.erase(path) == 1;
  }
  bool replacesInOneStep() override { return !nineX; }
  tolvex::Platform* system() override { return platform; }
  bool tolvexRunning() override { return otherCopyRunning; }

  void writeOut(const char* text, std::size_t size) override { out.append(text, size); }
  void writeErr(const char* text, std::size_t size) override { err.append(text, size); }
  void useBinaryStreams() override { binaryStreams = true; }
  bool showsCharacters(tolvex::LeadBytes& leadBytes) override {
    leadBytes = codePage;
    return characters;
  }
  long readInput(std::uint8_t* buffer, std::size_t capacity, ReasonText& why) override {
    if (inputFails) {
      why.assign("Input/output error");
      return -1;
    }
    const std::size_t n = std::min(input.size() - inputRead_, capacity);
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

  // Runs the tool with these arguments after the program name.
  int run(const std::vector<std::string>& args) {
    out.clear();
    err.clear();
    std::vector<const char*> argv{"tolvex-ini"};
    for (const std::string& a : args) {
      argv.push_back(a.c_str());
    }
    return tolvex_ini::runIniTool(static_cast<int>(argv.size()), argv.data(), *this, *this);
  }

 private:
  std::size_t inputRead_ = 0;
};

// A report read back as rows: each label starts one, whose value runs to the next label.
class Report final : public TextOut {
 public:
  std::vector<std::pair<std::string, std::string>> rows;
  void bytes(const char* s, std::size_t n) override {
    for (std::size_t i = 0; i < n && !rows.empty(); ++i) {
      if (s[i] != '\n') {
        rows.back().second += s[i];
      }
    }
  }
  void label(const char* name) override { rows.emplace_back(name, ""); }
};

// The value of the report's first row with this label, or "<missing>".
inline std::string rowOf(const Report& report, const std::string& label) {
  for (const auto& row : report.rows) {
    if (label == row.first) {
      return row.second;
    }
  }
  return "<missing>";
}

// show's and check's reports as rows.
inline Report shownRows(const char* path, const ShowOutcome& shown) {
  Report rows;
  printShown(rows, path, shown);
  return rows;
}
inline Report checkRows(const CheckRequest& request, const CheckOutcome& checked) {
  Report rows;
  tolvex_ini::printCheck(rows, request, checked);
  return rows;
}

}  // namespace tolvex_commands

#endif
