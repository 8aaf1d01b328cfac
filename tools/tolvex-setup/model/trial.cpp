// Try this mode: a switch the way Tolvex makes it, a countdown, and the way back.
#include "tools/tolvex-setup/model/trial.h"

#include <cstring>

#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/commands/report.h"

namespace tolvex_setup {

namespace {

void appendMode(ReportText& report, const tolvex::DevModeA& mode) {
  tolvex_commands::TextInto<ReportText::kCapacity> into(report);
  tolvex_commands::printModeAt(into, static_cast<std::int32_t>(mode.dmPelsWidth),
                               static_cast<std::int32_t>(mode.dmPelsHeight),
                               static_cast<std::int32_t>(mode.dmBitsPerPel));
}

void appendAnswer(ReportText& report, std::int32_t answer) {
  const tolvex::DisplayChangeText* text = tolvex::findDisplayChangeText(answer);
  if (answer == 0) {
    report.append("DISP_CHANGE_SUCCESSFUL");
  } else if (text != nullptr) {
    report.append(text->name);
  } else {
    report.appendFormat("%d, a code Tolvex has no message for", static_cast<int>(answer));
  }
}

}  // namespace

Outcome Trial::start() {
  Outcome outcome;
  tolvex::Platform* display = world_.io().system();
  if (state_ == TrialState::kRunning || display == nullptr) {
    return outcome;
  }
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!parseSize(model_.form.size.c_str(), width, height)) {
    outcome.ok = false;
    outcome.focus = Field::kSize;
    outcome.message.assign("Type the size as width x height, for example 800 x 600.");
    return outcome;
  }
  // As Tolvex: both records from the stored mode; four members of one are written.
  std::memset(&savedMode_, 0, sizeof savedMode_);
  display->enumDisplaySettings(tolvex::kEnumRegistrySettings, &savedMode_);
  std::memset(&workingMode_, 0, sizeof workingMode_);
  display->enumDisplaySettings(tolvex::kEnumRegistrySettings, &workingMode_);
  const std::int32_t depth = tolvex::appliedDepth(kDepths[model_.form.depth]);
  workingMode_.dmFields = tolvex::kFullRequestFields;
  workingMode_.dmBitsPerPel = static_cast<std::uint32_t>(depth);
  workingMode_.dmPelsWidth = static_cast<std::uint32_t>(width);
  workingMode_.dmPelsHeight = static_cast<std::uint32_t>(height);
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  sizeOnly_ = depth < 32 && display->getVersion(&major, &minor) &&
              (major > 6 || (major == 6 && minor >= 2));

  const std::int32_t answer = display->changeDisplaySettings(&workingMode_, tolvex::kSwitchOnly);
  model_.report.assign("Try this mode: ");
  if (answer != 0) {
    state_ = TrialState::kRefused;
    model_.report.append("the display refused ");
    appendMode(model_.report, workingMode_);
    model_.report.append("\n(");
    appendAnswer(model_.report, answer);
    model_.report.append("). Nothing was switched.\n");
    return outcome;
  }
  state_ = TrialState::kRunning;
  startTick_ = display->getTickCount();
  return outcome;
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

void Trial::finish(TrialState how) {
  if (state_ != TrialState::kRunning) {
    return;
  }
  state_ = how;
  const std::int32_t answer =
      world_.io().system()->changeDisplaySettings(&savedMode_, tolvex::kSwitchOnly);
  ReportText& report = model_.report;
  appendMode(report, workingMode_);
  report.append(" was shown.\n");
  if (how == TrialState::kConfirmed) {
    report.append("You confirmed that it works.\n");
  } else if (how == TrialState::kWentBack) {
    report.append("You chose Go back: not confirmed.\n");
  } else {
    report.appendFormat("Not confirmed: back after %d s.\n",
                        static_cast<int>(kTrialMilliseconds / 1000));
  }
  report.appendFormat(
      "Back to the stored mode, %d x %d at %d bits: ", static_cast<int>(savedMode_.dmPelsWidth),
      static_cast<int>(savedMode_.dmPelsHeight), static_cast<int>(savedMode_.dmBitsPerPel));
  appendAnswer(report, answer);
  report.append("\n");
  if (sizeOnly_) {
    report.append(
        "On this Windows (8 or later) only the size was tried: 8 and 16 bits per\n"
        "pixel are emulated for each program, so the title gets its colours only\n"
        "when Tolvex starts it.\n");
  }
}

}  // namespace tolvex_setup
