#!/usr/bin/python3
"""HiGHS (through SciPy's milp) on a covering model "cover.lp" as the
benchmarks write it:

  highs_cover.py [--seconds S] [--relaxation] [FILE]

Prints one line: "value V bound B seconds T optimal yes|no", V the best
coverage found (nan when none), B HiGHS's proven upper bound on it. With
--relaxation, the linear relaxation only ("optimal" then says whether it was
solved). Reads only the layout of bench/solver/pmed_instance.cc and
run_bench.py: an objective of "+ w yJ" terms, rows "NAME: terms <= 0" or
"= K", bounds of the y, the x binary.

Needs SciPy 1.9 or later: run it with the system's python3 (/usr/bin/python3).
"""

import argparse
import re
import sys
import time

import numpy as np
from scipy.optimize import Bounds, LinearConstraint, milp
from scipy.sparse import csr_matrix

TERM = re.compile(r"([+-])\s*(\d*\.?\d*)\s*([xy])(\d+)")


def read_lp(path):
    """(objective, rows, senses, right-hand sides, columns) of the model."""
    with open(path) as f:
        text = f.read()
    head, rest = text.split("Subject To", 1)
    body = rest.split("Bounds", 1)[0]
    columns = {}

    def column(kind, k):
        key = kind + k
        if key not in columns:
            columns[key] = len(columns)
        return columns[key]

    objective = {}
    for sign, coef, kind, k in TERM.findall(head.split(":", 1)[1]):
        value = float(coef) if coef else 1.0
        objective[column(kind, k)] = value if sign == "+" else -value
    rows = []
    for statement in re.split(r"\n\s*(?=\w+:)", body.strip()):
        name, expression = statement.split(":", 1)
        match = re.search(r"(<=|>=|=)\s*(-?\d+(?:\.\d*)?)\s*$", expression)
        sense, rhs = match.group(1), float(match.group(2))
        terms = " " + expression[:match.start()].strip()
        if not terms.strip().startswith(("+", "-")):
            terms = " + " + terms.strip()
        entries = {}
        for sign, coef, kind, k in TERM.findall(terms):
            value = float(coef) if coef else 1.0
            entries[column(kind, k)] = value if sign == "+" else -value
        rows.append((entries, sense, rhs))
    return objective, rows, columns


def solve(path, seconds, relaxation):
    objective, rows, columns = read_lp(path)
    count = len(columns)
    c = np.zeros(count)
    for k, v in objective.items():
        c[k] = -v  # milp minimises
    data, indices, pointers = [], [], [0]
    lower, upper = [], []
    for entries, sense, rhs in rows:
        for k, v in entries.items():
            indices.append(k)
            data.append(v)
        pointers.append(len(indices))
        lower.append(rhs if sense in ("=", ">=") else -np.inf)
        upper.append(rhs if sense in ("=", "<=") else np.inf)
    matrix = csr_matrix((data, indices, pointers), shape=(len(rows), count))
    integrality = np.zeros(count)
    if not relaxation:
        for name, k in columns.items():
            if name[0] == "x":
                integrality[k] = 1
    start = time.monotonic()
    result = milp(c, constraints=LinearConstraint(matrix, lower, upper),
                  bounds=Bounds(np.zeros(count), np.ones(count)),
                  integrality=integrality,
                  options={"time_limit": seconds, "disp": False})
    used = time.monotonic() - start
    value = -result.fun if result.x is not None else float("nan")
    bound = getattr(result, "mip_dual_bound", None)
    if relaxation or bound is None:
        bound = value if result.status == 0 else float("nan")
    else:
        bound = -bound
    return value, bound, used, result.status == 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("path", nargs="?", default="cover.lp")
    parser.add_argument("--seconds", type=float, default=120)
    parser.add_argument("--relaxation", action="store_true")
    args = parser.parse_args()
    value, bound, used, optimal = solve(args.path, args.seconds, args.relaxation)
    print("value %.6f bound %.6f seconds %.2f optimal %s" %
          (value, bound, used, "yes" if optimal else "no"))
    sys.stdout.flush()


if __name__ == "__main__":
    main()
