// Tolvex Setup's model: opening a title folder, its programs, the display's sizes and the
// folder's settings file as `tolvex-ini show` reads it.
#include "tools/tolvex-setup/model/setup_model.h"

#include <cstring>

#include "tools/commands/operations.h"
#include "tools/tolvex-setup/model/names.h"

namespace tolvex_setup {

namespace {

// The folder's own name, as a first guess at the title's name: the last part of the path, up
// to its first dot (Tolvex reads <Name>.ini up to the first dot of its own name). The path is
// walked a character at a time: on a double-byte code page a second byte may be 0x5C, and the
// folder "表示" is no folder "示" in one whose name ends in half a character.
void folderName(const char* folder, const tolvex::LeadBytes& leadBytes, FileName& name) {
  const std::size_t length = std::strlen(folder);
  std::size_t start = 0;           // the last part's first byte
  std::size_t end = 0;             // just after the last character that separates nothing
  std::size_t afterSeparator = 0;  // just after the last '\\' or '/'
  for (std::size_t at = 0; at < length;) {
    const std::size_t size = leadBytes.charLength(folder, at, length);
    if (size == 1 && (folder[at] == '\\' || folder[at] == '/')) {
      afterSeparator = at + 1;
    } else {
      start = afterSeparator > end ? afterSeparator : start;
      end = at + size;
    }
    at += size;
  }
  const std::size_t stop = start + tolvex::settingsNameLength(folder + start, end - start);
  if (stop == start || std::memchr(folder + start, ':', stop - start) != nullptr ||
      !name.assignBytes(folder + start, stop - start)) {
    name.assign("Title");
  }
}

Field refusedControl(tolvex::SettingsField field) {
  switch (field) {
    case tolvex::SettingsField::kDepth:
      return Field::kDepth;
    case tolvex::SettingsField::kWidth:
    case tolvex::SettingsField::kHeight:
      return Field::kSize;
    case tolvex::SettingsField::kStrictFlag:
      return Field::kStrict;
    case tolvex::SettingsField::kAppName:
      return Field::kProgram;
    default:
      return Field::kNone;
  }
}

}  // namespace

Outcome SetupModel::open(const char* folder) {
  Outcome outcome;
  tolvex_commands::ReasonText why;
  if (folder != nullptr && !world_.enterFolder(folder, why)) {
    outcome.ok = false;
    outcome.message.format("The folder %s cannot be opened: %s.", folder, why.c_str());
    return outcome;
  }
  form = SetupForm();
  world_.currentFolder(form.folder);
  folderName(form.folder.c_str(), tolvex_commands::codePage(world_.io()), form.name);
  listPrograms();
  recogniseCopies(true);
  outcome.focus = readSettings();
  shadowingNote();
  listSizes();
  saved_ = form;
  return outcome;
}

void SetupModel::listPrograms() {
  const int listed = world_.listPrograms(programs, kMaxPrograms);
  programCount = 0;
  for (int i = 0; i < listed; ++i) {
    if (isTolvexProgram(programs[i].c_str())) {
      continue;
    }
    // Insertion in order, ignoring case.
    FileName name(programs[i].c_str());
    int at = programCount;
    while (at > 0 && compareIgnoringCase(programs[at - 1].c_str(), name.c_str()) > 0) {
      programs[at].assign(programs[at - 1]);
      --at;
    }
    programs[at].assign(name);
    ++programCount;
  }
}

void SetupModel::listSizes() {
  // The modes command's list, sorted by size: one choice for each size of a width Tolvex takes.
  tolvex_commands::ModesOutcome modes;
  tolvex_commands::listModes(world_.io(), modes);
  sizeCount = 0;
  for (int i = 0; i < modes.count; ++i) {
    const tolvex_commands::Mode& mode = modes.modes[i];
    if (!mode.tolvexWidth) {
      continue;
    }
    if (i == 0 || !tolvex_commands::sameSize(modes.modes[i - 1], mode)) {
      if (sizeCount == kMaxSizes) {
        break;
      }
      sizes[sizeCount] = SizeChoice();
      sizes[sizeCount].width = static_cast<std::int32_t>(mode.width);
      sizes[sizeCount].height = static_cast<std::int32_t>(mode.height);
      ++sizeCount;
    }
    const int depth = depthIndex(static_cast<std::int32_t>(mode.depth));
    if (depth >= 0) {
      sizes[sizeCount - 1].depthMask |= 1U << depth;
    }
  }
}

void SetupModel::sizeLabel(int i, SizeText& label) const {
  const SizeChoice& size = sizes[i];
  const int applied = depthIndex(tolvex::appliedDepth(kDepths[form.depth]));
  const bool offered = applied >= 0 && (size.depthMask & (1U << applied)) != 0;
  label.format("%d x %d%s", static_cast<int>(size.width), static_cast<int>(size.height),
               offered ? " *" : "");
}

Field SetupModel::readSettings() {
  Field refused = Field::kNone;
  FileName file;
  settingsFile(file);
  report.clear();
  if (!world_.io().fileExists(file.c_str())) {
    report.format(
        "No %s in this folder: Tolvex goes on with its defaults (%d bits per pixel, %d x %d, "
        "%s, %s).\n",
        file.c_str(), static_cast<int>(tolvex::kDefaultDepth),
        static_cast<int>(tolvex::kDefaultWidth), static_cast<int>(tolvex::kDefaultHeight),
        tolvex::kDefaultStrictFlag == 1 ? "strict" : "not strict", tolvex::kDefaultAppName);
  } else {
    // The report is show's; the values are what Tolvex takes from the file.
    tolvex_commands::ShowOutcome shown;
    tolvex_commands::showSettings(world_.io(), file.c_str(), shown);
    if (!shown.read) {
      report.format("%s cannot be read: %s.\n", file.c_str(), shown.why.c_str());
    } else {
      // The report box is an ANSI control: names in it are their characters.
      tolvex_commands::TextInto<ReportText::kCapacity> into(report);
      into.namesAsCharacters(tolvex_commands::codePage(world_.io()));
      tolvex_commands::printShown(into, file.c_str(), shown);
      if (shown.verdict == tolvex_commands::FileVerdict::kIgnored &&
          tolvex_commands::looksLikePlainText(shown.stored, shown.size)) {
        into.label("Hint:");
        into.text("the file looks like plain text, but Tolvex reads every byte complemented;\n");
        into.label("");
        into.text("Save writes it the way Tolvex reads it.\n");
      }
      fillFromScan(shown.scan);
      refused = refusedControl(shown.rejected);
    }
  }
  for (int i = 0; form.program.empty() && i < programCount; ++i) {
    if (equalsIgnoringCase(programs[i].c_str(), tolvex::kDefaultAppName)) {
      form.program.assign(programs[i]);
    }
  }
  return refused;
}

// Every field that was read, accepted or not, so that fixing the refused one keeps the others.
void SetupModel::fillFromScan(const tolvex::SettingsScan& scan) {
  const int depth = depthIndex(scan.depth);
  if (scan.count >= 1 && depth >= 0) {
    form.depth = depth;
  }
  if (scan.count >= 2) {
    form.size.format("%d x %d", static_cast<int>(scan.width),
                     static_cast<int>(scan.count >= 3 ? scan.height : tolvex::kDefaultHeight));
  }
  if (scan.count >= 4) {
    form.strict = scan.strictFlag != 0;
  }
  if (scan.count >= 5) {
    form.program.assign(scan.name.c_str());
  }
}

const char* SetupModel::shortcutNote() const {
  return form.named
             ? "The renamed Tolvex reads this file from its own folder, so a shortcut to it may "
               "start in any folder that holds no Tolvex.ini."
             : "Tolvex reads Tolvex.ini from the current folder: start Tolvex.exe from this "
               "folder. Shortcut makes a desktop shortcut that starts in it.";
}

void SetupModel::settingsFile(FileName& name) const {
  if (!form.named) {
    name.assign(tolvex::kSettingsFileName);
    return;
  }
  name.assign(form.name);
  name.append(".ini");
}

void SetupModel::tolvexProgram(FileName& name) const {
  for (int i = 0; form.named && i < nameCount; ++i) {
    if (equalsIgnoringCase(names[i].c_str(), form.name.c_str())) {
      name.assign(copies[i]);
      return;
    }
  }
  name.assign(form.named ? form.name.c_str() : "Tolvex");
  name.append(".exe");
}

}  // namespace tolvex_setup
