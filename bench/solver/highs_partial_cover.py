#!/usr/bin/python3
"""HiGHS (through SciPy's milp) on the partial set covering model: the fewest
sites whose covered demand reaches a target.

  highs_partial_cover.py [--seconds S] FILE

FILE: a line "n target", a line of the n demands, then n lines, the i-th
listing the vertices (0-based) that site i covers, itself included. The
model: minimise the sum of x_i (x binary) subject to y_j <= sum of the x_i
of the sites covering j, the sum of w_j y_j >= target, 0 <= y_j <= 1.
Prints "value V bound B seconds T optimal yes|no": V the fewest sites found
(nan when none), B HiGHS's proven lower bound.

Needs SciPy 1.9 or later: run it with the system's python3 (/usr/bin/python3).
"""

import argparse
import time

import numpy as np
from scipy.optimize import Bounds, LinearConstraint, milp
from scipy.sparse import csr_matrix


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seconds", type=float, default=600)
    parser.add_argument("file")
    args = parser.parse_args()
    with open(args.file) as f:
        n, target = map(int, f.readline().split())
        weights = np.array(f.readline().split(), dtype=float)
        rows, cols, vals = [], [], []
        for i in range(n):
            for j in map(int, f.readline().split()):
                # Row j: y_j - sum of the x_i covering j <= 0.
                rows.append(j)
                cols.append(i)
                vals.append(-1.0)
    for j in range(n):
        rows.append(j)
        cols.append(n + j)
        vals.append(1.0)
    cover = csr_matrix((vals, (rows, cols)), shape=(n, 2 * n))
    share = csr_matrix((weights, ([0] * n, list(range(n, 2 * n)))),
                       shape=(1, 2 * n))
    cost = np.concatenate([np.ones(n), np.zeros(n)])
    integrality = np.concatenate([np.ones(n), np.zeros(n)])
    start = time.monotonic()
    result = milp(cost, integrality=integrality, bounds=Bounds(0, 1),
                  constraints=[LinearConstraint(cover, -np.inf, 0),
                               LinearConstraint(share, target, np.inf)],
                  options={"time_limit": args.seconds})
    seconds = time.monotonic() - start
    value = result.fun if result.x is not None else float("nan")
    bound = getattr(result, "mip_dual_bound", float("nan"))
    print("value %s bound %s seconds %.1f optimal %s" %
          (value, bound, seconds, "yes" if result.status == 0 else "no"))


if __name__ == "__main__":
    main()
