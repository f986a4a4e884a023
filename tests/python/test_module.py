"""plisse.analyse, plisse.flow and plisse.plot against the program and against closed forms."""

import json
import math
import os
import signal
import subprocess
import sys
import time

import pytest

import plisse
from conftest import ONE_CUSP, run_program

# A wavy map whose analysis over [−1, 1]² takes minutes.
WAVY = ("sin(3*x)*cos(2*y)+x", "cos(3*x*y)+y^3", (-1, 1), (-1, 1))


def with_float_infinities(value):
    """A results file as read by json.load, with its infinite bounds as floats."""
    if isinstance(value, dict):
        return {k: with_float_infinities(v) for k, v in value.items()}
    if isinstance(value, list):
        return [float(v) if v in ("-inf", "+inf") else with_float_infinities(v) for v in value]
    return value


def test_analyse_gives_the_results_file_of_the_same_run(tmp_path):
    file = tmp_path / "results.json"
    c = ONE_CUSP
    status, _ = run_program("--f1", c["f1"], "--f2", c["f2"], "--x", "-0.9,1.1", "--y", "-1,1", "-n", "10",
                            "--no-window", "-o", str(tmp_path), "--json", str(file))
    assert status == 0
    expected = with_float_infinities(json.loads(file.read_text()))
    found = plisse.analyse(**c)
    # Two runs need not share their times, and the program was given more
    # arguments (its outputs) than the command line the module records.
    assert found["times"].keys() == expected.pop("times").keys()
    found.pop("times")
    assert found["run"].pop("command_line")[:3] == ["plisse", "--f1", c["f1"]]
    expected["run"].pop("command_line")
    assert found == expected
    assert found["counts"]["cusps"] == 1 and found["counts"]["cusps_exact"]
    (x_lo, x_hi), (y_lo, y_hi) = found["cusps"][0]["x"], found["cusps"][0]["y"]
    assert x_lo <= 0 <= x_hi and y_lo <= 0.1 <= y_hi


@pytest.mark.parametrize("change, option", [
    ({"f1": "x**2"}, ["--f1", "x**2"]),
    ({"f2": "y+s"}, ["--f2", "y+s"]),
    ({"x": (1, 0)}, ["--x", "1,0"]),
    ({"resolution": 0}, ["-n", "0"]),
    ({"time_limit": 0}, ["--time-limit", "0"]),
])
def test_bad_input_raises_the_message_of_the_command_line(change, option):
    c = dict(ONE_CUSP)
    arguments = {"--f1": c["f1"], "--f2": c["f2"], "--x": "-0.9,1.1", "--y": "-1,1", "-n": "10"}
    arguments.update(zip(option[::2], option[1::2]))
    status, stderr = run_program(*[a for pair in arguments.items() for a in pair], "--no-window")
    assert status == 2
    c.update(change)
    with pytest.raises(ValueError) as raised:
        plisse.analyse(**c)
    assert stderr.strip() == "plisse: " + str(raised.value)


def test_time_limit_returns_the_partial_result():
    f1, f2, x, y = WAVY
    start = time.monotonic()
    r = plisse.analyse(f1, f2, x, y, time_limit=1)
    assert time.monotonic() - start < 30
    assert r["run"]["time_limit_reached"] and not r["run"]["ended"]
    assert sum(r["undecided"].values()) > 0
    counts = r["counts"]
    assert not all([counts["cusps_exact"], counts["fold_fold_complete"], counts["boundary_boundary_complete"],
                    counts["fold_boundary_complete"]])


def test_interrupt_stops_the_analysis_and_keeps_the_partial_result():
    f1, f2, x, y = WAVY
    script = ("import plisse, sys\n"
              "print('running', flush=True)\n"
              "try:\n"
              f"    plisse.analyse({f1!r}, {f2!r}, {x}, {y})\n"
              "except KeyboardInterrupt as e:\n"
              "    print(e.result['run']['interrupted'], sum(e.result['undecided'].values()))\n")
    child = subprocess.Popen([sys.executable, "-c", script], stdout=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "running\n"
    time.sleep(1.5)
    start = time.monotonic()
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=60)
    assert time.monotonic() - start < 30
    interrupted, undecided = out.split()
    assert interrupted == "True" and int(undecided) > 0


def test_flow_encloses_the_rotation():
    # x' = y, y' = -x from (1, 0): x = cos t, y = -sin t.
    T = 2.0
    r = plisse.flow("y,-x", (1, 1), (0, 0), T)
    assert r["reached"]
    last = r["enclosures"][-1]
    assert last["t"] == [T, T]
    (x_lo, x_hi), (y_lo, y_hi) = last["box"]["x"], last["box"]["y"]
    assert x_lo <= math.cos(T) <= x_hi and y_lo <= -math.sin(T) <= y_hi
    assert x_hi - x_lo < 1e-9 and y_hi - y_lo < 1e-9
    with pytest.raises(ValueError, match="--order"):
        plisse.flow("y,-x", (1, 1), (0, 0), T, order=0)


def test_plot_labels_every_feature_in_both_planes():
    import matplotlib
    matplotlib.use("Agg")
    figure = plisse.plot(plisse.analyse(**ONE_CUSP))
    source, target = figure.axes[:2]
    # One cusp, two points where the fold meets the left edge, one crossing
    # of the fold image with the boundary image (marked at both source points).
    assert sorted(t.get_text() for t in source.texts) == ["C1", "FB1", "FB1", "P1", "P2"]
    assert sorted(t.get_text() for t in target.texts) == ["C1", "FB1", "P1", "P2"]
    # f1 = x + 0.3y runs over the boundary from -0.9 - 0.3 to 1.1 + 0.3, at two corners.
    line = target.get_lines()[0]
    assert min(line.get_xdata()) == pytest.approx(-1.2) and max(line.get_xdata()) == pytest.approx(1.4)


def test_every_function_has_its_documentation():
    for f in (plisse.analyse, plisse.flow, plisse.plot, plisse.sweep):
        assert "Returns" in f.__doc__


def test_plot_shades_what_a_stopped_run_left_undecided():
    import matplotlib
    matplotlib.use("Agg")
    f1, f2, x, y = WAVY
    r = plisse.analyse(f1, f2, x, y, time_limit=0.5)
    figure = plisse.plot(r)
    shaded = [p for p in figure.axes[0].patches if p.get_label() == "left undecided"]
    assert any(r["undecided_regions"].values()) and len(shaded) == 1
    assert "incomplete" in figure._suptitle.get_text()
