#!/usr/bin/python3
"""The judging of program results against the oracle, on results written by
hand for the map (x + 0.2y, y^3 - xy) over [-0.2, 0.33] x [-0.7, 0.61]:
det = 3y^2 + 0.2y - x, cusp at (0, -1/15), fold points on the right edge at
y = -11/30 and y = 0.3 (roots of 3y^2 + 0.2y - 0.33), no fold-fold or
boundary-boundary crossing, one fold-boundary crossing; and for the pleat
(x, y^3 + xy) over [-1, 1]^2, which the oracle calls not generic (the left
edge's image folds over itself: (-1, y^3 - y) is (-1, 0) at y = -1, 0, 1):
det = 3y^2 + x, cusp (0, 0), fold points (-1, +-1/sqrt(3)), and the fold image
(-3t^2, -2t^3) meets the image (u, h^3 + hu) of the edge y = h = +-1 where
2t^3 - 3ht^2 + h^3 = (t - h)^2 (2t + h) = 0: at t = -h/2, u = -0.75."""
import copy

import mpmath
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_maps  # noqa: E402
import oracle  # noqa: E402

MAP = {"f1": "x+0.2*y", "f2": "y^3-x*y", "x": [-0.2, 0.33], "y": [-0.7, 0.61]}


def box(x, y):
    return {"x": list(x), "y": list(y)}


def results(answer):
    """A complete, right results file: boxes around the oracle's features."""
    fb = answer["fold_boundary"]["crossings"][0]
    r = {
        "inputs": {"resolution": 25, "x": MAP["x"], "y": MAP["y"]},
        "counts": {"cusps": 1, "cusps_exact": True, "fold_fold_crossings": 0, "boundary_boundary_crossings": 0,
                   "fold_boundary_intersections": 3},
        "undecided": {"cusps": 0, "fold_fold": 0, "boundary_boundary": 0, "fold_boundary": 0},
        "fold_curve_known": False, "fold_cells": [],
        "cusps": [box((-1e-9, 1e-9), (-1 / 15 - 1e-9, -1 / 15 + 1e-9))],
        "fold_fold_crossings": [], "boundary_boundary_crossings": [],
        "fold_boundary": {
            "crossings": [{"fold": box((fb["fold"][0] - 1e-9, fb["fold"][0] + 1e-9),
                                       (fb["fold"][1] - 1e-9, fb["fold"][1] + 1e-9)),
                           "boundary": box((0.33, 0.33), (fb["boundary"][1] - 1e-9, fb["boundary"][1] + 1e-9))}],
            "points": [box((0.33, 0.33), (0.3 - 1e-9, 0.3 + 1e-9)),
                       box((0.33, 0.33), (-11 / 30 - 1e-9, -11 / 30 + 1e-9))]},
    }
    return r


PLEAT = {"f1": "x", "f2": "y^3+x*y", "x": [-1.0, 1.0], "y": [-1.0, 1.0]}


def pleat_results():
    """The pleat's cusp, fold points and fold-boundary crossings; the boundary
    self-crossings left undecided."""
    root = 3 ** -0.5
    return {
        "inputs": {"resolution": 25, "x": PLEAT["x"], "y": PLEAT["y"]},
        "counts": {"cusps": 1, "cusps_exact": True, "fold_fold_crossings": 0, "boundary_boundary_crossings": 0,
                   "fold_boundary_intersections": 4},
        "undecided": {"cusps": 0, "fold_fold": 0, "boundary_boundary": 9, "fold_boundary": 0},
        "fold_curve_known": False, "fold_cells": [],
        "cusps": [box((0, 0), (0, 0))], "fold_fold_crossings": [], "boundary_boundary_crossings": [],
        "fold_boundary": {
            "crossings": [{"fold": box((-0.75, -0.75), (-0.5, -0.5)), "boundary": box((-0.75, -0.75), (1, 1))},
                          {"fold": box((-0.75, -0.75), (0.5, 0.5)), "boundary": box((-0.75, -0.75), (-1, -1))}],
            "points": [box((-1, -1), (root - 1e-9, root + 1e-9)), box((-1, -1), (-root - 1e-9, -root + 1e-9))]},
    }


class BoxesOfMapsNotCounted(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.answer = oracle.study(PLEAT["f1"], PLEAT["f2"], PLEAT["x"], PLEAT["y"])

    def judge(self, r):
        return check_maps.judge(PLEAT, copy.deepcopy(self.answer), "ok", r)

    def test_every_box_is_checked_though_the_map_is_not_generic(self):
        self.assertFalse(self.answer["generic"])
        self.assertEqual(self.judge(pleat_results())[0], "not generic")
        r = pleat_results()
        r["fold_boundary"]["points"][0] = box((-1, -1), (0.5, 0.5))  # det = -0.25 there
        outcome, notes = self.judge(r)
        self.assertEqual(outcome, "WRONG")
        self.assertIn("fold point on an edge box holds no solution", notes[0])

    def test_a_boundary_box_on_no_face_is_misplaced(self):
        self.assertEqual(check_maps.misplaced_boxes(PLEAT, pleat_results()), [])
        r = pleat_results()
        r["fold_boundary"]["crossings"][0]["boundary"] = box((-0.75, -0.75), (0, 0))
        notes = check_maps.misplaced_boxes(PLEAT, r)
        self.assertEqual(len(notes), 1)
        self.assertIn("boundary box, on no face", notes[0])
        # a box that holds the crossing's boundary point (-0.75, 1) but not as a point in y; Newton there
        # solves for y alone from three equations, the first of them 0 = 0 (f1 = x is -0.75 at both points)
        r["fold_boundary"]["crossings"][0]["boundary"] = box((-0.75, -0.75), (0.875, 1))
        self.assertEqual(self.judge(r)[0], "misplaced")

    def test_a_box_where_the_map_as_written_is_undefined_holds_no_solution(self):
        # the pleat, but undefined where x <= -0.5: the cusp stands, the features at x = -0.75 and -1 do not
        partial = dict(PLEAT, f1="x+(y-y)*sqrt(x+0.5)")
        answer = oracle.study(partial["f1"], partial["f2"], partial["x"], partial["y"])
        outcome, notes = check_maps.judge(partial, answer, "ok", pleat_results())
        self.assertEqual(outcome, "WRONG")
        self.assertEqual(sum("where the map as written is undefined" in n for n in notes), 4)
        r = pleat_results()
        r["fold_boundary"] = {"crossings": [], "points": []}
        self.assertEqual(check_maps.judge(partial, answer, "ok", r)[0], "not generic")


class Judging(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.answer = oracle.study(MAP["f1"], MAP["f2"], MAP["x"], MAP["y"])

    def judge(self, r):
        return check_maps.judge(MAP, copy.deepcopy(self.answer), "ok", r)

    def test_oracle_finds_the_hand_counts(self):
        self.assertTrue(self.answer["generic"])
        self.assertEqual(check_maps.oracle_counts(self.answer),
                         {"cusps": 1, "fold_fold": 0, "boundary_boundary": 0, "fold_boundary": 3})

    def test_right_results_are_settled(self):
        self.assertEqual(self.judge(results(self.answer)), ("settled", []))

    def test_a_wide_box_from_the_double_below_the_root_is_right(self):
        r = results(self.answer)
        # the double nearest 0.3 lies below the real root 0.3, so the box holds it
        r["fold_boundary"]["points"][0] = box((0.33, 0.33), (0.3, 0.3 + 1e-3))
        self.assertEqual(self.judge(r)[0], "settled")

    def test_a_box_without_a_solution_is_wrong(self):
        r = results(self.answer)
        r["cusps"][0] = box((0.01, 0.02), (-0.07, -0.06))
        outcome, notes = self.judge(r)
        self.assertEqual(outcome, "WRONG")
        self.assertIn("cusp box holds no solution", notes[0])

    def test_a_point_box_at_a_double_that_is_not_the_root_is_wrong(self):
        r = results(self.answer)
        r["fold_boundary"]["points"][0] = box((0.33, 0.33), (0.3, 0.3))  # the double 0.3 is not the root
        self.assertEqual(self.judge(r)[0], "WRONG")

    def test_a_point_coordinate_the_oracle_has_to_1e_41_is_held(self):
        # the oracle's decimals of an edge's fixed x, off by 1e-41 (as on map 458 of the random maps)
        answer = copy.deepcopy(self.answer)
        point = answer["fold_boundary"]["points"][0]
        point["exact"][0] = str(mpmath.mpf(point["exact"][0]) + mpmath.mpf(10) ** -41)
        outcome, _ = check_maps.judge(MAP, answer, "ok", results(self.answer))
        self.assertEqual(outcome, "settled")

    def test_an_unbounded_box_is_no_proof(self):
        r = results(self.answer)
        r["cusps"][0] = {"x": ["-inf", "+inf"], "y": [-0.1, 0.0]}
        self.assertEqual(self.judge(r)[0], "WRONG")

    def test_a_complete_count_that_differs_is_wrong_and_an_undecided_one_is_not(self):
        r = results(self.answer)
        r["fold_boundary"]["points"].pop()
        r["counts"]["fold_boundary_intersections"] = 2
        outcome, notes = self.judge(r)
        self.assertEqual(outcome, "WRONG")
        self.assertIn("fold_boundary: the program claims 2 complete, the oracle finds 3", notes[0])
        self.assertIn("(0.33, -0.366667) right", notes[0])
        r["undecided"]["fold_boundary"] = 12
        self.assertEqual(self.judge(r)[0], "undecided")

    def test_an_inexact_cusp_count_is_undecided(self):
        r = results(self.answer)
        r["counts"]["cusps_exact"] = False
        r["counts"]["cusps"] = 0
        r["cusps"] = []
        self.assertEqual(self.judge(r)[0], "undecided")

    def test_a_proved_solution_the_oracle_lacks_is_an_oracle_miss(self):
        answer = copy.deepcopy(self.answer)
        answer["fold_boundary"]["points"].pop()
        answer["counts"]["fold_boundary"] = 2
        self.assertEqual(check_maps.judge(MAP, answer, "ok", results(self.answer))[0], "oracle-miss")

    def curve_results(self):
        """The results with the fold curve known: the parabola x = 3y^2 + 0.2y from the right edge at y = 0.3
        (point 0) down to y = -11/30 (point 1), through the fold-boundary crossing (y = 0.205) and the cusp."""
        r = results(self.answer)
        r["fold_curve_known"] = True
        r["fold_curve"] = {"components": [{"closed": False, "ends": [0, 1], "arcs": [],
                                           "features": [{"kind": "fold_boundary", "index": 0},
                                                        {"kind": "cusp", "index": 0}]}]}
        return r

    def test_the_right_fold_curve_is_compared_and_settled(self):
        stats = {}
        # (the cells of the paving are left out: a note on them alone, which decides no outcome)
        outcome, notes = check_maps.judge(MAP, copy.deepcopy(self.answer), "ok", self.curve_results(), stats)
        self.assertEqual((outcome, [n for n in notes if not n.startswith("TOPOLOGY")]), ("settled", []))
        self.assertEqual((stats["fold_curves"], stats["fold_curves_differ"]), (1, 0))

    def test_a_fold_curve_that_differs_is_wrong(self):
        r = self.curve_results()
        r["fold_curve"]["components"][0]["closed"] = True
        outcome, notes = self.judge(r)
        self.assertEqual(outcome, "WRONG")
        self.assertIn("the program has 0 open and 1 closed, the oracle 1 and 0", notes[0])
        r = self.curve_results()
        r["fold_curve"]["components"][0]["features"].reverse()  # the cusp nearer the end at y = 0.3: up to
        # reversal the order is right, not relative to the ends
        outcome, notes = self.judge(r)
        self.assertEqual(outcome, "WRONG")
        self.assertIn("fold curve components differ: the features from end to end", notes[0])

    def preimage_results(self, count, near):
        # (x + 0.2y, y^3 - xy) = (0.2, 0.075) where x = 0.2 - 0.2y and y^3 + 0.2y^2 - 0.2y - 0.075
        # = (y - 0.5)(y^2 + 0.7y + 0.15) = 0: y = 0.5 alone, at x = 0.1
        r = results(self.answer)
        r["preimages"] = [{"point": [0.2, 0.075], "count": count, "reason": "",
                           "boxes": [box((near[0] - 1e-9, near[0] + 1e-9), (near[1] - 1e-9, near[1] + 1e-9))]}]
        return r

    def test_preimage_counts_and_boxes(self):
        stats = {}
        self.assertEqual(check_maps.judge(MAP, copy.deepcopy(self.answer), "ok",
                                          self.preimage_results(1, (0.1, 0.5)), stats), ("settled", []))
        self.assertEqual((stats["preimages"], stats["preimages_differ"]), (1, 0))
        outcome, notes = self.judge(self.preimage_results(2, (0.1, 0.5)))
        self.assertEqual(outcome, "WRONG")
        self.assertIn("the program proves 2, the oracle finds 1", notes[0])
        outcome, notes = self.judge(self.preimage_results(None, (0.1, 0.4)))
        self.assertEqual(outcome, "WRONG")
        self.assertIn("preimage box of (0.2, 0.075) holds no solution", notes[0])

    def test_preimage_targets_are_drawn_again_for_the_same_map(self):
        targets = check_maps.preimage_targets(MAP)
        self.assertEqual(len(targets), check_maps.PREIMAGE_TARGETS)
        self.assertEqual(check_maps.preimage_targets(dict(MAP)), targets)
        self.assertNotEqual(check_maps.preimage_targets(dict(MAP, y=[-0.7, 0.6])), targets)

    def test_program_failures(self):
        self.assertEqual(check_maps.judge(MAP, self.answer, "timeout", None)[0], "timeout")
        self.assertEqual(check_maps.judge(MAP, self.answer, "crash", {"stderr": "boom"})[0], "crash")


if __name__ == "__main__":
    unittest.main()
