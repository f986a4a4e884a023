#!/usr/bin/python3
"""Counts the folding features of a plane map over a box, independently of plisse.

For f = (f1, f2) over [x0, x1] x [y0, y1] it finds, by dense sampling followed
by Newton refinement in mpmath:
  - the cusps: det = 0 with the fold tangent T = (d det/dy, -d det/dx) in the
    kernel of Df;
  - the points where the fold curve det = 0 meets the four edges;
  - the transversal crossings of the fold image with itself, of the boundary
    image with itself, and of the fold image with the boundary image.
Each crossing is a pair of distinct source points with the same image, found
as a solution of the exact two-point system and checked for transversality.

The fold curve traced by marching squares gives its components: each closed,
or open with its two ends among the fold points on the edges, with the cusps,
the fold points of crossings and the fold-boundary crossings in their order
along it (null, with the reason, unless both sampling resolutions agree).
preimages() solves f(p) = t by Newton from a grid of starts and from both
sides of the fold curve, and says when a target lies too near the fold or
boundary image for its count to be trusted.

A map is declared not generic (its counts are then not to be trusted: the
checks compare none, but still check every box the program proves) when a
feature lies within the sampling tolerance of a corner or an edge, when two
features cannot be told apart, when the map is not finite somewhere on the
sampling grid or undefined there as written (0*ln(x) where x <= 0, though
sympy reads it as 0), when a refinement does not converge, or when the two
sampling resolutions do not find the same features.

Usage: oracle.py F1 F2 X0,X1 Y0,Y1  -> JSON on standard output.
"""
import json
import os
import sys

import mpmath
import numpy as np
import sympy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from expression_text import X, Y, parse_with_domain  # noqa: E402

mp = mpmath.mp
WORKING_DIGITS = 40

# Relative tolerances (fractions of the larger box side).
NEAR = 1e-6       # a feature this close to an edge or a corner makes the map not generic
SEPARATE = 1e-7   # two points closer than this are one point
TRANSVERSAL = 1e-7  # sine of the crossing angle below which a crossing is tangential

# Edges in the order they follow the boundary counter-clockwise: name, the
# coordinate that runs along the edge (0: x, 1: y), and whether it runs from
# the upper bound down.
EDGES = (("bottom", 0, False), ("right", 1, False), ("top", 0, True), ("left", 1, True))

# Values listed by the map's evaluators, by position.
F1, F2, J00, J01, J10, J11, DET, DETX, DETY, C1, C1X, C1Y, C2, C2X, C2Y, DETXX, DETXY, DETYY = range(18)


class MapFunctions:
    """The map, its Jacobian, determinant and cusp functions, in numpy and
    mpmath, and where the map as written is defined."""

    def __init__(self, f1_text, f2_text):
        (e1, positive1), (e2, positive2) = parse_with_domain(f1_text), parse_with_domain(f2_text)
        j = [[sympy.diff(e1, X), sympy.diff(e1, Y)], [sympy.diff(e2, X), sympy.diff(e2, Y)]]
        det = j[0][0] * j[1][1] - j[0][1] * j[1][0]
        dx, dy = sympy.diff(det, X), sympy.diff(det, Y)
        # Row k of Df applied to the fold tangent T = (dy, -dx); both vanish at a cusp.
        c1 = j[0][0] * dy - j[0][1] * dx
        c2 = j[1][0] * dy - j[1][1] * dx
        values = [e1, e2, j[0][0], j[0][1], j[1][0], j[1][1], det, dx, dy,
                  c1, sympy.diff(c1, X), sympy.diff(c1, Y), c2, sympy.diff(c2, X), sympy.diff(c2, Y),
                  sympy.diff(dx, X), sympy.diff(dx, Y), sympy.diff(dy, Y)]
        # The decimal constants become arguments, converted once per precision
        # instead of at every evaluation.
        constants = sorted(set().union(*(v.atoms(sympy.Rational) for v in values)) -
                           set().union(*(v.atoms(sympy.Integer) for v in values)), key=lambda r: (r.p, r.q))
        names = sympy.symbols("c0:%d" % len(constants)) if constants else ()
        replaced = [v.xreplace(dict(zip(constants, names))) for v in values]
        self._constants = constants
        self._constant_values = {}
        self._mp = sympy.lambdify((X, Y) + tuple(names), replaced, modules="mpmath", cse=True)
        self._np_all = sympy.lambdify((X, Y), values, modules="numpy", cse=True)
        self._np_det = sympy.lambdify((X, Y), det, modules="numpy")
        self._mp_det = sympy.lambdify((X, Y), det, modules="mpmath")
        self._np_map = sympy.lambdify((X, Y), [e1, e2], modules="numpy")
        self._np_positive = sympy.lambdify((X, Y), positive1 + positive2, modules="numpy")
        self._mp_positive = sympy.lambdify((X, Y), positive1 + positive2, modules="mpmath")

    def at(self, x, y):
        """Every listed value at one point, in mpmath at the working precision."""
        key = mpmath.mp.prec
        if key not in self._constant_values:
            self._constant_values[key] = [mpmath.mpf(c.p) / c.q for c in self._constants]
        return self._mp(mpmath.mpf(x), mpmath.mpf(y), *self._constant_values[key])

    def at_float(self, x, y):
        """Every listed value at one point, in double precision."""
        with np.errstate(all="ignore"):
            return [float(v) for v in self._np_all(float(x), float(y))]

    def defined_at(self, x, y):
        """Whether the map as written is defined at the point, in mpmath (an
        argument that is already complex there is no positive number either)."""
        try:
            return all(v > 0 for v in self._mp_positive(mpmath.mpf(x), mpmath.mpf(y)))
        except TypeError:
            return False

    def defined_np(self, x, y):
        """Where the map as written is defined, on arrays (nan compares false)."""
        defined = np.ones(np.shape(x), dtype=bool)
        with np.errstate(all="ignore"):
            for v in self._broadcast(self._np_positive(x, y), np.shape(x)):
                defined &= v > 0
        return defined

    def det_at(self, x, y):
        return self._mp_det(mpmath.mpf(x), mpmath.mpf(y))

    @staticmethod
    def _broadcast(values, shape):
        return [np.broadcast_to(np.asarray(v, dtype=float), shape) for v in values]

    def det_np(self, x, y):
        with np.errstate(all="ignore"):
            return np.broadcast_to(np.asarray(self._np_det(x, y), dtype=float), np.shape(x))

    def map_np(self, x, y):
        with np.errstate(all="ignore"):
            return self._broadcast(self._np_map(x, y), np.shape(x))

    def all_np(self, x, y):
        with np.errstate(all="ignore"):
            return self._broadcast(self._np_all(x, y), np.shape(x))


class Box:
    def __init__(self, xr, yr):
        self.lo = (float(xr[0]), float(yr[0]))
        self.hi = (float(xr[1]), float(yr[1]))
        self.size = max(self.hi[0] - self.lo[0], self.hi[1] - self.lo[1])

    def edge_point(self, edge, u):
        """The point of the edge (index into EDGES) whose running coordinate is u."""
        name, var, _ = EDGES[edge]
        fixed = self.lo[1 - var] if name in ("bottom", "left") else self.hi[1 - var]
        return (u, fixed) if var == 0 else (fixed, u)

    def edge_range(self, edge):
        var = EDGES[edge][1]
        return self.lo[var], self.hi[var]

    def distance_to_boundary(self, p):
        """Signed: positive inside the box."""
        return min(p[0] - self.lo[0], self.hi[0] - p[0], p[1] - self.lo[1], self.hi[1] - p[1])

    def distance_to_corners(self, p):
        return min(float(mpmath.hypot(p[0] - cx, p[1] - cy))
                   for cx in (self.lo[0], self.hi[0]) for cy in (self.lo[1], self.hi[1]))


def newton(system, start, scale, f, iterations=60):
    """Newton's method on system(v, evaluator) -> (values, jacobian rows): in
    double precision until it settles, then polished in mpmath.  Returns
    (point, converged, jacobian at the point)."""
    v = np.array([float(a) for a in start])
    settled = False
    with np.errstate(all="ignore"):
        for _ in range(iterations):
            values, jac = (np.array(a, dtype=float) for a in system(v, f.at_float))
            if not (np.all(np.isfinite(values)) and np.all(np.isfinite(jac))):
                return v, False, None
            try:
                step = np.linalg.solve(jac, -values)
            except np.linalg.LinAlgError:
                return v, False, None
            size = np.linalg.norm(step)
            if size > 0.2 * scale:  # keep far jumps from leaving the region of the start
                step *= 0.2 * scale / size
            v = v + step
            if size <= 1e-12 * (scale + np.linalg.norm(v)):
                settled = True
                break
    if not settled:
        return v, False, None
    w = mpmath.matrix([mpmath.mpf(float(a)) for a in v])
    limit = (mpmath.mpf(scale) + mpmath.norm(w)) * mpmath.mpf(10) ** (-(WORKING_DIGITS - 8))
    for _ in range(12):
        values, jac = system(w, f.at)
        try:
            step = mpmath.lu_solve(mpmath.matrix(jac), -mpmath.matrix(values))
        except (ZeroDivisionError, TypeError):  # a singular Jacobian
            return w, False, None
        w += step
        if mpmath.norm(step) <= limit:
            values, jac = system(w, f.at)
            return w, all(mpmath.isfinite(a) for a in values), mpmath.matrix(jac)
    return w, False, None


def sine(a, b):
    na, nb = mpmath.hypot(a[0], a[1]), mpmath.hypot(b[0], b[1])
    if na == 0 or nb == 0:
        return mpmath.mpf(0)
    return abs(a[0] * b[1] - a[1] * b[0]) / (na * nb)


class Oracle:
    def __init__(self, f1, f2, xr, yr, resolutions=((240, 1600), (397, 2600))):
        mp.dps = WORKING_DIGITS
        self.f = MapFunctions(f1, f2)
        self.box = Box(xr, yr)
        self.resolutions = resolutions
        self.reasons = []
        self.near = NEAR * self.box.size
        self.separate = SEPARATE * self.box.size

    # ----------------------------------------------------------------- helpers
    def not_generic(self, reason):
        if reason not in self.reasons:
            self.reasons.append(reason)

    def point(self, v):
        return (mpmath.mpf(v[0]), mpmath.mpf(v[1]))

    def kernel_image(self, e):
        """Df . T at a fold point, with T the fold tangent, and its relative size."""
        t = (e[DETY], -e[DETX])
        a = (e[J00] * t[0] + e[J01] * t[1], e[J10] * t[0] + e[J11] * t[1])
        norm_df = mpmath.sqrt(e[J00] ** 2 + e[J01] ** 2 + e[J10] ** 2 + e[J11] ** 2)
        norm_t = mpmath.hypot(t[0], t[1])
        rel = mpmath.hypot(a[0], a[1]) / (norm_df * norm_t) if norm_df * norm_t != 0 else mpmath.mpf(0)
        return a, rel

    def edge_direction_image(self, e, var):
        return (e[J00], e[J10]) if var == 0 else (e[J01], e[J11])

    # --------------------------------------------------------------- sampling
    @staticmethod
    def grid_lines(lo, hi, n):
        """n + 1 lines from lo to hi, the inner ones moved by up to a fifth of a
        cell off the even spacing, so that points of round coordinates (a cusp
        at 0 of a symmetric box, say) do not fall on grid lines or vertices,
        where the trace and the placing of points along it degenerate."""
        k = np.arange(n + 1)
        u = (k + 0.2 * np.sin(2.399963 * k + 0.5) * ((k > 0) & (k < n))) / n
        return lo + u * (hi - lo)

    def trace_fold(self, n):
        """Fold curve by marching squares on an n x n grid: a list of (points, closed)."""
        (x0, y0), (x1, y1) = self.box.lo, self.box.hi
        xs, ys = self.grid_lines(x0, x1, n), self.grid_lines(y0, y1, n)
        gx, gy = np.meshgrid(xs, ys, indexing="ij")
        d = self.f.det_np(gx, gy)
        values = self.f.map_np(gx, gy)
        if not np.all(self.f.defined_np(gx, gy)):
            self.not_generic("the map as written is undefined on part of the box")
            return [], d
        if not (np.all(np.isfinite(d)) and all(np.all(np.isfinite(v)) for v in values)):
            self.not_generic("the map or its determinant is not finite on the sampling grid")
            return [], d
        pos = d > 0
        hm = pos[:-1, :] != pos[1:, :]   # edges from (i, j) to (i+1, j)
        vm = pos[:, :-1] != pos[:, 1:]   # edges from (i, j) to (i, j+1)
        nh = n * (n + 1)
        points = {}

        def roots(mask, di, dj, offset, width):
            ii, jj = np.nonzero(mask)
            if len(ii) == 0:
                return
            ax, ay = xs[ii], ys[jj]
            bx, by = xs[ii + di], ys[jj + dj]
            da, db = d[ii, jj], d[ii + di, jj + dj]
            lo, hi = np.zeros(len(ii)), np.ones(len(ii))
            flo, fhi = da.copy(), db.copy()
            t = np.full(len(ii), 0.5)
            for _ in range(60):  # Illinois regula falsi, vectorised
                t = np.where(fhi != flo, (lo * fhi - hi * flo) / (fhi - flo), 0.5 * (lo + hi))
                t = np.clip(t, lo, hi)
                ft = self.f.det_np(ax + t * (bx - ax), ay + t * (by - ay))
                left = np.sign(ft) == np.sign(flo)
                lo2 = np.where(left, t, lo)
                hi2 = np.where(left, hi, t)
                flo2 = np.where(left, ft, np.where(np.sign(ft) == np.sign(fhi), flo * 0.5, flo))
                fhi2 = np.where(left, np.where(np.sign(ft) == np.sign(flo), fhi * 0.5, fhi), ft)
                lo, hi, flo, fhi = lo2, hi2, flo2, fhi2
            for k in range(len(ii)):
                points[offset + ii[k] * width + jj[k]] = (ax[k] + t[k] * (bx[k] - ax[k]),
                                                           ay[k] + t[k] * (by[k] - ay[k]))

        roots(hm, 1, 0, 0, n + 1)
        roots(vm, 0, 1, nh, n)
        links = {}

        def link(a, b):
            links.setdefault(a, []).append(b)
            links.setdefault(b, []).append(a)

        cells = hm[:, :-1] | hm[:, 1:] | vm[:-1, :] | vm[1:, :]
        for i, j in zip(*np.nonzero(cells)):
            bottom, top = i * (n + 1) + j, i * (n + 1) + j + 1
            left, right = nh + i * n + j, nh + (i + 1) * n + j
            crossing = [e for e, m in ((bottom, hm[i, j]), (right, vm[i + 1, j]),
                                       (top, hm[i, j + 1]), (left, vm[i, j])) if m]
            if len(crossing) == 2:
                link(*crossing)
            elif len(crossing) == 4:
                centre = self.f.det_np(np.array(0.5 * (xs[i] + xs[i + 1])), np.array(0.5 * (ys[j] + ys[j + 1])))
                if (centre > 0) == pos[i, j]:  # the centre joins the lower-left corner: cut off the other two
                    link(bottom, right)
                    link(top, left)
                else:
                    link(bottom, left)
                    link(top, right)
        curves = []
        seen = set()

        def walk(start):
            chain, prev, cur = [start], None, start
            seen.add(start)
            while True:
                nxt = [b for b in links[cur] if b != prev and b not in seen]
                if not nxt:
                    closed = len(chain) > 2 and start in links[cur] and prev is not None
                    return chain, closed
                prev, cur = cur, nxt[0]
                chain.append(cur)
                seen.add(cur)

        chains = []
        for a in links:
            if len(links[a]) == 1 and a not in seen:
                chain, _ = walk(a)
                chains.append((chain, False))
        for a in links:
            if a not in seen:
                chains.append(walk(a))
        curves = [(np.array([points[k] for k in chain]), closed) for chain, closed in chains]
        # The chains by the grid edges they cross, for placing points of the curve along them.
        self.last_trace = {"n": n, "xs": xs, "ys": ys, "curves": curves, "chains": chains, "points": points}
        return curves, d

    def small_components(self, n, d):
        """A fold component smaller than the grid hides around an extremum of det:
        look at every grid extremum whose value is small and refine it."""
        if d.size == 0:
            return
        (x0, y0), (x1, y1) = self.box.lo, self.box.hi
        xs, ys = self.grid_lines(x0, x1, n), self.grid_lines(y0, y1, n)
        inner = d[1:-1, 1:-1]
        neighbours = [d[1 + a:n + a, 1 + b:n + b] for a in (-1, 0, 1) for b in (-1, 0, 1) if (a, b) != (0, 0)]
        is_min = np.all([inner < m for m in neighbours], axis=0)
        is_max = np.all([inner > m for m in neighbours], axis=0)
        scale = np.median(np.abs(d)) + 1e-300
        for ii, jj in zip(*np.nonzero((is_min & (inner > 0)) | (is_max & (inner < 0)))):
            if abs(inner[ii, jj]) > 1e-2 * scale:
                continue
            start = (xs[ii + 1], ys[jj + 1])

            def gradient_system(v, at):
                e = at(v[0], v[1])
                return [e[DETX], e[DETY]], [[e[DETXX], e[DETXY]], [e[DETXY], e[DETYY]]]

            v, ok, _ = newton(gradient_system, start, self.box.size, self.f, iterations=30)
            if ok and self.box.distance_to_boundary(self.point(v)) > -self.near:
                value = self.f.at(v[0], v[1])[DET]
                if value == 0 or (value > 0) != (inner[ii, jj] > 0):
                    self.not_generic("a fold component smaller than the sampling grid near (%.6g, %.6g)"
                                     % (float(v[0]), float(v[1])))

    def boundary_parameters(self, m, extra):
        """Sample positions in [0, 1] along an edge: uniform, graded towards both
        ends, and graded around the given extra positions."""
        grading = 10.0 ** -np.linspace(1.5, 9, 30)
        t = [np.linspace(0, 1, m + 1), grading, 1 - grading]
        for e in extra:
            t.append(np.clip(e + grading / 20, 0, 1))
            t.append(np.clip(e - grading / 20, 0, 1))
            t.append([e])
        return np.unique(np.concatenate(t))

    def boundary_loop(self, m, edge_points):
        """The boundary as one closed polyline: (points, edge of each vertex)."""
        pts, tags = [], []
        for k, (_, var, reverse) in enumerate(EDGES):
            lo, hi = self.box.edge_range(k)
            extra = [float((u - lo) / (hi - lo)) for (edge, u) in edge_points if edge == k]
            u = lo + self.boundary_parameters(m, extra) * (hi - lo)
            if reverse:
                u = u[::-1]
            u = u[:-1]  # the last point is the first one of the next edge
            for uu in u:
                pts.append(self.box.edge_point(k, uu))
                tags.append(k)
        return np.array(pts), np.array(tags)

    # ----------------------------------------------------------- edge points
    def edge_fold_points(self, m):
        """Points where det = 0 on an edge: a list of (edge, u) in mpmath."""
        found = []
        for k, (_, var, _) in enumerate(EDGES):
            lo, hi = self.box.edge_range(k)
            u = lo + self.boundary_parameters(m, []) * (hi - lo)
            p = [self.box.edge_point(k, uu) for uu in u]
            d = self.f.det_np(np.array([q[0] for q in p]), np.array([q[1] for q in p]))
            if not np.all(np.isfinite(d)):
                self.not_generic("the determinant is not finite on an edge")
                continue

            def det_on_edge(uu, k=k):
                q = self.box.edge_point(k, uu)
                return float(self.f.det_np(np.array(q[0]), np.array(q[1])))

            brackets = [(u[i], u[i + 1]) for i in range(len(u) - 1) if (d[i] > 0) != (d[i + 1] > 0)]
            scale = np.median(np.abs(d)) + 1e-300
            for i in range(1, len(u) - 1):  # a minimum of |det| without a sign change: look closer
                if abs(d[i]) < abs(d[i - 1]) and abs(d[i]) < abs(d[i + 1]) and \
                        (d[i - 1] > 0) == (d[i] > 0) == (d[i + 1] > 0):
                    a, b = u[i - 1], u[i + 1]
                    s = 1 if d[i] > 0 else -1
                    for _ in range(70):
                        c1, c2 = a + (b - a) / 3, b - (b - a) / 3
                        if s * det_on_edge(c1) < s * det_on_edge(c2):
                            b = c2
                        else:
                            a = c1
                    mid = (a + b) / 2
                    value = s * det_on_edge(mid)
                    if value <= 0:
                        brackets += [(u[i - 1], mid), (mid, u[i + 1])]
                    elif value < 1e-9 * scale:
                        self.not_generic("the fold curve nearly touches the %s edge" % EDGES[k][0])
            for a, b in brackets:
                da = det_on_edge(a)
                for _ in range(60):  # bisection in double precision, then Newton in mpmath
                    mid = 0.5 * (a + b)
                    dm = det_on_edge(mid)
                    if (dm > 0) == (da > 0):
                        a, da = mid, dm
                    else:
                        b = mid
                v, ok, _ = newton(self.edge_system(k), [0.5 * (a + b)], self.box.size, self.f)
                if not ok or abs(v[0] - 0.5 * (a + b)) > 1e-6 * self.box.size:
                    self.not_generic("a fold point on the %s edge did not converge" % EDGES[k][0])
                    continue
                found.append((k, v[0]))
        return found

    def edge_system(self, edge):
        var = EDGES[edge][1]

        def system(v, at):
            q = self.box.edge_point(edge, v[0])
            e = at(q[0], q[1])
            return [e[DET]], [[e[DETX] if var == 0 else e[DETY]]]
        return system

    # ------------------------------------------------------------------ cusps
    def cusp_system(self, k):
        c, cx, cy = (C1, C1X, C1Y) if k == 0 else (C2, C2X, C2Y)

        def system(v, at):
            e = at(v[0], v[1])
            return [e[DET], e[c]], [[e[DETX], e[DETY]], [e[cx], e[cy]]]
        return system

    def cusp_starts(self, curves):
        starts = []
        for pts, closed in curves:
            if len(pts) == 0:
                continue
            e = self.f.all_np(pts[:, 0], pts[:, 1])
            for c in (C1, C2):
                s = np.sign(e[c])
                nxt = np.roll(s, -1) if closed else s[1:]
                here = s if closed else s[:-1]
                for i in np.nonzero(here != nxt)[0]:
                    j = (i + 1) % len(pts)
                    starts.append((0.5 * (pts[i] + pts[j])))
            if not closed:
                starts += [pts[0], pts[-1]]
        return starts

    def find_cusps(self, starts):
        cusps = []
        for start in starts:
            for k in (0, 1):
                v, ok, jac = newton(self.cusp_system(k), start, self.box.size, self.f)
                if not ok:
                    continue
                p = self.point(v)
                dist = self.box.distance_to_boundary(p)
                if dist < -0.03 * self.box.size:
                    continue  # far outside the box
                e = self.f.at(p[0], p[1])
                grad = mpmath.hypot(e[DETX], e[DETY])
                _, rel = self.kernel_image(e)
                if rel > mpmath.mpf(10) ** (-20):
                    continue  # a zero of one cusp function only, where a row of Df vanishes
                if any(mpmath.hypot(p[0] - q[0], p[1] - q[1]) < self.separate for q in cusps):
                    continue
                if abs(dist) < self.near:
                    self.not_generic("a cusp within the tolerance of an edge at (%.9g, %.9g)" % (p[0], p[1]))
                if dist < 0:
                    continue
                if grad < 1e-12 * (abs(e[J00]) + abs(e[J11]) + abs(e[J01]) + abs(e[J10])) ** 2 / self.box.size:
                    self.not_generic("the fold curve is singular (grad det = 0) at (%.6g, %.6g)" % (p[0], p[1]))
                    continue
                nj = mpmath.norm(jac[0, :]) * mpmath.norm(jac[1, :])
                if abs(mpmath.det(jac)) < 1e-9 * nj:
                    self.not_generic("a degenerate cusp at (%.6g, %.6g)" % (p[0], p[1]))
                cusps.append(p)
        return cusps

    # ------------------------------------------------------- image crossings
    def candidates(self, curves, loop):
        """Crossings of the image polylines: (kind, start vector)."""
        segs_a, segs_b, owner, index, length, closed, tag = [], [], [], [], [], [], []
        polylines = [(pts, c, None) for pts, c in curves if len(pts) > 1]
        polylines.append((loop[0], True, loop[1]))
        sources = []
        for pid, (pts, is_closed, tags) in enumerate(polylines):
            img = np.stack(self.f.map_np(pts[:, 0], pts[:, 1]), axis=1)
            nseg = len(pts) if is_closed else len(pts) - 1
            a = np.arange(nseg)
            b = (a + 1) % len(pts)
            segs_a.append(img[a])
            segs_b.append(img[b])
            owner.append(np.full(nseg, pid))
            index.append(a)
            length.append(np.full(nseg, nseg))
            closed.append(np.full(nseg, is_closed))
            tag.append(tags[a] if tags is not None else np.full(nseg, -1))
            sources.append((pts[a], pts[b]))
        A, B = np.concatenate(segs_a), np.concatenate(segs_b)
        owner, index = np.concatenate(owner), np.concatenate(index)
        length, closed, tag = np.concatenate(length), np.concatenate(closed), np.concatenate(tag)
        SA = np.concatenate([s[0] for s in sources])
        SB = np.concatenate([s[1] for s in sources])
        if not (np.all(np.isfinite(A)) and np.all(np.isfinite(B))):
            self.not_generic("the map is not finite on a sampled curve")
            return []
        # Chunks of at most `size` consecutive segments of one polyline, paired by their bounding boxes.
        size = 8
        chunk_starts = []
        start = 0
        for pid in range(len(polylines)):
            n = int(np.sum(owner == pid))
            chunk_starts += list(range(start, start + n, size))
            start += n
        chunk_starts = np.array(chunk_starts)
        chunk_ends = np.append(chunk_starts[1:], len(A))
        lo = np.array([np.minimum(A[s:e], B[s:e]).min(axis=0) for s, e in zip(chunk_starts, chunk_ends)])
        hi = np.array([np.maximum(A[s:e], B[s:e]).max(axis=0) for s, e in zip(chunk_starts, chunk_ends)])
        overlap = (lo[:, None, 0] <= hi[None, :, 0]) & (lo[None, :, 0] <= hi[:, None, 0]) & \
                  (lo[:, None, 1] <= hi[None, :, 1]) & (lo[None, :, 1] <= hi[:, None, 1])
        ci, cj = np.nonzero(np.triu(overlap))
        if len(ci) == 0:
            return []
        # every segment of chunk ci with every segment of chunk cj
        offs = np.arange(size)
        first = (chunk_starts[ci][:, None, None] + offs[None, :, None]) + 0 * offs[None, None, :]
        second = (chunk_starts[cj][:, None, None] + offs[None, None, :]) + 0 * offs[None, :, None]
        valid = (first < chunk_ends[ci][:, None, None]) & (second < chunk_ends[cj][:, None, None])
        first, second = [first[valid]], [second[valid]]
        i, j = np.concatenate(first), np.concatenate(second)
        keep = i < j
        same = owner[i] == owner[j]
        gap = np.abs(index[i] - index[j])
        adjacent = same & ((gap <= 1) | (closed[i] & (gap == length[i] - 1)))
        keep &= ~adjacent
        # Segments that share a source point (a grid vertex on the fold curve) meet there trivially.
        touch = np.min([np.hypot(*(P[i] - Q[j]).T) for P in (SA, SB) for Q in (SA, SB)], axis=0)
        keep &= touch > 1e-9 * self.box.size
        i, j = i[keep], j[keep]
        p, r = A[i], B[i] - A[i]
        q, s = A[j], B[j] - A[j]
        denom = r[:, 0] * s[:, 1] - r[:, 1] * s[:, 0]
        qp = q - p
        with np.errstate(all="ignore"):
            alpha = (qp[:, 0] * s[:, 1] - qp[:, 1] * s[:, 0]) / denom
            beta = (qp[:, 0] * r[:, 1] - qp[:, 1] * r[:, 0]) / denom
        # Collinear pieces (a straight fold image, say) give no crossing point.
        parallel = np.abs(denom) <= 1e-10 * np.hypot(*r.T) * np.hypot(*s.T)
        hit = ~parallel & (alpha >= 0) & (alpha <= 1) & (beta >= 0) & (beta <= 1)
        out = []
        loop_id = len(polylines) - 1
        for a, b, al, be in zip(i[hit], j[hit], alpha[hit], beta[hit]):
            pa = SA[a] + al * (SB[a] - SA[a])
            pb = SA[b] + be * (SB[b] - SA[b])
            ka, kb = owner[a] == loop_id, owner[b] == loop_id
            if ka and kb:
                out.append(("bb", (tag[a], pa), (tag[b], pb)))
            elif ka:
                out.append(("fb", pb, (tag[a], pa)))
            elif kb:
                out.append(("fb", pa, (tag[b], pb)))
            else:
                out.append(("ff", pa, pb))
        return out

    @staticmethod
    def fold_fold_system(v, at):
        ep, eq = at(v[0], v[1]), at(v[2], v[3])
        values = [ep[F1] - eq[F1], ep[F2] - eq[F2], ep[DET], eq[DET]]
        jac = [[ep[J00], ep[J01], -eq[J00], -eq[J01]],
               [ep[J10], ep[J11], -eq[J10], -eq[J11]],
               [ep[DETX], ep[DETY], 0, 0],
               [0, 0, eq[DETX], eq[DETY]]]
        return values, jac

    def fold_boundary_system(self, edge):
        var = EDGES[edge][1]

        def system(v, at):
            q = self.box.edge_point(edge, v[2])
            ep, eq = at(v[0], v[1]), at(q[0], q[1])
            dq = self.edge_direction_image(eq, var)
            values = [ep[F1] - eq[F1], ep[F2] - eq[F2], ep[DET]]
            jac = [[ep[J00], ep[J01], -dq[0]], [ep[J10], ep[J11], -dq[1]], [ep[DETX], ep[DETY], 0]]
            return values, jac
        return system

    def boundary_boundary_system(self, ea, eb):
        va, vb = EDGES[ea][1], EDGES[eb][1]

        def system(v, at):
            qa, qb = self.box.edge_point(ea, v[0]), self.box.edge_point(eb, v[1])
            e1, e2 = at(qa[0], qa[1]), at(qb[0], qb[1])
            d1, d2 = self.edge_direction_image(e1, va), self.edge_direction_image(e2, vb)
            return [e1[F1] - e2[F1], e1[F2] - e2[F2]], [[d1[0], -d2[0]], [d1[1], -d2[1]]]
        return system

    def along_edge(self, edge, u):
        """Signed distance of the edge coordinate u from the ends of the edge: positive inside."""
        lo, hi = self.box.edge_range(edge)
        return min(u - lo, hi - u)

    def refine(self, candidate, cusps, edge_points, found):
        """Newton on the exact two-point system; adds a proper crossing to found."""
        kind = candidate[0]
        if kind == "ff":
            v, ok, jac = newton(self.fold_fold_system, list(candidate[1]) + list(candidate[2]), self.box.size, self.f)
            p, q = (v[0], v[1]), (v[2], v[3])
        elif kind == "fb":
            edge = int(candidate[2][0])
            var = EDGES[edge][1]
            start = list(candidate[1]) + [candidate[2][1][var]]
            v, ok, jac = newton(self.fold_boundary_system(edge), start, self.box.size, self.f)
            p, q = (v[0], v[1]), self.box.edge_point(edge, v[2])
        else:
            ea, eb = int(candidate[1][0]), int(candidate[2][0])
            start = [candidate[1][1][EDGES[ea][1]], candidate[2][1][EDGES[eb][1]]]
            v, ok, jac = newton(self.boundary_boundary_system(ea, eb), start, self.box.size, self.f)
            p, q = self.box.edge_point(ea, v[0]), self.box.edge_point(eb, v[1])
        starts = {"ff": [candidate[1], candidate[2]], "fb": [candidate[1], candidate[2][1]],
                  "bb": [candidate[1][1], candidate[2][1]]}[kind]
        distinct = ok and mpmath.hypot(p[0] - q[0], p[1] - q[1]) > self.separate
        if not distinct:
            if self.explained(kind, starts, cusps, edge_points):
                return
            self.not_generic("a %s refinement from (%.6g, %.6g) / (%.6g, %.6g) %s" % (
                kind, starts[0][0], starts[0][1], starts[1][0], starts[1][1],
                "reached a single point" if ok else "did not converge"))
            return
        # where the solution lies
        if kind == "ff":
            places = [self.box.distance_to_boundary(p), self.box.distance_to_boundary(q)]
        elif kind == "fb":
            places = [self.box.distance_to_boundary(p), self.along_edge(int(candidate[2][0]), v[2])]
        else:
            places = [self.along_edge(ea, v[0]), self.along_edge(eb, v[1])]
        if min(places) < -self.near:
            return  # a crossing outside the box, reached from a spurious candidate
        if min(places) < self.near and kind != "bb":
            self.not_generic("a %s crossing within the tolerance of an edge at (%.6g, %.6g)" % (kind, p[0], p[1]))
            return
        for r in (p, q):
            if self.box.distance_to_corners(r) < self.near:
                self.not_generic("a %s crossing within the tolerance of a corner" % kind)
                return
        ep, eq = self.f.at(p[0], p[1]), self.f.at(q[0], q[1])
        if kind == "ff":
            a, ra = self.kernel_image(ep)
            b, rb = self.kernel_image(eq)
            if min(ra, rb) < 1e-6:
                self.not_generic("a fold-fold crossing at the image of a cusp")
                return
        elif kind == "fb":
            a, ra = self.kernel_image(ep)
            b = self.edge_direction_image(eq, EDGES[int(candidate[2][0])][1])
            if ra < 1e-6:
                self.not_generic("a fold-boundary crossing at the image of a cusp")
                return
        else:
            a = self.edge_direction_image(ep, EDGES[ea][1])
            b = self.edge_direction_image(eq, EDGES[eb][1])
        if sine(a, b) < TRANSVERSAL:
            self.not_generic("a tangential %s contact at (%.6g, %.6g)" % (kind, p[0], p[1]))
            return
        record = {"kind": kind, "p": p, "q": q, "image": (ep[F1], ep[F2])}
        if kind == "fb":
            record["edge"] = int(candidate[2][0])
        if kind == "bb":
            record["edges"] = (ea, eb)
        for other in found:
            if other["kind"] != kind:
                continue
            same = self.same_point(other["p"], p) and self.same_point(other["q"], q)
            if kind != "fb":
                same = same or (self.same_point(other["p"], q) and self.same_point(other["q"], p))
            if same:
                other["resolutions"].add(self.current_resolution)
                return
        record["resolutions"] = {self.current_resolution}
        found.append(record)

    def same_point(self, a, b):
        return mpmath.hypot(a[0] - b[0], a[1] - b[1]) < self.separate

    def explained(self, kind, starts, cusps, edge_points):
        """Whether a candidate that led to no proper crossing is the known
        artefact of the sampling: two branches of one cusp, the tangential
        contact at a fold point on an edge, or the two edges at a corner."""
        radius = 4 * self.box.size / self.current_resolution[0]

        def close(a, b):
            return float(np.hypot(float(a[0]) - float(b[0]), float(a[1]) - float(b[1]))) < radius

        if kind == "ff":
            return any(close(starts[0], c) and close(starts[1], c) for c in cusps)
        if kind == "fb":
            spots = [self.box.edge_point(e, u) for e, u in edge_points] + list(cusps)
            return any(close(starts[0], c) and close(starts[1], c) for c in spots)
        corners = [(x, y) for x in (self.box.lo[0], self.box.hi[0]) for y in (self.box.lo[1], self.box.hi[1])]
        return any(close(starts[0], c) and close(starts[1], c) for c in corners) or \
            close(starts[0], starts[1])

    # -------------------------------------------------------------------- run
    def run(self):
        cusps, edge_points, crossings = [], [], []
        per_resolution = []
        self.traced = []  # the trace of every resolution (see trace_fold)
        for n, m in self.resolutions:
            self.current_resolution = (n, m)
            points = self.edge_fold_points(m)
            curves, d = self.trace_fold(n)
            if self.reasons:
                break
            self.small_components(n, d)
            found_cusps = self.find_cusps(self.cusp_starts(curves))
            loop = self.boundary_loop(m, [(k, float(u)) for k, u in points])
            cands = self.candidates(curves, loop)
            for c in cands:
                self.refine(c, found_cusps, points, crossings)
            per_resolution.append((found_cusps, points))
            components = (sum(1 for _, c in curves if c), sum(1 for _, c in curves if not c))
            self.curves = curves
            self.traced.append(self.last_trace)
        if not self.reasons:
            (c1, p1), (c2, p2) = per_resolution[0], per_resolution[-1]
            if not self.same_sets(c1, c2) or not self.same_sets([self.box.edge_point(k, u) for k, u in p1],
                                                              [self.box.edge_point(k, u) for k, u in p2]):
                self.not_generic("the two sampling resolutions find different cusps or edge points")
            for r in crossings:
                if len(r["resolutions"]) != len(self.resolutions):
                    self.not_generic("a %s crossing found at one sampling resolution only" % r["kind"])
            cusps, edge_points = c2, p2
            self.check_separation(cusps, edge_points, crossings)
        else:
            components = (0, 0)
        return self.report(cusps, edge_points, crossings, components)

    # ------------------------------------------------------- fold components
    def follow_to_node(self, trace, q, direction):
        """Follows the fold curve from its point q (predictor-corrector, with
        steps below an eighth of a grid cell and shortened where it bends)
        until it crosses a grid edge where the traced curve has a node:
        (the node's edge key, the length of the path), or None when it leaves
        the box first or cannot go on. Crossings of grid edges that the trace
        missed (the curve crosses that edge twice) are passed through."""
        n, points, lines = trace["n"], trace["points"], (trace["xs"], trace["ys"])
        cell = min(lines[0][-1] - lines[0][0], lines[1][-1] - lines[1][0]) / n
        nh = n * (n + 1)

        def tangent(p):
            e = self.f.at_float(p[0], p[1])
            t = np.array([e[DETY], -e[DETX]])
            norm = np.hypot(*t)
            return (t / norm if norm > 0 and np.isfinite(norm) else None), e

        def crossed(a, b):
            """The grid edges crossed by the step a -> b, in their order: (fraction, keys, point),
            keys the edge crossed and, at a grid vertex, the four edges that meet there (None off
            the grid), point where the curve crosses the grid line."""
            out = []
            for axis in (0, 1):
                mine, other = lines[axis], lines[1 - axis]
                other_w = (other[-1] - other[0]) / n
                ia, ib = (int(np.searchsorted(mine, v[axis], side="right")) - 1 for v in (a, b))
                if ia == ib:
                    continue
                line = max(ia, ib)
                if not 0 <= line <= n:
                    out.append((0.5, None, None))
                    continue
                fixed = mine[line]
                s = (fixed - a[axis]) / (b[axis] - a[axis])
                # Where the curve itself crosses the line, by Newton along the line from the chord's point.
                c = start = a[1 - axis] + s * (b[1 - axis] - a[1 - axis])
                for _ in range(6):
                    e = self.f.at_float(*((fixed, c) if axis == 0 else (c, fixed)))
                    slope = e[DETY] if axis == 0 else e[DETX]
                    if not (np.isfinite(slope) and slope != 0):
                        break
                    c -= e[DET] / slope
                if not (np.isfinite(c) and abs(c - start) < 0.5 * other_w):
                    c = start
                at = (fixed, c) if axis == 0 else (c, fixed)
                if not other[0] - 1e-9 * other_w <= c <= other[-1] + 1e-9 * other_w:
                    out.append((s, None, at))
                    continue
                # Edges along the line (between other = j and j + 1) and across it (at other = j).
                along = [min(int(np.searchsorted(other, c, side="right")) - 1, n - 1)]
                across = []
                vertex = int(np.argmin(np.abs(other - c)))
                if abs(other[vertex] - c) < 1e-9 * other_w:
                    along = [vertex - 1, vertex]
                    across = [(line - 1, vertex), (line, vertex)]
                keys = []
                for j in along:
                    if 0 <= j < n:
                        keys.append(nh + line * n + j if axis == 0 else j * (n + 1) + line)
                for i, j in across:
                    if 0 <= i < n and 0 <= j <= n:
                        keys.append(i * (n + 1) + j if axis == 0 else nh + j * n + i)
                out.append((s, keys, at))
            return sorted(out, key=lambda c: c[0])

        p = np.array([float(q[0]), float(q[1])])
        t, _ = tangent(p)
        if t is None:
            return None
        t = direction * t
        h, length = cell / 64, 0.0
        for _ in range(20000):
            trial = p + h * t
            for _ in range(8):
                e = self.f.at_float(trial[0], trial[1])
                g2 = e[DETX] ** 2 + e[DETY] ** 2
                if not (np.isfinite(g2) and g2 > 0):
                    break
                trial = trial - e[DET] * np.array([e[DETX], e[DETY]]) / g2
            t_new, e = tangent(trial)
            moved = np.hypot(*(trial - p))
            if t_new is None or not np.isfinite(moved) or abs(moved - h) > 0.25 * h or \
                    np.dot(t_new, t) < np.cos(0.3) and np.dot(-t_new, t) < np.cos(0.3):
                h /= 2
                if h < 1e-12 * cell:
                    return None
                continue
            for s, keys, at in crossed(p, trial):
                if keys is None:
                    return None
                nodes = [k for k in keys if k in points]
                near = [k for k in nodes if np.hypot(*(np.asarray(points[k]) - at)) <= 1e-5 * cell]
                if near:
                    return near[0], length + s * moved
                if nodes:
                    return None  # the curve crosses that grid edge more than once
            length += moved
            p = trial
            t = t_new if np.dot(t_new, t) > 0 else -t_new
            h = min(1.5 * h, cell / 8)
        return None

    def fold_components(self, trace, spots, ends):
        """The components of a traced fold curve: for each, whether it is
        closed, the positions in ends (points on the edges) of its two ends
        ([] when closed), and the labels of spots (label, point on the fold
        curve) in their order along it; or (None, why) when a spot or an end
        cannot be placed without doubt. A spot is placed between the two
        nodes of the trace that following the curve from it meets first."""
        n, points = trace["n"], trace["points"]
        cell = self.box.size / n
        # Consecutive nodes at one point (where the curve runs through a grid vertex) count as one.
        chains = []
        where = {}
        for k, (chain, closed) in enumerate(trace["chains"]):
            kept = []
            for key in chain:
                if kept and np.hypot(*(np.asarray(points[key]) - np.asarray(points[kept[-1]]))) < 1e-9 * cell:
                    where[key] = (k, len(kept) - 1)
                    continue
                where[key] = (k, len(kept))
                kept.append(key)
            if closed and len(kept) > 1 and \
                    np.hypot(*(np.asarray(points[kept[0]]) - np.asarray(points[kept[-1]]))) < 1e-9 * cell:
                for key, (kk, i) in list(where.items()):
                    if kk == k and i == len(kept) - 1:
                        where[key] = (k, 0)
                kept.pop()
            chains.append((kept, closed))
        places = [[] for _ in chains]
        for label, point in spots:
            back, ahead = self.follow_to_node(trace, point, -1), self.follow_to_node(trace, point, 1)
            q = (float(point[0]), float(point[1]))
            if back is None or ahead is None:
                return None, "the fold curve cannot be followed from a feature at (%.6g, %.6g)" % q
            (ka, ia), (kb, ib) = where[back[0]], where[ahead[0]]
            chain, closed = chains[ka]
            size = len(chain)
            # The nodes between the two must be the feature itself (a feature on a grid line or at a
            # grid vertex is a node of the trace, perhaps several).
            forward, backward = (ib - ia) % size, (ia - ib) % size
            if not closed:
                forward, backward = (forward, size) if ib > ia else (size, backward)
            steps, first = (forward, ia) if forward <= backward else (backward, ib)
            between = [points[chain[(first + i) % size]] for i in range(1, steps)]
            if ka != kb or steps == 0 or any(np.hypot(b[0] - q[0], b[1] - q[1]) > 1e-6 * cell for b in between):
                return None, "a feature at (%.6g, %.6g) lies between nodes of the traced fold curve " \
                             "that are not neighbours" % q
            share = back[1] / (back[1] + ahead[1]) if back[1] + ahead[1] > 0 else 0.5
            # On the pieces from node first to node first + steps (across the wrap of a closed chain).
            position = first + steps * (share if first == ia else 1 - share)
            if closed:
                position %= size
            places[ka].append((position, label))
        end_points = np.array([[float(a) for a in e] for e in ends]).reshape(-1, 2)
        used = set()
        components = []
        for k, (chain, closed) in enumerate(chains):
            at = []
            if not closed:
                for key in (chain[0], chain[-1]):
                    p = np.asarray(points[key])
                    dist = np.hypot(*(end_points - p).T) if len(end_points) else np.array([np.inf])
                    j = int(np.argmin(dist))
                    if dist[j] > 0.5 * cell or j in used:
                        return None, "an end of the traced fold curve at (%.6g, %.6g) matches no fold point " \
                                     "on an edge" % tuple(p)
                    used.add(j)
                    at.append(j)
            components.append({"closed": bool(closed), "ends": at,
                               "features": [label for _, label in sorted(places[k], key=lambda e: e[0])]})
        if len(used) != len(end_points):
            return None, "a fold point on an edge is the end of no traced fold component"
        return components, None

    def fold_curve(self, cusps, crossings, edge_points):
        """The fold curve's components with the final features placed along
        them, as traced at every sampling resolution: (components, reasons),
        components None unless all resolutions agree."""
        spots = [({"kind": "cusp", "index": k}, c) for k, c in enumerate(cusps)]
        ff = [r for r in crossings if r["kind"] == "ff"]
        fb = [r for r in crossings if r["kind"] == "fb"]
        for k, r in enumerate(ff):
            spots += [({"kind": "fold_fold", "index": k, "branch": "first"}, r["p"]),
                      ({"kind": "fold_fold", "index": k, "branch": "second"}, r["q"])]
        spots += [({"kind": "fold_boundary", "index": k}, r["p"]) for k, r in enumerate(fb)]
        ends = [self.box.edge_point(k, u) for k, u in edge_points]
        found, keys = None, set()
        for trace in self.traced:
            components, why = self.fold_components(trace, spots, ends)
            if components is None:
                return None, [why]
            keys.add(components_key(components))
            found = components
        if len(keys) > 1:
            return None, ["the sampling resolutions trace different fold curve components"]
        return found, []

    def same_sets(self, a, b):
        return len(a) == len(b) and all(any(self.same_point(p, q) for q in b) for p in a)

    def check_separation(self, cusps, edge_points, crossings):
        for k, u in edge_points:
            if self.box.distance_to_corners(self.box.edge_point(k, u)) < self.near:
                self.not_generic("the fold curve meets the boundary within the tolerance of a corner")
        spots = list(cusps) + [self.box.edge_point(k, u) for k, u in edge_points]
        for r in crossings:
            spots += [r["p"], r["q"]]
        for i in range(len(spots)):
            for j in range(i):
                if self.same_point(spots[i], spots[j]):
                    self.not_generic("two features at (%.6g, %.6g) too close to tell apart" %
                                     (spots[i][0], spots[i][1]))

    def report(self, cusps, edge_points, crossings, components):
        def num(v):
            return float(v)

        def pt(p):
            return [num(p[0]), num(p[1])]

        def exact(p):
            return [mpmath.nstr(mpmath.mpf(p[0]), 60), mpmath.nstr(mpmath.mpf(p[1]), 60)]

        def image(p):
            e = self.f.at(p[0], p[1])
            return [num(e[F1]), num(e[F2])]

        out = {
            "generic": not self.reasons,
            "reasons": self.reasons,
            "counts": {},
            "cusps": [{"source": pt(c), "exact": exact(c), "image": image(c)} for c in cusps],
            "fold_fold": [],
            "boundary_boundary": [],
            "fold_boundary": {"crossings": [], "points": []},
            "fold_components": {"closed": components[0], "open": components[1]},
            "fold_curves": [{"closed": bool(c), "points": [[float("%.10g" % a) for a in p] for p in pts]}
                            for pts, c in getattr(self, "curves", [])] if not self.reasons else [],
        }
        for r in crossings:
            entry = {"image": [num(r["image"][0]), num(r["image"][1])]}
            if r["kind"] == "fb":
                entry.update({"fold": pt(r["p"]), "boundary": pt(r["q"]), "fold_exact": exact(r["p"]),
                              "boundary_exact": exact(r["q"]), "edge": EDGES[r["edge"]][0]})
                out["fold_boundary"]["crossings"].append(entry)
            else:
                entry.update({"first": pt(r["p"]), "second": pt(r["q"]), "first_exact": exact(r["p"]),
                              "second_exact": exact(r["q"])})
                if r["kind"] == "bb":
                    entry["edges"] = [EDGES[r["edges"][0]][0], EDGES[r["edges"][1]][0]]
                out["fold_fold" if r["kind"] == "ff" else "boundary_boundary"].append(entry)
        for k, u in edge_points:
            p = self.box.edge_point(k, u)
            out["fold_boundary"]["points"].append({"source": pt(p), "exact": exact(p), "edge": EDGES[k][0],
                                                   "image": image(p)})
        fb = out["fold_boundary"]
        components, out["fold_curve_reasons"] = (None, ["not generic"]) if self.reasons else \
            self.fold_curve(cusps, crossings, edge_points)
        out["fold_curve"] = None if components is None else {"components": components}
        out["counts"] = {
            "cusps": len(out["cusps"]),
            "fold_fold": len(out["fold_fold"]),
            "boundary_boundary": len(out["boundary_boundary"]),
            "fold_boundary": len(fb["crossings"]) + len(fb["points"]),
            "fold_boundary_crossings": len(fb["crossings"]),
            "fold_boundary_points": len(fb["points"]),
        }
        return out


def feature_key(label):
    return (label["kind"], label["index"], label.get("branch", ""))


def component_key(closed, ends, labels):
    """One component in a form independent of the direction it is listed in
    and, when closed, of where the listing starts: (closed, ends, labels),
    ends None where they are not to be compared."""
    labels = list(labels)
    if closed:
        turns = [labels[i:] + labels[:i] for i in range(len(labels))] or [[]]
        turns += [list(reversed(t)) for t in turns]
        return (True, (), tuple(min(tuple(t) for t in turns)))
    forward = (tuple(ends) if ends is not None else None, tuple(labels))
    backward = (tuple(reversed(ends)) if ends is not None else None, tuple(reversed(labels)))
    if ends is None:
        return (False, None, min(forward[1], backward[1]))
    return (False,) + min(forward, backward)


def components_key(components, kinds=None, with_ends=True):
    """The components as a sorted list of component keys, keeping the
    features of the given kinds (all when None)."""
    keys = []
    for c in components:
        labels = [feature_key(f) for f in c["features"] if kinds is None or f["kind"] in kinds]
        keys.append(component_key(c["closed"], c["ends"] if with_ends else None, labels))
    return tuple(sorted(keys, key=repr))


NEAR_IMAGE = 1e-5  # a target this close to the fold or boundary image (relative to the image's size) is in doubt


def polyline_distance(q, pts, closed):
    """Distance from the point q to the polyline through pts (an n x 2 array)."""
    if len(pts) == 0:
        return np.inf
    a = pts if closed else pts[:-1]
    b = np.roll(pts, -1, axis=0) if closed else pts[1:]
    if len(a) == 0:
        return float(np.hypot(*(pts[0] - q)))
    ab = b - a
    t = np.clip(np.sum((q - a) * ab, axis=1) / np.maximum(np.sum(ab * ab, axis=1), 1e-300), 0, 1)
    return float(np.min(np.hypot(*(a + t[:, None] * ab - q).T)))


def preimage_system(target):
    def system(v, at):
        e = at(v[0], v[1])
        return [e[F1] - target[0], e[F2] - target[1]], [[e[J00], e[J01]], [e[J10], e[J11]]]
    return system


def preimages(f1, f2, xr, yr, targets, n=240, starts_per_side=48):
    """The solutions p of f(p) = t in the closed box, for each target t: a
    list of {"point", "solutions" (mpmath points), "count", "doubt"}, doubt
    saying why the count is not to be trusted (None when it is): the target
    lies within NEAR_IMAGE of the fold image or of the boundary image, where
    preimages merge or leave the box, or the map is not finite on the box.
    Newton runs, vectorised in double precision, from a grid of starts and
    from both sides of the traced fold curve (where two close preimages
    hide), then polishes each distinct limit in mpmath."""
    mp.dps = WORKING_DIGITS
    o = Oracle(f1, f2, xr, yr)
    f, box = o.f, o.box
    curves, _ = o.trace_fold(n)
    doubt = o.reasons[0] if o.reasons else None
    loop, _ = o.boundary_loop(4 * n, [])
    boundary_image = np.stack(f.map_np(loop[:, 0], loop[:, 1]), axis=1)
    fold_images = [(np.stack(f.map_np(pts[:, 0], pts[:, 1]), axis=1), c) for pts, c in curves if len(pts)]
    finite = boundary_image[np.all(np.isfinite(boundary_image), axis=1)]
    if not len(finite) or len(finite) < len(boundary_image):
        doubt = doubt or "the map is not finite on the boundary"
    size = float(np.max(np.ptp(finite, axis=0))) if len(finite) else 1.0
    # The starts: a grid over the box, and fold points moved a little either way along grad det.
    g = np.linspace(0, 1, starts_per_side + 1)
    gx, gy = np.meshgrid(box.lo[0] + g * (box.hi[0] - box.lo[0]), box.lo[1] + g * (box.hi[1] - box.lo[1]))
    sx, sy = [gx.ravel()], [gy.ravel()]
    step = box.size / n
    for pts, _ in curves:
        pts = pts[::max(1, len(pts) // 400)]
        e = f.all_np(pts[:, 0], pts[:, 1])
        norm = np.maximum(np.hypot(e[DETX], e[DETY]), 1e-300)
        for side in (-0.25, 0.25, -1.0, 1.0):
            sx.append(pts[:, 0] + side * step * e[DETX] / norm)
            sy.append(pts[:, 1] + side * step * e[DETY] / norm)
    starts = np.stack([np.concatenate(sx), np.concatenate(sy)], axis=1)
    out = []
    for target in targets:
        a, b = float(target[0]), float(target[1])
        q = np.array([a, b])
        near = min([polyline_distance(q, boundary_image, True)] +
                   [polyline_distance(q, img, c) for img, c in fold_images])
        why = doubt
        if why is None and near < NEAR_IMAGE * size:
            why = "the target lies %.3g from the fold or boundary image" % near
        # Solved even where the count is in doubt: the solutions still show which proved boxes hold one.
        solutions = solve_from(f, box, (a, b), starts)
        inside = [p for p in solutions if box.distance_to_boundary(p) >= 0]
        if why is None and any(abs(box.distance_to_boundary(p)) < NEAR * box.size for p in solutions):
            why = "a preimage lies within the tolerance of an edge"
        out.append({"point": [a, b], "solutions": inside, "count": len(inside), "doubt": why})
    return out


def solve_from(f, box, target, starts):
    """The distinct solutions of f(p) = target that Newton reaches from the
    starts, polished in mpmath (inside the box or not)."""
    x, y = starts[:, 0].copy(), starts[:, 1].copy()
    a, b = target
    limit = 0.25 * box.size
    for _ in range(60):
        e = f.all_np(x, y)
        r0, r1 = e[F1] - a, e[F2] - b
        with np.errstate(all="ignore"):
            det = e[J00] * e[J11] - e[J01] * e[J10]
            dx = -(e[J11] * r0 - e[J01] * r1) / det
            dy = -(-e[J10] * r0 + e[J00] * r1) / det
            length = np.hypot(dx, dy)
            shrink = np.where(length > limit, limit / length, 1.0)
            x, y = x + shrink * dx, y + shrink * dy
        keep = np.isfinite(x) & np.isfinite(y) & (x > box.lo[0] - box.size) & (x < box.hi[0] + box.size) & \
            (y > box.lo[1] - box.size) & (y < box.hi[1] + box.size)
        x, y = x[keep], y[keep]
    e = f.all_np(x, y)
    scale = 1 + abs(a) + abs(b)
    with np.errstate(all="ignore"):
        close = np.hypot(e[F1] - a, e[F2] - b) < 1e-6 * scale
    x, y = x[close], y[close]
    # Starts that reached the same limit: one representative each, polished.
    solutions = []
    tol = 1e-6 * box.size
    while len(x):
        v, ok, jac = newton(preimage_system(target), (x[0], y[0]), box.size, f)
        far = np.hypot(x - x[0], y - y[0]) > tol
        x, y = x[far], y[far]
        if not ok or not f.defined_at(v[0], v[1]):
            continue
        p = (v[0], v[1])
        if not any(mpmath.hypot(p[0] - s[0], p[1] - s[1]) < SEPARATE * box.size for s in solutions):
            solutions.append(p)
    return solutions


def fold_curve(f1, f2, xr, yr):
    """The fold curve's components with their cusps, whatever the images of
    the fold and of the boundary do: (components, reasons), components None
    (and reasons saying why) when the curve cannot be traced without doubt."""
    o = Oracle(f1, f2, xr, yr)
    o.traced = []
    found = []
    for n, m in o.resolutions:
        o.current_resolution = (n, m)
        points = o.edge_fold_points(m)
        curves, d = o.trace_fold(n)
        if o.reasons:
            return None, o.reasons
        o.small_components(n, d)
        found.append((o.find_cusps(o.cusp_starts(curves)), points))
        o.traced.append(o.last_trace)
    (c1, p1), (c2, p2) = found[0], found[-1]
    if not o.same_sets(c1, c2) or len(p1) != len(p2):
        o.not_generic("the two sampling resolutions find different cusps or edge points")
    if o.reasons:
        return None, o.reasons
    return o.fold_curve(c2, [], p2)


def study(f1, f2, xr, yr):
    return Oracle(f1, f2, xr, yr).run()


def interval(text):
    lo, hi = (float(t) for t in text.split(","))
    if not lo < hi:
        raise ValueError("the lower bound must be below the upper bound: %s" % text)
    return lo, hi


def main(argv):
    # Positional arguments by hand: the ranges start with a minus sign.
    if len(argv) != 4 or argv[0] in ("-h", "--help"):
        print(__doc__)
        return 2
    json.dump(study(argv[0], argv[1], interval(argv[2]), interval(argv[3])), sys.stdout, indent=1)
    print()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
