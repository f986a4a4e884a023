#!/usr/bin/python3
"""The judging of program results against the oracle, on results written by
hand for the map (x + 0.2y, y^3 - xy) over [-0.2, 0.33] x [-0.7, 0.61]:
det = 3y^2 + 0.2y - x, cusp at (0, -1/15), fold points on the right edge at
y = -11/30 and y = 0.3 (roots of 3y^2 + 0.2y - 0.33), no fold-fold or
boundary-boundary crossing, one fold-boundary crossing."""
import copy
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

    def test_program_failures(self):
        self.assertEqual(check_maps.judge(MAP, self.answer, "timeout", None)[0], "timeout")
        self.assertEqual(check_maps.judge(MAP, self.answer, "crash", {"stderr": "boom"})[0], "crash")


if __name__ == "__main__":
    unittest.main()
