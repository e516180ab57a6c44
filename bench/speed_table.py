#!/usr/bin/env python3
"""Times `nocgen generate` on square meshes next to `cp` of the same output, as processes, and
prints one row per size: best wall and CPU time of a few runs, output size, throughput, the
ratios to cp, time per router, peak resident memory, and the times of `check` and of a
generate whose output is unchanged."""
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time

RUNS = int(os.environ.get("NOC_BENCH_RUNS", "3"))


def timed(command, before=None):
    """Best (wall s, CPU s) of RUNS runs and the largest peak RSS in MB."""
    best_wall = best_cpu = float("inf")
    peak = 0
    for _ in range(RUNS):
        if before:
            before()
        start = time.perf_counter()
        # Warnings (a mesh past 32 tiles has one) would interleave with the table.
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
        if status != 0:
            sys.exit(f"{command} failed")
        best_wall = min(best_wall, wall)
        best_cpu = min(best_cpu, usage.ru_utime + usage.ru_stime)
        peak = max(peak, usage.ru_maxrss / 1024)
    return best_wall, best_cpu, peak


def remove(path):
    return lambda: path.unlink(missing_ok=True)


def row(label, nocgen, design, routers):
    """Times one build on the design and prints its row."""
    out = design / "noc_soc.sv"
    generate = [nocgen, "generate", "-q", str(design)]
    wall, cpu, rss = timed(generate, remove(out))
    copy = design / "copy.sv"
    cp_wall, cp_cpu, _ = timed(["cp", str(out), str(copy)], remove(copy))
    check_wall, _, _ = timed([nocgen, "check", str(design)])
    same_wall, _, _ = timed(generate)
    mb = out.stat().st_size / 1e6
    print(f"{label:<9} {routers:>8} {wall * 1e3:>8.0f} {mb:>7.1f} "
          f"{mb / wall:>6.0f} {cp_wall * 1e3:>7.0f} {wall / cp_wall:>6.1f} "
          f"{cpu / max(cp_cpu, 1e-3):>6.1f} {wall * 1e6 / routers:>7.2f} {rss:>7.0f} "
          f"{check_wall * 1e3:>7.0f} {same_wall * 1e3:>7.0f}", flush=True)


def main():
    nocgen, example = sys.argv[1], pathlib.Path(sys.argv[2])
    sizes = [int(s) for s in sys.argv[3:]] or [16, 64, 128, 256, 512]
    # An earlier build's nocgen, timed on the same design right after this one's.
    old = os.environ.get("NOC_BENCH_OLD_NOCGEN")
    print(f"{'mesh':<9} {'routers':>8} {'ms':>8} {'MB':>7} {'MB/s':>6} {'cp_ms':>7} "
          f"{'x_wall':>6} {'x_cpu':>6} {'us/rtr':>7} {'RSS_MB':>7} {'check':>7} {'same':>7}")
    for side in sizes:
        with tempfile.TemporaryDirectory(prefix=f"noc_speed_{side}_") as work:
            design = pathlib.Path(work)
            for name in ("noc_router.sv", "compute_tile.sv"):
                shutil.copy(example / name, design / name)
            subprocess.run([nocgen, "topology", "mesh", f"{side}x{side}", "--force", "-o",
                            str(design / "noc_soc.json")], check=True, stdout=subprocess.DEVNULL)
            row(f"{side}x{side}", nocgen, design, side * side)
            if old:
                row("  old", old, design, side * side)


if __name__ == "__main__":
    main()
