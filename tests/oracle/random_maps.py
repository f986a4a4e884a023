#!/usr/bin/python3
"""Seeded random maps, written in the program's expression language.

Each map is built in normalised variables X, Y where its features sit within
[-1, 1]^2, then carried to a box from 0.05 to 50 wide by X = (x - cx) * k,
Y = (y - cy) * k.  f1 = X + a Y plus small terms; f2 is a polynomial of degree
3 to 5 in Y whose coefficients depend on X, sometimes with a sin, cos or exp
term ("plain").  Shares of the maps are built on purpose:
  - "corner": a corner of the box sits close to the fold curve, so that the
    images of the two edges meeting there may cross;
  - "cusp-edge": a cusp lies close to (but not on) an edge;
  - "lips": the fold curve has a small closed component;
  - "cancelling-partial": a plain map plus a term such as (Y-Y)*sqrt(X-c),
    0*ln(Y-c), (X*Y-Y*X)*sqrt(X-c) or 0.1*X*ln(Y-c), c inside the box, so that
    the map as written is undefined on part of the box (where the argument is
    not positive) even where the term cancels: nothing may be proved there.
The following are written directly in x and y, over boxes whose edges are
dyadic numbers, so that many features fall on exact doubles:
  - "normal-form": f1 exactly x, 2*x or x^3+x, f2 the pleat y^3+x*y, the
    swallowtail y^4+a*y^2+x*y or the lips y^3+(x^2-r)*y, its variables
    shifted by dyadic amounts; sometimes with the roles of x and y swapped.
    The kernel of Df is then along one axis, so fold points on the edges
    parallel to it are not generic: the oracle may say so, the boxes are
    checked all the same;
  - "exact-doubles": the pleat (X + 3dY, Y^3 + XY) in X = (x - cx) k,
    Y = (y - cy) k with k a power of 2 and d, cx, cy dyadic: its cusp is at
    (X, Y) = (0, d), and for d = 0 its fold-boundary crossings on an edge
    Y = h are at X = -3h^2/4 with the fold point at Y = -h/2.
The rich maps are polynomials of high degree whose terms cancel, written in x
and y with coefficients that are short decimals (products of them are exact
decimals, written in full), so that each text reads back as the map built:
  - "complex-polynomial": f(z) = z^k + c*conj(z) + e*conj(z)^2 or + e*z^2,
    z = x + iy, k from 6 to 12, c and e complex, |e| small; the real and
    imaginary parts expanded. The fold is near the circle
    |z| = (|c|/k)^(1/(k-1)), where |k z^(k-1)| = |c|, and its image near a
    hypocycloid with k + 1 cusps; the box holds the circle and is a little
    off-centre, so that no symmetry of the map carries the box to itself;
  - "both-nonlinear": the components x + a*y and b*x + y (|a|, |b| <= 0.5)
    each plus two to five terms of degree 2 up to 3, 4 or 5, one of them a
    cross term x^i*y^j of the top degree, coefficients 0.15 to 0.8 in size,
    over a box about 2 wide; drawn again until the determinant changes sign
    on the box;
  - "composition": g(h(x, y)) with the folds h = (x + d*y, y^2 + a*x) and
    g = (u + b*v, v^2 + c*u), written nested or expanded, plus a small term.
    g o h alone is not generic: it takes the same value at p and at the
    mirror image of p across the fold of h, y = a*d/2, along the kernel
    (-d, 1), so that the two halves of the preimage of the fold of g have
    one image; and that preimage crosses the fold of h. The small term
    breaks the symmetry and parts the two fold curves near the crossing,
    which the box holds (the maps tried have a cusp there);
  - "high-degree-y": f1 = x + a*y + b*y^2, f2 = P(y) + x*y + e*x*y^3 with P
    of degree 7 or 8 whose P'' - 2a has its 5 or 6 roots spread over
    (-0.9, 0.9): for b = e = 0 the cusps are at those roots, where the fold
    x = a*y - P'(y) turns along the kernel (-a, 1). The box holds the fold's
    range in x, give or take a little.

Usage: random_maps.py N [SEED] -> one JSON object per line.
"""
import json
import math
import os
import random
import re
import sys

import numpy as np
import sympy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402
from expression_text import X as x_symbol, Y as y_symbol  # noqa: E402

DEFAULT_SEED = 20261209


def number(v):
    """A short decimal constant (the language has no leading sign inside a product)."""
    text = "%.3g" % abs(v)
    if "e" in text:
        text = "%.6f" % abs(v)
    return text


def signed_term(coefficient, factor):
    """' + c*factor' or ' - c*factor'; nothing for a zero coefficient."""
    if coefficient == 0 or number(coefficient) in ("0", "0.000000"):
        return ""
    sign = "+" if coefficient > 0 else "-"
    return " %s %s*%s" % (sign, number(coefficient), factor) if factor else " %s %s" % (sign, number(coefficient))


def power(base, k):
    return base if k == 1 else "%s^%d" % (base, k)


def exact(v):
    """A dyadic constant written so that it reads back as itself."""
    text = repr(float(abs(v)))
    return text[:-2] if text.endswith(".0") else text


def shifted(name, c):
    """The text of name - c for a dyadic c."""
    return name if c == 0 else "(%s%s%s)" % (name, "-" if c > 0 else "+", exact(c))


def swapped(text):
    """The text with the variables x and y exchanged."""
    return re.sub(r"\b[xy]\b", lambda v: "y" if v.group() == "x" else "x", text)


class Normalised:
    """A map in X, Y (texts using the names X and Y) and its box in those variables."""

    def __init__(self, f1, f2, kind):
        self.f1, self.f2, self.kind = f1, f2, kind
        self.box = ((-1.0, 1.0), (-1.0, 1.0))

    def texts_in(self, x_name, y_name):
        def sub(t):
            return t.replace("X", x_name).replace("Y", y_name)
        return sub(self.f1), sub(self.f2)


def random_f1(rng):
    a = rng.choice([-1, 1]) * rng.uniform(0.05, 0.6)
    f1 = "X" + signed_term(a, "Y")
    extra = rng.random()
    if extra < 0.25:
        f1 += signed_term(rng.uniform(-0.15, 0.15), "Y^2")
    elif extra < 0.45:
        f1 += signed_term(rng.uniform(-0.2, 0.2), "sin(Y)")
    elif extra < 0.6:
        f1 += signed_term(rng.uniform(-0.1, 0.1), "X*Y")
    return f1


def random_f2(rng):
    degree = rng.choice([3, 3, 4, 5])
    terms = ["Y^%d" % degree if degree != 4 else "0.25*Y^4"]
    if degree == 4:
        terms.append(signed_term(-rng.uniform(0.2, 0.6), "Y^2").strip())
    if degree == 5:
        terms.append(signed_term(-rng.uniform(0.5, 1.2), "Y^3").strip())
    # The coefficient of Y is (X - s): the fold runs across the middle of the box.
    shift = rng.uniform(-0.3, 0.3)
    terms.append("(X%s)*Y" % signed_term(-shift, "").replace(" ", ""))
    for k in range(2, degree):
        if rng.random() < 0.5:
            terms.append(signed_term(rng.uniform(-0.3, 0.3), "X*%s" % power("Y", k)).strip())
    extra = rng.random()
    if extra < 0.2:
        terms.append(signed_term(rng.uniform(-0.15, 0.15), "sin(%s*X)" % number(rng.uniform(0.5, 2.5))).strip())
    elif extra < 0.35:
        terms.append(signed_term(rng.uniform(-0.15, 0.15), "cos(%s*Y)" % number(rng.uniform(0.5, 2))).strip())
    elif extra < 0.5:
        terms.append(signed_term(rng.uniform(-0.1, 0.1), "exp(%s*X)*Y" % number(rng.uniform(0.3, 1.2))).strip())
    text = " ".join(terms)
    return text.replace(" + ", "+").replace(" - ", "-").replace(" ", "+")


def plain(rng):
    return Normalised(random_f1(rng), random_f2(rng), "plain")


def corner(rng):
    """A box corner placed close to a point of the fold curve."""
    m = plain(rng)
    m.kind = "corner"
    f = oracle.MapFunctions(*m.texts_in("x", "y"))
    g = np.linspace(-0.6, 0.6, 121)
    gx, gy = np.meshgrid(g, g, indexing="ij")
    d = f.det_np(gx, gy)
    cross = np.argwhere((d[:-1, :] > 0) != (d[1:, :] > 0))
    if len(cross) == 0:
        return m
    i, j = cross[rng.randrange(len(cross))]
    px, py = g[i], g[j]
    size = rng.uniform(0.8, 1.6)
    off = size * rng.uniform(0.01, 0.08)
    sx, sy = rng.choice([-1, 1]), rng.choice([-1, 1])
    cx, cy = px + sx * off * rng.uniform(-1, 1), py + sy * off * rng.uniform(-1, 1)
    x_range = (cx, cx + size) if sx > 0 else (cx - size, cx)
    y_range = (cy, cy + size * rng.uniform(0.7, 1.3)) if sy > 0 else (cy - size * rng.uniform(0.7, 1.3), cy)
    m.box = (x_range, y_range)
    return m


def cusp_edge(rng):
    """A cusp near (0, 0) by construction, moved close to one edge of the box."""
    a = rng.choice([-1, 1]) * rng.uniform(0.1, 0.5)
    f1 = "X" + signed_term(a, "Y")
    f2 = "Y^3+X*Y" + signed_term(rng.uniform(-0.3, 0.3), "Y^4") + signed_term(rng.uniform(-0.3, 0.3), "X^2") + \
        signed_term(rng.uniform(-0.2, 0.2), "X*Y^2")
    m = Normalised(f1, f2.replace(" ", ""), "cusp-edge")
    o = oracle.Oracle(*m.texts_in("x", "y"), (-1, 1), (-1, 1))
    # The cusp of (X + aY, Y^3 + XY) is at (0, a/3), moved a little by the small
    # terms; Newton is started from (-3a^2, a) as the generated maps were.
    v, ok, _ = oracle.newton(o.cusp_system(0), (-3 * a * a, a), 1.0, o.f)
    if not ok:
        return plain(rng)
    cx, cy = float(v[0]), float(v[1])
    gap = rng.uniform(0.004, 0.06) * rng.choice([1, 1, 1, -1])  # mostly inside
    side = rng.randrange(4)
    w, h = rng.uniform(1.0, 2.0), rng.uniform(1.0, 2.0)
    lo_x, lo_y = cx - w * rng.uniform(0.3, 0.7), cy - h * rng.uniform(0.3, 0.7)
    x_range, y_range = [lo_x, lo_x + w], [lo_y, lo_y + h]
    if side == 0:
        x_range = [cx - gap, cx - gap + w]
    elif side == 1:
        x_range = [cx + gap - w, cx + gap]
    elif side == 2:
        y_range = [cy - gap, cy - gap + h]
    else:
        y_range = [cy + gap - h, cy + gap]
    m.box = (tuple(x_range), tuple(y_range))
    return m


def lips(rng):
    """f = (X + aY, ((X-p)^2 - r^2) Y + (Y-q)^3/3 + ...): det is close to
    (X-p)^2 + (Y-q)^2 - r^2, a small circle."""
    r = rng.uniform(0.12, 0.35)
    p, q = rng.uniform(-0.4, 0.4), rng.uniform(-0.4, 0.4)
    a = rng.choice([-1, 1]) * rng.uniform(0.0, 0.05) * r
    xp = "(X%s)" % signed_term(-p, "").replace(" ", "")
    yq = "(Y%s)" % signed_term(-q, "").replace(" ", "")
    f1 = "X" + signed_term(a, "Y").replace(" ", "")
    f2 = "(%s^2-%s)*Y+%s^3/3" % (xp, number(r * r), yq)
    if rng.random() < 0.5:
        f2 += signed_term(rng.uniform(-0.05, 0.05), "sin(2*X)").replace(" ", "")
    return Normalised(f1, f2, "lips")


PARTIAL_TERMS = ("(Y-Y)*sqrt(%s)", "0*ln(%s)", "(X*Y-Y*X)*sqrt(%s)", "0.1*X*ln(%s)")


def cancelling_partial(rng):
    """A plain map plus a term undefined where its argument V - c <= 0, with c
    inside the box."""
    m = plain(rng)
    m.kind = "cancelling-partial"
    argument = "%s%s" % (rng.choice("XY"), signed_term(-rng.uniform(-0.8, 0.8), "").replace(" ", ""))
    term = "+" + rng.choice(PARTIAL_TERMS) % argument
    if rng.random() < 0.5:
        m.f1 += term
    else:
        m.f2 += term
    return m


def round_side(rng, centre):
    """A side from centre + lo to centre + hi, lo and hi multiples of 0.25 around 0."""
    if rng.random() < 0.5:
        return centre - 1.0, centre + 1.0
    return centre - 0.25 * rng.randint(2, 8), centre + 0.25 * rng.randint(2, 8)


def normal_form(rng):
    """f1 exactly x, 2*x or x^3+x and f2 a classical normal form, shifted by
    dyadic amounts, over a box with round edges; x and y swapped at times."""
    s, t = (rng.choice([0, 0, -0.5, -0.25, 0.25, 0.5]) for _ in range(2))
    X, Y = shifted("x", s), shifted("y", t)
    family = rng.randrange(3)
    if family == 0:
        f2 = "%s^3+%s*%s" % (Y, X, Y)
    elif family == 1:  # for a < 0 two cusps at y^2 = -a/6: (+-1/8, +-1/4) for a = -3/8
        a = rng.choice([-1.5, -0.75, -0.375, 0.5])
        f2 = "%s^4%s%s*%s^2+%s*%s" % (Y, "-" if a < 0 else "+", exact(a), Y, X, Y)
    else:  # det is a multiple of 3y^2 + x^2 - r, cusps at (+-sqrt(r), 0)
        f2 = "%s^3+(%s^2-%s)*%s" % (Y, X, exact(rng.choice([0.25, 0.5, 0.5625])), Y)
    f1 = rng.choice(["x", "2*x", "x^3+x"])
    xr, yr = round_side(rng, s), round_side(rng, t)
    if rng.random() < 0.3:
        return "normal-form", swapped(f1), swapped(f2), yr, xr
    return "normal-form", f1, f2, xr, yr


def exact_doubles(rng):
    """The pleat (X + 3dY, Y^3 + XY) in X = (x - cx) k, Y = (y - cy) k, k a
    power of 2, d, cx and cy dyadic, over a box with dyadic edges in X, Y."""
    d = rng.choice([0, 0, 0.125, -0.125, 0.25, -0.25])
    k = 2.0 ** rng.randint(-3, 3)
    cx, cy = (rng.randint(-16, 16) / 8 / k for _ in range(2))

    def variable(name, c):
        return "(%s*%s)" % (shifted(name, c), exact(k)) if k != 1 else shifted(name, c)

    X, Y = variable("x", cx), variable("y", cy)
    f1 = X if d == 0 else "%s%s%s*%s" % (X, "+" if d > 0 else "-", exact(3 * d), Y)
    f2 = "%s^3+%s*%s" % (Y, X, Y)
    (u0, u1), (v0, v1) = round_side(rng, 0), round_side(rng, 0)
    return "exact-doubles", f1, f2, (cx + u0 / k, cx + u1 / k), (cy + v0 / k, cy + v1 / k)


def decimal_text(r):
    """The exact decimal text of |r|, r a rational whose denominator divides a power of 10."""
    r = abs(sympy.Rational(r))
    for places in range(60):
        scaled = r * 10 ** places
        if scaled.q == 1:
            digits = str(scaled.p).rjust(places + 1, "0")
            return digits if places == 0 else digits[:-places] + "." + digits[-places:]
    raise ValueError("%s has no short decimal expansion" % r)


def short(rng, lo, hi, places=2):
    """A decimal with the given places, its size drawn in [lo, hi], its sign at random."""
    size = sympy.Rational(round(rng.uniform(lo, hi) * 10 ** places), 10 ** places)
    return -size if rng.random() < 0.5 else size


def monomial(i, j):
    return "*".join([power("x", i)] * (i > 0) + [power("y", j)] * (j > 0))


def polynomial_text(expression):
    """A polynomial in x and y with decimal coefficients, terms by falling degree.
    A leading minus sign stands before a written coefficient (even 1), never
    before a power, which would take it into its base."""
    terms = sorted(sympy.Poly(sympy.expand(expression), x_symbol, y_symbol).terms(),
                   key=lambda t: (-sum(t[0]), -t[0][0]))
    text = ""
    for (i, j), c in terms:
        written = bool(abs(c) != 1 or i + j == 0 or (not text and c < 0))
        factors = [decimal_text(c)] * written + [monomial(i, j)] * (i + j > 0)
        text += ("-" if c < 0 else "+") + "*".join(factors)
    return text[1:] if text.startswith("+") else text


def around(rng, centre, lo, hi):
    """A side from centre - u to centre + v, u and v drawn in [lo, hi], to 3 places."""
    return round(centre - rng.uniform(lo, hi), 3), round(centre + rng.uniform(lo, hi), 3)


def folds_inside(f1, f2, xr, yr):
    """Whether the determinant of (f1, f2), sympy expressions, changes sign on a grid over the box."""
    det = sympy.Matrix([f1, f2]).jacobian([x_symbol, y_symbol]).det()
    d = np.asarray(sympy.lambdify((x_symbol, y_symbol), det, "numpy")(
        *np.meshgrid(np.linspace(*xr, 41), np.linspace(*yr, 41))))
    return bool((d > 0).any() and (d < 0).any())


def complex_polynomial_texts(k, c, e, conjugate):
    """The real and imaginary parts of z^k + c*conj(z) + e*w^2, w = conj(z) or z."""
    z = x_symbol + sympy.I * y_symbol
    w = sympy.conjugate(z) if conjugate else z
    f = sympy.expand(z ** k + c * sympy.conjugate(z) + e * w ** 2)
    return polynomial_text(sympy.re(f)), polynomial_text(sympy.im(f))


def complex_polynomial(rng):
    """z^k + c*conj(z) + a small term, over a box a little off-centre holding the fold circle."""
    k = rng.randint(6, 12)
    c = short(rng, 0.3, 1) + sympy.I * short(rng, 0, 0.5)
    e = short(rng, 0.01, 0.06, 3) + sympy.I * short(rng, 0, 0.03, 3)
    f1, f2 = complex_polynomial_texts(k, c, e, rng.random() < 0.5)
    radius = (abs(complex(c)) / k) ** (1.0 / (k - 1))
    return ("complex-polynomial", f1, f2, around(rng, 0, 1.12 * radius, 1.4 * radius),
            around(rng, 0, 1.12 * radius, 1.4 * radius))


def nonlinear_component(rng, linear, degree):
    """linear plus two to four terms of degree 2 to degree and a cross term of the top degree."""
    monomials = [(i, n - i) for n in range(2, degree + 1) for i in range(n + 1)]
    top = rng.randint(1, degree - 1)
    chosen = sorted(set(rng.sample(monomials, rng.randint(2, 4))) | {(top, degree - top)})
    return linear + sum(short(rng, 0.15, 0.8) * x_symbol ** i * y_symbol ** j for i, j in chosen)


def both_nonlinear(rng):
    """Both components of degree 3 to 5 with cross terms, over a box about 2 wide holding a fold."""
    x, y = x_symbol, y_symbol
    while True:
        f1 = nonlinear_component(rng, x + short(rng, 0, 0.5) * y, rng.choice([3, 4, 5]))
        f2 = nonlinear_component(rng, short(rng, 0, 0.5) * x + y, rng.choice([3, 4, 5]))
        xr, yr = (around(rng, rng.uniform(-0.2, 0.2), 0.8, 1.3) for _ in range(2))
        if folds_inside(f1, f2, xr, yr):
            return "both-nonlinear", polynomial_text(f1), polynomial_text(f2), xr, yr


def plus(r, factor):
    """'+r*factor' or '-|r|*factor' for a decimal r."""
    return ("-" if r < 0 else "+") + decimal_text(r) + "*" + factor


def composition_texts(a, b, c, d, expanded):
    """g(h(x, y)) for h = (x + d*y, y^2 + a*x) and g = (u + b*v, v^2 + c*u),
    nested or expanded."""
    if expanded:
        u, v = x_symbol + d * y_symbol, y_symbol ** 2 + a * x_symbol
        return polynomial_text(u + b * v), polynomial_text(v ** 2 + c * u)
    u, v = "(x%s)" % plus(d, "y"), "(y^2%s)" % plus(a, "x")
    return u + plus(b, v), v + "^2" + plus(c, u)


def composition(rng):
    """g o h plus a small term, over a box around the crossing of the fold of h,
    y = a*d/2, with the preimage of the fold of g, y^2 + a*x = b*c/2."""
    a, b, c, d = short(rng, 0.3, 0.8), short(rng, 0.2, 0.6), short(rng, 0.3, 0.9), short(rng, 0.2, 0.5)
    texts = list(composition_texts(a, b, c, d, rng.random() < 0.5))
    texts[rng.randrange(2)] += plus(short(rng, 0.03, 0.1), rng.choice(["x*y", "y^3", "x^2*y"]))
    crossing = (float((b * c / 2 - a * a * d * d / 4) / a), float(a * d / 2))
    return ("composition",) + tuple(texts) + tuple(around(rng, centre, 0.6, 1.1) for centre in crossing)


def high_degree_y(rng):
    """(x + a*y + b*y^2, P(y) + x*y + e*x*y^3), P of degree 7 or 8 with
    P'' - 2a = s * (y - r_1) ... (y - r_n), the roots spread over (-0.9, 0.9)
    and s such that the product reaches 4 in size on [-1, 1]; P's coefficients
    rounded to 4 digits. The x range is that of the fold x = a*y - P'(y) of
    the map without b and e, widened or narrowed a little at each end."""
    degree = rng.choice([7, 8])
    n = degree - 2
    roots = [0.85 * math.cos(math.pi * (i + 0.5) / n) + rng.uniform(-0.04, 0.04) for i in range(n)]
    ys = np.linspace(-1, 1, 201)
    product = np.poly1d(roots, r=True)
    a = short(rng, 0.1, 0.5)
    second = product * (4 / np.max(np.abs(product(ys)))) + 2 * float(a)
    p = np.poly1d(np.polyint(second, 2))
    y = y_symbol
    f2 = sum(sympy.Rational("%.4g" % c) * y ** k for k, c in enumerate(p.coeffs[::-1])) + \
        x_symbol * y + short(rng, 0, 0.08, 3) * x_symbol * y ** 3
    f1 = x_symbol + a * y + short(rng, 0, 0.1, 3) * y ** 2
    fold = float(a) * ys - np.polyder(p)(ys)
    width = fold.max() - fold.min()
    xr = tuple(round(end + side * width * rng.uniform(-0.03, 0.15), 3)
               for end, side in ((fold.min(), -1), (fold.max(), 1)))
    return "high-degree-y", polynomial_text(f1), polynomial_text(f2), xr, around(rng, 0, 0.95, 1.05)


def to_box(m, rng):
    """Carries the normalised map to a box 0.05 to 50 wide around a random centre."""
    width = math.exp(rng.uniform(math.log(0.05), math.log(50)))
    (u0, u1), (v0, v1) = m.box
    k = float(number(2.0 / width))
    cx = float(number(rng.uniform(-2, 2) * width)) if rng.random() < 0.5 else 0.0
    cy = float(number(rng.uniform(-2, 2) * width)) if rng.random() < 0.5 else 0.0

    def variable(name, c):
        shift = "" if c == 0 else signed_term(-c, "").replace(" ", "")
        body = "(%s%s)" % (name, shift) if shift else name
        return "(%s*%s)" % (body, number(k))

    f1, f2 = m.texts_in(variable("x", cx), variable("y", cy))
    box_x = (cx + u0 / k, cx + u1 / k)
    box_y = (cy + v0 / k, cy + v1 / k)
    return f1, f2, tuple(float("%.6g" % b) for b in box_x), tuple(float("%.6g" % b) for b in box_y)


def carried(build):
    """A class of maps built in normalised variables, carried to a random box."""
    def make(rng):
        m = build(rng)
        return (m.kind,) + to_box(m, rng)
    return make


# The classes of maps and their shares: each gives (kind, f1, f2, x range, y range).
CLASSES = ((carried(plain), 0.47), (carried(corner), 0.17), (carried(cusp_edge), 0.13), (carried(lips), 0.08),
           (carried(cancelling_partial), 0.05), (normal_form, 0.05), (exact_doubles, 0.05),
           (complex_polynomial, 0.03), (both_nonlinear, 0.03), (composition, 0.03), (high_degree_y, 0.03))


def generate(count, seed=DEFAULT_SEED):
    """count maps: dicts with f1, f2, x, y (ranges) and kind."""
    rng = random.Random(seed)
    maps = []
    for index in range(count):
        make = rng.choices([c for c, _ in CLASSES], weights=[w for _, w in CLASSES])[0]
        kind, f1, f2, xr, yr = make(rng)
        maps.append({"index": index, "kind": kind, "f1": f1, "f2": f2, "x": list(xr), "y": list(yr)})
    return maps


def main(argv):
    if not argv or argv[0] in ("-h", "--help"):
        print(__doc__)
        return 2
    count = int(argv[0])
    seed = int(argv[1]) if len(argv) > 1 else DEFAULT_SEED
    for m in generate(count, seed):
        print(json.dumps(m))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
