#include "tests/fake_platform.h"

#include <cstdio>
#include <cstring>

namespace tolvex {

namespace {

std::string show(const char* text) {
  return text == nullptr ? "null" : std::string(text);
}

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%X", value);
  return buffer;
}

// Handles the fake hands out: the n-th started process is 0x1000 + n.
Handle processHandle(int n) {
  return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(0x1000 + n));
}

std::string showHandle(Handle handle) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (value > 0x1000 && value < 0x2000) {
    return "process" + std::to_string(value - 0x1000);
  }
  if (handle == FakePlatform::consoleWindowHandle()) {
    return "console";
  }
  if (handle == FakePlatform::otherWindowHandle()) {
    return "other";
  }
  return handle == nullptr ? "null" : "?";
}

}  // namespace

FakePlatform::FakePlatform() {
  std::memset(&currentMode, 0, sizeof currentMode);
  std::memset(&storedMode, 0, sizeof storedMode);
  std::strcpy(storedMode.dmDeviceName, "\\\\.\\DISPLAY1");
  storedMode.dmSize = sizeof(DevModeA);
  storedMode.dmFields = 0x5C0000;  // depth, width, height and frequency
  storedMode.dmBitsPerPel = 32;
  storedMode.dmPelsWidth = 1280;
  storedMode.dmPelsHeight = 1024;
  storedMode.dmDisplayFrequency = 60;
}

WindowHandle FakePlatform::consoleWindowHandle() {
  return reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(0xC0DE));
}

WindowHandle FakePlatform::otherWindowHandle() {
  return reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(0x0DD));
}

std::vector<std::string> FakePlatform::callsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& call : calls) {
    if (call.compare(0, prefix.size(), prefix) == 0) {
      found.push_back(call);
    }
  }
  return found;
}

int FakePlatform::enumDisplaySettings(std::int32_t modeNum, DevModeA* mode) {
  calls.push_back("EnumDisplaySettingsA(" + std::to_string(modeNum) + ")");
  if (!enumSucceeds) {
    return 0;
  }
  if (modeNum >= 0) {
    if (static_cast<std::size_t>(modeNum) >= listedModes.size()) {
      return 0;
    }
    *mode = listedModes[static_cast<std::size_t>(modeNum)];
    return 1;
  }
  *mode = modeNum == kEnumCurrentSettings && switched ? currentMode : storedMode;
  return 1;
}

std::int32_t FakePlatform::changeDisplaySettings(DevModeA* mode, std::uint32_t flags) {
  if (mode == nullptr) {
    calls.push_back("ChangeDisplaySettingsA(null, " + std::to_string(flags) + ")");
    const std::int32_t result = changeResults.empty() ? 0 : changeResults.front();
    if (!changeResults.empty()) {
      changeResults.pop_front();
    }
    switched = switched && result != 0;
    return result;
  }
  calls.push_back("ChangeDisplaySettingsA(fields=" + hex(mode->dmFields) + " bpp=" +
                  std::to_string(mode->dmBitsPerPel) + " " + std::to_string(mode->dmPelsWidth) +
                  "x" + std::to_string(mode->dmPelsHeight) + ", " + std::to_string(flags) + ")");
  changedModes.push_back(*mode);
  changeFlags.push_back(flags);
  if (changeResults.empty()) {
    return 0;
  }
  const std::int32_t result = changeResults.front();
  changeResults.pop_front();
  return result;
}

Handle FakePlatform::createMutex(SecurityAttributes* attributes, bool initialOwner,
                                 const char* name) {
  calls.push_back("CreateMutexA(length=" + std::to_string(attributes->nLength) +
                  " descriptor=" + (attributes->lpSecurityDescriptor ? "set" : "null") +
                  " inherit=" + std::to_string(attributes->bInheritHandle) +
                  ", owner=" + std::to_string(initialOwner) + ", " + show(name) + ")");
  return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(0x77));
}

std::uint32_t FakePlatform::getLastError() {
  calls.push_back("GetLastError");
  return lastError;
}

int FakePlatform::createProcess(const char* applicationName, bool inheritHandles,
                                std::uint32_t creationFlags, StartupInfoA* startupInfo,
                                ProcessInformation* processInfo) {
  calls.push_back("CreateProcessA(" + show(applicationName) +
                  ", inherit=" + std::to_string(inheritHandles) + ", flags=" + hex(creationFlags) +
                  ", cb=" + std::to_string(startupInfo->cb) + ")");
  if (applicationName == nullptr || startable.count(applicationName) == 0) {
    return 0;
  }
  ++processesStarted_;
  processInfo->hProcess = processHandle(processesStarted_);
  processInfo->hThread = reinterpret_cast<Handle>(static_cast<std::uintptr_t>(0x3000));
  processInfo->dwProcessId = 9000;
  processInfo->dwThreadId = 9001;
  return 1;
}

std::uint32_t FakePlatform::waitForSingleObject(Handle handle, std::uint32_t milliseconds) {
  calls.push_back(
      "WaitForSingleObject(" + showHandle(handle) + ", " +
      (milliseconds == kInfinite ? std::string("INFINITE") : std::to_string(milliseconds)) + ")");
  return 0;
}

int FakePlatform::closeHandle(Handle handle) {
  calls.push_back("CloseHandle(" + showHandle(handle) + ")");
  return 1;
}

std::uint32_t FakePlatform::getConsoleTitle(char* title, std::uint32_t size) {
  calls.push_back("GetConsoleTitleA(" + std::to_string(size) + ")");
  if (!titleReadable || size == 0) {
    // What an unreadable title leaves behind is undefined: make it visible garbage.
    std::memset(title, '#', size);
    return 0;
  }
  std::strncpy(title, consoleTitle.c_str(), size);
  title[size - 1] = '\0';
  return static_cast<std::uint32_t>(consoleTitle.size() < size ? consoleTitle.size() : size - 1);
}

int FakePlatform::setConsoleTitle(const char* title) {
  calls.push_back("SetConsoleTitleA(" + show(title) + ")");
  titlesSet.push_back(show(title));
  consoleTitle = show(title);
  return 1;
}

std::uint32_t FakePlatform::getTickCount() {
  calls.push_back("GetTickCount");
  return tickCount;
}

std::uint32_t FakePlatform::getCurrentProcessId() {
  calls.push_back("GetCurrentProcessId");
  return processId;
}

void FakePlatform::sleep(std::uint32_t milliseconds) {
  calls.push_back("Sleep(" + std::to_string(milliseconds) + ")");
}

std::uint32_t FakePlatform::getConsoleProcessCount() {
  calls.push_back("GetConsoleProcessList");
  return consoleProcessCount;
}

bool FakePlatform::getConsoleWindow(WindowHandle* window) {
  calls.push_back("GetConsoleWindow");
  *window = hasGetConsoleWindow ? ownConsoleWindow : nullptr;
  return hasGetConsoleWindow;
}

WindowHandle FakePlatform::findWindow(const char* className, const char* windowName) {
  calls.push_back("FindWindowA(" + show(className) + ", " + show(windowName) + ")");
  if (hasConsoleWindow && windowName != nullptr && consoleTitle == windowName) {
    return consoleWindowHandle();
  }
  return nullptr;
}

int FakePlatform::showWindow(WindowHandle window, int command) {
  calls.push_back("ShowWindow(" + showHandle(window) + ", " + std::to_string(command) + ")");
  return 1;
}

int FakePlatform::messageBox(WindowHandle owner, const char* text, const char* caption,
                             std::uint32_t type) {
  calls.push_back("MessageBoxA(" + showHandle(owner) + ", " + show(caption) + ", " +
                  std::to_string(type) + ")");
  boxes.push_back({show(text), show(caption)});
  if (whileBoxUp) {
    whileBoxUp();
  }
  return 1;
}

bool FakePlatform::getVersion(std::uint32_t* major, std::uint32_t* minor) {
  calls.push_back("GetVersionExA");
  *major = versionMajor;
  *minor = versionMinor;
  return true;
}

std::uint32_t FakePlatform::getEnvironmentVariable(const char* name, char* buffer,
                                                   std::uint32_t size) {
  calls.push_back("GetEnvironmentVariableA(" + show(name) + ", " + std::to_string(size) + ")");
  const auto found = environment.find(show(name));
  if (found == environment.end()) {
    return 0;
  }
  const auto length = static_cast<std::uint32_t>(found->second.size());
  if (length >= size) {
    return length + 1;  // the size it needs; the buffer is not touched
  }
  std::memcpy(buffer, found->second.c_str(), length + 1);
  return length;
}

int FakePlatform::setEnvironmentVariable(const char* name, const char* value) {
  calls.push_back("SetEnvironmentVariableA(" + show(name) + ", " + show(value) + ")");
  environment[show(name)] = show(value);
  return 1;
}

long FakePlatform::readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) {
  calls.push_back("ReadFile(" + show(path) + ", " + std::to_string(capacity) + ")");
  const auto file = files.find(show(path));
  if (file == files.end()) {
    return -1;
  }
  const std::size_t count = file->second.size() < capacity ? file->second.size() : capacity;
  if (count > 0) {
    std::memcpy(buffer, file->second.data(), count);
  }
  return static_cast<long>(count);
}

void FakePlatform::leadBytes(LeadBytes& table) {
  calls.push_back("IsDBCSLeadByte(0x80-0xFF)");
  table = codePage;
}

long FakePlatform::ansiPath(const char* utf8, bool shortForm, char* ansi, std::size_t capacity) {
  calls.push_back(std::string(shortForm ? "GetShortPathNameW(" : "WideCharToMultiByte(") + utf8 +
                  ")");
  // The short form of the path's longest start that has one; without one a path is its own, as
  // where 8.3 names are not made.
  std::string held = utf8;
  std::size_t matched = 0;
  for (const auto& [path, shortPath] : shortPaths) {
    if (shortForm && path.size() > matched && held.compare(0, path.size(), path) == 0) {
      held = shortPath + std::string(utf8).substr(path.size());
      matched = path.size();
    }
  }
  std::string bytes;
  for (std::size_t at = 0; at < held.size();) {
    const auto lead = static_cast<unsigned char>(held[at]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const std::string character = held.substr(at, length);
    const auto ansiChar = ansiChars.find(character);
    if (lead >= 0x80 && ansiChar == ansiChars.end()) {
      return -1;
    }
    bytes += lead < 0x80 ? character : ansiChar->second;
    at += length;
  }
  if (bytes.size() >= capacity) {
    return -1;
  }
  std::memcpy(ansi, bytes.c_str(), bytes.size() + 1);
  return static_cast<long>(bytes.size());
}

int FakePlatform::messageBoxUnicode(WindowHandle owner, const char* utf8Text, const char* caption,
                                    std::uint32_t type) {
  calls.push_back("MessageBoxW(" + showHandle(owner) + ", " + caption + ", " +
                  std::to_string(type) + ")");
  boxes.push_back({utf8Text, caption});
  return 1;
}

LeadBytes shiftJis() {
  LeadBytes table;
  table.addRange(0x81, 0x9F);
  table.addRange(0xE0, 0xFC);
  return table;
}

std::vector<std::uint8_t> storedSettings(const std::string& text) {
  std::vector<std::uint8_t> bytes;
  for (unsigned char c : text) {
    bytes.push_back(static_cast<std::uint8_t>(255 - c));
  }
  return bytes;
}

}  // namespace tolvex
