#!/usr/bin/env python3
"""Mutation check: apply each single-line fault of mutants.tsv, rebuild, run the tests, restore.

usage: tests/mutate/mutate.py [BUILD_DIR] [-k SUBSTRING]   (run from the source root)
A mutant line is FILE<TAB>FRAGMENT<TAB>REPLACEMENT; FRAGMENT must occur on exactly one line of
FILE, so the list survives edits elsewhere. Prints CAUGHT / ESCAPED per mutant and a summary."""
import os, pathlib, subprocess, sys

TARGETS = ["test_base", "test_sheet", "test_script", "test_app", "kovash"]
FIRST = {"ui": "test_base", "sheet": "test_sheet", "script": "test_script"}  # likeliest catcher first


def load(path):
    for n, ln in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if ln.strip() and not ln.startswith("#"):
            f, frag, repl = ln.split("\t")
            yield n, f, frag, repl


def run_tests(build, area):
    order = [FIRST[area]] + [t for t in TARGETS[:4] if t != FIRST[area]]
    for t in order:
        try:
            r = subprocess.run([f"{build}/tests/{t}", "--gtest_fail_fast", "--gtest_brief=1"],
                               capture_output=True, timeout=300)
        except subprocess.TimeoutExpired:
            return t + " (timeout)"
        if r.returncode != 0:
            return t
    return None


def one(build, f, frag, repl):
    src = pathlib.Path(f)
    old = src.read_bytes()
    lines = old.decode("utf-8").split("\n")
    hits = [i for i, ln in enumerate(lines) if frag in ln]
    if len(hits) != 1:
        return f"BAD ({len(hits)} lines match)"
    lines[hits[0]] = lines[hits[0]].replace(frag, repl)
    try:
        src.write_bytes("\n".join(lines).encode("utf-8"))
        b = subprocess.run(["nice", "cmake", "--build", build, "--target", *TARGETS],
                           capture_output=True)
        if b.returncode != 0:
            return "NOBUILD"
        who = run_tests(build, f.split("/")[0])
        return f"CAUGHT {who}" if who else "ESCAPED"
    finally:
        src.write_bytes(old)


def main():
    args = sys.argv[1:]
    key = args[args.index("-k") + 1] if "-k" in args else ""
    build = next((a for a in args if a != "-k" and a != key), "build")
    here = pathlib.Path(__file__).parent
    res = []
    for n, f, frag, repl in load(here / "mutants.tsv"):
        if key in f"{f} {frag}":
            r = one(build, f, frag, repl)
            print(f"{n:3} {r:28} {f}: {frag.strip()}", flush=True)
            res.append(r)
    subprocess.run(["nice", "cmake", "--build", build, "--target", *TARGETS], capture_output=True)
    caught = sum(r.startswith("CAUGHT") for r in res)
    print(f"mutants {len(res)}, caught {caught}, escaped {res.count('ESCAPED')}, "
          f"other {len(res) - caught - res.count('ESCAPED')}")


if __name__ == "__main__":
    main()
