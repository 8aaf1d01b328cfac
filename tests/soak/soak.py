#!/usr/bin/env python3
"""Fault soak of the real Tolvex.exe under Wine on a virtual X display.

Usage: python3 tests/soak/soak.py --bin build/mingw-i686/bin [--runs 50] [--keep]

Runs Tolvex again and again on one Xorg server (dummy driver) and one Wine prefix whose server
and desktop stay up between runs (`wineserver -p`, a held probe), as a machine would between
uses, cycling through the kinds below. After every run it checks: exit status 0; the message
boxes (caption and text exact; the soak closes them); the application started exactly when it
should (probe records: how many, which file, the mode it saw, the stored mode it saw); the X
screen back at 1280x1024; the stored mode still 1280x1024, as the next run will read it; and no
Tolvex or application process left under this prefix. A failed run is followed by a fresh Wine
server and the X start mode, so one fault is not counted again by later runs.

Prints a line per run, the counts per kind, and finally `soak: N passed, M failed`; exits 1 on
any failure. Work folder: build/soak (one run at a time per work folder).
"""

import argparse
import os
import signal
import sys
import time
from dataclasses import dataclass, field

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "tests", "e2e"))
import harness as H  # noqa: E402
import run_e2e as E  # noqa: E402  (case texts, Paths and the second-copy hook)

XORG_CONF = os.path.join(REPO, "scripts", "lib", "xorg-dummy.conf")
START = H.START_MODE
PROJECTOR = "app/PROJECTOR.EXE"
LEFTOVER_PATIENCE = 3.0  # seconds for processes of a finished run to be gone (64-bit build)


@dataclass
class Kind:
    name: str
    what: str
    ini: str = None  # settings text for work/Tolvex.ini (stored complemented); None: no file
    app: bool = True  # PROJECTOR.EXE beside Tolvex
    env: dict = field(default_factory=dict)
    starts: int = 0  # how many times the application must start
    during: tuple = None  # the mode the application must see, or X shows while a box is up
    boxes: list = field(default_factory=list)  # [(caption, text or callable(Paths))]
    second_copy: bool = False
    crash: bool = False  # the application must really have crashed (Wine's report on stderr)


def ini_line(depth, width, height):
    return "%d bits per pixel, %d width x %d height\r\r" % (depth, width, height)


KINDS = [
    Kind("app-exits", "the application exits normally", ini="16,1024,768,1",
         starts=1, during=(1024, 768)),
    Kind("app-crashes", "the application crashes (access violation)", ini="16,640,480,1",
         env={"TOLVEX_PROBE_CRASH": "1"}, starts=1, during=(640, 480), crash=True),
    Kind("no-app", "no application to start: launch message, closed by the soak",
         app=False, boxes=[(E.BAD_INI, E.launch_msg(PROJECTOR))], during=(800, 600)),
    Kind("refused-strict", "a mode the server refuses, strict: message, nothing started",
         ini="16,1152,864,1", during=START,
         boxes=[(E.BADMODE, ini_line(16, 1152, 864) + E.BADMODE_TEXT)]),
    Kind("refused-lenient", "a mode the server refuses, lenient: started anyway, no message",
         ini="16,1152,864,0", starts=1, during=START),
    Kind("rejected-settings", "a rejected settings file: message, nothing started",
         ini="16,1000,600", during=START,
         boxes=[(E.BAD_INI, ini_line(16, 1000, 600) + E.WIDTH_RULE)]),
    Kind("second-copy", "a second Tolvex during a run: it ends at once and starts nothing",
         starts=1, during=(800, 600),
         second_copy=True),
]


def files_of(kind):
    files = {"app/Tolvex.exe": "tolvex", "work": None}
    if kind.app:
        files[PROJECTOR] = "probe"
    else:
        # Beside the program is not where PROJ.EXE is looked for: a start of it is a fault.
        files["app/PROJ.EXE"] = "probe"
    if kind.ini is not None:
        files["work/Tolvex.ini"] = H.complement(kind.ini)
    if not kind.starts and kind.app:
        files["work/PROJ.EXE"] = "probe"  # a fallback that must not be taken either
    return files


def own_leftovers(h):
    """Processes of this prefix that belong to a Tolvex run (Tolvex itself or an application)."""
    cases_unix = h.cases_dir.lower()
    cases_win = H.wine_path(h.cases_dir).lower()
    return [(pid, cmd) for pid, cmd in h.prefix_processes()
            if "tolvex.exe" in cmd.lower() or cases_unix in cmd.lower()
            or cases_win in cmd.lower()]


def wait_for_leftovers(h):
    deadline = time.monotonic() + LEFTOVER_PATIENCE * h.patience
    while True:
        left = own_leftovers(h)
        if not left or time.monotonic() > deadline:
            return left
        time.sleep(0.1)


def end_leftovers(left):
    """Ends processes of our own runs (found under our prefix) by their pid."""
    for pid, _ in left:
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass


def judge(h, kind, paths, r):
    fails = []
    if r.timed_out:
        fails.append("still running after the time limit (visible windows: %r)"
                     % r.stray_windows)
    elif r.status != 0:
        fails.append("exit status %s, expected 0" % r.status)

    want = [(c, t(paths) if callable(t) else t) for c, t in kind.boxes]
    got = [(b.caption, b.text) for b in r.boxes]
    if got != want:
        fails.append("message boxes %r, expected %r" % (got, want))

    for box in r.boxes:
        if box.mode != kind.during:
            fails.append("X mode %s while the box %r was up, expected %s"
                         % (E.fmt_mode(box.mode), box.caption, E.fmt_mode(kind.during)))
    if len(r.records) != kind.starts:
        fails.append("%d application start(s) %r, expected %d"
                     % (len(r.records), [x.get("module") for x in r.records], kind.starts))
    for rec in r.records[:kind.starts]:
        if rec.get("module", "").lower() != paths.win(PROJECTOR).lower():
            fails.append("started %s, expected %s" % (rec.get("module"), paths.win(PROJECTOR)))
        seen = E.probe_mode(rec)
        if seen != kind.during:
            fails.append("application saw %s, expected %s"
                         % (E.fmt_mode(seen), E.fmt_mode(kind.during)))
        try:
            stored = (int(rec["registry_width"]), int(rec["registry_height"]))
        except (KeyError, ValueError):
            stored = None
        if stored != START:
            fails.append("stored display mode %s while the application ran, expected %s"
                         % (E.fmt_mode(stored), E.fmt_mode(START)))

    if r.mode_after != START:
        fails.append("X mode after the run %s, expected %s"
                     % (E.fmt_mode(r.mode_after), E.fmt_mode(START)))
    if kind.crash and "Unhandled" not in r.stderr:
        fails.append("no crash of the application was reported by Wine")
    if kind.second_copy and not r.timed_out:
        fails += E.check_second_copy(h, r, paths)
    return fails


def run_one(h, index, kind):
    root = h.case_dir("%03d-%s" % (index, kind.name))
    paths = E.Paths(root)
    h.layout(root, files_of(kind))
    on_record = None
    if kind.second_copy:
        def on_record(hh, result, record):
            E.start_second_copy(hh, result, record, paths)
    h.hold_desktop()  # again, should the held probe have outlived its ceiling
    mode_before = h.x_mode()
    r = h.run([paths.unix("app/Tolvex.exe")], paths.unix("work"), paths.unix("probe.log"),
              env_extra=kind.env, time_limit=30.0, on_record=on_record,
              out_base=paths.unix("tolvex"))
    fails = []
    if mode_before != START:
        fails.append("X mode before the run %s" % E.fmt_mode(mode_before))
    fails += judge(h, kind, paths, r)
    stored = h.stored_mode(root, fresh_server=False)
    if stored != START:
        fails.append("stored display mode after the run %s, expected %s"
                     % (E.fmt_mode(stored), E.fmt_mode(START)))
    left = wait_for_leftovers(h)
    if left:
        fails.append("left running: %s" % "; ".join("%d %s" % p for p in left))
        end_leftovers(left)
    return r, fails


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[1])
    ap.add_argument("--bin", required=True, help="folder with Tolvex.exe and tolvex-probe.exe")
    ap.add_argument("--runs", type=int, default=50, help="number of runs (kinds in turn)")
    ap.add_argument("--work", default=os.path.join(REPO, "build", "soak"), help="work folder")
    ap.add_argument("--display", type=int, default=71, help="first X display number to try")
    ap.add_argument("--keep", action="store_true", help="keep the run folders for inspection")
    args = ap.parse_args(argv)
    if args.runs < 1:
        ap.error("--runs must be at least 1")

    signal.signal(signal.SIGTERM, lambda *a: sys.exit(143))
    h = H.Harness(args.bin, args.work, XORG_CONF, display_first=args.display, keep=args.keep,
                  log=lambda msg: print("# " + msg, flush=True))
    counts = {k.name: [0, 0] for k in KINDS}  # passed, failed
    not_run = 0  # runs left out after the environment broke down
    t_all = time.monotonic()
    try:
        try:
            h.start()
            h.reset()
            h.keep_wineserver()
        except H.HarnessError as e:
            print("FAIL setup: %s" % e)
            print("soak: 0 passed, %d failed" % args.runs)
            return 1
        t_runs = time.monotonic()
        for i in range(args.runs):
            kind = KINDS[i % len(KINDS)]
            t0 = time.monotonic()
            try:
                r, fails = run_one(h, i + 1, kind)
            except H.HarnessError as e:
                fails = ["harness: %s" % e]
            counts[kind.name][1 if fails else 0] += 1
            print("%s %3d %-18s %5.1f s" % ("FAIL" if fails else "PASS", i + 1, kind.name,
                                           time.monotonic() - t0), flush=True)
            for f in fails:
                print("     - %s" % f, flush=True)
            if fails:  # a clean start for the next run
                try:
                    h.reset()
                    h.keep_wineserver()
                except H.HarnessError as e:
                    print("FAIL setup after run %d: %s" % (i + 1, e))
                    not_run = args.runs - i - 1
                    break
        runs_seconds = time.monotonic() - t_runs
    finally:
        h.stop()

    print("%-18s %6s %6s  %s" % ("kind", "passed", "failed", "what"))
    for k in KINDS:
        p, f = counts[k.name]
        print("%-18s %6d %6d  %s" % (k.name, p, f, k.what))
    passed = sum(p for p, _ in counts.values())
    failed = sum(f for _, f in counts.values()) + not_run
    if not_run:
        print("%-18s %6s %6d  not run: the environment could not be set up again"
              % ("(not run)", "", not_run))
    print("# %d runs in %.1f s (%.1f s with set-up and shut-down) on Xorg dummy %s"
          % (args.runs, runs_seconds, time.monotonic() - t_all, h.display))
    print("soak: %d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
