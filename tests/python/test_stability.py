"""Linear buckling and second order through the Python API: an Euler
cantilever's critical factor and buckling length, the P-Delta amplification
against 1/(1 - P/P_cr), a second-order combination, and a set that does not
exist raised with zervola-frame's message."""

import math

import pytest

import zervola

E = 2.1e8   # kN/m^2
I = 1.0e-4  # m^4
L = 4.0     # m
P_CR = math.pi ** 2 * E * I / (4 * L * L)  # fixed-free


def cantilever(share, lateral, *, second_order=False, buckling=True):
    m = zervola.Model(units=("kN", "m"), frame="plane")
    m.add_section("S", E=E, G=8.1e7, A=1e-2, It=1e-6, Iy=I, Iz=I, extent_z=0.3, extent_y=0.3)
    for i in range(8):
        m.add_member(f"C{i + 1}", (0, L * i / 8, 0), (0, L * (i + 1) / 8, 0), "S")
    m.add_support((0, 0, 0), "fixed")
    m.add_load_case("P", second_order=second_order)
    m.add_nodal_load("P", (0, L, 0), force=(lateral, -share * P_CR, 0))
    if buckling:
        m.buckling(["P"], modes=2)
    return m


def test_euler_cantilever_and_its_buckling_length():
    r = cantilever(0.5, 0.0).analyse()
    b = r.buckling[0]
    assert b["set"] == "P" and b["compression"]
    assert b["factors"][0] == pytest.approx(2.0, rel=1e-3)
    for member in b["members"]:
        assert member["N_Ed"] == pytest.approx(0.5 * P_CR)
        assert member["buckling_length_z"] == pytest.approx(2 * L, rel=1e-3)


def test_p_delta_amplification():
    first = cantilever(0.2, 10.0, buckling=False).analyse()
    second = cantilever(0.2, 10.0, second_order=True, buckling=False).analyse()
    sway = lambda r: r.displacements("P")[-1][0]
    assert sway(second) / sway(first) == pytest.approx(1.25, rel=0.01)
    s = second.second_order[0]
    assert s["alpha_cr"] == pytest.approx(5.0, rel=1e-3)
    assert s["iterations"] >= 1


def test_missing_set_is_named():
    m = cantilever(0.2, 1.0)
    m.buckling(["Q"])
    with pytest.raises(zervola.ModelError, match='no load case or combination is named "Q"'):
        m.analyse()
