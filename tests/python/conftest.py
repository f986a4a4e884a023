"""What the tests of the Python package share: the program they compare it with."""

import os
import subprocess

import pytest

PLISSE = os.environ.get("PLISSE", os.path.join(os.path.dirname(__file__), "../../build/driver/plisse"))

# The map (x + 0.3y, y³ + xy) over [−0.9, 1.1] × [−1, 1]: its fold curve
# x = 0.3y − 3y² has one cusp, at (0, 0.1), and runs into the left edge at
# y = −0.5 and y = 0.6, and its image crosses the boundary image once.
ONE_CUSP = {"f1": "x+0.3*y", "f2": "y^3+x*y", "x": (-0.9, 1.1), "y": (-1, 1), "resolution": 10}

# The lips family (x, y³ + (x² − t)y): det = 3y² + x² − t, so for t < 0 no
# fold curve, and for t > 0 the ellipse x² + 3y² = t, with a cusp where its
# tangent is the kernel (0, 1), i.e. at y = 0, x = ±√t: two cusps.
LIPS = {"f1": "x", "f2": "y^3+(x^2-t)*y", "x": (-1, 1), "y": (-1, 1), "resolution": 10}
LIPS_VALUES = [-0.25, -0.05, 0.05, 0.25]


def run_program(*arguments, cwd=None):
    """The program run on arguments: its exit status and its error stream."""
    done = subprocess.run([PLISSE, *arguments], capture_output=True, text=True, cwd=cwd, timeout=120)
    return done.returncode, done.stderr


@pytest.fixture
def program():
    return run_program
