import zervola

m = zervola.Model(units=("kN", "m"), frame="plane", material="S355")
m.add_section("HEB 300", profile="HEB 300")                # the steel's density: mass too
m.add_member("C1", (0, 0, 0), (0, 4, 0), "HEB 300")
m.add_member("B1", (0, 4, 0), (6, 4, 0), "HEB 300")
m.add_member("C2", (6, 4, 0), (6, 0, 0), "HEB 300")
m.add_support((0, 0, 0), "fixed"); m.add_support((6, 0, 0), "fixed")
m.add_mass((0, 4, 0), 10.0); m.add_mass((6, 4, 0), 10.0)   # t = kN s^2/m
m.modal(3)                                                 # no load case needed
for mode in m.analyse().modes:
    print(mode.number, f"{mode.period:.4f} s", f"{mode.effective_mass_ratio['X']:.4f}")
