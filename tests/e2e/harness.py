"""End-to-end harness: runs the real Tolvex.exe under Wine on a private virtual X display.

One Harness owns one Xorg server (dummy driver, four modes) and one Wine prefix. Which Wine runs
the program follows from the machine field of Tolvex.exe's PE header: wine64 for the 64-bit build;
for the shipped 32-bit build, Debian's i386 Wine in a win32 prefix of its own: natively where this
machine runs 32-bit x86 code, else under qemu user-mode emulation with time limits stretched to
match (i386_wine() decides, once, for every user of this module).

Run as a program, `harness.py i386` prints in one line how this machine runs 32-bit Windows
programs, or what it lacks to run them (exit status 1); `harness.py native-i386` exits 0 only
when i386 Wine runs natively.

Each case gets a fresh Wine server and the X start mode, a folder of its own laid out with
Tolvex.exe, copies of the probe program and settings files, and one run of Tolvex whose message
boxes are closed and recorded, whose probe records are collected, and whose display modes before,
during and after are measured with xrandr.

Only processes started here are ended, by their pid; `wineserver -k` acts on the private prefix
only. Standard library only.
"""

import fcntl
import os
import platform
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass, field

WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
QEMU_I386 = "/usr/bin/qemu-i386-static"
PE_I386 = 0x14C
PE_AMD64 = 0x8664
# qemu runs every 32-bit x86 ELF started in the namespace, Wine's children included. The rule
# lives in a binfmt_misc of the command's own user namespace (kernel 6.7 and later), so nothing
# is registered for the rest of the machine.
BINFMT_I386 = (
    ":qemu-i386:M::"
    "\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00"
    "\\x02\\x00\\x03\\x00:"
    "\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff"
    "\\xfe\\xff\\xff\\xff:"
    + QEMU_I386 + ":FP")
_WITH_BINFMT = ('rule=$1; shift; mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc && '
                'printf "%s" "$rule" > /proc/sys/fs/binfmt_misc/register && exec "$@"')
START_MODE = (1280, 1024)
# Message boxes of Tolvex all carry a caption starting like this.
BOX_CAPTION_RE = "^Tolvex Error"
# The locale whose ANSI code page Wine gives its programs; UTF-8 keeps the Unix names UTF-8.
CODE_PAGE_LOCALES = {932: "ja_JP", 1250: "pl_PL", 1252: "en_US"}
# The Wine prefix is rebuilt when this changes (or when Wine's version changes).
PREFIX_LAYOUT = "tolvex-e2e-prefix 1"
REG_FILES = ("system.reg", "user.reg", "userdef.reg")


class HarnessError(Exception):
    """The environment (X server, Wine) could not be brought up; no case can be judged."""


def pe_machine(path):
    """The machine field of a PE file's header (PE_I386, PE_AMD64, ...)."""
    try:
        with open(path, "rb") as f:
            data = f.read(4096)
    except OSError as e:
        raise HarnessError("cannot read %s: %s" % (path, e)) from e
    if len(data) >= 0x40 and data[:2] == b"MZ":
        at = int.from_bytes(data[0x3C:0x40], "little")
        if data[at:at + 4] == b"PE\0\0" and at + 6 <= len(data):
            return int.from_bytes(data[at + 4:at + 6], "little")
    raise HarnessError("%s is not a PE file" % path)


@dataclass(frozen=True)
class Wine:
    """How Wine runs programs of one machine type."""

    arch: str  # WINEARCH of its prefix
    command: tuple  # starts `wine`; the program and its arguments follow
    patience: float  # factor on the time limits
    needs: tuple  # files that must be there
    how: str = "natively"  # for people: how it runs here

    @property
    def bits(self):
        return 32 if self.arch == "win32" else 64


WINE_64 = Wine("win64", (WINE64,), 1.0, (WINE64,))
WINE_32_NATIVE = Wine("win32", (WINE32,), 1.5, (WINE32,))
# Each process start costs seconds under emulation, and a cold one two or three.
WINE_32_QEMU = Wine("win32",
                    ("unshare", "--user", "--map-root-user", "--mount", "--fork", "--kill-child",
                     "sh", "-c", _WITH_BINFMT, "run32", BINFMT_I386, WINE32),
                    4.0, (WINE32, QEMU_I386), "under qemu")
WINE_32_MACHINE_QEMU = Wine("win32", (WINE32,), 4.0, (WINE32,),
                            "under qemu (registered for the whole machine)")
CANNOT_RUN_I386 = "32-bit Windows programs cannot run here: "


def _exits_zero(args, timeout):
    try:
        done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout)
    except (OSError, subprocess.TimeoutExpired):  # "Exec format error" included
        return False
    return done.returncode == 0


def runs_i386_natively():
    """Whether i386 Wine's own loader runs here as it is, told by its exit status."""
    return os.path.exists(WINE32) and _exits_zero([WINE32, "--version"], timeout=60)


def _i386_emulated_for_all():
    """Whether a binfmt_misc rule of the whole machine hands i386 programs to qemu (then the
    loader runs as it is, but emulated, and as slowly as under our own rule)."""
    try:
        with open("/proc/sys/fs/binfmt_misc/qemu-i386") as f:
            return f.readline().strip() == "enabled"
    except OSError:
        return False


_I386 = []  # the one decision of this process: [Wine] or [HarnessError]


def i386_wine():
    """The Wine that runs 32-bit programs on this machine: i386 Wine natively where the loader
    runs, else under qemu with a private binfmt_misc. Decided on the first call; raises
    HarnessError with one line naming what is missing where neither works."""
    if not _I386:
        _I386.append(_decide_i386())
    if isinstance(_I386[0], HarnessError):
        raise _I386[0]
    return _I386[0]


def _decide_i386():
    if not os.path.exists(WINE32):
        return HarnessError(CANNOT_RUN_I386 + "i386 Wine is not installed (%s, Debian package "
                            "wine32:i386; scripts/install-deps installs it)" % WINE32)
    if runs_i386_natively():
        return WINE_32_MACHINE_QEMU if _i386_emulated_for_all() else WINE_32_NATIVE
    lacking = "this machine does not run 32-bit x86 code (%s --version fails), " % WINE32
    if not os.path.exists(QEMU_I386):
        return HarnessError(CANNOT_RUN_I386 + lacking + "and qemu-user-static (%s) is not "
                            "installed (scripts/install-deps installs it)" % QEMU_I386)
    if shutil.which("unshare") is None:
        return HarnessError(CANNOT_RUN_I386 + lacking + "and unshare (util-linux) is missing")
    if _exits_zero(list(WINE_32_QEMU.command) + ["--version"], timeout=120):
        return WINE_32_QEMU
    if _in_chroot():
        return HarnessError(CANNOT_RUN_I386 + lacking + "and a chroot cannot make the user "
                            "namespace whose binfmt_misc would run Wine under qemu (enter the "
                            "root through scripts/debian13 --i386-ns)")
    return HarnessError(CANNOT_RUN_I386 + lacking + "and Wine under qemu cannot start: it needs a "
                        "binfmt_misc of its own in a user namespace, which needs Linux 6.7 or "
                        "later (this is %s)" % platform.release())


def _in_chroot():
    """Whether this process runs in a chroot: then no mount has its root as mount point."""
    try:
        with open("/proc/self/mountinfo") as f:
            return not any(fields[4] == "/" for fields in map(str.split, f) if len(fields) > 4)
    except OSError:
        return False


def wine_for(exe):
    """The Wine that runs this Windows program, from the machine field of its PE header."""
    machine = pe_machine(exe)
    if machine == PE_AMD64:
        return WINE_64
    if machine == PE_I386:
        return i386_wine()
    raise HarnessError("%s: no Wine here for PE machine 0x%04x" % (exe, machine))


def wine_path(unix_path):
    """The Z: drive path Wine shows for an absolute Unix path."""
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def complement(text):
    """Settings-file encoding: every byte stored as 255 minus the text byte."""
    data = text.encode("latin-1") if isinstance(text, str) else bytes(text)
    return bytes(255 - b for b in data)


_DEBUGSTR_ESCAPES = {"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"', "'": "'"}


def decode_debugstr(body):
    """Undo Wine's debugstr_w escaping (the part between L" and the closing quote).

    Wine prints a carriage return as the two characters backslash and 'r', a backslash doubled,
    and other control or non-ASCII characters as \\xNNNN or octal; this turns it back into the
    text that was passed to MessageBox.
    """
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\" or i + 1 >= len(body):
            out.append(c)
            i += 1
            continue
        n = body[i + 1]
        if n in _DEBUGSTR_ESCAPES:
            out.append(_DEBUGSTR_ESCAPES[n])
            i += 2
        elif n == "x":
            m = re.match(r"[0-9a-fA-F]{1,4}", body[i + 2 :])
            out.append(chr(int(m.group(0), 16)) if m else "x")
            i += 2 + (len(m.group(0)) if m else 0)
        elif n in "01234567":
            m = re.match(r"[0-7]{1,3}", body[i + 1 :])
            out.append(chr(int(m.group(0), 8)))
            i += 1 + len(m.group(0))
        else:
            out.append(n)
            i += 2
    return "".join(out)


_MSGBOX_TRACE = re.compile(r'trace:msgbox:MSGBOX_OnInit L"(.*)"(\.\.\.)?\s*$')


def parse_msgbox_traces(stderr_text):
    """Message box texts from a WINEDEBUG=+msgbox log, in order: (text, truncated)."""
    found = []
    for line in stderr_text.splitlines():
        m = _MSGBOX_TRACE.search(line)
        if m:
            found.append((decode_debugstr(m.group(1)), m.group(2) is not None))
    return found


def _unescape_probe(value):
    out = []
    i = 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            out.append({"r": "\r", "n": "\n", "\\": "\\"}.get(value[i + 1], value[i + 1]))
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)


def parse_probe_log(path):
    """Complete probe records (dicts of str) from the probe's log file, in order."""
    try:
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
    except FileNotFoundError:
        return []
    records = []
    current = None
    for line in text.split("\n"):
        if line == "record=begin":
            current = {}
        elif line == "record=end":
            if current is not None:
                records.append(current)
            current = None
        elif current is not None and "=" in line:
            key, value = line.split("=", 1)
            value = _unescape_probe(value)
            # Values ending in _w are names as Windows holds them, in UTF-8.
            current[key] = value.encode("latin-1").decode("utf-8", "replace") \
                if key.endswith("_w") else value
    return records


def probe_exits(path):
    """Process ids of the probes that have reached their end (the `exiting=` lines)."""
    try:
        with open(path, "rb") as f:
            text = f.read().decode("latin-1")
    except FileNotFoundError:
        return []
    return [line.split("=", 1)[1] for line in text.split("\n") if line.startswith("exiting=")]


def release_probe(hold, record):
    """Lets the probe that wrote this record end (it holds until this file exists)."""
    with open("%s.%s" % (hold, record.get("pid", "unknown")), "w"):
        pass


def unquote_cmdline(cmdline):
    """A command line that Wine quoted whole ('"X"') read back as X."""
    if len(cmdline) >= 2 and cmdline[0] == '"' and cmdline[-1] == '"' and '"' not in cmdline[1:-1]:
        return cmdline[1:-1]
    return cmdline


@dataclass
class MessageBox:
    caption: str
    text: str = None  # from the +msgbox trace; None when no trace line matched
    truncated: bool = False
    mode: tuple = None  # X mode while the box was up


@dataclass
class RunResult:
    status: int = None  # exit status; None when the time limit ended the run
    timed_out: bool = False
    seconds: float = 0.0
    boxes: list = field(default_factory=list)
    records: list = field(default_factory=list)
    mode_before: tuple = None
    mode_during: tuple = None  # X mode when the first probe record appeared
    mode_after: tuple = None
    stderr: str = ""
    notes: dict = field(default_factory=dict)  # what poll hooks measured
    stray_windows: list = field(default_factory=list)  # visible windows left at a time-out
    proc: object = None  # the watched process (for hooks)
    env: dict = None  # the environment it was started with (for hooks)


class Harness:
    def __init__(self, bin_dir, work_dir, xorg_conf, display_first=41, display_last=99,
                 keep=False, log=None):
        self.bin_dir = os.path.abspath(bin_dir)
        self.work_dir = os.path.abspath(work_dir)
        self.xorg_conf = os.path.abspath(xorg_conf)
        self.display_first = display_first
        self.display_last = display_last
        self.keep = keep
        self.log = log or (lambda msg: None)
        self.tolvex = os.path.join(self.bin_dir, "Tolvex.exe")
        self.probe = os.path.join(self.bin_dir, "tolvex-probe.exe")
        try:
            self.wine = wine_for(self.tolvex)
        except HarnessError:
            self.wine = WINE_64  # check_tools() tells what is wrong
        self.patience = self.wine.patience
        # The 32-bit and 64-bit builds keep prefixes of their own in a shared work folder.
        suffix = "" if self.wine is WINE_64 else "-" + self.wine.arch
        self.prefix = os.path.join(self.work_dir, "wineprefix" + suffix)
        self.snapshot = os.path.join(self.work_dir, "registry-snapshot" + suffix)
        self.cases_dir = os.path.join(self.work_dir, "cases")
        self.display = None
        self.xorg = None
        self.xorg_log = None
        ws = "/usr/lib/wine/wineserver"
        self.wineserver = ws if os.path.exists(ws) else (shutil.which("wineserver") or ws)
        # A command that spawn() puts before Wine's, for runs that need one (setpriv).
        self.wrap = ()
        self.boxes_answered_by_hooks = False  # set: the run's hooks answer Tolvex's boxes
        self._holder = None  # the held probe that keeps Wine's desktop up (hold_desktop)

    # ----- environment ----------------------------------------------------------------------

    def check_tools(self):
        missing = [t for t in ("Xorg", "xrandr", "xdotool") if shutil.which(t) is None]
        for path in self.wine.needs + (self.wineserver, self.tolvex, self.probe, self.xorg_conf):
            if not os.path.exists(path):
                missing.append(path)
        if missing:
            raise HarnessError("missing: " + ", ".join(missing))
        if wine_for(self.tolvex) is not self.wine or wine_for(self.probe) is not self.wine:
            raise HarnessError("%s and %s are not built for the same machine"
                               % (self.tolvex, self.probe))

    def start(self):
        self.check_tools()
        self.log("%d-bit Tolvex.exe: %s %s, prefix %s"
                 % (self.wine.bits, self.wine.command[-1], self.wine.how, self.wine.arch))
        os.makedirs(self.work_dir, exist_ok=True)
        self._lock_work_dir()
        if os.path.isdir(self.cases_dir):
            shutil.rmtree(self.cases_dir)
        os.makedirs(self.cases_dir)
        self._start_xorg()
        self._prepare_prefix()

    def _lock_work_dir(self, patience=600):
        """One run at a time per work folder: the Wine prefix and case folders are shared."""
        self._lock = open(os.path.join(self.work_dir, ".lock"), "w")
        deadline = time.monotonic() + patience
        told = False
        while True:
            try:
                fcntl.flock(self._lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                return
            except OSError:
                if time.monotonic() > deadline:
                    raise HarnessError("another run keeps %s busy" % self.work_dir)
                if not told:
                    self.log("waiting for another run using %s" % self.work_dir)
                    told = True
                time.sleep(1)

    def stop(self):
        if os.path.isdir(self.prefix):
            self._wineserver_kill()
        self._end_holder()
        if self.xorg is not None:
            self._end_process(self.xorg, grace=10)
            self.xorg = None
        if not self.keep and os.path.isdir(self.cases_dir):
            shutil.rmtree(self.cases_dir, ignore_errors=True)
        if getattr(self, "_lock", None) is not None:
            self._lock.close()  # releases the lock
            self._lock = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    @staticmethod
    def _end_process(proc, grace=5):
        """End one process that this harness started, by its pid."""
        if proc.poll() is not None:
            return
        try:
            proc.terminate()
            proc.wait(timeout=grace)
        except subprocess.TimeoutExpired:
            proc.kill()
            try:
                proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                pass
        except ProcessLookupError:
            pass

    @staticmethod
    def _display_busy(n):
        return os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n)

    def _start_xorg(self):
        config_dir = os.path.join(self.work_dir, "xorg.conf.d")  # private and empty
        os.makedirs(config_dir, exist_ok=True)
        tries = 0
        for n in range(self.display_first, self.display_last + 1):
            if self._display_busy(n):
                continue
            tries += 1
            if tries > 6:
                break
            self.xorg_log = os.path.join(self.work_dir, "Xorg.%d.log" % n)
            out = open(os.path.join(self.work_dir, "Xorg.%d.out" % n), "wb")
            proc = subprocess.Popen(
                ["Xorg", ":%d" % n, "-noreset", "-nolisten", "tcp", "-config", self.xorg_conf,
                 "-configdir", config_dir, "-logfile", self.xorg_log],
                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                start_new_session=True)
            out.close()
            self.display = ":%d" % n
            deadline = time.monotonic() + 30
            while time.monotonic() < deadline and proc.poll() is None:
                if self.x_mode() is not None:
                    self.xorg = proc
                    self.log("Xorg %s up (pid %d)" % (self.display, proc.pid))
                    return
                time.sleep(0.2)
            self._end_process(proc)
            self.log("Xorg on :%d did not come up; trying the next number" % n)
        raise HarnessError("no Xorg server could be started (see %s)" % self.xorg_log)

    def code_page_env(self, code_page):
        """LC_ALL and LOCPATH for this code page, the locale compiled into the work folder.

        One prefix serves all: Wine takes the code pages from each process's locale, whatever
        the prefix was made under, and rewrites the registry's international settings when they
        are another locale's. reset() ends the server (`wineserver -k`, `-w`) between cases.
        """
        name = CODE_PAGE_LOCALES[code_page] + ".UTF-8"
        folder = os.path.join(self.work_dir, "locales")
        if not os.path.isdir(os.path.join(folder, name)):
            # Made under another name and renamed once whole: a locale half made (localedef
            # failed, or was stopped) would leave Wine in the C locale, its names cut to 7 bits.
            os.makedirs(folder, exist_ok=True)
            new = os.path.join(folder, name + ".new")
            shutil.rmtree(new, ignore_errors=True)
            make = ["localedef", "-i", CODE_PAGE_LOCALES[code_page], "-f", "UTF-8", new]
            if not shutil.which("localedef") or self._run_quiet(make, 120).returncode != 0:
                raise HarnessError("localedef cannot compile %s (install-deps installs locales)"
                                   % name)
            os.rename(new, os.path.join(folder, name))
        return {"LC_ALL": name, "LOCPATH": folder}

    def wine_env(self, extra=None):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith("WINE") and not k.startswith("TOLVEX_")
               and k != "__COMPAT_LAYER"}
        env.pop("DISPLAY", None)
        if self.display:
            env["DISPLAY"] = self.display
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": self.wine.arch,
            # No Mono/Gecko install prompts and no desktop menu entries.
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            # Message box texts go to stderr; fixme noise does not.
            "WINEDEBUG": "fixme-all,+msgbox",
        })
        env.setdefault("HOME", "/root")
        if extra:
            env.update(extra)
        return env

    def _run_quiet(self, args, timeout, env=None, cwd=None):
        try:
            return subprocess.run(args, env=env or self.wine_env({"WINEDEBUG": "-all"}), cwd=cwd,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, timeout=timeout)
        except subprocess.TimeoutExpired as e:
            raise HarnessError("%s took longer than %d s" % (" ".join(args), timeout)) from e

    def _wineserver_kill(self):
        env = self.wine_env({"WINEDEBUG": "-all"})
        try:
            subprocess.run([self.wineserver, "-k"], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
            subprocess.run([self.wineserver, "-w"], env=env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
        except subprocess.TimeoutExpired:
            self.log("wineserver -k/-w did not finish in time")

    def _wine_version(self):
        r = self._run_quiet(list(self.wine.command) + ["--version"], timeout=20 * self.patience)
        return r.stdout.decode("latin-1").strip()

    def wine_major(self):
        """This Wine's major version (8 for "wine-8.0.2"), asked once; 0 if it does not say."""
        if getattr(self, "_wine_major", None) is None:
            m = re.match(r"wine-(\d+)", self._wine_version())
            self._wine_major = int(m.group(1)) if m else 0
        return self._wine_major

    def wait_for_mode(self, mode, seconds):
        """Waits until the X mode is `mode`, at most `seconds`; the mode last seen."""
        deadline = time.monotonic() + seconds
        seen = self.x_mode()
        while seen != mode and time.monotonic() < deadline:
            time.sleep(0.1)
            seen = self.x_mode()
        return seen

    def _prepare_prefix(self):
        marker = os.path.join(self.prefix, ".tolvex-e2e-ready")
        snapshot = self.snapshot
        stamp = "%s\n%s %s\n" % (PREFIX_LAYOUT, self.wine.arch, self._wine_version())
        try:
            with open(marker) as f:
                ready = f.read() == stamp
        except OSError:
            ready = False
        if ready and all(os.path.exists(os.path.join(snapshot, r)) for r in REG_FILES):
            self.log("reusing Wine prefix %s" % self.prefix)
            return
        self.log("creating Wine prefix %s (first start takes a while)" % self.prefix)
        t0 = time.monotonic()
        if os.path.isdir(self.prefix):
            self._wineserver_kill()
            shutil.rmtree(self.prefix)
        wine = list(self.wine.command)
        r = self._run_quiet(wine + ["wineboot", "-i"], timeout=240 * self.patience)
        if r.returncode != 0:
            raise HarnessError("wineboot -i failed: " + r.stdout.decode("latin-1")[-2000:])
        # A crashing probe must not leave Wine's crash dialog on screen.
        self._run_quiet(wine + ["reg", "add", "HKCU\\Software\\Wine\\WineDbg", "/v",
                                "ShowCrashDialog", "/t", "REG_DWORD", "/d", "0", "/f"],
                        timeout=60 * self.patience)
        self._wineserver_kill()
        os.makedirs(snapshot, exist_ok=True)
        for name in REG_FILES:
            shutil.copy2(os.path.join(self.prefix, name), os.path.join(snapshot, name))
        with open(marker, "w") as f:
            f.write(stamp)
        self.log("Wine prefix ready in %.1f s" % (time.monotonic() - t0))

    def _restore_registry(self):
        for name in REG_FILES:
            shutil.copy2(os.path.join(self.snapshot, name), os.path.join(self.prefix, name))

    # ----- X helpers ------------------------------------------------------------------------

    def _x(self, args, timeout=10):
        env = dict(os.environ, DISPLAY=self.display or ":")
        try:
            return subprocess.run(args, env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def x_mode(self):
        """The X screen's current size as (width, height), or None if the server does not answer."""
        r = self._x(["xrandr", "--current"], timeout=10)
        if r is None or r.returncode != 0:
            return None
        m = re.search(rb"current (\d+) x (\d+)", r.stdout)
        return (int(m.group(1)), int(m.group(2))) if m else None

    def set_x_mode(self, mode):
        self._x(["xrandr", "-s", "%dx%d" % mode], timeout=10)
        return self.x_mode()

    def find_windows(self, name_re, only_visible=True):
        args = ["xdotool", "search"] + (["--onlyvisible"] if only_visible else []) + \
            ["--name", name_re]
        r = self._x(args, timeout=10)
        if r is None:
            return []
        return [int(w) for w in r.stdout.split()]

    def window_name(self, wid):
        r = self._x(["xdotool", "getwindowname", str(wid)], timeout=10)
        return r.stdout.decode("utf-8", "replace").rstrip("\n") if r and r.returncode == 0 else None

    def visible_window_names(self):
        names = []
        for wid in self.find_windows(".*"):
            name = self.window_name(wid)
            if name:
                names.append(name)
        return names

    def close_window(self, wid):
        """Presses Return in a message box (its OK button has the focus)."""
        self._x(["xdotool", "windowfocus", "--sync", str(wid), "key", "Return"], timeout=5)

    def close_boxes(self, seen, boxes):
        """Records and closes every Tolvex message box on screen.

        seen maps window ids already met to the time of their last key press; a box that is
        still there a second after its press is pressed again.
        """
        for wid in self.find_windows(BOX_CAPTION_RE):
            now = time.monotonic()
            if wid not in seen:
                boxes.append(MessageBox(caption=self.window_name(wid) or "", mode=self.x_mode()))
                seen[wid] = 0.0
            if now - seen[wid] > 1.0:
                self.close_window(wid)
                seen[wid] = now

    # ----- cases ----------------------------------------------------------------------------

    def reset(self):
        """A fresh Wine server with the prefix's registry as first made, and the X start mode."""
        self._wineserver_kill()
        self._end_holder()
        self._restore_registry()
        mode = self.set_x_mode(START_MODE)
        if mode != START_MODE:
            raise HarnessError("X server could not be put back to %dx%d (it is %s)"
                               % (START_MODE + (mode,)))

    def set_windows_version(self, version):
        """The Windows version ("win7", "win10", ...) that Wine reports, until the next reset().

        Written straight into the prefix's user registry while no Wine server runs (as after
        reset()): a section added at the end is merged into the key when the server loads it.
        """
        with open(os.path.join(self.prefix, "user.reg"), "a") as f:
            f.write('\n[Software\\\\Wine] 0\n"Version"="%s"\n' % version)

    def keep_wineserver(self):
        """Starts this prefix's Wine server persistent (`wineserver -p`).

        Runs one after another then share one warm server, its system processes, its desktop
        and its registry, instead of paying for a fresh server each time; reset() and stop() end
        it.
        """
        env = self.wine_env({"WINEDEBUG": "-all"})
        try:
            # No pipes: the server goes to the background with them and would hold them open.
            r = subprocess.run([self.wineserver, "-p"], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=20)
        except subprocess.TimeoutExpired as e:
            raise HarnessError("wineserver -p took longer than 20 s") from e
        if r.returncode != 0:
            raise HarnessError("wineserver -p failed with status %d" % r.returncode)
        self.hold_desktop()

    def hold_desktop(self):
        """Keeps Wine's desktop up from now until the next reset() or stop(); again if it ended.

        Wine closes its desktop (explorer.exe) about a second after the last program on it ends;
        the next program that needs one starts it anew. A desktop started while the screen is in
        another mode writes that mode into the stored display settings, and there it stays: a run
        of Tolvex that comes after it "restores" the mode of an earlier run. That happens when a
        run begins just as the old desktop closes and its first window (a message box) comes
        after the switch. On Windows the shell never goes away between uses; here a probe held
        open plays its part.
        """
        if self._holder is not None and self._holder.poll() is None:
            return
        folder = os.path.join(self.work_dir, "desktop")
        os.makedirs(folder, exist_ok=True)
        log = os.path.join(folder, "holder.log")
        if os.path.exists(log):
            os.remove(log)
        env = self.wine_env({"TOLVEX_PROBE_LOG": wine_path(log), "WINEDEBUG": "-all",
                             "TOLVEX_PROBE_HOLD": wine_path(os.path.join(folder, "release"))})
        self._holder = self.spawn([self.probe], folder, env, os.path.join(folder, "holder"))
        deadline = time.monotonic() + 60 * self.patience
        while not (parse_probe_log(log) and self._desktop_up()):
            if self._holder.poll() is not None or time.monotonic() > deadline:
                self._end_holder()
                raise HarnessError("Wine's desktop did not come up for the held probe")
            time.sleep(0.1)

    def _desktop_up(self):
        return any(re.search(r"(^|[\\/])explorer\.exe\b", cmd, re.I)
                   for _, cmd in self.prefix_processes())

    def _end_holder(self):
        """Ends the held probe (its server is usually gone already) by its pid."""
        if self._holder is not None:
            self._end_process(self._holder, grace=3)
            self._holder = None

    def prefix_processes(self):
        """(pid, command line) of every process started under this harness's Wine prefix.

        Wine detaches its processes (parent init, sessions of their own), so they are told
        apart by the WINEPREFIX in their environment; other people's Wine runs are not seen.
        """
        want = b"WINEPREFIX=" + os.fsencode(self.prefix)
        found = []
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                with open("/proc/%s/environ" % name, "rb") as f:
                    if want not in f.read().split(b"\0"):
                        continue
                with open("/proc/%s/cmdline" % name, "rb") as f:
                    cmdline = f.read().replace(b"\0", b" ").decode("latin-1").strip()
            except OSError:  # gone meanwhile, or not ours to read
                continue
            found.append((int(name), cmdline))
        return found

    def case_dir(self, name):
        path = os.path.join(self.cases_dir, name)
        if os.path.isdir(path):
            shutil.rmtree(path)
        os.makedirs(path)
        return path

    def layout(self, root, files):
        """Lays out files under root: {relpath: 'tolvex' | 'probe' | 'ini' | bytes | str | None}.

        None makes a folder; str is written as text, bytes as they are.
        """
        for rel, what in files.items():
            path = os.path.join(root, rel)
            if what is None:
                os.makedirs(path, exist_ok=True)
                continue
            os.makedirs(os.path.dirname(path), exist_ok=True)
            if what == "tolvex":
                shutil.copyfile(self.tolvex, path)
            elif what == "probe":
                shutil.copyfile(self.probe, path)
            elif what == "ini":
                shutil.copyfile(os.path.join(self.bin_dir, "tolvex-ini.exe"), path)
            elif what == "setup":
                shutil.copyfile(os.path.join(self.bin_dir, "TolvexSetup.exe"), path)
            elif what == "child-query":
                shutil.copyfile(os.path.join(self.bin_dir, "tolvex-child-query-test.exe"), path)
            elif isinstance(what, (bytes, bytearray)):
                with open(path, "wb") as f:
                    f.write(what)
            else:
                with open(path, "w") as f:
                    f.write(what)

    def spawn(self, argv, cwd, env, out_base):
        """Starts `wine argv...` (this build's Wine); stdout and stderr go to out_base.out/.err."""
        out = open(out_base + ".out", "wb")
        err = open(out_base + ".err", "wb")
        try:
            # The wrapper goes right before Wine itself: inside the 32-bit build's user namespace,
            # which would give back what the wrapper takes away.
            wine = list(self.wine.command)
            return subprocess.Popen(wine[:-1] + list(self.wrap) + wine[-1:] + list(argv),
                                    cwd=cwd, env=env,
                                    stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                    start_new_session=True)
        finally:
            out.close()
            err.close()

    def run(self, argv, cwd, probe_log, env_extra=None, time_limit=30.0, on_record=None,
            on_poll=None, out_base=None):
        """One run of `wine argv...` in cwd, watched until it ends or time_limit passes.

        time_limit is in seconds of the 64-bit build; it is stretched by this Wine's patience.

        Message boxes with a Tolvex caption are recorded and closed. on_record(harness, result,
        record) is called once for each new probe record while the run goes on; on_poll(harness,
        result) on every turn of the watch loop.

        Each probe holds after writing its record until it is released here: after the X mode
        has been taken for mode_during and on_record has run. So whatever is measured about a
        running application is measured while it runs, however slowly this Wine starts it.
        """
        result = RunResult()
        hold = os.path.join(os.path.dirname(probe_log), "release")
        env = self.wine_env(dict(env_extra or {}, TOLVEX_PROBE_LOG=wine_path(probe_log),
                                 TOLVEX_PROBE_HOLD=wine_path(hold)))
        out_base = out_base or os.path.join(os.path.dirname(probe_log), "run")
        result.mode_before = self.x_mode()
        t0 = time.monotonic()
        proc = self.spawn(argv, cwd, env, out_base)
        result.proc = proc
        result.env = env
        deadline = t0 + time_limit * self.patience
        seen_boxes = {}  # window id -> time it was last pressed
        seen_records = 0
        while True:
            finished = proc.poll() is not None
            records = parse_probe_log(probe_log)
            result.records = records
            for rec in records[seen_records:]:
                if result.mode_during is None:
                    result.mode_during = self.x_mode()
                if on_record:
                    on_record(self, result, rec)
                release_probe(hold, rec)
            seen_records = len(records)
            if finished:
                break
            if not self.boxes_answered_by_hooks:
                self.close_boxes(seen_boxes, result.boxes)
            if on_poll:
                on_poll(self, result)
            if time.monotonic() > deadline:
                result.timed_out = True
                result.stray_windows = self.visible_window_names()
                self._end_process(proc, grace=3)
                break
            time.sleep(0.1)
        result.seconds = time.monotonic() - t0
        result.status = None if result.timed_out else proc.returncode
        result.records = parse_probe_log(probe_log)
        for rec in result.records:  # none left holding after a time-out
            release_probe(hold, rec)
        with open(out_base + ".err", "rb") as f:
            result.stderr = f.read().decode("utf-8", "replace")
        traces = parse_msgbox_traces(result.stderr)
        for i, (text, truncated) in enumerate(traces):
            if i < len(result.boxes):
                result.boxes[i].text = text
                result.boxes[i].truncated = truncated
            else:  # a box whose window was never seen (it should have been)
                result.boxes.append(MessageBox(caption=None, text=text, truncated=truncated))
        result.mode_after = self.x_mode()
        return result

    def stored_mode(self, probe_dir, fresh_server=True):
        """The display mode stored in Wine's settings, as a new program sees it.

        With fresh_server, ends the Wine server first, so what is seen is what a next start of
        the system would get; without, what the next run on the same server will read.
        """
        if fresh_server:
            self._wineserver_kill()
        probe = os.path.join(probe_dir, "stored-mode-probe.exe")
        shutil.copyfile(self.probe, probe)
        log = os.path.join(probe_dir, "stored-mode.log")
        env = self.wine_env({"TOLVEX_PROBE_LOG": wine_path(log), "WINEDEBUG": "-all"})
        try:
            subprocess.run(list(self.wine.command) + [probe], cwd=probe_dir, env=env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=30 * self.patience)
        except subprocess.TimeoutExpired:
            return None
        recs = parse_probe_log(log)
        if not recs:
            return None
        r = recs[0]
        return (int(r["registry_width"]), int(r["registry_height"]))


def main(argv):
    if argv == ["i386"]:
        try:
            wine = i386_wine()
        except HarnessError as e:
            print(e)
            return 1
        print("32-bit Windows programs run here in i386 Wine %s" % wine.how)
        return 0
    if argv == ["native-i386"]:
        return 0 if runs_i386_natively() else 1
    print("usage: harness.py i386 | native-i386", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
