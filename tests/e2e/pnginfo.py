#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Prints "WIDTHxHEIGHT #RRGGBB uniform|mixed" for an 8-bit RGB or RGBA PNG read from a file.

Only the standard library, so that the end-to-end tests read the clipboard's image the way
another program would, without Qt."""
import struct
import sys
import zlib


def main(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit("unsupported PNG: depth %d colour type %d" % (depth, colour))
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    previous = bytearray(stride)
    pixels = set()
    offset = 0
    for _ in range(height):
        kind = raw[offset]
        line = bytearray(raw[offset + 1:offset + 1 + stride])
        offset += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 255
        for x in range(width):
            pixels.add(bytes(line[x * channels:x * channels + 3]))
        previous = line
    first = sorted(pixels)[0]
    print("%dx%d #%02X%02X%02X %s" % (width, height, first[0], first[1], first[2],
                                      "uniform" if len(pixels) == 1 else "mixed"))


if __name__ == "__main__":
    main(sys.argv[1])
