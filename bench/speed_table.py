#!/usr/bin/env python3
"""Times `nocgen generate` on square meshes next to `cp` of the same output, as processes, and
prints one row per size: best wall and CPU time of a few runs, output size, throughput, the
ratios to cp, the same for a cold run (after the machine was idle) and for a run that
replaces a different top, the write-only floor (the same bytes written in the writer's block
size into a file reserved ahead, timed inside that program) and generate's ratio to it, time per
router, peak resident memory, and the times of `check` and of a generate whose output is
unchanged."""
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


# Seconds idle before each cold run: long enough for the machine to take back the memory the
# last run freed, as it does between a user's runs.
COLD_SLEEP = float(os.environ.get("NOC_BENCH_COLD_SLEEP", "3"))


def idle_then(action):
    def before():
        action()
        time.sleep(COLD_SLEEP)
    return before


def put_back(source, target):
    return lambda: shutil.copyfile(source, target)


# The bench's program that only writes the top's bytes in the writer's block size.
FLOOR = pathlib.Path(__file__).resolve().parent.parent / "build" / "release" / "bench" / "write_floor"


def write_floor(top, target):
    """Best milliseconds of RUNS runs of writing `top`'s bytes to a fresh `target`."""
    best = float("inf")
    for _ in range(RUNS):
        target.unlink(missing_ok=True)
        run = subprocess.run([str(FLOOR), str(top), str(target)], check=True,
                             capture_output=True, text=True)
        best = min(best, float(run.stdout))
    target.unlink(missing_ok=True)
    return best


def row(label, nocgen, design, routers):
    """Times one build on the design and prints its row: fresh (no output), cold (a fresh
    output after the machine was idle), replace (a different top in place), next to cp doing
    the same to the same bytes."""
    out = design / "noc_soc.sv"
    generate = [nocgen, "generate", "-q", str(design)]
    wall, cpu, rss = timed(generate, remove(out))
    copy = design / "copy.sv"
    cp = ["cp", str(out), str(copy)]
    cp_wall, cp_cpu, _ = timed(cp, remove(copy))
    cold_wall, _, _ = timed(generate, idle_then(remove(out)))
    cp_cold, _, _ = timed(cp, idle_then(remove(copy)))
    # A top that differs from the new one in its first line: the whole file is written again.
    other = design / "other.sv"
    # Copied without reading it in here: a child's peak RSS counts this process's memory too.
    with open(other, "wb") as target, open(out, "rb") as source:
        target.write(b"//")
        shutil.copyfileobj(source, target)
    repl_wall, _, _ = timed(generate, put_back(other, out))
    cp_repl, _, _ = timed(cp, put_back(other, copy))
    floor = write_floor(out, design / "floor.sv")
    check_wall, _, _ = timed([nocgen, "check", str(design)])
    same_wall, _, _ = timed(generate)
    mb = out.stat().st_size / 1e6
    print(f"{label:<9} {routers:>8} {wall * 1e3:>8.0f} {mb:>7.1f} "
          f"{mb / wall:>6.0f} {cp_wall * 1e3:>7.0f} {wall / cp_wall:>6.1f} "
          f"{cpu / max(cp_cpu, 1e-3):>6.1f} {cold_wall * 1e3:>7.0f} {cold_wall / cp_cold:>6.1f} "
          f"{repl_wall * 1e3:>7.0f} {repl_wall / cp_repl:>6.1f} "
          f"{floor:>6.0f} {wall * 1e3 / floor:>7.1f} "
          f"{wall * 1e6 / routers:>7.2f} {rss:>7.0f} "
          f"{check_wall * 1e3:>7.0f} {same_wall * 1e3:>7.0f}", flush=True)


def main():
    nocgen, example = sys.argv[1], pathlib.Path(sys.argv[2])
    sizes = [int(s) for s in sys.argv[3:]] or [16, 64, 128, 256, 512]
    # An earlier build's nocgen, timed on the same design right after this one's.
    old = os.environ.get("NOC_BENCH_OLD_NOCGEN")
    print(f"{'mesh':<9} {'routers':>8} {'ms':>8} {'MB':>7} {'MB/s':>6} {'cp_ms':>7} "
          f"{'x_wall':>6} {'x_cpu':>6} {'cold':>7} {'x_cold':>6} {'repl':>7} {'x_repl':>6} "
          f"{'floor':>6} {'x_floor':>7} "
          f"{'us/rtr':>7} {'RSS_MB':>7} {'check':>7} {'same':>7}")
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
