#!/usr/bin/env python3
"""Times `nocgen verify` of generated meshes: cold (Verilator's runtime compiled afresh) and warm
(taken from the cache a first run kept), in a cache folder of its own. With a second nocgen,
an earlier build, its time is printed beside (it has no cache, so cold and warm are the same).

usage: verify_table.py NOCGEN EXAMPLE_DIR [OLD_NOCGEN]"""
import pathlib
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
    subprocess.run([nocgen, "generate", "-q", str(work)], check=True)
    return work


def seconds(command, env):
    start = time.perf_counter()
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    if result.returncode != 0:
        sys.exit(f"{command} failed:\n{result.stdout}{result.stderr}")
    return time.perf_counter() - start


def main():
    nocgen, example = sys.argv[1], pathlib.Path(sys.argv[2])
    old = sys.argv[3] if len(sys.argv) > 3 else None
    print(f"{'verify':<9} {'cold_s':>8} {'warm_s':>8}" + (f" {'old_s':>8}" if old else ""))
    with tempfile.TemporaryDirectory() as tmp:
        root = pathlib.Path(tmp)
        env = {"PATH": "/usr/bin:/bin", "HOME": tmp, "XDG_CACHE_HOME": str(root / "cache")}
        for side in (2, 8, 16):
            work = design(nocgen, example, root, side)
            cold = seconds([nocgen, "verify", str(work), "--no-cache"], env)
            seconds([nocgen, "verify", str(work)], env)
            warm = seconds([nocgen, "verify", str(work)], env)
            row = f"{f'{side}x{side}':<9} {cold:>8.1f} {warm:>8.1f}"
            if old:
                row += f" {seconds([old, 'verify', str(work)], env):>8.1f}"
            print(row)


if __name__ == "__main__":
    main()
