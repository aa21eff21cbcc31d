#!/usr/bin/env python3
"""Writes the FPGA configuration files of the sample catalogue into OUT_DIR
(the build makes them in its sample catalogue's FPGA/):

    scripts/make_sample_fpga.py OUT_DIR

The bytes are invented: a short header naming the image, then a stream from a
small linear congruential generator seeded by the name, so that every run
writes the same files. Each file is well below the programmer's 24 KB image;
the set-up sends only an image's first 16 KB, so some files are shorter than
that and the rest of the image stays 0xFF.
"""
import pathlib
import sys

# name -> size in bytes
IMAGES = {
    "MEM8.BIN": 12288,
    "MEM16.BIN": 20480,
    "FLASH8.BIN": 16384,
    "MCU51.BIN": 14336,
    "MCUOPT.BIN": 18432,
    "PLD.BIN": 9000,
    "SETUP.BIN": 4096,
}


def image_bytes(name: str, size: int) -> bytes:
    header = ("BMFPGA " + name).encode("ascii").ljust(32, b"\0")
    seed = sum((i + 1) * b for i, b in enumerate(name.encode("ascii"))) & 0xFFFFFFFF
    out = bytearray(header)
    state = seed or 1
    while len(out) < size:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append((state >> 16) & 0xFF)
    return bytes(out[:size])


def main() -> int:
    if len(sys.argv) != 2:
        sys.exit("usage: make_sample_fpga.py OUT_DIR")
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    for name, size in IMAGES.items():
        (folder / name).write_bytes(image_bytes(name, size))
    return 0


if __name__ == "__main__":
    sys.exit(main())
