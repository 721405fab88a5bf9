#!/usr/bin/env python3
"""Writes the example files that are other layouts of the plain-text examples.

    examples/dna_1.gcg      GCG layout of examples/dna_1.fa
    examples/dna_2.gb       GenBank entry of examples/dna_2.fa
    examples/dna_1.strider  binary DNA Strider file of examples/dna_1.fa

The outputs are kept in the repository; run this again only after changing
the plain-text examples.
"""

import pathlib
import struct

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent / "examples"


def read_plain(name):
    lines = (EXAMPLES / name).read_text().splitlines()
    return "".join(l.strip() for l in lines if l and l[0] not in "->:").upper()


def gcg_check(residues):
    return sum(((i % 57) + 1) * ord(c) for i, c in enumerate(residues.upper())) % 10000


def blocks(residues, start, count):
    chunk = residues[start:start + count]
    return " ".join(chunk[i:i + 10] for i in range(0, len(chunk), 10))


def write_gcg(name, entry, residues, description):
    lines = [
        "!!NA_SEQUENCE 1.0",
        description,
        "",
        "%s  Length: %d  March 3, 2025 10:15  Type: N  Check: %d  .."
        % (entry, len(residues), gcg_check(residues)),
        "",
    ]
    for start in range(0, len(residues), 50):
        lines.append("%8d  %s" % (start + 1, blocks(residues, start, 50)))
        lines.append("")
    (EXAMPLES / name).write_text("\n".join(lines) + "\n")


def write_genbank(name, locus, residues, definition):
    n = len(residues)
    lines = [
        "LOCUS       %-16s %11d bp    DNA     linear   SYN 03-MAR-2025" % (locus, n),
        "DEFINITION  %s" % definition,
        "ACCESSION   %s" % locus,
        "VERSION     %s.1" % locus,
        "KEYWORDS    .",
        "SOURCE      synthetic DNA construct",
        "  ORGANISM  synthetic DNA construct",
        "            other sequences; artificial sequences.",
        "FEATURES             Location/Qualifiers",
        "     source          1..%d" % n,
        "                     /mol_type=\"other DNA\"",
        "ORIGIN",
    ]
    low = residues.lower()
    for start in range(0, n, 60):
        lines.append("%9d %s" % (start + 1, blocks(low, start, 60)))
    lines.append("//")
    (EXAMPLES / name).write_text("\n".join(lines) + "\n")


def write_strider(name, residues):
    # 112 header bytes; the residue count is the little-endian signed 16-bit
    # integer at offsets 30 and 31. The other header bytes stay zero.
    header = bytearray(112)
    header[30:32] = struct.pack("<h", len(residues))
    (EXAMPLES / name).write_bytes(bytes(header) + residues.encode("ascii"))


def main():
    dna_1 = read_plain("dna_1.fa")
    dna_2 = read_plain("dna_2.fa")
    write_gcg("dna_1.gcg", "dna_1.seq", dna_1, "dna_1 invented coding sequence, GCG layout")
    write_genbank("dna_2.gb", "DNA2", dna_2,
                  "dna_2 variant of dna_1 with substitutions, a deletion and an insertion.")
    write_strider("dna_1.strider", dna_1)


if __name__ == "__main__":
    main()
