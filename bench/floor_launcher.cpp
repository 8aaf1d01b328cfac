// Win32 only. The floor of the launch-overhead benchmark: the display and process calls that
// Tolvex makes for one request, and nothing else (no single-instance guard, no console, no
// settings file, no messages).
//   floor_launcher.exe APP DEPTH WIDTH HEIGHT
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "bench/start_and_wait.h"

int main(int argc, char** argv) {
  if (argc < 5) {
    return 2;
  }
  DEVMODEA saved;
  std::memset(&saved, 0, sizeof saved);
  saved.dmSize = sizeof saved;
  EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &saved);
  DEVMODEA wanted = saved;
  wanted.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
  wanted.dmBitsPerPel = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  wanted.dmPelsWidth = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
  wanted.dmPelsHeight = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
  ChangeDisplaySettingsA(&wanted, 0);

  startAndWait(argv[1]);
  ChangeDisplaySettingsA(&saved, 0);
  return 0;
}
