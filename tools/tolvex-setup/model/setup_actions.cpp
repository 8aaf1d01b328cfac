// Tolvex Setup's buttons: Save (with `tolvex-ini write`), Check (`check`), Start the title and
// Restore display (`restore`).
#include <cstdio>
#include <cstring>

#include "tools/commands/commands.h"
#include "tools/tolvex-setup/model/names.h"
#include "tools/tolvex-setup/model/setup_model.h"

namespace tolvex_setup {

namespace {

Outcome refusal(Field focus, const char* text) {
  Outcome outcome;
  outcome.ok = false;
  outcome.focus = focus;
  outcome.message.assign(text);
  return outcome;
}

// Digits only, at most nine of them: a size as a person types it.
bool parseDimension(const char*& s, std::int32_t& value) {
  while (*s == ' ') {
    ++s;
  }
  int digits = 0;
  value = 0;
  for (; *s >= '0' && *s <= '9'; ++s, ++digits) {
    if (digits < 9) {
      value = value * 10 + (*s - '0');
    }
  }
  return digits > 0 && digits < 10;
}

// "800 x 600", "800x600", "800,600" or "800 600", and the list's mark " *" after it.
bool parseSize(const char* s, std::int32_t& width, std::int32_t& height) {
  if (!parseDimension(s, width)) {
    return false;
  }
  while (*s == ' ') {
    ++s;
  }
  if (*s == 'x' || *s == 'X' || *s == ',') {
    ++s;
  }
  if (!parseDimension(s, height)) {
    return false;
  }
  while (*s == ' ' || *s == '*') {
    ++s;
  }
  return *s == '\0';
}

// The control that write's refusal is about.
Field refusedField(const char* text) {
  if (std::strstr(text, "DEPTH") != nullptr) {
    return Field::kDepth;
  }
  if (std::strstr(text, "WIDTH") != nullptr || std::strstr(text, "HEIGHT") != nullptr) {
    return Field::kSize;
  }
  if (std::strstr(text, "STRICT") != nullptr) {
    return Field::kStrict;
  }
  return Field::kProgram;
}

// `write`'s arguments for the form.
struct WriteArgs {
  char numbers[4][16];
  const char* argv[10];
  int argc = 0;
};

void writeArgs(const SetupForm& form, const char* file, std::int32_t width, std::int32_t height,
               bool replace, WriteArgs& args) {
  (void)std::snprintf(args.numbers[0], sizeof args.numbers[0], "%d",
                      static_cast<int>(kDepths[form.depth]));
  (void)std::snprintf(args.numbers[1], sizeof args.numbers[1], "%d", static_cast<int>(width));
  (void)std::snprintf(args.numbers[2], sizeof args.numbers[2], "%d", static_cast<int>(height));
  (void)std::snprintf(args.numbers[3], sizeof args.numbers[3], "%d", form.strict ? 1 : 0);
  args.argc = 0;
  args.argv[args.argc++] = "-o";
  args.argv[args.argc++] = file;
  if (replace) {
    args.argv[args.argc++] = "--force";
  }
  args.argv[args.argc++] = "--";
  for (auto& number : args.numbers) {
    args.argv[args.argc++] = number;
  }
  if (!form.program.empty()) {
    args.argv[args.argc++] = form.program.c_str();
  }
}

}  // namespace

Outcome SetupModel::checkName() const {
  const char* name = form.name.c_str();
  if (name[0] == '\0') {
    return refusal(Field::kName, "Type the name of the renamed Tolvex, without \".exe\".");
  }
  if (std::strpbrk(name, ".\\/:*?\"<>|") != nullptr) {
    return refusal(Field::kName,
                   "The name cannot hold a dot or any of \\ / : * ? \" < > |: Tolvex looks for "
                   "its settings file under its own name up to the first dot.");
  }
  FileName exe;
  tolvexProgram(exe);
  if (exe.overflowed()) {
    return refusal(Field::kName, "The name is too long.");
  }
  if (equalsIgnoringCase(exe.c_str(), form.program.c_str())) {
    Outcome outcome = refusal(Field::kName, "");
    outcome.message.format(
        "%s is the title's program: Tolvex cannot take its name. Choose another name.",
        exe.c_str());
    return outcome;
  }
  return Outcome();
}

Outcome SetupModel::save(Questions& questions) {
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!parseSize(form.size.c_str(), width, height)) {
    return refusal(Field::kSize, "Type the size as width x height, for example 800 x 600.");
  }
  if (form.program.overflowed()) {
    return refusal(Field::kProgram,
                   "The name in Program is too long: Tolvex reads at most 255 characters.");
  }
  if (isTolvexProgram(form.program.c_str())) {
    return refusal(Field::kProgram, "That is one of Tolvex's own programs, not the title's.");
  }
  if (form.named) {
    const Outcome named = checkName();
    if (!named.ok) {
      return named;
    }
  }
  FileName file;
  settingsFile(file);
  WriteArgs args;

  // Tolvex's rules first, with nothing written: a refused value leaves the folder as it was.
  ReportIo sandbox(world_, true);
  writeArgs(form, file.c_str(), width, height, false, args);
  if (sandbox.run(tolvex_ini::runWrite, args.argc, args.argv) != tolvex_ini::kExitOk) {
    Outcome outcome = refusal(refusedField(sandbox.err.c_str()), "");
    withoutProgramName(sandbox.err.c_str(), outcome.message);
    return outcome;
  }

  if (!programThere(questions)) {
    return refusal(Field::kProgram, "");
  }
  const bool exists = world_.io().fileExists(file.c_str());
  if (exists) {
    tolvex::MessageText question;
    question.format("%s already exists in this folder.\n\nReplace it with these settings?",
                    file.c_str());
    if (!questions.askYesNo(question.c_str())) {
      Outcome kept;
      kept.ok = false;
      return kept;
    }
  }
  ReportIo io(world_, false);
  writeArgs(form, file.c_str(), width, height, exists, args);
  if (io.run(tolvex_ini::runWrite, args.argc, args.argv) != tolvex_ini::kExitOk) {
    tolvex::MessageText why;
    withoutProgramName(io.err.c_str(), why);
    Outcome outcome = refusal(Field::kNone, "");
    outcome.message.format(
        "%s could not be saved in this folder:\n\n%s\n\nA read-only folder, or one on a CD-ROM, "
        "cannot take the settings file. Nothing was written.",
        file.c_str(), why.c_str());
    return outcome;
  }
  report.assign(io.out);
  saved_ = form;
  offerRenameShadowing(questions, file.c_str());
  return offerTolvex(questions, file.c_str());
}

Outcome SetupModel::offerTolvex(Questions& questions, const char* file) {
  Outcome outcome;
  FileName exe;
  tolvexProgram(exe);
  if (world_.io().fileExists(exe.c_str())) {
    return outcome;
  }
  tolvex::PathText source;
  world_.besideSetup("Tolvex.exe", source);
  const char* as = form.named ? " as " : "";
  const char* asName = form.named ? exe.c_str() : "";
  if (!world_.io().fileExists(source.c_str())) {
    outcome.message.format(
        "Saved %s. There is no %s in this folder to read it, and no Tolvex.exe beside Tolvex "
        "Setup to copy: copy Tolvex.exe here%s%s yourself.",
        file, exe.c_str(), as, asName);
    return outcome;
  }
  tolvex::MessageText question;
  question.format(
      "Saved %s. There is no %s in this folder to read it.\n\nCopy Tolvex.exe from Tolvex "
      "Setup's folder into this folder%s%s?",
      file, exe.c_str(), as, asName);
  if (!questions.askYesNo(question.c_str())) {
    return outcome;
  }
  tolvex_ini::ReasonText why;
  if (!world_.copyNewFile(source.c_str(), exe.c_str(), why)) {
    outcome.ok = false;
    outcome.message.format("Tolvex.exe could not be copied here as %s: %s.", exe.c_str(),
                           why.c_str());
    return outcome;
  }
  report.appendFormat("Copied Tolvex.exe from Tolvex Setup's folder as %s\n", exe.c_str());
  return outcome;
}

void SetupModel::check() {
  FileName exe;
  tolvexProgram(exe);
  const char* argv[] = {"--tolvex", exe.c_str()};
  ReportIo io(world_, false);
  // Tolvex.exe is what check assumes anyway: the same arguments as a user's `tolvex-ini check`.
  io.run(tolvex_ini::runCheck, form.named ? 2 : 0, argv);
  // The verdict, and the message box that goes with it, first; then the note about a Tolvex.ini
  // that hides the named file; then how check came to it.
  const char* text = io.out.c_str();
  const char* verdict = std::strstr(text, "\nVerdict:");
  report.assign(verdict != nullptr ? verdict + 1 : "");
  shadowingNote();
  report.appendBytes(
      text, verdict != nullptr ? static_cast<std::size_t>(verdict - text + 1) : io.out.length());
  report.append(io.err);
}

void SetupModel::restore() {
  ReportIo io(world_, false);
  io.run(tolvex_ini::runRestore, 0, nullptr);
  report.assign(io.out);
  report.append(io.err);
}

}  // namespace tolvex_setup
