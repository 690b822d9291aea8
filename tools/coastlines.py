#!/usr/bin/env python3
"""Writes data/coastlines.txt, the world outline drawn under the visibility map.

Input: the Natural Earth 1:110m coastline as GeoJSON (LineString or
MultiLineString features), e.g. 110m/physical/ne_110m_coastline.json of the
public repository github.com/martynafford/natural-earth-geojson (a conversion
of the Natural Earth shapefile with ogr2ogr). Natural Earth is in the public
domain: https://www.naturalearthdata.com/about/terms-of-use/

    python3 tools/coastlines.py ne_110m_coastline.json > data/coastlines.txt

Output: one polyline per line, as integers in hundredths of a degree: the
longitude and latitude of the first point, then the change from each point to
the next. Points that fall on the same hundredth as the one before are left
out. The map needs no finer detail than a hundredth of a degree.
"""
import json
import sys


def polylines(geojson):
    for feature in geojson["features"]:
        geometry = feature["geometry"]
        if geometry["type"] == "LineString":
            yield geometry["coordinates"]
        elif geometry["type"] == "MultiLineString":
            yield from geometry["coordinates"]
        else:
            raise SystemExit("unexpected geometry " + geometry["type"])


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: coastlines.py COASTLINE.geojson > data/coastlines.txt")
    with open(sys.argv[1], encoding="utf-8") as f:
        geojson = json.load(f)
    out = sys.stdout
    out.write("# Coastlines of the world for the crescent visibility map.\n")
    out.write("# Source: Natural Earth, 1:110m physical vectors, coastline (ne_110m_coastline),\n")
    out.write("# as GeoJSON in github.com/martynafford/natural-earth-geojson, file\n")
    out.write("# 110m/physical/ne_110m_coastline.json. Natural Earth is in the public domain\n")
    out.write("# (https://www.naturalearthdata.com/about/terms-of-use/).\n")
    out.write("# Made by: python3 tools/coastlines.py ne_110m_coastline.json > data/coastlines.txt\n")
    out.write("# One polyline per line, integers in hundredths of a degree: longitude and\n")
    out.write("# latitude of the first point, then the change to each following point.\n")
    lines = points = 0
    for line in polylines(geojson):
        cells = []
        for lon, lat in line:
            p = (round(lon * 100), round(lat * 100))
            if not cells or cells[-1] != p:
                cells.append(p)
        if len(cells) < 2:
            continue
        numbers = [cells[0][0], cells[0][1]]
        for (x0, y0), (x1, y1) in zip(cells, cells[1:]):
            numbers += [x1 - x0, y1 - y0]
        out.write(" ".join(str(n) for n in numbers) + "\n")
        lines += 1
        points += len(cells)
    print(f"{lines} polylines, {points} points", file=sys.stderr)


if __name__ == "__main__":
    main()
