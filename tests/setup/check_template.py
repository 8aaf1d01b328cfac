#!/usr/bin/env python3
"""Checks a dialog resource script without a resource compiler: every control's ID is defined
in the included ID header and used once, the mnemonics are unique, each edit or combo box comes
right after its &-label, there is exactly one DEFPUSHBUTTON, and IDCANCEL is there (Escape and
the close box).   check_template.py tools/tolvex-setup/win32/setup.rc
"""
import os
import re
import sys

CONTROL = re.compile(r'^\s*(LTEXT|RTEXT|CTEXT|EDITTEXT|COMBOBOX|PUSHBUTTON|DEFPUSHBUTTON|GROUPBOX|'
                     r'AUTOCHECKBOX|AUTORADIOBUTTON|LISTBOX)\s+(?:"((?:[^"]|"")*)"\s*,\s*)?(\w+)')
SYSTEM_IDS = {"IDOK": 1, "IDCANCEL": 2, "IDC_STATIC": -1}


def defines(rc_path, text):
    found = {}
    for name in re.findall(r'#include\s+"([^"]+)"', text):
        folder = os.path.dirname(os.path.abspath(rc_path))
        while not os.path.exists(os.path.join(folder, name)) and folder != "/":
            folder = os.path.dirname(folder)
        with open(os.path.join(folder, name)) as f:
            found.update(re.findall(r"^#define\s+(ID\w+)\s+(\d+)\s*$", f.read(), re.M))
    return found


def check(rc_path):
    with open(rc_path) as f:
        text = f.read()
    ids = defines(rc_path, text)
    fails = []
    for dialog in re.findall(r"^\w+\s+DIALOGEX\b.*?^BEGIN$(.*?)^END$", text, re.M | re.S):
        controls = [m.groups() for m in map(CONTROL.match, dialog.splitlines()) if m]
        values, letters = {}, {}
        for i, (kind, caption, ident) in enumerate(controls):
            value = ids.get(ident, SYSTEM_IDS.get(ident))
            if value is None:
                fails.append("%s is not defined" % ident)
            elif ident != "IDC_STATIC" and values.setdefault(value, ident) != ident:
                fails.append("%s and %s share the value %s" % (values[value], ident, value))
            for letter in re.findall(r"&([^&])", (caption or "").replace("&&", "")):
                if letters.setdefault(letter.lower(), ident) != ident:
                    fails.append("&%s is the mnemonic of %s and %s" % (letter, letters[letter.lower()], ident))
            if kind in ("EDITTEXT", "COMBOBOX"):
                label = controls[i - 1] if i > 0 else ("", "", "")
                if label[0] != "LTEXT" or "&" not in (label[1] or ""):
                    fails.append("%s does not follow an &-label" % ident)
        kinds = [c[0] for c in controls]
        if kinds.count("DEFPUSHBUTTON") != 1:
            fails.append("%d DEFPUSHBUTTONs, expected one" % kinds.count("DEFPUSHBUTTON"))
        if "IDCANCEL" not in [c[2] for c in controls]:
            fails.append("no IDCANCEL: Escape and the close box would do nothing")
        print("template: %d controls, mnemonics %s" % (len(controls), "".join(sorted(letters))))
    if not re.search(r"DIALOGEX", text):
        fails.append("no DIALOGEX")
    for f in fails:
        print("FAIL " + f)
    return 1 if fails else 0


if __name__ == "__main__":
    sys.exit(check(sys.argv[1]))
