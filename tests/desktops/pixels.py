#!/usr/bin/env python3
"""Which generated picture a screenshot shows.

    pixels.py SHOT PALETTE X,Y [X,Y ...]
    pixels.py SHOT PALETTE --each NAME@X,Y [NAME@X,Y ...]

SHOT is a binary PPM (P6, as `convert` writes it); PALETTE has lines
"name r g b".  Prints one line: the name most sample points match (or
"other"), how many matched out of how many, and the colour at each point
that matched nothing, so a failure says what was there instead.
Exits 0 when a name matched at least two thirds of the points.

With --each every point must show the colour named for it (several
monitors, each with a picture of its own); the line says how many did and
what the first few that did not showed.
"""
import sys
from collections import Counter

# Desktops draw the picture as they got it, but scaling on the way (GNOME's
# overview, a stretched thumbnail) blends a little at the edges of a colour.
TOLERANCE = 24


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def colour_at(shot, palette, point):
    """The palette name at "X,Y" (or "other", "outside") and the colour there."""
    width, height, pixels = shot
    x, y = (int(v) for v in point.split(","))
    if not (0 <= x < width and 0 <= y < height):
        return "outside", None
    at = 3 * (y * width + x)
    rgb = tuple(pixels[at:at + 3])
    match = next((name for name, ref in palette
                  if max(abs(a - b) for a, b in zip(rgb, ref)) <= TOLERANCE), None)
    return match or "other", rgb


def each(shot, palette, wanted):
    wrong = []
    for item in wanted:
        want, point = item.split("@")
        name, rgb = colour_at(shot, palette, point)
        if name != want:
            seen = name if rgb is None else "%s #%02x%02x%02x" % ((name,) + rgb)
            wrong.append(f"{want}@{point} shows {seen}")
    print(f"{len(wanted) - len(wrong)}/{len(wanted)} as expected" +
          (": " + "; ".join(wrong[:3]) if wrong else ""))
    return 1 if wrong else 0


def main(argv):
    if len(argv) < 4:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    shot = read_ppm(argv[1])
    palette = []
    for line in open(argv[2]):
        parts = line.split()
        if len(parts) == 4:
            palette.append((parts[0], tuple(int(v) for v in parts[1:])))
    if argv[3] == "--each":
        return each(shot, palette, argv[4:])
    names, strays = [], []
    for point in argv[3:]:
        name, rgb = colour_at(shot, palette, point)
        names.append(name)
        if name == "other":
            strays.append("#%02x%02x%02x@%s" % (rgb + (point,)))
    best, count = Counter(names).most_common(1)[0]
    print(f"{best} {count}/{len(names)}" + (" unknown:" + ",".join(strays[:3]) if strays else ""))
    return 0 if best != "other" and 3 * count >= 2 * len(names) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
