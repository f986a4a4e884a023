"""The plot of one analysis with matplotlib: the source plane and the target
plane side by side, as `plisse --plot` draws them with cairo."""

from . import _plisse

# The colours of the command line's plot.
BOUNDARY = (0.1, 0.3, 0.85)
FOLD = (0.85, 0.05, 0.05)
FOLD_CELL = (1, 0.8, 0.8)
SINGULAR_CELL = (0.6, 0.6, 0.6)
UNDECIDED = (0.55, 0.55, 0.75)

# Per kind of feature: its list in the results, its label, marker, colour and
# legend name; the labels number the features as the lists do, from 1.
KINDS = [
    ("cusps", "C", "o", (0.8, 0, 0.8), "cusp"),
    ("fold_fold_crossings", "FF", "s", (0, 0.6, 0), "fold-fold crossing"),
    ("boundary_boundary_crossings", "BB", "^", (0, 0.75, 0.8), "boundary-boundary crossing"),
    ("fold_boundary.crossings", "FB", "s", (1, 0.5, 0), "fold-boundary crossing"),
    ("fold_boundary.points", "P", "D", (0.45, 0.2, 0.1), "fold meets boundary"),
]


def _field(result, path):
    """The field of result at a dotted path (fold_boundary.points)."""
    value = result
    for key in path.split("."):
        value = value[key]
    return value


def _centre(box, x="x", y="y"):
    """The centre of box in its variables x and y."""
    return (sum(box[x]) / 2, sum(box[y]) / 2)


def _rectangle(box, **style):
    """The rectangle of a source box (variables x and y) as a patch."""
    from matplotlib.patches import Rectangle
    (x0, x1), (y0, y1) = box["x"], box["y"]
    return Rectangle((x0, y0), x1 - x0, y1 - y0, **style)


def _union(boxes, **style):
    """The boxes as one patch, each place they cover shaded once."""
    from matplotlib.patches import PathPatch
    from matplotlib.path import Path
    # Rectangles all drawn the same way round fill their union (nonzero winding).
    rectangles = [Path([(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)], closed=True)
                  for (x0, x1), (y0, y1) in ((b["x"], b["y"]) for b in boxes)]
    return PathPatch(Path.make_compound_path(*rectangles), **style)


def features(result):
    """The proved features of result, in the order of the results file: for
    each, its label (C1, FF2, ...), marker, colour, legend name, source
    points (one, or two for a crossing) and image point (box centres)."""
    found = []
    for path, label, marker, colour, name in KINDS:
        images = result["cusp_images"] if path == "cusps" else None
        if path == "fold_boundary.points":
            images = result["fold_boundary"]["point_images"]
        for k, entry in enumerate(_field(result, path)):
            if "image" in entry:
                sources = [entry[s] for s in ("first", "second", "fold", "boundary") if s in entry]
                image = entry["image"]
            else:
                sources, image = [entry], images[k]
            found.append({"label": f"{label}{k + 1}", "marker": marker, "colour": colour, "name": name,
                          "sources": [_centre(b) for b in sources], "image": _centre(image, "y0", "y1")})
    return found


def _mark(ax, feature, point, legend):
    """The marker and label of feature at point; named in the legend when legend is true."""
    ax.plot(*point, linestyle="none", marker=feature["marker"], markersize=7, markerfacecolor=feature["colour"],
            markeredgecolor="black", markeredgewidth=0.8, label=feature["name"] if legend else None)
    ax.annotate(feature["label"], point, xytext=(6, 5), textcoords="offset points", fontsize=8)


def _segments(ax, segments, colour, label):
    """Draws the segments in one colour."""
    from matplotlib.collections import LineCollection
    ax.add_collection(LineCollection(segments, colors=[colour], linewidths=1.5, label=label))


def _draw_source(ax, result, curves, marks):
    """The source plane: cells, undecided regions, the box, the fold curve and the features' source points."""
    box = {"x": result["inputs"]["x"], "y": result["inputs"]["y"]}
    for n, cell in enumerate(result["fold_cells"]):
        ax.add_patch(_rectangle(cell["box"], facecolor=FOLD_CELL, edgecolor="none",
                                label=None if n else "cells the fold curve crosses"))
    undecided = [b for boxes in result.get("undecided_regions", {}).values() for b in boxes]
    if undecided:
        ax.add_patch(_union(undecided, facecolor=UNDECIDED, alpha=0.5, edgecolor="none", label="left undecided"))
    for n, cell in enumerate(result["singular_cells"]):
        ax.add_patch(_rectangle(cell["box"], fill=False, edgecolor=SINGULAR_CELL, linewidth=0.5,
                                label=None if n else "cells where det may vanish"))
    ax.add_patch(_rectangle(box, fill=False, edgecolor="black", linewidth=1.2, label="studied box"))
    _segments(ax, curves["fold_curve"], FOLD, "fold curve and fold image")
    for feature in marks:
        for point in feature["sources"]:
            _mark(ax, feature, point, False)
    ax.set(xlabel="x", ylabel="y", title="source plane")
    ax.autoscale_view()


def _draw_target(ax, result, curves, marks):
    """The target plane: the boundary image, the fold image and the features' image points."""
    xs, ys = zip(*curves["boundary_image"])
    ax.plot(xs, ys, color=BOUNDARY, linewidth=1.5, label="boundary image")
    _segments(ax, curves["fold_image"], FOLD, None)
    names = set()
    for feature in marks:
        _mark(ax, feature, feature["image"], feature["name"] not in names)
        names.add(feature["name"])
    ax.set(xlabel="f1", ylabel="f2", title="target plane")
    ax.autoscale_view()


def complete(result):
    """Whether every search of result settled every candidate."""
    counts = result["counts"]
    return all(counts[k] for k in ("cusps_exact", "fold_fold_complete", "boundary_boundary_complete",
                                   "fold_boundary_complete"))


def plot(result, ax=None, equal_scales=True):
    """Draws the results of plisse.analyse (or a results file read with json.load) with matplotlib.

    Draws both planes side by side as `plisse --plot` does. In the source
    plane: the studied box, the cells where the Jacobian determinant may
    vanish (grey outlines), the cells the fold curve crosses (pink), the fold
    curve (red), the regions the searches left undecided (shaded; a results
    file written before they were listed has none), and a marker at every source point of every proved feature.
    In the target plane: the boundary image (blue), the fold image (red) and
    the image of every feature. Labels name the features as the results
    number them, from 1 in each list: C cusps, FF fold-fold crossings, BB
    boundary-boundary crossings, FB fold-boundary crossings, P points where
    the fold curve meets the boundary.

    ax: None for a new figure of two axes, or a pair of matplotlib axes
    (source, target) to draw into. equal_scales: a unit as long along both
    axes of a plane (as --plot-aspect equal, the default of the command
    line); False lets each axis fill its panel. Returns the figure.
    """
    import matplotlib.pyplot as plt
    inputs = result["inputs"]
    if ax is None:
        figure, ax = plt.subplots(1, 2, figsize=(13, 6.5), layout="constrained")
    else:
        figure = ax[0].figure
    source, target = ax
    cells = [(tuple(c["box"]["x"]), tuple(c["box"]["y"])) for c in result["singular_cells"]]
    curves = _plisse.curves(inputs["f1"], inputs["f2"], tuple(inputs["x"]), tuple(inputs["y"]), cells)
    marks = features(result)
    _draw_source(source, result, curves, marks)
    _draw_target(target, result, curves, marks)
    if equal_scales:
        for a in ax:
            a.set_aspect("equal", adjustable="datalim")
    (x0, x1), (y0, y1) = inputs["x"], inputs["y"]
    note = "" if complete(result) else "   (incomplete: the shaded regions are undecided)"
    figure.suptitle(f"f1 = {inputs['f1']},   f2 = {inputs['f2']}{note}\n"
                    f"box [{x0:g}, {x1:g}] × [{y0:g}, {y1:g}],   {inputs['resolution'] ** 2} cells")
    source.legend(loc="upper left", fontsize=7)
    target.legend(loc="upper left", fontsize=7)
    return figure
