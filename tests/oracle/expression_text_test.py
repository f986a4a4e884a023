#!/usr/bin/python3
"""The oracle's reader of the expression language: precedences, functions,
constants read as doubles, the domain of a text, and the texts it must refuse."""
import os
import sys
import unittest
from fractions import Fraction

import sympy

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from expression_text import X, Y, ExpressionError, parse, parse_with_domain  # noqa: E402


class Precedence(unittest.TestCase):
    def same(self, text, expected):
        self.assertEqual(sympy.simplify(parse(text) - expected), 0, text)

    def test_unary_minus_binds_tighter_than_power(self):
        self.same("-x^2", X ** 2)          # (-x)^2
        self.same("2*-x", -2 * X)
        self.same("x^-2", X ** -2)

    def test_power_is_left_associative(self):
        self.assertEqual(parse("2^3^2"), 64)  # (2^3)^2, not 2^9

    def test_products_before_sums(self):
        self.same("x+0.5*y", X + Y / 2)
        self.same("x-y-1", X - Y - 1)      # (x - y) - 1
        self.same("x/y/2", X / Y / 2)      # (x / y) / 2

    def test_functions_in_every_spelling(self):
        for text in ("sin(x)", "Sin(x)", "SIN(x)"):
            self.same(text, sympy.sin(X))
        self.same("sqr(x+y)", (X + Y) ** 2)
        self.same("ln(exp(y))", Y)
        self.same("atan(x)+tan(y)+sinh(x)+cosh(y)+sqrt(x)", sympy.atan(X) + sympy.tan(Y) + sympy.sinh(X) +
                  sympy.cosh(Y) + sympy.sqrt(X))


class Constants(unittest.TestCase):
    def test_decimal_is_the_nearest_double(self):
        self.assertEqual(parse("0.1"), sympy.Rational(Fraction(0.1)))
        self.assertNotEqual(parse("0.1"), sympy.Rational(1, 10))
        self.assertEqual(parse("2.5e-3"), sympy.Rational(Fraction(2.5e-3)))


class Domain(unittest.TestCase):
    def test_what_must_be_positive_even_where_the_term_cancels(self):
        for text, positive in (("(y-y)*sqrt(x)", [X]), ("0*ln(y+0.5)", [Y + sympy.Rational(1, 2)]),
                               ("x/(y-1)+x^-2+tan(y)", [abs(Y - 1), abs(X), abs(sympy.cos(Y))]),
                               ("sin(x)*exp(y)+atan(x)+x^2", [])):
            self.assertEqual(parse_with_domain(text)[1], positive, text)


class Refused(unittest.TestCase):
    def test_bad_texts(self):
        for text in ("x^y", "x^0.5", "2x", "x y", "sIn(x)", "z", "(x", "x+", ""):
            with self.assertRaises(ExpressionError, msg=text):
                parse(text)


if __name__ == "__main__":
    unittest.main()
