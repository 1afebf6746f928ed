#!/usr/bin/python3
"""Wipe throughput of cendrix-cli format against dd on the same target.

Creates a 2 GiB image file and overwrites it with zeros, alternately with
`cendrix-cli format 0 --yes` (whole disk, through a simulated machine whose
disk is that image; the simulated disk writes with O_DIRECT where the file
system allows it) and with `dd if=/dev/zero of=IMAGE bs=32M oflag=direct
conv=notrunc` (the same byte count), three rounds each, and prints both
throughputs and the median of the per-round ratios cendrix/dd. The goal is a
ratio of at least 0.97.

When run as root it then does the same on a loop device made from the image,
provided the real-disk backend of cendrix-cli lists that loop device when
allowed to (CENDRIX_ALLOW_DISKS=loopN, CENDRIX_MACHINE unset); otherwise it
says why that round is skipped.

    bench/wipe_bench.py [--cli build/bin/cendrix-cli] [--dir build/bench]
                        [--size BYTES] [--rounds 3] [--keep]

The image lives in --dir, which must be on a real file system (not tmpfs)
for direct I/O to mean anything. Uses only Python's standard library.
"""

import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

BLOCK = 32 * 1024 * 1024


def run(cmd, env=None, check=True):
    result = subprocess.run(cmd, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if check and result.returncode != 0:
        sys.exit(f"wipe_bench: {' '.join(cmd)} failed ({result.returncode}):\n{result.stderr}")
    return result


def timed(cmd, env=None):
    start = time.perf_counter()
    result = run(cmd, env=env)
    return time.perf_counter() - start, result


def cli_env(machine=None, allow=None):
    env = dict(os.environ)
    env.pop("CENDRIX_MACHINE", None)
    env.pop("CENDRIX_ALLOW_DISKS", None)
    if machine:
        env["CENDRIX_MACHINE"] = machine
    if allow:
        env["CENDRIX_ALLOW_DISKS"] = allow
    return env


def average_line(stdout):
    match = re.search(r"平均速度:\s+(\S+ MB/s)", stdout)
    return match.group(1) if match else "?"


def mbps(size, seconds):
    return size / 1e6 / seconds


def compare(label, size, rounds, cendrix_cmd, cendrix_env, dd_cmd):
    """Alternates the two wipes; returns the median ratio."""
    print(f"\n{label}: {size:,} bytes, {rounds} rounds, alternating")
    print(f"  {'round':>5}  {'cendrix MB/s':>12}  {'(own figure)':>14}  {'dd MB/s':>9}  {'ratio':>6}")
    ours, theirs, ratios = [], [], []
    for n in range(1, rounds + 1):
        seconds, result = timed(cendrix_cmd, cendrix_env)
        if "低级格式化完成." not in result.stdout:
            sys.exit(f"wipe_bench: the cendrix wipe did not complete:\n{result.stdout}{result.stderr}")
        c = mbps(size, seconds)
        own = average_line(result.stdout)
        seconds, _ = timed(dd_cmd)
        d = mbps(size, seconds)
        ours.append(c)
        theirs.append(d)
        ratios.append(c / d)
        print(f"  {n:>5}  {c:>12.1f}  {own:>14}  {d:>9.1f}  {c / d:>6.3f}")
    ratio = statistics.median(ratios)
    print(f"  median cendrix {statistics.median(ours):.1f} MB/s, dd {statistics.median(theirs):.1f} MB/s, "
          f"median ratio cendrix/dd {ratio:.3f} (goal >= 0.97: {'met' if ratio >= 0.97 else 'NOT met'})")
    return ratio


def dd_command(target, size):
    return ["dd", "if=/dev/zero", f"of={target}", f"bs={BLOCK}", f"count={size // BLOCK}",
            "oflag=direct", "conv=notrunc", "status=none"]


def loop_round(args, image, size):
    if os.geteuid() != 0:
        print("\nloop device: skipped (needs root to attach a loop device)")
        return
    if shutil.which("losetup") is None:
        print("\nloop device: skipped (losetup is not installed)")
        return
    attach = run(["losetup", "--find", "--show", "--direct-io=on", image], check=False)
    if attach.returncode != 0:
        print(f"\nloop device: skipped (losetup failed: {attach.stderr.strip()})")
        return
    device = attach.stdout.strip()
    name = os.path.basename(device)
    try:
        listed = run([args.cli, "list", "--json"], env=cli_env(allow=name), check=False)
        if listed.returncode != 0:
            why = listed.stderr.strip().splitlines()[-1] if listed.stderr.strip() else f"status {listed.returncode}"
            print(f"\nloop device {device}: skipped (cendrix-cli list with CENDRIX_ALLOW_DISKS={name} "
                  f"failed: {why})")
            return
        try:
            entries = json.loads(listed.stdout or "[]")
        except json.JSONDecodeError:
            print(f"\nloop device {device}: skipped (cendrix-cli list --json gave no JSON)")
            return
        # Only the one allowed disk may be listed, and it must be exactly the
        # image's size: anything else is not our loop device, and is not wiped.
        mine = [e for e in entries if e.get("lba", 0) * e.get("sectorSize", 0) == size]
        if len(entries) != 1 or len(mine) != 1:
            print(f"\nloop device {device}: skipped (cendrix-cli list with CENDRIX_ALLOW_DISKS={name} shows "
                  f"{len(entries)} disk(s), none or several of {size:,} bytes)")
            return
        disk = str(mine[0]["deviceNumber"])
        print(f"\nloop device {device} is disk {disk} ({mine[0].get('bus', '?')}, {mine[0].get('model', '').strip()})")
        compare(f"loop device {device}", size, args.rounds,
                [args.cli, "format", disk, "--yes"], cli_env(allow=name), dd_command(device, size))
    finally:
        run(["losetup", "--detach", device], check=False)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(root, "build", "bin", "cendrix-cli"))
    parser.add_argument("--dir", default=os.path.join(root, "build", "bench"))
    parser.add_argument("--size", type=int, default=2 * 1024 ** 3)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--keep", action="store_true", help="keep the image afterwards")
    args = parser.parse_args()
    if args.size <= 0 or args.size % BLOCK != 0:
        sys.exit(f"wipe_bench: --size must be a positive multiple of {BLOCK}")
    if not os.access(args.cli, os.X_OK):
        sys.exit(f"wipe_bench: {args.cli} is not there; build first (cmake --build build)")

    os.makedirs(args.dir, exist_ok=True)
    image = os.path.join(args.dir, "wipe-bench.img")
    machine = os.path.join(args.dir, "wipe-bench.json")
    with open(machine, "w") as f:
        json.dump({"disks": [{"number": 0, "image": os.path.basename(image), "size": args.size, "bus": 11,
                              "product": "BENCH IMAGE", "revision": "1.0", "serial": "BENCH"}],
                   "volumes": []}, f)
    # Written once in full, so that every timed run overwrites allocated blocks.
    if not os.path.exists(image) or os.path.getsize(image) != args.size:
        print(f"creating {image} ({args.size:,} bytes)")
        with open(image, "wb"):
            pass
        run(dd_command(image, args.size))
    fs = run(["stat", "-f", "-c", "%T", args.dir], check=False).stdout.strip()
    print(f"image {image} on {fs or 'an unknown file system'}; cendrix-cli {args.cli}")

    try:
        compare("image file", args.size, args.rounds,
                [args.cli, "format", "0", "--yes"], cli_env(machine=machine), dd_command(image, args.size))
        loop_round(args, image, args.size)
    finally:
        if not args.keep:
            os.remove(image)


if __name__ == "__main__":
    main()
