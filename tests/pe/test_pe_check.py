#!/usr/bin/env python3
"""Proves that pe_check.py passes the real Tolvex.exe builds and catches faults in copies of them.

Each fault is a small, real patch of a built Tolvex.exe (a wrong machine, a foreign DLL, a changed
version text, a Windows 8 manifest entry, ...); the checker must fail on exactly the thing that was
changed. The executables come from the mingw builds:
    TOLVEX_EXE_I686    (default build/mingw-i686/bin/Tolvex.exe)
    TOLVEX_EXE_X86_64  (default build/mingw-x86_64/bin/Tolvex.exe)
Run: python3 tests/pe/test_pe_check.py
"""

import io
import os
import re
import struct
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)

import pe_check  # noqa: E402

EXE_I686 = os.environ.get("TOLVEX_EXE_I686", os.path.join(REPO, "build/mingw-i686/bin/Tolvex.exe"))
EXE_X86_64 = os.environ.get("TOLVEX_EXE_X86_64", os.path.join(REPO, "build/mingw-x86_64/bin/Tolvex.exe"))
SETUP_I686 = os.path.join(os.path.dirname(EXE_I686), "TolvexSetup.exe")
INI_I686 = os.path.join(os.path.dirname(EXE_I686), "tolvex-ini.exe")


def load(path):
    if not os.path.isfile(path):
        raise AssertionError("%s is missing: build the mingw presets first" % path)
    with open(path, "rb") as f:
        return bytearray(f.read())


def u16(text):
    return text.encode("utf-16-le")


def patch_once(data, old, new):
    """Replace the one occurrence of old by new (same length) in a copy of data."""
    assert len(old) == len(new)
    at = data.find(old)
    assert at >= 0, "%r not found" % (old,)
    assert data.find(old, at + 1) < 0, "%r found more than once" % (old,)
    copy = bytearray(data)
    copy[at : at + len(old)] = new
    return copy


def resource_offset(data, rtype, rname):
    pe = pe_check.PEFile(bytes(data))
    tree = pe.resources()
    (off, _size), = tree[rtype][rname].values()
    return off


class CheckerCase(unittest.TestCase):
    def run_checker(self, data, expect="i386", extra=()):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "Tolvex.exe")
            with open(path, "wb") as f:
                f.write(data)
            out = io.StringIO()
            code = pe_check.main(["--expect", expect, *extra, path], out=out)
        text = out.getvalue()
        summary = text.rstrip("\n").splitlines()[-1]
        match = re.fullmatch(r"pe_check: (\d+) passed, (\d+) failed", summary)
        self.assertIsNotNone(match, "last line is not the summary: %r" % summary)
        failed = int(match.group(2))
        self.assertEqual(code, 0 if failed == 0 else 1, text)
        return code, text, failed

    def assert_fails_on(self, data, label, *, expect="i386", extra=(), detail=None):
        code, text, _failed = self.run_checker(data, expect, extra)
        self.assertEqual(code, 1, text)
        lines = [line for line in text.splitlines() if line.startswith("FAIL " + label)]
        self.assertTrue(lines, "no FAIL line for %r in:\n%s" % (label, text))
        if detail is not None:
            self.assertTrue(any(detail in line for line in lines), "%r not in %s" % (detail, lines))
        return text


class CleanBuilds(CheckerCase):
    def test_32_bit_build_passes(self):
        code, text, failed = self.run_checker(load(EXE_I686), "i386")
        self.assertEqual((code, failed), (0, 0), text)
        self.assertIn("imports: ", text)
        self.assertIn("file size: ", text)

    def test_64_bit_build_passes(self):
        code, text, failed = self.run_checker(load(EXE_X86_64), "amd64")
        self.assertEqual((code, failed), (0, 0), text)

    def test_each_build_fails_as_the_other_machine(self):
        self.assert_fails_on(load(EXE_I686), "machine", expect="amd64")
        self.assert_fails_on(load(EXE_I686), "format", expect="amd64", detail="found PE32")
        self.assert_fails_on(load(EXE_X86_64), "machine", expect="i386")

    def test_size_budget(self):
        data = load(EXE_I686)
        code, text, _ = self.run_checker(data, extra=("--max-size", str(len(data))))
        self.assertEqual(code, 0, text)
        self.assert_fails_on(data, "file size", extra=("--max-size", str(len(data) - 1)))


class TolvexSetup(CheckerCase):
    def test_each_program_passes_as_itself_and_fails_as_the_other(self):
        setup = ("--program", "TolvexSetup.exe")
        code, text, _ = self.run_checker(load(SETUP_I686), extra=setup)
        self.assertEqual(code, 0, text)
        self.assert_fails_on(load(SETUP_I686), "subsystem", detail="expected console (3), found 2")
        self.assert_fails_on(load(SETUP_I686), "imported DLLs", detail="COMCTL32")
        text = self.assert_fails_on(load(EXE_I686), "subsystem", extra=setup, detail="GUI")
        self.assertIn("FAIL manifest DPI awareness", text)
        self.assertIn("FAIL string OriginalFilename: expected 'TolvexSetup.exe'", text)
        # The tools are held to Windows 95 too: Setup's W function of the shell (NT only), and
        # tolvex-ini's MoveFileExA (a stub on 9x) without GetVersion to call it on NT alone.
        bad = patch_once(load(SETUP_I686), b"SHGetPathFromIDListA\0", b"SHGetPathFromIDListW\0")
        self.assert_fails_on(bad, "imports are in Windows 95", extra=setup, detail="IDListW")
        ini = ("--program", "tolvex-ini.exe")
        self.assertEqual(self.run_checker(load(INI_I686), extra=ini)[0], 0)
        bad = patch_once(load(INI_I686), b"GetVersion\0", b"ReadFile\0\0\0")
        self.assert_fails_on(bad, "imports are in Windows 95", extra=ini, detail="a stub on")
        self.assert_fails_on(load(EXE_I686), "resources", extra=ini, detail="expected none")


class HeaderAndImportFaults(CheckerCase):
    def setUp(self):
        self.data = load(EXE_I686)
        self.pe_off = struct.unpack_from("<I", self.data, 0x3C)[0]

    def test_wrong_machine_field(self):
        bad = bytearray(self.data)
        struct.pack_into("<H", bad, self.pe_off + 4, 0x8664)
        self.assert_fails_on(bad, "machine", detail="found amd64")

    def test_gui_subsystem(self):
        bad = bytearray(self.data)
        struct.pack_into("<H", bad, self.pe_off + 24 + 68, 2)
        self.assert_fails_on(bad, "subsystem", detail="found 2")

    def test_windows_version_and_aslr(self):
        for offset, value, detail in ((40, 5, "OS 5.0"), (48, 6, "subsystem 6.0"), (70, 0x100, "0x0100")):
            bad = bytearray(self.data)
            struct.pack_into("<H", bad, self.pe_off + 24 + offset, value)
            self.assert_fails_on(bad, "Windows version", detail=detail)

    def test_foreign_dll_is_named(self):
        # The dynamic libgcc is the classic way a MinGW program stops starting on a clean Windows.
        bad = patch_once(self.data, b"KERNEL32.dll\0", b"libgcc_s.dll\0")
        self.assert_fails_on(bad, "imported DLLs", detail="libgcc_s.dll")

    def test_import_outside_windows_95(self):
        # GetModuleHandleW is the C runtime's start-up import: Windows 95 has only a stub of it.
        bad = patch_once(self.data, b"GetModuleHandleA\0", b"GetModuleHandleW\0")
        self.assert_fails_on(bad, "imports are in Windows 95", detail="KERNEL32.dll!GetModuleHandleW")

    def test_unwind_tables(self):
        # A section header renamed: DWARF tables in the 32-bit build, Windows' own gone from the 64-bit.
        for path, expect, old, new, detail in ((EXE_I686, "i386", b".rdata\0\0", b".eh_fram", "DWARF"),
                                               (EXE_X86_64, "amd64", b".pdata\0\0", b".pdatx\0\0", ".pdata")):
            data = load(path)
            headers = patch_once(data[:0x400], old, new)
            self.assert_fails_on(headers + data[0x400:], "unwind tables", expect=expect, detail=detail)

    def test_dll_names_compare_without_case(self):
        ok = patch_once(self.data, b"KERNEL32.dll\0", b"kernel32.DLL\0")
        code, text, _ = self.run_checker(ok)
        self.assertEqual(code, 0, text)


class InstructionFaults(CheckerCase):
    # Three bytes of padding NOPs in the code replaced by one instruction. CMOVcc belongs to the
    # x86-64 baseline, so the 64-bit build may hold it; it may not hold SSE.
    CASES = (
        (EXE_I686, "i386", b"\x0f\x44\xc1", "cmove"),
        (EXE_I686, "i386", b"\x0f\x1f\x00", "nop DWORD PTR"),
        (EXE_I686, "i386", b"\x0f\x31\x90", "rdtsc"),
        (INI_I686, "i386", b"\x0f\x44\xc1", "cmove"),
        (SETUP_I686, "i386", b"\x0f\x44\xc1", "cmove"),
        (EXE_X86_64, "amd64", b"\x0f\x57\xc0", "xorps"),
        (EXE_X86_64, "amd64", b"\x0f\x44\xc1", None),
    )

    def test_static_constructor(self):
        data = load(EXE_I686)
        text = pe_check.PEFile(bytes(data)).code_sections[0]
        at = pe_check.PEFile(bytes(data)).offset(text[1]) + text[2]
        end = len(data[:at].rstrip(b"\0"))  # the last -1, the destructor list's head
        data[end - 8 : end - 4] = struct.pack("<I", 0x401000)  # a constructor in the list
        self.assert_fails_on(data, "instructions are", detail="constructor")

    def test_planted_instructions(self):
        for path, expect, planted, detail in self.CASES:
            with self.subTest(expect=expect, planted=planted):
                data = load(path)
                at = data.find(b"\x90" * 3, pe_check.PEFile(bytes(data)).offset(0x1000))
                data[at : at + 3] = planted
                extra = () if path in (EXE_I686, EXE_X86_64) else ("--program", os.path.basename(path))
                if detail is None:
                    self.assertEqual(self.run_checker(data, expect)[0], 0)
                else:
                    self.assert_fails_on(data, "instructions are", expect=expect, extra=extra, detail=detail)


class VersionRecordFaults(CheckerCase):
    def setUp(self):
        self.data = load(EXE_I686)

    def test_changed_description(self):
        text = "Tolvex, the screen settings switcher."
        bad = patch_once(self.data, u16(text), u16(text[:-1] + "!"))
        self.assert_fails_on(bad, "string FileDescription", detail="switcher!")

    def test_changed_version_text(self):
        # Key, its NUL, two bytes of padding to the 4-byte boundary, then the value.
        old = u16("FileVersion\0") + b"\0\0" + u16("1, 2, 1, 0")
        new = u16("FileVersion\0") + b"\0\0" + u16("1, 2, 1, 1")
        self.assert_fails_on(patch_once(self.data, old, new), "string FileVersion")

    def test_renamed_entry_is_extra_and_missing(self):
        bad = patch_once(self.data, u16("Comments\0"), u16("Commentz\0"))
        text = self.assert_fails_on(bad, "string Commentz", detail="unexpected")
        self.assertIn("FAIL string Comments: missing", text)

    def test_empty_entry_that_is_not_empty(self):
        # SpecialBuild's value is a lone NUL; turn it into "x".
        bad = patch_once(self.data, u16("SpecialBuild\0") + b"\0\0", u16("SpecialBuild\0") + u16("x"))
        self.assert_fails_on(bad, "string SpecialBuild", detail="found 'x'")

    def test_fixed_version(self):
        at = self.data.find(struct.pack("<I", 0xFEEF04BD))
        self.assertGreater(at, 0)
        bad = bytearray(self.data)
        struct.pack_into("<I", bad, at + 12, 0x00020000)  # file version 1.2.2.0
        self.assert_fails_on(bad, "fixed file version", detail="found 1.2.2.0")
        bad = bytearray(self.data)
        struct.pack_into("<I", bad, at + 36, 2)  # VFT_DLL
        self.assert_fails_on(bad, "file type")

    def test_translation(self):
        old = u16("Translation\0") + b"\0\0" + struct.pack("<HH", 0x409, 1200)
        new = u16("Translation\0") + b"\0\0" + struct.pack("<HH", 0x409, 1252)
        self.assert_fails_on(patch_once(self.data, old, new), "translation", detail="0x0409/1252")

    def test_other_string_block(self):
        bad = patch_once(self.data, u16("040904b0"), u16("040704b0"))
        text = self.assert_fails_on(bad, "string block")
        self.assertIn("FAIL string FileDescription: missing", text)


class IconAndManifestFaults(CheckerCase):
    def setUp(self):
        self.data = load(EXE_I686)

    def test_icon_with_16_colours(self):
        bad = bytearray(self.data)
        at = resource_offset(bad, pe_check.RT_GROUP_ICON, pe_check.ICON_GROUP_ID)
        struct.pack_into("<H", bad, at + 6 + 6, 4)  # the entry's bits per pixel
        self.assert_fails_on(bad, "icon image", detail="4 bits per pixel")

    def test_icon_bitmap_of_other_size(self):
        bad = bytearray(self.data)
        group = resource_offset(bad, pe_check.RT_GROUP_ICON, pe_check.ICON_GROUP_ID)
        icon_id = struct.unpack_from("<H", bad, group + 6 + 12)[0]
        at = resource_offset(bad, pe_check.RT_ICON, icon_id)
        struct.pack_into("<ii", bad, at + 4, 16, 32)
        self.assert_fails_on(bad, "icon image data", detail="16x16")

    def test_windows_8_declared(self):
        vista = b"{e2011457-1546-43c5-a5fe-008deee3d3f0}"
        win8 = b"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"
        bad = patch_once(self.data, vista, win8)
        self.assert_fails_on(bad, "manifest supportedOS", detail="Windows 8")

    def test_unknown_os_id_is_refused(self):
        vista = b"{e2011457-1546-43c5-a5fe-008deee3d3f0}"
        other = b"{00000000-1546-43c5-a5fe-008deee3d3f0}"
        self.assert_fails_on(patch_once(self.data, vista, other), "manifest supportedOS", detail="unknown")

    def test_other_execution_level(self):
        bad = patch_once(self.data, b'"asInvoker"', b'"asInvokex"')
        self.assert_fails_on(bad, "manifest execution level", detail="asInvokex")

    def test_broken_manifest_xml(self):
        bad = patch_once(self.data, b"</assembly>", b"</assemblX>")
        self.assert_fails_on(bad, "manifest XML")


class DamagedFiles(CheckerCase):
    def test_truncated_and_foreign_files_fail_cleanly(self):
        data = load(EXE_I686)
        for label, blob in (
            ("empty", b""),
            ("text", b"not an executable at all\n" * 4),
            ("headers only", bytes(data[:1024])),
            ("cut in half", bytes(data[: len(data) // 2])),
        ):
            with self.subTest(label):
                code, text, failed = self.run_checker(blob)
                self.assertEqual(code, 1, text)
                self.assertGreater(failed, 0)
                self.assertNotIn("Traceback", text)

    def test_missing_file(self):
        out = io.StringIO()
        code = pe_check.main(["--expect", "i386", "/nonexistent/Tolvex.exe"], out=out)
        self.assertEqual(code, 1)
        self.assertIn("FAIL read", out.getvalue())


if __name__ == "__main__":
    unittest.main()
