#!/usr/bin/env python3
"""Generates a network, lints the top module with Verilator and simulates it.

Every router and tile of the example drives a random tag and its slot number on each output and
prints what each input received. The check derives from the description where every output slot
must arrive and compares that with the simulation log: each link must carry router A's output to
router B's input and back, and each tile must meet its own router.
"""
import argparse
import json
import pathlib
import re
import shutil
import subprocess
import sys

SOURCES = ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv", "noc_router.sv",
           "compute_tile.sv", "noc_soc.sv", "tb_noc_top.sv"]


def describe(kind, width, height, tiles):
    nodes = {}
    def rid(x, y):
        return f"R_{y * width + x}"
    tile = 0
    for y in range(height):
        for x in range(width):
            neighbours = []
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if kind == "torus":
                    nx, ny = nx % width, ny % height
                if 0 <= nx < width and 0 <= ny < height and (nx, ny) != (x, y):
                    if rid(nx, ny) not in neighbours:
                        neighbours.append(rid(nx, ny))
            for _ in range(tiles):
                neighbours.append(f"T_{tile}")
                nodes[f"T_{tile}"] = {"is_Router": False, "neighbors": [rid(x, y)],
                                      "top_module_fname": "compute_tile.sv"}
                tile += 1
            nodes[rid(x, y)] = {"is_Router": True, "neighbors": neighbours,
                                "top_module_fname": "noc_router.sv"}
    # Routers first, then tiles, in the order people write them.
    ordered = {k: v for k, v in nodes.items() if k.startswith("R_")}
    ordered.update({k: v for k, v in nodes.items() if k.startswith("T_")})
    return ordered


def expected_links(nodes):
    """(receiver instance, input slot) -> (sender instance, output slot)."""
    expect = {}
    for name, node in nodes.items():
        if not node["is_Router"]:
            continue
        routers = [n for n in node["neighbors"] if nodes[n]["is_Router"]]
        tiles = [n for n in node["neighbors"] if not nodes[n]["is_Router"]]
        links = len(routers)
        me = f"noc_router_{name}_inst"
        for j, other in enumerate(routers):
            back = [n for n in nodes[other]["neighbors"] if nodes[n]["is_Router"]].index(name)
            other_links = len([n for n in nodes[other]["neighbors"] if nodes[n]["is_Router"]])
            # A concatenation puts its first element on the highest slot.
            expect[(me, links - 1 - j)] = (f"noc_router_{other}_inst", other_links - 1 - back)
        for position, tile in enumerate(tiles):
            k = len(tiles) - 1 - position
            for channel in range(2):
                slot = links + 2 * k + channel
                expect[(me, slot)] = (f"compute_tile_{tile}_inst", channel)
                expect[(f"compute_tile_{tile}_inst", channel)] = (me, slot)
    return expect


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--generator", required=True)
    parser.add_argument("--example", required=True)
    parser.add_argument("--topology", required=True, help="mesh:3x3:1 (kind, size, tiles)")
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    kind, size, tiles = args.topology.split(":")
    width, height = (int(v) for v in size.split("x"))

    work = pathlib.Path(args.work)
    shutil.rmtree(work, ignore_errors=True)
    base = work / "base"
    base.mkdir(parents=True)
    example = pathlib.Path(args.example)
    for f in example.iterdir():
        if f.is_file() and not f.name.startswith("noc_soc.sv"):
            shutil.copy(f, base / f.name)
    nodes = describe(kind, width, height, int(tiles))
    (base / "noc_soc.json").write_text(json.dumps(nodes, indent=1))
    subprocess.run([args.generator, str(base)], check=True)

    files = [str(base / "lint.vlt")] + [str(base / s) for s in SOURCES]
    common = ["verilator", "--timing", "-Wall", "--top-module", "tb_noc_top", f"-I{base}"]
    lint = subprocess.run(common + ["--lint-only"] + files, capture_output=True, text=True)
    if lint.returncode != 0 or "%Warning" in lint.stderr or "%Error" in lint.stderr:
        print(lint.stderr)
        sys.exit("verilator lint failed")
    subprocess.run(common + ["--binary", "-j", "2", "-Mdir", str(work / "obj")] + files,
                   check=True, capture_output=True)
    log = subprocess.run([str(work / "obj" / "Vtb_noc_top")], check=True, capture_output=True,
                         text=True).stdout

    instance = re.compile(r"\.((?:noc_router|compute_tile)_\w+?_inst)\b")
    tags, received = {}, {}
    for line in log.splitlines():
        fields = line.split()
        if not fields or fields[0] not in ("NODE", "RECV"):
            continue
        name = instance.search(fields[1]).group(1)
        if fields[0] == "NODE":
            tags[int(fields[2])] = name
        else:
            received[(name, int(fields[2]))] = (int(fields[3]), int(fields[4]))
    expect = expected_links(nodes)
    if len(tags) != sum(1 for n in nodes.values() if n["is_Router"]) + len(
            [n for n in nodes if not nodes[n]["is_Router"]]):
        sys.exit("two instances drew the same tag; change the seed")
    problems = []
    for (receiver, slot), (sender, out_slot) in sorted(expect.items()):
        got = received.get((receiver, slot))
        if got is None or tags.get(got[0]) != sender or got[1] != out_slot:
            problems.append(f"{receiver} input {slot}: expected {sender} slot {out_slot}, got "
                            f"{got and (tags.get(got[0]), got[1])}")
    if len(received) != len(expect):
        problems.append(f"{len(received)} inputs printed, {len(expect)} expected")
    if problems:
        print("\n".join(problems))
        sys.exit("connectivity check failed")
    print(f"{args.topology}: lint clean, {len(expect)} connections checked")


if __name__ == "__main__":
    main()
