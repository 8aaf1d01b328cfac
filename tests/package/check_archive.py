#!/usr/bin/env python3
"""Checks the release archive: the files it must hold, each program as pe_check.py checks it
(Windows 95's imports, the 80486's code in a 32-bit archive, no C runtime), an example settings
file that decodes to 16 bits per pixel, 800 x 600, strict, a user's guide README.txt in ASCII with
CRLF line ends that names the commands a user needs when a title does not start, and the MIT
license.

    check_archive.py build/mingw-i686/Tolvex-1.2.1.0-win32.zip
"""
import io
import os
import struct
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "pe"))
import pe_check  # noqa: E402

EXPECTED = {"Tolvex.exe", "tolvex-ini.exe", "TolvexSetup.exe", "README.txt", "LICENSE", "example/Tolvex.ini"}

# What the user's guide must mention, and what the license must say.
README_MENTIONS = ("tolvex-ini check", "tolvex-ini restore", "TolvexSetup.exe")
LICENSE_MENTIONS = (
    "Permission is hereby granted, free of charge, to any person obtaining a copy",
    "The above copyright notice and this permission notice shall be included in all",
    'THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND',
    "The Tolvex authors",
)


def check(passed, failures, ok, failure):
    """Counts one check: passed when ok, else the failure is recorded."""
    if ok:
        return passed + 1
    failures.append(failure)
    return passed


def check_readme(data, passed, failures):
    # CRLF throughout: at least one line, and every LF preceded by a CR (no bare CR either).
    lf = data.count(b"\n")
    crlf = data.count(b"\r\n")
    passed = check(passed, failures, lf > 0 and lf == crlf and data.count(b"\r") == crlf,
                   "README.txt line ends: %d LF, %d CRLF, %d CR" % (lf, crlf, data.count(b"\r")))
    passed = check(passed, failures, all(b < 0x80 for b in data), "README.txt is not ASCII")
    text = data.decode("latin-1")
    for phrase in README_MENTIONS:
        passed = check(passed, failures, phrase in text, "README.txt does not mention %r" % phrase)
    return passed


def check_license(data, passed, failures):
    # Compared with single blanks, so that a rewrapped line still counts.
    text = " ".join(data.decode("latin-1").split())
    for phrase in LICENSE_MENTIONS:
        passed = check(passed, failures, phrase in text, "LICENSE lacks %r" % phrase)
    return passed


def check_program(name, data, passed, failures):
    """The archived copy of a program, as pe_check.py checks the build's."""
    (pe_off,) = struct.unpack_from("<I", data, 0x3C)
    (machine,) = struct.unpack_from("<H", data, pe_off + 4)
    expect = "i386" if machine == 0x014C else "amd64"
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        out = io.StringIO()
        rep = pe_check.run_checks(path, expect, None, out, name)
    fails = [line[5:] for line in out.getvalue().splitlines() if line.startswith("FAIL ")]
    return check(passed, failures, rep.failed == 0 and not fails,
                 "%s fails pe_check: %s" % (name, "; ".join(fails)))


def main(path):
    failures = []
    passed = 0
    with zipfile.ZipFile(path) as archive:
        names = {n for n in archive.namelist() if not n.endswith("/")}
        print("archive %s: %s" % (path, ", ".join(sorted(names))))
        for name in sorted(EXPECTED):
            if name in names:
                passed += 1
            else:
                failures.append("missing %s" % name)
        extra = names - EXPECTED
        if extra:
            failures.append("unexpected files: %s" % ", ".join(sorted(extra)))
        else:
            passed += 1
        for exe in ("Tolvex.exe", "tolvex-ini.exe", "TolvexSetup.exe"):
            if exe in names:
                if archive.read(exe)[:2] == b"MZ":
                    passed = check_program(exe, archive.read(exe), passed + 1, failures)
                else:
                    failures.append("%s is not a Windows executable" % exe)
        if "example/Tolvex.ini" in names:
            stored = archive.read("example/Tolvex.ini")
            text = bytes(255 - b for b in stored).decode("latin-1")
            if text.replace(" ", ",") == "16,800,600,1":
                passed += 1
            else:
                failures.append("example/Tolvex.ini decodes to %r" % text)
        if "README.txt" in names:
            passed = check_readme(archive.read("README.txt"), passed, failures)
        if "LICENSE" in names:
            passed = check_license(archive.read("LICENSE"), passed, failures)
    for failure in failures:
        print("FAIL " + failure)
    print("archive: %d passed, %d failed" % (passed, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
