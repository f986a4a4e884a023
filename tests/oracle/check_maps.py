#!/usr/bin/python3
"""Differential check of plisse against the independent oracle.

For each map the program is run with --json. Every proved box must lie where
its kind lies (a cusp or fold point inside the studied box, a boundary point
on one of its faces: a point in the fixed coordinate, equal to the bound), be
defined as written at its corners (0*ln(x) is undefined where x <= 0, though
both sympy and the program may simplify it away), and hold a solution: for a
map the oracle finds generic, the oracle's feature or else a point where the
exact system, after Newton steps at 200 bits kept inside the box, has a
residual below 1e-30; for any other map, such a point. For a generic map,
every count the program claims complete (its undecided count is 0; for cusps,
cusps_exact) must also equal the oracle's.

When the program says the fold curve is known and every count is complete,
its components must be the oracle's: as many open and closed, the same cusps
in the same order along each (up to the direction, and for a closed one the
start), then the same features in the same order and, for an open one, from
the same fold point on an edge to the same other. In random mode the program
also counts the preimages of three points of the image of the box: each
proved box must hold a preimage, and each count it proves must be the
oracle's, unless the point lies near the fold or boundary image (then only
the boxes are checked).

Outcomes: "not generic" (the boxes are right, the counts not compared),
"settled" (every count complete and right), "undecided" (right, some counts
incomplete), "WRONG" (a complete count differs, a proved box holds no
solution, the fold curve components differ, or a proved preimage count
differs), "misplaced" (a proved box lies where its kind cannot, or has an
empty interval), "oracle-miss" (the program's boxes all hold solutions but the
oracle found fewer: a fault of the oracle), "timeout", "crash". The summary
line also says how many fold curves and preimage counts were compared, and
how many of them differ.

Usage:
  check_maps.py random N [SEED [FIRST]]   random maps FIRST..N-1 (random_maps.py)
  check_maps.py table FILE --soundness     every count claimed complete must be right
  check_maps.py table FILE --report        per row: undecided counts, topology verdict, counts, time
  check_maps.py table FILE --complete      every row settled: nothing undecided, the curve known, the
                                           table's counts
  check_maps.py table FILE --oracle        the oracle alone must find the counts of the table
  check_maps.py table FILE --oracle-hand   the same on the rows worked out by hand
  (the table modes check the program's boxes by Newton inside each box and its
  complete counts against the table's counts)
  environment: PLISSE (program, default ./build/driver/plisse),
               PLISSE_TIMEOUT (seconds, default 60), PLISSE_JOBS (maps checked at once, default 1)
"""
import concurrent.futures
import json
import os
import random
import subprocess
import sys
import tempfile
import time
import zlib

import mpmath
import numpy as np
import sympy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402
import random_maps  # noqa: E402
from expression_text import X, Y, parse  # noqa: E402

COUNTS = (("cusps", "cusps"), ("fold_fold", "fold_fold_crossings"),
          ("boundary_boundary", "boundary_boundary_crossings"), ("fold_boundary", "fold_boundary_intersections"))
FAILING = ("WRONG", "misplaced", "crash", "oracle-miss")


def run_program(program, m, timeout, targets=()):
    """(status, results, seconds): status is ok, timeout or crash. The
    program also counts the preimages of the targets."""
    with tempfile.TemporaryDirectory(prefix="plisse-check-") as tmp:
        out = os.path.join(tmp, "results.json")
        cmd = [program, "--f1", m["f1"], "--f2", m["f2"], "--x", "%r,%r" % tuple(m["x"]),
               "--y", "%r,%r" % tuple(m["y"]), "--no-window", "--json", out, "-o", tmp]
        for a, b in targets:
            cmd += ["--preimages", "%r,%r" % (a, b)]
        start = time.time()
        try:
            proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)
        except subprocess.TimeoutExpired:
            return "timeout", None, time.time() - start
        seconds = time.time() - start
        if proc.returncode != 0 or not os.path.exists(out):
            return "crash", {"returncode": proc.returncode, "stderr": proc.stderr.decode(errors="replace")[-500:]}, \
                seconds
        with open(out) as fh:
            return "ok", json.load(fh), seconds


def complete(results):
    u = results["undecided"]
    return {"cusps": bool(results["counts"]["cusps_exact"]) and u["cusps"] == 0,
            "fold_fold": u["fold_fold"] == 0,
            "boundary_boundary": u["boundary_boundary"] == 0,
            "fold_boundary": u["fold_boundary"] == 0}


def bounds(box, var):
    """(lo, hi) as mpf, or None when the interval is empty or unbounded."""
    iv = box.get(var)
    if iv is None:
        return None
    lo, hi = (mpmath.mpf(float(b)) if isinstance(b, str) else mpmath.mpf(b) for b in iv)
    if not (mpmath.isfinite(lo) and mpmath.isfinite(hi)) or lo > hi:
        return None
    return lo, hi


class BoxChecker:
    """Whether proved boxes hold solutions of the exact systems."""

    def __init__(self, m, answer):
        mpmath.mp.prec = 200
        self.f = oracle.MapFunctions(m["f1"], m["f2"])
        self.box = oracle.Box(m["x"], m["y"])
        self.answer = answer

    @staticmethod
    def holds(box, point):
        """Whether the box holds the oracle's point. A point interval is an edge's
        fixed coordinate or a solution proved exact, a double that the oracle's
        decimals only approximate: to 1e-30, the residual its solutions are
        checked to."""
        for var, value in zip(("x", "y"), point):
            b = bounds(box, var)
            if b is None:
                return False
            value = mpmath.mpf(value)
            if b[0] == b[1]:
                if abs(value - b[0]) > mpmath.mpf(10) ** -30 * (1 + abs(b[0])):
                    return False
            elif not b[0] <= value <= b[1]:
                return False
        return True

    @staticmethod
    def exact(entry, key):
        return [mpmath.mpf(v) for v in entry[key]]

    def newton_in(self, system, ranges, start):
        """A few Newton steps clipped into the ranges: (the final residual, the final vector)."""
        if not ranges:  # point boxes: the residual at the point itself
            return max(abs(a) for a in system([])[0]), []
        v = mpmath.matrix([min(max(mpmath.mpf(s), lo), hi) for s, (lo, hi) in zip(start, ranges)])
        for _ in range(40):
            values, jac = (mpmath.matrix(a) for a in system(v))
            try:  # the least-squares step when there are more equations than unknowns
                step = mpmath.lu_solve(jac, -values)
            except (ZeroDivisionError, TypeError, ValueError):
                break
            v = mpmath.matrix([min(max(v[i] + step[i], lo), hi) for i, (lo, hi) in enumerate(ranges)])
            if mpmath.norm(step) < mpmath.mpf(10) ** -50 * (1 + mpmath.norm(v)):
                break
        values, _ = system(v)
        return max(abs(a) for a in values), v

    def defined_on(self, boxes):
        """Whether the map as written is defined at every corner of the boxes (a
        box with an empty or unbounded interval is left to the Newton check)."""
        for b in boxes:
            ranges = [bounds(b, var) for var in ("x", "y")]
            if None not in ranges and not all(self.f.defined_at(x, y) for x in ranges[0] for y in ranges[1]):
                return False
        return True

    def holds_preimage(self, box, target):
        """Whether Newton at 200 bits inside the box reaches a point where f
        is the target to a residual below 1e-30."""
        ranges = [bounds(box, var) for var in ("x", "y")]
        if None in ranges:
            return False
        free = [i for i, r in enumerate(ranges) if r[0] != r[1]]
        t = [mpmath.mpf(v) for v in target]

        def full(v):
            p, k = [], 0
            for i, r in enumerate(ranges):
                if i in free:
                    p.append(v[k])
                    k += 1
                else:
                    p.append(r[0])
            return p

        def system(v):
            p = full(v)
            e = self.f.at(p[0], p[1])
            jac = [[e[oracle.J00], e[oracle.J01]], [e[oracle.J10], e[oracle.J11]]]
            return [e[oracle.F1] - t[0], e[oracle.F2] - t[1]], [[row[i] for i in free] for row in jac]

        try:
            residual, v = self.newton_in(system, [ranges[i] for i in free], [sum(ranges[i]) / 2 for i in free])
        except (ZeroDivisionError, TypeError, ValueError):
            return False
        return residual < mpmath.mpf(10) ** -30 and self.f.defined_at(*full(list(v)))

    def verified(self, kind, boxes):
        """Newton at 200 bits inside the boxes: residual below 1e-30, at points
        where the map as written is defined."""
        f = self.f
        ranges, free = [], []
        for b in boxes:
            for var in ("x", "y"):
                r = bounds(b, var)
                if r is None:
                    return False
                if r[0] == r[1]:
                    continue
                ranges.append(r)
            free.append([var for var in ("x", "y") if bounds(b, var)[0] != bounds(b, var)[1]])

        def point(b, free_vars, values):
            out, k = [], 0
            for var in ("x", "y"):
                if var in free_vars:
                    out.append(values[k])
                    k += 1
                else:
                    out.append(bounds(b, var)[0])
            return out, k

        def unpack(v):
            pts, k = [], 0
            for b, fr in zip(boxes, free):
                p, used = point(b, fr, list(v)[k:])
                pts.append(p)
                k += used
            return pts

        def columns(e, fr):
            return [(e[oracle.J00], e[oracle.J10]) if var == "x" else (e[oracle.J01], e[oracle.J11]) for var in fr]

        def system(v):
            pts = unpack(v)
            es = [f.at(p[0], p[1]) for p in pts]
            if kind == "cusp":
                e = es[0]
                vals = [e[oracle.DET], e[oracle.C1], e[oracle.C2]]
                rows = [[e[oracle.DETX], e[oracle.DETY]], [e[oracle.C1X], e[oracle.C1Y]],
                        [e[oracle.C2X], e[oracle.C2Y]]]
                return vals, [[r[i] for i, var in enumerate("xy") if var in free[0]] for r in rows]
            if kind == "point":
                e = es[0]
                return [e[oracle.DET]], [[e[oracle.DETX] if var == "x" else e[oracle.DETY] for var in free[0]]]
            vals = [es[0][oracle.F1] - es[1][oracle.F1], es[0][oracle.F2] - es[1][oracle.F2]]
            rows = [[], []]
            for sign, e, fr in ((1, es[0], free[0]), (-1, es[1], free[1])):
                for col in columns(e, fr):
                    rows[0].append(sign * col[0])
                    rows[1].append(sign * col[1])
            det_rows = []
            fold_boxes = {"ff": (0, 1), "fb": (0,), "bb": ()}[kind]
            offset = 0
            for idx, fr in enumerate(free):
                if idx in fold_boxes:
                    vals.append(es[idx][oracle.DET])
                    row = [0] * len(ranges)
                    for j, var in enumerate(fr):
                        row[offset + j] = es[idx][oracle.DETX] if var == "x" else es[idx][oracle.DETY]
                    det_rows.append(row)
                offset += len(fr)
            return vals, rows + det_rows

        start = [(lo + hi) / 2 for lo, hi in ranges]
        try:
            residual, v = self.newton_in(system, ranges, start)
        except (ZeroDivisionError, TypeError, ValueError):  # TypeError: a complex value where f is undefined
            return False
        return residual < mpmath.mpf(10) ** -30 and all(f.defined_at(x, y) for x, y in unpack(v))

    def check(self, results):
        """Problems with the proved boxes, the number of boxes that hold a
        solution the oracle did not list, and the oracle's features that no
        proved box holds (by count name)."""
        a = self.answer
        problems, unlisted = [], 0
        unmatched = {}

        def examine(kind, boxes, matches, label):
            nonlocal unlisted
            if not self.defined_on(boxes):
                problems.append("%s box reaches where the map as written is undefined: %s" % (label, json.dumps(boxes)))
                return
            for entry in matches:
                entry["matched"] = True
            if matches:
                return
            if self.verified(kind, boxes):
                unlisted += 1
            else:
                problems.append("%s box holds no solution: %s" % (label, json.dumps(boxes)))

        def pair_matches(pair, entries):
            return [c for c in entries
                    if (self.holds(pair["first"], self.exact(c, "first_exact")) and
                        self.holds(pair["second"], self.exact(c, "second_exact"))) or
                    (self.holds(pair["first"], self.exact(c, "second_exact")) and
                     self.holds(pair["second"], self.exact(c, "first_exact")))]

        lists = {"cusps": a["cusps"], "fold_fold": a["fold_fold"], "boundary_boundary": a["boundary_boundary"],
                 "fold_boundary": a["fold_boundary"]["crossings"] + a["fold_boundary"]["points"]}
        for entries in lists.values():
            for entry in entries:
                entry["matched"] = False
        for box in results["cusps"]:
            examine("cusp", [box], [c for c in a["cusps"] if self.holds(box, self.exact(c, "exact"))], "cusp")
        for pair in results["fold_fold_crossings"]:
            examine("ff", [pair["first"], pair["second"]], pair_matches(pair, a["fold_fold"]), "fold-fold")
        for pair in results["boundary_boundary_crossings"]:
            examine("bb", [pair["first"], pair["second"]], pair_matches(pair, a["boundary_boundary"]),
                    "boundary-boundary")
        for pair in results["fold_boundary"]["crossings"]:
            examine("fb", [pair["fold"], pair["boundary"]],
                    [c for c in a["fold_boundary"]["crossings"]
                     if self.holds(pair["fold"], self.exact(c, "fold_exact")) and
                     self.holds(pair["boundary"], self.exact(c, "boundary_exact"))], "fold-boundary")
        for box in results["fold_boundary"]["points"]:
            examine("point", [box],
                    [c for c in a["fold_boundary"]["points"] if self.holds(box, self.exact(c, "exact"))],
                    "fold point on an edge")
        for key, entries in lists.items():
            unmatched[key] = [describe(e) for e in entries if not e.pop("matched")]
        return problems, unlisted, unmatched


def describe(entry):
    """A short text for one feature of the oracle."""
    def pt(p):
        return "(%.6g, %.6g)" % tuple(p)
    if "first" in entry:
        edges = " %s/%s" % tuple(entry["edges"]) if "edges" in entry else ""
        return "%s~%s%s" % (pt(entry["first"]), pt(entry["second"]), edges)
    if "fold" in entry:
        return "fold %s~%s %s" % (pt(entry["fold"]), pt(entry["boundary"]), entry["edge"])
    return pt(entry["source"]) + (" " + entry["edge"] if "edge" in entry else "")


def fold_cells(answer, inputs):
    """The cells of the program's paving that the oracle's fold curve crosses:
    (surely, possibly), the second including cells it only comes close to."""
    n = inputs["resolution"]
    (x0, x1), (y0, y1) = ([float(b) for b in inputs[v]] for v in ("x", "y"))
    wx, wy = (x1 - x0) / n, (y1 - y0) / n
    surely, possibly = set(), set()
    for curve in answer.get("fold_curves", []):
        pts = curve["points"]
        pairs = list(zip(pts, pts[1:] + (pts[:1] if curve["closed"] else [])))
        for (ax, ay), (bx, by) in pairs:
            steps = int(max(abs(bx - ax) / wx, abs(by - ay) / wy) * 40) + 1
            for k in range(steps + 1):
                x, y = ax + (bx - ax) * k / steps, ay + (by - ay) * k / steps
                i, j = (x - x0) / wx, (y - y0) / wy
                cells = {(int(min(max(a, 0), n - 1)), int(min(max(b, 0), n - 1)))
                         for a in (i - 0.02, i + 0.02) for b in (j - 0.02, j + 0.02)}
                possibly |= cells
                if len(cells) == 1:
                    surely |= cells
    index = {(i, j): i * n + j for i in range(n) for j in range(n)}
    return {index[c] for c in surely}, {index[c] for c in possibly}


def topology_note(answer, results):
    """A note when the program says the fold curve is known but its fold cells
    are not those the oracle's fold curve crosses."""
    if not results.get("fold_curve_known") or not answer.get("fold_curves"):
        return None
    surely, possibly = fold_cells(answer, results["inputs"])
    claimed = {c["index"] for c in results["fold_cells"]}
    missing, extra = sorted(surely - claimed), sorted(claimed - possibly)
    if not missing and not extra:
        return None
    return "TOPOLOGY: the curve is said to be known, but fold cells %s are missing and %s are extra" % (
        missing[:8], extra[:8])


def misplacement(box, studied, on_face):
    """Why the box is not where its kind must lie (inside the studied box, and
    for a boundary box on one of its faces: the interval of x or y a point
    equal to a bound of that side), or None."""
    ranges = [bounds(box, var) for var in ("x", "y")]
    if None in ranges:
        return "an empty, unbounded or missing interval"
    if any(r[0] < side[0] or r[1] > side[1] for r, side in zip(ranges, studied)):
        return "not inside the studied box"
    if on_face and not any(r[0] == r[1] == bound for r, side in zip(ranges, studied) for bound in side):
        return "on no face of the studied box"
    return None


def misplaced_boxes(m, results):
    """Notes on the proved boxes that are not where their kind must lie: the
    boxes of cusps and fold points inside the studied box, the boxes of
    boundary points (of crossings, and fold points on an edge) on a face."""
    fb = results["fold_boundary"]
    boxes = [(box, "cusp", False) for box in results["cusps"]]
    boxes += [(pair[k], "fold-fold", False) for pair in results["fold_fold_crossings"] for k in ("first", "second")]
    boxes += [(pair[k], "boundary-boundary", True)
              for pair in results["boundary_boundary_crossings"] for k in ("first", "second")]
    boxes += [(pair["fold"], "fold-boundary fold", False) for pair in fb["crossings"]]
    boxes += [(pair["boundary"], "fold-boundary boundary", True) for pair in fb["crossings"]]
    boxes += [(box, "fold point on an edge", True) for box in fb["points"]]
    studied = (m["x"], m["y"])
    notes = []
    for box, label, on_face in boxes:
        why = misplacement(box, studied, on_face)
        if why:
            notes.append("misplaced %s box, %s: %s" % (label, why, json.dumps(box)))
    return notes


PREIMAGE_TARGETS = 3


def preimage_targets(m, count=PREIMAGE_TARGETS):
    """Points in the image of the box, the same for the same map: images of
    random points of the box, moved by a little against the image's size, and
    rounded to 10 digits."""
    rng = random.Random(zlib.crc32(("%s;%s;%r;%r" % (m["f1"], m["f2"], m["x"], m["y"])).encode()))
    f = sympy.lambdify((X, Y), [parse(m["f1"]), parse(m["f2"])], modules="numpy")
    gx, gy = np.meshgrid(np.linspace(*m["x"], 7), np.linspace(*m["y"], 7))
    with np.errstate(all="ignore"):
        values = [np.asarray(v, dtype=complex) * np.ones(gx.shape) for v in f(gx, gy)]
    finite = [v.real[np.isfinite(v) & (v.imag == 0)] for v in values]
    extent = [float(np.ptp(v)) if len(v) else 1.0 for v in finite]
    targets = []
    for _ in range(20 * count):
        if len(targets) == count:
            break
        x, y = rng.uniform(*m["x"]), rng.uniform(*m["y"])
        with np.errstate(all="ignore"):
            a, b = (complex(v) for v in f(x, y))
        if not all(np.isfinite(v) and v.imag == 0 for v in (a, b)):
            continue
        targets.append(tuple(float("%.10g" % (v.real + 0.003 * e * rng.gauss(0, 1))) for v, e in zip((a, b), extent)))
    return targets


_PREIMAGE_OPTION = {}


def counts_preimages(program):
    """Whether the program takes --preimages (its help lists the option)."""
    if program not in _PREIMAGE_OPTION:
        try:
            proc = subprocess.run([program, "--help"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=30)
            _PREIMAGE_OPTION[program] = b"--preimages" in proc.stdout
        except (OSError, subprocess.TimeoutExpired):
            _PREIMAGE_OPTION[program] = False
    return _PREIMAGE_OPTION[program]


def oracle_labels(answer, results):
    """The program's fold features and fold points on edges as the oracle's:
    (labels, ends), labels from the program's (kind, index, branch) to the
    oracle's, ends from the program's index of a fold point on an edge to the
    oracle's; a feature that holds no oracle feature, or several, is missing."""
    holds, exact = BoxChecker.holds, BoxChecker.exact

    def only(matches):
        return matches[0] if len(matches) == 1 else None

    labels, ends = {}, {}
    for k, box in enumerate(results["cusps"]):
        j = only([j for j, c in enumerate(answer["cusps"]) if holds(box, exact(c, "exact"))])
        if j is not None:
            labels[("cusp", k, "")] = ("cusp", j, "")
    for k, pair in enumerate(results["fold_fold_crossings"]):
        for j, c in enumerate(answer["fold_fold"]):
            first, second = exact(c, "first_exact"), exact(c, "second_exact")
            for mine, theirs in (((pair["first"], pair["second"]), ("first", "second")),
                                 ((pair["second"], pair["first"]), ("second", "first"))):
                if holds(mine[0], first) and holds(mine[1], second):
                    labels[("fold_fold", k, "first")] = ("fold_fold", j, theirs[0])
                    labels[("fold_fold", k, "second")] = ("fold_fold", j, theirs[1])
    for k, pair in enumerate(results["fold_boundary"]["crossings"]):
        j = only([j for j, c in enumerate(answer["fold_boundary"]["crossings"])
                  if holds(pair["fold"], exact(c, "fold_exact")) and holds(pair["boundary"], exact(c, "boundary_exact"))])
        if j is not None:
            labels[("fold_boundary", k, "")] = ("fold_boundary", j, "")
    for k, box in enumerate(results["fold_boundary"]["points"]):
        j = only([j for j, c in enumerate(answer["fold_boundary"]["points"]) if holds(box, exact(c, "exact"))])
        if j is not None:
            ends[k] = j
    return labels, ends


def describe_components(key):
    """A short text for the components of a components key."""
    def one(c):
        closed, ends, labels = c
        text = " ".join("%s%d%s" % ({"cusp": "c", "fold_fold": "ff", "fold_boundary": "fb"}[kind], index,
                                    "." + branch[0] if branch else "") for kind, index, branch in labels)
        return "%s%s(%s)" % ("closed" if closed else "open", "" if not ends else "%d-%d" % ends, text)
    return "; ".join(one(c) for c in key) or "none"


def fold_curve_notes(answer, results):
    """(compared, notes): whether the program's fold curve components, claimed
    proved with every count complete, were compared with the oracle's, and how
    they differ (in the oracle's numbering of features and edge points)."""
    claimed = results.get("fold_curve")
    if not (results.get("fold_curve_known") and claimed and all(complete(results).values())):
        return False, []
    if answer.get("from_table") or not answer.get("generic") or not answer.get("fold_curve"):
        return False, []
    labels, ends = oracle_labels(answer, results)
    components = []
    for c in claimed["components"]:
        features = [(f["kind"], f["index"], f.get("branch", "")) for f in c["features"]]
        if any(f not in labels for f in features):
            return False, ["fold curve components not compared: a feature along them matches none of the oracle's"]
        mapped = [ends.get(i) if i is not None else None for i in c["ends"]]
        components.append({"closed": bool(c["closed"]), "ends": None if None in mapped else mapped,
                           "features": [dict(zip(("kind", "index", "branch"), labels[f])) for f in features]})
    theirs = answer["fold_curve"]["components"]
    notes = []

    def differ(what, mine, want):
        notes.append("fold curve components differ: %s: the program has %s, the oracle %s" % (
            what, describe_components(mine), describe_components(want)))

    def key(comps, kinds, with_ends=False):
        return oracle.components_key(comps, kinds, with_ends)

    shape = [sum(1 for c in comps if c["closed"] == closed) for comps in (components, theirs) for closed in (False, True)]
    if shape[:2] != shape[2:]:
        notes.append("fold curve components differ: the program has %d open and %d closed, the oracle %d and %d"
                     % tuple(shape))
    elif key(components, ("cusp",)) != key(theirs, ("cusp",)):
        differ("cusps along them", key(components, ("cusp",)), key(theirs, ("cusp",)))
    elif key(components, None) != key(theirs, None):
        differ("features along them", key(components, None), key(theirs, None))
    elif all(c["ends"] is not None for c in components) and key(components, None, True) != key(theirs, None, True):
        differ("the features from end to end", key(components, None, True), key(theirs, None, True))
    return True, notes


def holds_within(box, point):
    """Whether the box holds the point up to 1e-30 relative (the oracle's
    preimages carry 40 digits; a point interval is a coordinate the program
    proved to be that double)."""
    for var, value in zip(("x", "y"), point):
        b = bounds(box, var)
        if b is None:
            return False
        slack = mpmath.mpf(10) ** -30 * (1 + abs(b[0]) + abs(b[1]))
        if not b[0] - slack <= mpmath.mpf(value) <= b[1] + slack:
            return False
    return True


def preimage_notes(m, results):
    """(compared, problems, misses): how many of the program's preimage counts
    were compared with the oracle's; the counts that differ and the proved
    boxes that hold no preimage; the proved boxes that hold one the oracle did
    not find. A target in doubt for the oracle (near the fold or boundary
    image) has only its boxes checked."""
    entries = results.get("preimages") or []
    if not entries:
        return 0, [], []
    points = [tuple(float(v) for v in e["point"]) for e in entries]
    solved = oracle.preimages(m["f1"], m["f2"], m["x"], m["y"], points)
    checker = BoxChecker(m, featureless_answer())
    compared, problems, misses = 0, [], []
    for entry, target, mine in zip(entries, points, solved):
        where = "(%.10g, %.10g)" % target
        for box in entry.get("boxes") or []:
            if any(holds_within(box, p) for p in mine["solutions"]):
                continue
            if checker.holds_preimage(box, target):
                misses.append("the preimage box %s of %s holds a preimage the oracle did not find" %
                              (json.dumps(box), where))
            else:
                problems.append("preimage box of %s holds no solution: %s" % (where, json.dumps(box)))
        if entry.get("count") is None or mine["doubt"]:
            continue
        compared += 1
        if entry["count"] != mine["count"]:
            problems.append("preimages of %s: the program proves %d, the oracle finds %d: %s" % (
                where, entry["count"], mine["count"],
                ", ".join("(%.6g, %.6g)" % (float(p[0]), float(p[1])) for p in mine["solutions"]) or "none"))
    return compared, problems, misses


def oracle_counts(answer):
    return {k: answer["counts"][k] for k, _ in COUNTS}


def box_outcome(problems, misplaced):
    """The outcome that the boxes alone decide, or None when they are all right."""
    return "WRONG" if problems else "misplaced" if misplaced else None


def judge(m, answer, status, results, stats=None):
    """(outcome, notes); stats, when given, gets how many fold curves and
    preimage counts were compared and how many of them differ."""
    stats = {} if stats is None else stats
    stats.update({"fold_curves": 0, "fold_curves_differ": 0, "preimages": 0, "preimages_differ": 0})
    if status != "ok":
        return status, ([results["stderr"].strip()] if results else [])
    misplaced = misplaced_boxes(m, results)
    if not answer["generic"]:
        # No count to compare, and no feature of the oracle to trust: every box by Newton alone.
        problems, _, _ = BoxChecker(m, featureless_answer()).check(results)
        compared, wrong, misses = preimage_notes(m, results)
        stats.update({"preimages": compared, "preimages_differ": sum(n.startswith("preimages of") for n in wrong)})
        problems += wrong
        outcome = box_outcome(problems, misplaced) or ("oracle-miss" if misses else "not generic")
        return outcome, problems + misplaced + misses + answer["reasons"]
    done = complete(results)
    notes = []
    differs = []
    for key, field in COUNTS:
        got = results["counts"][field]
        if done[key] and got != answer["counts"][key]:
            differs.append((key, got, answer["counts"][key]))
    problems, unlisted, unmatched = BoxChecker(m, answer).check(results)
    compared, wrong, misses = preimage_notes(m, results)
    stats.update({"preimages": compared, "preimages_differ": sum(n.startswith("preimages of") for n in wrong)})
    problems += wrong
    notes += problems + misplaced + misses
    curve_compared, curve_notes = (False, []) if differs else fold_curve_notes(answer, results)
    stats.update({"fold_curves": int(curve_compared), "fold_curves_differ": int(curve_compared and bool(curve_notes))})
    notes += curve_notes
    topology = topology_note(answer, results)
    if topology:
        notes.append(topology)
    for key, got, want in differs:
        notes.append("%s: the program claims %d complete, the %s finds %d; not found: %s" % (
            key, got, "table" if answer.get("from_table") else "oracle", want, ", ".join(unmatched[key]) or "-"))
    if box_outcome(problems, misplaced):
        return box_outcome(problems, misplaced), notes
    if (unlisted or misses) and not answer.get("from_table"):
        if unlisted:
            notes.append("%d proved boxes hold solutions the oracle did not list" % unlisted)
        return "oracle-miss", notes
    if differs or (curve_compared and curve_notes):
        return "WRONG", notes
    return ("settled" if all(done.values()) else "undecided"), notes


def program_summary(results):
    if not isinstance(results, dict) or "counts" not in results:
        return "-"
    c, u = results["counts"], results["undecided"]
    return "%d%s/%d/%d/%d undecided %d/%d/%d/%d known=%s" % (
        c["cusps"], "" if c["cusps_exact"] else "?", c["fold_fold_crossings"], c["boundary_boundary_crossings"],
        c["fold_boundary_intersections"], u["cusps"], u["fold_fold"], u["boundary_boundary"], u["fold_boundary"],
        "yes" if results["fold_curve_known"] else "no")


def featureless_answer():
    """An oracle answer that lists no feature: boxes are then checked by Newton only."""
    return {"generic": True, "reasons": [], "counts": {}, "cusps": [], "fold_fold": [],
            "boundary_boundary": [], "fold_boundary": {"crossings": [], "points": []}}


def table_answer(row):
    """An oracle answer made of the table's counts alone."""
    answer = featureless_answer()
    answer.update({"counts": dict(row["want"]), "from_table": True})
    return answer


def check(m, program, timeout, with_oracle=True):
    answer = oracle.study(m["f1"], m["f2"], m["x"], m["y"]) if with_oracle else table_answer(m)
    targets = preimage_targets(m) if with_oracle and counts_preimages(program) else []
    status, results, seconds = run_program(program, m, timeout, targets)
    stats = {}
    outcome, notes = judge(m, answer, status, results, stats)
    return {"map": m, "oracle": answer, "program": results, "status": status, "seconds": seconds,
            "outcome": outcome, "notes": notes, "checks": stats}


def line(label, r):
    m = r["map"]
    o = r["oracle"]["counts"]
    return "%s %s | %s | %s x %s | plisse %s (%.1fs) | %s %d/%d/%d/%d | %s%s" % (
        label, m.get("kind", ""), m["f1"] + " ; " + m["f2"], m["x"], m["y"], program_summary(r["program"]),
        r["seconds"], "table" if r["oracle"].get("from_table") else "oracle",
        o["cusps"], o["fold_fold"], o["boundary_boundary"], o["fold_boundary"], r["outcome"],
        ("  [" + "; ".join(r["notes"]) + "]") if r["notes"] else "")


def summary(records):
    outcomes = [r["outcome"] for r in records]
    topology = sum(1 for r in records if any(n.startswith("TOPOLOGY") for n in r["notes"]))
    misplaced = sum(1 for r in records for n in r["notes"] if n.startswith("misplaced"))
    checks = {k: sum(r.get("checks", {}).get(k, 0) for r in records)
              for k in ("fold_curves", "fold_curves_differ", "preimages", "preimages_differ")}
    return ("maps run %d, generic %d, fully settled %d, with undecided counts %d, wrong %d, misplaced boxes %d, "
            "timeouts %d, crashes %d, oracle misses %d, topology verdicts contradicted %d, "
            "fold curves compared %d (differ %d), preimage counts compared %d (differ %d)" % (
                len(records), sum(1 for r in records if r["oracle"]["generic"]),
                outcomes.count("settled"), outcomes.count("undecided"), outcomes.count("WRONG"), misplaced,
                outcomes.count("timeout"), outcomes.count("crash"), outcomes.count("oracle-miss"), topology,
                checks["fold_curves"], checks["fold_curves_differ"], checks["preimages"], checks["preimages_differ"]))


def program_path():
    return os.environ.get("PLISSE", "./build/driver/plisse")


def check_all(maps, with_oracle=True):
    """check() on every map, PLISSE_JOBS at a time, in order."""
    program, timeout = program_path(), float(os.environ.get("PLISSE_TIMEOUT", "60"))
    jobs = int(os.environ.get("PLISSE_JOBS", "1"))
    if jobs <= 1:
        for m in maps:
            yield check(m, program, timeout, with_oracle)
        return
    with concurrent.futures.ProcessPoolExecutor(jobs) as pool:
        futures = [pool.submit(check, m, program, timeout, with_oracle) for m in maps]
        for fut in futures:
            yield fut.result()


def run_random(count, seed, first=0):
    records = []
    for r in check_all(random_maps.generate(count, seed)[first:]):
        records.append(r)
        print(line("#%d" % r["map"]["index"], r), flush=True)
    print(summary(records))
    return 1 if any(r["outcome"] in FAILING for r in records) else 0


def read_table(path):
    rows = []
    with open(path) as fh:
        for raw in fh:
            if not raw.strip() or raw.startswith("#"):
                continue
            name, f1, f2, xr, yr, counts, tag = (raw.rstrip("\n").split("\t") + [""])[:7]
            want = [int(c) for c in counts.split("/")]
            rows.append({"name": name, "f1": f1, "f2": f2, "x": list(oracle.interval(xr)),
                         "y": list(oracle.interval(yr)), "want": dict(zip([k for k, _ in COUNTS], want)),
                         "hand": tag == "hand"})
    return rows


def run_table(path, mode):
    rows = read_table(path)
    failures = 0
    if mode in ("--oracle", "--oracle-hand"):
        for row in rows:
            if mode == "--oracle-hand" and not row["hand"]:
                continue
            answer = oracle.study(row["f1"], row["f2"], row["x"], row["y"])
            got = oracle_counts(answer)
            ok = answer["generic"] and got == row["want"]
            failures += not ok
            print("%-24s oracle %s want %s %s%s" % (row["name"], "/".join(str(got[k]) for k, _ in COUNTS),
                                                 "/".join(str(row["want"][k]) for k, _ in COUNTS),
                                                 "ok" if ok else "MISMATCH",
                                                 "" if answer["generic"] else " not generic: %s" % answer["reasons"]),
                  flush=True)
        return 1 if failures else 0
    records = []
    for row, r in zip(rows, check_all(rows, with_oracle=False)):
        records.append(r)
        failures += r["outcome"] in FAILING or (mode == "--complete" and not fully_settled(row, r))
        if mode in ("--report", "--complete"):
            print(report_line(row, r), flush=True)
        else:
            print(line(row["name"], r), flush=True)
    print(summary(records))
    return 1 if failures and mode in ("--soundness", "--complete") else 0


def fully_settled(row, r):
    """Whether the program settled every search of a table row, knows its fold
    curve, and gives the table's counts."""
    p = r["program"]
    if r["status"] != "ok":
        return False
    c = p["counts"]
    got = [c["cusps"], c["fold_fold_crossings"], c["boundary_boundary_crossings"], c["fold_boundary_intersections"]]
    return (all(complete(p).values()) and p["fold_curve_known"]
            and got == [row["want"][k] for k, _ in COUNTS])


def report_line(row, r):
    """Undecided counts, topology verdict, counts and time of one table row."""
    p = r["program"]
    if r["status"] != "ok":
        return "%-24s %s after %.1fs" % (row["name"], r["status"], r["seconds"])
    c, u = p["counts"], p["undecided"]
    want = "/".join(str(row["want"][k]) for k, _ in COUNTS)
    got = "%d/%d/%d/%d" % (c["cusps"], c["fold_fold_crossings"], c["boundary_boundary_crossings"],
                           c["fold_boundary_intersections"])
    settled = all(complete(p).values()) and got == want
    return "%-24s counts %-9s want %-9s undecided %d/%d/%d/%d cusps_exact=%s known=%s %6.1fs %s" % (
        row["name"], got, want, u["cusps"], u["fold_fold"], u["boundary_boundary"], u["fold_boundary"],
        c["cusps_exact"], p["fold_curve_known"], r["seconds"], "SETTLED" if settled else r["outcome"])


def main(argv):
    if len(argv) >= 2 and argv[0] == "random":
        seed = int(argv[2]) if len(argv) > 2 else random_maps.DEFAULT_SEED
        return run_random(int(argv[1]), seed, int(argv[3]) if len(argv) > 3 else 0)
    if len(argv) >= 2 and argv[0] == "table":
        return run_table(argv[1], argv[2] if len(argv) > 2 else "--soundness")
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
