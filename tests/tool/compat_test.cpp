// check's compatibility line: the layers of the current user and of the machine, as the
// Properties page leaves them, for the program Tolvex would start.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "tools/commands/compat_layers.h"

namespace tolvex_ini {
namespace {

// Values by root (0: the user, 1: the machine) and lower-cased full name, as the registry
// compares them; names are made full in C:\Games\Intro.
struct FakeLayers final : LayersSource {
  std::map<std::string, std::string> values[2];
  bool read(LayersRoot root, const char* program, LayersText& value) override {
    std::string name(program);
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    const auto& of = values[root == LayersRoot::kCurrentUser ? 0 : 1];
    return of.count(name) != 0 && value.assign(of.at(name).c_str());
  }
  bool fullPath(const char* name, tolvex::PathText& path) override {
    return path.format("C:\\Games\\Intro\\%s", name);
  }
};

const char kGame[] = "c:\\games\\intro\\game.exe";
const std::string kTab = " to GAME.EXE (its Properties, Compatibility tab)";

struct CompatCase {
  int line;
  std::map<std::string, std::string> user, machine;
  const char* tolvexLayer;
  std::string expected;
};

// clang-format off
const CompatCase kCompatCases[] = {
    {__LINE__, {{kGame, "WIN95 256COLOR"}}, {}, nullptr, "Windows also applies WIN95 256COLOR" + kTab},
    {__LINE__, {}, {{kGame, "640X480"}}, nullptr, "Windows also applies 640X480" + kTab},
    {__LINE__, {{kGame, "~ WIN95"}}, {{kGame, "16BITCOLOR"}}, "16BITCOLOR",
     "Windows also applies WIN95 for this user and 16BITCOLOR for all users" + kTab +
     "\n16BITCOLOR, the layer Tolvex adds for this mode on this Windows, is set there already"},
    {__LINE__, {{kGame, "~ 256COLOR"}}, {}, "16BITCOLOR", "Windows also applies 256COLOR" + kTab},
    {__LINE__, {{"c:\\games\\intro\\other.exe", "WIN95"}}, {{kGame, "~ "}}, "256COLOR", "none set"},
};
// clang-format on

TEST(CheckCompatibility, NamesTheLayersOfBothRoots) {
  for (const CompatCase& c : kCompatCases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    FakeLayers layers;
    layers.values[0] = c.user;
    layers.values[1] = c.machine;
    CompatLineText line;
    composeCompatibility(layers, "GAME.EXE", c.tolvexLayer, line);
    EXPECT_EQ(c.expected, line.c_str());
  }
}

}  // namespace
}  // namespace tolvex_ini
