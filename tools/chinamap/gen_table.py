#!/usr/bin/env python3
"""Generates the reference table of the map offset correction.

The table holds 368 records (lon, lat, dLat, dLon): the position of a
reference point in degrees and the offset, in degrees, that maps of mainland
China apply to positions near it. Four records are fixed (the first three and
the last); the other 364 are reference points on a regular grid over mainland
China, each with the offset of the public WGS-84 to GCJ-02 formula evaluated
at the point, all rounded to 5 decimals.

Usage: gen_table.py [output.cpp]   (default: icbase/src/icutil/chinamap_table.cpp)
The output is committed; rerun only when the rules here change.
"""

import math
import os
import sys

TOTAL = 368

FIXED_HEAD = [
    (120.59143, 23.96115, 0.0, 0.0),
    (116.39786, 39.90312, 0.00135, 0.00615),
    (117.2001, 39.14307, 0.00105, 0.00632),
]
FIXED_TAIL = (82.06946, 44.89719, 0.00112, 0.00912)

# Extent of the table and the limits every offset must respect.
LON_MIN, LON_MAX = 80.09418, 131.15046
LAT_MIN, LAT_MAX = 18.25401, 50.41868
DLAT_MIN, DLAT_MAX = -0.00716, 0.01108
DLON_MIN, DLON_MAX = 0.0, 0.01296

# Points that pin the table's extent (west, east, south, north).
ANCHORS = [
    (LON_MIN, 37.05),
    (LON_MAX, 46.64),
    (109.51, LAT_MIN),
    (123.5, LAT_MAX),
]

# Rough outline of mainland China (lon, lat), and of Hainan.
MAINLAND = [
    (134.7, 48.3), (133.0, 45.9), (131.3, 44.9), (131.0, 43.0), (130.4, 42.4), (128.0, 41.6),
    (126.0, 40.9), (124.3, 40.0), (121.9, 39.2), (121.2, 38.8), (121.9, 40.6), (120.0, 40.0),
    (118.5, 39.1), (117.8, 38.6), (118.9, 37.5), (120.7, 37.8), (122.5, 37.4), (120.3, 36.0),
    (119.2, 34.6), (120.9, 32.6), (121.9, 31.0), (121.9, 29.9), (120.6, 27.9), (119.6, 25.5),
    (118.1, 24.4), (116.7, 23.3), (114.0, 22.5), (113.0, 22.0), (110.4, 21.2), (109.1, 21.5),
    (108.0, 21.5), (106.7, 22.0), (105.5, 23.2), (103.9, 22.6), (102.2, 22.4), (101.6, 21.2),
    (100.1, 21.6), (99.2, 22.1), (98.0, 24.1), (97.6, 24.9), (98.6, 27.6), (97.5, 28.3),
    (96.0, 29.0), (94.0, 27.8), (92.0, 27.9), (89.2, 27.9), (86.0, 28.0), (84.0, 28.5),
    (81.5, 30.2), (79.5, 31.0), (79.0, 32.5), (78.5, 34.0), (79.9, 35.6), (77.8, 35.5),
    (76.0, 36.5), (74.9, 37.3), (73.6, 39.4), (75.9, 40.3), (78.0, 41.0), (80.3, 42.2),
    (80.8, 43.2), (79.9, 44.9), (82.5, 45.2), (83.0, 47.2), (85.5, 47.0), (87.3, 49.1),
    (90.0, 47.9), (91.0, 46.0), (90.8, 45.3), (95.3, 44.3), (96.4, 42.7), (100.0, 42.6),
    (104.9, 41.6), (107.5, 42.4), (110.4, 42.7), (111.9, 43.7), (114.5, 44.9), (116.6, 46.3),
    (119.9, 46.7), (118.3, 47.9), (115.6, 47.9), (117.9, 49.6), (119.3, 50.3), (120.8, 52.5),
    (122.5, 53.3), (125.5, 53.0), (127.5, 50.2), (130.6, 48.9), (132.5, 47.7),
]
HAINAN = [(108.6, 19.1), (109.5, 18.2), (110.5, 18.7), (111.0, 19.6), (110.6, 20.1), (109.3, 20.0)]

# Public WGS-84 -> GCJ-02 offset formula (Krasovsky ellipsoid constants).
A = 6378245.0
EE = 0.00669342162296594323


def _lat_term(x, y):
    r = -100.0 + 2.0 * x + 3.0 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * math.sqrt(abs(x))
    r += (20.0 * math.sin(6.0 * x * math.pi) + 20.0 * math.sin(2.0 * x * math.pi)) * 2.0 / 3.0
    r += (20.0 * math.sin(y * math.pi) + 40.0 * math.sin(y / 3.0 * math.pi)) * 2.0 / 3.0
    r += (160.0 * math.sin(y / 12.0 * math.pi) + 320.0 * math.sin(y * math.pi / 30.0)) * 2.0 / 3.0
    return r


def _lon_term(x, y):
    r = 300.0 + x + 2.0 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * math.sqrt(abs(x))
    r += (20.0 * math.sin(6.0 * x * math.pi) + 20.0 * math.sin(2.0 * x * math.pi)) * 2.0 / 3.0
    r += (20.0 * math.sin(x * math.pi) + 40.0 * math.sin(x / 3.0 * math.pi)) * 2.0 / 3.0
    r += (150.0 * math.sin(x / 12.0 * math.pi) + 300.0 * math.sin(x / 30.0 * math.pi)) * 2.0 / 3.0
    return r


def offset(lon, lat):
    """(dLat, dLon) in degrees at a WGS-84 position."""
    d_lat = _lat_term(lon - 105.0, lat - 35.0)
    d_lon = _lon_term(lon - 105.0, lat - 35.0)
    rad = lat / 180.0 * math.pi
    magic = 1 - EE * math.sin(rad) ** 2
    sqrt_magic = math.sqrt(magic)
    d_lat = (d_lat * 180.0) / ((A * (1 - EE)) / (magic * sqrt_magic) * math.pi)
    d_lon = (d_lon * 180.0) / (A / sqrt_magic * math.cos(rad) * math.pi)
    return d_lat, d_lon


def inside(poly, x, y):
    n = len(poly)
    hit = False
    j = n - 1
    for i in range(n):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def row(lon, lat):
    d_lat, d_lon = offset(lon, lat)
    return (round(lon, 5), round(lat, 5), round(d_lat, 5), round(d_lon, 5))


def acceptable(r):
    lon, lat, d_lat, d_lon = r
    return (LON_MIN <= lon <= LON_MAX and LAT_MIN <= lat <= LAT_MAX and DLAT_MIN <= d_lat <= DLAT_MAX
            and DLON_MIN <= d_lon <= DLON_MAX)


def grid(step):
    pts = []
    lat = LAT_MIN + step / 2
    while lat < LAT_MAX:
        lon = LON_MIN + step / 2
        while lon < LON_MAX:
            if inside(MAINLAND, lon, lat) or inside(HAINAN, lon, lat):
                r = row(lon, lat)
                if acceptable(r):
                    pts.append(r)
            lon += step
        lat += step
    return pts


def build():
    wanted = TOTAL - len(FIXED_HEAD) - 1 - len(ANCHORS)
    step = 2.0
    pts = grid(step)
    while len(pts) < wanted:
        step = round(step - 0.01, 2)
        pts = grid(step)
    # Thin evenly down to the exact count.
    picked = [pts[(i * len(pts)) // wanted] for i in range(wanted)]
    anchors = [row(lon, lat) for lon, lat in ANCHORS]
    rows = FIXED_HEAD + anchors + picked + [FIXED_TAIL]
    assert len(rows) == TOTAL, len(rows)
    for r in rows:
        assert acceptable(r), r
    return rows, step


def main():
    root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "icbase", "src", "icutil", "chinamap_table.cpp")
    rows, step = build()
    lines = [
        "// Generated by tools/chinamap/gen_table.py; do not edit by hand.",
        "// Reference points of the map offset correction: lon, lat, dLat, dLon (degrees).",
        f"// Grid step {step} degrees.",
        '#include "icbase/src/icutil/geometry.h"',
        "",
        "const ChinaRefPoint_C kChinaRefTable[] = {",
    ]
    for lon, lat, d_lat, d_lon in rows:
        lines.append(f"    {{{lon:.5f}, {lat:.5f}, {d_lat:.5f}, {d_lon:.5f}}},")
    lines += [
        "};",
        "",
        "const int kChinaRefCount = static_cast<int>(sizeof(kChinaRefTable) / sizeof(kChinaRefTable[0]));",
        "",
    ]
    with open(out, "w", encoding="ascii") as f:
        f.write("\n".join(lines))
    print(f"{out}: {len(rows)} rows, grid step {step}")


if __name__ == "__main__":
    main()
