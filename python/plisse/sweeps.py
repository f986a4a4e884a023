"""Sweeps over a parameter: a family of maps, one analysis per value of the
parameter on any concurrent.futures executor, and the places where a count
is certified to change. `plisse sweep` on the command line runs main()
(through python3 -m plisse sweep)."""

import argparse
import concurrent.futures as cf
import json
import math
import os
import re
import sys
import time
from concurrent.futures.process import BrokenProcessPool

from . import _plisse

# The counts of a record, each with the field of the results that says
# whether its search settled every candidate.
COUNTS = {
    "cusps": "cusps_exact",
    "fold_fold_crossings": "fold_fold_complete",
    "boundary_boundary_crossings": "boundary_boundary_complete",
    "fold_boundary_intersections": "fold_boundary_complete",
}

# Times a value is run again when its worker died (a killed process, a lost
# Dask worker) before its record says so.
RETRIES = 2

# A number or a name of the expression language; the scanner reads a name
# only where no number goes on, so "2e5t" is the number 2e5 and the name t.
TOKEN = re.compile(r"[0-9]+(?:\.[0-9]+)?(?:[eE][+-]?[0-9]+)?|[A-Za-z][A-Za-z0-9]*")


class SweepError(ValueError):
    """A sweep that cannot run, with the reason."""


def substitute(text, parameter, value):
    """text with every occurrence of the name parameter replaced by value,
    written in parentheses as the shortest decimal that reads back to it
    (the expression language reads a decimal as the nearest double)."""
    replacement = f"({float(value)!r})"
    return TOKEN.sub(lambda m: replacement if m.group(0) == parameter else m.group(0), text)


def check_parameter(parameter, values):
    """Raises SweepError when parameter cannot stand in the components or a value is no finite number."""
    problem = _plisse.parameter_problem(parameter)
    if problem:
        raise SweepError(problem)
    for v in values:
        if not (isinstance(v, (int, float)) and math.isfinite(v)):
            raise SweepError(f"the value {v!r} of the parameter {parameter} is not a finite number")


def record_of(value, f1, f2, result, stopped, seconds):
    """The record of one value, whose map is (f1, f2), from its results."""
    counts = result["counts"]
    return {
        "value": value,
        "status": "stopped" if stopped else "done",
        "reason": "stopped at its time limit" if stopped else None,
        "f1": f1,
        "f2": f2,
        "counts": {name: counts[name] for name in COUNTS},
        "complete": {name: counts[flag] for name, flag in COUNTS.items()},
        "known": result["fold_curve_known"],
        "undecided": result["undecided"],
        "times": result["times"],
        "seconds": seconds,
    }


def failed_record(value, f1, f2, reason):
    """The record of a value that has no results, with the reason."""
    return {"value": value, "status": "failed", "reason": reason, "f1": f1, "f2": f2, "counts": None,
            "complete": None, "known": None, "undecided": None, "times": None, "seconds": None}


def analyse_value(f1, f2, x, y, parameter, value, resolution, time_limit):
    """The record of the map (f1, f2) with the parameter set to value. Runs
    in a worker; a failure of the analysis is a record, never an exception."""
    g1, g2 = substitute(f1, parameter, value), substitute(f2, parameter, value)
    start = time.perf_counter()
    try:
        result, stopped = _plisse.analyse(g1, g2, tuple(x), tuple(y), resolution, time_limit)
    except Exception as e:
        return failed_record(value, g1, g2, f"{type(e).__name__}: {e}")
    return record_of(value, g1, g2, result, stopped, time.perf_counter() - start)


def bifurcations(records, parameter="t"):
    """Each place where a count changes between two records (in their
    order) whose counts are complete, with no complete count between them:
    the change is then certified to happen between their two values. A
    value whose count is incomplete (a lower bound) certifies nothing and is
    passed over."""
    found = []
    for name in COUNTS:
        complete = [(k, r) for k, r in enumerate(records) if r["complete"] is not None and r["complete"][name]]
        for (k, a), (_, b) in zip(complete, complete[1:]):
            if a["counts"][name] != b["counts"][name]:
                found.append((k, {"count": name, "parameter": parameter, "between": [a["value"], b["value"]],
                                  "from": a["counts"][name], "to": b["counts"][name]}))
    return [b for _, b in sorted(found, key=lambda kb: kb[0])]


class _Pool:
    """The executor of a sweep: the caller's, or a local process pool made
    by the sweep (and made anew when a worker dies, which breaks the whole
    pool) with the given number of workers (None: one per core)."""

    def __init__(self, executor):
        """Wraps executor: an Executor, a number of local workers, or None for one per core."""
        self.own = executor is None or isinstance(executor, int)
        self.workers = executor if isinstance(executor, int) else os.cpu_count() or 1
        self.executor = self._new() if self.own else executor

    def _new(self):
        """A new local process pool."""
        return cf.ProcessPoolExecutor(max_workers=self.workers)

    def submit(self, *args):
        """Submits the analysis of one value."""
        return self.executor.submit(analyse_value, *args)

    def renew(self, error):
        """Replaces its own pool when error says it broke; a caller's executor stays."""
        if self.own and isinstance(error, BrokenProcessPool):
            self.executor.shutdown(wait=False, cancel_futures=True)
            self.executor = self._new()

    def close(self, cancel=False):
        """Shuts down its own pool (at once, dropping what waits, when cancel); a caller's executor stays."""
        if self.own:
            self.executor.shutdown(wait=not cancel, cancel_futures=cancel)


def sweep(f1, f2, x, y, parameter="t", values=(), executor=None, time_limit=None, resolution=25,
          records=None, on_record=None):
    """Analyses the family of maps (f1, f2) for every value of a parameter.

    f1, f2: the components, texts in x, y and the parameter's name (a name
    of the expression language other than x, y and the functions). Every
    value is analysed as its own map, with the name replaced by the value.
    x, y: the studied box; resolution and time_limit (seconds per value) as
    for plisse.analyse.

    executor: any concurrent.futures.Executor, for instance a Dask cluster's
    (distributed.Client(...).get_executor()); or a number of workers of a
    local process pool; None for a local process pool with one worker per
    core. A value whose worker dies (a killed process, a
    lost Dask worker) is run again, up to twice; a value whose analysis fails
    or stops at its time limit is a record saying so. Raises ValueError
    (SweepError) when the parameter's name or a value cannot be used, or
    when no value gives a map the analysis accepts (with the command line's
    message about the first).

    records: records made before (as read back from a JSON-lines file of a
    sweep killed halfway); their values are not analysed again.
    on_record: called with each new record as it arrives, in the calling process.

    Returns {"parameter": name, "records": [...], "bifurcations": [...]}.
    The records come in the order of values, one per value: value, status
    ("done", "stopped" at its time limit, or "failed"), reason, f1 and f2
    with the value in place, counts (cusps, fold_fold_crossings,
    boundary_boundary_crossings, fold_boundary_intersections), complete (the
    same names: whether each count is exact rather than a lower bound),
    known (the fold curve's topology), undecided, times (of the analysis, as
    in the results file) and seconds (the value's wall time). The
    bifurcations are the places where a count changes between two values
    (in the order given) whose counts are complete, with no complete count
    of it in between (a value whose count is only a lower bound is passed
    over): count, between (the two values), from and to (the two counts).
    """
    values = list(values)
    check_parameter(parameter, values)
    x, y = tuple(x), tuple(y)
    def problem(v):
        """The command line's message about the map of value v; "" when it can be analysed."""
        return _plisse.input_problem(substitute(f1, parameter, v), substitute(f2, parameter, v), x, y, resolution,
                                     time_limit)

    # A family none of whose maps can be analysed is a bad input; a value
    # whose map alone is refused gets a failed record.
    if values and all(map(problem, values)):
        raise SweepError(problem(values[0]))
    wanted = set(values)
    made = {r["value"]: r for r in records or () if r["value"] in wanted}
    made.update(_run(values, made, (f1, f2, x, y, parameter), (resolution, time_limit), executor, on_record))
    ordered = [made[v] for v in values]
    return {"parameter": parameter, "records": ordered, "bifurcations": bifurcations(ordered, parameter)}


def _run(values, made, family, settings, executor, on_record):
    """Runs the values without a record in made; the new records by value."""
    f1, f2, x, y, parameter = family
    resolution, time_limit = settings
    pool = _Pool(executor)
    attempts = {}
    pending = {}

    def submit(v):
        """Submits value v, or records why the executor refused it."""
        attempts[v] = attempts.get(v, 0) + 1
        try:
            pending[pool.submit(f1, f2, x, y, parameter, v, resolution, time_limit)] = v
        except Exception as e:
            finish(v, failed_record(v, substitute(f1, parameter, v), substitute(f2, parameter, v),
                                    f"the executor refused the value: {type(e).__name__}: {e}"))

    finished = {}

    def finish(v, record):
        """Keeps the record of value v and tells on_record."""
        finished[v] = record
        if on_record:
            on_record(record)

    try:
        for v in dict.fromkeys(values):
            if v not in made:
                submit(v)
        while pending:
            done, _ = cf.wait(pending, return_when=cf.FIRST_COMPLETED)
            lost = []
            for future in done:
                v = pending.pop(future)
                try:
                    finish(v, future.result())
                except Exception as e:
                    lost.append((v, e))
            for _, e in lost[:1]:
                pool.renew(e)
            for v, e in lost:
                if attempts[v] <= RETRIES:
                    submit(v)
                else:
                    finish(v, failed_record(v, substitute(f1, parameter, v), substitute(f2, parameter, v),
                                            f"its worker died {attempts[v]} times: {type(e).__name__}: {e}"))
    except BaseException:
        pool.close(cancel=True)
        raise
    pool.close()
    return finished


# The command line.

def parameter_values(text):
    """NAME=LO,HI,N: the name and N values evenly spaced from LO to HI (both included)."""
    name, sep, range_text = text.partition("=")
    bounds = range_text.split(",")
    if not sep or len(bounds) != 3:
        raise SweepError(f"--param: {text!r} is not NAME=LO,HI,N, as in t=0,1,101")
    try:
        lo, hi, n = float(bounds[0]), float(bounds[1]), int(bounds[2])
    except ValueError:
        raise SweepError(f"--param: {text!r} is not NAME=LO,HI,N, as in t=0,1,101") from None
    if n < 1 or not (math.isfinite(lo) and math.isfinite(hi)):
        raise SweepError(f"--param: {text!r} needs finite bounds and N of at least 1")
    if n == 1:
        return name, [lo]
    return name, [(lo * (n - 1 - k) + hi * k) / (n - 1) for k in range(n)]


def pair(text):
    """LO,HI as two floats."""
    lo, hi = text.split(",")
    return float(lo), float(hi)


def read_records(file):
    """The records of a JSON-lines file; a line cut short by a kill is passed over."""
    if not os.path.exists(file):
        return []
    records = []
    with open(file) as lines:
        for line in lines:
            try:
                records.append(json.loads(line))
            except json.JSONDecodeError:
                pass
    return records


def drop_cut_line(file):
    """Cuts off a last line left without its end by a kill, so that appended lines start lines of their own."""
    if not os.path.exists(file):
        return
    with open(file, "rb+") as lines:
        data = lines.read()
        lines.truncate(data.rfind(b"\n") + 1)


def count_text(record, name):
    """A count of record as the table shows it: ">=n" when only a lower bound, "-" when the value failed."""
    if record["counts"] is None:
        return "-"
    count = record["counts"][name]
    return str(count) if record["complete"][name] else f">={count}"


def table(result):
    """The records as a table: one line per value, an incomplete count shown as a lower bound."""
    head = [result["parameter"], "cusps", "fold-fold", "bnd-bnd", "fold-bnd", "known", "status"]
    rows = [[repr(r["value"])] + [count_text(r, n) for n in COUNTS]
            + ["-" if r["known"] is None else ("yes" if r["known"] else "no"),
               r["status"] + (f" ({r['reason']})" if r["status"] == "failed" else "")]
            for r in result["records"]]
    widths = [max(len(row[i]) for row in rows + [head]) for i in range(len(head))]
    return "\n".join("  ".join(c.rjust(w) for c, w in zip(row, widths)).rstrip() for row in [head] + rows)


def bifurcation_text(result):
    """The bifurcations of result, one line each."""
    found = result["bifurcations"]
    if not found:
        return "no certified change of a count between neighbouring values"
    return "\n".join(f"{b['count']}: {b['from']} -> {b['to']} for {b['parameter']} between {b['between'][0]!r} "
                     f"and {b['between'][1]!r}" for b in found)


def plot_counts(result, file):
    """Draws each count against the parameter into file; a count that is
    only a lower bound is an open marker."""
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    figure, ax = plt.subplots(figsize=(9, 5), layout="constrained")
    for name in COUNTS:
        rows = [r for r in result["records"] if r["counts"] is not None]
        line, = ax.plot([r["value"] for r in rows], [r["counts"][name] for r in rows], drawstyle="steps-mid",
                        marker=".", label=name.replace("_", " "))
        lower = [r for r in rows if not r["complete"][name]]
        ax.plot([r["value"] for r in lower], [r["counts"][name] for r in lower], linestyle="none", marker="o",
                markerfacecolor="none", color=line.get_color())
    for b in result["bifurcations"]:
        ax.axvspan(*b["between"], color="grey", alpha=0.2)
    ax.set(xlabel=result["parameter"], ylabel="count",
           title="counts (open markers: lower bounds; grey: certified changes)")
    ax.legend()
    figure.savefig(file)


# The options that take a value; argparse would read a value such as -1,1 or -x^2 as an option.
VALUED = {"--f1", "--f2", "--x", "--y", "--param", "-n", "--resolution", "--time-limit", "--jobs", "--scheduler",
          "--jsonl", "--plot"}


def joined(argv):
    """argv with every valued option and its value in one argument (--x=-1,1)."""
    out, k = [], 0
    while k < len(argv):
        if argv[k] in VALUED and k + 1 < len(argv):
            out.append(f"{argv[k]}={argv[k + 1]}")
            k += 2
        else:
            out.append(argv[k])
            k += 1
    return out


def arguments(argv):
    """The options of plisse sweep read from argv; argparse ends the program on a bad one (status 2)."""
    parser = argparse.ArgumentParser(
        prog="plisse sweep",
        description="Analyses a family of maps over a parameter, one value per worker, writes one JSON line per "
                    "value as each finishes, and prints the counts and where they certifiably change.",
        epilog="Example: plisse sweep --f1 x --f2 'y^4-t*y^2+x*y' --x -1,1 --y -1.2,1.2 --param t=-0.5,0.5,11 "
               "-n 12 --jsonl swallowtail.jsonl")
    parser.add_argument("--f1", required=True, help="first component, in x, y and the parameter")
    parser.add_argument("--f2", required=True, help="second component, in x, y and the parameter")
    parser.add_argument("--x", required=True, type=pair, metavar="LO,HI", help="range of x")
    parser.add_argument("--y", required=True, type=pair, metavar="LO,HI", help="range of y")
    parser.add_argument("--param", required=True, metavar="NAME=LO,HI,N",
                        help="the parameter and its N values from LO to HI")
    parser.add_argument("-n", "--resolution", type=int, default=25, help="cells per side (default 25)")
    parser.add_argument("--time-limit", type=float, metavar="SECONDS", help="time limit of each value")
    parser.add_argument("--jobs", type=int, metavar="N", help="local worker processes (default: one per core)")
    parser.add_argument("--scheduler", metavar="ADDRESS",
                        help="run on the Dask cluster of this scheduler (tcp://host:8786) instead")
    parser.add_argument("--jsonl", metavar="FILE", help="append one JSON line per value to FILE as each finishes")
    parser.add_argument("--resume", action="store_true", help="skip the values that FILE already holds")
    parser.add_argument("--plot", metavar="FILE", help="draw the counts against the parameter into FILE")
    options = parser.parse_args(joined(argv))
    if options.resume and not options.jsonl:
        parser.error("--resume needs --jsonl")
    if options.jobs is not None and options.jobs < 1:
        parser.error("--jobs must be at least 1")
    return options


def executor_of(options):
    """The executor the options ask for: a Dask cluster's, or a number of local workers (None: one per core)."""
    if options.scheduler:
        import distributed
        return distributed.Client(options.scheduler).get_executor()
    return options.jobs


def main(argv=None):
    """plisse sweep on argv: returns the exit status (0, 1 when a value failed, 2 on a bad input, 130 on Ctrl-C)."""
    options = arguments(sys.argv[1:] if argv is None else argv)
    try:
        parameter, values = parameter_values(options.param)
        records = []
        if options.resume:
            drop_cut_line(options.jsonl)
            records = [r for r in read_records(options.jsonl)
                       if r.get("f1") == substitute(options.f1, parameter, r.get("value", 0))
                       and r.get("f2") == substitute(options.f2, parameter, r.get("value", 0))]
        out = open(options.jsonl, "a" if options.resume else "w") if options.jsonl else None

        def write(record):
            """Appends record to the JSON-lines file as one line, at once."""
            if out:
                out.write(json.dumps(record) + "\n")
                out.flush()

        executor = executor_of(options)
        result = sweep(options.f1, options.f2, options.x, options.y, parameter, values, executor,
                       options.time_limit, options.resolution, records, write)
    except SweepError as e:
        print(f"plisse sweep: {e}", file=sys.stderr)
        return 2
    except KeyboardInterrupt:
        print("plisse sweep: interrupted; every line written is kept, and --resume goes on from them",
              file=sys.stderr)
        return 130
    if options.scheduler:
        executor.shutdown()
    print(table(result))
    print(bifurcation_text(result))
    if options.plot:
        plot_counts(result, options.plot)
    return 1 if any(r["status"] == "failed" for r in result["records"]) else 0
