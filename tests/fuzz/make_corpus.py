#!/usr/bin/env python3
"""Writes the settings fuzzer's starting inputs into tests/fuzz/corpus/.

Each input is two header bytes (where the file opens, the shape and length of argument 0; see
settings_fuzzer.cpp) followed by the stored bytes of a settings file.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

FIRST, BESIDE, BOTH, NOWHERE = 0, 1, 2, 3
DEEP, LONG_NAME, MIXED, FOLDER_ONLY = 0, 1, 2, 3


def header(where=FIRST, shape=DEEP, length=6):
    assert 0 <= length < 4096
    return bytes([where | shape << 2 | (length >> 8) << 4, length & 0xFF])


def stored(text):
    return bytes(255 - b for b in text.encode("latin-1"))


def with_byte(data, at, value):
    data = bytearray(data)
    data[at] = value
    return bytes(data)


INPUTS = {
    # Accepted, whole or in part.
    "valid_app": header() + stored("16 800 600 0 show.exe"),
    "valid_app_in_subfolder": header(shape=MIXED, length=40) + stored("8,1600,1200,1,games\\run.exe"),
    "valid_depth24_partial": header() + stored("24,1024,768"),
    "valid_depth_only": header() + stored("32"),
    "valid_signed_lines": header() + stored("+16\n+1024\r\n+768"),
    "valid_name_glued": header() + stored("16 800 600 0show.exe"),
    # Each rejection.
    "reject_depth_hex": header() + stored("0x20"),
    "reject_width_empty_field": header() + stored("16,,768"),
    "reject_width_negative": header() + stored("16-5"),
    "reject_strict": header() + stored("16,800,600,2"),
    "reject_name_short": header() + stored("16,800,600,1,a.ex"),
    "reject_name_long": header() + stored("16,800,600,1," + "n" * 300),
    "reject_depth_overflow": header() + stored("99999999999,800"),
    "valid_height_underflow": header() + stored("16,800,-99999999999"),
    # programDir + name at and past the 1,023 bytes of appPath.
    "name_255_fits_dir_763": header(length=763) + stored("16,800,600,1," + "n" * 255),
    "name_255_overflows_dir_764": header(length=764) + stored("16,800,600,1," + "n" * 255),
    "argument0_overlong": header(length=1100) + stored("16,800,600,0,show.exe"),
    "basename_overlong_beside": header(BESIDE, LONG_NAME, 1030) + stored("16,800,600"),
    # Where the file is found.
    "beside_program_only": header(BESIDE) + stored("8,640,480,0,intro.exe"),
    "first_hides_beside": header(BOTH) + stored("junk"),
    "folder_only_argument0": header(BESIDE, FOLDER_ONLY, 3) + stored("16,1280,1024"),
    "nowhere": header(NOWHERE),
    "empty_file": header(),
    # Bytes and limits.
    "blanks_only": header() + stored(" \t\r\n\v\f "),
    "longer_than_999": header() + stored(" " * 990 + "16,1024,768,0,x.exe"),
    "longer_than_999_far": header() + stored("16,800,600,1,show.exe" + "," * 1500),
    "stored_ff_in_middle": header() + with_byte(stored("16,1024,768,0,show.exe"), 7, 0xFF),
    "plain_text": header() + b"16,640,480\r\n",
    "high_bytes_name": header() + stored("16,800,600,1,sh\xe9w.exe"),
    "nbsp_separator": header() + stored("16\xa0800"),
}


def main():
    corpus = os.path.join(HERE, "corpus")
    os.makedirs(corpus, exist_ok=True)
    for name, data in sorted(INPUTS.items()):
        with open(os.path.join(corpus, name), "wb") as f:
            f.write(data)
    print(f"{len(INPUTS)} inputs in {corpus}")


if __name__ == "__main__":
    main()
