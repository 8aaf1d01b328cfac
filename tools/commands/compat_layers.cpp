// The layers the user's Properties, Compatibility tab gave the program, as Windows keeps them for
// the current user and for all users, and the line that words them.
#include "tools/commands/compat_layers.h"

#include <cstddef>
#include <cstring>

#include "display/display_mode.h"

namespace tolvex_commands {

namespace {

// A value's layers: without the flags before them ("~" marks a value the Properties page wrote).
const char* withoutFlags(const char* value) {
  while (*value == '~' || *value == ' ') {
    ++value;
  }
  return value;
}

// Whether the blank-separated `layers` name `layer`, in any case: Tolvex's own test.
bool holdsLayer(const char* layers, const char* layer) {
  return tolvex::holdsLayer(layers, std::strlen(layers), layer);
}

const char* fileNameOf(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
    if (*at == '\\' || *at == '/' || *at == ':') {
      name = at + 1;
    }
  }
  return name;
}

}  // namespace

void composeCompatibility(const char* forUser, const char* forAll, const char* program,
                          const char* tolvexLayer, CompatLineText& line) {
  forUser = withoutFlags(forUser != nullptr ? forUser : "");
  forAll = withoutFlags(forAll != nullptr ? forAll : "");
  if (*forUser == '\0' && *forAll == '\0') {
    line.assign("none set");
    return;
  }
  line.assign("Windows also applies ");
  if (*forUser != '\0' && *forAll != '\0') {
    line.appendFormat("%s for this user and %s for all users", forUser, forAll);
  } else {
    line.append(*forUser != '\0' ? forUser : forAll);
  }
  line.appendFormat(" to %s (its Properties, Compatibility tab)", fileNameOf(program));
  if (tolvexLayer != nullptr &&
      (holdsLayer(forUser, tolvexLayer) || holdsLayer(forAll, tolvexLayer))) {
    line.appendFormat(
        "\n%s, the layer Tolvex adds for this mode on this Windows, is set there already",
        tolvexLayer);
  }
}

void readProgramLayers(const char* program, ProgramLayers& layers) {
  LayersSource* source = systemLayersSource();
  if (source == nullptr || program == nullptr || program[0] == '\0') {
    return;
  }
  layers.read = true;
  layers.program.assign(program);
  tolvex::PathText full;
  if (!source->fullPath(program, full)) {
    full.assign(program);
  }
  layers.forUserSet = source->read(LayersRoot::kCurrentUser, full.c_str(), layers.forUser);
  layers.forAllSet = source->read(LayersRoot::kLocalMachine, full.c_str(), layers.forAll);
}

}  // namespace tolvex_commands
