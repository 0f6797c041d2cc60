#!/usr/bin/env python3
"""Authoring aid for golden replays: plays a game through zazo-replay by
mouse, greedily filling the well from the bottom, and prints the script.

    plan_script.py REPLAY MODE [--placements N] [--every F] [--rises R] [--tail T]

MODE is the title key: 52 ('4', normal), 53 ('5', from level 99), 51 ('3',
versus, two people), 54 ('6', versus against the computer). Each step reads
the game's state after the frames so far, picks a placement (and whether to
invert first), and adds the mouse events for it F frames later. After the
placements it presses G (rise) R times, one every 4 frames, then runs T more
frames. Nothing here is needed to run the tests: it only writes scripts.
"""
import argparse
import subprocess
import sys

SHAPE_FRAMES = 0


def run(replay, script):
    out = subprocess.run([replay, "--dump-every", "100000000", "-"], input=script,
                         capture_output=True, text=True, check=True).stdout
    blocks = out.split("end\n")
    last = [b for b in blocks if b.strip()][-1]
    state = {"rows": {}, "slot": {}}
    for line in last.splitlines():
        w = line.split()
        if not w:
            continue
        if w[0] == "row":
            state["rows"][int(w[1])] = [int(v) for v in w[2:]]
        elif w[0] == "slot":
            state["slot"][(int(w[1]), int(w[2]))] = [int(v) for v in w[3:]]
        elif len(w) == 2 and w[1].lstrip("-").isdigit():
            state[w[0]] = int(w[1])
    return state


def mask_of(state, inverted):
    cells = []
    for j in range(4):
        row = state["slot"][(0, j)]
        for i in range(4):
            f = row[i]
            if inverted:
                f = 1 - f
            if f:
                cells.append((i, j))
    return cells


def best_move(state):
    kinds = [[state["rows"][y][x] for y in range(26)] for x in range(16)]
    best = None
    for inverted in (False, True):
        cells = mask_of(state, inverted)
        if not cells or len(cells) > 6:
            continue
        for x in range(0, 13):
            for y in range(0, 23):
                ok = all(kinds[x + i][y + j] in (0, 5) for i, j in cells)
                if not ok:
                    continue
                # Prefer completing rows, then low placements, then no holes.
                filled = {(x + i, y + j) for i, j in cells}
                lines = 0
                for yy in range(3, 23):
                    if all(kinds[xx][yy] == 1 or (xx, yy) in filled for xx in range(3, 13)):
                        lines += 1
                depth = sum(y + j for i, j in cells)
                holes = 0
                for (cx, cy) in filled:
                    below = cy + 1
                    if below <= 22 and kinds[cx][below] == 0 and (cx, below) not in filled:
                        holes += 1
                score = (lines * 1000 + depth * 10 - holes * 25 - (5 if inverted else 0))
                if best is None or score > best[0]:
                    best = (score, x, y, inverted)
    return best


def main():
    p = argparse.ArgumentParser()
    p.add_argument("replay")
    p.add_argument("mode", type=int)
    p.add_argument("--placements", type=int, default=40)
    p.add_argument("--every", type=int, default=12)
    p.add_argument("--rises", type=int, default=0)
    p.add_argument("--tail", type=int, default=100)
    p.add_argument("--header", default="")
    a = p.parse_args()

    lines = [a.header] if a.header else []
    lines.append("at 1 key %d" % a.mode)
    frame = 70
    for _ in range(a.placements):
        state = run(a.replay, "\n".join(lines + ["run %d" % frame]) + "\n")
        if state.get("scene") == 300:
            break
        move = best_move(state)
        if move is None:
            frame += a.every
            continue
        _, x, y, inverted = move
        px, py = 32 + 16 * x + 8, 32 + 16 * y + 8
        if inverted:
            lines.append("at %d down right %d %d" % (frame + 1, px, py))
            frame += 1
        lines.append("at %d move %d %d" % (frame + 1, px, py))
        lines.append("at %d down left %d %d" % (frame + 2, px, py))
        frame += a.every
    for r in range(a.rises):
        lines.append("at %d key 71" % (frame + 4 * r))
    frame += 4 * a.rises + a.tail
    lines.append("run %d" % frame)
    print("\n".join(lines))


if __name__ == "__main__":
    sys.exit(main())
