#!/usr/bin/env python3
"""Compares what nocgen reads from real SystemVerilog with what Verilator reads.

For every .sv and .v file below each ROOT, the first module as nocgen sees it is compared with
Verilator's reading of the same module (--xml-only): the names, directions and order of the
input and output ports, how many packed and unpacked dimensions each has, and the bounds of
dimensions written as plain numbers. Verilator is given every directory of the tree with -y and
+incdir+, and nocgen the same directories with -I, so both find the same packages and headers.
The files Verilator compiles before the tested one (--prelude files such as a tree's defines
file, and with --packages every *_pkg.sv) are one compilation unit with it, and nocgen reads
them as such, from a -f list.

Needs network-fetched sources, so it is a tool for developers, not part of the test suite:

    scripts/compare_with_verilator.py --nocgen build/release/nocgen ROOT [ROOT ...]

Prints one line per disagreement and a summary per root: modules Verilator read, how many of
them agree, and how many nocgen refused with an error (a refusal is never a silent difference).
"""
import argparse
import concurrent.futures
import json
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

# Verilator defines these itself; nocgen is told the same so that `ifdef takes the same branch.
VERILATOR_DEFINES = ["VERILATOR", "verilator", "verilator3", "SYSTEMVERILOG", "coverage"]
INTEGER_ATOMS = {"byte", "shortint", "int", "longint", "integer", "time"}


def source_dirs(root):
    """Every directory of the tree: sources for -y, and include roots such as include/."""
    dirs = []
    for here, subdirs, files in os.walk(root):
        subdirs[:] = sorted(d for d in subdirs if not d.startswith("."))
        dirs.append(here)
    return dirs


def nocgen_reading(nocgen, path, root, dirs, before, work):
    cmd = [nocgen, "ports", os.path.relpath(path, root), "--base-dir", root, "--format", "json"]
    for d in dirs:
        cmd += ["-I", d]
    if before:
        listed = os.path.join(work, "before.f")
        with open(listed, "w") as out:
            out.write("\n".join(before) + "\n")
        cmd += ["-f", listed]
    for d in VERILATOR_DEFINES:
        cmd += ["-D", d]
    try:
        run = subprocess.run(cmd, capture_output=True, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        return None, "nocgen took more than 60 s"
    if run.returncode != 0:
        return None, run.stderr.strip()
    return json.loads(run.stdout), None


def package_files(roots):
    """Package sources, dependencies first: Verilator must parse a package before its use."""
    found = []
    for root in roots:
        for here, subdirs, files in os.walk(root):
            subdirs[:] = sorted(d for d in subdirs if not d.startswith(".") and d != "test")
            found += [os.path.join(here, f) for f in sorted(files) if f.endswith("_pkg.sv")]
    declared, uses = {}, {}
    for path in found:
        text = open(path, errors="replace").read()
        for name in re.findall(r"^\s*package\s+(\w+)", text, re.M):
            declared.setdefault(name, path)
        uses[path] = set(re.findall(r"\b(\w+)::", text))
    ordered, state = [], {}

    def visit(path):
        if state.get(path):
            return  # done, or a cycle: Verilator will say so
        state[path] = True
        for name in sorted(uses[path]):
            if name in declared and declared[name] != path:
                visit(declared[name])
        ordered.append(path)

    for path in found:
        visit(path)
    return ordered


def verilator_reading(path, top, dirs, work, before=()):
    out = os.path.join(work, "v.xml")
    cmd = ["verilator", "--xml-only", "--timing", "-Wno-fatal", "-Wno-lint", "-Wno-style", "--bbox-unsup",
           "--top-module", top, "--xml-output", out, "+libext+.sv+.v+.svh"]
    for d in dirs:
        cmd += ["-y", d, "+incdir+" + d]
    cmd += list(before) + [path]
    try:
        run = subprocess.run(cmd, capture_output=True, text=True, timeout=120, cwd=work)
    except subprocess.TimeoutExpired:
        return None  # counted as a file Verilator does not read
    if run.returncode != 0 or not os.path.exists(out):
        return None
    tree = ET.parse(out).getroot()
    types = {t.get("id"): t for t in tree.iter() if t.get("id") is not None}
    for module in tree.iter("module"):
        if module.get("origName") == top or module.get("name") == top:
            return ports_of(module, types)
    return None


def dims_of(dtype_id, types):
    """Packed and unpacked dimension counts and the numeric bounds of the packed ones."""
    packed, unpacked, bounds = 0, 0, []
    node = types.get(dtype_id)
    while node is not None:
        tag = node.tag
        if tag == "unpackarraydtype":
            unpacked += 1
        elif tag == "packarraydtype":
            packed += 1
            consts = [c.get("name") for c in node.find("range") or []]
            bounds.append(tuple(consts))
        elif tag == "basicdtype":
            if node.get("left") is not None and node.get("name") not in INTEGER_ATOMS:
                packed += 1
                bounds.append((node.get("left"), node.get("right")))
            return packed, unpacked, bounds, node.get("name")
        else:
            return packed, unpacked, bounds, tag  # a typedef, struct, enum or interface
        node = types.get(node.get("sub_dtype_id"))
    return packed, unpacked, bounds, None


def ports_of(module, types):
    ports = []
    for var in module.iter("var"):
        if var.get("dir") not in ("input", "output") or var.get("pinIndex") is None:
            continue
        dtype = types.get(var.get("dtype_id"))
        if dtype is not None and dtype.tag == "ifacerefdtype":
            continue
        packed, unpacked, bounds, base = dims_of(var.get("dtype_id"), types)
        ports.append(dict(name=var.get("origName") or var.get("name"), dir=var.get("dir"),
                          pin=int(var.get("pinIndex")), packed=packed, unpacked=unpacked,
                          bounds=bounds, base=base, vartype=var.get("vartype")))
    ports.sort(key=lambda p: p["pin"])
    return ports


def count_groups(text):
    depth, groups = 0, 0
    for c in text:
        if c == "[":
            if depth == 0:
                groups += 1
            depth += 1
        elif c == "]":
            depth -= 1
    return groups


def numeric_bounds(tuple_pieces):
    """[7:0] -> ('7', '0') when the dimension is written with plain numbers."""
    found = []
    for piece in tuple_pieces:
        for m in re.finditer(r"\[(\d+):(\d+)\]", piece):
            found.append((m.group(1), m.group(2)))
    return found


def verilator_numbers(bounds):
    out = []
    for left, right in bounds:
        def value(text):
            m = re.search(r"h([0-9a-f]+)$", text or "")
            return str(int(m.group(1), 16)) if m else text
        out.append((value(left), value(right)))
    return out


def compare(ours, theirs):
    """The first difference between two readings, or None."""
    mine = [dict(name=p["name"].rstrip(), dir=d, port=p) for d in ("input", "output")
            for p in ours[d + "s"]]
    for direction in ("input", "output"):
        a = [m for m in mine if m["dir"] == direction]
        b = [t for t in theirs if t["dir"] == direction]
        names_a = [m["name"] for m in a]
        names_b = [t["name"] for t in b]
        if names_a != names_b:
            return f"{direction}s differ: nocgen {names_a} verilator {names_b}"
        for m, t in zip(a, b):
            tup = m["port"]["tuple"][:-1]
            unpacked = count_groups("".join(tup[4:]))
            packed = count_groups(tup[0]) + count_groups(tup[1])
            if unpacked != t["unpacked"]:
                return f"{m['name']}: {unpacked} unpacked dimensions, verilator {t['unpacked']}"
            written_type = m["port"]["type"].split()
            plain = not written_type or all(w in ("logic", "reg", "bit", "wire", "var", "signed",
                                                  "unsigned", "tri", "uwire") for w in written_type)
            if plain and packed != t["packed"]:
                return f"{m['name']}: {packed} packed dimensions, verilator {t['packed']}"
            if plain and packed == t["packed"]:
                ours_n = numeric_bounds(tup[:2])
                if ours_n and len(ours_n) == packed and ours_n != verilator_numbers(t["bounds"]):
                    return f"{m['name']}: bounds {ours_n}, verilator {t['bounds']}"
    return None


def check_file(args, path, root, dirs, packages):
    before = [p for p in list(args.prelude) + list(packages) if p != path]
    with tempfile.TemporaryDirectory() as work:
        ours, error = nocgen_reading(args.nocgen, path, root, dirs, before, work)
        if error is not None:
            top = None
            m = re.search(r"^\s*(?:module|macromodule)\s+(?:automatic\s+|static\s+)?(\w+)",
                          open(path, errors="replace").read(), re.M)
            if not m:
                return path, "skip", "no module"
            theirs = verilator_reading(path, m.group(1), dirs, work, before)
            if theirs is None:
                return path, "skip", "verilator does not read it either"
            return path, "refused", error
        if not ours["module_names"]:
            return path, "skip", "no module"
        top = ours["module_names"][0]
        theirs = verilator_reading(path, top, dirs, work, before)
        if theirs is None:
            return path, "skip", "verilator does not read it"
        diff = compare(ours, theirs)
        return path, ("differs" if diff else "agrees"), diff or ""


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--nocgen", required=True)
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--verbose", action="store_true", help="also list skipped files")
    parser.add_argument("--packages", action="store_true",
                        help="give Verilator every *_pkg.sv first (for trees that need it)")
    parser.add_argument("--also", action="append", default=[],
                        help="a tree the roots depend on (searched, not compared)")
    parser.add_argument("--prelude", action="append", default=[],
                        help="a file compiled before every tested one (a defines file)")
    parser.add_argument("roots", nargs="+")
    args = parser.parse_args()
    # Verilator runs in a temporary directory: every path it is given must be absolute.
    args.prelude = [os.path.abspath(p) for p in args.prelude]
    args.also = [os.path.abspath(p) for p in args.also]
    total = {"agrees": 0, "differs": 0, "refused": 0, "skip": 0}
    for root in args.roots:
        root = os.path.abspath(root)
        dirs = source_dirs(root) + [d for also in args.also for d in source_dirs(also)]
        packages = package_files(args.also + [root]) if args.packages else []
        files = sorted(os.path.join(here, f) for here, _, fs in os.walk(root) for f in fs
                       if f.endswith((".sv", ".v")))
        counts = {"agrees": 0, "differs": 0, "refused": 0, "skip": 0}
        with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
            for path, verdict, detail in pool.map(lambda p: check_file(args, p, root, dirs, packages), files):
                counts[verdict] += 1
                if verdict in ("differs", "refused") or (args.verbose and verdict == "skip"):
                    print(f"{verdict}: {os.path.relpath(path, root)}: {detail}", flush=True)
        read = counts["agrees"] + counts["differs"] + counts["refused"]
        share = 100.0 * counts["agrees"] / read if read else 0.0
        print(f"== {os.path.basename(root)}: {read} modules Verilator reads, {counts['agrees']} "
              f"agree ({share:.1f}%), {counts['differs']} differ, {counts['refused']} refused; "
              f"{counts['skip']} files skipped", flush=True)
        for k in total:
            total[k] += counts[k]
    read = total["agrees"] + total["differs"] + total["refused"]
    print(f"== all: {read} modules, {total['agrees']} agree "
          f"({100.0 * total['agrees'] / max(read, 1):.1f}%), {total['differs']} differ, "
          f"{total['refused']} refused")


if __name__ == "__main__":
    sys.exit(main())
