#!/usr/bin/env python3
"""Demonstration of Tolvex: the real Tolvex.exe under Wine, on a virtual X display whose mode
really changes. scripts/demo gives it the shipped 32-bit build, which runs in Debian's i386 Wine
(natively, or under qemu where the machine cannot run 32-bit x86 code: tests/e2e/harness.py
decides), or the 64-bit build where 32-bit programs cannot run here at all.

Two runs in a folder laid out as a title would ship it (Tolvex.exe, the application SHOW.EXE, and
a Tolvex.ini written by tolvex-ini):
  1. "16,800,600,1,SHOW.EXE": the display switches to 800 x 600, SHOW.EXE (a demonstration
     application that draws colour bars and names the mode it got) runs for a few seconds, and the
     display comes back. A screenshot is taken while it runs.
  2. "16,1152,864,1,SHOW.EXE": a mode the display refuses; in strict mode Tolvex says so in a
     message box (screenshot, then closed by the demonstration) and starts nothing.
  3. Tolvex Setup opened in the first title's folder: it reads the folder's Tolvex.ini, its Check
     button shows tolvex-ini check's report, and a screenshot of the dialog is taken. Then Try
     this mode: a screenshot of the countdown over the switched display, "It works", and one of
     the report it leaves.

    demo.py --bin build/mingw-i686/bin --ini build/host/bin/tolvex-ini --out build/demo
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))

import dialog_driver as dialog  # noqa: E402
import harness as h  # noqa: E402

IMPORT = "/usr/bin/import"  # ImageMagick's screen grabber
IDENTIFY = "/usr/bin/identify"
# A screen with at least this many colours shows the window drawn (colour bars, or a message box
# with its text and button), not just the bare desktop or an empty frame.
DRAWN_COLOURS = 4


def mode_text(mode):
    return "%dx%d" % mode if mode else "unknown"


class DemoHarness(h.Harness):
    """Takes a screenshot of each message box before it is closed."""

    box_shot = None
    box_shot_taken = False

    def close_boxes(self, seen, boxes):
        if self.box_shot and not self.box_shot_taken:
            for wid in self.find_windows(h.BOX_CAPTION_RE):
                if wid not in seen:
                    self.box_shot_taken = screenshot_drawn(self.display, self.box_shot,
                                                           10 * self.patience)
                    break
        super().close_boxes(seen, boxes)


def screenshot(display, path):
    if not os.path.exists(IMPORT):
        print("  (no screenshot: ImageMagick's import is not installed)")
        return False
    env = dict(os.environ, DISPLAY=display)
    done = subprocess.run([IMPORT, "-window", "root", path], env=env, timeout=30,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return done.returncode == 0 and os.path.exists(path)


def colours(path):
    done = subprocess.run([IDENTIFY, "-format", "%k", path], capture_output=True, text=True,
                          timeout=30)
    return int(done.stdout) if done.returncode == 0 and done.stdout.isdigit() else 0


def screenshot_drawn(display, path, patience):
    """Takes screenshots until one shows a drawn window (or patience seconds have passed)."""
    deadline = time.monotonic() + patience
    while True:
        taken = screenshot(display, path)
        if not taken or colours(path) >= DRAWN_COLOURS:
            return taken
        if time.monotonic() > deadline:
            print("  (the screenshot may show the window before it was drawn)")
            return taken
        time.sleep(0.2)


def write_settings(tolvex_ini, folder, values):
    path = os.path.join(folder, "Tolvex.ini")
    done = subprocess.run([tolvex_ini, "write", "--force", "-o", path] + values,
                          capture_output=True, text=True, timeout=30)
    print("  $ tolvex-ini write " + " ".join(values))
    for line in (done.stdout + done.stderr).splitlines():
        print("    " + line)
    if done.returncode != 0:
        raise h.HarnessError("tolvex-ini refused the demonstration's settings")


def run_case(harness, tolvex_ini, name, values, seconds, app_shot=None):
    folder = harness.case_dir(name)
    harness.layout(folder, {"Tolvex.exe": "tolvex"})
    shutil.copyfile(os.path.join(harness.bin_dir, "tolvex-demo.exe"),
                    os.path.join(folder, "SHOW.EXE"))
    write_settings(tolvex_ini, folder, values)
    app_log = os.path.join(folder, "show.log")
    shot = {"taken": False}

    def on_poll(hr, result):
        if app_shot and not shot["taken"] and os.path.exists(app_log):
            if result.mode_during is None:
                result.mode_during = hr.x_mode()
            if hr.find_windows("^Tolvex demonstration$"):
                shot["taken"] = screenshot_drawn(hr.display, app_shot, 10 * hr.patience)

    harness.reset()
    result = harness.run(["Tolvex.exe"], cwd=folder, probe_log=os.path.join(folder, "unused.log"),
                         env_extra={"TOLVEX_DEMO_LOG": h.wine_path(app_log),
                                    "TOLVEX_DEMO_SECONDS": str(seconds)},
                         time_limit=60.0, on_poll=on_poll)
    seen = ""
    if os.path.exists(app_log):
        with open(app_log) as f:
            seen = f.read().strip()
    return result, seen, shot["taken"]


class Folder:
    """A folder as the dialog driver sees a case's paths."""

    def __init__(self, root):
        self.root = root

    def unix(self, rel):
        return os.path.join(self.root, rel)


def show_setup(harness, folder, shots):
    """Tolvex Setup in a title's folder: Check and a screenshot of the dialog; Try this mode, a
    screenshot of the whole display during the trial, It works, and one of the dialog after it;
    then Escape. `shots`: the three files, in that order."""
    shutil.copyfile(os.path.join(harness.bin_dir, "TolvexSetup.exe"),
                    os.path.join(folder, "TolvexSetup.exe"))
    paths = Folder(folder)
    taken = {}

    def screenshot_of(index, whole_display=False):
        def step(hr, result, _paths):
            env = dict(os.environ, DISPLAY=hr.display)
            window = "root" if whole_display else str(result.notes["dialog"])
            done = subprocess.run([IMPORT, "-window", window, shots[index]], env=env, timeout=30,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            taken[index] = done.returncode == 0 and colours(shots[index]) >= DRAWN_COLOURS
            return True
        return step

    script = dialog.DialogScript(
        dialog.keys("alt+h"), dialog.read_report("check", "Tolvex would "), screenshot_of(0),
        dialog.keys("alt+r"), dialog.in_window("Try this mode", (), "trial", (800, 600)),
        screenshot_of(1, whole_display=True), dialog.in_window("Try this mode", ("alt+i",)),
        dialog.read_report("try", "Try this mode: "), screenshot_of(2), dialog.keys("Escape"))
    harness.reset()
    # The titles' folder as drive T:, so that the dialog (and its screenshot in the README) shows
    # a title folder as a user would have one, T:\switch, rather than this machine's own path.
    drive = os.path.join(harness.prefix, "dosdevices", "t:")
    if os.path.lexists(drive):
        os.remove(drive)
    os.symlink(os.path.dirname(os.path.abspath(folder)), drive)
    try:
        result = harness.run(["TolvexSetup.exe"], cwd=folder,
                             probe_log=os.path.join(folder, "unused.log"), time_limit=60.0,
                             on_poll=lambda hr, r: script(hr, r, paths))
    finally:
        os.remove(drive)
    return result, [taken.get(i, False) for i in range(len(shots))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", required=True, help="folder with Tolvex.exe and tolvex-demo.exe")
    parser.add_argument("--ini", required=True, help="tolvex-ini for this machine")
    parser.add_argument("--out", required=True, help="work folder; screenshots land here")
    parser.add_argument("--seconds", type=int, default=4, help="how long SHOW.EXE stays up")
    args = parser.parse_args()

    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    app_shot = os.path.join(out, "screenshot.png")
    box_shot = os.path.join(out, "screenshot-refused.png")
    setup_shots = [os.path.join(out, name) for name in
                   ("screenshot-setup.png", "screenshot-setup-try.png",
                    "screenshot-setup-try-report.png")]
    for stale in [app_shot, box_shot] + setup_shots:
        if os.path.exists(stale):
            os.remove(stale)

    harness = DemoHarness(args.bin, out, os.path.join(REPO, "scripts", "lib", "xorg-dummy.conf"),
                          log=lambda msg: print("  " + msg))
    ok = True
    print("Starting a virtual display (Xorg, dummy driver) and a Wine prefix...")
    with harness:
        print("Display %s, start mode %s" % (harness.display, mode_text(harness.x_mode())))

        print("\n1. A title that wants 800 x 600 at 16 bits per pixel")
        result, seen, shot = run_case(harness, args.ini, "switch",
                                      ["16", "800", "600", "1", "SHOW.EXE"], args.seconds,
                                      app_shot=app_shot)
        print("  Tolvex exit status: %s" % result.status)
        print("  display before %s, while SHOW.EXE ran %s, after %s"
              % (mode_text(result.mode_before), mode_text(result.mode_during),
                 mode_text(result.mode_after)))
        print("  SHOW.EXE saw: %s" % (seen or "nothing: it did not run"))
        if seen:
            print("  (Wine tells every program 32 bits per pixel, whatever depth was set)")
        if shot:
            print("  screenshot while it ran: %s" % app_shot)
        ok &= (result.status == 0 and result.mode_during == (800, 600)
               and result.mode_after == h.START_MODE and bool(seen))

        print("\n2. A title that wants 1152 x 864, which this display cannot show (strict)")
        harness.box_shot = box_shot
        result, seen, _ = run_case(harness, args.ini, "refused",
                                   ["16", "1152", "864", "1", "SHOW.EXE"], args.seconds)
        print("  Tolvex exit status: %s" % result.status)
        for box in result.boxes:
            print("  message box %r:" % box.caption)
            for line in (box.text or "").split("\r"):
                print("    | " + line)
        if harness.box_shot_taken:
            print("  screenshot of the message box: %s" % box_shot)
        print("  SHOW.EXE: %s" % ("started (it should not have been)" if seen else "not started"))
        print("  display before %s, after %s"
              % (mode_text(result.mode_before), mode_text(result.mode_after)))
        ok &= (result.status == 0 and not seen and len(result.boxes) == 1
               and result.mode_after == h.START_MODE)

        print("\n3. Tolvex Setup in the first title's folder: Check, Try this mode, then Close")
        result, shots = show_setup(harness, os.path.join(harness.cases_dir, "switch"), setup_shots)
        for note in ("check", "try"):
            for line in result.notes.get(note, "").splitlines():
                print("  | " + line)
        for path, shot in zip(setup_shots, shots):
            if shot:
                print("  screenshot: %s" % path)
        ok &= (result.status == 0 and not result.timed_out and all(shots)
               and bool(result.notes.get("check")) and bool(result.notes.get("try"))
               and harness.x_mode() == h.START_MODE)

    print("\nDemonstration %s." % ("done" if ok else "did NOT go as expected"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
