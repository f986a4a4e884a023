"""plisse from Python: proves with interval arithmetic how a map of the plane folds.

    import plisse
    r = plisse.analyse("x+0.3*y", "y^3+x*y", x=(-0.9, 1.1), y=(-1, 1), resolution=10)
    r["counts"]["cusps"]                      # 1
    plisse.plot(r)                            # both planes, with matplotlib
    s = plisse.sweep("x", "y^3+(x^2-t)*y", x=(-1, 1), y=(-1, 1),
                     parameter="t", values=[-0.25, 0.25])
    s["bifurcations"]                         # where a certified count changes

The results are dicts with the fields of the command line's results file
(the README lists them); intervals are lists [lo, hi] of floats, infinite
bounds float infinities.
"""

from . import _plisse
from .plotting import plot
from .sweeps import sweep

__all__ = ["analyse", "flow", "plot", "sweep"]


def analyse(f1, f2, x, y, resolution=25, time_limit=None):
    """Proves how the map (f1, f2) folds the box x × y and returns the results.

    f1, f2: the components, texts in x and y in the expression language of
    the command line (--f1, --f2). x, y: the studied box, pairs (lo, hi).
    resolution: cells per side of the paving (-n). time_limit: seconds after
    which the searches stop (--time-limit); None for no limit.

    Returns a dict with exactly the fields of the results file of
    `plisse --json` for the same run (see the README), intervals as lists
    [lo, hi] of floats and infinite bounds as float infinities. A run stopped
    by its time limit returns what it proved, with the candidates it did not
    reach counted in result["undecided"] and the counts incomplete, as the
    command line does.

    Raises ValueError with the command line's message (naming the option)
    on a bad input. The GIL is released while the analysis runs; Ctrl-C
    (KeyboardInterrupt) stops the searches as the first Ctrl-C does on the
    command line, and the KeyboardInterrupt raised then carries the partial
    results in its attribute `result`. One analysis runs at a time in a
    process (other threads wait); sweeps run analyses in parallel processes.
    """
    results, _ = _plisse.analyse(f1, f2, tuple(x), tuple(y), resolution, time_limit)
    return results


def flow(field, x, y, time, order=20):
    """Encloses every solution of x' = f1(x, y), y' = f2(x, y) from the box x × y at `time`.

    field: the two components "f1,f2" in one text, separated by one comma
    (as --field of `plisse flow`), or a pair of texts. x, y: the start box,
    pairs (lo, hi) (a point is allowed). time: the horizon (negative
    integrates backward). order: the order of the Taylor series (1 to 60).

    Returns a dict with the fields of the JSON file of `plisse flow`: field,
    time, order, reached, enclosures (each {"t": interval, "box": {"x":
    interval, "y": interval}}, the start box first and the enclosure at
    `time` last) and, when no step could be validated any more, reached
    False and a message. Raises ValueError with the command line's message
    on a bad input.
    """
    if not isinstance(field, str):
        field = ",".join(field)
    return _plisse.flow(field, tuple(x), tuple(y), time, order)
