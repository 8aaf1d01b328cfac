// tolvex-ini check: a dry run of Tolvex here and now. Tolvex's own run sequence runs on a
// platform that only asks (dry_run_platform.h), so the check cannot disagree with Tolvex about
// what it would do; this file only tells what the run asked and was answered.
#include <cstring>

#include "app/run_context.h"
#include "display/display_mode.h"
#include "tools/tolvex-ini/commands.h"
#include "tools/tolvex-ini/dry_run_platform.h"
#include "tools/tolvex-ini/report.h"

namespace tolvex_ini {

namespace {

using Switch = DryRunPlatform::SwitchAsk;

void printSwitch(Printer& out, const Switch& ask) {
  if (ask.fields == tolvex::kFullRequestFields) {
    out.format("%d x %d at %d bits per pixel", static_cast<int>(ask.width),
               static_cast<int>(ask.height), static_cast<int>(ask.depth));
  } else {
    out.format("%d x %d at any depth", static_cast<int>(ask.width), static_cast<int>(ask.height));
  }
  if (ask.flags == tolvex::kSwitchAndStoreForAll) {
    out.text(", asked again with storing for all users");
  }
  out.text(": ");
  printDisplayAnswer(out, ask.answer);
  out.text("\n");
}

void printApp(Printer& out, const char* name) {
  out.escaped(name, false);
  if (std::strcmp(name, tolvex::kFallbackAppName) == 0) {
    out.text(" in the current folder");
  }
}

struct CheckArgs {
  const char* tolvex = "Tolvex.exe";
  const char* file = nullptr;
};

int parseCheck(int argc, const char* const* argv, ToolIo& io, CheckArgs& args) {
  bool optionsEnded = false;
  int count = 0;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i];
    if (!optionsEnded && std::strcmp(arg, "--") == 0) {
      optionsEnded = true;
    } else if (!optionsEnded && std::strcmp(arg, "--tolvex") == 0) {
      if (i + 1 >= argc) {
        return usageError(io, "option requires an argument --", "tolvex");
      }
      args.tolvex = argv[++i];
    } else if (!optionsEnded && std::strncmp(arg, "--tolvex=", 9) == 0) {
      args.tolvex = arg + 9;
    } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
      return usageError(io, "check: unrecognized option", arg);
    } else if (++count > 1) {
      return usageError(io, "check: too many arguments, starting with", arg);
    } else {
      args.file = arg;
    }
  }
  if (args.tolvex[0] == '\0') {
    return usageError(io, "check: the Tolvex path is empty", nullptr);
  }
  return kExitOk;
}

void printSettings(Printer& out, const DryRunPlatform& dry, const CheckArgs& args) {
  bool opened = false;
  for (int i = 0; i < dry.fileCount; ++i) {
    const DryRunPlatform::FileAsk& ask = dry.files[i];
    out.label(i == 0 ? "Settings:" : "");
    out.escaped(ask.path.c_str(), false);
    if (i == 0) {
      if (args.file != nullptr) {
        out.format(" (in place of %s in the current folder)", tolvex::kSettingsFileName);
      } else {
        out.text(" (in the current folder)");
      }
    } else {
      out.text(" (named after Tolvex, in its folder)");
    }
    if (ask.result < 0) {
      out.text(": cannot be opened\n");
    } else {
      out.format(": read, %ld bytes\n", ask.result);
      opened = true;
    }
  }
  if (opened) {
    printSettingsReading(out, dry.settingsBytes, dry.settingsSize, dry.settingsSize, false);
    return;
  }
  out.label(dry.fileCount == 0 ? "Settings:" : "");
  out.text("none: Tolvex goes on with its defaults\n");
  printRequest(out, AppliedRequest(), 0);
}

}  // namespace

int runCheck(int argc, const char* const* argv, ToolIo& io) {
  CheckArgs args;
  const int parsed = parseCheck(argc, argv, io, args);
  if (parsed != kExitOk) {
    return parsed;
  }
  tolvex::Platform* system = io.system();
  if (system == nullptr) {
    return needsWindows(io, "check");
  }
  if (args.file != nullptr) {
    std::uint8_t head[1];
    std::size_t stored = 0;
    std::size_t total = 0;
    ReasonText why;
    if (!io.readFileHead(args.file, head, 0, stored, total, why)) {
      Printer err = errorLine(io);
      err.text("cannot read '");
      err.escaped(args.file, false);
      err.format("': %s\n", why.c_str());
      return kExitTrouble;
    }
  }

  const bool otherCopy = io.tolvexRunning();
  DryRunPlatform dry(*system, args.file);
  tolvex::runTolvex(dry, args.tolvex);

  Printer out(io, false);
  out.label("Tolvex:");
  out.escaped(args.tolvex, false);
  out.text(" (nothing is switched, started or written by this check)\n");
  printSettings(out, dry, args);

  // The last display call of every run is the switch back; the ones before it are the switch.
  const int switches = dry.switchCount > 0 ? dry.switchCount - 1 : 0;
  bool fullRequestTaken = false;
  bool sizeTaken = false;
  if (switches == 0) {
    out.label("Display:");
    out.text("not asked: the run ends before the switch\n");
  }
  for (int i = 0; i < switches; ++i) {
    const Switch& ask = dry.switches[i];
    out.label(i == 0 ? "Display:" : "");
    printSwitch(out, ask);
    if (ask.answer == 0 && ask.fields == tolvex::kFullRequestFields) {
      fullRequestTaken = true;
    } else if (ask.answer == 0) {
      sizeTaken = true;
    }
  }

  int started = -1;
  for (int i = 0; i < dry.launchCount; ++i) {
    const DryRunPlatform::LaunchAsk& ask = dry.launches[i];
    out.label(i == 0 ? "Launch:" : "");
    printApp(out, ask.name.c_str());
    out.text(ask.started ? ": there\n" : ": not there, or cannot be opened\n");
    if (ask.started && started < 0) {
      started = i;
    }
  }
  if (dry.launchCount == 0) {
    out.label("Launch:");
    out.text("not tried: the run ends before the launch\n");
  }

  out.label("Other copy:");
  out.text(otherCopy ? "a copy of Tolvex is running now: Tolvex would end at once, doing nothing\n"
                     : "none running\n");

  out.label("Verdict:");
  if (otherCopy) {
    out.text("once the running copy has ended, ");
  }
  int status = kExitRefused;
  if (dry.boxCount > 0) {
    out.text("Tolvex shows this message box and starts nothing\n");
    printMessageBox(out, dry.boxes[0].caption.c_str(), dry.boxes[0].text.c_str());
  } else if (started < 0) {
    // A strict switch refused with a code that has no message.
    out.text("Tolvex starts nothing and shows no message\n");
  } else {
    const Switch& request = dry.switches[0];
    const char* app = dry.launches[started].name.c_str();
    if (fullRequestTaken) {
      out.format("Tolvex switches to %d x %d at %d bits per pixel and starts ",
                 static_cast<int>(request.width), static_cast<int>(request.height),
                 static_cast<int>(request.depth));
      status = otherCopy ? kExitRefused : kExitOk;
    } else if (sizeTaken) {
      out.format(
          "Tolvex switches to %d x %d at the depth the display gives (not %d bits per "
          "pixel) and starts ",
          static_cast<int>(request.width), static_cast<int>(request.height),
          static_cast<int>(request.depth));
    } else {
      out.text("Tolvex starts ");
    }
    printApp(out, app);
    out.text(fullRequestTaken || sizeTaken ? "\n" : " without switching the display\n");
  }
  return status;
}

}  // namespace tolvex_ini
