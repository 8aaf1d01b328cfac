// Tolvex Setup's model: opening a title folder, its programs, the display's sizes and the
// folder's settings file as `tolvex-ini show` reads it.
#include "tools/tolvex-setup/model/setup_model.h"

#include <cstring>

#include "display/display_mode.h"
#include "settings/settings_text.h"
#include "tools/commands/commands.h"
#include "tools/commands/report.h"
#include "tools/tolvex-setup/model/names.h"

namespace tolvex_setup {

namespace {

// A display whose list goes on past this is taken as one that never says "no more".
constexpr std::int32_t kMaxModeIndex = 100000;

int depthIndex(std::int32_t depth) {
  for (int i = 0; i < kDepthCount; ++i) {
    if (kDepths[i] == depth) {
      return i;
    }
  }
  return -1;
}

// The folder's own name, as a first guess at the title's name: the last part of the path, up
// to its first dot (Tolvex reads <Name>.ini up to the first dot of its own name).
void folderName(const char* folder, FileName& name) {
  std::size_t end = std::strlen(folder);
  while (end > 0 && (folder[end - 1] == '\\' || folder[end - 1] == '/')) {
    --end;
  }
  std::size_t start = end;
  while (start > 0 && folder[start - 1] != '\\' && folder[start - 1] != '/') {
    --start;
  }
  std::size_t stop = start;
  while (stop < end && folder[stop] != '.' && folder[stop] != ':') {
    ++stop;
  }
  if (stop == start || !name.assignBytes(folder + start, stop - start)) {
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
  tolvex_ini::ReasonText why;
  if (folder != nullptr && !world_.enterFolder(folder, why)) {
    outcome.ok = false;
    outcome.message.format("The folder %s cannot be opened: %s.", folder, why.c_str());
    return outcome;
  }
  form = SetupForm();
  world_.currentFolder(form.folder);
  folderName(form.folder.c_str(), form.name);
  listPrograms();
  outcome.focus = readSettings();
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
  sizeCount = 0;
  tolvex::Platform* system = world_.io().system();
  if (system == nullptr) {
    return;
  }
  for (std::int32_t index = 0; index < kMaxModeIndex; ++index) {
    tolvex::DevModeA mode;
    std::memset(&mode, 0, sizeof mode);
    if (system->enumDisplaySettings(index, &mode) == 0) {
      break;
    }
    const auto width = static_cast<std::int32_t>(mode.dmPelsWidth);
    const auto height = static_cast<std::int32_t>(mode.dmPelsHeight);
    if (!tolvex::isSettingsWidth(width)) {
      continue;
    }
    int at = 0;
    while (at < sizeCount &&
           (sizes[at].width < width || (sizes[at].width == width && sizes[at].height < height))) {
      ++at;
    }
    if (at == sizeCount || sizes[at].width != width || sizes[at].height != height) {
      if (sizeCount == kMaxSizes) {
        continue;
      }
      for (int i = sizeCount; i > at; --i) {
        sizes[i] = sizes[i - 1];
      }
      sizes[at] = SizeChoice();
      sizes[at].width = width;
      sizes[at].height = height;
      ++sizeCount;
    }
    const int depth = depthIndex(static_cast<std::int32_t>(mode.dmBitsPerPel));
    if (depth >= 0) {
      sizes[at].depthMask |= 1U << depth;
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
        "No %s in this folder: Tolvex goes on with its defaults (16 bits per pixel, 800 x 600, "
        "strict, %s).\n",
        file.c_str(), tolvex::kDefaultAppName);
  } else {
    // The report is show's; the values are what Tolvex takes from the file.
    ReportIo io(world_, false);
    const char* argv[] = {"--", file.c_str()};
    io.run(tolvex_ini::runShow, 2, argv);
    report.assign(io.out);
    report.append(io.err);

    std::uint8_t stored[tolvex::kSettingsReadLimit];
    std::size_t size = 0;
    std::size_t total = 0;
    tolvex_ini::ReasonText why;
    if (world_.io().readFileHead(file.c_str(), stored, sizeof stored, size, total, why)) {
      tolvex_ini::Reading reading;
      tolvex_ini::readStored(stored, size, reading);
      fillFromScan(reading.scan);
      refused = refusedControl(reading.verdict.rejected);
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
                     static_cast<int>(scan.count >= 3 ? scan.height : 600));
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
               "folder, and give a shortcut to it this folder in \"Start in\".";
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
  name.assign(form.named ? form.name.c_str() : "Tolvex");
  name.append(".exe");
}

}  // namespace tolvex_setup
