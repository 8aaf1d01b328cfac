// The words of show and check on the command line: check's outcome, fact by fact, in the rows
// tolvex-ini has always printed, and the advice to use tolvex-ini's own commands.
#include <cstring>

#include "app/run_context.h"
#include "tools/commands/compat_layers.h"
#include "tools/commands/operations.h"
#include "tools/tolvex-ini/cli_text.h"

namespace tolvex_ini {

void printPlainTextHint(TextOut& out, FileVerdict verdict, const std::uint8_t* stored,
                        std::size_t size) {
  if (verdict == FileVerdict::kIgnored && looksLikePlainText(stored, size)) {
    out.label("Hint:");
    out.text("the file looks like plain text, but Tolvex reads every byte complemented;\n");
    out.label("");
    out.text("make it with 'tolvex-ini write' or 'tolvex-ini encode < FILE > Tolvex.ini'\n");
  }
}

namespace {

template <typename Event, std::size_t N>
void printUnlisted(TextOut& out, const tolvex_commands::Kept<Event, N>& kept) {
  if (kept.total > kept.count) {
    out.label("");
    out.format("(%d more not listed)\n", kept.total - kept.count);
  }
}

void printSwitch(TextOut& out, const SwitchAsked& ask) {
  printModeAt(out, ask.width, ask.height, ask.anyDepth ? kAnyDepth : ask.depth);
  if (ask.storeForAll) {
    out.text(", asked again with storing for all users");
  }
  out.text(": ");
  printDisplayAnswer(out, ask.answer);
  out.text("\n");
}

// `again`: a plain switch back after storing the mode again was refused.
void printRestore(TextOut& out, const SwitchAsked& back, bool again) {
  out.text("to the stored mode, ");
  printModeAt(out, back.width, back.height, back.depth);
  if (back.storeForAll) {
    out.text(", storing it again for all users");
  } else if (again) {
    out.text(", asked again without storing");
  }
  out.text(": ");
  printDisplayAnswer(out, back.answer);
  out.text("\n");
}

void printApp(TextOut& out, const char* name) {
  out.escaped(name, false);
  if (std::strcmp(name, tolvex::kFallbackAppName) == 0) {
    out.text(" in the current folder");
  }
}

void printSettings(TextOut& out, const CheckRequest& request, const CheckOutcome& seen) {
  for (int i = 0; i < seen.settingsFiles.count; ++i) {
    const tolvex_commands::SettingsTried& file = seen.settingsFiles.items[i];
    out.label(i == 0 ? "Settings:" : "");
    if (file.here && request.file != nullptr) {
      out.escaped(request.file, false);
      out.format(" (in place of %s in the current folder)", tolvex::kSettingsFileName);
    } else {
      out.escaped(file.path.c_str(), false);
      out.text(file.here ? " (in the current folder)" : " (named after Tolvex, in its folder)");
    }
    if (file.result < 0) {
      out.text(": cannot be opened\n");
    } else {
      out.format(": read, %ld bytes\n", file.result);
    }
  }
  printUnlisted(out, seen.settingsFiles);
  if (seen.settingsOpened) {
    const FileVerdict verdict =
        printSettingsReading(out, seen.settings, seen.settingsSize, seen.settingsSize, false);
    printPlainTextHint(out, verdict, seen.settings, seen.settingsSize);
    return;
  }
  out.label(seen.settingsFiles.total == 0 ? "Settings:" : "");
  out.text("none: Tolvex goes on with its defaults\n");
  printRequest(out, tolvex_commands::AppliedRequest(), 0);
}

// The layers the user's Properties, Compatibility tab gave the program; the label is one column
// wider than the others: it carries the blank the text follows.
void printCompatibility(TextOut& out, const CheckOutcome& seen) {
  const tolvex_commands::ProgramLayers& layers = seen.programLayers;
  if (!layers.read) {
    return;
  }
  tolvex_commands::CompatLineText line;
  tolvex_commands::composeCompatibility(
      layers.forUserSet ? layers.forUser.c_str() : nullptr,
      layers.forAllSet ? layers.forAll.c_str() : nullptr, layers.program.c_str(), layers.leadBytes,
      seen.addedLayer.empty() ? nullptr : seen.addedLayer.c_str(), line);
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

void printVerdict(TextOut& out, const CheckOutcome& seen) {
  out.label("Verdict:");
  if (seen.otherCopy) {
    out.text("once the running copy has ended, ");
  }
  if (!seen.started) {
    out.text(seen.boxes.total > 0 ? "Tolvex shows this message box and starts nothing\n"
                                  // A strict switch refused with a code that has no message.
                                  : "Tolvex starts nothing and shows no message\n");
    return;
  }
  const SwitchAsked& mode = seen.taken;
  if (seen.switchTaken && !mode.anyDepth) {
    out.text("Tolvex switches to ");
    printModeAt(out, mode.width, mode.height, mode.depth);
    out.text(" and starts ");
  } else if (seen.switchTaken) {
    out.format(
        "Tolvex switches to %d x %d at the depth the display gives (not %d bits per "
        "pixel) and starts ",
        static_cast<int>(mode.width), static_cast<int>(mode.height),
        static_cast<int>(seen.switches.items[0].depth));
  } else {
    out.text("Tolvex starts ");
  }
  printApp(out, seen.startedName.c_str());
  out.text(seen.switchTaken ? "\n" : " without switching the display\n");
}

}  // namespace

void printCheck(TextOut& out, const CheckRequest& request, const CheckOutcome& seen) {
  out.label("Tolvex:");
  out.escaped(seen.tolvex.c_str(), false);
  out.text(" (nothing is switched, started or written by this check)\n");
  printSettings(out, request, seen);

  if (seen.switches.total == 0) {
    out.label("Display:");
    out.text("not asked: the run ends before the switch\n");
  }
  for (int i = 0; i < seen.switches.count; ++i) {
    out.label(i == 0 ? "Display:" : "");
    printSwitch(out, seen.switches.items[i]);
  }
  printUnlisted(out, seen.switches);
  if (!seen.colourLayers.empty()) {
    // Windows 8 and later only emulate 8 and 16 bits per pixel for the program that switched;
    // the title sees that depth through this layer.
    out.label("Colour layer: ");
    out.text("the title starts with __COMPAT_LAYER=");
    out.escaped(seen.colourLayers.c_str(), false);
    out.text("\n");
  }

  for (int i = 0; i < seen.launches.count; ++i) {
    const tolvex_commands::LaunchTried& launch = seen.launches.items[i];
    out.label(i == 0 ? "Launch:" : "");
    printApp(out, launch.name.c_str());
    out.text(launch.there ? ": there\n" : ": not there, or cannot be opened\n");
  }
  printUnlisted(out, seen.launches);
  if (seen.launches.total == 0) {
    out.label("Launch:");
    out.text("not tried: the run ends before the launch\n");
  }
  printCompatibility(out, seen);

  for (int i = 0; i < seen.restores.count; ++i) {
    out.label(i == 0 ? "Switch back:" : "");
    printRestore(out, seen.restores.items[i], i > 0);
  }
  printUnlisted(out, seen.restores);
  if (seen.restores.total == 0) {
    out.label("Switch back:");
    out.text("not asked\n");
  }

  out.label("Other copy:");
  out.text(seen.otherCopy
               ? "a copy of Tolvex is running now: Tolvex would end at once, doing nothing\n"
               : "none running\n");

  printVerdict(out, seen);
  for (int i = 0; i < seen.boxes.count; ++i) {
    printMessageBox(out, seen.boxes.items[i].caption.c_str(), seen.boxes.items[i].text.c_str(),
                    seen.boxes.items[i].utf8);
  }
  printUnlisted(out, seen.boxes);
}

}  // namespace tolvex_ini
