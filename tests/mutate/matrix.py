#!/usr/bin/env python3
"""Kill matrix: which tests catch which single-line faults, to trim tests with evidence.

usage: tests/mutate/matrix.py BUILD_DIR OUT.tsv [--generate N --seed S --dirs sheet,app]
       tests/mutate/matrix.py --report OUT.tsv
Runs the mutants of mutants.tsv, or N generated ones (one operator applied at one place of a
code line under the given folders), each against every test program in full, and writes one
line per mutant as it goes: FILE, LINE, the change, and the tests that failed (none: it
escaped). Then
prints the tests that catch some mutant no other test catches, and a greedy set of tests that
together catch every caught mutant."""
import json, pathlib, random, re, subprocess, sys, tempfile

PROGRAMS = ["test_base", "test_sheet", "test_script", "test_builtins", "test_app"]
OPS = [(r"(?<![<>=!])<=(?!=)", "<"), (r"(?<![<>-])<(?![<=])", "<="), (r"(?<![<>=!])>=", ">"),
       (r"(?<![->])>(?![>=])", ">="), (r"==", "!="), (r"!=", "=="), (r"&&", "||"), (r"\|\|", "&&"),
       (r" \+ 1\b", " - 1"), (r" - 1\b", " + 1"), (r"return 0;", "return -1;"),
       (r"return -1;", "return 0;"), (r"\(!(?=[a-z_])", "(")]


def generate(dirs, n, seed):
    rng = random.Random(seed)
    cands = []
    for d in dirs:
        for f in sorted(pathlib.Path(d).glob("*.cpp")):
            for i, ln in enumerate(f.read_text(encoding="utf-8").split("\n")):
                s = ln.strip()
                if not s or s.startswith("//") or "KOV_LOG" in s or '"' in s:
                    continue
                for pat, rep in OPS:
                    for m in re.finditer(pat, ln):
                        cands.append((str(f), i, m.start(), m.end(), rep))
    return rng.sample(cands, min(n, len(cands)))


def listed(here):
    out = []
    for ln in (here / "mutants.tsv").read_text(encoding="utf-8").splitlines():
        if ln.strip() and not ln.startswith("#"):
            f, frag, rep = ln.split("\t")
            lines = pathlib.Path(f).read_text(encoding="utf-8").split("\n")
            hits = [i for i, x in enumerate(lines) if frag in x]
            if len(hits) == 1:
                a = lines[hits[0]].index(frag)
                out.append((f, hits[0], a, a + len(frag), rep))
    return out


def failing(build):
    bad = []
    for p in PROGRAMS:
        with tempfile.NamedTemporaryFile(suffix=".json") as js:
            try:
                subprocess.run([f"{build}/tests/{p}", f"--gtest_output=json:{js.name}", "--gtest_brief=1"],
                               capture_output=True, timeout=60)
                data = json.loads(pathlib.Path(js.name).read_text() or "{}")
            except (subprocess.TimeoutExpired, json.JSONDecodeError):
                bad.append(p + ".*")   # hung or died: the whole program
                continue
        for suite in data.get("testsuites", []):
            for t in suite.get("testsuite", []):
                if t.get("failures"):
                    bad.append(f"{p}:{suite['name']}.{t['name']}")
    return bad


def main():
    a = sys.argv[1:]
    if a and a[0] == "--report":   # the summary of a matrix written before
        rows = [ln.rstrip("\n").split("\t") for ln in open(a[1], encoding="utf-8")]
        return report([(f, n, c, b.split()) for f, n, c, b in rows])
    build, out = a[0], a[1]
    here = pathlib.Path(__file__).parent
    if "--generate" in a:
        muts = generate(a[a.index("--dirs") + 1].split(","), int(a[a.index("--generate") + 1]),
                        int(a[a.index("--seed") + 1]) if "--seed" in a else 1)
    else:
        muts = listed(here)
    rows = []
    for f, i, s, e, rep in muts:
        src = pathlib.Path(f)
        old = src.read_bytes()
        lines = old.decode("utf-8").split("\n")
        was = lines[i]
        lines[i] = was[:s] + rep + was[e:]
        try:
            src.write_bytes("\n".join(lines).encode("utf-8"))
            b = subprocess.run(["nice", "cmake", "--build", build, "--target", *PROGRAMS], capture_output=True)
            bad = ["NOBUILD"] if b.returncode else failing(build)
        finally:
            src.write_bytes(old)
        rows.append((f, i + 1, was.strip() + "  =>  " + lines[i].strip(), bad))
        with open(out, "a", encoding="utf-8") as o:   # as it goes: a long run can be cut short
            o.write(f"{f}\t{i + 1}\t{rows[-1][2]}\t{' '.join(bad)}\n")
        print(f"{f}:{i + 1} {len(bad)} failing", flush=True)
    subprocess.run(["nice", "cmake", "--build", build, "--target", *PROGRAMS], capture_output=True)
    report(rows)


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


if __name__ == "__main__":
    main()
