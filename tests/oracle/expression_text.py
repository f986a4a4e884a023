"""Reads a component written in the program's expression language into sympy.

The language: decimal numbers (with an optional exponent), the variables x and
y, + - * / ^, parentheses and the functions sin cos tan atan sinh cosh exp ln
sqrt sqr (also capitalised or in capitals).  Precedence from loosest to
tightest: + and -, * and /, ^ (left associative), unary minus (so -x^2 is
(-x)^2).  Numbers are read as the nearest double, as the program does, and
turned into exact rationals so that the oracle studies that very map.

sympy simplifies while it builds (0*sqrt(x) and (y-y)*ln(x) become 0), which
would widen the domain of the map as written; so the reader also lists, as it
meets them, the expressions that must be positive where the text is defined:
the arguments of ln and sqrt (sqrt(u) has no derivative at u = 0), and |u| for
a divisor, the base of a negative power and the cosine of tan's argument.
"""
import re
from fractions import Fraction

import sympy

X, Y = sympy.symbols("x y", real=True)

_FUNCTIONS = {
    "sin": sympy.sin, "cos": sympy.cos, "tan": sympy.tan, "atan": sympy.atan,
    "sinh": sympy.sinh, "cosh": sympy.cosh, "exp": sympy.exp, "ln": sympy.log,
    "sqrt": sympy.sqrt, "sqr": lambda a: a ** 2,
}

# The partial functions: what must be positive for them to be defined (and
# differentiable) at their argument.
_DOMAIN = {"ln": lambda a: [a], "sqrt": lambda a: [a], "tan": lambda a: [sympy.Abs(sympy.cos(a))]}

_TOKEN = re.compile(r"\s*(?:(\d+(?:\.\d+)?(?:[eE][+-]?\d+)?)|([A-Za-z][A-Za-z0-9]*)|(.))")


class ExpressionError(ValueError):
    pass


def _tokens(text):
    out = []
    pos = 0
    text = text.rstrip()
    while pos < len(text):
        m = _TOKEN.match(text, pos)
        number, word, char = m.groups()
        pos = m.end()
        if number is not None:
            out.append(("num", number))
        elif word is not None:
            out.append(("word", word))
        elif char is not None and char in "+-*/^()":
            out.append((char, char))
        elif char is not None:
            raise ExpressionError("unexpected character %r in %r" % (char, text))
    out.append(("end", ""))
    return out


def _function_name(word):
    for form in (word, word.lower()):
        if form in _FUNCTIONS and (word == form or word == form.capitalize() or word == form.upper()):
            return form
    return None


class _Parser:
    def __init__(self, text):
        self.text = text
        self.tokens = _tokens(text)
        self.pos = 0
        self.positive = []  # expressions that must be positive for the text to be defined

    def peek(self):
        return self.tokens[self.pos][0]

    def take(self, kind=None):
        tok = self.tokens[self.pos]
        if kind is not None and tok[0] != kind:
            raise ExpressionError("expected %r at token %d of %r" % (kind, self.pos, self.text))
        self.pos += 1
        return tok

    def parse(self):
        e = self.sum()
        self.take("end")
        return e

    def sum(self):
        e = self.product()
        while self.peek() in ("+", "-"):
            op = self.take()[0]
            r = self.product()
            e = e + r if op == "+" else e - r
        return e

    def product(self):
        e = self.power()
        while self.peek() in ("*", "/"):
            op = self.take()[0]
            r = self.power()
            if op == "/":
                self.positive.append(sympy.Abs(r))
            e = e * r if op == "*" else e / r
        return e

    def power(self):
        e = self.unary()
        while self.peek() == "^":
            self.take()
            exponent = self.unary()
            if not exponent.is_Integer:
                raise ExpressionError("exponent %s is not an integer constant in %r" % (exponent, self.text))
            if exponent < 0:
                self.positive.append(sympy.Abs(e))
            e = e ** exponent
        return e

    def unary(self):
        if self.peek() == "-":
            self.take()
            return -self.unary()
        return self.atom()

    def atom(self):
        kind, value = self.take()
        if kind == "num":
            return sympy.Rational(Fraction(float(value)))
        if kind == "(":
            e = self.sum()
            self.take(")")
            return e
        if kind == "word":
            if value == "x":
                return X
            if value == "y":
                return Y
            name = _function_name(value)
            if name is None:
                raise ExpressionError("unknown name %r in %r" % (value, self.text))
            self.take("(")
            arg = self.sum()
            self.take(")")
            self.positive += _DOMAIN.get(name, lambda a: [])(arg)
            return _FUNCTIONS[name](arg)
        raise ExpressionError("unexpected %r in %r" % (value, self.text))


def parse(text):
    """The sympy expression in x and y of one component text."""
    return parse_with_domain(text)[0]


def parse_with_domain(text):
    """(expression, positive): the sympy expression of one component text and
    the expressions that are all positive exactly where the text is defined."""
    parser = _Parser(text)
    expression = parser.parse()
    return expression, parser.positive
