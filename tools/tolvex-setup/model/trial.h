// Portable: standard headers only. Never include <windows.h> here.
//
// Try this mode: the form's mode is shown for a while and then taken back, unless the user says
// it works first. Only a mode Tolvex would ask for is tried (Save's judgement, in Save's words);
// the display is switched and taken back by Tolvex's own run record (app/run_context.h), with
// its strict or lenient switch, its message and its fallbacks. The view shows the countdown,
// and calls tick() on its timer and confirm() or goBack() on its buttons; the report box then
// tells what happened. One trial at a time: while one switches (Tolvex's message box may be up)
// or runs, another start is ignored.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_TRIAL_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_TRIAL_H

#include <cstdint>

#include "app/run_context.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

// How long a mode is shown unless it is confirmed.
constexpr std::uint32_t kTrialMilliseconds = 15000;

// kSwitching and kRunning hold Tolvex's run record, and only they: a trial's way back needs it.
enum class TrialState { kIdle, kSwitching, kRunning, kConfirmed, kWentBack, kTimedOut, kRefused };

using CountdownText = tolvex::FixedText<64>;

class Trial {
 public:
  // Out of line: the record's observer is a class of trial.cpp's, built without type records.
  Trial(SetupWorld& world, SetupModel& model);
  Trial(const Trial&) = delete;
  Trial& operator=(const Trial&) = delete;
  ~Trial();

  // Switches to the form's mode. A refusal ends the trial at once (the report names the code);
  // values Tolvex would reject are refused as Save refuses them. Ignored while a trial switches
  // or runs (busy()).
  Outcome start();
  // The view's timer: goes back once the time has run out. True while the trial runs.
  bool tick();
  // "It works" and "Go back" (Escape), and a countdown that cannot run: back to the stored mode
  // either way.
  void confirm() { finish(TrialState::kConfirmed); }
  void goBack() { finish(TrialState::kWentBack); }

  TrialState state() const { return state_; }
  bool busy() const { return state_ == TrialState::kSwitching || state_ == TrialState::kRunning; }
  // "Going back in 15 s", whole seconds rounded up.
  void countdown(CountdownText& text) const;

 private:
  void finish(TrialState how);
  void goBackAsTolvex();
  // The record of a busy() trial, and its end in the state `how`.
  tolvex::RunContext& run();
  void endRun(TrialState how);
  std::uint32_t elapsed() const;
  // What Tolvex's run record did, as it happened.
  class Watch final : public tolvex::RunObserver {
   public:
    void switchAttempted(const tolvex::DevModeA& mode, std::uint32_t flags,
                         std::int32_t result) override;
    void restoreAttempted(const tolvex::DevModeA& mode, std::uint32_t flags,
                          std::int32_t result) override;
    tolvex::DevModeA shown{};
    std::int32_t backAnswer = 0;
  };

  SetupWorld& world_;
  SetupModel& model_;
  TrialState state_ = TrialState::kIdle;
  // Tolvex's run record, made anew for each trial (RunContext reads the stored mode when it is
  // made, and cannot be assigned); it lives while the trial is busy().
  alignas(tolvex::RunContext) unsigned char runRoom_[sizeof(tolvex::RunContext)] = {};
  Watch watch_;
  std::uint32_t startTick_ = 0;
  bool sizeOnly_ = false;  // Windows 8 and later: a depth below 32 is emulated, not shown
};

}  // namespace tolvex_setup

#endif
