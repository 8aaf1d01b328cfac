// The countdown window (IDD_TRIAL in setup.rc). The timer only asks the model whether the time
// has run out and shows what is left; the model switches back.
#include "tools/tolvex-setup/win32/trial_dialog.h"

#include "tools/tolvex-setup/win32/trial_ids.h"

namespace tolvex_setup {

namespace {

constexpr UINT_PTR kTimer = 1;
// Often enough that the seconds shown never lag by more than a quarter.
constexpr UINT kTimerMilliseconds = 250;

class TrialWindow {
 public:
  explicit TrialWindow(Trial& trial) : trial_(trial) {}

  void run(HWND owner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_TRIAL), owner, proc,
                    reinterpret_cast<LPARAM>(this));
  }

 private:
  static INT_PTR CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      SetWindowLongPtrA(window, GWLP_USERDATA, lParam);
      // NOLINTNEXTLINE(performance-no-int-to-ptr): DialogBoxParamA hands this object over so
      reinterpret_cast<TrialWindow*>(lParam)->onInit(window);
      return FALSE;
    }
    // NOLINTNEXTLINE(performance-no-int-to-ptr): kept in the window's user data at WM_INITDIALOG
    auto* self = reinterpret_cast<TrialWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr) {
      return FALSE;
    }
    if (message == WM_TIMER) {
      self->onTimer();
      return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDB_WORKS || LOWORD(wParam) == IDCANCEL)) {
      self->onAnswer(LOWORD(wParam) == IDB_WORKS);
      return TRUE;
    }
    return FALSE;
  }

  void onInit(HWND window) {
    window_ = window;
    showCountdown();
    SetFocus(GetDlgItem(window_, IDCANCEL));
    // Without its timer the countdown would never end: back at once.
    if (SetTimer(window_, kTimer, kTimerMilliseconds, nullptr) == 0) {
      trial_.goBack();
      EndDialog(window_, 0);
    }
  }

  void onTimer() {
    if (trial_.tick()) {
      showCountdown();
    } else {
      end();
    }
  }

  void onAnswer(bool works) {
    if (works) {
      trial_.confirm();
    } else {
      trial_.goBack();
    }
    end();
  }

  void showCountdown() {
    CountdownText text;
    trial_.countdown(text);
    SetDlgItemTextA(window_, IDT_COUNTDOWN, text.c_str());
  }

  void end() {
    KillTimer(window_, kTimer);
    EndDialog(window_, 0);
  }

  Trial& trial_;
  HWND window_ = nullptr;
};

}  // namespace

Outcome tryModeInWindow(HWND owner, Trial& trial) {
  const Outcome outcome = trial.start();
  if (trial.state() == TrialState::kRunning) {
    TrialWindow window(trial);
    window.run(owner);
  }
  // A window that could not be made must not leave the display switched.
  trial.goBack();
  return outcome;
}

}  // namespace tolvex_setup
