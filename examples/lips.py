# Lips opening, certified: the family (x, y^3 + (x^2 - t)*y) for t from -0.5 to 0.5.
#
#     PYTHONPATH=build/python /usr/bin/python3 examples/lips.py
#
# (or paste its cells, # %%, into a notebook). It writes lips-counts.png and
# lips-open.png in the current folder.
#
# By hand: det = d/dy (y^3 + (x^2 - t)*y) = 3y^2 + x^2 - t (f1 = x). For
# t < 0 it never vanishes: no fold curve, no cusp. For t > 0 the fold curve
# is the ellipse x^2 + 3y^2 = t, and its cusps are where its tangent is the
# kernel (0, 1), where d/dy det = 6y = 0: the two points (±sqrt(t), 0). Its
# image (x, -2y^3) is two arcs joining at the cusps: the lips, with no
# crossing.

# %%
import matplotlib

matplotlib.use("Agg")

import plisse
from plisse.sweeps import bifurcation_text, plot_counts, table

F1, F2 = "x", "y^3+(x^2-t)*y"
X, Y = (-1, 1), (-1, 1)
values = [round(-0.5 + k * 0.1, 10) for k in range(11)]

# %% One analysis per value; the value t = 0 itself is degenerate (a
# single fold point) and its counts come out incomplete, so the change is
# certified between -0.1 and 0.1.
result = plisse.sweep(F1, F2, X, Y, parameter="t", values=values, resolution=12)
print(table(result))
print(bifurcation_text(result))
plot_counts(result, "lips-counts.png")

# %% The open lips at t = 0.25: the ellipse x^2 + 3y^2 = 0.25 and its cusps at (±0.5, 0).
r = plisse.analyse(F1, "y^3+(x^2-0.25)*y", X, Y, resolution=12)
plisse.plot(r).savefig("lips-open.png")
