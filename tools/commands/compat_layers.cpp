// The compatibility line of check's report: the layers the user's Properties, Compatibility tab
// gave the program, as Windows keeps them for the current user and for all users.
#include "tools/commands/compat_layers.h"

#include <cstddef>
#include <cstring>

namespace tolvex_commands {

namespace {

// A value's layers: without the flags before them ("~" marks a value the Properties page wrote).
const char* withoutFlags(const char* value) {
  while (*value == '~' || *value == ' ') {
    ++value;
  }
  return value;
}

char upperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether the blank-separated `layers` name `layer`, in any case.
bool holdsLayer(const char* layers, const char* layer) {
  const std::size_t length = std::strlen(layer);
  for (const char* word = layers; *word != '\0';) {
    const char* end = word;
    while (*end != '\0' && *end != ' ') {
      ++end;
    }
    bool same = static_cast<std::size_t>(end - word) == length;
    for (std::size_t i = 0; same && i < length; ++i) {
      same = upperAscii(word[i]) == upperAscii(layer[i]);
    }
    if (same) {
      return true;
    }
    word = *end == ' ' ? end + 1 : end;
  }
  return false;
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

void printCompatibility(TextOut& out, const char* program, const char* colourLayers) {
  LayersSource* source = systemLayersSource();
  if (source == nullptr || program == nullptr || program[0] == '\0') {
    return;
  }
  // The layer this run adds is the last of the value it gives the title.
  const char* added = nullptr;
  for (const char* at = colourLayers; *at != '\0'; ++at) {
    if (at == colourLayers || at[-1] == ' ') {
      added = at;
    }
  }
  tolvex::PathText full;
  if (!source->fullPath(program, full)) {
    full.assign(program);
  }
  LayersText user;
  LayersText machine;
  const bool hasUser = source->read(LayersRoot::kCurrentUser, full.c_str(), user);
  const bool hasMachine = source->read(LayersRoot::kLocalMachine, full.c_str(), machine);
  CompatLineText line;
  composeCompatibility(hasUser ? user.c_str() : nullptr, hasMachine ? machine.c_str() : nullptr,
                       program, added, line);
  // The label is one column wider than the others: it carries the blank the text follows.
  for (const char* at = line.c_str(); *at != '\0';) {
    const char* end = std::strchr(at, '\n');
    const std::size_t length =
        end != nullptr ? static_cast<std::size_t>(end - at) : std::strlen(at);
    out.label(at == line.c_str() ? "Compatibility: " : "");
    out.escaped(at, length, false);
    out.text("\n");
    at += length + (end != nullptr ? 1 : 0);
  }
}

}  // namespace tolvex_commands
