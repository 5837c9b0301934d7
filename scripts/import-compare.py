#!/usr/bin/env python3
"""Times one step of the photo import against libjpeg-turbo's tools on the same photos.

usage: import-compare.py decode|copy BENCH_IMPORT

Both sides run on processor 0 only; every figure is the best of RUNS runs over the ten photos of
each size that bench_import makes. Wall time and processor time (user + system) are both given:
on a busy machine the processor time is the steadier of the two.
"""
import json
import os
import resource
import subprocess
import sys
import tempfile
import time

RUNS = 5
PIN = ["taskset", "-c", "0"]
SIZES = [(4000, 3000), (6000, 4000)]


def screen_scale(w, h):
    """The decode scale loadJpegScaled chooses."""
    s = (w + h) // 2
    return 8 if s > 1280 else 4 if s > 640 else 2 if s > 320 else 1


def full_scale(w, h):
    """The decode scale loadJpegFull chooses."""
    return 2 if w + h > 4096 else 1


def ours(bench, name, k):
    """Best wall and processor milliseconds of bench_import's step for the ten photos of size k."""
    out = subprocess.run(PIN + [bench, f"--benchmark_filter=^{name}/{k}/", f"--benchmark_repetitions={RUNS}",
                                "--benchmark_format=json", "--benchmark_min_time=0.01"],
                         check=True, capture_output=True, text=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    return min(b["real_time"] for b in runs), min(b["cpu_time"] for b in runs)


def peer(command_for, photos):
    """Best wall and processor milliseconds of running the peer's command on every photo."""
    best_wall = best_cpu = float("inf")
    with tempfile.TemporaryDirectory() as out:
        for _ in range(RUNS):
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            t0 = time.perf_counter()
            for p in photos:
                subprocess.run(PIN + ["sh", "-c", command_for(p, out)], check=True)
            wall = (time.perf_counter() - t0) * 1e3
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            cpu = (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1e3
            best_wall, best_cpu = min(best_wall, wall), min(best_cpu, cpu)
    return best_wall, best_cpu


def peer_command(step, w, h):
    if step == "decode":
        n = screen_scale(w, h)
        return f"djpeg -scale 1/{n} -bmp", lambda p, out: f"djpeg -scale 1/{n} -bmp -outfile {out}/o.bmp {p}"
    n = full_scale(w, h)
    scale = f"-scale 1/{n} " if n > 1 else ""
    return (f"djpeg {scale}| cjpeg -quality 90",
            lambda p, out: f"djpeg {scale}{p} | cjpeg -quality 90 -outfile {out}/o.jpg")


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("decode", "copy"):
        sys.exit(__doc__)
    step, bench = sys.argv[1], sys.argv[2]
    folder = subprocess.run([bench, "--make-photos"], check=True, capture_output=True, text=True).stdout.strip()
    name = "BM_ScreenStep" if step == "decode" else "BM_CopyStep"
    for k, (w, h) in enumerate(SIZES):
        photos = sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(f"_{w}x{h}.jpg"))
        label, command_for = peer_command(step, w, h)
        our_wall, our_cpu = ours(bench, name, k)
        peer_wall, peer_cpu = peer(command_for, photos)
        n = len(photos)
        print(f"{step} {w}x{h}, {n} photos: ours {our_wall / n:.1f} ms/photo wall, {our_cpu / n:.1f} cpu; "
              f"{label} {peer_wall / n:.1f} wall, {peer_cpu / n:.1f} cpu; "
              f"ratio {our_wall / peer_wall:.2f} wall, {our_cpu / peer_cpu:.2f} cpu")


if __name__ == "__main__":
    main()
