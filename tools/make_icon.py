#!/usr/bin/env python3
"""Makes src/ui/icon/mirutoka.ico from mirutoka.svg, at every size Windows
asks a program's icon for (16 to 48 px at 100 to 200 %, 64 and 256 px for
Explorer's large views), beside the designed 32 x 32 image in 16 colours,
which is kept as the file has it. Needs rsvg-convert (librsvg2-bin) and
ImageMagick's convert. Run from the repository:

    python3 tools/make_icon.py
"""
import struct
import subprocess
from pathlib import Path

icon_folder = Path(__file__).resolve().parent.parent / "src" / "ui" / "icon"
sizes = [16, 20, 24, 32, 40, 48, 64, 256]


def rendered_png(size):
    return subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), str(icon_folder / "mirutoka.svg")],
                          check=True, capture_output=True).stdout


def rgba(png):
    return subprocess.run(["/usr/bin/convert", "png:-", "-depth", "8", "rgba:-"], input=png, check=True,
                          capture_output=True).stdout


def dib(size, pixels):
    """A 32-bit icon image: the header, the rows bottom up in BGRA, and an
    empty AND mask (the alpha channel is the mask)."""
    rows = [pixels[y * size * 4:(y + 1) * size * 4] for y in range(size)]
    colour = b"".join(bytes(row[i + k] for i in range(0, len(row), 4) for k in (2, 1, 0, 3)) for row in reversed(rows))
    mask = bytes(((size + 31) // 32) * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + mask


def designed_images(ico):
    """The entries of an existing icon file: (directory entry, image)."""
    _, _, count = struct.unpack("<HHH", ico[:6])
    for i in range(count):
        entry = ico[6 + 16 * i:22 + 16 * i]
        size, offset = struct.unpack("<II", entry[8:16])
        yield entry[:8], ico[offset:offset + size]


def main():
    existing = (icon_folder / "mirutoka.ico").read_bytes()
    designed = [(entry, image) for entry, image in designed_images(existing) if entry[:3] == b"\x20\x20\x10"]
    assert len(designed) == 1, "the designed 32 x 32 image in 16 colours is missing"
    images = list(designed)
    for size in sizes:
        png = rendered_png(size)
        image = png if size == 256 else dib(size, rgba(png))
        images.append((struct.pack("<BBBBHH", size % 256, size % 256, 0, 0, 1, 32), image))
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for entry, image in images:
        directory += entry + struct.pack("<II", len(image), offset + len(data))
        data += image
    (icon_folder / "mirutoka.ico").write_bytes(directory + data)


if __name__ == "__main__":
    main()
