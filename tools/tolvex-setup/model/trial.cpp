// Try this mode: Tolvex's own switch, a countdown, and Tolvex's own way back.
#include "tools/tolvex-setup/model/trial.h"

#include <new>

#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/commands/report.h"

namespace tolvex_setup {

namespace {

// The mode a switch asked for, or went back to; without a depth (Tolvex's lenient retry) the
// display chose it.
void appendMode(ReportText& report, const tolvex::DevModeA& mode) {
  tolvex_commands::TextInto<ReportText::kCapacity> into(report);
  tolvex_commands::printModeAt(into, static_cast<std::int32_t>(mode.dmPelsWidth),
                               static_cast<std::int32_t>(mode.dmPelsHeight),
                               (mode.dmFields & tolvex::kDmBitsPerPel) == 0
                                   ? tolvex_commands::kAnyDepth
                                   : static_cast<std::int32_t>(mode.dmBitsPerPel));
}

void appendAnswer(ReportText& report, std::int32_t answer) {
  tolvex_commands::TextInto<ReportText::kCapacity> into(report);
  tolvex_commands::printDisplayAnswer(into, answer);
}

}  // namespace

void Trial::Watch::switchAttempted(const tolvex::DevModeA& mode, std::uint32_t, std::int32_t) {
  shown = mode;
}

void Trial::Watch::restoreAttempted(const tolvex::DevModeA&, std::uint32_t, std::int32_t result) {
  backAnswer = result;
}

Trial::Trial(SetupWorld& world, SetupModel& model) : world_(world), model_(model) {}

Trial::~Trial() {
  if (busy()) {
    run().~RunContext();
  }
}

tolvex::RunContext& Trial::run() {
  return *std::launder(reinterpret_cast<tolvex::RunContext*>(runRoom_));
}

void Trial::endRun(TrialState how) {
  run().~RunContext();
  state_ = how;
}

Outcome Trial::start() {
  tolvex::Platform* display = world_.io().system();
  if (busy() || display == nullptr) {
    return Outcome();
  }
  // Tolvex's rules first, in Save's words: a mode Tolvex would never ask for is not shown.
  tolvex_commands::WriteRequest request;
  const Outcome judged = model_.judge(request);
  if (!judged.ok) {
    return judged;
  }
  // From here until its way back the trial is busy: Tolvex's message box, whose owner is Setup's
  // window, may be up meanwhile, and a start from under it must not begin a second trial.
  tolvex::RunContext& record = *new (runRoom_) tolvex::RunContext(*display, "Tolvex.exe", &watch_);
  state_ = TrialState::kSwitching;
  model_.report.assign("Try this mode: ");
  if (!record.storedModeRead) {
    // No stored mode: there would be no mode to go back to.
    endRun(TrialState::kRefused);
    model_.report.append(
        "the display does not say which mode it stores, so there would be no way back.\n"
        "Nothing was switched.\n");
    return Outcome();
  }
  const std::int32_t depth = tolvex::appliedDepth(static_cast<std::int32_t>(request.numbers[0]));
  record.strictFlag = static_cast<std::int32_t>(request.numbers[3]);
  const std::int32_t answer =
      record.switchMode(depth, static_cast<std::int32_t>(request.numbers[1]),
                        static_cast<std::int32_t>(request.numbers[2]));
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  sizeOnly_ = record.switchedDepth != 0 && depth < 32 && display->getVersion(&major, &minor) &&
              (major > 6 || (major == 6 && minor >= 2));
  if (answer != 0) {
    model_.report.append("the display refused ");
    appendMode(model_.report, watch_.shown);
    model_.report.append("\n(");
    appendAnswer(model_.report, answer);
    model_.report.append(record.strictFlag == 1 ? "): Tolvex would start nothing.\n"
                                                : "): Tolvex would start the title unswitched.\n");
    // Tolvex's run always ends with its way back, which undoes a retry that stored the mode.
    goBackAsTolvex();
    endRun(TrialState::kRefused);
    return Outcome();
  }
  state_ = TrialState::kRunning;
  startTick_ = display->getTickCount();
  return Outcome();
}

std::uint32_t Trial::elapsed() const {
  return world_.io().system()->getTickCount() - startTick_;
}

bool Trial::tick() {
  if (state_ == TrialState::kRunning && elapsed() >= kTrialMilliseconds) {
    finish(TrialState::kTimedOut);
  }
  return state_ == TrialState::kRunning;
}

void Trial::countdown(CountdownText& text) const {
  const std::uint32_t gone = state_ == TrialState::kRunning ? elapsed() : kTrialMilliseconds;
  const std::uint32_t left = gone < kTrialMilliseconds ? kTrialMilliseconds - gone : 0;
  text.format("Going back in %d s", static_cast<int>((left + 999) / 1000));
}

// Tolvex's way back (the stored mode stored again when the switch stored another, else a plain
// switch back); should the display refuse that too, restore's own: back to what it stores.
void Trial::goBackAsTolvex() {
  tolvex::RunContext& record = run();
  record.restoreMode();
  ReportText& report = model_.report;
  report.append("Back to the stored mode, ");
  appendMode(report, record.savedMode);
  report.append(": ");
  appendAnswer(report, watch_.backAnswer);
  report.append("\n");
  if (watch_.backAnswer != 0) {
    const tolvex_commands::RestoreOutcome restored = tolvex_commands::restoreDisplay(world_.io());
    report.append("Back to what the display stores, as Restore display does: ");
    appendAnswer(report, restored.result);
    report.append("\n");
  }
}

void Trial::finish(TrialState how) {
  if (state_ != TrialState::kRunning) {
    return;
  }
  ReportText& report = model_.report;
  appendMode(report, watch_.shown);
  report.append(" was shown.\n");
  if (how == TrialState::kConfirmed) {
    report.append("You confirmed that it works.\n");
  } else if (how == TrialState::kWentBack) {
    report.append("You chose Go back: not confirmed.\n");
  } else {
    report.appendFormat("Not confirmed: back after %d s.\n",
                        static_cast<int>(kTrialMilliseconds / 1000));
  }
  goBackAsTolvex();
  endRun(how);
  if (sizeOnly_) {
    report.append(
        "On this Windows (8 or later) only the size was tried: 8 and 16 bits per\n"
        "pixel are emulated for each program, so the title gets its colours only\n"
        "when Tolvex starts it.\n");
  }
}

}  // namespace tolvex_setup
