#!/usr/bin/env python3
"""Check a built Tolvex.exe, TolvexSetup.exe or tolvex-ini.exe from the outside: headers,
imports, code and resources.

    pe_check.py --expect i386|amd64 [--program TolvexSetup.exe|tolvex-ini.exe] [--max-size BYTES] PATH.exe

Reads the PE file itself and checks:
  - PE32 for i386 (machine 0x14c) or PE32+ for amd64 (machine 0x8664), an executable image;
  - the console subsystem (3);
  - OS and subsystem version 4.0 (64-bit: 4.0 and 5.2), ASLR and DEP on;
  - every imported DLL, normal and delay-loaded, is one of the Windows system DLLs that the
    program may use (KERNEL32.dll, USER32.dll), so a copy starts on a clean Windows;
  - every imported function is one that Windows 95 already has, working (WINDOWS_95 below);
    the one stub allowed is MoveFileExA, and only beside GetVersion, by which the program
    calls it on Windows NT alone;
  - the code holds no instruction newer than the 80486 (for amd64: nothing beyond that set but
    CMOVcc and the 64-bit integer forms, which every x86-64 CPU has; no MMX, SSE or later).
    This one disassembles the code sections with the cross objdump of the machine
    (OBJDUMP overrides it);
  - the version record: fixed file and product version 1.2.1.0, file type application, the
    string block "040904b0" with exactly the expected entries and values, translation 0x409/1200;
  - icon group 103 holding one 32x32 image in 256 colours (8 bits per pixel);
  - manifest resource 1 with requestedExecutionLevel asInvoker, Common Controls 6, and no
    supportedOS entry for Windows 8 or later (those make Windows refuse modes below 32 bpp);
  - optionally, that the file is no larger than --max-size bytes.
With --program TolvexSetup.exe the file is checked as Tolvex Setup: the GUI subsystem (2), the
shell's system DLLs allowed too, its own version texts, and a manifest that declares DPI awareness.
With --program tolvex-ini.exe it is checked as the command-line tool: the registry's DLL allowed
too, and no resources. Every program is held to Windows 95's imports, and every 32-bit one to
the 80486's code (of the 64-bit ones, Tolvex.exe to integer code).
Prints one line per check ("ok" or "FAIL" with what was expected and found), and ends with
"pe_check: N passed, M failed". Exits 0 when nothing failed, 1 otherwise, 2 on usage errors.
"""

import argparse
import os
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

MACHINES = {
    "i386": (0x014C, 0x10B, "PE32"),
    "amd64": (0x8664, 0x20B, "PE32+"),
}
MACHINE_NAMES = {0x014C: "i386", 0x8664: "amd64", 0x01C4: "armnt", 0xAA64: "arm64"}
SUBSYSTEM_CONSOLE = 3
# OS and subsystem versions (major, minor, major, minor): 4.0 loads on Windows 95 and NT 4.0; 5.2
# is the oldest a 64-bit image may give. Where Windows has them, ASLR (0x40) and DEP (0x100) on.
WINDOWS_VERSIONS = {"i386": (4, 0, 4, 0), "amd64": (4, 0, 5, 2)}
ASLR_AND_DEP = 0x0140

ALLOWED_DLLS = ("KERNEL32.dll", "USER32.dll")

# The functions that Tolvex.exe may import: each one is exported, with a working ANSI
# implementation, by Windows 95 itself. The Platform SDK reference (MSDN Library of 1998-2003)
# gives each function's "Requirements" as "Windows 95/98/Me: Included in Windows 95 and later";
# each entry names the reference's chapter. Functions that only later Windows have
# (GetConsoleProcessList, GetConsoleWindow) are looked up with GetProcAddress, not imported.
def _documented(chapters):
    return {
        name: "Platform SDK reference, %s: Requirements, Windows 95 and later" % chapter
        for chapter, names in chapters.items()
        for name in names.split()
    }


WINDOWS_95 = {
    "KERNEL32.dll": _documented({
        "Handles and Objects": "CloseHandle DuplicateHandle",
        "File I/O": "CopyFileA CreateFileA DeleteFileA FindClose FindFirstFileA FindNextFileA "
        "FlushFileBuffers GetCurrentDirectoryA GetFileAttributesA GetFullPathNameA MoveFileA "
        "ReadFile SetCurrentDirectoryA WriteFile",
        "Pipes": "CreatePipe PeekNamedPipe",
        "Synchronization": "CreateMutexA OpenMutexA WaitForSingleObject",
        "Processes and Threads": "CreateProcessA ExitProcess GetCommandLineA GetCurrentProcess "
        "GetCurrentProcessId GetEnvironmentVariableA GetExitCodeProcess SetEnvironmentVariableA "
        "Sleep TerminateProcess",
        "Consoles and Character-Mode Support": "GetConsoleMode GetConsoleTitleA GetStdHandle "
        "SetConsoleTitleA",
        "Error Handling": "FormatMessageA GetLastError SetLastError",
        "Dynamic-Link Libraries": "FreeLibrary GetModuleFileNameA GetModuleHandleA GetProcAddress "
        "LoadLibraryA",
        "Time": "GetTickCount",
        "System Information": "GetVersion GetVersionExA",
        "Unicode and Character Sets": "IsDBCSLeadByte MultiByteToWideChar WideCharToMultiByte",
        # Exported by Windows 95, 98 and ME as a stub that fails: allowed only beside GetVersion
        # (STUBS_ON_9X below).
        "File I/O (stub on Windows 95/98/Me)": "MoveFileExA",
    }),
    "USER32.dll": _documented({
        "Device Contexts": "ChangeDisplaySettingsA EnumDisplaySettingsA",
        "Windows": "FindWindowA ShowWindow EnableWindow",
        "Window Classes": "GetWindowLongA SetWindowLongA",
        "Dialog Boxes": "DialogBoxParamA EndDialog GetDlgItem GetDlgItemTextA MessageBoxA "
        "SendDlgItemMessageA SetDlgItemTextA",
        "Buttons": "CheckDlgButton CheckRadioButton IsDlgButtonChecked",
        "Messages and Message Queues": "DispatchMessageA PeekMessageA PostMessageA SendMessageA",
        "Synchronization": "MsgWaitForMultipleObjects",
        "Keyboard Input": "SetFocus",
        "Timers": "KillTimer SetTimer",
        "Strings": "CharToOemBuffA",
    }),
    "GDI32.dll": _documented({
        "Fonts and Text": "CreateFontIndirectA",
        "Device Contexts": "DeleteObject GetObjectA",
    }),
    "ADVAPI32.dll": _documented({
        "Registry": "RegCloseKey RegOpenKeyExA RegQueryValueExA",
    }),
    # The shell of Windows 95 is shell32.dll version 4.00; the Shell Reference gives each of these
    # "Minimum DLL version shell32.dll version 4.0 or later" (SHGetFolderPathA, of version 5.0,
    # is looked up at run time).
    "SHELL32.dll": _documented({
        "Shell Functions (shell32.dll version 4.00)": "SHBrowseForFolderA SHGetMalloc "
        "SHGetPathFromIDListA SHGetSpecialFolderLocation",
    }),
    "ole32.dll": _documented({
        "COM Functions": "CoCreateInstance CoInitialize CoTaskMemFree CoUninitialize",
    }),
    # Common Controls version 4.00, as Windows 95 installs it ("Minimum DLL version comctl32.dll
    # version 4.00 or later"); InitCommonControlsEx came with 4.70 (Internet Explorer 3).
    "COMCTL32.dll": _documented({
        "Common Controls (comctl32.dll version 4.00)": "InitCommonControls",
    }),
    "VERSION.dll": _documented({
        "Version Information": "GetFileVersionInfoA GetFileVersionInfoSizeA VerQueryValueA",
    }),
}
# Stubs that Windows 95 exports, and the import that shows the program asks which Windows it is
# on before it calls one.
STUBS_ON_9X = {("kernel32.dll", "MoveFileExA"): ("kernel32.dll", "GetVersion")}
# The 64-bit build's names for functions that 32-bit USER32 has under the plain name.
AMD64_NAMES = {"GetWindowLongPtrA": "GetWindowLongA", "SetWindowLongPtrA": "SetWindowLongA"}

# The instructions of the 80486 (integer, system and x87), as objdump names them in Intel syntax.
_CONDITIONS = "a ae b be c e g ge l le na nae nb nbe nc ne ng nge nl nle no np ns nz o p pe po s z".split()
I486 = set(
    """aaa aad aam aas adc add and arpl bound bsf bsr bswap bt btc btr bts call cbw cdq clc cld cli
    clts cmc cmp cmps cmpsb cmpsw cmpsd cmpxchg cwd cwde daa das dec div enter hlt idiv imul in inc
    ins insb insw insd int int3 into invd invlpg iret iretd jcxz jecxz jmp lahf lar lds lea leave les
    lfs lgdt lgs lidt lldt lmsw lods lodsb lodsw lodsd loop loope loopne loopz loopnz lsl lss ltr mov
    movs movsb movsw movsd movsx movzx mul neg nop not or out outs outsb outsw outsd pop popa popad
    popf popfd push pusha pushad pushf pushfd rcl rcr ret retf rol ror sahf sal sar sbb scas scasb
    scasw scasd sgdt shl shld shr shrd sidt sldt smsw stc std sti stos stosb stosw stosd str sub test
    verr verw wait fwait wbinvd xadd xchg xlat xlatb xor
    f2xm1 fabs fadd faddp fbld fbstp fchs fclex fnclex fcom fcomp fcompp fcos fdecstp fdiv fdivp
    fdivr fdivrp ffree fiadd ficom ficomp fidiv fidivr fild fimul fincstp finit fninit fist fistp
    fisub fisubr fld fld1 fldcw fldenv fldl2e fldl2t fldlg2 fldln2 fldpi fldz fmul fmulp fnop fpatan
    fprem fprem1 fptan frndint frstor fsave fnsave fscale fsin fsincos fsqrt fst fstcw fnstcw fstenv
    fnstenv fstp fstsw fnstsw fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fxam fxch fxtract
    fyl2x fyl2xp1""".split()
) | {"j" + c for c in _CONDITIONS} | {"set" + c for c in _CONDITIONS}
# What every x86-64 CPU has and 64-bit integer code uses besides: CMOVcc is part of the x86-64
# baseline, the others are the 64-bit forms. MMX, SSE and everything later stay out, as on i386.
X86_64_INTEGER = {"cmov" + c for c in _CONDITIONS} | set(
    "movsxd cdqe cqo movabs cmpsq lodsq movsq scasq stosq jrcxz iretq pushfq popfq".split()
)
ALLOWED_INSTRUCTIONS = {"i386": I486, "amd64": I486 | X86_64_INTEGER}
OBJDUMP = {"i386": "i686-w64-mingw32-objdump", "amd64": "x86_64-w64-mingw32-objdump"}
WINDOWS_UNWIND = {"i386": (), "amd64": (".pdata", ".xdata")}
PREFIXES = {"rep", "repe", "repz", "repne", "repnz", "lock", "data16", "addr16", "data32", "addr32",
            "cs", "ds", "es", "fs", "gs", "ss"}
# Bytes that only prefix an opcode, and the two-byte opcodes 0F 18..0F 1F: the hint and
# multi-byte NOPs of the P6, which an 80486 does not know.
PREFIX_BYTES = {"66", "67", "f2", "f3", "2e", "3e", "26", "36", "64", "65", "f0"}

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24
ICON_GROUP_ID = 103
MANIFEST_ID = 1  # the one Windows reads when it starts an .exe

FIXED_VERSION = (1, 2, 1, 0)
VFT_APP = 1
STRING_BLOCK = "040904b0"
EXPECTED_STRINGS = {
    "Comments": "",
    "FileDescription": "Tolvex, the screen settings switcher.",
    "FileVersion": "1, 2, 1, 0",
    "InternalName": "Tolvex",
    "LegalTrademarks": "",
    "OriginalFilename": "Tolvex.exe",
    "PrivateBuild": "",
    "ProductName": "Tolvex",
    "ProductVersion": "1, 2, 1, 0",
    "SpecialBuild": "",
}
EXPECTED_TRANSLATION = [(0x0409, 1200)]

# What differs between the programs: subsystem, DLLs, version texts, DPI awareness.
SUBSYSTEM_GUI = 2
# Setup uses the common controls, the shell's folder picker and shortcuts, the dialog's font
# (GDI32), version records (VERSION) and the registry's compatibility layers (ADVAPI32); the
# command-line tool the registry too. None has a C runtime DLL.
SETUP_DLLS = ALLOWED_DLLS + ("COMCTL32.dll", "SHELL32.dll", "ole32.dll", "GDI32.dll", "ADVAPI32.dll",
                             "VERSION.dll")
INI_DLLS = ALLOWED_DLLS + ("ADVAPI32.dll",)
SETUP_STRINGS = {
    "FileDescription": "Tolvex Setup, sets a title up for Tolvex.",
    "FileVersion": "1, 2, 1, 0",
    "InternalName": "TolvexSetup",
    "OriginalFilename": "TolvexSetup.exe",
    "ProductName": "Tolvex",
    "ProductVersion": "1, 2, 1, 0",
}
PROGRAMS = {
    "Tolvex.exe": {"subsystem": SUBSYSTEM_CONSOLE, "dlls": ALLOWED_DLLS, "strings": EXPECTED_STRINGS, "dpi": False,
                   "resources": True, "integer64": True},
    "TolvexSetup.exe": {"subsystem": SUBSYSTEM_GUI, "dlls": SETUP_DLLS, "strings": SETUP_STRINGS, "dpi": True,
                        "resources": True, "integer64": False},
    "tolvex-ini.exe": {"subsystem": SUBSYSTEM_CONSOLE, "dlls": INI_DLLS, "strings": None, "dpi": False,
                       "resources": False, "integer64": False},
}

COMMON_CONTROLS = "Microsoft.Windows.Common-Controls"
COMMON_CONTROLS_TOKEN = "6595b64144ccf1df"
# supportedOS ids. Only the first two may appear: declaring any later Windows makes it refuse
# display modes below 32 bits per pixel to the program.
OS_IDS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": ("Windows Vista", True),
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": ("Windows 7", True),
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": ("Windows 8", False),
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": ("Windows 8.1", False),
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": ("Windows 10/11", False),
}


class PEError(Exception):
    """The file is not a PE image this reader can follow (truncated, bad offsets, ...)."""


def _u16z(buf, off, limit):
    """A NUL-terminated UTF-16LE string at off; returns (text, offset after the NUL)."""
    end = off
    while True:
        if end + 2 > limit:
            raise PEError("unterminated UTF-16 text at 0x%x" % off)
        if buf[end : end + 2] == b"\0\0":
            return buf[off:end].decode("utf-16-le", errors="replace"), end + 2
        end += 2


def _align4(n):
    return (n + 3) & ~3


class PEFile:
    """Just enough of the PE format to find the headers, imports and resources."""

    def __init__(self, data):
        self.data = data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PEError("no MZ header")
        (pe_off,) = self._unpack("<I", 0x3C)
        if self._bytes(pe_off, 4) != b"PE\0\0":
            raise PEError("no PE signature at 0x%x" % pe_off)
        coff = pe_off + 4
        (
            self.machine,
            nsections,
            _stamp,
            self.symtab_ptr,
            self.symbol_count,
            opt_size,
            self.characteristics,
        ) = self._unpack("<HHIIIHH", coff)
        opt = coff + 20
        (self.magic,) = self._unpack("<H", opt)
        if self.magic == 0x10B:
            (self.image_base,) = self._unpack("<I", opt + 28)
            dirs_at = opt + 96
        elif self.magic == 0x20B:
            (self.image_base,) = self._unpack("<Q", opt + 24)
            dirs_at = opt + 112
        else:
            raise PEError("unknown optional header magic 0x%x" % self.magic)
        (self.subsystem, self.dll_characteristics) = self._unpack("<HH", opt + 68)
        self.windows_versions = self._unpack("<HH", opt + 40) + self._unpack("<HH", opt + 48)
        (ndirs,) = self._unpack("<I", dirs_at - 4)
        self.dirs = []
        for i in range(min(ndirs, 16)):
            self.dirs.append(self._unpack("<II", dirs_at + 8 * i))
        self.sections = []
        self.code_sections = []  # (name, va, size of the code in the file)
        sec = opt + opt_size
        for i in range(nsections):
            name = self._bytes(sec + 40 * i, 8).rstrip(b"\0").decode("ascii", "replace")
            if name.startswith("/") and name[1:].isdigit() and self.symtab_ptr:
                # A long name, kept in the string table after the symbols (unstripped images).
                at = self.symtab_ptr + 18 * self.symbol_count + int(name[1:])
                end = self.data.find(b"\0", at)
                name = self._bytes(at, max(end - at, 0)).decode("ascii", "replace")
            vsize, va, rawsize, rawptr = self._unpack("<IIII", sec + 40 * i + 8)
            self.sections.append((name, va, max(vsize, rawsize), rawptr, rawsize))
            (flags,) = self._unpack("<I", sec + 40 * i + 36)
            if flags & 0x20000020:  # code, or executable
                self.code_sections.append((name, va, min(vsize, rawsize) if vsize else rawsize))

    # -- raw access with bounds checks ------------------------------------------------------
    def _bytes(self, off, n):
        if off < 0 or off + n > len(self.data):
            raise PEError("read of %d bytes at 0x%x runs past the end of the file" % (n, off))
        return self.data[off : off + n]

    def _unpack(self, fmt, off):
        return struct.unpack_from(fmt, self._bytes(off, struct.calcsize(fmt)))

    def offset(self, rva, n=1):
        """File offset of n bytes at rva; they must lie in one section's file data."""
        for _name, va, vsize, rawptr, rawsize in self.sections:
            if va <= rva and rva + n <= va + min(vsize, rawsize):
                return rawptr + (rva - va)
        raise PEError("RVA 0x%x (+%d) is not in any section's file data" % (rva, n))

    def _cstr(self, rva):
        off = self.offset(rva)
        end = self.data.find(b"\0", off)
        if end < 0:
            raise PEError("unterminated name at RVA 0x%x" % rva)
        return self.data[off:end].decode("latin-1")

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) else (0, 0)

    # -- imports ----------------------------------------------------------------------------
    def imports(self):
        """[(dll name, [function names, '#n' for ordinals], 'import' or 'delay')] in file order."""
        out = []
        thunk = 4 if self.magic == 0x10B else 8
        rva, size = self.directory(1)
        if rva and size:
            pos = self.offset(rva, 20)
            while True:
                lookup, _t, _f, name_rva, first = self._unpack("<IIIII", pos)
                if not (lookup or name_rva or first):
                    break
                out.append((self._cstr(name_rva), self._thunk_names(lookup or first, thunk, 0), "import"))
                pos += 20
        rva, size = self.directory(13)
        if rva and size:
            pos = self.offset(rva, 32)
            while True:
                attrs, name, _h, _iat, names, _b, _u, _s = self._unpack("<IIIIIIII", pos)
                if not name:
                    break
                base = 0 if attrs & 1 else self.image_base  # old-style descriptors hold addresses
                name -= base
                funcs = self._thunk_names(names - base, thunk, base) if names else []
                out.append((self._cstr(name), funcs, "delay"))
                pos += 32
        return out

    def _thunk_names(self, rva, size, base):
        names = []
        pos = self.offset(rva, size)
        fmt = "<I" if size == 4 else "<Q"
        while self._unpack(fmt, pos)[0]:
            (entry,) = self._unpack(fmt, pos)
            if entry >> (8 * size - 1):
                names.append("#%d" % (entry & 0xFFFF))
            else:
                names.append(self._cstr((entry & 0x7FFFFFFF) - base + 2))
            pos += size
        return names

    # -- resources --------------------------------------------------------------------------
    def resources(self):
        """{type: {name: {language: (file offset, size)}}}; ids are ints, names are strings."""
        rva, size = self.directory(2)
        if not (rva and size):
            return {}
        base = self.offset(rva, 16)
        limit = base + size

        def entries(dir_off):
            if not base <= dir_off <= limit - 16:
                raise PEError("resource directory at 0x%x is outside the resource data" % dir_off)
            named, ids = self._unpack("<HH", dir_off + 12)
            for i in range(named + ids):
                name, target = self._unpack("<II", dir_off + 16 + 8 * i)
                if name & 0x80000000:
                    (n,) = self._unpack("<H", base + (name & 0x7FFFFFFF))
                    at = base + (name & 0x7FFFFFFF) + 2
                    key = self._bytes(at, 2 * n).decode("utf-16-le", "replace")
                else:
                    key = name & 0xFFFF
                yield key, target

        tree = {}
        for rtype, t1 in entries(base):
            if not t1 & 0x80000000:
                raise PEError("resource type %r has no name level" % (rtype,))
            for rname, t2 in entries(base + (t1 & 0x7FFFFFFF)):
                if not t2 & 0x80000000:
                    raise PEError("resource %r/%r has no language level" % (rtype, rname))
                for lang, leaf in entries(base + (t2 & 0x7FFFFFFF)):
                    if leaf & 0x80000000:
                        raise PEError("resource %r/%r/%r nests too deep" % (rtype, rname, lang))
                    data_rva, data_size, _cp, _r = self._unpack("<IIII", base + leaf)
                    off = self.offset(data_rva, max(data_size, 1))
                    tree.setdefault(rtype, {}).setdefault(rname, {})[lang] = (off, data_size)
        return tree

    def resource(self, tree, rtype, rname):
        """(bytes, language) of the only language of rtype/rname, or None if absent."""
        langs = tree.get(rtype, {}).get(rname)
        if not langs:
            return None
        lang = sorted(langs)[0]
        off, size = langs[lang]
        return self._bytes(off, size), lang


# -- version record ---------------------------------------------------------------------------
def parse_version_block(buf, off=0, end=None):
    """One VS_VERSIONINFO-style node: (key, value type, value bytes, children, end offset)."""
    if end is None:
        end = len(buf)
    if off + 6 > end:
        raise PEError("version block at %d runs past its parent" % off)
    length, value_len, value_type = struct.unpack_from("<HHH", buf, off)
    block_end = off + length
    if length < 6 or block_end > end:
        raise PEError("version block at %d has a bad length %d" % (off, length))
    key, pos = _u16z(buf, off + 6, block_end)
    pos = _align4(pos)
    if value_type == 1:
        # Text: compilers disagree on whether the length counts characters or bytes, so take
        # the text up to the block's end and cut it at the first NUL.
        value = buf[pos:block_end] if value_len else b""
        children_at = block_end if value_len else pos
    else:
        value = buf[pos : pos + value_len]
        children_at = _align4(pos + value_len)
    children = []
    while children_at + 6 <= block_end:
        child = parse_version_block(buf, children_at, block_end)
        children.append(child)
        children_at = _align4(child[4])
    return key, value_type, value, children, block_end


def decode_version(raw):
    """{'fixed': 13 DWORDs, 'tables': {block: [(key, value, value type)]}, 'translations': [...],
    'other': [unexpected top-level child keys]}."""
    key, _vt, value, children, _end = parse_version_block(raw)
    if key != "VS_VERSION_INFO":
        raise PEError("version record key is %r, not 'VS_VERSION_INFO'" % key)
    if len(value) != 52:
        raise PEError("fixed version info is %d bytes, not 52" % len(value))
    fixed = struct.unpack("<13I", value)
    tables, translations, other = {}, [], []
    for ckey, _cvt, _cval, grandchildren, _ in children:
        if ckey == "StringFileInfo":
            for tkey, _tvt, _tval, strings, _ in grandchildren:
                entries = tables.setdefault(tkey, [])
                for skey, svt, sval, _sc, _ in strings:
                    text = sval.decode("utf-16-le", "replace").split("\0", 1)[0]
                    entries.append((skey, text, svt))
        elif ckey == "VarFileInfo":
            for vkey, _vvt, vval, _vc, _ in grandchildren:
                if vkey == "Translation":
                    for i in range(0, len(vval) - 3, 4):
                        translations.append(struct.unpack_from("<HH", vval, i))
                else:
                    other.append("VarFileInfo/" + vkey)
        else:
            other.append(ckey)
    return {"fixed": fixed, "tables": tables, "translations": translations, "other": other}


def _ver(ms, ls):
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


# -- the checks -------------------------------------------------------------------------------
class Report:
    def __init__(self, out):
        self.out = out
        self.passed = 0
        self.failed = 0

    def info(self, text):
        self.out.write("     %s\n" % text)

    def check(self, ok, what, detail=""):
        if ok:
            self.passed += 1
            self.out.write("ok   %s%s\n" % (what, (": " + detail) if detail else ""))
        else:
            self.failed += 1
            self.out.write("FAIL %s%s\n" % (what, (": " + detail) if detail else ""))
        return ok


def check_headers(pe, expect, rep, program=PROGRAMS["Tolvex.exe"]):
    machine, magic, kind = MACHINES[expect]
    got = MACHINE_NAMES.get(pe.machine, "unknown")
    rep.check(
        pe.machine == machine,
        "machine",
        "expected %s (0x%x), found %s (0x%x)" % (expect, machine, got, pe.machine),
    )
    got_kind = {0x10B: "PE32", 0x20B: "PE32+"}.get(pe.magic, "?")
    rep.check(pe.magic == magic, "format", "expected %s, found %s" % (kind, got_kind))
    is_exe = bool(pe.characteristics & 0x0002) and not pe.characteristics & 0x2000
    rep.check(is_exe, "image kind", "executable, not a DLL (characteristics 0x%04x)" % pe.characteristics)
    want = program["subsystem"]
    rep.check(
        pe.subsystem == want,
        "subsystem",
        "expected %s (%d), found %d" % ("console" if want == SUBSYSTEM_CONSOLE else "GUI", want, pe.subsystem),
    )
    rep.check(
        pe.windows_versions == WINDOWS_VERSIONS[expect] and pe.dll_characteristics & ASLR_AND_DEP == ASLR_AND_DEP,
        "Windows version, ASLR and DEP",
        "OS %d.%d, subsystem %d.%d (expected %d.%d, %d.%d), DLL characteristics 0x%04x (0x%04x expected in it)"
        % (pe.windows_versions + WINDOWS_VERSIONS[expect] + (pe.dll_characteristics, ASLR_AND_DEP)),
    )
    stripped = pe.symtab_ptr == 0 and pe.symbol_count == 0
    rep.info("symbol table: %s" % ("none (stripped)" if stripped else "%d symbols" % pe.symbol_count))


def check_imports(pe, rep, allowed_dlls=ALLOWED_DLLS):
    try:
        imports = pe.imports()
    except PEError as e:
        rep.check(False, "imports", "cannot read the import table: %s" % e)
        return
    allowed = {d.lower() for d in allowed_dlls}
    listing = ", ".join(
        "%s (%d%s)" % (name, len(funcs), ", delay-loaded" if kind == "delay" else "") for name, funcs, kind in imports
    )
    rep.info("imports: %s" % (listing or "none"))
    foreign = [name for name, _c, _k in imports if name.lower() not in allowed]
    rep.check(
        bool(imports) and not foreign,
        "imported DLLs are system DLLs",
        ("not allowed: %s (allowed: %s)" % (", ".join(foreign), ", ".join(allowed_dlls)))
        if foreign
        else ", ".join(name for name, _c, _k in imports) or "no imports found",
    )


def check_windows_95_imports(pe, rep, expect="i386"):
    try:
        imported = [(dll, func) for dll, funcs, _kind in pe.imports() for func in funcs]
    except PEError as e:
        rep.check(False, "imports are in Windows 95", "cannot read the import table: %s" % e)
        return
    table = {dll.lower(): names for dll, names in WINDOWS_95.items()}
    names = {(dll.lower(), AMD64_NAMES.get(name, name) if expect == "amd64" else name)
             for dll, name in imported}
    missing = [
        "%s!%s" % (dll, name) for dll, name in imported
        if (AMD64_NAMES.get(name, name) if expect == "amd64" else name) not in table.get(dll.lower(), {})
    ]
    missing += [
        "%s!%s, a stub on Windows 95/98/Me, without %s!%s to choose by" % (*stub, *guard)
        for stub, guard in STUBS_ON_9X.items() if stub in names and guard not in names
    ]
    rep.check(
        bool(imported) and not missing,
        "imports are in Windows 95",
        ("not known to be in Windows 95: %s" % ", ".join(missing))
        if missing
        else "%d functions, each in the table" % len(imported),
    )


def _ctor_lists_end(code, word):
    """Where the linker's constructor and destructor lists (-1, 0, -1, 0) start at the end of the
    code section; they are data, not code. They must be empty: without the C runtime nothing
    would run a constructor of a static object."""
    head = b"\xff" * word + b"\0" * word + b"\xff" * word
    body = code.rstrip(b"\0")
    if not body.endswith(head):
        raise PEError("the code does not end with empty constructor lists: static objects that "
                      "need a constructor, which nothing runs")
    return len(body) - len(head)


def disassemble(path, pe, expect, objdump):
    """[(address, hex bytes, mnemonic, operands)] of every code section; raises OSError or
    PEError when the code cannot be read or disassembled."""
    out = []
    word = 4 if expect == "i386" else 8
    for name, va, size in pe.code_sections:
        code = pe.data[pe.offset(va, size) : pe.offset(va, size) + size] if size else b""
        stop = pe.image_base + va + _ctor_lists_end(code, word)
        run = subprocess.run(
            [objdump, "-d", "-M", "intel", "--insn-width=16", "-j", name,
             "--stop-address=0x%x" % stop, path],
            capture_output=True, text=True, check=False,
        )
        if run.returncode != 0:
            raise PEError("%s failed: %s" % (objdump, run.stderr.strip()))
        for line in run.stdout.splitlines():
            fields = line.split("\t")
            if len(fields) < 3 or not fields[0].strip().endswith(":"):
                continue
            words = fields[2].split()
            while len(words) > 1 and (words[0] in PREFIXES or words[0].startswith("rex")):
                words.pop(0)
            out.append((fields[0].strip().rstrip(":"), fields[1].strip(), words[0] if words else "",
                        " ".join(words[1:])))
    return out


def check_instructions(path, pe, expect, rep):
    what = "instructions are 80486 ones" if expect == "i386" else "instructions are x86-64 integer ones"
    objdump = os.environ.get("OBJDUMP") or OBJDUMP[expect]
    try:
        listing = disassemble(path, pe, expect, objdump)
    except (OSError, PEError) as e:
        rep.check(False, what, "cannot disassemble: %s" % e)
        return
    allowed = ALLOWED_INSTRUCTIONS[expect]
    foreign = []
    for address, raw, mnemonic, operands in listing:
        opcode = raw.split()
        while opcode and opcode[0] in PREFIX_BYTES:
            opcode.pop(0)
        if expect == "amd64" and opcode and "40" <= opcode[0] <= "4f":
            opcode.pop(0)  # REX
        hint_nop = len(opcode) >= 2 and opcode[0] == "0f" and "18" <= opcode[1] <= "1f"
        if mnemonic not in allowed or hint_nop or (mnemonic == "nop" and operands):
            foreign.append("%s %s at 0x%s" % (mnemonic, operands, address) if operands else
                           "%s at 0x%s" % (mnemonic, address))
    rep.check(
        bool(listing) and not foreign,
        what,
        ("found %d outside the set: %s" % (len(foreign), "; ".join(foreign[:8])))
        if foreign
        else "%d instructions in %s" % (len(listing), ", ".join(n for n, _v, _s in pe.code_sections)),
    )


def check_unwind_tables(pe, expect, rep):
    """DWARF unwind tables (.eh_frame, cut to .eh_fram in an image's section table) serve only
    C++ exceptions and the C runtime's unwinder, neither of which Tolvex.exe has. The 64-bit
    build's .pdata and .xdata are Windows' own unwind tables, which it needs."""
    names = [name for name, *_rest in pe.sections]
    dwarf = [name for name in names if name.startswith(".eh_fram") or name == ".debug_frame"]
    own = WINDOWS_UNWIND[expect]
    missing = [name for name in own if name not in names]
    if dwarf:
        detail = "DWARF unwind section %s" % ", ".join(dwarf)
    elif missing:
        detail = "Windows' own %s missing" % ", ".join(missing)
    else:
        detail = "no DWARF unwind section" + ("; Windows' own: " + ", ".join(own) if own else "")
    rep.check(not dwarf and not missing, "unwind tables", detail)


def check_version(pe, tree, rep, expected_strings=EXPECTED_STRINGS):
    types = tree.get(RT_VERSION, {})
    rep.check(list(types) == [1], "version record", "resource ids found: %s (expected [1])" % sorted(types, key=str))
    found = pe.resource(tree, RT_VERSION, 1)
    if found is None:
        return
    raw, lang = found
    rep.info("version record language 0x%04x" % lang)
    try:
        record = decode_version(raw)
    except PEError as e:
        rep.check(False, "version record", "cannot parse: %s" % e)
        return
    fixed = record["fixed"]
    rep.check(fixed[0] == 0xFEEF04BD, "version fixed info signature", "0x%08x" % fixed[0])
    fv, pv = _ver(fixed[2], fixed[3]), _ver(fixed[4], fixed[5])
    want = ".".join(map(str, FIXED_VERSION))
    rep.check(fv == FIXED_VERSION, "fixed file version", "expected %s, found %s" % (want, ".".join(map(str, fv))))
    rep.check(pv == FIXED_VERSION, "fixed product version", "expected %s, found %s" % (want, ".".join(map(str, pv))))
    rep.check(fixed[9] == VFT_APP, "file type", "expected VFT_APP (1), found %d" % fixed[9])
    rep.info("file flags 0x%x, file OS 0x%x" % (fixed[7], fixed[8]))

    tables = record["tables"]
    rep.check(
        list(tables) == [STRING_BLOCK],
        "string block",
        "expected only %r, found %s" % (STRING_BLOCK, list(tables) or "none"),
    )
    entries = tables.get(STRING_BLOCK, [])
    seen = {}
    for key, value, vtype in entries:
        if key in seen:
            rep.check(False, "string %s" % key, "appears more than once")
            continue
        seen[key] = value
        if key not in expected_strings:
            rep.check(False, "string %s" % key, "unexpected entry with value %r" % value)
            continue
        want = expected_strings[key]
        rep.check(
            value == want and vtype == 1,
            "string %s" % key,
            "expected %r, found %r%s" % (want, value, "" if vtype == 1 else " (not stored as text)"),
        )
    for key in expected_strings:
        if key not in seen:
            rep.check(False, "string %s" % key, "missing (expected %r)" % expected_strings[key])
    rep.check(
        record["translations"] == EXPECTED_TRANSLATION,
        "translation",
        "expected 0x0409/1200, found %s"
        % (", ".join("0x%04x/%d" % t for t in record["translations"]) or "none"),
    )
    if record["other"]:
        rep.check(False, "version record blocks", "unexpected: %s" % ", ".join(record["other"]))


def check_icon(pe, tree, rep):
    groups = tree.get(RT_GROUP_ICON, {})
    rep.check(
        list(groups) == [ICON_GROUP_ID],
        "icon groups",
        "expected only group %d, found %s" % (ICON_GROUP_ID, sorted(groups, key=str) or "none"),
    )
    found = pe.resource(tree, RT_GROUP_ICON, ICON_GROUP_ID)
    if found is None:
        return
    raw, _lang = found
    if len(raw) < 6:
        rep.check(False, "icon group %d" % ICON_GROUP_ID, "only %d bytes" % len(raw))
        return
    reserved, kind, count = struct.unpack_from("<HHH", raw)
    if not rep.check(
        reserved == 0 and kind == 1 and count == 1 and len(raw) >= 6 + 14 * count,
        "icon group %d" % ICON_GROUP_ID,
        "expected one icon image, found %d (type %d)" % (count, kind),
    ):
        return
    width, height, colours, _r, planes, bits, nbytes, icon_id = struct.unpack_from("<BBBBHHIH", raw, 6)
    w, h = width or 256, height or 256
    rep.check(
        (w, h, bits, colours, planes) == (32, 32, 8, 0, 1),
        "icon image",
        "expected 32x32, 8 bits per pixel (256 colours), found %dx%d, %d bits per pixel, colour count %d, "
        "planes %d" % (w, h, bits, colours, planes),
    )
    image = pe.resource(tree, RT_ICON, icon_id)
    if not rep.check(image is not None, "icon image data", "RT_ICON %d present" % icon_id):
        return
    data = image[0]
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        rep.check(False, "icon image data", "stored as PNG, expected a 256-colour bitmap")
        return
    ok = len(data) >= 40 and len(data) == nbytes
    if ok:
        hsize, bw, bh, bplanes, bbits = struct.unpack_from("<IiiHH", data)
        (clr_used,) = struct.unpack_from("<I", data, 32)
        need = 40 + 4 * 256 + 32 * 32 + 32 * 4
        ok = (hsize, bw, bh, bplanes, bbits) == (40, 32, 64, 1, 8) and clr_used in (0, 256) and len(data) >= need
        detail = "bitmap %dx%d (height %d with mask), %d bits per pixel, %d bytes" % (bw, bh // 2, bh, bbits, len(data))
    else:
        detail = "%d bytes, group says %d" % (len(data), nbytes)
    rep.check(ok, "icon image data", detail)


def _local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest(pe, tree, rep, dpi=False):
    manifests = tree.get(RT_MANIFEST, {})
    rep.check(
        list(manifests) == [MANIFEST_ID],
        "manifest resource",
        "expected only id %d, found %s" % (MANIFEST_ID, sorted(manifests, key=str) or "none"),
    )
    found = pe.resource(tree, RT_MANIFEST, MANIFEST_ID)
    if found is None:
        return
    try:
        root = ElementTree.fromstring(found[0])
    except ElementTree.ParseError as e:
        rep.check(False, "manifest XML", "does not parse: %s" % e)
        return
    levels = [el for el in root.iter() if _local(el.tag) == "requestedExecutionLevel"]
    if len(levels) == 1:
        level, ui = levels[0].get("level"), levels[0].get("uiAccess", "false")
        rep.check(
            level == "asInvoker" and ui.lower() == "false",
            "manifest execution level",
            "expected asInvoker with uiAccess false, found %s, uiAccess %s" % (level, ui),
        )
    else:
        rep.check(False, "manifest execution level", "%d requestedExecutionLevel elements, expected 1" % len(levels))
    controls = [
        el
        for el in root.iter()
        if _local(el.tag) == "assemblyIdentity" and el.get("name") == COMMON_CONTROLS
    ]
    cc_ok = len(controls) == 1 and (
        controls[0].get("version"),
        controls[0].get("processorArchitecture"),
        (controls[0].get("publicKeyToken") or "").lower(),
    ) == ("6.0.0.0", "*", COMMON_CONTROLS_TOKEN)
    rep.check(
        cc_ok,
        "manifest Common Controls 6 dependency",
        "version %s, processorArchitecture %s"
        % (controls[0].get("version"), controls[0].get("processorArchitecture"))
        if controls
        else "missing",
    )
    if dpi:
        aware = [(el.text or "").strip().lower() for el in root.iter() if _local(el.tag) == "dpiAware"]
        rep.check(aware == ["true"], "manifest DPI awareness", "dpiAware %s" % (aware or "missing"))
    ids = [(el.get("Id") or "").lower() for el in root.iter() if _local(el.tag) == "supportedOS"]
    names = [OS_IDS.get(i, ("unknown id " + i, False)) for i in ids]
    bad = [name for name, allowed in names if not allowed]
    rep.check(
        not bad,
        "manifest supportedOS",
        ("declares %s: Windows then refuses modes below 32 bits per pixel" % ", ".join(bad))
        if bad
        else (", ".join(name for name, _a in names) or "none declared"),
    )


def run_checks(path, expect, max_size, out, program="Tolvex.exe"):
    profile = PROGRAMS[program]
    rep = Report(out)
    out.write("pe_check %s (expect %s)\n" % (path, expect))
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        rep.check(False, "read", str(e))
        return rep
    try:
        pe = PEFile(data)
    except PEError as e:
        rep.check(False, "PE headers", str(e))
        return rep
    check_headers(pe, expect, rep, profile)
    check_imports(pe, rep, profile["dlls"])
    check_windows_95_imports(pe, rep, expect)
    # The 64-bit tools are the test build's: their Win32 code may use what every x86-64 has.
    if expect == "i386" or profile["integer64"]:
        check_instructions(path, pe, expect, rep)
    check_unwind_tables(pe, expect, rep)
    try:
        tree = pe.resources()
    except PEError as e:
        rep.check(False, "resources", "cannot read the resource tree: %s" % e)
        tree = None
    if tree is not None and not profile["resources"]:
        rep.check(not tree, "resources", "expected none, found types %s" % sorted(tree, key=str)
                  if tree else "none, as expected")
    elif tree is not None:
        check_version(pe, tree, rep, profile["strings"])
        check_icon(pe, tree, rep)
        check_manifest(pe, tree, rep, profile["dpi"])
    size = len(data)
    if max_size is None:
        rep.info("file size: %d bytes" % size)
    else:
        rep.check(
            size <= max_size,
            "file size",
            "%d bytes (%.1f KiB), budget %d bytes (%.1f KiB)" % (size, size / 1024, max_size, max_size / 1024),
        )
    return rep


def main(argv=None, out=sys.stdout):
    parser = argparse.ArgumentParser(description="Check a built Tolvex.exe.")
    parser.add_argument("--expect", required=True, choices=sorted(MACHINES), help="expected machine")
    parser.add_argument("--program", default="Tolvex.exe", choices=sorted(PROGRAMS), help="which program it is")
    parser.add_argument("--max-size", type=int, default=None, metavar="BYTES", help="largest allowed file size")
    parser.add_argument("path", help="the .exe to check")
    args = parser.parse_args(argv)
    rep = run_checks(args.path, args.expect, args.max_size, out, args.program)
    out.write("pe_check: %d passed, %d failed\n" % (rep.passed, rep.failed))
    return 0 if rep.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
