#!/usr/bin/env python3
"""Writes the three logo SVGs of this folder.

The lettering is drawn from straight-edged (chamfered) letter outlines defined below,
so the logos need no font. Each letter is one path; counters are sub-paths filled with
the even-odd rule. Every shape is left at the SVG default fill, black.

Run from this folder:  python3 draw_logos.py
"""

# Letter outlines on a unit grid: y runs from 0 (cap line) to 1 (base line), x from 0
# to the letter's width. Each letter is a list of closed polygons.
LETTERS = {
    "V": (0.80, [[(0, 0), (0.22, 0), (0.40, 0.72), (0.58, 0), (0.80, 0), (0.52, 1), (0.28, 1)]]),
    "E": (0.60, [[(0, 0), (0.60, 0), (0.60, 0.20), (0.20, 0.20), (0.20, 0.40), (0.55, 0.40),
                  (0.55, 0.60), (0.20, 0.60), (0.20, 0.80), (0.60, 0.80), (0.60, 1), (0, 1)]]),
    "L": (0.55, [[(0, 0), (0.20, 0), (0.20, 0.80), (0.55, 0.80), (0.55, 1), (0, 1)]]),
    "M": (0.90, [[(0, 1), (0, 0), (0.20, 0), (0.45, 0.45), (0.70, 0), (0.90, 0), (0.90, 1),
                  (0.70, 1), (0.70, 0.40), (0.45, 0.82), (0.20, 0.40), (0.20, 1)]]),
    "O": (0.80, [[(0.20, 0), (0.60, 0), (0.80, 0.20), (0.80, 0.80), (0.60, 1), (0.20, 1), (0, 0.80), (0, 0.20)],
                 [(0.28, 0.20), (0.52, 0.20), (0.60, 0.28), (0.60, 0.72), (0.52, 0.80), (0.28, 0.80),
                  (0.20, 0.72), (0.20, 0.28)]]),
    "R": (0.72, [[(0, 0), (0.55, 0), (0.70, 0.15), (0.70, 0.45), (0.57, 0.58), (0.72, 1), (0.50, 1),
                  (0.37, 0.62), (0.20, 0.62), (0.20, 1), (0, 1)],
                 [(0.20, 0.18), (0.45, 0.18), (0.50, 0.23), (0.50, 0.39), (0.45, 0.44), (0.20, 0.44)]]),
    "A": (0.80, [[(0, 1), (0.28, 0), (0.52, 0), (0.80, 1), (0.59, 1), (0.54, 0.80), (0.26, 0.80), (0.21, 1)],
                 [(0.31, 0.62), (0.49, 0.62), (0.40, 0.26)]]),
    "K": (0.72, [[(0, 0), (0.20, 0), (0.20, 0.40), (0.46, 0), (0.70, 0), (0.39, 0.48), (0.72, 1),
                  (0.48, 1), (0.20, 0.58), (0.20, 1), (0, 1)]]),
    # The product family's mark: a capital Q with a tail and a small z.
    "Q": (0.85, [[(0.20, 0), (0.60, 0), (0.80, 0.20), (0.80, 0.74), (0.92, 0.92), (0.78, 1.04),
                  (0.66, 0.88), (0.60, 1), (0.20, 1), (0, 0.80), (0, 0.20)],
                 [(0.28, 0.20), (0.52, 0.20), (0.60, 0.28), (0.60, 0.72), (0.52, 0.80), (0.28, 0.80),
                  (0.20, 0.72), (0.20, 0.28)]]),
    "z": (0.60, [[(0, 0.36), (0.60, 0.36), (0.60, 0.53), (0.26, 0.83), (0.60, 0.83), (0.60, 1), (0, 1),
                  (0, 0.83), (0.34, 0.53), (0, 0.53)]]),
}


def fmt(v):
    text = "%.3f" % v
    return text.rstrip("0").rstrip(".") if "." in text else text


def letter_path(letter, x, y, height, x_scale=1.0):
    _, polygons = LETTERS[letter]
    parts = []
    for polygon in polygons:
        points = ["%s %s" % (fmt(x + px * height * x_scale), fmt(y + py * height)) for px, py in polygon]
        parts.append("M" + " L".join(points) + " Z")
    return '<path fill-rule="evenodd" d="%s"/>' % " ".join(parts)


def word_paths(word, left, right, top, height, x_scale, indent="    "):
    widths = [LETTERS[c][0] * height * x_scale for c in word]
    gap = (right - left - sum(widths)) / (len(word) - 1)
    x = left
    lines = []
    for c, w in zip(word, widths):
        lines.append(indent + letter_path(c, x, top, height, x_scale))
        x += w + gap
    return lines


def frame_and_mark(width):
    # Frame: stroked, not filled; corners rounded more down than across.
    lines = ['  <rect x="19.6" y="19.5" width="744.2" height="547.2" rx="39.5" ry="55.3" '
             'fill="none" stroke="#000000" stroke-width="39"/>']
    mark_height = 360.0
    q_width = LETTERS["Q"][0] * mark_height
    z_width = LETTERS["z"][0] * mark_height
    gap = 36.0
    left = (width - (q_width + gap + z_width)) / 2.0
    top = 100.0
    lines.append("  " + letter_path("Q", left, top, mark_height))
    lines.append("  " + letter_path("z", left + q_width + gap, top, mark_height))
    return lines


def svg(width, height, body):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="%s" height="%s" viewBox="0 0 %s %s">\n'
            % (width, height, width, height)
            + "\n".join(body) + "\n</svg>\n")


def main():
    width, height = "786.781", "784.905"
    body = frame_and_mark(float(width))
    body.append("  <g>")
    body += word_paths("VELMORA", 19.6, 763.8, 621.405, 784.905 - 621.405, 0.74)
    body.append("  </g>")
    open("LOGO_Velmora_01.svg", "w").write(svg(width, height, body))

    width, height = "783.193", "586.202"
    open("LOGO_Velmora_ONLY_Qz_01.svg", "w").write(svg(width, height, frame_and_mark(float(width))))

    width, height = "780.281", "100.788"
    body = ["  <g>"] + word_paths("MARVEK", 0.0, float(width), 0.0, float(height), 1.0) + ["  </g>"]
    open("LOGO_Marvek_ACTUAL.svg", "w").write(svg(width, height, body))


if __name__ == "__main__":
    main()
