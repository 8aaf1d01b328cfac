// Portable: standard headers only. Never include <windows.h> here.
//
// The compatibility settings a user gives a program on its Properties, Compatibility tab
// ("Reduced color mode", "Run in 640 x 480", "Windows 95"...). Windows keeps them as layers in
// the registry, under Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers of the
// current user and of the machine, in a value named by the program's full path, and applies them
// on top of what Tolvex sets. They are only read here, never written.
#ifndef TOLVEX_TOOLS_COMMANDS_COMPAT_LAYERS_H
#define TOLVEX_TOOLS_COMMANDS_COMPAT_LAYERS_H

#include "app/text_fields.h"
#include "platform/fixed_text.h"
#include "platform/platform.h"
#include "tools/commands/operations.h"

namespace tolvex_commands {

using LayersText = tolvex::FixedText<512>;
using CompatLineText = tolvex::FixedText<1400>;

enum class LayersRoot { kCurrentUser, kLocalMachine };

// Where the layers are read from: the registry on Windows, a table in the tests.
class LayersSource {
 public:
  // The Layers value of `root` whose name is `program` (a full path, compared without regard to
  // case); false when there is none.
  virtual bool read(LayersRoot root, const char* program, LayersText& value) = 0;
  // The full path of a file name as the current folder makes it.
  virtual bool fullPath(const char* name, tolvex::PathText& path) = 0;

 protected:
  ~LayersSource() = default;
};

// This build's source: the registry on Windows; none elsewhere (nullptr: nothing to read).
LayersSource* systemLayersSource();

// The line after "Compatibility: " for `program` (the file Tolvex would start, a path walked by
// the code page's `leadBytes`), given its values for the current user and for all users (nullptr:
// none), e.g. "Windows also applies WIN95
// 256COLOR to GAME.EXE (its Properties, Compatibility tab)" or "none set". `tolvexLayer` is the
// colour layer Tolvex adds for this run (nullptr: none); when the values hold it already, a
// second line says so.
void composeCompatibility(const char* forUser, const char* forAll, const char* program,
                          const tolvex::LeadBytes& leadBytes, const char* tolvexLayer,
                          CompatLineText& line);

// The layers Windows keeps for `program` (the file Tolvex would start) for the current user and
// for all users; nothing read when the system has none to read or `program` is empty.
void readProgramLayers(const char* program, const tolvex::LeadBytes& leadBytes,
                       ProgramLayers& layers);

}  // namespace tolvex_commands

#endif
