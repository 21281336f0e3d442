#!/usr/bin/env python3
"""Checks the installer's own look, without running it: the side pictures
of its welcome and finish pages, and that the built installer carries them
and its own branding line instead of NSIS's.

The pictures (assets/installer-side.bmp, assets/uninstaller-side.bmp), read
here from their bytes:

- a BMP as NSIS's Modern UI wants it: BITMAPINFOHEADER, 164 × 314,
  24 bits a pixel, uncompressed;
- the program's art: mostly the title picture's navy ground, with the warm
  reds and oranges of its maple leaves on it; the two are not the same
  picture, and neither is one of NSIS's own.

The installer (biorhythm-VERSION-setup.exe): its data follows NSIS's first
header ("NullsoftInst"); with SetCompressor /SOLID lzma, as installer.nsi
has it, header and files are one raw LZMA stream, and the uninstaller that
WriteUninstaller writes is inside it as a data block of its own, with a
first header and stream of its own. Unpacked with Python's lzma module:

- the installer's and the uninstaller's strings hold the branding line
  (UTF-16, as Unicode installers keep their strings) and not NSIS's
  "Nullsoft Install System";
- the installer's files hold installer-side.bmp byte for byte, the
  uninstaller's uninstaller-side.bmp, and neither holds any picture of
  NSIS's Contrib/Graphics/Wizard (found through makensis -HDRINFO).

    check_installer_look.py MAKENSIS SETUP_EXE "BRANDING" SIDE_BMP UNSIDE_BMP
"""
import glob
import lzma
import os
import re
import struct
import subprocess
import sys

failures = []

WIDTH, HEIGHT = 164, 314


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def bmp_pixels(path):
    """The picture's pixels as (r, g, b), or None where it is not the BMP NSIS wants."""
    data = open(path, "rb").read()
    name = os.path.basename(path)
    before = len(failures)
    if not check(data[:2] == b"BM" and len(data) >= 54, f"{name}: not a BMP"):
        return None
    file_size, offset = struct.unpack_from("<I4xI", data, 2)
    header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    check(file_size == len(data), f"{name}: the header says {file_size} bytes, the file has {len(data)}")
    check(header == 40, f"{name}: info header of {header} bytes, expected a BITMAPINFOHEADER (40)")
    check((width, abs(height)) == (WIDTH, HEIGHT), f"{name}: {width} × {abs(height)}, expected {WIDTH} × {HEIGHT}")
    check(bits == 24 and planes == 1, f"{name}: {bits} bits a pixel in {planes} planes, expected 24 in 1")
    check(compression == 0, f"{name}: compression {compression}, expected none (BI_RGB)")
    stride = (width * 3 + 3) & ~3
    if len(failures) > before:
        return None
    if not check(offset + stride * abs(height) <= len(data), f"{name}: its pixels are cut short"):
        return None
    pixels = []
    for row in range(abs(height)):
        start = offset + row * stride
        line = data[start:start + 3 * width]
        pixels.extend((line[i + 2], line[i + 1], line[i]) for i in range(0, len(line), 3))
    return pixels


def check_art(path):
    pixels = bmp_pixels(path)
    if pixels is None:
        return
    name = os.path.basename(path)
    # The title picture's ground is navy: no red or green to speak of,
    # blue between about 80 and 140.
    navy = sum(1 for r, g, b in pixels if r <= 40 and g <= 40 and 70 <= b <= 160) / len(pixels)
    # Its maple leaves are crimson to orange: much red, little blue.
    leaves = sum(1 for r, g, b in pixels if r >= 150 and r >= 2 * b and r >= g) / len(pixels)
    check(navy >= 0.55, f"{name}: {navy:.0%} of it is the navy ground, expected most of it")
    check(leaves >= 0.03, f"{name}: {leaves:.1%} of it is leaf red or orange, expected the maple leaves")


def unpack(data, what):
    """The unpacked header and files that follow the first NSIS first
    header in data, and that header's flags."""
    at = data.find(b"\xef\xbe\xad\xdeNullsoftInst")
    if at < 4:
        raise ValueError(f"{what}: no NSIS first header")
    flags, header_size, length = struct.unpack_from("<I16xII", data, at - 4)
    stream = data[at + 24:at - 4 + length]
    props = stream[:5]
    if props[0] >= 9 * 5 * 5:
        raise ValueError(f"{what}: not one solid LZMA stream (installer.nsi says SetCompressor /SOLID lzma)")
    lc, lp, pb = props[0] % 9, props[0] // 9 % 5, props[0] // 45
    filters = [{"id": lzma.FILTER_LZMA1, "lc": lc, "lp": lp, "pb": pb,
                "dict_size": struct.unpack_from("<I", props, 1)[0]}]
    unpacked = lzma.LZMADecompressor(lzma.FORMAT_RAW, filters=filters).decompress(stream[5:])
    if struct.unpack_from("<I", unpacked)[0] != header_size:
        raise ValueError(f"{what}: the unpacked header is not the {header_size} bytes the first header names")
    return flags, unpacked[4:4 + header_size], unpacked[4 + header_size:]


def main():
    makensis, setup, branding, side, unside = sys.argv[1:6]
    hdrinfo = subprocess.run([makensis, "-HDRINFO"], capture_output=True, text=True, check=True).stdout
    nsisdir = re.search(r"NSISDIR=([^,\s]+)", hdrinfo).group(1)
    nsis_pictures = {os.path.basename(p): open(p, "rb").read()
                     for p in glob.glob(os.path.join(nsisdir, "Contrib", "Graphics", "Wizard", "*.bmp"))}
    check(nsis_pictures, f"no pictures of NSIS's own in {nsisdir}/Contrib/Graphics/Wizard to compare with")

    ours = {"installer": open(side, "rb").read(), "uninstaller": open(unside, "rb").read()}
    check_art(side)
    check_art(unside)
    check(ours["installer"] != ours["uninstaller"], "the installer's and the uninstaller's side pictures are the same")
    for who, picture in ours.items():
        same = [n for n, p in nsis_pictures.items() if p == picture]
        check(not same, f"the {who}'s side picture is NSIS's own {same}")

    try:
        flags, header, files = unpack(open(setup, "rb").read(), os.path.basename(setup))
        check(not flags & 1, "the installer's first header is marked as an uninstaller's")
        un_flags, un_header, un_files = unpack(files, "the uninstaller inside it")
        check(un_flags & 1, "the second NSIS data block is not the uninstaller's")
    except (ValueError, lzma.LZMAError) as error:
        check(False, str(error))
    else:
        for who, strings, data, picture in (("installer", header, files, ours["installer"]),
                                            ("uninstaller", un_header, un_files, ours["uninstaller"])):
            check(branding.encode("utf-16-le") + b"\0\0" in strings,
                  f"the {who}'s strings have no branding line {branding!r}")
            check("Nullsoft Install System".encode("utf-16-le") not in strings,
                  f"the {who}'s strings still hold NSIS's branding line")
            check(picture in data, f"the {who} does not carry its side picture")
            nsis = [n for n, p in nsis_pictures.items() if p in data]
            check(not nsis, f"the {who} carries NSIS's own pictures {nsis}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"installer and uninstaller: branding {branding!r}, their own side pictures {WIDTH} × {HEIGHT}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
