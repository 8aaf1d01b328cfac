// libFuzzer target over the whole settings reader: the pure steps (decodeSettings,
// scanSettings, judgeSettings) and RunContext::readSettings on a platform that serves the input
// as the settings file.
//
// Input layout:
//   byte 0, bits 0-1  where the file can be opened: 0 "Tolvex.ini"; 1 only beside the program;
//                     2 both (the one beside the program holds other, valid settings);
//                     3 nowhere
//   byte 0, bits 2-3  the shape of argument 0 (see argumentZero)
//   byte 0, bits 4-7  and byte 1: a length 0 to 4095 used by that shape, so that programDir,
//                     baseName and programDir + name reach and pass their capacities
//   the rest          the stored bytes of the file
//
// Besides ASan and UBSan, every run checks what the reader promises: a result of 1, 0 or -1;
// texts terminated within their fields; accepted values from their lists; an application path
// that starts with programDir; a message box exactly for a rejection; nothing else in the
// record changed; and that the scan counts and converts exactly as the C library's
// sscanf("%d %d %d %d %s") does wherever that is defined.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/messages.h"
#include "app/run_context.h"
#include "settings/settings_text.h"

namespace {

using tolvex::DevModeA;
using tolvex::Handle;
using tolvex::ProcessInformation;
using tolvex::SecurityAttributes;
using tolvex::StartupInfoA;
using tolvex::WindowHandle;

[[noreturn]] void fail(const char* what, const std::string& detail = std::string()) {
  std::fprintf(stderr, "settings_fuzzer: invariant broken: %s %s\n", what, detail.c_str());
  std::abort();
}

#define CHECK(condition, ...)          \
  do {                                 \
    if (!(condition)) {                \
      fail(#condition, ##__VA_ARGS__); \
    }                                  \
  } while (false)

// The platform the reader sees: one or two files, a stored display mode for the constructor,
// message boxes recorded. Anything else the reader has no business calling.
class ServedFilePlatform final : public tolvex::Platform {
 public:
  std::string firstName;
  std::string secondName;
  const std::uint8_t* firstBytes = nullptr;
  std::size_t firstSize = 0;
  bool firstOpens = false;
  const std::uint8_t* secondBytes = nullptr;
  std::size_t secondSize = 0;
  bool secondOpens = false;

  int reads = 0;
  std::string readPaths[4];
  int boxes = 0;
  std::string boxText;
  std::string boxCaption;

  int enumDisplaySettings(std::int32_t modeNum, DevModeA* mode) override {
    CHECK(modeNum == tolvex::kEnumRegistrySettings);
    std::memset(mode, 0xA5, sizeof *mode);
    return 1;
  }
  long readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) override {
    CHECK(path != nullptr);
    CHECK(capacity == tolvex::kSettingsReadLimit, std::to_string(capacity));
    CHECK(std::strlen(path) < tolvex::kPathCapacity);
    CHECK(reads < 4);
    readPaths[reads++] = path;
    const std::uint8_t* bytes = nullptr;
    std::size_t size = 0;
    if (firstOpens && firstName == path) {
      bytes = firstBytes;
      size = firstSize;
    } else if (secondOpens && secondName == path) {
      bytes = secondBytes;
      size = secondSize;
    } else {
      return -1;
    }
    const std::size_t count = size < capacity ? size : capacity;
    if (count > 0) {
      std::memcpy(buffer, bytes, count);  // ASan sees a buffer smaller than `capacity`
    }
    return static_cast<long>(count);
  }
  int messageBox(WindowHandle owner, const char* text, const char* caption,
                 std::uint32_t type) override {
    CHECK(owner == nullptr);
    CHECK(type == tolvex::kMbOk);
    ++boxes;
    boxText = text;
    boxCaption = caption;
    return 1;
  }

  void leadBytes(tolvex::LeadBytes&) override {}  // a single-byte code page
  long ansiPath(const char*, bool, char*, std::size_t) override { unexpected(); }
  int messageBoxUnicode(WindowHandle, const char*, const char*, std::uint32_t) override {
    unexpected();
  }

  std::int32_t changeDisplaySettings(DevModeA*, std::uint32_t) override { unexpected(); }
  Handle createMutex(SecurityAttributes*, bool, const char*) override { unexpected(); }
  std::uint32_t getLastError() override { unexpected(); }
  int createProcess(const char*, bool, std::uint32_t, StartupInfoA*, ProcessInformation*) override {
    unexpected();
  }
  std::uint32_t waitForSingleObject(Handle, std::uint32_t) override { unexpected(); }
  int closeHandle(Handle) override { unexpected(); }
  std::uint32_t getConsoleTitle(char*, std::uint32_t) override { unexpected(); }
  int setConsoleTitle(const char*) override { unexpected(); }
  std::uint32_t getTickCount() override { unexpected(); }
  std::uint32_t getCurrentProcessId() override { unexpected(); }
  void sleep(std::uint32_t) override { unexpected(); }
  std::uint32_t getConsoleProcessCount() override { unexpected(); }
  bool getConsoleWindow(WindowHandle*) override { unexpected(); }
  bool getVersion(std::uint32_t*, std::uint32_t*) override { unexpected(); }
  std::uint32_t getEnvironmentVariable(const char*, char*, std::uint32_t) override { unexpected(); }
  int setEnvironmentVariable(const char*, const char*) override { unexpected(); }
  WindowHandle findWindow(const char*, const char*) override { unexpected(); }
  int showWindow(WindowHandle, int) override { unexpected(); }

 private:
  [[noreturn]] static void unexpected() { fail("the settings reader called an unrelated service"); }
};

// Argument 0 in four shapes, `length` bytes of filler each.
std::string argumentZero(unsigned shape, std::size_t length) {
  switch (shape) {
    case 0:  // a deep folder: programDir is length + 4 bytes
      return "D:\\" + std::string(length, 'd') + "\\Intro.exe";
    case 1:  // a long program name in the current folder
      return std::string(length, 'n') + ".exe";
    case 2: {  // folders, dots and spaces mixed
      std::string arg = "C:\\My Shows.v2\\";
      for (std::size_t i = 0; i < length; ++i) {
        arg += i % 7 == 6 ? '\\' : i % 5 == 4 ? '.' : static_cast<char>('a' + i % 26);
      }
      return arg;
    }
    default:  // a folder only: baseName is empty, the second name is programDir + ".ini"
      return "\\\\server\\share\\" + std::string(length, 's') + "\\";
  }
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// sscanf's %d is undefined for a number beyond the range of int; compare only texts where no
// run of digits has more than nine significant ones.
bool numbersAreSmall(const char* text) {
  int significant = 0;
  bool inRun = false;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') {
      if (!inRun) {
        inRun = true;
        significant = 0;
      }
      if (significant > 0 || *p != '0') {
        if (++significant > 9) {
          return false;
        }
      }
    } else {
      inRun = false;
    }
  }
  return true;
}

void checkScanAgainstCLibrary(const char* text, const tolvex::SettingsScan& scan) {
  if (!numbersAreSmall(text)) {
    return;
  }
  int numbers[4] = {0, 0, 0, 0};
  // The decoded text holds at most 999 bytes, so no name can overflow this buffer.
  char name[tolvex::kSettingsReadLimit + 1] = "";
  const int count =
      std::sscanf(text, "%d %d %d %d %s", &numbers[0], &numbers[1], &numbers[2], &numbers[3], name);
  CHECK(count == scan.count, std::to_string(count) + " vs " + std::to_string(scan.count));
  const std::int32_t ours[4] = {scan.depth, scan.width, scan.height, scan.strictFlag};
  for (int i = 0; i < 4 && i < count; ++i) {
    CHECK(numbers[i] == ours[i], std::to_string(i));
  }
  if (count == 5) {
    const std::size_t length = std::strlen(name);
    CHECK(scan.nameTooLong == (length > 255));
    CHECK(std::strncmp(name, scan.name.c_str(), 255) == 0);
    CHECK(scan.name.length() == (length > 255 ? 255 : length));
  } else {
    CHECK(scan.name.empty() && !scan.nameTooLong);
  }
}

bool isListedWidth(std::int32_t width) {
  return width == 640 || width == 800 || width == 832 || width == 1024 || width == 1152 ||
         width == 1280 || width == 1600;
}

template <std::size_t N>
void checkTerminated(const tolvex::FixedText<N>& field, const char* which) {
  CHECK(std::memchr(field.c_str(), '\0', N) != nullptr, which);
}

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Everything in the record that reading the settings must leave alone.
struct Untouched {
  ProcessInformation processInfo;
  StartupInfoA startupInfo;
  DevModeA workingMode;
  DevModeA savedMode;
  WindowHandle consoleWindow;
  std::string programDir;
  std::string baseName;
  bool storedModeChanged;
  bool consoleHidden;

  explicit Untouched(const tolvex::RunContext& run)
      : processInfo(run.processInfo),
        startupInfo(run.startupInfo),
        workingMode(run.workingMode),
        savedMode(run.savedMode),
        consoleWindow(run.consoleWindow),
        programDir(run.programDir.c_str()),
        baseName(run.baseName.c_str()),
        storedModeChanged(run.storedModeChanged),
        consoleHidden(run.consoleHidden) {}

  void check(const tolvex::RunContext& run) const {
    CHECK(std::memcmp(&processInfo, &run.processInfo, sizeof processInfo) == 0);
    CHECK(std::memcmp(&startupInfo, &run.startupInfo, sizeof startupInfo) == 0);
    CHECK(std::memcmp(&workingMode, &run.workingMode, sizeof workingMode) == 0);
    CHECK(std::memcmp(&savedMode, &run.savedMode, sizeof savedMode) == 0);
    CHECK(consoleWindow == run.consoleWindow);
    CHECK(programDir == run.programDir.c_str());
    CHECK(baseName == run.baseName.c_str());
    CHECK(storedModeChanged == run.storedModeChanged);
    CHECK(consoleHidden == run.consoleHidden);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const unsigned header0 = size > 0 ? data[0] : 0;
  const unsigned header1 = size > 1 ? data[1] : 0;
  const std::uint8_t* file = size > 2 ? data + 2 : data + size;
  const std::size_t fileSize = size > 2 ? size - 2 : 0;
  const unsigned where = header0 & 3;
  const unsigned shape = (header0 >> 2) & 3;
  const std::size_t length = ((header0 >> 4) << 8) | header1;

  // ---- the pure steps ----
  tolvex::DecodedSettings text;
  tolvex::decodeSettings(file, fileSize, text);
  checkTerminated(text, "decoded text");
  CHECK(text.length() <= tolvex::kSettingsReadLimit);
  CHECK(text.length() <= fileSize);
  for (std::size_t i = 0; i < text.length(); ++i) {
    const char expected = static_cast<char>(~file[i] & 0xFF);
    CHECK(text.c_str()[i] == (expected == ',' ? ' ' : expected));
  }
  CHECK(text.length() == fileSize || text.length() == tolvex::kSettingsReadLimit ||
        file[text.length()] == 0xFF);
  const tolvex::SettingsScan scan = tolvex::scanSettings(text.c_str());
  CHECK(scan.count >= -1 && scan.count <= 5);
  checkTerminated(scan.name, "scanned name");
  checkScanAgainstCLibrary(text.c_str(), scan);

  // ---- the reader on a platform ----
  static const std::uint8_t kOther[] = {0xC7, 0xD3, 0xC9, 0xCB, 0xCF, 0xD3, 0xCB, 0xC7,
                                        0xCF, 0xD3, 0xCF, 0xD3, 0x90, 0x8B, 0x97, 0x9A,
                                        0x8D, 0xD1, 0x9A, 0x87, 0x9A};  // "8,640,480,0,other.exe"
  ServedFilePlatform platform;
  const std::string argument0 = argumentZero(shape, length);
  auto* run = new tolvex::RunContext(platform, argument0.c_str());
  const Untouched untouched(*run);
  const std::string defaultApp = run->appPath.c_str();
  const bool dirFits = !run->programDir.overflowed();
  const bool secondFits =
      dirFits && !run->baseName.overflowed() &&
      run->programDir.length() + run->baseName.length() + 4 < tolvex::kPathCapacity;
  platform.firstName = tolvex::kSettingsFileName;
  platform.secondName = std::string(run->programDir.c_str()) + run->baseName.c_str() + ".ini";
  if (where == 0 || where == 2) {
    platform.firstOpens = true;
    platform.firstBytes = file;
    platform.firstSize = fileSize;
  }
  if (where == 1) {
    platform.secondOpens = true;
    platform.secondBytes = file;
    platform.secondSize = fileSize;
  } else if (where == 2) {
    platform.secondOpens = true;
    platform.secondBytes = kOther;
    platform.secondSize = sizeof kOther;
  }

  const int result = run->readSettings(tolvex::kSettingsFileName);

  CHECK(result == -1 || result == 0 || result == 1, std::to_string(result));
  checkTerminated(run->programDir, "programDir");
  checkTerminated(run->settingsPath, "settingsPath");
  checkTerminated(run->baseName, "baseName");
  checkTerminated(run->appPath, "appPath");
  checkTerminated(run->messageText, "messageText");
  untouched.check(*run);

  // Which files were opened: the second name only when the first cannot be opened.
  CHECK(platform.reads >= 1 && platform.readPaths[0] == tolvex::kSettingsFileName);
  // The input is the file read: "Tolvex.ini" (where 0 and 2), or the one beside the program.
  const bool fileRead = where == 0 || where == 2 || (where == 1 && secondFits);
  if (where == 1 || where == 3) {
    CHECK(platform.reads == (secondFits ? 2 : 1), std::to_string(platform.reads));
    if (secondFits) {
      CHECK(platform.readPaths[1] == platform.secondName);
      CHECK(platform.secondName == run->settingsPath.c_str());
    }
  } else {
    CHECK(platform.reads == 1, "the first file hides the second");
  }

  // Accepted values come from their lists; the defaults stay otherwise.
  CHECK(run->depth == 8 || run->depth == 16 || run->depth == 32, std::to_string(run->depth));
  CHECK(isListedWidth(run->width), std::to_string(run->width));
  CHECK(run->strictFlag == 0 || run->strictFlag == 1);

  // The application path: programDir + a whole name of 5 to 255 non-blank bytes, or unchanged.
  const std::string appPath = run->appPath.c_str();
  const std::string programDir = run->programDir.c_str();
  if (result == 1) {
    CHECK(dirFits);
    CHECK(appPath.compare(0, programDir.size(), programDir) == 0);
    const std::string name = appPath.substr(programDir.size());
    CHECK(name.size() >= 5 && name.size() <= 255, std::to_string(name.size()));
    for (char c : name) {
      CHECK(!isBlank(c) && c != '\0');
    }
  } else {
    CHECK(appPath == defaultApp);
  }

  // A message box exactly for a rejection, showing messageText under the one caption.
  CHECK(platform.boxes == (result == -1 ? 1 : 0));
  const std::string message = run->messageText.c_str();
  if (result == -1) {
    CHECK(platform.boxCaption == tolvex::kCaptionBadSettings);
    CHECK(platform.boxText == message);
  }

  if (!fileRead || fileSize == 0) {
    CHECK(result == 0 && message.empty());
    CHECK(run->depth == 16 && run->width == 800 && run->height == 600 && run->strictFlag == 1);
  } else {
    // The record must say what the pure steps say.
    tolvex::SettingsVerdict verdict;
    tolvex::judgeSettings(scan, run->programDir, verdict);
    CHECK(result == verdict.result);
    CHECK(message == verdict.message.c_str());
    char summary[128];
    std::snprintf(summary, sizeof summary, "%d bits per pixel, %d width x %d height",
                  static_cast<int>(scan.depth), static_cast<int>(scan.width),
                  static_cast<int>(scan.height));
    CHECK(message.compare(0, std::strlen(summary), summary) == 0, message);
    if (result == -1) {
      CHECK(endsWith(message, std::string("\r\r") + tolvex::rejectionExplanation(verdict.rejected)),
            message);
    } else {
      CHECK(endsWith(message, "\r\r"));
      CHECK(run->depth == (scan.count >= 1 ? (scan.depth == 24 ? 32 : scan.depth) : 16));
      CHECK(run->width == (scan.count >= 2 ? scan.width : 800));
      CHECK(run->height == (scan.count >= 3 ? scan.height : 600));
      CHECK(run->strictFlag == (scan.count >= 4 ? scan.strictFlag : 1));
      CHECK(result == (scan.count == 5 ? 1 : 0));
      if (result == 1) {
        CHECK(appPath == programDir + scan.name.c_str());
      }
    }
  }

  delete run;
  return 0;
}
