// tolvex-dialog-text: prints the text of one control of a dialog window of another program, so
// that the end-to-end tests can read what Tolvex Setup shows.
//   tolvex-dialog-text.exe "Tolvex Setup" 1021
// Exit status 0 with the text on standard output (line ends as the control has them), 1 when no
// such dialog with such a control is on screen.
//   tolvex-dialog-text.exe --owner "Tolvex Error: DISP_CHANGE_BADMODE" "Tolvex Setup" 1026
// prints "<the caption of what owns the box, empty for nothing>|<1 when the dialog takes input,
// else 0>|<x>|<y>", x and y the middle of the dialog's control on the screen. Exit status 1 when
// the box or the dialog's control is not on screen.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The control of a dialog of this caption (message boxes carry the same caption: the window that
// has the control); nullptr when there is none.
HWND findControl(const char* caption, int id, HWND& dialog) {
  dialog = nullptr;
  HWND control = nullptr;
  while (control == nullptr &&
         (dialog = FindWindowExA(nullptr, dialog, "#32770", caption)) != nullptr) {
    control = GetDlgItem(dialog, id);
  }
  return control;
}

int printOwner(const char* boxCaption, const char* dialogCaption, int id) {
  HWND box = FindWindowA(nullptr, boxCaption);
  HWND dialog = nullptr;
  HWND control = findControl(dialogCaption, id, dialog);
  RECT place;
  if (box == nullptr || control == nullptr || GetWindowRect(control, &place) == 0) {
    return 1;
  }
  char owner[256] = "";
  if (HWND window = GetWindow(box, GW_OWNER)) {
    GetWindowTextA(window, owner, sizeof owner);
  }
  std::printf("%s|%d|%ld|%ld", owner, IsWindowEnabled(dialog) ? 1 : 0,
              (place.left + place.right) / 2, (place.top + place.bottom) / 2);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--owner") == 0) {
    return printOwner(argv[2], argv[3], std::atoi(argv[4]));
  }
  if (argc != 3) {
    std::fprintf(stderr,
                 "usage: tolvex-dialog-text CAPTION CONTROL-ID\n"
                 "       tolvex-dialog-text --owner BOX-CAPTION CAPTION CONTROL-ID\n");
    return 2;
  }
  HWND dialog = nullptr;
  HWND control = findControl(argv[1], std::atoi(argv[2]), dialog);
  if (control == nullptr) {
    return 1;
  }
  static char text[65536];
  const LRESULT length =
      SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  // The control's own line ends, not the C runtime's text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  std::fwrite(text, 1, static_cast<std::size_t>(length), stdout);
  return 0;
}
