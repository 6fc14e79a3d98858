import zervola

m = zervola.Model(units=("kN", "m"), frame="plane", material="S355")
m.add_section("HEB 300", profile="HEB 300")
m.add_member("C1", (0, 0, 0), (0, 4, 0), "HEB 300")
m.add_member("B1", (0, 4, 0), (6, 4, 0), "HEB 300")
m.add_member("C2", (6, 4, 0), (6, 0, 0), "HEB 300")
m.add_support((0, 0, 0), "fixed"); m.add_support((6, 0, 0), "fixed")
m.add_load_case("wind"); m.add_nodal_load("wind", (0, 4, 0), force=(20, 0, 0))
r = m.analyse()
print(r.displacements("wind")[:, 0], r.member("B1").internal_forces("wind").Mz.max())
