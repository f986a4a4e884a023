#!/usr/bin/python3
"""The oracle's verdicts on maps it must not count (not generic), the fold
curve components and preimages it finds, and the random maps it is fed."""
import os
import random
import sys
import unittest

import numpy as np
import sympy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402
import random_maps  # noqa: E402
from expression_text import X, Y, parse  # noqa: E402


def reasons(f1, f2, xr, yr):
    answer = oracle.study(f1, f2, xr, yr)
    return answer["generic"], " ".join(answer["reasons"])


class NotGeneric(unittest.TestCase):
    def test_cusp_on_an_edge(self):
        # the cusp of (x + 0.3y, y^3 + xy) is at (0, 0.1): here on the top edge
        generic, why = reasons("x+0.3*y", "y^3+x*y", (-0.5, 0.5), (-0.5, 0.1))
        self.assertFalse(generic)
        self.assertIn("cusp within the tolerance of an edge", why)

    def test_fold_point_at_a_corner(self):
        # det of (x, y^2) is 2y: the fold y = 0 runs through the corners (+-1, 0)
        generic, why = reasons("x+0.1*y", "y^2", (-1, 1), (0, 1))
        self.assertFalse(generic)

    def test_map_not_finite_in_the_box(self):
        generic, why = reasons("x", "sqrt(x)*y", (-1, 1), (-1, 1))
        self.assertFalse(generic)
        self.assertIn("not finite", why)

    def test_map_undefined_as_written_in_the_box(self):
        # sympy reads the map as (x, y^3 + xy), the text is undefined where x <= -0.5
        generic, why = reasons("x+(y-y)*sqrt(x+0.5)", "y^3+x*y", (-1, 1), (-1, 1))
        self.assertFalse(generic)
        self.assertIn("undefined on part of the box", why)

    def test_images_of_two_corners_coincide(self):
        # f(x, -y) = (f1, -f2): the left corners of a box symmetric in y both map to (-1/1.1, 0)
        generic, why = reasons("x/(1+0.1*y^2)", "y^3+x*y", (-1, 1), (-1, 1))
        self.assertFalse(generic)
        self.assertIn("corner", why)

    def test_a_small_box_away_from_the_edges_is_generic(self):
        generic, why = reasons("x+0.3*y", "y^3+x*y", (-0.5, 0.5), (-0.5, 0.2))
        self.assertTrue(generic, why)


class RandomMaps(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.maps = random_maps.generate(50)

    def test_seeded(self):
        self.assertEqual(random_maps.generate(8), self.maps[:8])
        self.assertNotEqual(random_maps.generate(8, random_maps.DEFAULT_SEED + 1), self.maps[:8])

    def test_texts_are_in_the_language_and_boxes_in_range(self):
        for m in self.maps:
            parse(m["f1"])
            parse(m["f2"])
            self.assertNotIn("**", m["f1"] + m["f2"])
            width = m["x"][1] - m["x"][0]
            self.assertGreater(width, 0.02, m)
            self.assertLess(width, 120, m)
            self.assertLess(m["y"][0], m["y"][1])

    def test_every_kind_is_drawn(self):
        self.assertEqual({m["kind"] for m in self.maps}, {"plain", "corner", "cusp-edge", "lips", "cancelling-partial",
                                                          "normal-form", "exact-doubles", "complex-polynomial",
                                                          "both-nonlinear", "composition", "high-degree-y"})

    def test_boxes_meant_for_exact_doubles_have_dyadic_edges(self):
        for m in self.maps:
            if m["kind"] in ("normal-form", "exact-doubles"):
                for b in m["x"] + m["y"]:
                    self.assertEqual(b * 1024, int(b * 1024), m)

    def test_cancelling_partial_maps_are_undefined_on_part_of_their_box(self):
        for m in self.maps:
            if m["kind"] == "cancelling-partial":
                gx, gy = np.meshgrid(np.linspace(*m["x"], 41), np.linspace(*m["y"], 41))
                defined = oracle.MapFunctions(m["f1"], m["f2"]).defined_np(gx, gy)
                self.assertTrue(defined.any() and not defined.all(), m)


class FoldCurveComponents(unittest.TestCase):
    def test_a_straight_fold_is_one_open_component_without_cusps(self):
        # (x, y^2): det = 2y, the fold y = 0 runs from the left edge to the right one; kernel (0, 1) is never
        # along the fold
        components, why = oracle.fold_curve("x", "y^2", (-1, 1.1), (-1.5, 1.3))
        self.assertEqual(components, [{"closed": False, "ends": components[0]["ends"], "features": []}], why)
        self.assertEqual(sorted(components[0]["ends"]), [0, 1])

    def test_lips_are_one_closed_component_through_both_cusps(self):
        # det = 3y^2 + x^2 - 0.25, an ellipse; kernel (0, 1) is along it where y = 0, at x = +-0.5
        components, why = oracle.fold_curve("x", "y^3+(x^2-0.25)*y", (-1, 1), (-1, 1))
        self.assertEqual([(c["closed"], c["ends"], sorted(f["index"] for f in c["features"])) for c in components],
                         [(True, [], [0, 1])], why)

    def test_a_cusp_on_a_bend_sharper_than_the_grid_is_on_its_component(self):
        # det = 3y^2 + x - 0.3y: the fold x = 0.3y - 3y^2 turns within 1/6 of its vertex, far inside one cell of
        # a grid over [-1000, 1000]^2, and meets the left edge twice; the cusp (0, 0.1) lies on that turn
        components, why = oracle.fold_curve("x+0.3*y", "y^3+x*y", (-1000, 1000), (-1000, 1000))
        self.assertEqual([(c["closed"], sorted(c["ends"]), c["features"]) for c in components],
                         [(False, [0, 1], [{"kind": "cusp", "index": 0}])], why)

    def test_fold_crossings_and_cusps_in_their_order_along_the_swallowtail(self):
        # det = 4y^3 - y + x: the fold x = y - 4y^3 runs from the bottom edge to the top one, its cusps where
        # 12y^2 = 1 (y = +-0.289); its image (y - 4y^3, 0.5y^2 - 3y^4) crosses itself where y = +-0.5
        answer = oracle.study("x", "y^4-0.5*y^2+x*y", (-0.5, 0.5), (-0.6, 0.6))
        (component,) = answer["fold_curve"]["components"]
        self.assertFalse(component["closed"])
        order = [f for f in component["features"] if f["kind"] != "fold_boundary"]
        self.assertEqual([f["kind"] for f in order], ["fold_fold", "cusp", "cusp", "fold_fold"])
        self.assertEqual({order[0]["branch"], order[-1]["branch"]}, {"first", "second"})

    def test_component_keys_ignore_direction_and_start(self):
        a, b, c = ("cusp", 0, ""), ("cusp", 1, ""), ("fold_fold", 0, "first")
        self.assertEqual(oracle.component_key(True, [], [a, b, c]), oracle.component_key(True, [], [b, a, c]))
        self.assertEqual(oracle.component_key(False, [0, 1], [a, b]), oracle.component_key(False, [1, 0], [b, a]))
        self.assertNotEqual(oracle.component_key(False, [0, 1], [a, b]), oracle.component_key(False, [0, 1], [b, a]))
        self.assertNotEqual(oracle.component_key(False, [0, 1], [a, b, c]), oracle.component_key(False, [0, 1], [a, c, b]))


class Preimages(unittest.TestCase):
    def counts(self, f1, f2, xr, yr, targets):
        return [(r["count"], r["doubt"]) for r in oracle.preimages(f1, f2, xr, yr, targets)]

    def test_fold_of_a_parabola(self):
        # (x, y^2) = (0, 1) at y = +-1, never (0, -1); (0.5, 0) lies on the fold image
        got = self.counts("x", "y^2", (-1, 1.1), (-1.5, 1.3), [(0, 1), (0, -1), (0.5, 0)])
        self.assertEqual(got[:2], [(2, None), (0, None)])
        self.assertIn("fold or boundary image", got[2][1])

    def test_whitney_pleat(self):
        # (x, xy + y^3) = (-1, 0) where y^3 - y = 0: y = 0, +-1; = (1, 0) where y^3 + y = 0: y = 0 alone
        got = self.counts("x", "x*y+y^3", (-2, 2.1), (-1.5, 1.6), [(-1, 0), (1, 0)])
        self.assertEqual(got, [(3, None), (1, None)])


def values_at(f1, f2, points):
    """The two components read from their texts, at each point."""
    functions = [sympy.lambdify((X, Y), parse(f)) for f in (f1, f2)]
    return [complex(functions[0](x, y), functions[1](x, y)) for x, y in points]


POINTS = ((0.3, -0.7), (-0.45, 0.2), (0.9, 0.55))


class RichMaps(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        rng = random.Random(3)
        cls.maps = {kind: [make(rng) for _ in range(4)] for kind, make in (
            ("complex-polynomial", random_maps.complex_polynomial), ("both-nonlinear", random_maps.both_nonlinear),
            ("composition", random_maps.composition), ("high-degree-y", random_maps.high_degree_y))}

    def test_a_polynomial_text_reads_back_as_the_polynomial(self):
        # dyadic coefficients are read back exactly; a leading -y^6 would be read as (-y)^6
        for e in (-Y ** 6 + X ** 2 * Y / 2 - 3 * X + sympy.Rational(1, 4), 5 * X * Y ** 3 - X - 1):
            self.assertEqual(sympy.expand(parse(random_maps.polynomial_text(e)) - e), 0, e)

    def test_decimal_texts_are_exact(self):
        self.assertEqual(random_maps.decimal_text(sympy.Rational(-3, 40)), "0.075")
        self.assertEqual(random_maps.decimal_text(sympy.Rational(924)), "924")
        with self.assertRaises(ValueError):
            random_maps.decimal_text(sympy.Rational(1, 3))

    def test_complex_polynomial_texts_are_the_real_and_imaginary_parts(self):
        c, e = sympy.Rational(9, 10) - sympy.I * sympy.Rational(3, 10), sympy.Rational(1, 20) + sympy.I / 50
        for conjugate in (True, False):
            got = values_at(*random_maps.complex_polynomial_texts(7, c, e, conjugate), POINTS)
            for value, (x, y) in zip(got, POINTS):
                z = complex(x, y)
                w = z.conjugate() if conjugate else z
                self.assertAlmostEqual(value, z ** 7 + complex(c) * z.conjugate() + complex(e) * w ** 2, places=12)

    def test_composition_texts_are_g_of_h(self):
        a, b, c, d = (sympy.Rational(v) for v in ("0.5", "-0.4", "0.6", "0.3"))
        for expanded in (False, True):
            got = values_at(*random_maps.composition_texts(a, b, c, d, expanded), POINTS)
            for value, (x, y) in zip(got, POINTS):
                u, v = x + 0.3 * y, y * y + 0.5 * x
                self.assertAlmostEqual(value, complex(u - 0.4 * v, v * v + 0.6 * u), places=12)

    def test_rich_maps_have_their_degrees(self):
        def degrees(m):
            return [sympy.Poly(parse(f), X, Y) for f in m[1:3]]

        for m in self.maps["complex-polynomial"]:
            self.assertIn(degrees(m)[0].total_degree(), range(6, 13), m)
            self.assertEqual(degrees(m)[0].total_degree(), degrees(m)[1].total_degree(), m)
        for m in self.maps["both-nonlinear"]:
            for p in degrees(m):
                top = p.total_degree()
                self.assertIn(top, (3, 4, 5), m)
                self.assertTrue(any(i and j and i + j == top for i, j in p.monoms()), m)
        for m in self.maps["composition"]:
            self.assertEqual([p.total_degree() for p in degrees(m)][1], 4, m)
        for m in self.maps["high-degree-y"]:
            f2 = degrees(m)[1]
            self.assertIn(f2.degree(Y), (7, 8), m)
            self.assertTrue(f2.degree(X) > 0, m)

    def test_rich_maps_fold_inside_their_boxes(self):
        for kind, maps in self.maps.items():
            for m in maps:
                gx, gy = np.meshgrid(np.linspace(*m[3], 61), np.linspace(*m[4], 61))
                d = oracle.MapFunctions(m[1], m[2]).det_np(gx, gy)
                self.assertTrue((d > 0).any() and (d < 0).any(), m)


if __name__ == "__main__":
    unittest.main()
