// tolvex-dialog-text: prints the text of one control of a dialog window of another program, so
// that the end-to-end tests can read what Tolvex Setup shows.
//   tolvex-dialog-text.exe "Tolvex Setup" 1021
// Exit status 0 with the text on standard output (line ends as the control has them), 1 when no
// such dialog with such a control is on screen.
// With --owner BOX-CAPTION first, prints "<the box's owner's caption>|<1 when the dialog takes
// input>|<x>|<y>", x and y the middle of the control on the screen, instead.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const bool owner = argc == 5 && std::strcmp(argv[1], "--owner") == 0;
  if (argc != 3 && !owner) {
    std::fprintf(stderr, "usage: tolvex-dialog-text [--owner BOX-CAPTION] CAPTION CONTROL-ID\n");
    return 2;
  }
  const int id = std::atoi(argv[argc - 1]);
  // Message boxes carry the same caption: take the window that has the control.
  HWND window = nullptr;
  HWND control = nullptr;
  while (control == nullptr &&
         (window = FindWindowExA(nullptr, window, "#32770", argv[argc - 2])) != nullptr) {
    control = GetDlgItem(window, id);
  }
  HWND box = owner ? FindWindowA(nullptr, argv[2]) : nullptr;
  if (control == nullptr || (owner && box == nullptr)) {
    return 1;
  }
  if (owner) {
    char caption[256] = "";
    GetWindowTextA(GetWindow(box, GW_OWNER), caption, sizeof caption);
    RECT place;
    GetWindowRect(control, &place);
    std::printf("%s|%d|%ld|%ld", caption, IsWindowEnabled(window) ? 1 : 0,
                (place.left + place.right) / 2, (place.top + place.bottom) / 2);
    return 0;
  }
  static char text[65536];
  const LRESULT length =
      SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  // The control's own line ends, not the C runtime's text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(text, 1, static_cast<std::size_t>(length), stdout);
  return 0;
}
