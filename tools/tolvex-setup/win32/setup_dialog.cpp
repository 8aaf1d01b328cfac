// Tolvex Setup's window: one resource dialog (setup.rc). It copies values between its controls
// and the model (controlsToModel, modelToControls) and shows what the model's actions come back
// with; every decision is the model's.
#include <windows.h>
// After <windows.h>, which they build on.
#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <new>

#include "platform/win32_platform.h"
#include "tools/tolvex-setup/model/setup_model.h"
#include "tools/tolvex-setup/model/shortcut.h"
#include "tools/tolvex-setup/win32/setup_ids.h"
#include "tools/tolvex-setup/win32/trial_dialog.h"
#include "tools/tolvex-setup/win32/win32_setup_world.h"

namespace tolvex_setup {

namespace {

constexpr char kCaption[] = "Tolvex Setup";
// How often the dialog looks whether the title it started has ended.
constexpr UINT_PTR kTitleTimer = 1;
constexpr UINT kTitleTimerMs = 250;
// A name chosen from the Name list, handled once the combo box has finished its own work (which
// sets its edit box from the list the handler rebuilds); wParam is the list's index.
constexpr UINT kNameChosen = WM_APP + 1;
const char* const kDepthLabels[kDepthCount] = {"8 bits per pixel", "16 bits per pixel",
                                               "24 bits per pixel (as 32)", "32 bits per pixel"};

class SetupDialog final : public Questions {
 public:
  SetupDialog() : model_(world_) {}

  INT_PTR run(HINSTANCE instance) {
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SETUP), nullptr, proc,
                           reinterpret_cast<LPARAM>(this));
  }

  bool askYesNo(const char* text) override {
    return MessageBoxA(window_, text, kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }
  Answer askYesNoCancel(const char* text) override {
    const int answer = MessageBoxA(window_, text, kCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDYES ? Answer::kYes : answer == IDNO ? Answer::kNo : Answer::kCancel;
  }

 private:
  static INT_PTR CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      // NOLINTNEXTLINE(performance-no-int-to-ptr): DialogBoxParamA hands this object over so
      auto* self = reinterpret_cast<SetupDialog*>(lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
      self->window_ = window;
      self->world_.ownBoxes(window);
      return self->onInit();
    }
    // NOLINTNEXTLINE(performance-no-int-to-ptr): kept in the window's user data at WM_INITDIALOG
    auto* self = reinterpret_cast<SetupDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
      return FALSE;
    }
    switch (message) {
      case WM_COMMAND:
        self->oneAtATime(&SetupDialog::onCommand, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
      case WM_TIMER:
        self->onTimer();
        return TRUE;
      case kNameChosen:
        self->oneAtATime(&SetupDialog::onNameChosen, static_cast<int>(wParam), 0);
        return TRUE;
      case WM_DESTROY:
        DeleteObject(self->reportFont_);
        return FALSE;
      default:
        return FALSE;
    }
  }

  // A fixed-pitch font as tall as the dialog's own, which Windows made for the dialog's DPI.
  void makeReportFont() {
    LOGFONTA dialog;
    std::memset(&dialog, 0, sizeof dialog);
    // NOLINTNEXTLINE(performance-no-int-to-ptr): WM_GETFONT answers with the font's handle
    const auto font = reinterpret_cast<HFONT>(SendMessageA(window_, WM_GETFONT, 0, 0));
    if (font == nullptr || GetObjectA(font, sizeof dialog, &dialog) == 0) {
      return;
    }
    LOGFONTA fixed;
    std::memset(&fixed, 0, sizeof fixed);
    fixed.lfHeight = dialog.lfHeight;
    fixed.lfCharSet = DEFAULT_CHARSET;
    fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    std::strcpy(fixed.lfFaceName, "Courier New");
    reportFont_ = CreateFontIndirectA(&fixed);
    SendDlgItemMessageA(window_, IDE_REPORT, WM_SETFONT, reinterpret_cast<WPARAM>(reportFont_),
                        FALSE);
  }

  INT_PTR onInit() {
    makeReportFont();
    // No field takes more than its value can hold: a longer one would be refused anyway.
    SendDlgItemMessageA(window_, IDC_NAME, CB_LIMITTEXT, FileName::kCapacity - 5, 0);
    SendDlgItemMessageA(window_, IDC_PROGRAM, CB_LIMITTEXT, tolvex::kAppNameCapacity - 1, 0);
    SendDlgItemMessageA(window_, IDC_SCREEN_SIZE, CB_LIMITTEXT, SizeText::kCapacity - 1, 0);
    for (const char* label : kDepthLabels) {
      SendDlgItemMessageA(window_, IDC_DEPTH, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
    }
    const Outcome opened = model_.open(nullptr);
    modelToControls();
    SetFocus(GetDlgItem(window_, IDC_PROGRAM));
    show(opened);
    if (!world_.folderInCodePage()) {
      showFolderNotAnsi();
    }
    return FALSE;
  }

  // One step at a time. Every box a step shows is owned by this window, which is disabled while
  // the box is up; but the box's message loop still hands this window what was posted or sent
  // to it, and that must not start a second step in the middle of the first (a second Try this
  // mode under the refusal of the first, a second Save under its question).
  void oneAtATime(void (SetupDialog::*step)(int, int), int first, int second) {
    if (acting_) {
      return;
    }
    acting_ = true;
    world_.newStep();
    (this->*step)(first, second);
    acting_ = false;
  }

  void onCommand(int id, int code) {
    switch (id) {
      case IDC_DEPTH:
      case IDX_TOLVEX_INI:
      case IDX_NAMED_INI:
        if (code == CBN_SELCHANGE || code == BN_CLICKED) {
          controlsToModel();
          modelToControls();
        }
        break;
      case IDC_NAME:
        // A choice is made when the list closes on it, or by arrow keys on the closed list.
        if (code == CBN_CLOSEUP ||
            (code == CBN_SELCHANGE &&
             SendDlgItemMessageA(window_, IDC_NAME, CB_GETDROPPEDSTATE, 0, 0) == FALSE)) {
          const LRESULT index = SendDlgItemMessageA(window_, IDC_NAME, CB_GETCURSEL, 0, 0);
          if (index != CB_ERR) {
            PostMessageA(window_, kNameChosen, static_cast<WPARAM>(index), 0);
          }
        }
        break;
      case IDB_BROWSE:
        browse();
        break;
      case IDB_SAVE:
        act(&SetupDialog::save);
        break;
      case IDB_CHECK:
        act(&SetupDialog::check);
        break;
      case IDB_START:
        act(&SetupDialog::start);
        break;
      case IDB_RESTORE:
        act(&SetupDialog::restore);
        break;
      case IDB_TRY:
        act(&SetupDialog::tryMode);
        break;
      case IDB_SHORTCUT:
        act(&SetupDialog::shortcut);
        break;
      case IDCANCEL:
        controlsToModel();
        if (model_.close(*this)) {
          EndDialog(window_, IDCANCEL);
        } else {
          modelToControls();
        }
        break;
      default:
        break;
    }
  }

  // A button: the controls' values to the model, the action, and its results back.
  void act(Outcome (SetupDialog::*action)()) {
    controlsToModel();
    const Outcome outcome = (this->*action)();
    modelToControls();
    show(outcome);
  }
  Outcome save() { return model_.save(*this); }
  Outcome check() {
    model_.check();
    return Outcome();
  }
  Outcome start() {
    const Outcome outcome = model_.start(*this);
    if (world_.titleRunning()) {
      SetTimer(window_, kTitleTimer, kTitleTimerMs, nullptr);
    }
    return outcome;
  }
  // The other controls as they are, the name as it was before the list changed its box.
  void onNameChosen(int index, int /*unused*/) {
    if (index >= model_.nameCount ||
        std::strcmp(model_.names[index].c_str(), model_.form.name.c_str()) == 0) {
      return;
    }
    const FileName before(model_.form.name);
    controlsToModel();
    model_.form.name.assign(before);
    model_.chooseName(index, *this);
    modelToControls();
  }

  void onTimer() {
    if (!acting_ && !world_.titleRunning()) {
      KillTimer(window_, kTitleTimer);
      world_.newStep();
      model_.titleEnded();
      setReport(model_.report.c_str());
    }
  }
  Outcome tryMode() { return tryModeInWindow(window_, trial_); }
  Outcome shortcut() { return makeShortcut(model_, world_, *this); }
  Outcome restore() {
    model_.restore();
    return Outcome();
  }

  // The picker opens at the folder the window shows.
  static int CALLBACK startPicker(HWND picker, UINT message, LPARAM, LPARAM folder) {
    if (message == BFFM_INITIALIZED) {
      SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, folder);
    }
    return 0;
  }

  void browse() {
    char folder[MAX_PATH];
    BROWSEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hwndOwner = window_;
    info.pszDisplayName = folder;
    info.lpszTitle = "The title's folder:";
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = startPicker;
    info.lParam = reinterpret_cast<LPARAM>(model_.form.folder.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen == nullptr) {
      return;
    }
    // Where Windows has wide paths (not on 9x, whose W functions are stubs), the one chosen is
    // entered as Tolvex would take it: as it is where the code page holds it, else by its short
    // 8.3 form; a folder with neither is refused.
    using PathFromListW = BOOL(WINAPI*)(LPCITEMIDLIST, LPWSTR);
    const auto pathFromListW =
        tolvex::systemFunction<PathFromListW>("shell32.dll", "SHGetPathFromIDListW", true);
    wchar_t wide[MAX_PATH];
    const bool found = pathFromListW != nullptr ? pathFromListW(chosen, wide) != 0
                                                : SHGetPathFromIDListA(chosen, folder) != 0;
    CoTaskMemFree(chosen);
    if (found && pathFromListW != nullptr && tolvex::ansiName(wide, folder, sizeof folder) < 0) {
      showFolderNotAnsi();
    } else if (found) {
      controlsToModel();
      if (model_.leaveFolder(*this)) {
        show(model_.open(folder));
      }
      modelToControls();
    }
  }

  void showFolderNotAnsi() {
    MessageBoxA(window_, kFolderNotInCodePage, kCaption, MB_OK | MB_ICONWARNING);
  }

  void show(const Outcome& outcome) {
    if (!outcome.message.empty()) {
      MessageBoxA(window_, outcome.message.c_str(), kCaption,
                  outcome.ok ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONWARNING);
    }
    const int focus[] = {0, IDC_PROGRAM, IDC_DEPTH, IDC_SCREEN_SIZE, IDX_STRICT, IDC_NAME};
    const int control = focus[static_cast<int>(outcome.focus)];
    if (control != 0) {
      SendMessageA(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(window_, control)),
                   TRUE);
    }
  }

  // The whole text: one longer than the field shows as overflowed, never as cut.
  template <std::size_t N>
  void getText(int id, tolvex::FixedText<N>& text) {
    static char buffer[4 * tolvex::kPathCapacity];
    GetDlgItemTextA(window_, id, buffer, static_cast<int>(sizeof buffer));
    text.assign(buffer);
  }

  void controlsToModel() {
    SetupForm& form = model_.form;
    getText(IDC_PROGRAM, form.program);
    const LRESULT depth = SendDlgItemMessageA(window_, IDC_DEPTH, CB_GETCURSEL, 0, 0);
    form.depth = depth >= 0 && depth < kDepthCount ? static_cast<int>(depth) : 1;
    getText(IDC_SCREEN_SIZE, form.size);
    form.strict = IsDlgButtonChecked(window_, IDX_STRICT) == BST_CHECKED;
    form.named = IsDlgButtonChecked(window_, IDX_NAMED_INI) == BST_CHECKED;
    getText(IDC_NAME, form.name);
  }

  void modelToControls() {
    const SetupForm& form = model_.form;
    SetDlgItemTextA(window_, IDE_FOLDER, form.folder.c_str());
    SendDlgItemMessageA(window_, IDC_PROGRAM, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < model_.programCount; ++i) {
      SendDlgItemMessageA(window_, IDC_PROGRAM, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(model_.programs[i].c_str()));
    }
    SetDlgItemTextA(window_, IDC_PROGRAM, form.program.c_str());
    SendDlgItemMessageA(window_, IDC_DEPTH, CB_SETCURSEL, static_cast<WPARAM>(form.depth), 0);
    SendDlgItemMessageA(window_, IDC_SCREEN_SIZE, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < model_.sizeCount; ++i) {
      SizeText label;
      model_.sizeLabel(i, label);
      SendDlgItemMessageA(window_, IDC_SCREEN_SIZE, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(label.c_str()));
    }
    SetDlgItemTextA(window_, IDC_SCREEN_SIZE, form.size.c_str());
    CheckDlgButton(window_, IDX_STRICT, form.strict ? BST_CHECKED : BST_UNCHECKED);
    CheckRadioButton(window_, IDX_TOLVEX_INI, IDX_NAMED_INI,
                     form.named ? IDX_NAMED_INI : IDX_TOLVEX_INI);
    // The renamed copies of Tolvex here that have their settings file.
    SendDlgItemMessageA(window_, IDC_NAME, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < model_.nameCount; ++i) {
      SendDlgItemMessageA(window_, IDC_NAME, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(model_.names[i].c_str()));
    }
    SetDlgItemTextA(window_, IDC_NAME, form.name.c_str());
    EnableWindow(GetDlgItem(window_, IDC_NAME), form.named ? TRUE : FALSE);
    SetDlgItemTextA(window_, IDT_SHORTCUTS, model_.shortcutNote());
    setReport(model_.report.c_str());
  }

  // The report's lines end in "\n"; an edit control breaks lines at "\r\n".
  void setReport(const char* text) {
    static char lines[2 * ReportText::kCapacity];
    std::size_t at = 0;
    for (; *text != '\0' && at + 2 < sizeof lines; ++text) {
      if (*text == '\n') {
        lines[at++] = '\r';
      }
      lines[at++] = *text;
    }
    lines[at] = '\0';
    SetDlgItemTextA(window_, IDE_REPORT, lines);
  }

  Win32SetupWorld world_;
  SetupModel model_;
  Trial trial_{world_, model_};
  HWND window_ = nullptr;
  HFONT reportFont_ = nullptr;
  bool acting_ = false;
};

}  // namespace

}  // namespace tolvex_setup

namespace {

// The command line after the program's name, as WinMain was given it by the C runtime.
const char* argumentsAfterProgram(const char* line) {
  if (*line == '"') {
    for (++line; *line != '\0' && *line != '"'; ++line) {
    }
    line += *line == '"' ? 1 : 0;
  } else {
    for (; *line != '\0' && *line != ' ' && *line != '\t'; ++line) {
    }
  }
  while (*line == ' ' || *line == '\t') {
    ++line;
  }
  return line;
}

int runSetup() {
  if (std::strcmp(argumentsAfterProgram(GetCommandLineA()), tolvex_setup::kCurrentModeOption) ==
      0) {
    return tolvex_setup::writeCurrentMode();
  }
  // The dialog uses only USER32's classes: the first common controls' call is enough, and every
  // Windows has it.
  InitCommonControls();
  // The folder picker is a shell object: COM first, in a single-threaded apartment.
  const HRESULT com = CoInitialize(nullptr);
  // The dialog's state is too large for the stack; it is made here, in static storage, once (a
  // static object would need a guard or a constructor run before this entry point).
  alignas(
      tolvex_setup::SetupDialog) static unsigned char storage[sizeof(tolvex_setup::SetupDialog)];
  auto* dialog = new (storage) tolvex_setup::SetupDialog;
  dialog->run(GetModuleHandleA(nullptr));
  if (SUCCEEDED(com)) {
    CoUninitialize();
  }
  return 0;
}

}  // namespace

// Like Tolvex.exe, Tolvex Setup carries no C runtime, so that it runs on every Windows from
// Windows 95 and on every CPU from the 80486: Windows calls tolvexSetupStart directly.
extern "C" [[noreturn]] void tolvexSetupStart() {
  ExitProcess(static_cast<UINT>(runSetup()));
}
