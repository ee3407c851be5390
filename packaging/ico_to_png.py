#!/usr/bin/env python3
"""Writes the largest picture of a Windows icon whose pictures are stored as PNG (the program's icon)
as a PNG file, for the desktop menu."""
import struct
import sys

source, target = sys.argv[1], sys.argv[2]
data = open(source, "rb").read()
_, kind, count = struct.unpack_from("<HHH", data, 0)
if kind != 1:
    sys.exit(f"{source}: not an icon")
best = None
for i in range(count):
    width, height, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
    side = width or 256
    picture = data[offset:offset + size]
    if picture.startswith(b"\x89PNG") and (best is None or side > best[0]):
        best = (side, picture)
if best is None:
    sys.exit(f"{source}: holds no PNG picture")
open(target, "wb").write(best[1])
