#!/usr/bin/env python3
"""Mutation check: apply single-line faults one at a time, rebuild, run the tests, restore.

usage (from the source root):
  tests/mutate/mutate.py [BUILD_DIR] [-k SUBSTRING]     the faults of mutants.tsv: CAUGHT / ESCAPED
  tests/mutate/mutate.py BUILD_DIR --matrix OUT.tsv [--generate N --seed S --dirs sheet,app]
                                                        which tests catch which fault (the kill
                                                        matrix), for trimming tests with evidence
  tests/mutate/mutate.py --report OUT.tsv               the summary of a matrix written before
A line of mutants.tsv is FILE<TAB>FRAGMENT<TAB>REPLACEMENT; FRAGMENT must occur on exactly one
line of FILE, so the list survives edits elsewhere. Generated faults apply one operator at one
place of a code line. The matrix is written as it goes: FILE, LINE, the change, the failing
tests (none: escaped); its summary lists the tests that alone catch a fault and a greedy set of
tests that together catch every caught fault."""
import json, os, pathlib, random, re, subprocess, sys, tempfile

PROGRAMS = ["test_base", "test_sheet", "test_script", "test_builtins", "test_gadgets", "test_devices", "test_app",
            "test_print", "test_editor", "test_qt"]
FIRST = {d: "test_" + d for d in ("base", "sheet", "script", "builtins", "gadgets", "devices", "print", "editor")}


def env(prog):
    # The window's tests on the offscreen platform; the others as without a display (with a
    # platform set, the program's own runs in test_app would open windows).
    return dict(os.environ, QT_QPA_PLATFORM="offscreen") if prog == "test_qt" else None


OPS = [(r"(?<![<>=!])<=(?!=)", "<"), (r"(?<![<>-])<(?![<=])", "<="), (r"(?<![<>=!])>=", ">"),
       (r"(?<![->])>(?![>=])", ">="), (r"==", "!="), (r"!=", "=="), (r"&&", "||"), (r"\|\|", "&&"),
       (r" \+ 1\b", " - 1"), (r" - 1\b", " + 1"), (r"return 0;", "return -1;"),
       (r"return -1;", "return 0;"), (r"\(!(?=[a-z_])", "(")]


def listed(here, key):
    for ln in (here / "mutants.tsv").read_text(encoding="utf-8").splitlines():
        if not ln.strip() or ln.startswith("#") or key not in ln:
            continue
        f, frag, rep = ln.split("\t")
        lines = pathlib.Path(f).read_text(encoding="utf-8").split("\n")
        hits = [i for i, x in enumerate(lines) if frag in x]
        if len(hits) != 1:
            print(f"BAD ({len(hits)} lines match) {f}: {frag}")
            continue
        a = lines[hits[0]].index(frag)
        yield f, hits[0], a, a + len(frag), lines[hits[0]][a:a + len(frag)].replace(frag, rep)


def generate(dirs, n, seed):
    cands = []
    for d in dirs:
        for f in sorted(pathlib.Path(d).glob("*.cpp")):
            for i, ln in enumerate(f.read_text(encoding="utf-8").split("\n")):
                s = ln.strip()
                if not s or s.startswith(("//", "#")) or "KOV_LOG" in s or '"' in s:
                    continue
                cands += [(str(f), i, m.start(), m.end(), rep) for pat, rep in OPS for m in re.finditer(pat, ln)]
    return random.Random(seed).sample(cands, min(n, len(cands)))


def build(bdir):
    return subprocess.run(["nice", "cmake", "--build", bdir, "--target", *PROGRAMS, "kovash"],
                          capture_output=True).returncode == 0


def first_failing(bdir, area):
    for p in [FIRST.get(area, "test_app")] + [p for p in PROGRAMS if p != FIRST.get(area)]:
        try:
            r = subprocess.run([f"{bdir}/tests/{p}", "--gtest_fail_fast", "--gtest_brief=1"], capture_output=True, timeout=300,
                               env=env(p))
        except subprocess.TimeoutExpired:
            return p + " (timeout)"
        if r.returncode:
            return p
    return None


def all_failing(bdir):
    bad = []
    for p in PROGRAMS:
        with tempfile.NamedTemporaryFile(suffix=".json") as js:
            try:
                subprocess.run([f"{bdir}/tests/{p}", f"--gtest_output=json:{js.name}", "--gtest_brief=1"],
                               capture_output=True, timeout=120, env=env(p))
                data = json.loads(pathlib.Path(js.name).read_text() or "{}")
            except (subprocess.TimeoutExpired, json.JSONDecodeError):
                bad.append(p + ".*")   # hung or died: the whole program
                continue
        bad += [f"{p}:{s['name']}.{t['name']}" for s in data.get("testsuites", []) for t in s.get("testsuite", []) if t.get("failures")]
    return bad


def mutated(bdir, f, i, s, e, rep, judge):
    src = pathlib.Path(f)
    old = src.read_bytes()
    lines = old.decode("utf-8").split("\n")
    was = lines[i]
    lines[i] = was[:s] + rep + was[e:]
    try:
        src.write_bytes("\n".join(lines).encode("utf-8"))
        return was.strip() + "  =>  " + lines[i].strip(), judge() if build(bdir) else "NOBUILD"
    finally:
        src.write_bytes(old)


def report(rows):
    kills = [set(b) for *_, b in rows if b and b != ["NOBUILD"]]
    print(f"mutants {len(rows)}, caught {len(kills)}, escaped {sum(1 for *_, b in rows if not b)}")
    uniq = {}
    for k in kills:
        if len(k) == 1:
            t = next(iter(k))
            uniq[t] = uniq.get(t, 0) + 1
    print("tests that alone catch a mutant:")
    for t, c in sorted(uniq.items()):
        print(f"  {c:3} {t}")
    left, cover = list(kills), []
    while left:
        best = max({t for k in left for t in k}, key=lambda t: sum(t in k for k in left))
        cover.append(best)
        left = [k for k in left if best not in k]
    print(f"greedy cover: {len(cover)} tests")
    for t in cover:
        print("  " + t)


def main():
    a = sys.argv[1:]
    opt = lambda name, d=None: a[a.index(name) + 1] if name in a else d
    if "--report" in a:
        rows = [ln.rstrip("\n").split("\t") for ln in open(opt("--report"), encoding="utf-8")]
        return report([(f, n, c, b.split()) for f, n, c, b in rows])
    values = {opt(k) for k in ("-k", "--matrix", "--generate", "--seed", "--dirs")}
    bdir = next((x for x in a if not x.startswith("-") and x not in values), "build")
    here = pathlib.Path(__file__).parent
    out = opt("--matrix")
    if opt("--generate"):
        muts = generate(opt("--dirs", "sheet,script,base").split(","), int(opt("--generate")), int(opt("--seed", "1")))
    else:
        muts = list(listed(here, opt("-k", "")))
    rows = []
    for f, i, s, e, rep in muts:
        if out:
            change, bad = mutated(bdir, f, i, s, e, rep, lambda: all_failing(bdir))
            bad = [bad] if isinstance(bad, str) else bad
            rows.append((f, i + 1, change, bad))
            with open(out, "a", encoding="utf-8") as o:   # as it goes: a long run can be cut short
                o.write(f"{f}\t{i + 1}\t{change}\t{' '.join(bad)}\n")
            print(f"{f}:{i + 1} {len(bad)} failing", flush=True)
        else:
            change, who = mutated(bdir, f, i, s, e, rep, lambda: first_failing(bdir, f.split("/")[0]))
            r = "NOBUILD" if who == "NOBUILD" else f"CAUGHT {who}" if who else "ESCAPED"
            rows.append(r)
            print(f"{r:28} {f}:{i + 1}: {change}", flush=True)
    build(bdir)
    if out:
        return report(rows)
    caught = sum(r.startswith("CAUGHT") for r in rows)
    print(f"mutants {len(rows)}, caught {caught}, escaped {rows.count('ESCAPED')}, "
          f"other {len(rows) - caught - rows.count('ESCAPED')}")


if __name__ == "__main__":
    main()
