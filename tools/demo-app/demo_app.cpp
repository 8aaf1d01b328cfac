// Win32 only: the demonstration application that scripts/demo starts through Tolvex. It fills
// the screen with colour bars and says which display mode it was given, writes the same line to
// the file named by TOLVEX_DEMO_LOG (if set), and closes itself after TOLVEX_DEMO_SECONDS
// (default 5) so the demonstration needs nobody at the keyboard.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

char g_modeLine[160];

void describeMode() {
  DEVMODEA mode;
  ZeroMemory(&mode, sizeof mode);
  mode.dmSize = sizeof mode;
  EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode);
  (void)std::snprintf(g_modeLine, sizeof g_modeLine, "%lu x %lu, %lu bits per pixel",
                      static_cast<unsigned long>(mode.dmPelsWidth),
                      static_cast<unsigned long>(mode.dmPelsHeight),
                      static_cast<unsigned long>(mode.dmBitsPerPel));
}

void paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  static const COLORREF kBars[] = {RGB(192, 192, 192), RGB(192, 192, 0), RGB(0, 192, 192),
                                   RGB(0, 192, 0),     RGB(192, 0, 192), RGB(192, 0, 0),
                                   RGB(0, 0, 192)};
  const int bars = static_cast<int>(sizeof kBars / sizeof kBars[0]);
  for (int i = 0; i < bars; ++i) {
    RECT bar = {client.right * i / bars, 0, client.right * (i + 1) / bars, client.bottom};
    HBRUSH brush = CreateSolidBrush(kBars[i]);
    FillRect(dc, &bar, brush);
    DeleteObject(brush);
  }
  RECT panel = {client.right / 8, client.bottom / 3, client.right * 7 / 8, client.bottom * 2 / 3};
  FillRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HFONT font = CreateFontA(client.bottom / 14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, "Arial");
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  char text[256];
  (void)std::snprintf(text, sizeof text, "Started by Tolvex\n%s", g_modeLine);
  DrawTextA(dc, text, -1, &panel, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  SelectObject(dc, oldFont);
  DeleteObject(font);
  EndPaint(window, &ps);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint(window);
      return 0;
    case WM_TIMER:
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/,
                   int /*nShowCmd*/) {
  HINSTANCE instance = hInstance;
  describeMode();
  if (const char* log = std::getenv("TOLVEX_DEMO_LOG")) {
    if (std::FILE* file = std::fopen(log, "a")) {
      (void)std::fprintf(file, "%s\n", g_modeLine);
      (void)std::fclose(file);
    }
  }
  long seconds = 5;
  if (const char* value = std::getenv("TOLVEX_DEMO_SECONDS")) {
    seconds = std::strtol(value, nullptr, 10);
  }

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = "TolvexDemo";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "TolvexDemo", "Tolvex demonstration", WS_POPUP, 0, 0,
                                GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                nullptr, nullptr, instance, nullptr);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  SetTimer(window, 1, static_cast<UINT>(seconds > 0 && seconds < 3600 ? seconds : 5) * 1000,
           nullptr);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
