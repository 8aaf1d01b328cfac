// Portable: standard headers only. Never include <windows.h> here.
//
// Tolvex Setup's dialog without its window: the values of the controls, the lists behind them,
// and every decision the buttons lead to. The view copies values between its controls and
// `form` and shows what comes back; the decisions are made here, on a SetupWorld, with
// the commands (tools/commands/operations.h) doing the reading, writing, checking and
// restoring, and their outcomes put in the dialog's words.
#ifndef TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_SETUP_MODEL_H
#define TOLVEX_TOOLS_TOLVEX_SETUP_MODEL_SETUP_MODEL_H

#include <cstdint>

#include "settings/settings_text.h"
#include "tools/commands/operations.h"
#include "tools/tolvex-setup/model/setup_world.h"

namespace tolvex_setup {

// The depths the dialog offers, in its order; Tolvex applies 24 as 32.
constexpr int kDepthCount = 4;
constexpr std::int32_t kDepths[kDepthCount] = {8, 16, 24, 32};
constexpr int depthIndex(std::int32_t depth) {
  for (int i = 0; i < kDepthCount; ++i) {
    if (kDepths[i] == depth) {
      return i;
    }
  }
  return -1;
}
constexpr int kMaxPrograms = 128;
constexpr int kMaxSizes = 64;

// The controls a message is about.
enum class Field { kNone, kProgram, kDepth, kSize, kStrict, kName };

using SizeText = tolvex::FixedText<64>;
using ReportText = tolvex::FixedText<16384>;

// The values of the controls; Tolvex's defaults before a settings file is read.
struct SetupForm {
  SetupForm() { size.format("%d x %d", tolvex::kDefaultWidth, tolvex::kDefaultHeight); }
  tolvex::PathText folder;
  FileName program;
  int depth = depthIndex(tolvex::kDefaultDepth);  // index into kDepths
  SizeText size;
  bool strict = tolvex::kDefaultStrictFlag == 1;
  bool named = false;  // <Name>.ini for a Tolvex renamed <Name>.exe, rather than Tolvex.ini
  FileName name;
};

// A size that the display offers, with the depths it offers it at.
struct SizeChoice {
  std::int32_t width = 0;
  std::int32_t height = 0;
  unsigned depthMask = 0;  // bit i: kDepths[i]
};

// What an action ends with: a message for the user (none when it is empty) and whether the
// action did what was asked; a message about a value names the control to go back to.
struct Outcome {
  bool ok = true;
  tolvex::MessageText message;
  Field focus = Field::kNone;
};

enum class Answer { kYes, kNo, kCancel };

// Questions to the user, asked in the middle of an action.
class Questions {
 public:
  virtual bool askYesNo(const char* text) = 0;
  virtual Answer askYesNoCancel(const char* text) = 0;

 protected:
  ~Questions() = default;
};

class SetupModel {
 public:
  explicit SetupModel(SetupWorld& world) : world_(world) {}

  SetupForm form;
  // The Program list: the folder's programs without Tolvex's own, sorted.
  FileName programs[kMaxPrograms];
  int programCount = 0;
  // The Size list: the display's sizes with a width that Tolvex accepts, sorted.
  SizeChoice sizes[kMaxSizes];
  int sizeCount = 0;
  // The Name list: the names of renamed copies of Tolvex here that have a settings file, and
  // each copy's own file (Intro.v2.exe for the name Intro).
  FileName names[kMaxPrograms];
  FileName copies[kMaxPrograms];
  int nameCount = 0;
  // The read-only box: what the last reading, check, save or restore printed.
  ReportText report;

  // Opens a title folder (nullptr: the current one): lists it, reads its settings file into the
  // form and asks the display for its sizes. A file that Tolvex rejects fills the form with what
  // was read, and the outcome names the refused control.
  Outcome open(const char* folder);
  // The Size list's text for sizes[i]: "800 x 600", marked " *" when the display offers it at
  // the chosen depth.
  void sizeLabel(int i, SizeText& label) const;
  // What the chosen settings file means for shortcuts.
  const char* shortcutNote() const;
  // Tolvex.ini or <Name>.ini, and Tolvex.exe or the copy of that name (<Name>.exe when none).
  void settingsFile(FileName& name) const;
  void tolvexProgram(FileName& name) const;

  // Another name from the Name list, after the question about unsaved changes: its settings
  // file (or Tolvex's defaults) fills the form. False, with the form as it was, on Cancel.
  bool chooseName(int index, Questions& questions);

  // The form's values under Tolvex's rules, with nothing written, as Save judges them: ok with
  // `request` filled in, or the refusal in the dialog's words.
  Outcome judge(tolvex_commands::WriteRequest& request) const;
  // The name in Name for a file of Tolvex Setup's own: <Name>.ini, <Name>.exe or <Name>.lnk.
  Outcome checkName() const;
  // Before the shortcut: unsaved changes asked about, the named copy there (its copy offered
  // when missing) and never another program, a Tolvex.ini that hides the named file offered a
  // rename; `saved` is then what the saved settings file makes Tolvex do. Not ok when the
  // shortcut is not to be made.
  Outcome readyForShortcut(Questions& questions, tolvex::SettingsRequest& saved);

  // Whether the form differs from what was last opened or saved.
  bool unsavedChanges() const;

  // The buttons. Start with unsaved changes asks first whether to save them.
  Outcome save(Questions& questions);
  void check();
  Outcome start(Questions& questions);
  void restore();
  // Close or Escape: true when the window may close (nothing unsaved, saved, or dropped).
  bool close(Questions& questions);
  // Browse chose another folder: true when it may be opened (the same question as Close).
  bool leaveFolder(Questions& questions);
  // The title started by start() has ended: the report tells the display's mode now.
  void titleEnded();

 private:
  void listPrograms();
  void listSizes();
  Field readSettings();
  void recogniseCopies(bool chooseFirst);
  bool isTolvexCopy(const char* program) const;
  Outcome namedCopyThere() const;
  Outcome offerTolvex(Questions& questions, const char* saved);
  bool saveFirst(Questions& questions, const char* what, Outcome& outcome);
  void fillFromScan(const tolvex::SettingsScan& scan);
  bool programThere(Questions& questions) const;
  void offerRenameShadowing(Questions& questions, const char* file);
  void shadowingNote();
  bool mayDrop(Questions& questions, const char* question);
  // What Save wrote last, or what open() read: the form without unsaved changes.
  SetupForm saved_;
  SetupWorld& world_;
};

}  // namespace tolvex_setup

#endif
