#!/usr/bin/env python3
"""End-to-end tests of the real Tolvex.exe under Wine on a virtual X display.

Usage: python3 tests/e2e/run_e2e.py --bin build/mingw-x86_64/bin [--only NAME] [--keep]

Each case is a row of CASES: what to lay out in its folder (app/ holds Tolvex.exe, work/ is the
current folder unless the row says otherwise), how to start Tolvex, and what to expect: the
message boxes (caption and text exact), what the probe records (which file was started, with
which command line, in which folder, seeing which display mode), the X mode while the
application runs and afterwards. Prints one line per case and finally `e2e: N passed, M failed`.
"""

import argparse
import fnmatch
import os
import re
import signal
import struct
import sys
import time
from dataclasses import dataclass, field

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as H  # noqa: E402
import dialog_driver as D  # noqa: E402

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
XORG_CONF = os.path.join(REPO, "scripts", "lib", "xorg-dummy.conf")
START = H.START_MODE

BAD_INI = "Tolvex Error: Bad Tolvex.ini parameters"
LAUNCH_TAIL = "' or 'proj.exe'\r\rEither the application is in the wrong place or its name is wrong."
WIDTH_RULE = "The width value has to be one of\r640,800,832,1024,1152,1280 or 1600"
DEPTH_RULE = "The depth value has to be one of\r8,16,24 or 32"
STRICT_RULE = "The strictFlag value can only be 1 or 0"
NAME_RULE = "The application name need to be more than four chars long"
BADMODE = "Tolvex Error: DISP_CHANGE_BADMODE"
BADMODE_TEXT = "The graphics mode requested is not supported."


def ini(text):
    return H.complement(text)


class Paths:
    """Unix and Wine paths inside one case folder."""

    def __init__(self, root, encoding="utf-8"):
        self.root = root
        self.encoding = encoding  # of what the programs write: their ANSI code page's

    def unix(self, rel):
        return os.path.join(self.root, rel)

    def win(self, rel):
        return H.wine_path(os.path.join(self.root, rel))


@dataclass
class Launch:
    """One expected start of the application: the file, and the command line Tolvex gave it."""

    module: str  # relative to the case folder
    cmdline: str  # callable(Paths) -> str, or relative path whose Wine path is expected
    cwd: str = None  # relative; defaults to the case's current folder


@dataclass
class Case:
    name: str
    issue: int
    what: str
    files: dict
    cwd: str = "work"
    # How Tolvex is started: 'direct' (wine64 <unix path of exe>), 'wineconsole' (the Wine path
    # of exe in a new console), or a callable(Paths) -> argv for wine64.
    start: object = "direct"
    exe: str = "app/Tolvex.exe"
    args: list = field(default_factory=list)
    env: dict = field(default_factory=dict)
    launches: list = field(default_factory=list)  # [Launch]; empty: nothing may start
    boxes: list = field(default_factory=list)  # [(caption, text or callable(Paths))]
    during: tuple = None  # X mode while the application runs or the box is up
    display: bool = False  # measure and print the mode stored in Wine's settings afterwards
    on_record: object = None  # hook(h, result, record, paths)
    on_poll: object = None  # hook(h, result, paths), on every turn while Tolvex runs
    check: object = None  # extra check(h, result, paths) -> [failure]
    time_limit: float = 30.0
    status: int = 0  # the exit status expected of what was started
    output: list = field(default_factory=list)  # [(label, text or callable(Paths))] on stdout
    after: tuple = START  # X mode when the run has ended; None: not looked at
    # callable(h) -> None where the row applies to this Wine, else the one line why it does not
    needs: object = None
    windows: str = None  # the Windows version Wine reports ("win7", "win10"); None: the prefix's
    layer: str = None  # the __COMPAT_LAYER every application must start with; None: not checked
    wrap: tuple = ()  # a command put before Wine's (setpriv)
    before: object = None  # hook(h, paths, env) after the layout, before the start
    # The ANSI code page Wine gives the programs (harness.CODE_PAGE_LOCALES), in which what they
    # write (probe records, output) is read; None: the tests' locale's.
    code_page: int = None
    hooks_answer_boxes: bool = False  # on_poll records and answers Tolvex's boxes itself


# ----- hooks and extra checks -----------------------------------------------------------------


def note_visible_windows(h, result, record, paths):
    """Which X windows are visible while each probe runs (cross-check of its console view)."""
    result.notes.setdefault("visible", []).append(h.visible_window_names())


def start_second_copy(h, result, record, paths):
    """Starts a second Tolvex while the first one waits for its (held) application."""
    if "second" in result.notes:
        return
    t0 = time.monotonic()
    proc = h.spawn([paths.unix("app/Tolvex.exe")], paths.unix("work"), result.env,
                   paths.unix("second"))
    seen, boxes = {}, []
    limit = 15 * h.patience
    while proc.poll() is None and time.monotonic() - t0 < limit:
        h.close_boxes(seen, boxes)
        time.sleep(0.1)
    seconds = time.monotonic() - t0
    if proc.poll() is None:
        h._end_process(proc)
    result.notes["second"] = {
        "status": proc.returncode if seconds < limit else None,
        "seconds": seconds,
        "boxes": boxes,
        "first_running": result.proc.poll() is None
        and record.get("pid") not in H.probe_exits(paths.unix("probe.log")),
        "mode": h.x_mode(),
    }


def check_second_copy(h, result, paths):
    s = result.notes.get("second")
    if s is None:
        return ["the second copy was never started (no probe record)"]
    fails = []
    if s["status"] != 0:
        fails.append("second copy: status %s after %.1f s" % (s["status"], s["seconds"]))
    if not s["first_running"]:
        fails.append("second copy ended only after the first one's application (%.1f s)"
                     % s["seconds"])
    if s["boxes"]:
        fails.append("second copy showed %r" % [b.caption for b in s["boxes"]])
    if s["mode"] != (800, 600):
        fails.append("X mode after the second copy: %s, expected the first's 800x600"
                     % fmt_mode(s["mode"]))
    with open(paths.unix("second.err"), encoding="utf-8", errors="replace") as f:
        if H.parse_msgbox_traces(f.read()):
            fails.append("second copy traced a message box")
    return fails


UNIQUE_TITLE = re.compile(r"^-?\d+/\d+$")


def unmanaged_windows(h, paths, env):
    """Wine's X windows unmanaged, so that X shows what Wine shows without a window manager.

    Since Wine 10 the X11 driver waits for the window manager to confirm each map of a managed
    window before it makes the next change; the test display has no window manager, so after the
    console window's first map its hiding never reaches X, while Wine itself has it hidden. On a
    desktop, whose window manager confirms, the console disappears. Written like the Windows
    version, while no Wine server runs.
    """
    with open(os.path.join(h.prefix, "user.reg"), "a") as f:
        f.write('\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n')


def check_console_hidden(h, result, paths, title=None):
    """The application shares Tolvex's console: that console is hidden, its title set back."""
    fails = []
    if not result.records:
        return fails
    rec = result.records[0]
    if rec.get("console_window", "0") == "0":
        return ["the application has no console window to look at"]
    if rec.get("console_visible") != "0":
        fails.append("console window visible while the application runs")
    got = rec.get("console_title", "")
    if UNIQUE_TITLE.match(got):
        fails.append("console title left as %r" % got)
    elif title is not None and got != title:
        fails.append("console title %r while the application runs, expected %r" % (got, title))
    visible = (result.notes.get("visible", []) + [[]])[0]
    if got and got in visible:
        fails.append("X shows the console window %r while the application runs" % got)
    return fails


def check_own_console_hidden(h, result, paths):
    """Own console: hidden while the application runs, its title (the command line) set back.

    Whether Tolvex leaves its own console hidden at the end cannot be seen from here: the
    console closes with the process. The unit tests cover that decision.
    """
    return check_console_hidden(h, result, paths, title=paths.win("app/Tolvex.exe"))


def check_console_shown_again(h, result, paths):
    """Started from cmd: hidden while the application runs, visible again after Tolvex."""
    if len(result.records) < 2:
        return check_console_hidden(h, result, paths) + [
            "AFTER.EXE (run by cmd after Tolvex) left no record"]
    after = result.records[1]
    # Both see cmd's console; the title Tolvex changed for a moment must be back.
    fails = check_console_hidden(h, result, paths, title=after.get("console_title"))
    if after.get("console_visible") != "1":
        fails.append("console window still hidden after Tolvex ended")
    title = after.get("console_title", "")
    visible = (result.notes.get("visible", []) + [[], []])[1]
    if title not in visible:
        fails.append("X does not show the console window %r after Tolvex ended (visible: %r)"
                     % (title, visible))
    return fails


def check_probe_console_visible(h, result, paths):
    """Baseline for the console cases: a plain console program sees its window visible."""
    if not result.records:
        return []
    rec = result.records[0]
    fails = []
    if rec.get("console_visible") != "1":
        fails.append("probe in its own console records it as not visible")
    visible = (result.notes.get("visible", []) + [[]])[0]
    if rec.get("console_title") not in visible:
        fails.append("X shows no window titled %r (visible: %r)"
                     % (rec.get("console_title"), visible))
    return fails


def cmd_batch(paths):
    return ["wineconsole", "cmd", "/c", paths.win("work/run.bat")]


def batch_text(paths):
    return '@echo off\r\n"%s"\r\nAFTER.EXE\r\n' % paths.win("app/Tolvex.exe")


def tool(*args):
    """Starts tolvex-ini.exe (from app/) with these arguments; callables get the case's Paths."""
    return lambda p: [p.unix("app/tolvex-ini.exe")] + [a(p) if callable(a) else a for a in args]


def watch_x_mode(h, result, paths):
    result.notes.setdefault("modes", set()).add(h.x_mode())


def check_x_mode_unchanged(h, result, paths):
    seen = result.notes.get("modes", set())
    if not seen:
        return ["the X mode was never measured while it ran"]
    if None in seen:
        return ["the X server did not tell its mode on a turn while it ran"]
    changed = sorted(fmt_mode(m) for m in seen if m != START)
    return ["X mode changed to %s while it ran" % ", ".join(changed)] if changed else []


MODE_LINE = re.compile(r"^  [* ] +(\d+) x (\d+) ")
X_MODES = {(1280, 1024), (1024, 768), (800, 600), (640, 480)}


def check_modes_listed(h, result, paths):
    """modes lists exactly the X server's sizes, marks the listed widths, now and stored."""
    fails = check_x_mode_unchanged(h, result, paths)
    lines = read_output(paths).splitlines()
    sizes = {}
    for line in lines:
        m = MODE_LINE.match(line)
        if m:
            sizes[(int(m.group(1)), int(m.group(2)))] = line
    if set(sizes) != X_MODES:
        fails.append("sizes listed %s, expected the X modes %s"
                     % (sorted(sizes), sorted(X_MODES)))
    for size, line in sizes.items():
        if not line.startswith("  * "):
            fails.append("%dx%d not marked as a width Tolvex can ask for" % size)
        if "bits:" not in line or "Hz" not in line:
            fails.append("no depths and rates for %dx%d: %r" % (size + (line,)))
    if not sizes.get(START, "").endswith("<- now, stored"):
        fails.append("%s not marked as the mode now and the stored mode" % fmt_mode(START))
    return fails


def kill_tolvex(h, result, record, paths):
    """Ends Tolvex from outside while its application runs, as Task Manager would."""
    if "killed" not in result.notes:
        result.notes["killed"] = h.x_mode()
        os.kill(result.proc.pid, signal.SIGKILL)


def undoes_temporary_switch(h):
    """Where the rows that end a program early apply: a Wine that, as Windows does, puts the
    display back when the process that switched it with CDS_FULLSCREEN ends (Wine 10, measured;
    Wine 8 keeps the mode)."""
    return None if h.wine_major() >= 10 else (
        "Wine %d does not undo a temporary switch when the process that made it ends"
        % h.wine_major())


def end_early(how):
    """Ends Tolvex (or Setup) while the title runs or the mode is tried: its Wine process killed,
    or `taskkill /F` given its Windows id; then waits at most 10 s for the display to come back
    by itself. An on_record hook, or (killing) a step of a dialog script."""
    def end(h, result, *args):
        if "ended" not in result.notes:
            result.notes["ended"] = h.x_mode()
            if how == "kill":
                os.kill(result.proc.pid, signal.SIGKILL)
            else:
                D.run(h, args[-1], result.env, "taskkill",
                      ["taskkill", "/F", "/PID", args[0]["parent_pid"]], args[-1].root)
            t0 = time.monotonic()
            result.notes["back"] = (h.wait_for_mode(START, 10), time.monotonic() - t0)
        return True
    return end


def check_back_by_itself(h, result, paths):
    ended, (back, seconds) = result.notes.get("ended"), result.notes.get("back", (None, 0))
    result.notes["back_seconds"] = seconds
    return [] if ended == (800, 600) and back == START else [
        "X mode %s when ended, %s 10 s later" % (fmt_mode(ended), fmt_mode(back))]


STORED_LINE = re.compile(r"^Stored mode: +(\d+) x (\d+), ")


def check_restore_after_kill(h, result, paths):
    """After the kill the screen is left switched; restore says which mode, and goes there."""
    fails = []
    if result.notes.get("killed") != (800, 600):
        fails.append("X mode when Tolvex was killed: %s" % fmt_mode(result.notes.get("killed")))
    proc = h.spawn([paths.unix("app/tolvex-ini.exe"), "restore"], paths.unix("work"), result.env,
                   paths.unix("restore"))
    try:
        status = proc.wait(timeout=120)
    except Exception:  # noqa: BLE001 - a hung restore is a failure, not a harness error
        h._end_process(proc)
        return fails + ["restore did not end within 120 s"]
    with open(paths.unix("restore.out"), encoding="utf-8", errors="replace") as f:
        report = f.read()
    named = None
    for line in report.splitlines():
        m = STORED_LINE.match(line)
        if m:
            named = (int(m.group(1)), int(m.group(2)))
    if status != 0:
        fails.append("restore exit status %s" % status)
    if "\nRestore:     DISP_CHANGE_SUCCESSFUL\n" not in report:
        fails.append("restore does not report DISP_CHANGE_SUCCESSFUL: %r" % report)
    mode = h.x_mode()
    if named is None or mode != named:
        fails.append("X mode after restore %s, the report names %s"
                     % (fmt_mode(mode), fmt_mode(named)))
    result.notes["restored"] = (named, report)
    return fails


def read_output(paths):
    with open(paths.unix("tolvex.out"), encoding=paths.encoding, errors="replace") as f:
        return f.read()


def settings_text(paths, name="Tolvex.ini"):
    try:
        with open(paths.unix("work/" + name), "rb") as f:
            return H.complement(f.read()).decode("latin-1")
    except OSError:
        return None


def check_setup_as_tool(h, result, paths):
    """Setup saved tolvex-ini's file, byte for byte; Check's verdict, first, is tolvex-ini's."""
    ini_exe = os.path.join(h.bin_dir, "tolvex-ini.exe")
    write = [ini_exe, "write", "-o", paths.win("tool.ini"), "16", "800", "600", "1", "PROJECTOR.EXE"]
    D.run(h, paths, result.env, "tool-write", write, paths.root)
    fails = []
    with open(paths.unix("tool.ini"), "rb") as a, open(paths.unix("work/Tolvex.ini"), "rb") as b:
        if a.read() != b.read():
            fails.append("Tolvex.ini is not tolvex-ini write's: %r" % settings_text(paths))
    out = D.run(h, paths, result.env, "tool-check", [ini_exe, "check"], paths.unix("work"))
    tool = (out or b"").decode("latin-1").replace("\r\n", "\n")
    shown = result.notes.get("check", "")
    mode = "800 x 600 at 16 bits per pixel and start"
    if not (shown.startswith("Tolvex would switch to %s PROJECTOR.EXE.\n" % mode)
            and "\nVerdict:     Tolvex switches to %ss PROJECTOR.EXE\n" % mode in tool):
        fails.append("Check showed %r, tolvex-ini check printed %r" % (shown, tool))
    return fails


def check_files(**want):
    """Each settings file (work/NAME, dots as _) holds its decoded text (None: there is none)."""
    def check(h, result, paths):
        found = {k: settings_text(paths, k.replace("_", ".")) for k in want}
        return [] if found == want else ["settings files %r, expected %r" % (found, want)]
    return check


def check_nothing_written(h, result, paths):
    os.chmod(paths.unix("work"), 0o755)
    left = [n for n in os.listdir(paths.unix("work")) if n.lower().startswith("tolvex.ini")]
    return ["left in the read-only folder: %s" % left] if left else []


LAYERS = "HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers"
SHELL_FOLDERS = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"


def reg_add(key, rel, value):
    """`wine reg add` of a value named by rel's path in lower case, or of the desktop folder."""
    def before(h, paths, env):
        name, data = (paths.win(rel).lower(), value) if value else ("Desktop", paths.win(rel))
        if D.run(h, paths, env, "reg", ["reg", "add", key, "/v", name, "/d", data, "/f"],
                 paths.root) is None:
            raise H.HarnessError("wine reg add failed")
    return before


def check_trial(ending):
    """800 x 600 while the countdown was up; the report tells how it ended, and the way back."""
    def check(h, result, paths):
        report, mode = result.notes.get("report", ""), result.notes.get("trial")
        return (["X mode %s under the countdown" % fmt_mode(mode)] if mode != (800, 600) else []) + (
            [] if report == "Try this mode: 800 x 600 at 16 bits per pixel was shown.\n" + ending
            + "Back to the stored mode, 1280 x 1024 at 32 bits per pixel: DISP_CHANGE_SUCCESSFUL\n"
            else ["report %r" % report])
    return check


def check_shortcut(h, result, paths):
    """The .lnk the report names, read back from its bytes (MS-SHLLINK): the LinkInfo's local
    path is the target, the WORKING_DIR string the working folder."""
    if not result.notes.get("report", "").startswith("Made the shortcut %s\n"
                                                      % paths.win("desktop/work.lnk")):
        return ["report %r" % result.notes.get("report")]
    with open(paths.unix("desktop/work.lnk"), "rb") as f:
        data = f.read()
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 76 + (2 + struct.unpack_from("<H", data, 76)[0] if flags & 1 else 0)
    size, _, _, _, base = struct.unpack_from("<5I", data, at)
    target = data[at + base:data.index(b"\0", at + base)].decode("latin-1")
    at += size
    wide = 2 if flags & 0x80 else 1
    for bit in (0x4, 0x8, 0x10):  # the description and relative path come before it
        count = struct.unpack_from("<H", data, at)[0]
        text = data[at + 2:at + 2 + count * wide].decode("utf-16-le" if wide == 2 else "latin-1")
        at += 2 + count * wide if flags & bit else 0
    folder = text.rstrip("\0") if flags & 0x10 else None  # Wine counts the closing zero too
    got, want = (target, folder), (paths.win("work/Tolvex.exe"), paths.win("work"))
    return [] if got == want else ["target and working folder %r, expected %r" % (got, want)]


# ----- the cases ------------------------------------------------------------------------------

BESIDE = {"app/Tolvex.exe": "tolvex", "app/PROJECTOR.EXE": "probe", "work": None}


def short_form(rel):
    """The ANSI command line of a program started by its short 8.3 path: each folder of its Wine
    path as it is or in a short form (a '~' in it), and nothing outside ASCII."""
    def pattern(paths):
        parts = paths.win(rel).split("\\")
        return re.compile(r"\\".join(r"(?:%s|[\x21-\x5b\x5d-\x7e]*~[\x21-\x5b\x5d-\x7e]*)"
                                     % re.escape(p) if not p.isascii() or len(p) > 8 else
                                     re.escape(p) for p in parts), re.I)
    return pattern


def outside_code_page(folder, what):
    """Tolvex in a folder whose name the ANSI code page cannot hold, beside a look-alike folder
    that holds the name the ANSI functions would make of it: that folder's settings and
    GAME.EXE, never the look-alike's."""
    return dict(files={folder + "/Tolvex.exe": "tolvex", folder + "/GAME.EXE": "probe",
                       folder + "/Tolvex.ini": ini("16,800,600,1,GAME.EXE"),
                       "Lódz/Title/Tolvex.ini": ini("16,640,480,1,GAME.EXE"),
                       "Lódz/Title/GAME.EXE": "probe", "work": None},
                what=what, exe=folder + "/Tolvex.exe", during=(800, 600), code_page=1252,
                launches=[Launch(folder + "/GAME.EXE", short_form(folder + "/GAME.EXE"))])


SETUP_BOX = "Tolvex Setup"
SETUP_REPLACE = "Tolvex.ini already exists in this folder.\n\nReplace it with these settings?"
SETUP_READ_ONLY = ("Tolvex.ini could not be saved in this folder: Access denied.\n\nA read-only "
                   "folder, or one on a CD-ROM, cannot take the settings file. Nothing was written.")
# Root writes into any folder; without these capabilities it is held to the folder's mode.
NO_OVERRIDE = ("setpriv", "--bounding-set=-dac_override,-dac_read_search")


SETUP_UNSAVED = "The settings in this window have not been saved"
SETUP_START_ASK = (SETUP_UNSAVED + ": Tolvex would start the title with the settings file as it "
                   "is.\n\nSave the changes first?")
SETUP_CLOSE_ASK = SETUP_UNSAVED + ".\n\nSave them before closing? (No closes without saving.)"
SETUP_MISSING_ASK = ("MISSING.EXE is not in this folder, and neither is PROJ.EXE, which Tolvex "
                     "tries next: Tolvex would start nothing.\n\nSave these settings anyway?")
SETUP_SHADOW_ASK = ("This folder also holds Tolvex.ini, which Tolvex reads first: Intro.exe "
                    "started from here would take its settings, not those of Intro.ini.\n\n"
                    "Rename Tolvex.ini to Tolvex.ini.old? Nothing is deleted.")
SETUP_OLD = "32,1024,768,0,PROJECTOR.EXE"
SETUP_TITLE = {"work/TolvexSetup.exe": "setup", "work/Tolvex.exe": "tolvex",
               "work/PROJECTOR.EXE": "probe", "work/Tolvex.ini": ini(SETUP_OLD)}


SETUP_SHORTCUT_ASK = (SETUP_UNSAVED + ": the shortcut would start Tolvex with the settings file as "
                      "it is.\n\nSave the changes first?")
SETUP_NOT_TOLVEX = ("LAUNCH.exe in this folder is another program, not a copy of Tolvex: choose "
                    "another name.")
SETUP_NO_TOLVEX = ("There is no Tolvex.exe in this folder: a shortcut to it would start nothing, "
                   "and no Tolvex.exe beside Tolvex Setup to copy: copy Tolvex.exe here yourself.")


def check_launch_untouched(h, result, paths):
    """LAUNCH.EXE as it was (the probe, as PROJECTOR.EXE is); no settings file, no shortcut."""
    made = [n for n in os.listdir(paths.unix("work")) if n.lower().endswith(".ini")]
    same = len({open(paths.unix("work/" + n), "rb").read() for n in ("LAUNCH.EXE", "PROJECTOR.EXE")})
    made += os.listdir(paths.unix("desktop")) + ([] if same == 1 else ["a changed LAUNCH.EXE"])
    return ["made %s" % made] if made else []


def setup_exe(p):
    return [p.unix("work/TolvexSetup.exe")]


SJIS_SETUP = "時刻表"  # its last byte in code page 932, of 表, is 0x5C
SJIS_READ = SJIS_SETUP.encode("cp932").decode("latin-1")  # as the dialog's text is read


def launch_msg(rel_app):
    return lambda p: "Tolvex failed to launch '" + p.win(rel_app) + LAUNCH_TAIL


CASES = [
    # --- issue 2: launch -----------------------------------------------------------------------
    Case("launch-projector-beside", 2,
         "PROJECTOR.EXE beside Tolvex runs in Tolvex's current folder",
         dict(BESIDE),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600)),
    Case("launch-extra-args-ignored", 2,
         "arguments after argument 0 change nothing",
         dict(BESIDE), args=["extra", "/x", "C:\\other.exe", "16,640,480"],
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600)),
    Case("launch-second-copy-ends", 2,
         "a second Tolvex started while the first waits ends at once, status 0, starts nothing",
         dict(BESIDE),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
         on_record=start_second_copy, check=check_second_copy),
    Case("launch-proj-fallback", 2,
         "without PROJECTOR.EXE, PROJ.EXE in the current folder is started",
         {"app/Tolvex.exe": "tolvex", "work/PROJ.EXE": "probe"},
         launches=[Launch("work/PROJ.EXE", lambda p: "PROJ.EXE")], during=(800, 600)),
    Case("launch-projector-before-proj", 2,
         "with both present only PROJECTOR.EXE starts",
         dict(BESIDE, **{"work/PROJ.EXE": "probe"}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600)),
    Case("launch-proj-beside-program-not-used", 2,
         "PROJ.EXE is looked for in the current folder only, not beside Tolvex",
         {"app/Tolvex.exe": "tolvex", "app/PROJ.EXE": "probe", "work": None},
         boxes=[(BAD_INI, launch_msg("app/PROJECTOR.EXE"))], during=(800, 600)),
    Case("launch-neither", 2,
         "with neither application the launch message appears; status 0",
         {"app/Tolvex.exe": "tolvex", "work": None},
         boxes=[(BAD_INI, launch_msg("app/PROJECTOR.EXE"))], during=(800, 600)),
    Case("launch-app-crash", 2,
         "an application that crashes: no fallback to PROJ.EXE, no message, status 0",
         dict(BESIDE, **{"work/PROJ.EXE": "probe"}), env={"TOLVEX_PROBE_CRASH": "1"},
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
         display=True),
    Case("launch-app-exit-code", 2,
         "the application's exit status is not Tolvex's",
         dict(BESIDE), env={"TOLVEX_PROBE_EXIT": "7"},
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600)),
    Case("launch-bare-name-at-prompt", 2,
         "argument 0 a bare 'Intro.exe': the folder is the current one, settings 'Intro.ini'",
         {"app/Intro.exe": "tolvex", "app/Intro.ini": ini("16,1024,768,1,named.exe"),
          "app/named.exe": "probe", "app/PROJECTOR.EXE": "probe"},
         cwd="app", start=lambda p: ["wineconsole", "Intro.exe"],
         launches=[Launch("app/named.exe", lambda p: "named.exe")], during=(1024, 768)),

    # --- issue 3: display mode -----------------------------------------------------------------
    Case("display-default-800x600", 3,
         "no settings file: 16 bits 800x600 while the application runs, then back",
         {"app/Tolvex.exe": "tolvex", "app/PROJECTOR.EXE": "probe"}, cwd="app",
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
         display=True),
    Case("display-1024x768", 3, "request 16,1024,768",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1024,768")}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(1024, 768),
         display=True),
    Case("display-640x480-8bit", 3, "request 8,640,480",
         dict(BESIDE, **{"work/Tolvex.ini": ini("8,640,480")}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(640, 480),
         display=True),
    Case("display-640x480-24bit", 3, "request 24,640,480,1 (24 asked as 32)",
         dict(BESIDE, **{"work/Tolvex.ini": ini("24,640,480,1")}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(640, 480),
         display=True),
    Case("display-strict-refused", 3,
         "strict 1152x864, which the server refuses: message, nothing started, mode unchanged",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1152,864,1"), "work/PROJ.EXE": "probe"}),
         boxes=[(BADMODE, "16 bits per pixel, 1152 width x 864 height\r\r" + BADMODE_TEXT)],
         during=START, display=True),
    Case("display-strict-by-default-refused", 3,
         "no strictFlag field means strict: 32,1600,1200 refused with a message",
         dict(BESIDE, **{"work/Tolvex.ini": ini("32,1600,1200")}),
         boxes=[(BADMODE, "32 bits per pixel, 1600 width x 1200 height\r\r" + BADMODE_TEXT)],
         during=START, display=True),
    Case("display-lenient-refused", 3,
         "lenient 1152x864 refused: launched anyway, no message, mode unchanged",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1152,864,0")}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=START,
         display=True),
    Case("display-restored-after-launch-failure", 3,
         "1024x768 set, no application found: message while switched, then restored",
         {"app/Tolvex.exe": "tolvex", "work/Tolvex.ini": ini("16,1024,768,1,nothere.exe")},
         boxes=[(BAD_INI, launch_msg("app/nothere.exe"))], during=(1024, 768), display=True),

    # --- issue 4: settings file ----------------------------------------------------------------
    Case("settings-in-current-folder", 4,
         "Tolvex.ini in the current folder names show.exe beside Tolvex and 1024x768",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1024,768,1,show.exe"),
                         "app/show.exe": "probe"}),
         launches=[Launch("app/show.exe", "app/show.exe")], during=(1024, 768)),
    Case("settings-beside-program", 4,
         "Tolvex.ini beside Tolvex.exe is read when the current folder has none",
         dict(BESIDE, **{"app/Tolvex.ini": ini("16,640,480,1,beside.exe"),
                         "app/beside.exe": "probe"}),
         launches=[Launch("app/beside.exe", "app/beside.exe")], during=(640, 480)),
    Case("settings-beside-program-base-name", 4,
         "renamed Intro.exe reads Intro.ini beside it, not Tolvex.ini",
         {"app/Intro.exe": "tolvex", "app/Intro.ini": ini("16,640,480,1,intro_app.exe"),
          "app/intro_app.exe": "probe", "app/Tolvex.ini": ini("16,1024,768,1,decoy.exe"),
          "app/decoy.exe": "probe", "work": None},
         exe="app/Intro.exe",
         launches=[Launch("app/intro_app.exe", "app/intro_app.exe")], during=(640, 480)),
    Case("settings-current-folder-first", 4,
         "the current folder's Tolvex.ini hides the one beside the program",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1024,768,1,first.exe"),
                         "app/Tolvex.ini": ini("16,640,480,1,second.exe"),
                         "app/first.exe": "probe", "app/second.exe": "probe"}),
         launches=[Launch("app/first.exe", "app/first.exe")], during=(1024, 768)),
    Case("settings-empty-file-hides-second", 4,
         "an empty Tolvex.ini in the current folder still hides the one beside the program",
         dict(BESIDE, **{"work/Tolvex.ini": b"",
                         "app/Tolvex.ini": ini("16,640,480,1,second.exe"),
                         "app/second.exe": "probe"}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600)),
    Case("settings-plain-text-file", 4,
         "a file stored as plain text is read as nothing: defaults, no message",
         dict(BESIDE, **{"work/Tolvex.ini": b"16,1024,768,1,show.exe", "app/show.exe": "probe"}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600)),
    Case("settings-blanks-and-folder-name", 4,
         "tabs, line breaks, lenient flag and a name with a folder part",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16\t1024\r\n768 0\r\nsub\\show.exe\r\n"),
                         "app/sub/show.exe": "probe"}),
         launches=[Launch("app/sub/show.exe", lambda p: p.win("app") + "\\sub\\show.exe")],
         during=(1024, 768)),
    Case("settings-stored-ff-ends-text", 4,
         "a stored 0xFF ends the text: the fields after it are not read",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1024,768") + b"\xff" + ini(",0,late.exe"),
                         "app/late.exe": "probe"}),
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(1024, 768)),
    Case("settings-named-app-missing-proj-fallback", 4,
         "a named application that is missing falls back to PROJ.EXE",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,800,600,1,nothere.exe"),
                         "work/PROJ.EXE": "probe"}),
         launches=[Launch("work/PROJ.EXE", lambda p: "PROJ.EXE")], during=(800, 600)),
    Case("settings-rejected-width", 4,
         "16,1000,600 is rejected with its message; nothing starts, the mode stays",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,1000,600"), "work/PROJ.EXE": "probe"}),
         boxes=[(BAD_INI, "16 bits per pixel, 1000 width x 600 height\r\r" + WIDTH_RULE)],
         during=START),
    Case("settings-rejected-depth", 4, "depth 15 is rejected",
         dict(BESIDE, **{"work/Tolvex.ini": ini("15,800,600")}),
         boxes=[(BAD_INI, "15 bits per pixel, 800 width x 600 height\r\r" + DEPTH_RULE)],
         during=START),
    Case("settings-rejected-strict-flag", 4, "strictFlag 2 is rejected",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,800,600,2")}),
         boxes=[(BAD_INI, "16 bits per pixel, 800 width x 600 height, 2 strictFlag\r\r"
                 + STRICT_RULE)],
         during=START),
    Case("settings-rejected-short-name", 4, "a four-character name is rejected",
         dict(BESIDE, **{"work/Tolvex.ini": ini("16,800,600,1,a.ex")}),
         boxes=[(BAD_INI, "16 bits per pixel, 800 width x 600 height, app name 'a.ex'\r\r"
                 + NAME_RULE)],
         during=START),

    # --- issue 5: console window ---------------------------------------------------------------
    Case("console-probe-baseline", 5,
         "harness baseline: a console program alone sees its console window visible",
         {"app/PROJECTOR.EXE": "probe", "work": None},
         start=lambda p: ["wineconsole", p.win("app/PROJECTOR.EXE")],
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")],
         on_record=note_visible_windows, check=check_probe_console_visible,
         before=unmanaged_windows),
    Case("console-own-hidden", 5,
         "in a console of its own, Tolvex's console is hidden while the application runs",
         dict(BESIDE), start="wineconsole",
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
         on_record=note_visible_windows, check=check_own_console_hidden,
         before=unmanaged_windows),
    Case("console-cmd-shown-again", 5,
         "started from cmd: the shared console is hidden, then visible again after Tolvex",
         dict(BESIDE, **{"work/AFTER.EXE": "probe", "work/run.bat": batch_text}),
         start=cmd_batch,
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE"),
                   Launch("work/AFTER.EXE", lambda p: "AFTER.EXE")],
         during=(800, 600), on_record=note_visible_windows, check=check_console_shown_again,
         before=unmanaged_windows),

    # --- issue 15: colour layer for the application on Windows 8 and later --------------------
    Case("layer-8bit-win10", 15, "Windows 10, 8 bits: the application inherits 256COLOR",
         dict(BESIDE, **{"work/Tolvex.ini": ini("8,640,480")}), windows="win10",
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(640, 480),
         layer="256COLOR"),
    Case("layer-16bit-win10-kept", 15,
         "Windows 10, 16 bits: 16BITCOLOR added after the layers set before Tolvex started",
         dict(BESIDE), windows="win10", env={"__COMPAT_LAYER": "RunAsInvoker"},
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
         layer="RunAsInvoker 16BITCOLOR"),
    Case("layer-none-win7", 15, "Windows 7, 8 bits: no layer",
         dict(BESIDE, **{"work/Tolvex.ini": ini("8,640,480")}), windows="win7",
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(640, 480),
         layer=""),
    Case("layer-none-32bit-win10", 15, "Windows 10, 32 bits: no layer",
         dict(BESIDE, **{"work/Tolvex.ini": ini("32,640,480")}), windows="win10",
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(640, 480),
         layer=""),

    # --- issue 11: tolvex-ini check, modes and restore -----------------------------------------
    Case("tool-modes", 11, "modes lists the X modes as Wine offers them, and changes nothing",
         {"app/tolvex-ini.exe": "ini", "work": None}, start=tool("modes"),
         output=[("Now:", "1280 x 1024, 32 bits per pixel, 60 Hz"),
                 ("Stored:", "1280 x 1024, 32 bits per pixel, 60 Hz")],
         on_poll=watch_x_mode, check=check_modes_listed),
    Case("tool-check-supported", 11,
         "check on a supported request: it would switch and start the application; X unchanged",
         dict(BESIDE, **{"app/tolvex-ini.exe": "ini", "work/Tolvex.ini": ini("16,1024,768,1")}),
         start=tool("check", "--tolvex", lambda p: p.win("app/Tolvex.exe")),
         output=[("Display:", "1024 x 768 at 16 bits per pixel: DISP_CHANGE_SUCCESSFUL"),
                 ("Verdict:", lambda p: "Tolvex switches to 1024 x 768 at 16 bits per pixel and "
                  "starts " + p.win("app/PROJECTOR.EXE"))],
         on_poll=watch_x_mode, check=check_x_mode_unchanged),
    Case("tool-check-strict-refused", 11,
         "check on a refused strict request: the exact message box, exit 1; X unchanged",
         dict(BESIDE, **{"app/tolvex-ini.exe": "ini", "work/Tolvex.ini": ini("16,1152,864,1")}),
         start=tool("check", "--tolvex", lambda p: p.win("app/Tolvex.exe")), status=1,
         output=[("Verdict:", "Tolvex shows this message box and starts nothing"),
                 ("Caption:", BADMODE),
                 ("Exact text:", '"16 bits per pixel, 1152 width x 864 height\\r\\r'
                  + BADMODE_TEXT + '"')],
         on_poll=watch_x_mode, check=check_x_mode_unchanged),
    Case("tool-check-lenient", 11,
         "check on a lenient request the display refuses even by size: starts without switching",
         dict(BESIDE, **{"app/tolvex-ini.exe": "ini", "work/Tolvex.ini": ini("16,1152,864,0")}),
         start=tool("check", "--tolvex", lambda p: p.win("app/Tolvex.exe")), status=1,
         output=[("Verdict:", lambda p: "Tolvex starts " + p.win("app/PROJECTOR.EXE")
                  + " without switching the display")],
         on_poll=watch_x_mode, check=check_x_mode_unchanged),
    Case("tool-check-missing-app", 11,
         "check with the named application and PROJ.EXE missing: the launch message, exit 1",
         {"app/Tolvex.exe": "tolvex", "app/tolvex-ini.exe": "ini",
          "work/Tolvex.ini": ini("16,800,600,1,nothere.exe")},
         start=tool("check", "--tolvex", lambda p: p.win("app/Tolvex.exe")), status=1,
         output=[("Launch:", lambda p: p.win("app/nothere.exe")
                  + ": not there, or cannot be opened"),
                 ("Caption:", BAD_INI)],
         on_poll=watch_x_mode, check=check_x_mode_unchanged),
    Case("tool-check-unreadable-settings", 11,
         "check given a settings file that cannot be read: exit 2",
         {"app/tolvex-ini.exe": "ini", "work": None},
         start=tool("check", "missing.ini"), status=2,
         check=lambda h, r, p: [] if "tolvex-ini: cannot read 'missing.ini'" in r.stderr
         else ["no error line for missing.ini"]),
    Case("tool-write-force-win98", 28,
         "Windows 98: write --force replaces Tolvex.ini by moves alone and keeps nothing aside",
         {"app/tolvex-ini.exe": "ini", "work/Tolvex.ini": ini("8,640,480")}, windows="win98",
         start=tool("write", "--force", "16", "800", "600"),
         check=check_files(Tolvex_ini="16,800,600", Tolvex_ini_aside=None, Tolvex_ini_new=None)),
    Case("tool-restore-after-kill", 11,
         "Tolvex killed while its application runs: restore names the stored mode and goes there",
         dict(BESIDE, **{"app/tolvex-ini.exe": "ini"}),
         status=-signal.SIGKILL,
         launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
         after=None, on_record=kill_tolvex, check=check_restore_after_kill),
    # --- issue 32: folders whose names the ANSI code page cannot hold ---------------------------
    Case("folder-outside-code-page-polish", 32, **outside_code_page(
        "Łódź/Title", "Tolvex in Łódź\\Title under 1252 (no Ł, no ź) starts that folder's "
        "GAME.EXE with its settings, not Lódz\\Title's")),
    Case("folder-outside-code-page-cyrillic", 32, **outside_code_page(
        "Игра", "Tolvex in Игра under 1252 (no Cyrillic) starts that folder's GAME.EXE with its "
        "settings")),
    # check and Setup take Tolvex's path as Tolvex does: by the short form, never the look-alike.
    Case("tool-check-outside-code-page", 32,
         "under 1252, check --tolvex <Łódź\\Title\\Tolvex.exe> reads that folder's settings and "
         "names its GAME.EXE by the short form, as Tolvex starts it",
         dict(outside_code_page("Łódź/Title", "")["files"], **{"app/tolvex-ini.exe": "ini"}),
         start=tool("check", "--tolvex", lambda p: p.win("Łódź/Title/Tolvex.exe")), code_page=1252,
         check=lambda h, r, p: [] if short_form("Łódź/Title/GAME.EXE")(p).fullmatch(
             report_line(read_output(p), "Launch:").rsplit(": ", 1)[0])
         and report_line(read_output(p), "Verdict:").startswith(
             "Tolvex switches to 800 x 600 at 16 bits per pixel and starts ")
         else ["report %r" % read_output(p)]),
    Case("setup-outside-code-page", 32,
         "under 1252, Setup in Łódź\\Title opens with no refusal, and Start the title starts that "
         "folder's Tolvex, which starts its GAME.EXE",
         dict(outside_code_page("Łódź/Title", "")["files"], **{"Łódź/Title/TolvexSetup.exe": "setup"}),
         cwd="Łódź/Title", start=lambda p: [p.unix("Łódź/Title/TolvexSetup.exe")], code_page=1252,
         time_limit=90, during=(800, 600),
         launches=[Launch("Łódź/Title/GAME.EXE", short_form("Łódź/Title/GAME.EXE"))],
         on_poll=D.DialogScript(
             D.read_report("report", "File:"), D.keys("alt+a"),
             D.until(lambda h, r, p: H.probe_exits(p.unix("probe.log")) and h.x_mode() == START),
             D.keys("Escape"))),
    # --- issue 34: the switch is temporary, and Windows ends it with the process that made it --
    *[Case("temporary-switch-ended-by-" + how, 34,
           "Tolvex ended by %s while its title runs at 800 x 600: the display comes back by "
           "itself within 10 s" % what, BESIDE, status=None, needs=undoes_temporary_switch,
           launches=[Launch("app/PROJECTOR.EXE", "app/PROJECTOR.EXE")], during=(800, 600),
           on_record=end_early(how), check=check_back_by_itself)
      for how, what in (("kill", "killing its Wine process"), ("taskkill", "taskkill /F"))],

    # --- issue 18: Tolvex Setup, driven from the keyboard --------------------------------------
    Case("setup-save-check-start", 18,
         "Setup in a title's folder: 16 bits, 800 x 600, strict, saved over the old file, Check, "
         "Start the title",
         {"work/TolvexSetup.exe": "setup", "work/Tolvex.exe": "tolvex",
          "work/PROJECTOR.EXE": "probe", "work/Tolvex.ini": ini("32,1024,768,0,PROJECTOR.EXE")},
         start=setup_exe, boxes=[(SETUP_BOX, SETUP_REPLACE)], time_limit=90,
         launches=[Launch("work/PROJECTOR.EXE", "work/PROJECTOR.EXE")], during=(800, 600),
         on_poll=D.DialogScript(
             D.keys("alt+d", "Home", "Down", "alt+z", "Home", "shift+End"), D.typed("800 x 600"),
             D.keys("alt+w", "alt+s"), D.answer("Return"),
             D.until(lambda h, r, p: settings_text(p) == "16,800,600,1,PROJECTOR.EXE"),
             D.keys("alt+h"), D.read_report("check", "Tolvex would "), D.keys("alt+a"),
             D.until(lambda h, r, p: H.probe_exits(p.unix("probe.log")) and h.x_mode() == START),
             D.keys("Escape")),
         check=check_setup_as_tool),
    Case("setup-read-only-folder", 18,
         "Setup in a read-only folder: Save says why, and leaves no file",
         {"work/TolvexSetup.exe": "setup", "work/PROJECTOR.EXE": "probe"},
         start=setup_exe, wrap=NO_OVERRIDE, boxes=[(SETUP_BOX, SETUP_READ_ONLY)], time_limit=60,
         on_poll=D.DialogScript(D.chmod("work", 0o555), D.keys("alt+s"), D.answer("Return"),
                                D.keys("Escape")),
         check=check_nothing_written),
    Case("setup-unsaved-changes", 22,
         "Save of MISSING.EXE, Start and Escape with changes ask first; No and Cancel keep all",
         SETUP_TITLE, start=setup_exe,
         boxes=[(SETUP_BOX, SETUP_MISSING_ASK), (SETUP_BOX, SETUP_START_ASK)]
         + [(SETUP_BOX, SETUP_CLOSE_ASK)] * 2, time_limit=60,
         on_poll=D.DialogScript(
             D.keys("alt+p", "Home", "shift+End"), D.typed("MISSING.EXE"),
             D.keys("alt+z", "Home", "shift+End"), D.typed("800 x 600"), D.keys("alt+s"),
             D.answer("n"), D.keys("alt+a"), D.answer("Escape"), D.keys("Escape"),
             D.answer("Escape"), D.keys("Escape"), D.answer("n")),
         check=check_files(Tolvex_ini=SETUP_OLD)),
    Case("setup-named-over-tolvex-ini", 22,
         "Intro.ini saved where Tolvex.ini is: Tolvex.ini becomes Tolvex.ini.old, bytes kept",
         dict(SETUP_TITLE, **{"work/Intro.exe": "tolvex"}), start=setup_exe,
         boxes=[(SETUP_BOX, SETUP_SHADOW_ASK)], time_limit=60,
         on_poll=D.DialogScript(
             D.keys("alt+n", "alt+m", "Home", "shift+End"), D.typed("Intro"), D.keys("alt+s"),
             D.answer("Return"), D.keys("Escape")),
         check=check_files(Tolvex_ini_old=SETUP_OLD, Intro_ini=SETUP_OLD, Tolvex_ini=None)),
    Case("setup-rejected-file-opens", 22,
         "a file Tolvex rejects opens with what was read: GAME.EXE, 1000 x 600",
         dict(SETUP_TITLE, **{"work/Tolvex.ini": ini("16,1000,600,1,GAME.EXE")}),
         start=setup_exe, time_limit=60,
         on_poll=D.DialogScript(
             D.read_report("program", "GAME.EXE", D.IDC_PROGRAM),
             D.read_report("size", "1000 x 600", D.IDC_SCREEN_SIZE), D.keys("Escape"))),

    # --- Setup: Try this mode, the shortcut, renamed copies; check: the compatibility line ----
    *[Case(name, 23, what, {"work/TolvexSetup.exe": "setup", "work/PROJECTOR.EXE": "probe"},
           start=setup_exe, time_limit=120, check=check_trial(ending), windows="win7",
           on_poll=D.DialogScript(
               D.keys("alt+z", "Home", "shift+End"), D.typed("800 x 600"), D.keys("alt+r"),
               D.in_window("Try this mode", keys, "trial", (800, 600)),
               D.read_report("report", "Try this mode: "), D.keys("Escape")))
      for name, what, keys, ending in (
          ("setup-try-works", "Try shows 800 x 600, back after It works", ["alt+i"],
           "You confirmed that it works.\n"),
          ("setup-try-times-out", "Try this mode left alone goes back by itself after 15 s", [],
           "Not confirmed: back after 15 s.\n"))],
    Case("setup-try-ended-by-kill", 34,
         "Setup killed while Try this mode shows 800 x 600: the display comes back by itself "
         "within 10 s", {"work/TolvexSetup.exe": "setup", "work/PROJECTOR.EXE": "probe"},
         start=setup_exe, time_limit=120, windows="win7", status=None,
         needs=undoes_temporary_switch, check=check_back_by_itself,
         on_poll=D.DialogScript(
             D.keys("alt+z", "Home", "shift+End"), D.typed("800 x 600"), D.keys("alt+r"),
             D.in_window("Try this mode", [], "trial", (800, 600)),
             end_early("kill"))),
    Case("setup-shortcut", 23,
         "Shortcut makes <title>.lnk on the desktop: Tolvex.exe, started in the title folder",
         {"work/TolvexSetup.exe": "setup", "work/Tolvex.exe": "tolvex",
          "work/PROJECTOR.EXE": "probe", "desktop": None},
         start=setup_exe, time_limit=90, before=reg_add(SHELL_FOLDERS, "desktop", None),
         on_poll=D.DialogScript(D.keys("alt+u"), D.read_report("report", "Made the shortcut "),
                                D.keys("Escape")),
         check=check_shortcut),
    Case("setup-renamed-copy", 23,
         "a copy of Tolvex named Intro.exe is known by its version record: Intro.ini is opened",
         {"work/TolvexSetup.exe": "setup", "work/Intro.exe": "tolvex",
          "work/Intro.ini": ini("16,640,480,1"), "work/PROJECTOR.EXE": "probe"},
         start=setup_exe, time_limit=60,
         on_poll=D.DialogScript(D.read_report("report", "File:        Intro.ini (12 bytes)\n"),
                                D.keys("Escape"))),
    # --- issue 27: Setup's shortcut only from saved settings, and only to a Tolvex -------------
    Case("setup-shortcut-unsaved", 27,
         "Shortcut with an unsaved Size asks first; No makes it from the saved 800 x 600",
         {"work/TolvexSetup.exe": "setup", "work/Tolvex.exe": "tolvex",
          "work/PROJECTOR.EXE": "probe", "work/Tolvex.ini": ini("16,800,600,1,PROJECTOR.EXE"),
          "desktop": None},
         start=setup_exe, time_limit=90, before=reg_add(SHELL_FOLDERS, "desktop", None),
         boxes=[(SETUP_BOX, SETUP_SHORTCUT_ASK), (SETUP_BOX, SETUP_CLOSE_ASK)],
         on_poll=D.DialogScript(
             D.keys("alt+z", "Home", "shift+End"), D.typed("1024 x 768"), D.keys("alt+u"),
             D.answer("n"), D.read_report("report", "Made the shortcut "), D.keys("Escape"),
             D.answer("n")),
         check=lambda h, r, p: check_shortcut(h, r, p) + ([] if r.notes["report"].endswith(
             "Starts PROJECTOR.EXE at 800 x 600, 16 bits per pixel\n") else ["not as saved"])),
    Case("setup-not-tolvex", 27,
         "Name LAUNCH, another program: Save and Shortcut refuse; no Tolvex.exe: no shortcut",
         {"work/TolvexSetup.exe": "setup", "work/LAUNCH.EXE": "probe",
          "work/PROJECTOR.EXE": "probe", "desktop": None},
         start=setup_exe, time_limit=90, before=reg_add(SHELL_FOLDERS, "desktop", None),
         boxes=[(SETUP_BOX, SETUP_NOT_TOLVEX)] * 2 + [(SETUP_BOX, SETUP_NO_TOLVEX)],
         on_poll=D.DialogScript(
             D.keys("alt+n", "alt+m", "Home", "shift+End"), D.typed("LAUNCH"), D.keys("alt+s"),
             D.answer("Return"), D.keys("alt+u"), D.answer("Return"), D.keys("alt+t", "alt+u"),
             D.answer("Return"), D.keys("Escape")),
         check=check_launch_untouched),
    Case("setup-try-refused-owned", 33, "Try 1600 x 1200, refused: the box is Setup's, a click on "
         "Try under it starts nothing, and Setup goes on at the start mode",
         {"work/TolvexSetup.exe": "setup", "work/PROJECTOR.EXE": "probe"},
         start=setup_exe, time_limit=90, hooks_answer_boxes=True,
         boxes=[(BADMODE, BADMODE_TEXT), (SETUP_BOX, SETUP_CLOSE_ASK)], during=START,
         on_poll=D.DialogScript(
             D.keys("alt+z", "Home", "shift+End"), D.typed("1600 x 1200"), D.keys("alt+r"),
             D.owned_box(BADMODE, D.IDB_TRY, "owner"), D.in_window(BADMODE, ["Return"]),
             D.read_report("report", "Try this mode: the display refused 1600 x 1200 at 16 bits "
                           "per pixel\n(DISP_CHANGE_BADMODE): Tolvex would start nothing.\nBack to "
                           "the stored mode, 1280 x 1024 at 32 bits per pixel: "
                           "DISP_CHANGE_SUCCESSFUL\n"), D.keys("Escape"), D.answer("n")),
         check=lambda h, r, p: [] if r.notes["owner"] == "Tolvex Setup|0" else [r.notes["owner"]]),
    Case("tool-write-force-folder-win98", 33,
         "Windows 98: write --force -o GAME, a folder, is refused in one line; the folder stays",
         {"app/tolvex-ini.exe": "ini", "work/GAME/keep.txt": "kept"}, windows="win98",
         start=tool("write", "--force", "-o", "GAME", "16", "800", "600"), status=2,
         check=lambda h, r, p: [] if os.listdir(p.unix("work")) == ["GAME"] and "'GAME' is a "
         "folder, not a file" in r.stderr else ["work %r" % os.listdir(p.unix("work"))]),
    Case("setup-query-child-never-answers", 33,
         "Setup's mode question to a new process that never answers gives up after 5 s, ends it",
         {"work/query.exe": "child-query"}, start=lambda p: [p.unix("work/query.exe")]),
    Case("tool-check-compat-layer", 23,
         "a layer added with wine reg add shows in check, with the one Tolvex adds on Windows 10",
         dict(BESIDE, **{"app/tolvex-ini.exe": "ini", "work/Tolvex.ini": ini("16,800,600,1")}),
         windows="win10", before=reg_add(LAYERS, "app/PROJECTOR.EXE", "~ WIN95 16BITCOLOR"),
         start=tool("check", "--tolvex", lambda p: p.win("app/Tolvex.exe")),
         check=lambda h, r, p: [] if "\nCompatibility: Windows also applies WIN95 16BITCOLOR to "
         "PROJECTOR.EXE (its Properties, Compatibility tab)\n" + " " * 13 + "16BITCOLOR, the layer "
         "Tolvex adds for this mode on this Windows, is set there already\n" in read_output(p)
         else ["no compatibility line: %r" % read_output(p)]),

    # --- issue 32: names on double-byte code pages (every row checks the code page it names) --
    # A renamed Tolvex whose name ends in a second byte 0x5C (ソ, 表) finds its folder, its
    # settings file and its title however it is started, and never falls back to PROJ.EXE.
    *[Case("sjis-name-%s-%s" % (label, how), 32,
           "code page 932: %s.exe started %s reads %s.ini and starts GAME.EXE beside it"
           % (name, what, name),
           {"app/%s.exe" % name: "tolvex", "app/%s.ini" % name: ini("16,800,600,1,GAME.EXE"),
            "app/GAME.EXE": "probe", "app/PROJ.EXE": "probe", "work/PROJ.EXE": "probe"},
           exe="app/%s.exe" % name, cwd=cwd, start=start, code_page=932, during=(800, 600),
           launches=[Launch("app/GAME.EXE", cmdline)])
      for label, name in (("sofuto", "ソフト"), ("hyouji", "表示"))
      for how, what, cwd, start, cmdline in (
          ("full-path", "by its full path", "work", "direct", "app/GAME.EXE"),
          ("relative", "by a relative path", "work",
           lambda p, n=name: ["wineconsole", "..\\app\\%s.exe" % n], lambda p: "..\\app\\GAME.EXE"),
          ("prompt", "from a prompt in its folder", "app",
           lambda p, n=name: ["wineconsole", n + ".exe"], lambda p: "GAME.EXE"))],
    Case("setup-sjis-folder", 32,
         "code page 932: Setup opened in 時刻表 guesses the Name 時刻表; Start the title starts it",
         {SJIS_SETUP + "/TolvexSetup.exe": "setup", SJIS_SETUP + "/Tolvex.exe": "tolvex",
          SJIS_SETUP + "/PROJECTOR.EXE": "probe"},
         cwd=SJIS_SETUP, start=lambda p: [p.unix(SJIS_SETUP + "/TolvexSetup.exe")], code_page=932,
         time_limit=90, during=(800, 600),
         launches=[Launch(SJIS_SETUP + "/PROJECTOR.EXE", SJIS_SETUP + "/PROJECTOR.EXE")],
         on_poll=D.DialogScript(
             D.read_report("name", SJIS_READ, D.IDC_NAME), D.keys("alt+a"),
             D.until(lambda h, r, p: H.probe_exits(p.unix("probe.log")) and h.x_mode() == START),
             D.keys("Escape")),
         check=lambda h, r, p: [] if r.notes["name"] == SJIS_READ else ["Name %r" % r.notes["name"]]),
    Case("tool-check-sjis-tolvex", 32,
         "code page 932: check --tolvex ソフト.exe reads ソフト.ini, names GAME.EXE, prints 932",
         {"app/tolvex-ini.exe": "ini", "work/ソフト.exe": "tolvex", "work/GAME.EXE": "probe",
          "work/ソフト.ini": ini("16,800,600,1,GAME.EXE")},
         start=tool("check", "--tolvex", "ソフト.exe"), code_page=932,
         output=[("Tolvex:", "ソフト.exe (nothing is switched, started or written by this check)"),
                 ("Launch:", "GAME.EXE: there"),
                 ("Verdict:", "Tolvex switches to 800 x 600 at 16 bits per pixel and starts "
                  "GAME.EXE")],
         on_poll=watch_x_mode, check=check_x_mode_unchanged),
    # Typed at a prompt with its quotes (cmd reads a batch file in the OEM code page, 932 too):
    # the quote after 表 (0x95 0x5C) ends the argument.
    Case("tool-show-sjis-quoted", 32,
         'code page 932: show "設定表" typed with its quotes reads the file 設定表',
         {"app/tolvex-ini.exe": "ini", "work/設定表": ini("16,800,600"),
          "work/run.bat": lambda p: ('@"%s" show "設定表"\r\n' % p.win("app/tolvex-ini.exe"))
          .encode("cp932")},
         start=lambda p: ["cmd", "/c", p.win("work/run.bat")], code_page=932,
         output=[("File:", "設定表 (10 bytes)")]),
    Case("tool-show-sjis-names", 32,
         "code page 932: show prints the names 設定.ini and 表示.exe in 932; the text stays escaped",
         {"app/tolvex-ini.exe": "ini",
          "work/設定.ini": H.complement("16,800,600,1,表示.exe".encode("cp932"))},
         start=tool("show", "設定.ini"), code_page=932,
         output=[("File:", "設定.ini (21 bytes)"),
                 ("Text:", '"16,800,600,1,\\x95\\\\\\x8E\\xA6.exe"'),
                 ("Application:", "表示.exe (in Tolvex's folder)")]),
]


# ----- running and judging --------------------------------------------------------------------


def fmt_mode(mode):
    return "%dx%d" % mode if mode else "?"


def expected_text(value, paths):
    return value(paths) if callable(value) else value


def show(text):
    return repr(text)


def judge(case, paths, r, stored):
    fails = []
    if r.timed_out:
        fails.append("still running after %.0f s (visible windows: %r)"
                     % (r.seconds, r.stray_windows))
    elif case.status is not None and r.status != case.status:
        fails.append("exit status %s, expected %s" % (r.status, case.status))
    if case.output:
        report = read_output(paths)
        for label, text in case.output:
            want = expected_text(text, paths)
            line = report_line(report, label)
            if line != want:
                fails.append("%s %s, expected %s" % (label, show(line), show(want)))

    # Message boxes, caption and text exact.
    want = [(c, expected_text(t, paths)) for c, t in case.boxes]
    got = r.boxes
    if len(got) != len(want):
        fails.append("%d message box(es) %r, expected %d %r"
                     % (len(got), [(b.caption, b.text) for b in got], len(want), want))
    for box, (caption, text) in zip(got, want):
        if box.caption != caption:
            fails.append("caption %s, expected %s" % (show(box.caption), show(caption)))
        if box.text is None:
            fails.append("no +msgbox trace for the box %s" % show(box.caption))
        elif box.truncated:
            if not text.startswith(box.text):
                fails.append("text %s (cut by Wine), expected %s" % (show(box.text), show(text)))
        elif box.text != text:
            fails.append("text %s, expected %s" % (show(box.text), show(text)))

    # What was started, from where, with which command line.
    if len(r.records) != len(case.launches):
        fails.append("%d application start(s) %r, expected %d %r"
                     % (len(r.records), [x.get("module") for x in r.records],
                        len(case.launches), [x.module for x in case.launches]))
    for rec, launch in zip(r.records, case.launches):
        module = paths.win(launch.module)
        started = rec.get("module_w") or rec.get("module", "")
        if started.lower() != module.lower():
            fails.append("started %s, expected %s" % (started, module))
        cmdline = launch.cmdline(paths) if callable(launch.cmdline) else paths.win(launch.cmdline)
        got = H.unquote_cmdline(rec.get("cmdline", ""))
        if not (cmdline.fullmatch(got) if isinstance(cmdline, re.Pattern) else got == cmdline):
            fails.append("command line %s, expected %s"
                         % (show(rec.get("cmdline")), show(cmdline)))
        if case.code_page and rec.get("acp") != str(case.code_page):
            fails.append("ANSI code page %s, expected %d" % (rec.get("acp"), case.code_page))
        if case.layer is not None and rec.get("compat_layer") != case.layer:
            fails.append("__COMPAT_LAYER %s, expected %s"
                         % (show(rec.get("compat_layer")), show(case.layer)))
        cwd = paths.win(launch.cwd or case.cwd)
        if (rec.get("cwd_w") or rec.get("cwd", "")).rstrip("\\").lower() != cwd.lower():
            fails.append("current folder %s, expected %s" % (rec.get("cwd"), cwd))

    # Display modes: X while the application ran (or while the box was up), the probe's own
    # view (Wine always reports 32 bits to another process, so width and height only), after.
    if case.during is not None:
        during = during_mode(r)
        if during is None:
            fails.append("the X mode was never measured while the application ran or a box "
                         "was up")
        elif during != case.during:
            fails.append("X mode %s while running, expected %s"
                         % (fmt_mode(during), fmt_mode(case.during)))
        if r.records:
            seen = probe_mode(r.records[0])
            if seen != case.during:
                fails.append("application saw %s, expected %s"
                             % (fmt_mode(seen), fmt_mode(case.during)))
    if r.mode_before != START:
        fails.append("X mode before the run %s" % fmt_mode(r.mode_before))
    if case.after is not None and r.mode_after != case.after:
        fails.append("X mode after the run %s, expected %s"
                     % (fmt_mode(r.mode_after), fmt_mode(case.after)))
    if case.display and stored != START:
        fails.append("stored display mode afterwards %s, expected %s"
                     % (fmt_mode(stored), fmt_mode(START)))
    return fails


def report_line(report, label):
    """The rest of the line of a tolvex-ini report that starts with `label` (13 columns)."""
    for line in report.splitlines():
        if line.startswith(label.ljust(13)):
            return line[13:]
    return None


def during_mode(r):
    if r.mode_during is not None:
        return r.mode_during
    if r.boxes and r.boxes[0].mode is not None:
        return r.boxes[0].mode
    return None


def probe_mode(rec):
    try:
        return (int(rec["current_width"]), int(rec["current_height"]))
    except (KeyError, ValueError):
        return None


def start_argv(case, paths):
    if callable(case.start):
        return case.start(paths) + list(case.args)
    if case.start == "wineconsole":
        return ["wineconsole", paths.win(case.exe)] + list(case.args)
    return [paths.unix(case.exe)] + list(case.args)


def run_case(h, case):
    root = h.case_dir(case.name)
    paths = Paths(root, "cp%d" % case.code_page if case.code_page else "utf-8")
    files = {k: (v(paths) if callable(v) else v) for k, v in case.files.items()}
    h.reset()
    if case.windows:
        h.set_windows_version(case.windows)
    h.layout(root, files)
    env = dict(case.env)
    if case.code_page:
        env.update(h.code_page_env(case.code_page))
    if case.before:
        case.before(h, paths, h.wine_env(env))
    on_record = on_poll = None
    if case.on_record:
        def on_record(hh, result, record):
            case.on_record(hh, result, record, paths)
    if case.on_poll:
        def on_poll(hh, result):
            case.on_poll(hh, result, paths)
    h.wrap = case.wrap
    h.boxes_answered_by_hooks = case.hooks_answer_boxes
    try:
        r = h.run(start_argv(case, paths), paths.unix(case.cwd), paths.unix("probe.log"),
                  env_extra=env, time_limit=case.time_limit, on_record=on_record,
                  on_poll=on_poll, out_base=paths.unix("tolvex"))
    finally:
        h.wrap = ()
        h.boxes_answered_by_hooks = False
    if case.code_page:  # the records' ANSI bytes, read as latin-1, as the code page's text
        r.records = [{k: v if k.endswith("_w") else
                      v.encode("latin-1").decode(paths.encoding, "replace")
                      for k, v in rec.items()} for rec in r.records]
    stored = h.stored_mode(root) if case.display else None
    fails = judge(case, paths, r, stored)
    if case.check and not r.timed_out:
        fails += case.check(h, r, paths)
    return r, stored, fails


def describe_modes(case, r, stored):
    parts = ["before %s" % fmt_mode(r.mode_before)]
    during = during_mode(r)
    if during is not None:
        where = "app" if r.mode_during is not None else "box"
        parts.append("during %s (%s)" % (fmt_mode(during), where))
    if r.records:
        rec = r.records[0]
        parts.append("app saw %sx%s@%s" % (rec.get("current_width"), rec.get("current_height"),
                                           rec.get("current_bits")))
    parts.append("after %s" % fmt_mode(r.mode_after))
    if "back_seconds" in r.notes:
        parts.append("back by itself in %.1f s" % r.notes["back_seconds"])
    if stored is not None:
        parts.append("stored %s" % fmt_mode(stored))
    return ", ".join(parts)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    ap.add_argument("--bin", required=True, help="folder with Tolvex.exe and tolvex-probe.exe")
    ap.add_argument("--only", action="append", default=[],
                    help="run only cases whose name matches (glob; repeat or comma-separate)")
    ap.add_argument("--keep", action="store_true", help="keep the case folders for inspection")
    ap.add_argument("--work", help="work folder (default: <bin>/../e2e)")
    ap.add_argument("--display", type=int, default=41, help="first X display number to try")
    ap.add_argument("--list", action="store_true", help="list the cases and exit")
    args = ap.parse_args(argv)

    patterns = [p for item in args.only for p in item.split(",") if p]
    cases = [c for c in CASES if not patterns or any(fnmatch.fnmatch(c.name, p) for p in patterns)]
    if args.list:
        for c in cases:
            print("%-42s issue %d: %s" % (c.name, c.issue, c.what))
        return 0
    if not cases:
        print("e2e: no case matches %r" % patterns)
        print("e2e: 0 passed, 0 failed")
        return 1

    # CI may end the run with SIGTERM: still shut down Xorg and Wine.
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(143))

    work = args.work or os.path.join(os.path.dirname(os.path.abspath(args.bin)), "e2e")
    h = H.Harness(args.bin, work, XORG_CONF, display_first=args.display, keep=args.keep,
                  log=lambda msg: print("# " + msg, flush=True))
    passed = failed = skipped = 0
    t_all = time.monotonic()
    try:
        try:
            h.start()
        except H.HarnessError as e:
            print("FAIL setup: %s" % e)
            print("e2e: 0 passed, %d failed" % len(cases))
            return 1
        for case in cases:
            why_not = case.needs(h) if case.needs else None
            if why_not:
                skipped += 1
                print("SKIP %-42s %s" % (case.name, why_not), flush=True)
                continue
            t0 = time.monotonic()
            try:
                r, stored, fails = run_case(h, case)
                modes = describe_modes(case, r, stored)
            except H.HarnessError as e:
                fails, modes = ["harness: %s" % e], ""
            seconds = time.monotonic() - t0
            verdict = "FAIL" if fails else "PASS"
            passed += not fails
            failed += bool(fails)
            print("%s %-42s %5.1f s  [%s]" % (verdict, case.name, seconds, modes), flush=True)
            for f in fails:
                print("     - %s" % f, flush=True)
    finally:
        h.stop()
    print("# total %.1f s%s" % (time.monotonic() - t_all,
                                "; case folders kept in %s" % h.cases_dir if args.keep else ""))
    print("e2e: %d passed, %d failed%s"
          % (passed, failed, ", %d skipped" % skipped if skipped else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
