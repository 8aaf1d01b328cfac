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

// What follows the last '\\', '/' or ':' that is a character of its own: "ソフト.exe" keeps its
// "ソ", whose second byte is 0x5C.
const char* fileNameOf(const char* path, const tolvex::LeadBytes& leadBytes) {
  const std::size_t length = std::strlen(path);
  const char* name = path;
  for (std::size_t at = 0; at < length;) {
    const std::size_t size = leadBytes.charLength(path, at, length);
    if (size == 1 && (path[at] == '\\' || path[at] == '/' || path[at] == ':')) {
      name = path + at + 1;
    }
    at += size;
  }
  return name;
}

}  // namespace

void composeCompatibility(const char* forUser, const char* forAll, const char* program,
                          const tolvex::LeadBytes& leadBytes, const char* tolvexLayer,
                          CompatLineText& line) {
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
  line.appendFormat(" to %s (its Properties, Compatibility tab)", fileNameOf(program, leadBytes));
  if (tolvexLayer != nullptr &&
      (holdsLayer(forUser, tolvexLayer) || holdsLayer(forAll, tolvexLayer))) {
    line.appendFormat(
        "\n%s, the layer Tolvex adds for this mode on this Windows, is set there already",
        tolvexLayer);
  }
}

void readProgramLayers(const char* program, const tolvex::LeadBytes& leadBytes,
                       ProgramLayers& layers) {
  LayersSource* source = systemLayersSource();
  if (source == nullptr || program == nullptr || program[0] == '\0') {
    return;
  }
  layers.read = true;
  layers.leadBytes = leadBytes;
  layers.program.assign(program);
  tolvex::PathText full;
  if (!source->fullPath(program, full)) {
    full.assign(program);
  }
  layers.forUserSet = source->read(LayersRoot::kCurrentUser, full.c_str(), layers.forUser);
  layers.forAllSet = source->read(LayersRoot::kLocalMachine, full.c_str(), layers.forAll);
}

}  // namespace tolvex_commands
