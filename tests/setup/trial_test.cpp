// Try this mode on a scripted display: the switch Tolvex makes, the countdown, and the way back.
#include "tools/tolvex-setup/model/trial.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fake_platform.h"
#include "tests/setup/fake_setup_world.h"

namespace tolvex_setup {
namespace {

struct TrialCase {
  int line;
  std::string size;
  int depth;  // index into kDepths
  std::int32_t answer;
  std::uint32_t minor;             // of Windows 6.x
  std::vector<std::string> steps;  // "try", "works", "back", or milliseconds gone and a tick
  TrialState state;
  std::string countdown;
  std::vector<std::string> reportHas;
};

const char kShown[] = "Try this mode: 640 x 480 at 16 bits per pixel was shown.\n";
const char kBack[] = "Back to the stored mode, 1280 x 1024 at 32 bits: DISP_CHANGE_SUCCESSFUL\n";

// clang-format off
const TrialCase kTrialCases[] = {
    {__LINE__, "640 x 480 *", 1, 0, 1, {"try", "1000", "works"}, TrialState::kConfirmed,
     "Going back in 0 s", {kShown, "You confirmed that it works.\n", kBack}},
    {__LINE__, "640x480", 1, 0, 1, {"try", "14001"}, TrialState::kRunning, "Going back in 1 s", {}},
    {__LINE__, "640x480", 1, 0, 2, {"try", "14001", "15000", "works"}, TrialState::kTimedOut, "",
     {kShown, "Not confirmed: back after 15 s.\n", kBack, "only the size was tried"}},
    {__LINE__, "640,480", 1, 0, 1, {"try", "try", "back"}, TrialState::kWentBack, "",
     {kShown, "You chose Go back: not confirmed.\n"}},
    {__LINE__, "1152 x 864", 2, -2, 1, {"try", "back"}, TrialState::kRefused, "",
     {"the display refused 1152 x 864 at 32 bits per pixel\n(DISP_CHANGE_BADMODE). Nothing"}},
    {__LINE__, "big", 1, 0, 1, {"try"}, TrialState::kIdle, "", {}},
};
// clang-format on

TEST(SetupTrial, ShowsTheModeAndGoesBack) {
  for (const TrialCase& c : kTrialCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    tolvex::FakePlatform display;
    display.changeResults = {c.answer};
    display.versionMinor = c.minor;
    FakeSetupWorld world;
    world.files.platform = &display;
    SetupModel model(world);
    model.form.size.assign(c.size.c_str());
    model.form.depth = c.depth;
    Trial trial(world, model);
    const std::uint32_t start = display.tickCount;
    int tries = 0;
    for (const std::string& step : c.steps) {
      if (step == "try") {
        tries += trial.start().ok ? 1 : 0;
      } else if (step == "works") {
        trial.confirm();
      } else if (step == "back") {
        trial.goBack();
      } else {
        display.tickCount = start + static_cast<std::uint32_t>(std::stoul(step));
        trial.tick();
      }
    }
    EXPECT_EQ(c.state, trial.state());
    if (!c.countdown.empty()) {
      CountdownText text;
      trial.countdown(text);
      EXPECT_EQ(c.countdown, text.c_str());
    }
    for (const std::string& has : c.reportHas) {
      EXPECT_NE(std::string::npos, std::string(model.report.c_str()).find(has))
          << model.report.c_str();
    }
    // One switch to the mode, asked as Tolvex asks it, and one back while it was shown.
    const bool shown = c.state != TrialState::kRefused && c.state != TrialState::kIdle;
    const size_t finished = shown && c.state != TrialState::kRunning ? 1 : 0;
    ASSERT_EQ(c.state == TrialState::kIdle ? 0 : 1 + finished, display.changedModes.size());
    for (std::size_t i = 0; i < display.changedModes.size(); ++i) {
      EXPECT_EQ(0U, display.changeFlags[i]);
      tolvex::DevModeA want = display.storedMode;
      if (i == 0) {
        want.dmFields = 0x1C0000;
        want.dmBitsPerPel = c.depth == 2 ? 32 : 16;
        EXPECT_TRUE(parseSize(c.size.c_str(), reinterpret_cast<std::int32_t&>(want.dmPelsWidth),
                              reinterpret_cast<std::int32_t&>(want.dmPelsHeight)));
      }
      EXPECT_EQ(0, std::memcmp(&want, &display.changedModes[i], sizeof want)) << "switch " << i;
    }
  }
}

}  // namespace
}  // namespace tolvex_setup
