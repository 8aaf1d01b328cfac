// tolvex-probe: a stand-in application for the end-to-end tests.
//
// The harness copies this program under the names Tolvex launches (PROJECTOR.EXE, PROJ.EXE,
// a name from the settings file, ...). Every start appends one record to the file named by
// TOLVEX_PROBE_LOG, so the harness can see what was started, how, and what the process saw:
//
//   record=begin
//   key=value            (one per line; CR, LF and backslash in values are escaped as \r \n \\)
//   record=end
//
// and, when the process is about to end (after its hold), one line `exiting=<pid>`.
//
// Besides the run's facts, the record holds the __COMPAT_LAYER the process started with, the id
// of the process that started it, its own path and folder as Windows holds them (module_w,
// cwd_w, UTF-8), and the ANSI and OEM code pages it was given (acp=, oemcp=): Wine derives them
// from the locale it was started in.
//
// Optional environment variables:
//   TOLVEX_PROBE_HOLD      after logging, stay alive until the file named by this value followed
//                          by "." and the process id exists: the harness makes it once it has
//                          looked at the running application (a second Tolvex can start meanwhile)
//   TOLVEX_PROBE_CRASH=1   crash with an access violation after logging (and the hold)
//   TOLVEX_PROBE_EXIT      exit code (decimal), default 0
//
// Only kernel32 and user32 are used, so the copy runs anywhere Tolvex runs.
#include <windows.h>
// After <windows.h>, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The record is built in one buffer and written with one WriteFile call on a handle opened for
// appending, so records of probes running at the same time never interleave.
class Record {
 public:
  void raw(const char* text) {
    for (const char* p = text; *p != '\0' && used_ + 1 < sizeof(buf_); ++p) {
      buf_[used_++] = *p;
    }
    buf_[used_] = '\0';
  }

  void text(const char* key, const char* value) {
    raw(key);
    raw("=");
    char one[3] = {0, 0, 0};
    for (const char* p = value; *p != '\0'; ++p) {
      switch (*p) {
        case '\r':
          raw("\\r");
          break;
        case '\n':
          raw("\\n");
          break;
        case '\\':
          raw("\\\\");
          break;
        default:
          one[0] = *p;
          raw(one);
      }
    }
    raw("\n");
  }

  void number(const char* key, long long value) {
    char tmp[32];
    std::snprintf(tmp, sizeof(tmp), "%lld", value);
    text(key, tmp);
  }

  const char* data() const { return buf_; }
  DWORD size() const { return static_cast<DWORD>(used_); }

 private:
  char buf_[16384] = {};
  size_t used_ = 0;
};

// Reads an environment variable into buf; returns false when it is not set.
bool getEnv(const char* name, char* buf, DWORD size) {
  DWORD n = GetEnvironmentVariableA(name, buf, size);
  return n > 0 && n < size;
}

long envNumber(const char* name, long fallback) {
  char buf[64];
  if (!getEnv(name, buf, sizeof(buf))) {
    return fallback;
  }
  return std::strtol(buf, nullptr, 10);
}

void addMode(Record& rec, const char* prefix, DWORD which) {
  DEVMODEA mode;
  std::memset(&mode, 0, sizeof(mode));
  mode.dmSize = sizeof(mode);
  BOOL ok = EnumDisplaySettingsA(nullptr, which, &mode);
  char key[64];
  std::snprintf(key, sizeof(key), "%s_ok", prefix);
  rec.number(key, ok ? 1 : 0);
  std::snprintf(key, sizeof(key), "%s_bits", prefix);
  rec.number(key, static_cast<long long>(mode.dmBitsPerPel));
  std::snprintf(key, sizeof(key), "%s_width", prefix);
  rec.number(key, static_cast<long long>(mode.dmPelsWidth));
  std::snprintf(key, sizeof(key), "%s_height", prefix);
  rec.number(key, static_cast<long long>(mode.dmPelsHeight));
}

void writeRecord(const Record& rec) {
  char path[MAX_PATH * 4];
  if (!getEnv("TOLVEX_PROBE_LOG", path, sizeof(path))) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), rec.data(), rec.size(), &written, nullptr);
    return;
  }
  HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(file, rec.data(), rec.size(), &written, nullptr);
  CloseHandle(file);
}

// A path as Windows holds it, each name in full, in UTF-8 (empty when it cannot be told).
const char* longUtf8(const wchar_t* path, char* buf, std::size_t size) {
  wchar_t full[MAX_PATH * 4];
  const DWORD length = path != nullptr ? GetLongPathNameW(path, full, MAX_PATH * 4) : 0;
  return length > 0 && length < MAX_PATH * 4 &&
                 WideCharToMultiByte(CP_UTF8, 0, full, -1, buf, static_cast<int>(size), nullptr,
                                     nullptr) > 0
             ? buf
             : "";
}

// The process that started this one (Tolvex), for a harness that ends it by its Windows id; 0
// when it cannot be told.
DWORD parentProcessId() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) {
    return 0;
  }
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof entry;
  DWORD parent = 0;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId()) {
      parent = entry.th32ParentProcessID;
      break;
    }
  }
  CloseHandle(snapshot);
  return parent;
}

// Waits until the harness releases this process (TOLVEX_PROBE_HOLD), looking every 20 ms. A
// harness that went away is not waited for beyond kHoldCeiling.
constexpr DWORD kHoldCeiling = 10 * 60 * 1000;

void holdUntilReleased() {
  char prefix[MAX_PATH * 4];
  if (!getEnv("TOLVEX_PROBE_HOLD", prefix, sizeof(prefix))) {
    return;
  }
  char release[MAX_PATH * 4 + 32];
  std::snprintf(release, sizeof(release), "%s.%lu", prefix,
                static_cast<unsigned long>(GetCurrentProcessId()));
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(release) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - start < kHoldCeiling) {
    Sleep(20);
  }
}

}  // namespace

int main() {
  Record rec;
  rec.raw("record=begin\n");

  rec.text("cmdline", GetCommandLineA());

  char buf[MAX_PATH * 4];
  DWORD n = GetCurrentDirectoryA(sizeof(buf), buf);
  rec.text("cwd", (n > 0 && n < sizeof(buf)) ? buf : "");

  n = GetModuleFileNameA(nullptr, buf, sizeof(buf));
  rec.text("module", (n > 0 && n < sizeof(buf)) ? buf : "");
  // Both as Windows holds them, in full (a program started by a short 8.3 path is known by it),
  // in UTF-8: which file and folder they are, whatever the ANSI code page makes of their names.
  wchar_t wide[MAX_PATH * 4];
  n = GetModuleFileNameW(nullptr, wide, MAX_PATH * 4);
  rec.text("module_w", longUtf8(n > 0 && n < MAX_PATH * 4 ? wide : nullptr, buf, sizeof(buf)));
  n = GetCurrentDirectoryW(MAX_PATH * 4, wide);
  rec.text("cwd_w", longUtf8(n > 0 && n < MAX_PATH * 4 ? wide : nullptr, buf, sizeof(buf)));

  rec.number("pid", static_cast<long long>(GetCurrentProcessId()));
  rec.number("parent_pid", static_cast<long long>(parentProcessId()));

  // The compatibility layers the process was started with (empty when none).
  rec.text("compat_layer", getEnv("__COMPAT_LAYER", buf, sizeof(buf)) ? buf : "");

  rec.number("acp", static_cast<long long>(GetACP()));
  rec.number("oemcp", static_cast<long long>(GetOEMCP()));

  addMode(rec, "current", ENUM_CURRENT_SETTINGS);
  addMode(rec, "registry", ENUM_REGISTRY_SETTINGS);

  HWND console = GetConsoleWindow();
  rec.number("console_window", static_cast<long long>(reinterpret_cast<INT_PTR>(console)));
  rec.number("console_visible", (console != nullptr && IsWindowVisible(console)) ? 1 : 0);
  char title[1024];
  title[0] = '\0';
  DWORD titleLen = GetConsoleTitleA(title, sizeof(title));
  rec.number("console_title_ok", titleLen > 0 ? 1 : 0);
  rec.text("console_title", titleLen > 0 ? title : "");
  DWORD processes[16];
  rec.number("console_processes", static_cast<long long>(GetConsoleProcessList(processes, 16)));

  rec.number("tick", static_cast<long long>(GetTickCount()));
  rec.raw("record=end\n");
  writeRecord(rec);

  holdUntilReleased();

  // Outside any record: tells the harness when this process is about to end.
  Record last;
  last.number("exiting", static_cast<long long>(GetCurrentProcessId()));
  writeRecord(last);

  if (envNumber("TOLVEX_PROBE_CRASH", 0) == 1) {
    // No crash dialog: the harness has nobody to click it away.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }

  return static_cast<int>(envNumber("TOLVEX_PROBE_EXIT", 0));
}
