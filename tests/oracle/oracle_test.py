#!/usr/bin/python3
"""The oracle's verdicts on maps it must not count (not generic) and the
random maps it is fed."""
import os
import sys
import unittest

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402
import random_maps  # noqa: E402
from expression_text import parse  # noqa: E402


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
        cls.maps = random_maps.generate(40)

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
                                                          "normal-form", "exact-doubles"})

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


if __name__ == "__main__":
    unittest.main()
