# The birth of a swallowtail, certified: the family (x, y^4 - t*y^2 + x*y)
# for t from -0.5 to 0.5.
#
# Run it from the top folder after building, with the package on the path:
#
#     PYTHONPATH=build/python /usr/bin/python3 examples/swallowtail.py
#
# or paste its cells (# %%) into a notebook. It writes swallowtail-counts.png
# and swallowtail-before-after.png in the current folder.
#
# By hand: det = d/dy (y^4 - t*y^2 + x*y) = 4y^3 - 2ty + x (f1 = x), so the
# fold curve is x = 2ty - 4y^3, a graph over y. Its cusps are where the
# kernel (0, 1) is tangent to it, where d/dy det = 12y^2 - 2t = 0: none for
# t < 0, two for t > 0 (y = ±sqrt(t/6)). For t > 0 the fold points with
# x = 0 and y = ±sqrt(t/2) have the same image (0, -t^2/4): the fold image
# crosses itself once, between the two cusps. Over [-2, 2] x [-0.6, 0.6] the
# fold curve runs from the bottom edge to the top edge, never meeting the
# sides x = ±2 (|2ty - 4y^3| < 1.5 there).

# %%
import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt

import plisse
from plisse.sweeps import bifurcation_text, plot_counts, substitute, table

F1, F2 = "x", "y^4-t*y^2+x*y"
X, Y = (-2, 2), (-0.6, 0.6)
values = [round(-0.5 + k * 0.05, 10) for k in range(21)]

# %% One analysis per value, one worker per core.
result = plisse.sweep(F1, F2, X, Y, parameter="t", values=values, resolution=12)
print(table(result))
print(bifurcation_text(result))

# %% The counts against t; grey bands are certified changes.
plot_counts(result, "swallowtail-counts.png")

# %% Both planes before and after the birth.
figure, axes = plt.subplots(2, 2, figsize=(13, 12), layout="constrained")
for row, t in zip(axes, (-0.3, 0.3)):
    r = plisse.analyse(F1, substitute(F2, "t", t), X, Y, resolution=12)
    plisse.plot(r, ax=row)
    row[0].set_title(f"source plane, t = {t}: {r['counts']['cusps']} cusps")
    row[1].set_title(f"target plane, t = {t}: {r['counts']['fold_fold_crossings']} fold-fold crossings")
figure.savefig("swallowtail-before-after.png")
