"""Times the Python package on a large frame and prints the figures (it
decides nothing): building a 20 x 20 x 20 storey-grid space frame (8,000
nodes, 22,800 members, one load per node) through the API, analysing it, and
four such analyses serially against a thread pool of two.

    python3 bench/python/building.py [--size N]
"""

import argparse
import time
from concurrent.futures import ThreadPoolExecutor

import zervola


def building(n, lateral_load=1.0):
    """An n x n x n grid of nodes 4 m apart (6 m between floors), columns
    and beams of one section each, fixed at the base, a lateral and a
    vertical load at every node."""
    m = zervola.Model(units=("kN", "m"), frame="space", material="S355")
    m.add_section("column", profile="HEB 300")
    m.add_section("beam", profile="IPE 400")
    spacing, storey = 4.0, 3.5
    m.add_load_case("wind")
    for k in range(n):
        z = k * storey
        for j in range(n):
            for i in range(n):
                x, y = i * spacing, j * spacing
                if k + 1 < n:
                    m.add_member(f"C{i}_{j}_{k}", (x, y, z), (x, y, z + storey), "column")
                if k == 0:
                    m.add_support((x, y, z), "fixed")
                if i + 1 < n:
                    m.add_member(f"X{i}_{j}_{k}", (x, y, z), (x + spacing, y, z), "beam")
                if j + 1 < n:
                    m.add_member(f"Y{i}_{j}_{k}", (x, y, z), (x, y + spacing, z), "beam")
                m.add_nodal_load("wind", (x, y, z), force=(lateral_load, 0.0, -10.0))
    return m


def timed(what, f):
    start = time.perf_counter()
    value = f()
    print(f"{what:<44} {time.perf_counter() - start:8.2f} s")
    return value


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size", type=int, default=20, help="nodes along each side (20)")
    parser.add_argument("--threads", type=int, default=2, help="thread pool size (2)")
    n = parser.parse_args().size
    threads = parser.parse_args().threads
    model = timed(f"build the {n}^3 model through the API", lambda: building(n))
    timed("check it (the C++ reader)", model.check)
    results = timed("analyse it", model.analyse)
    print(f"  {len(results.nodes)} nodes, {len(results.member_names)} members")
    timed("displacements and end forces as arrays",
          lambda: (results.displacements("wind"), results.end_forces("wind")))
    variants = [building(n, lateral_load=1.0 + v).check() for v in range(4)]
    serial = timed("four analyses, one after the other", lambda: [v.analyse() for v in variants])
    with ThreadPoolExecutor(max_workers=threads) as pool:
        pooled = timed(f"four analyses on {threads} threads",
                       lambda: list(pool.map(lambda v: v.analyse(), variants)))
    same = all((a.displacements("wind") == b.displacements("wind")).all()
               for a, b in zip(serial, pooled))
    print(f"thread pool results equal the serial ones: {same}")


if __name__ == "__main__":
    main()
