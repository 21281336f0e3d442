"""A screenshot of one window, read at the layout's own pixels.

The windows are laid out in pixels at 1x; on a scaled screen (Qt's
QT_SCALE_FACTOR, Windows' display scale) each layout pixel covers `scale`
device pixels. Every question here takes layout coordinates and looks at
the device pixels they cover, so that one check serves every scale.
Counts of pixels are given back in layout pixels (device pixels / scale²).
"""
import math
import os
import subprocess


class Picture:
    def __init__(self, width, height, rgb, scale=1.0, path=None):
        self.width, self.height = width, height      # device pixels
        self.rgb = rgb                               # bytes, 3 a pixel, row by row
        self.scale = scale
        self.path = path                             # where a copy was saved

    @classmethod
    def from_ppm(cls, data, scale=1.0):
        """From a binary PPM (P6, 8 bits), as ImageMagick and grim write it."""
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        magic, width, height, depth = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
        if magic != b"P6" or depth != 255:
            raise ValueError(f"not an 8-bit binary PPM: {magic!r} {depth}")
        pixels = data[pos + 1:pos + 1 + 3 * width * height]
        if len(pixels) != 3 * width * height:
            raise ValueError("PPM data cut short")
        return cls(width, height, pixels, scale)

    def ppm(self):
        return b"P6 %d %d 255\n" % (self.width, self.height) + self.rgb

    def save(self, path):
        """Writes a PNG (ImageMagick) and remembers where."""
        subprocess.run(["convert", "ppm:-", path], input=self.ppm(), check=True)
        self.path = path
        return path

    def keep(self, path):
        """Writes the picture as it is (PPM) beside the PNG path it is known
        by; to_png() makes the PNG when someone is to look at it."""
        with open(path[:-len(".png")] + ".ppm", "wb") as out:
            out.write(self.ppm())
        self.path = path
        return path


    # ---- Layout pixels to device pixels ------------------------------------

    @property
    def size(self):
        """The picture's size in layout pixels."""
        return round(self.width / self.scale), round(self.height / self.scale)

    def span(self, start, length, limit):
        """The device pixels covered by layout pixels start..start+length-1."""
        first = math.floor(start * self.scale + 1e-9)
        last = math.ceil((start + length) * self.scale - 1e-9)
        return range(max(first, 0), min(last, limit))

    def device(self, x, y):
        return self.rgb[3 * (y * self.width + x):3 * (y * self.width + x) + 3]

    def pixels(self, x, y, w=1, h=1):
        """Every device pixel (r, g, b) in the layout rectangle."""
        columns = self.span(x, w, self.width)
        for dy in self.span(y, h, self.height):
            row = 3 * dy * self.width
            for dx in columns:
                i = row + 3 * dx
                yield self.rgb[i], self.rgb[i + 1], self.rgb[i + 2]

    def count(self, x, y, w, h, colour):
        """How much of the rectangle has exactly that colour, in layout pixels."""
        return self.count_where(x, y, w, h, lambda p: p == colour)

    def count_where(self, x, y, w, h, condition):
        return sum(1 for p in self.pixels(x, y, w, h) if condition(p)) / self.scale ** 2

    def has(self, x, y, colour):
        """Whether any device pixel of the layout pixel has the colour."""
        return any(p == colour for p in self.pixels(x, y))

    def only(self, x, y, colour):
        """Whether every device pixel of the layout pixel has the colour."""
        return all(p == colour for p in self.pixels(x, y))

    def colour_at(self, x, y):
        """The colour of the layout pixel (its first device pixel)."""
        return next(self.pixels(x, y))

    def runs(self, line, colour, across=True):
        """The runs of the colour along one layout row (across) or column:
        [(place, width)], the width in device pixels, the place the layout
        pixel of the run's middle. (Qt centres a one-pixel line at x on
        device pixel x * scale at fractional scales, on the middle of pixel
        x at 1x: the middle finds x in both.) The device row read is the one
        through the middle of the layout row."""
        if across:
            dy = min(int((line + 0.5) * self.scale), self.height - 1)
            along = [tuple(self.device(dx, dy)) for dx in range(self.width)]
        else:
            dx = min(int((line + 0.5) * self.scale), self.width - 1)
            along = [tuple(self.device(dx, dy)) for dy in range(self.height)]
        found, start = [], None
        for i, p in enumerate(along + [None]):
            if p == colour and start is None:
                start = i
            elif p != colour and start is not None:
                found.append((math.floor((start + i) / 2 / self.scale + 1e-9), i - start))
                start = None
        return found


def to_png(folder):
    """The pictures kept in the folder, as PNGs."""
    for name in sorted(os.listdir(folder)):
        if name.endswith(".ppm"):
            ppm = os.path.join(folder, name)
            subprocess.run(["convert", ppm, ppm[:-len(".ppm")] + ".png"], check=True)
            os.remove(ppm)
