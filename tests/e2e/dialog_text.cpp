// tolvex-dialog-text: prints the text of one control of a dialog window of another program, so
// that the end-to-end tests can read what Tolvex Setup shows.
//   tolvex-dialog-text.exe "Tolvex Setup" 1021
// Exit status 0 with the text on standard output (line ends as the control has them), 1 when no
// such dialog with such a control is on screen.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tolvex-dialog-text CAPTION CONTROL-ID\n");
    return 2;
  }
  const int id = std::atoi(argv[2]);
  // Message boxes carry the same caption: take the window that has the control.
  HWND window = nullptr;
  HWND control = nullptr;
  while (control == nullptr &&
         (window = FindWindowExA(nullptr, window, "#32770", argv[1])) != nullptr) {
    control = GetDlgItem(window, id);
  }
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
