#!/usr/bin/env python3
"""Checks the release archive: the files it must hold, and an example settings file that decodes
to 16 bits per pixel, 800 x 600, strict.

    check_archive.py build/mingw-i686/Tolvex-1.2.1.0-win32.zip
"""
import sys
import zipfile

EXPECTED = {"Tolvex.exe", "tolvex-ini.exe", "README.md", "example/Tolvex.ini"}


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
        for exe in ("Tolvex.exe", "tolvex-ini.exe"):
            if exe in names:
                if archive.read(exe)[:2] == b"MZ":
                    passed += 1
                else:
                    failures.append("%s is not a Windows executable" % exe)
        if "example/Tolvex.ini" in names:
            stored = archive.read("example/Tolvex.ini")
            text = bytes(255 - b for b in stored).decode("latin-1")
            if text.replace(" ", ",") == "16,800,600,1":
                passed += 1
            else:
                failures.append("example/Tolvex.ini decodes to %r" % text)
    for failure in failures:
        print("FAIL " + failure)
    print("archive: %d passed, %d failed" % (passed, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1]))
