"""A parametric study of a portal frame's member sizes, written once and run
three ways: a plain loop, a pool of threads (concurrent.futures), and Dask's
distributed scheduler. Each variant is a column and a beam profile; its
result is the portal's sway under wind and its largest beam moment under
the ULS combination.

    python3 examples/python/parametric_study.py [--dask] [--workers N]
"""

import argparse
import itertools
from concurrent.futures import ThreadPoolExecutor

import zervola

COLUMNS = ["HEB 200", "HEB 220", "HEB 240", "HEB 260", "HEB 280", "HEB 300", "HEB 320",
           "HEB 340", "HEB 360", "HEB 400"]
BEAMS = ["IPE 300", "IPE 330", "IPE 360", "IPE 400", "IPE 450", "IPE 500", "IPE 550",
         "IPE 600", "IPE 750x147", "IPE 750x173", "IPE 750x196", "HEA 400", "HEA 450",
         "HEA 500", "HEA 550", "HEA 600", "HEA 650", "HEA 700", "HEA 800", "HEA 900"]
SPAN, HEIGHT = 12.0, 6.0          # m
ROOF_LOAD, WIND = -18.0, 25.0     # kN/m on the beam, kN at the eaves


def variants():
    """Every pair of a column and a beam profile: 200 variants."""
    return list(itertools.product(COLUMNS, BEAMS))


def analyse_variant(variant):
    """Builds and analyses one variant; runs anywhere zervola is installed.

    Returns (column, beam, sway in m at the eaves under wind, largest |Mz| in
    the beam under ULS in kN m): plain values, which every scheduler ships
    between processes as they are.
    """
    column, beam = variant
    m = zervola.Model(units=("kN", "m"), frame="plane", material="S355")
    m.add_section("column", profile=column)
    m.add_section("beam", profile=beam)
    m.add_member("C1", (0, 0, 0), (0, HEIGHT, 0), "column")
    m.add_member("B", (0, HEIGHT, 0), (SPAN, HEIGHT, 0), "beam")
    m.add_member("C2", (SPAN, HEIGHT, 0), (SPAN, 0, 0), "column")
    m.add_support((0, 0, 0), "fixed")
    m.add_support((SPAN, 0, 0), "fixed")
    m.add_load_case("roof")
    m.add_member_load("roof", "B", value=(0, ROOF_LOAD, 0))
    m.add_load_case("wind")
    m.add_nodal_load("wind", (0, HEIGHT, 0), force=(WIND, 0, 0))
    m.add_combination("ULS", {"roof": 1.35, "wind": 1.5})
    r = m.analyse()
    eaves = r.member("B").start_node - 1
    moment = abs(r.member("B").internal_forces("ULS").Mz).max()
    return (column, beam, float(r.displacements("wind")[eaves, 0]), float(moment))


def study_in_a_loop(items):
    return [analyse_variant(v) for v in items]


def study_on_threads(items, workers):
    """The analysis releases the GIL: threads run variants at once."""
    with ThreadPoolExecutor(max_workers=workers) as pool:
        return list(pool.map(analyse_variant, items))


def study_on_dask(items, client):
    """The same function on Dask's distributed scheduler (a local cluster or
    a real one: client = distributed.Client("scheduler-address:8786"))."""
    return client.gather(client.map(analyse_variant, items, pure=True))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dask", action="store_true", help="run on a local Dask cluster")
    parser.add_argument("--workers", type=int, default=2)
    args = parser.parse_args()
    items = variants()
    if args.dask:
        from distributed import Client, LocalCluster
        with LocalCluster(n_workers=args.workers, threads_per_worker=1,
                          dashboard_address=None) as cluster, Client(cluster) as client:
            outcomes = study_on_dask(items, client)
    else:
        outcomes = study_on_threads(items, args.workers)
    stiff = [o for o in outcomes if abs(o[2]) < HEIGHT / 300]
    print(f"{len(outcomes)} variants; {len(stiff)} sway less than h/300")
    for column, beam, sway, moment in sorted(outcomes, key=lambda o: o[3])[:5]:
        print(f"  {column:8} {beam:12} sway {sway * 1000:7.2f} mm   M {moment:7.1f} kN m")


if __name__ == "__main__":
    main()
