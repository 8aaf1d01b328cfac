#!/usr/bin/env python3
"""The built tolvex-ini on real files and pipes: what the in-memory unit tests cannot see
(binary standard streams, files replaced or kept, errors from the C library, exit statuses).

Usage: cli_test.py COMMAND...   e.g.  cli_test.py build/host/bin/tolvex-ini
                                      cli_test.py wine build/mingw-x86_64/bin/tolvex-ini.exe
                                      cli_test.py wine build/mingw-i686/bin/tolvex-ini.exe

`wine EXE` runs the Windows build the way the end-to-end harness does: the Wine that fits the
machine field of EXE (for a 32-bit one, as harness.i386_wine() decides: natively or under qemu),
in a prefix of its own beside the build (<build>/cli-wine), made before the first test so that
its set-up says nothing on stderr, with one Wine server kept up for all the runs and ended
afterwards.
"""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                "e2e"))
import harness as H  # noqa: E402

COMMAND = []
ENV = None  # the environment of every run; None: this process's own


def complement(data):
    return bytes(255 - b for b in data)


def run(args, cwd, stdin=b"", stdout=subprocess.PIPE):
    done = subprocess.run(COMMAND + args, cwd=cwd, input=stdin, stdout=stdout,
                          stderr=subprocess.PIPE, timeout=60, env=ENV)
    # Text mode on Windows ends report lines with CR LF; the reports are compared as lines.
    out = done.stdout.replace(b"\r\n", b"\n") if done.stdout is not None else b""
    return done.returncode, out, done.stderr.replace(b"\r\n", b"\n")


class ToolOnRealFiles(unittest.TestCase):
    def setUp(self):
        self.dir_handle = tempfile.TemporaryDirectory(prefix="tolvex-ini-")
        self.dir = self.dir_handle.name

    def tearDown(self):
        self.dir_handle.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def test_version(self):
        status, out, err = run(["--version"], self.dir)
        self.assertEqual((0, b"tolvex-ini (Tolvex) 1.2.1.0\n", b""), (status, out, err))

    def test_write_keeps_or_replaces_and_show_reads_it(self):
        status, out, err = run(["write", "16", "800", "600", "1", "show.exe"], self.dir)
        self.assertEqual((0, b""), (status, err))
        self.assertEqual(complement(b"16,800,600,1,show.exe"), self.read("Tolvex.ini"))

        status, out, err = run(["write", "24", "1024", "768"], self.dir)
        self.assertEqual(1, status)
        self.assertIn(b"already exists; use --force", err)
        self.assertEqual(complement(b"16,800,600,1,show.exe"), self.read("Tolvex.ini"))

        status, out, err = run(["write", "--force", "24", "1024", "768"], self.dir)
        self.assertEqual(0, status, err)
        self.assertEqual(complement(b"24,1024,768"), self.read("Tolvex.ini"),
                         "a longer file is replaced whole, not overwritten in place")

        status, out, err = run(["show"], self.dir)
        self.assertEqual(0, status, err)
        self.assertIn(b"Result:      accepted: 3 of the 5 fields", out)
        self.assertIn(b"Depth:       32 bits per pixel (24 in the file)\n", out)

    def test_show_reports_rejection_and_exit_status(self):
        with open(self.path("bad.ini"), "wb") as f:
            f.write(complement(b"16,1000,600"))
        status, out, err = run(["show", "bad.ini"], self.dir)
        self.assertEqual((1, b""), (status, err))
        self.assertIn(b"Caption:     Tolvex Error: Bad Tolvex.ini parameters\n", out)
        self.assertIn(b"             | The width value has to be one of\n", out)

    def test_show_counts_what_is_never_read(self):
        with open(self.path("long.ini"), "wb") as f:
            f.write(complement(b"16,1024,768" + b" " * 4989))
        status, out, err = run(["show", "long.ini"], self.dir)
        self.assertEqual(0, status, err)
        self.assertIn(b"File:        long.ini (5000 bytes)\n", out)
        self.assertIn(b"Note:        only the first 999 bytes count; the other 4001 are never "
                      b"read\n", out)

    def test_encode_and_decode_are_byte_exact(self):
        # 0x1A, 0x0A and 0x0D are what a text-mode stream would eat or change.
        data = bytes(range(256)) * 300
        status, out, err = run(["encode"], self.dir, stdin=data)
        self.assertEqual((0, b""), (status, err))
        self.assertEqual(complement(data), out)
        status, out, err = run(["decode"], self.dir, stdin=complement(data))
        self.assertEqual(data, out)
        status, out, err = run(["encode"], self.dir, stdin=b"")
        self.assertEqual((0, b""), (status, out))

    def test_errors_from_files(self):
        status, out, err = run(["show", "missing.ini"], self.dir)
        self.assertEqual((2, b""), (status, out))
        self.assertTrue(err.startswith(b"tolvex-ini: cannot read 'missing.ini': "), err)

        status, out, err = run(["write", "-o", os.path.join("no-such-dir", "Tolvex.ini"),
                                "16", "800", "600"], self.dir)
        self.assertEqual(2, status)
        self.assertIn(b"tolvex-ini: cannot write '", err)

        os.mkdir(self.path("folder.ini"))
        status, out, err = run(["write", "-o", "folder.ini", "16", "800", "600"], self.dir)
        self.assertEqual(1, status, "a folder is something that exists")
        status, out, err = run(["write", "--force", "-o", "folder.ini", "16", "800", "600"],
                               self.dir)
        self.assertEqual(2, status)
        self.assertTrue(os.path.isdir(self.path("folder.ini")))

    def test_refusal_writes_nothing(self):
        status, out, err = run(["write", "16", "801", "600"], self.dir)
        self.assertEqual(1, status)
        self.assertEqual(b"tolvex-ini: Tolvex would reject WIDTH 801, saying:\n"
                         b"  The width value has to be one of\n"
                         b"  640,800,832,1024,1152,1280 or 1600\n", err)
        self.assertEqual([], os.listdir(self.dir))

    @unittest.skipUnless(os.path.exists("/dev/full") and sys.platform.startswith("linux"),
                         "needs /dev/full")
    def test_a_report_that_cannot_be_written_fails(self):
        with open(self.path("Tolvex.ini"), "wb") as f:
            f.write(complement(b"16"))
        with open("/dev/full", "wb") as full:
            status, _, err = run(["show"], self.dir, stdout=full)
        self.assertEqual(2, status)
        self.assertIn(b"standard output", err)


def wine_setup(exe):
    """COMMAND and ENV that run the Windows program exe under its own Wine and prefix."""
    try:
        wine = H.wine_for(exe)
    except H.HarnessError as e:
        sys.exit("cli_test: %s" % e)
    print("%s in %s %s" % (os.path.basename(exe), wine.command[-1], wine.how), flush=True)
    prefix = os.path.join(os.path.dirname(os.path.dirname(exe)), "cli-wine", wine.arch)
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE") and k != "DISPLAY"}
    env.update(WINEPREFIX=prefix, WINEARCH=wine.arch, WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
    if not os.path.exists(os.path.join(prefix, "system.reg")):
        print("creating Wine prefix %s" % prefix, flush=True)
        os.makedirs(os.path.dirname(prefix), exist_ok=True)
        done = subprocess.run(list(wine.command) + ["wineboot", "-i"], env=env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=240 * wine.patience)
        if done.returncode != 0:
            sys.exit("wineboot -i failed:\n" + done.stdout.decode("latin-1")[-2000:])
    # One Wine server for all the runs: a cold start costs seconds under emulation. Its system
    # processes (started with the first program) outlive every run: a first run without pipes
    # keeps them from holding a test's pipes open.
    wineserver("-p", env)
    subprocess.run(list(wine.command) + [exe, "--version"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60 * wine.patience)
    return list(wine.command) + [exe], env


def wineserver(option, env):
    subprocess.run(["/usr/lib/wine/wineserver", option], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if sys.argv[1] == "wine" and len(sys.argv) >= 3:
        COMMAND, ENV = wine_setup(os.path.abspath(sys.argv[2]))
        COMMAND += sys.argv[3:]
    else:
        COMMAND = [os.path.abspath(sys.argv[1]) if os.path.exists(sys.argv[1]) else sys.argv[1]]
        COMMAND += [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[2:]]
    outcome = unittest.main(argv=[sys.argv[0]], verbosity=2, exit=False)
    if ENV is not None:
        wineserver("-k", ENV)
    sys.exit(0 if outcome.result.wasSuccessful() else 1)
