#!/usr/bin/env python3
"""Time and peak memory of the kvd tool over crafted worst-case texture images.

Writes images of 8192 x 8192 pixels, the largest the tool reads, each with
the least data its kind's structure check accepts for that size (or, for
BMP, the whole uncompressed picture), puts each as the sample house's
wood.jpg, and runs `kvd info` (which decodes the image, unless it is a PNG or
JPEG, which are checked whole), `kvd convert` (to .glb: decoded and
re-encoded as PNG) and `kvd render` (64 x 48: decoded and drawn) on it under
/usr/bin/time, printing CPU time (user + system, which other processes on
the machine do not inflate as they do wall time) and peak resident memory.
Also runs any extra image files given with --extra (the hostile
reproducers).

    bench/image_worst_cases.py --kvd build/bin/kvd --samples samples --work /tmp/kvd-images \
        [--extra tests/images/hostile/*]
"""
import argparse
import os
import shutil
import struct
import subprocess
import zlib

SIDE = 8192


def png_rgba_zeros():
    raw = (b"\0" + b"\0" * (SIDE * 4)) * SIDE
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", SIDE, SIDE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def jpeg_flat_grey():
    out = b"\xff\xd8" + b"\xff\xdb\x00\x43\x00" + b"\x01" * 64
    out += b"\xff\xc0\x00\x0b\x08" + struct.pack(">HH", SIDE, SIDE) + b"\x01\x01\x11\x00"
    for table in (0x00, 0x10):
        out += b"\xff\xc4\x00\x14" + bytes([table, 1]) + b"\0" * 15 + b"\0"
    out += b"\xff\xda\x00\x08\x01\x01\x00\x00\x3f\x00"
    blocks = (SIDE // 8) ** 2
    return out + b"\0" * (blocks * 2 // 8) + b"\xff\xd9"


def bmp_24bit_zeros():
    stride = SIDE * 3
    header = b"BM" + struct.pack("<IHHI", 54 + stride * SIDE, 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE, 1, 24, 0, stride * SIDE, 2835, 2835, 0, 0)
    return header + b"\0" * (stride * SIDE)


def tga_rle_least():
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, SIDE, SIDE, 24, 0x20)
    return header + b"\xff\x10\x20\x30" * (SIDE * SIDE // 128)


def gif_least():
    out = b"GIF89a" + struct.pack("<HHBBB", SIDE, SIDE, 0xF7, 0, 0) + bytes(range(256)) * 3
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, SIDE, SIDE, 0) + b"\x08"
    # A clear code (256 in 9 bits), then codes of 0: one pixel each.
    data = b"\0\1" + b"\0" * (SIDE * SIDE * 3 // (8 * 4096))
    for at in range(0, len(data), 255):
        piece = data[at:at + 255]
        out += bytes([len(piece)]) + piece
    return out + b"\x00\x3b"


def psd_rle_least():
    out = b"8BPS" + struct.pack(">H6xHIIHH", 1, 3, SIDE, SIDE, 8, 3) + struct.pack(">III", 0, 0, 0)
    out += struct.pack(">H", 1)
    row = b"\x81\x00" * (SIDE // 128)
    out += struct.pack(">H", len(row)) * (3 * SIDE)
    return out + row * (3 * SIDE)


def tiff_deflate_least():
    data = zlib.compress(b"\0" * (SIDE * SIDE * 3), 9)
    entries = [(256, 4, 1, SIDE), (257, 4, 1, SIDE), (258, 3, 1, 8), (259, 3, 1, 8), (262, 3, 1, 2),
               (273, 4, 1, 0), (277, 3, 1, 3), (278, 4, 1, SIDE), (279, 4, 1, len(data)), (284, 3, 1, 1)]
    data_at = 8 + 2 + 12 * len(entries) + 4
    out = b"II*\0" + struct.pack("<IH", 8, len(entries))
    for tag, kind, count, value in entries:
        if tag == 273:
            value = data_at
        if kind == 3:
            out += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, count, value)
    return out + struct.pack("<I", 0) + data


CASES = [("PNG 8192x8192 RGBA, least data", png_rgba_zeros),
         ("JPEG 8192x8192 grey, least data", jpeg_flat_grey),
         ("BMP 8192x8192 24-bit, whole", bmp_24bit_zeros),
         ("TGA 8192x8192 run-length, least data", tga_rle_least),
         ("GIF 8192x8192, least data", gif_least),
         ("PSD 8192x8192 run-length, least data", psd_rle_least),
         ("TIFF 8192x8192 deflate, least data", tiff_deflate_least)]


def timed(command):
    result = subprocess.run(["/usr/bin/time", "-f", "%U %S %M"] + command, capture_output=True, text=True)
    user, system, kib = result.stderr.strip().splitlines()[-1].split()
    return result.returncode, float(user) + float(system), int(kib) / 1024


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--kvd", required=True)
    parser.add_argument("--samples", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--extra", nargs="*", default=[])
    args = parser.parse_args()
    cases = [(name, make) for name, make in CASES]
    cases += [(os.path.basename(path), (lambda p=path: open(p, "rb").read())) for path in args.extra]
    print("| image | bytes | info CPU s | info peak MiB | convert CPU s | convert peak MiB | render CPU s | render peak MiB |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for name, make in cases:
        scene = os.path.join(args.work, "scene")
        shutil.rmtree(scene, ignore_errors=True)
        shutil.copytree(args.samples, scene)
        image = make()
        with open(os.path.join(scene, "wood.jpg"), "wb") as out:
            out.write(image)
        house = os.path.join(scene, "house.kvd")
        i = timed([args.kvd, "info", house])
        c = timed([args.kvd, "convert", "--quiet", house, os.path.join(args.work, "house.glb")])
        r = timed([args.kvd, "render", "--quiet", "--size", "64x48", house, os.path.join(args.work, "house.png")])
        for verb, run in (("info", i), ("convert", c), ("render", r)):
            if run[0] != 0:
                print(f"kvd {verb} exited with {run[0]} on {name}")
        print(f"| {name} | {len(image)} | {i[1]:.2f} | {i[2]:.0f} | {c[1]:.2f} | {c[2]:.0f} | {r[1]:.2f} | {r[2]:.0f} |")
    shutil.rmtree(args.work, ignore_errors=True)


if __name__ == "__main__":
    main()
