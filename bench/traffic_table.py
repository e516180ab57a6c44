#!/usr/bin/env python3
"""Times `nocgen traffic` on square meshes of the routing example's router, Verilator's runtime
warm in a cache folder of its own: all-pairs (the build and one simulation), and a uniform sweep
of five rates (the build and five simulations), with the simulated cycles beside.

usage: traffic_table.py NOCGEN ROUTING_EXAMPLE_DIR"""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time


def design(nocgen, example, root, side):
    work = root / f"mesh_{side}x{side}"
    shutil.copytree(example, work, ignore=shutil.ignore_patterns("noc_soc.sv", "noc_soc.json"))
    subprocess.run([nocgen, "topology", "mesh", f"{side}x{side}", "-o", str(work / "noc_soc.json")],
                   check=True, capture_output=True)
    return work


def run(command, env):
    start = time.perf_counter()
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        sys.exit(f"{command} failed:\n{result.stdout}{result.stderr}")
    return time.perf_counter() - start, result.stdout


def main():
    nocgen, example = sys.argv[1], pathlib.Path(sys.argv[2])
    print(f"{'traffic':<9} {'dests':>6} {'all_pairs_s':>12} {'cycles':>7} {'sweep_s':>8} "
          f"{'sim_cycles':>11}")
    with tempfile.TemporaryDirectory() as tmp:
        root = pathlib.Path(tmp)
        env = {"PATH": "/usr/bin:/bin", "HOME": tmp, "XDG_CACHE_HOME": str(root / "cache")}
        for side in (4, 8):
            work = design(nocgen, example, root, side)
            run([nocgen, "traffic", str(work)], env)  # fills the runtime cache
            all_pairs, out = run([nocgen, "traffic", str(work)], env)
            found = re.search(r"of (\d+) packets delivered in (\d+) cycles", out)
            sweep, _ = run([nocgen, "traffic", str(work), "--pattern", "uniform", "--rates",
                            "0.02:0.1:0.02"], env)
            cycles = 5 * (1000 + 2000)
            print(f"{f'{side}x{side}':<9} {2 * side * side:>6} {all_pairs:>12.1f} "
                  f"{found[2]:>7} {sweep:>8.1f} {cycles:>10}+")


if __name__ == "__main__":
    main()
