#!/usr/bin/env python3
"""Draws docs/table-cost.svg: CPU time of a router's tables (decode, sort, show) by its number of
sources, before and after the name sorts stopped comparing every pair. The figures are those of
docs/performance.md (tova-bench, Release build); edit FIGURES when they are measured again."""
import math
import sys

# sources: (before ms, now ms)
FIGURES = {256: (0.8, 0.2), 1024: (10.5, 1.4), 4096: (146, 6.8), 16383: (1617, 16)}
TARGETS = {4096: 50, 16383: 1000}

W, H, L, R, T, B = 560, 340, 70, 20, 30, 50


def x(sources):
    lo, hi = math.log2(200), math.log2(20000)
    return L + (math.log2(sources) - lo) / (hi - lo) * (W - L - R)


def y(ms):
    lo, hi = math.log10(0.1), math.log10(3000)
    return H - B - (math.log10(ms) - lo) / (hi - lo) * (H - T - B)


def main(path):
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{W}" height="{H}" font-family="sans-serif" font-size="12">',
           f'<rect width="{W}" height="{H}" fill="white"/>',
           f'<text x="{W / 2}" y="18" text-anchor="middle">CPU time of a router\'s tables (ms, log) by sources (log)</text>']
    for ms in (0.1, 1, 10, 100, 1000):
        out.append(f'<line x1="{L}" y1="{y(ms):.1f}" x2="{W - R}" y2="{y(ms):.1f}" stroke="#ddd"/>')
        out.append(f'<text x="{L - 6}" y="{y(ms) + 4:.1f}" text-anchor="end">{ms:g}</text>')
    for sources in FIGURES:
        out.append(f'<text x="{x(sources):.1f}" y="{H - B + 18}" text-anchor="middle">{sources}</text>')
    for sources, ms in TARGETS.items():
        out.append(f'<line x1="{x(sources) - 14:.1f}" y1="{y(ms):.1f}" x2="{x(sources) + 14:.1f}" y2="{y(ms):.1f}" '
                   f'stroke="black" stroke-dasharray="3,2"/>')
    for index, (label, colour) in enumerate((("before: exchange sorts, byte map", "#c0392b"),
                                             ("now: ranked keys, bit map", "#2471a3"))):
        points = " ".join(f"{x(s):.1f},{y(v[index]):.1f}" for s, v in FIGURES.items())
        out.append(f'<polyline points="{points}" fill="none" stroke="{colour}" stroke-width="2"/>')
        for s, v in FIGURES.items():
            out.append(f'<circle cx="{x(s):.1f}" cy="{y(v[index]):.1f}" r="3" fill="{colour}"/>')
        out.append(f'<text x="{L + 10}" y="{T + 16 + 16 * index}" fill="{colour}">{label}</text>')
    out.append(f'<text x="{L + 10}" y="{T + 48}">- - target (50 ms at 4096, 1 s at 16383)</text>')
    out.append(f'<text x="{W / 2}" y="{H - 12}" text-anchor="middle">sources (destinations: the same, at most 4096)</text>')
    out.append('</svg>')
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "docs/table-cost.svg")
