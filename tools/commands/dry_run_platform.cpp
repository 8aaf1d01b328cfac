#include "tools/commands/dry_run_platform.h"

#include <cstring>

#include "app/run_defaults.h"

namespace tolvex_commands {

DryRunPlatform::DryRunPlatform(tolvex::Platform& system, const char* settingsFile)
    : system_(system), settingsFile_(settingsFile) {}

int DryRunPlatform::enumDisplaySettings(std::int32_t modeNum, tolvex::DevModeA* mode) {
  return system_.enumDisplaySettings(modeNum, mode);
}

std::int32_t DryRunPlatform::changeDisplaySettings(tolvex::DevModeA* mode, std::uint32_t) {
  // The test of the same record: the system says what it would answer, and switches nothing.
  // The storing attempt is tested the same way, since a test stores nothing either.
  return system_.changeDisplaySettings(mode, tolvex::kCdsTest);
}

tolvex::Handle DryRunPlatform::createMutex(tolvex::SecurityAttributes*, bool, const char*) {
  // Not created: a Tolvex started meanwhile must not take this check for a running copy. The
  // check asks separately whether one is running.
  return nullptr;
}

std::uint32_t DryRunPlatform::getLastError() {
  return 0;
}

int DryRunPlatform::createProcess(const char* applicationName, bool, std::uint32_t,
                                  tolvex::StartupInfoA*, tolvex::ProcessInformation* processInfo) {
  // The platform starts the file by this very name, with no search path; a file that can be
  // opened there is taken as one that starts.
  std::uint8_t none[1];
  const bool started = system_.readFile(applicationName, none, 0) >= 0;
  std::memset(processInfo, 0, sizeof *processInfo);
  return started ? 1 : 0;
}

std::uint32_t DryRunPlatform::waitForSingleObject(tolvex::Handle, std::uint32_t) {
  return 0;
}

int DryRunPlatform::closeHandle(tolvex::Handle) {
  return 1;
}

std::uint32_t DryRunPlatform::getConsoleTitle(char* title, std::uint32_t size) {
  if (size > 0) {
    title[0] = '\0';
  }
  return 0;
}

int DryRunPlatform::setConsoleTitle(const char*) {
  return 1;
}

std::uint32_t DryRunPlatform::getTickCount() {
  return 0;
}

std::uint32_t DryRunPlatform::getCurrentProcessId() {
  return 0;
}

void DryRunPlatform::sleep(std::uint32_t) {}

std::uint32_t DryRunPlatform::getConsoleProcessCount() {
  return 1;
}

bool DryRunPlatform::getConsoleWindow(tolvex::WindowHandle* window) {
  return system_.getConsoleWindow(window);
}

tolvex::WindowHandle DryRunPlatform::findWindow(const char*, const char*) {
  return nullptr;  // no console window found: nothing is hidden, nothing shown again
}

int DryRunPlatform::showWindow(tolvex::WindowHandle, int) {
  return 0;
}

int DryRunPlatform::messageBox(tolvex::WindowHandle, const char*, const char*, std::uint32_t) {
  return 1;  // IDOK
}

bool DryRunPlatform::getVersion(std::uint32_t* major, std::uint32_t* minor) {
  return system_.getVersion(major, minor);
}

std::uint32_t DryRunPlatform::getEnvironmentVariable(const char* name, char* buffer,
                                                     std::uint32_t size) {
  return system_.getEnvironmentVariable(name, buffer, size);
}

int DryRunPlatform::setEnvironmentVariable(const char*, const char*) {
  return 1;  // what Tolvex would set is for its own process only: nothing to change here
}

long DryRunPlatform::readFile(const char* path, std::uint8_t* buffer, std::size_t capacity) {
  const bool replaced =
      settingsFile_ != nullptr && std::strcmp(path, tolvex::kSettingsFileName) == 0;
  return system_.readFile(replaced ? settingsFile_ : path, buffer, capacity);
}

void DryRunPlatform::leadBytes(tolvex::LeadBytes& table) {
  system_.leadBytes(table);
}

long DryRunPlatform::ansiPath(const char* utf8, bool shortForm, char* ansi, std::size_t capacity) {
  return system_.ansiPath(utf8, shortForm, ansi, capacity);
}

int DryRunPlatform::messageBoxUnicode(tolvex::WindowHandle, const char*, const char*,
                                      std::uint32_t) {
  return 1;  // IDOK, as from the box that Tolvex would show
}

}  // namespace tolvex_commands
