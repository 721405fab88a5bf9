#!/usr/bin/env python3
"""Runs the zarn and brakto of two builds on the same command lines and
compares everything each run prints and writes, byte for byte.

    scripts/compare-outputs.py BEFORE AFTER [--emulator CMD] [--jobs N]
                               [--filter REGEX] [--list] [--keep DIR]

BEFORE and AFTER are build folders (holding zarn/zarn and brakto/brakto).
The inputs are made here, the same each time (a fixed generator, not
Python's): DNA and protein couples of many lengths, related by substitutions
and indels, gaps longer than 255, homopolymers, IUPAC letters, every example
file, list and positions files. The command lines cross the methods, the
weight classes (costly, free, rewarding and mixed gaps; weights that need
16-bit, 32-bit and 64-bit scores), every Building, Optimize and Backward
mode, matrices, ranges, strands, list runs and brakto's operations.

Each run starts in a fresh folder holding the inputs; its standard output
and standard error and every file it leaves there are compared, the path of
the program itself written as its name. The shuffle
test is seeded from the clock: where sequence 2 is not a homopolymer (whose
shuffles are all alike), its four statistics are masked before comparing.

--emulator runs both builds under a command, e.g.
"qemu-x86_64-static -cpu Haswell" (AVX2 without AVX-512) or
"qemu-x86_64-static -cpu Nehalem" (16-byte vectors only), so that every
vector width is compared on one machine. Exit status 1 when a run differs.
"""
import argparse
import concurrent.futures
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

DNA = "ACGT"
PROTEIN = "ACDEFGHIKLMNPQRSTVWY"


class Draws:
    """A 64-bit linear congruential generator: the inputs must not depend on
    the Python version."""

    def __init__(self, seed):
        self.state = seed * 6364136223846793005 + 1442695040888963407

    def below(self, n):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return (self.state >> 33) % n

    def text(self, alphabet, length):
        return "".join(alphabet[self.below(len(alphabet))] for _ in range(length))

    def mutated(self, alphabet, text, rate):
        """Substitutions, insertions and deletions, each at about rate/3."""
        out = []
        for c in text:
            r = self.below(1000)
            if r < rate // 3:
                out.append(alphabet[self.below(len(alphabet))])
            elif r < 2 * rate // 3:
                out.append(c)
                out.append(self.text(alphabet, 1 + self.below(4)))
            elif r < rate:
                continue
            else:
                out.append(c)
        return "".join(out)


def fasta(name, text):
    return ">" + name + "\n" + "".join(text[i:i + 60] + "\n" for i in range(0, len(text), 60))


def make_inputs(folder):
    """Writes the inputs; returns the names of the FASTA couples by kind."""
    d = Draws(20261211)
    files = {}
    couples = {"dna": [], "protein": []}

    def couple(kind, name, a, b):
        files[name + "_a.fa"] = fasta(name + "_a", a)
        files[name + "_b.fa"] = fasta(name + "_b", b)
        couples[kind].append(name)

    for n in (1, 2, 15, 16, 17, 31, 32, 33, 63, 64, 65, 100, 257, 1000, 3000):
        a = d.text(DNA, n)
        couple("dna", f"d{n}", a, d.mutated(DNA, a, 150) or "A")
    a = d.text(DNA, 800)
    couple("dna", "dgap", a, a[:200] + a[600:])                  # a gap of 400
    couple("dna", "dgap2", a[:300] + d.text(DNA, 300) + a[300:], a)
    couple("dna", "dunrel", d.text(DNA, 500), d.text(DNA, 450))
    couple("dna", "dhomo", d.text(DNA, 300), "A" * 200)
    couple("dna", "dtie", "ACAC" * 20, "CACA" * 18)                # many co-optimal paths
    a = d.text("ACGTN", 200)
    couple("dna", "dN", a, d.mutated("ACGTN", a, 200))
    for n in (1, 20, 64, 65, 300, 1000):
        a = d.text(PROTEIN, n)
        couple("protein", f"p{n}", a, d.mutated(PROTEIN, a, 250) or "W")
    couple("protein", "phomo", d.text(PROTEIN, 200), "W" * 100)
    a = d.text(PROTEIN, 600)
    couple("protein", "pgap", a, a[:100] + a[400:])
    files["iupac_a.fa"] = fasta("iupac_a", d.text("ACGTRYKMSWBDHVN", 150))
    files["iupac_b.fa"] = fasta("iupac_b", d.text("ACGTRYKMSWBDHVN", 140))
    files["rna.fa"] = fasta("rna", d.text("ACGU", 120))

    # A list of every DNA couple's sequences and couples on both strands.
    names = [n for n in couples["dna"] if n not in ("d1", "d2", "dN")]
    files["all.list"] = "".join(f"{n}_{s}.fa DNA - BOTH {n}{s}\n" for n in names for s in "ab")
    def length(name):
        return len(files[name + ".fa"].split("\n", 1)[1].replace("\n", ""))

    pos = []
    for i, n in enumerate(names):
        la, lb = length(n + "_a"), length(n + "_b")
        pos.append(f"{n}a W 1 {la} {n}b W 1 {lb}\n")
        pos.append(f"{n}a C {la} 1 {n}b W 1 {lb}\n")
        if la > 20 and lb > 20:
            pos.append(f"{n}a W 5 {la - 3} {n}b C {lb - 2} 7\n")
        pos.append(f"{names[(i + 1) % len(names)]}a W 1 10 {n}b W 2 12\n")
    files["all.pos"] = "".join(pos)
    plist = [n for n in couples["protein"] if n != "p1"]
    files["prot.list"] = "".join(f"{n}_{s}.fa PROTEIN - WATSON {n}{s}\n" for n in plist for s in "ab")
    files["prot.pos"] = "".join(f"{n}a W 1 20 {n}b W 1 15\n{n}a W 1 {length(n + '_a')} {n}b W 1 {length(n + '_b')}\n"
                                for n in plist)
    for name, text in files.items():
        (folder / name).write_text(text)
    root = pathlib.Path(__file__).resolve().parent.parent
    for f in (root / "examples").iterdir():
        shutil.copy(f, folder / f.name)
    return couples


WEIGHTS = [
    [],                                                  # costly gaps: the fast fill
    ["-GW", "0", "-LW", "0"],                            # free gaps: the exact fill
    ["-GW", "5", "-LW", "1"],                            # rewarding gaps
    ["-GW", "-5", "-LW", "2"],
    ["-GW", "3", "-LW", "-1"],
    ["-GW", "-1", "-LW", "-1", "-MW", "1", "-MIS", "-1"],  # small weights, many ties
    ["-GW", "-5000", "-LW", "-300", "-MW", "1000", "-MIS", "-900"],
    ["-GW", "-50000000", "-LW", "-3000000", "-MW", "10000000", "-MIS", "-9000000"],
    ["-GW", "-30000000", "-LW", "-2000000", "-MW", "20000000", "-MIS", "-15000000"],
]
METHODS = [[], ["-EW"], ["-LO"]]


def zarn_cases(couples):
    cases = []

    def z(*args):
        cases.append(("zarn", list(args)))

    def pair(name):
        return ["-S1", name + "_a.fa", "-S2", name + "_b.fa"]

    # Every method and weight class on couples of many lengths.
    for name in couples["dna"] + couples["protein"]:
        for method in METHODS:
            for weights in (WEIGHTS if name in ("d17", "d65", "d257", "dgap", "dtie", "p65", "p300")
                            else WEIGHTS[:2]):
                z(*pair(name), *method, *weights, "-RE", "-SU")
    for name in ("d3000", "p1000", "dgap2"):
        for method in METHODS:
            for weights in (WEIGHTS[2], WEIGHTS[6], WEIGHTS[7]):
                z(*pair(name), *method, *weights, "-RE")
    # Every Building, Optimize and Backward mode on couples with ties.
    for name, weights in (("dtie", []), ("d33", WEIGHTS[5]), ("p20", []), ("d64", WEIGHTS[1])):
        for method in METHODS:
            for building in ("O", "A", "F"):
                for optimize in ("N", "S", "L"):
                    z(*pair(name), *method, *weights, "-BU", building, "-OP", optimize, "-RE")
            for backward in ("DVH", "DHV", "VDH", "VHD", "HDV", "HVD"):
                z(*pair(name), *method, *weights, "-BU", "F", "-BA", backward, "-RE")
    # Matrices, ranges, strands, directions, identifiers, thresholds.
    for method in METHODS:
        z("-S1", "dna_1.fa", "-S2", "dna_2.gb", *method, "-SC", "dna.mat", "-RE", "-SU")
        z("-S1", "protein_1.fa", "-S2", "protein_2.fa", *method, "-SC", "blosum62.mat", "-RE")
        z("-S1", "dna_1.gcg", "-S2", "dna_1.strider", "-F2", "Strider", "-T2", "Dna", *method, "-RE")
        z(*pair("d257"), *method, "-B1", "20", "-E1", "200", "-B2", "30", "-E2", "220", "-RE")
        z(*pair("d257"), *method, "-ST1", "C", "-RE", "-SU")
        z(*pair("d257"), *method, "-R2", "-C2", "-I1", "one", "-I2", "two", "-RE")
        z(*pair("dN"), *method, "-RE", "-SIT", "1")
        z("-S1", "iupac_a.fa", "-S2", "iupac_b.fa", "-T1", "Dna", "-T2", "Dna", *method, "-RE")
        z("-S1", "iupac_a.fa", "-S2", "iupac_b.fa", "-T1", "Dna", "-T2", "Dna", "-F1", "Ascii",
          "-F2", "Ascii", *method, "-SC", "dna.mat", "-RE")
    z(*pair("p300"), "-SIT", "3", "-RE", "-SU")
    z(*pair("d1000"), "-L", "500", "-SU")
    z(*pair("d1000"), "-LMin", "2000", "-SU", "-RE")
    z(*pair("d1000"), "-Smin", "95", "-SU", "-N")
    z("-S1", "rna.fa", "-S2", "d100_a.fa", "-RE")
    z("-S1", "rna.fa", "-S2", "d100_a.fa", "-T1", "Rna")
    z("-S1", "dna_1.fa", "-S2", "protein_1.fa")
    z("-S1", "missing.fa", "-S2", "dna_1.fa")
    z("-S1", "dna_1.fa", "-S2", "dna_2.fa", "-GW")
    z("-BOGUS")
    z("-V", "-S1", "dna_1.fa", "-S2", "dna_2.fa")
    # List runs.
    for method in METHODS:
        z("-LIST", "all.list", "-POSITIONS", "all.pos", *method, "-RE", "-SU")
        z("-LIST", "prot.list", "-POSITIONS", "prot.pos", *method, "-RE", "-SU", "-L", "400")
    z("-LIST", "all.list", "-POSITIONS", "all.pos", "-A", "7", "-SU", "-N", "-LMin", "30")
    z("-LIST", "all.list", "-POSITIONS", "all.pos", *WEIGHTS[2], "-BU", "A", "-RE")
    z("-LIST", "sequences.list", "-POSITIONS", "couples.pos", "-LO", "-RE", "-SU")
    # Shuffle rounds: homopolymer couples are deterministic, the others masked.
    for method in METHODS:
        for weights in (WEIGHTS[0], WEIGHTS[2], WEIGHTS[6], WEIGHTS[7]):
            z(*pair("dhomo"), *method, *weights, "-RND", "40", "-RE", "-SU")
            z(*pair("phomo"), *method, *weights, "-RND", "40", "-RE")
        z(*pair("d257"), *method, "-RND", "50", "-RE")
        z(*pair("p300"), *method, "-RND", "50", "-RE", "-SU")
    return cases


def brakto_cases():
    cases = []
    for args in (
        ["d1000_a.fa"], ["-L", "7", "d257_a.fa"], ["-PO", "5", "40", "90", "60", "d257_a.fa"],
        ["-B", "10", "-E", "200", "-R", "-C", "d257_a.fa"], ["-I", "100", "30", "d257_a.fa"],
        ["-M", "20", "-Se", "5", "d1000_a.fa"], ["-G", "d1000_a.fa"], ["-PRO", "d1000_a.fa"],
        ["-PRO", "-G", "-O", "prot", "dN_a.fa"], ["-F", "GCg", "dna_1.gcg"],
        ["-F", "GEnbank", "-G", "dna_2.gb"], ["-F", "Strider", "dna_1.strider"],
        ["-I", "50", "0", "-G", "d257_b.fa"], ["-B", "300", "d257_a.fa"], ["missing.fa"], ["-X"],
    ):
        cases.append(("brakto", args))
    return cases


SUMMARY_STATS = re.compile(r"(\s+-?[\d.]+){4}$")
REPORT_STATS = re.compile(r"Quality (Mean|Std|Z-score):\s+-?[\d.]+")


def masked(text, args):
    """The shuffle statistics masked where they depend on the clock."""
    if "-RND" not in args or any(a.startswith(("dhomo", "phomo")) for a in args):
        return text
    lines = text.split("\n")
    for i, line in enumerate(lines):
        line = REPORT_STATS.sub(r"Quality \1: #", line)
        if i > 0 and lines[i - 1].rstrip().endswith("Signifiance:"):
            line = "#"
        if re.match(r"^\S+\s+[WC]\s+-?\d+\s+-?\d+\s", line):
            line = SUMMARY_STATS.sub(" #", line)
        lines[i] = line
    return "\n".join(lines)


def run(build, program, args, inputs, emulator, scratch):
    """What one run printed and left behind, as {name: bytes}."""
    with tempfile.TemporaryDirectory(dir=scratch) as folder:
        for f in inputs.iterdir():
            shutil.copy(f, folder)
        command = emulator + [str(build / program / program)] + args
        try:
            done = subprocess.run(command, cwd=folder, capture_output=True, timeout=600)
            seen = {"(stdout)": done.stdout, "(stderr)": done.stderr,
                    "(status)": str(done.returncode).encode()}
        except subprocess.TimeoutExpired:
            seen = {"(status)": b"timeout"}
        for f in sorted(pathlib.Path(folder).iterdir()):
            content = f.read_bytes()
            if not (inputs / f.name).exists() or content != (inputs / f.name).read_bytes():
                seen[f.name] = content
        # brakto prints the path it was started by, which differs between builds.
        binary = str(build / program / program)
        return {k: masked(v.decode("latin-1").replace(binary, program), args) for k, v in seen.items()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("before", type=pathlib.Path)
    parser.add_argument("after", type=pathlib.Path)
    parser.add_argument("--emulator", default="")
    parser.add_argument("--jobs", type=int, default=os.cpu_count())
    parser.add_argument("--filter", default="")
    parser.add_argument("--list", action="store_true", help="print the command lines and stop")
    parser.add_argument("--keep", type=pathlib.Path, help="keep the inputs in this folder")
    args = parser.parse_args()
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="compare-outputs-"))
    inputs = args.keep or scratch / "inputs"
    inputs.mkdir(parents=True, exist_ok=True)
    couples = make_inputs(inputs)
    cases = [c for c in zarn_cases(couples) + brakto_cases()
             if re.search(args.filter, " ".join([c[0]] + c[1]))]
    if args.list:
        for program, a in cases:
            print(program, shlex.join(a))
        return 0
    emulator = shlex.split(args.emulator)

    def compare(case):
        program, a = case
        before = run(args.before.resolve(), program, a, inputs, emulator, scratch)
        after = run(args.after.resolve(), program, a, inputs, emulator, scratch)
        return case, before, after

    differing = 0
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        for (program, a), before, after in pool.map(compare, cases):
            if before == after:
                continue
            differing += 1
            print(f"DIFFERS: {program} {shlex.join(a)}")
            for name in sorted(set(before) | set(after)):
                if before.get(name) != after.get(name):
                    b = (before.get(name) or "(absent)").split("\n")
                    f = (after.get(name) or "(absent)").split("\n")
                    first = next((i for i, (x, y) in enumerate(zip(b, f)) if x != y), min(len(b), len(f)))
                    print(f"  {name}, line {first + 1}:\n    before: {b[first] if first < len(b) else '(end)'}"
                          f"\n    after:  {f[first] if first < len(f) else '(end)'}")
    shutil.rmtree(scratch)
    print(f"{len(cases)} command lines, {differing} differ"
          + (f" (under {args.emulator})" if emulator else ""))
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
