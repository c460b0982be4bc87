#!/usr/bin/env python3
"""Plants small faults in src/, one at a time, and counts how many the test
suite catches. Each line of the list reads

    path | original text | faulty text

(the original must stand exactly once in the file). A fault counts as caught
when the build fails or any test fails or times out. The tree is restored
after every fault, also when interrupted.

    scripts/mutants.py [--list scripts/mutants.txt] [--build DIR] [--only SUBSTRING] [--matrix]

With --matrix the whole suite runs for every fault and the tests that
failed are named, so one can see which tests alone catch a fault.
"""
import argparse
import os
import pathlib
import re
import subprocess
import sys
import time

root = pathlib.Path(__file__).resolve().parent.parent


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=root, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--list", default=str(root / "scripts" / "mutants.txt"))
    ap.add_argument("--build", default=str(root / "build-mutants"))
    ap.add_argument("--only", default="")
    ap.add_argument("--matrix", action="store_true")
    args = ap.parse_args()

    faults = []
    for n, line in enumerate(pathlib.Path(args.list).read_text().splitlines(), 1):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        path, old, new = (part.strip().replace("\\|", "|") for part in re.split(r"(?<!\\)\|", line))
        if args.only in line:
            faults.append((n, path, old, new))

    build = args.build
    cfg = run(["cmake", "-S", ".", "-B", build, "-G", "Ninja", "-DVARNEL_WERROR=ON"])
    if cfg.returncode != 0:
        sys.exit(cfg.stdout)
    base = run(["cmake", "--build", build])
    if base.returncode != 0:
        sys.exit("the unchanged tree does not build:\n" + base.stdout[-3000:])
    ctest = ["ctest", "--test-dir", build, "-j2", "--timeout", "120"] + ([] if args.matrix else ["--stop-on-failure"])
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    if run(ctest, env=env).returncode != 0:
        sys.exit("the unchanged tree fails its tests")

    caught = 0
    missed = []
    for n, path, old, new in faults:
        file = root / path
        text = file.read_text()
        if text.count(old) != 1:
            sys.exit(f"line {n}: '{old}' stands {text.count(old)} times in {path}")
        start = time.time()
        try:
            file.write_text(text.replace(old, new))
            built = run(["cmake", "--build", build])
            if built.returncode != 0:
                verdict = "caught (build)"
            else:
                tested = run(ctest, env=env)
                verdict = "caught" if tested.returncode != 0 else "MISSED"
                if args.matrix and tested.returncode != 0:
                    failed = re.findall(r"^\s*\d+ - (\S+)", tested.stdout.split("tests FAILED:")[-1], re.M)
                    verdict += " by " + " ".join(failed)
        finally:
            file.write_text(text)
        if verdict.startswith("caught"):
            caught += 1
        else:
            missed.append(f"{path}: {old} -> {new}")
        print(f"{time.time() - start:5.0f} s  {path}: {old} -> {new}\n      {verdict}", flush=True)
    run(["cmake", "--build", build])  # leave the build matching the tree
    print(f"\ncaught {caught} of {len(faults)} planted faults ({100.0 * caught / max(len(faults), 1):.0f} %)")
    for m in missed:
        print("  missed:", m)


if __name__ == "__main__":
    main()
