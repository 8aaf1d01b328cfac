// Portable: standard headers only. Never include <windows.h> here.
//
// Try this mode: the form's mode is shown for a while and then taken back, unless the user says
// it works first. The display is switched the way Tolvex switches it (the stored mode with the
// depth, width and height written into it, flags 0: nothing is stored) and back to the stored
// mode. The view shows the countdown, and calls tick() on its timer and confirm() or goBack() on
// its buttons; the report box then tells what happened.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_TRIAL_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_TRIAL_H

#include <cstdint>

#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

// How long a mode is shown unless it is confirmed.
constexpr std::uint32_t kTrialMilliseconds = 15000;

enum class TrialState { kIdle, kRunning, kConfirmed, kWentBack, kTimedOut, kRefused };

using CountdownText = tolvex::FixedText<64>;

// "800 x 600", "800x600", "800,600" or "800 600", and the Size list's mark " *" after it
// (setup_actions.cpp, where Save reads it the same way).
bool parseSize(const char* s, std::int32_t& width, std::int32_t& height);

class Trial {
 public:
  Trial(SetupWorld& world, SetupModel& model) : world_(world), model_(model) {}

  // Switches to the form's mode. A refusal ends the trial at once (the report names the code);
  // a size that cannot be read is refused like Save refuses it. Ignored while a trial runs.
  Outcome start();
  // The view's timer: goes back once the time has run out. True while the trial runs.
  bool tick();
  // "It works" and "Go back" (Escape): back to the stored mode either way.
  void confirm() { finish(TrialState::kConfirmed); }
  void goBack() { finish(TrialState::kWentBack); }

  TrialState state() const { return state_; }
  // "Going back in 15 s", whole seconds rounded up.
  void countdown(CountdownText& text) const;

 private:
  void finish(TrialState how);
  std::uint32_t elapsed() const;

  SetupWorld& world_;
  SetupModel& model_;
  TrialState state_ = TrialState::kIdle;
  tolvex::DevModeA savedMode_{};
  tolvex::DevModeA workingMode_{};
  std::uint32_t startTick_ = 0;
  bool sizeOnly_ = false;  // Windows 8 and later: a depth below 32 is emulated, not shown
};

}  // namespace tolvex_setup

#endif
