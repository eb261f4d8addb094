#!/usr/bin/env python3
"""Draws the About rollout's logo, res/logo.bmp: 160 x 56 pixels, 24 bits per pixel.

Three translucent squares stacked and blended as layers are (the picture), "Quiltra" in a
pixel font drawn twice its size and "layered texture" below it. Run it again after a change:
    python3 res/make_logo.py
"""
import os
import struct

WIDTH, HEIGHT = 160, 56
BACKGROUND = (38, 42, 50)

# 5 x 7 glyphs, one string per row, '#' set.
GLYPHS = {
    'Q': [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    'u': [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    'i': ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    'l': [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    't': [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    'r': [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    'a': [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    'y': [".....", ".....", "#...#", "#...#", ".####", "....#", ".###."],
    'e': [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    'd': ["....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"],
    'x': [".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"],
    ' ': [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


def blend(base, colour, opacity):
    return tuple(round(b + (c - b) * opacity) for b, c in zip(base, colour))


def draw_text(pixels, text, x, y, scale, colour):
    for ch in text:
        for row, line in enumerate(GLYPHS[ch]):
            for col, mark in enumerate(line):
                if mark != '#':
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        px, py = x + col * scale + dx, y + row * scale + dy
                        if 0 <= px < WIDTH and 0 <= py < HEIGHT:
                            pixels[py][px] = colour
        x += 6 * scale


def draw_layers(pixels):
    # Each layer a square of four patches in two shades, laid over the ones below at 70 %.
    layers = [
        (6, 6, 30, ((214, 96, 62), (236, 150, 86))),
        (16, 14, 30, ((72, 148, 196), (118, 190, 226))),
        (26, 22, 28, ((238, 196, 74), (250, 226, 140))),
    ]
    for left, top, size, shades in layers:
        half = size // 2
        for y in range(top, top + size):
            for x in range(left, left + size):
                patch = ((x - left) // half + (y - top) // half) % 2
                edge = x in (left, left + size - 1) or y in (top, top + size - 1)
                colour = (250, 250, 250) if edge else shades[patch]
                pixels[y][x] = blend(pixels[y][x], colour, 0.7)


def write_bmp(path, pixels):
    row_bytes = WIDTH * 3
    padding = (4 - row_bytes % 4) % 4
    image_size = (row_bytes + padding) * HEIGHT
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + image_size, 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info)
        for row in reversed(pixels):       # bottom row first
            for r, g, b in row:
                f.write(bytes((b, g, r)))
            f.write(b'\0' * padding)


def main():
    pixels = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]
    draw_layers(pixels)
    draw_text(pixels, "Quiltra", 64, 9, 2, (244, 244, 240))
    draw_text(pixels, "layered texture", 64, 36, 1, (170, 178, 190))
    write_bmp(os.path.join(os.path.dirname(os.path.abspath(__file__)), "logo.bmp"), pixels)


if __name__ == "__main__":
    main()
