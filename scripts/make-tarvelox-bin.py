#!/usr/bin/env python3
"""Writes a synthetic TARVELOX.BIN for the simulated intelligent adapter.

The file is not a real adapter program: three 16-bit words, low byte first
(the body's length, its load address 0x4000 and the 16-bit sum of its
bytes), then a body of made-up bytes. The simulated adapter starts the
"program" when the body it was sent adds up. The same bytes as
sim::IntelligentAdapter::MakeProgramFile.

    scripts/make-tarvelox-bin.py <program folder> [body size, default 2000]
"""
import os
import struct
import sys


def main() -> int:
    if len(sys.argv) not in (2, 3):
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    size = int(sys.argv[2]) if len(sys.argv) == 3 else 2000
    if not 0 <= size <= 8192 - 6:
        print("the body must fit the driver's 8192-byte buffer with its 6-byte head", file=sys.stderr)
        return 2
    body = bytes((i * 7 + 3) & 0xFF for i in range(size))
    head = struct.pack("<HHH", size, 0x4000, sum(body) & 0xFFFF)
    path = os.path.join(sys.argv[1], "TARVELOX.BIN")
    with open(path, "wb") as f:
        f.write(head + body)
    print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
