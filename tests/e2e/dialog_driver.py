"""Drives Tolvex Setup's dialog from the keyboard (xdotool), one step per turn of the harness's
watch loop, and reads its controls with tolvex-dialog-text.exe. Each step returns True once it
is done; a step that waits returns False until its condition holds (the run's time limit bounds
the wait).
"""

import os
import subprocess

import harness as H

CAPTION = "Tolvex Setup"
# tools/tolvex-setup/win32/setup_ids.h
IDC_PROGRAM = 1005
IDC_SCREEN_SIZE = 1010
IDC_NAME = 1017
IDE_REPORT = 1021
IDB_TRY = 1026


class DialogScript:
    def __init__(self, *steps):
        self.steps = steps

    def __call__(self, h, result, paths):
        """The on_poll hook of a case."""
        notes = result.notes
        if "dialog" not in notes:
            found = h.find_windows("^%s$" % CAPTION)
            if not found:
                return
            notes["dialog"] = found[0]
        at = notes.setdefault("step", 0)
        if at < len(self.steps) and self.steps[at](h, result, paths):
            notes["step"] = at + 1


def keys(*names):
    """Presses keys in the dialog."""
    def step(h, result, paths):
        h._x(["xdotool", "windowfocus", "--sync", str(result.notes["dialog"]), "key",
              "--delay", "60"] + list(names))
        return True
    return step


def typed(text):
    def step(h, result, paths):
        h._x(["xdotool", "windowfocus", "--sync", str(result.notes["dialog"]), "type",
              "--delay", "40", text])
        return True
    return step


def answer(key):
    """Waits for a message box over the dialog, records it, and answers it with a key."""
    def step(h, result, paths):
        # A box answered before may still be on its way out: wait for a new one.
        answered = result.notes.setdefault("answered", [result.notes["dialog"]])
        boxes = [w for w in h.find_windows("^%s$" % CAPTION) if w not in answered]
        if not boxes:
            return False
        answered.append(boxes[0])
        result.boxes.append(H.MessageBox(caption=h.window_name(boxes[0]) or "", mode=h.x_mode()))
        h._x(["xdotool", "windowfocus", "--sync", str(boxes[0]), "key", key])
        return True
    return step


def owned_box(caption, control, note):
    """Notes a box's owner ("owner|1": the dialog takes input); clicks the dialog's control."""
    def step(h, result, paths):
        out = run(h, paths, result.env, "dialog-owner", [os.path.join(
            h.bin_dir, "tolvex-dialog-text.exe"), "--owner", caption, CAPTION, str(control)],
            paths.root)
        if out is None:
            return False
        owner, enabled, x, y = out.decode("latin-1").split("|")
        result.notes[note] = owner + "|" + enabled
        result.boxes.append(H.MessageBox(caption=caption, mode=h.x_mode()))
        h._x(["xdotool", "mousemove", "--sync", x, y, "click", "1"])
        return True
    return step


def until(condition):
    return lambda h, result, paths: condition(h, result, paths)


def run(h, paths, env, name, argv, cwd):
    """Runs `wine argv` to its end; its standard output, or None when it failed."""
    proc = h.spawn(argv, cwd, env, paths.unix(name))
    try:
        status = proc.wait(timeout=60 * h.patience)
    except subprocess.TimeoutExpired:
        h._end_process(proc)
        return None
    with open(paths.unix(name + ".out"), "rb") as f:
        out = f.read()
    return out if status == 0 else None


def read_report(note, starts, control=IDE_REPORT):
    """Waits until a control's text (the report box's) starts with `starts`; keeps it as a note."""
    def step(h, result, paths):
        out = run(h, paths, result.env, "dialog-text",
                  [os.path.join(h.bin_dir, "tolvex-dialog-text.exe"), CAPTION, str(control)],
                  paths.root)
        text = (out or b"").decode("latin-1").replace("\r\n", "\n")
        if not text.startswith(starts):
            return False
        result.notes[note] = text
        return True
    return step


def chmod(rel, mode):
    def step(h, result, paths):
        os.chmod(paths.unix(rel), mode)
        return True
    return step



def in_window(caption, keys_=(), mode_note=None, want=None):
    """Waits for a window with this caption (with `mode_note`: and the X mode `want`, noting the
    last mode seen), then presses `keys_` in it."""
    def step(h, result, paths):
        found = h.find_windows("^%s$" % caption)
        if mode_note and found:
            result.notes[mode_note] = h.x_mode()
        if not found or (mode_note and result.notes[mode_note] != want):
            return False
        if keys_:
            h._x(["xdotool", "windowfocus", "--sync", str(found[0]), "key"] + list(keys_))
        return True
    return step
