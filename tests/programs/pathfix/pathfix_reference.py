#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The corrected amplitudes of pathfix's tests, computed by another route than
the program's: Python's double-precision arithmetic, each operation rounded to
single precision in the order the manual page writes the formula,

    R = sqrt(d1^2 + d2^2) * 1000 * 100
    y = a * R * exp(pi * f * R / (Q(f) * beta)),    Q(f) = 230 * f^1.01

with pi = 3.14159 and beta = 320000. A sum, product, quotient or square root
of two single-precision numbers, taken in double precision and rounded once
to single precision, is the correctly rounded single-precision result. The
power and the exponential are computed in double precision too; the C
library's powf and expf may round the other way where the exact value lies
near halfway between two single-precision numbers, so there both neighbours
are followed, and a sample may have two admissible results or more.

Run once; its output is pasted into pathfix_test.cpp:
    python3 tests/programs/pathfix/pathfix_reference.py
"""
import math
import struct


def single(x):
    """x rounded to the nearest single-precision number."""
    return struct.unpack("<f", struct.pack("<f", x))[0]


def neighbours(x):
    """The single-precision numbers the C library may return for the exact
    value x: the nearest, and the other neighbour when x lies within a
    hundredth of a unit in the last place of halfway between them (where a
    function accurate to 0.51 units in the last place may round either way)."""
    nearest = single(x)
    bits = struct.unpack("<I", struct.pack("<f", nearest))[0]
    below = struct.unpack("<f", struct.pack("<I", bits - 1))[0] if nearest > 0 else nearest
    above = struct.unpack("<f", struct.pack("<I", bits + 1))[0]
    other = above if x > nearest else below
    ulp = abs(other - nearest)
    if ulp and abs(abs(x - nearest) - ulp / 2) < ulp / 100:
        return [nearest, other]
    return [nearest]


PI = single(3.14159)
BETA = single(320000.0)
Q_COEFFICIENT = single(230.0)
Q_EXPONENT = single(1.01)


def path_length(d1, d2):
    d1, d2 = single(d1), single(d2)
    root = single(math.sqrt(single(single(d1 * d1) + single(d2 * d2))))
    return single(single(root * 1000.0) * 100.0)


def frequencies(step, count):
    """Sample i at df added i times, in single precision."""
    step = single(step)
    total, out = 0.0, []
    for _ in range(count):
        total = single(step + total)
        out.append(total)
    return out


def corrected(a, f, r):
    """The admissible single-precision results for one sample."""
    a, f, r = single(a), single(f), single(r)
    results = set()
    for power in neighbours(math.pow(f, Q_EXPONENT)):
        q = single(Q_COEFFICIENT * power)
        exponent = single(single(single(PI * f) * r) / single(q * BETA))
        for growth in neighbours(math.exp(exponent)):
            results.add(single(single(a * r) * growth))
    return sorted(results)


def literal(x):
    """A C++ float literal that reads back as x: nine significant digits."""
    return f"{x:.9g}f".replace("e+", "e")


def table(name, rows):
    print(f"// {name}")
    for label, values in rows:
        print(f"    {{{label}, {{{', '.join(literal(v) for v in values)}}}}},")


def main():
    # The accumulated frequency: 1000 samples of 0.1 Hz over 12000 km.
    r = path_length(12000.0, 0.0)
    f = frequencies(0.1, 1000)
    print(f"// path length {r!r}; sample 1000 at {f[999]!r} Hz")
    table("samples 1 and 1000; and sample 1000 as if at exactly 100 Hz",
          [("1", corrected(1.0, f[0], r)), ("1000", corrected(1.0, f[999], r)),
           ("0", corrected(1.0, 100.0, r))])

    # Every operation in its order: 40 samples of 0.25 Hz at 150.3 and 12.1 km,
    # amplitude i for sample i.
    r = path_length(150.3, 12.1)
    f = frequencies(0.25, 40)
    print(f"// path length {r!r}")
    table("samples 1 to 40", [(str(i + 1), corrected(float(i + 1), f[i], r)) for i in range(40)])


if __name__ == "__main__":
    main()
