#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Omega0, Mo and Mw of mwcalc's tests, computed by another route than the
program's: Python's double-precision arithmetic, each operation rounded to
single precision in the order the manual page gives,

    Omega0 = 10^L
    Mo     = ((33.929173 * beta^3) * Omega0) / (2 R)
    Mw     = log10(Mo) / 1.5 - 10.73

with beta = 320000 and R = 0.6324555. A product or quotient of two
single-precision numbers, taken in double precision and rounded once, is the
correctly rounded single-precision result; the power and the logarithm are
computed in double precision too, and where the exact value lies within a
hundredth of a unit in the last place of halfway between two
single-precision numbers both are followed (the C library may round either
way there).

The levels chosen, the first met from -3 up in steps of 0.37, are those
where each of the other orders a developer might write (4 pi rho times (beta^3 Omega0), log10(Mo)
times two thirds, Omega0 as exp(L ln 10)) changes Mo or Mw, at least three
levels for each. (A division by 2 and then by R gives the same as the
division by 2R: both 2R and a halving are exact.)

Run once; its output is pasted into mwcalc_test.cpp:
    python3 tests/programs/mwcalc/mwcalc_reference.py
"""
import math
import struct


def single(x):
    """x rounded to the nearest single-precision number (infinite beyond)."""
    try:
        return struct.unpack("<f", struct.pack("<f", x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def neighbours(x):
    nearest = single(x)
    if not math.isfinite(nearest) or nearest == 0:
        return [nearest]
    bits = struct.unpack("<I", struct.pack("<f", abs(nearest)))[0]
    below = struct.unpack("<f", struct.pack("<I", bits - 1))[0]
    above = struct.unpack("<f", struct.pack("<I", bits + 1))[0]
    other = math.copysign(above if abs(x) > abs(nearest) else below, nearest)
    ulp = abs(other - nearest)
    if abs(abs(x - nearest) - ulp / 2) < ulp / 100:
        return [nearest, other]
    return [nearest]


FOUR_PI_RHO = single(33.929173)
BETA = single(320000.0)
R = single(0.6324555)
DIVISOR = single(1.5)
OFFSET = single(10.73)
BETA3 = single(BETA * single(BETA * BETA))
TWO_R = single(2.0 * R)


def stated(level):
    """The admissible (Omega0, Mo, Mw) in the stated order."""
    out = set()
    for omega0 in neighbours(10.0 ** single(level)):
        mo = single(single(single(FOUR_PI_RHO * BETA3) * omega0) / TWO_R)
        for log in neighbours(math.log10(mo)):
            out.add((omega0, mo, single(single(log / DIVISOR) - OFFSET)))
    return out


def others(level):
    """(Omega0, Mo, Mw) by each other order, with the C library's rounding
    taken as the nearest."""
    level = single(level)
    omega0 = single(10.0 ** level)

    def mw(mo, two_thirds=False):
        log = single(math.log10(mo))
        scaled = single(log * single(1.0 / DIVISOR)) if two_thirds else single(log / DIVISOR)
        return single(scaled - OFFSET)

    stated_mo = single(single(single(FOUR_PI_RHO * BETA3) * omega0) / TWO_R)
    regrouped = single(single(FOUR_PI_RHO * single(BETA3 * omega0)) / TWO_R)
    by_exp = single(math.exp(single(level * single(math.log(10.0)))))
    by_exp_mo = single(single(single(FOUR_PI_RHO * BETA3) * by_exp) / TWO_R)
    return {
        "regrouped": (omega0, regrouped, mw(regrouped)),
        "two thirds": (omega0, stated_mo, mw(stated_mo, two_thirds=True)),
        "exponential": (by_exp, by_exp_mo, mw(by_exp_mo)),
    }


def literal(x):
    return f"{x:.9g}f".replace("e+", "e")


def main():
    wanted = {name: [] for name in ("regrouped", "two thirds", "exponential")}
    chosen = []
    for step in range(-300, 1301, 37):
        level = step / 100.0
        admissible = stated(level)
        if len(admissible) != 1:
            continue  # keep to levels with one admissible result
        result = next(iter(admissible))
        caught = [name for name, other in others(level).items() if other != result]
        new = [name for name in caught if len(wanted[name]) < 3]
        if new:
            for name in caught:
                wanted[name].append(level)
            chosen.append((level, result, caught))
        if all(len(levels) >= 3 for levels in wanted.values()):
            break
    for level, (omega0, mo, mw), caught in chosen:
        print(f'    {{"{level:g}", {literal(omega0)}, {literal(mo)}, {literal(mw)}}},  // {", ".join(caught)}')


if __name__ == "__main__":
    main()
