"""plisse.sweep and plisse sweep: the lips family, whose cusps are born at t = 0."""

import json
import multiprocessing
import os
import signal
import subprocess
import time

import pytest

import plisse
from plisse import sweeps
from conftest import LIPS, LIPS_VALUES, PLISSE

# The lips family changes its cusp count from 0 to 2 between the two values bracketing t = 0.
BIRTH = {"count": "cusps", "parameter": "t", "between": [-0.05, 0.05], "from": 0, "to": 2}


def lips_sweep(**options):
    return plisse.sweep(LIPS["f1"], LIPS["f2"], LIPS["x"], LIPS["y"], "t", LIPS_VALUES,
                        resolution=LIPS["resolution"], **options)


def without_times(record):
    return {k: v for k, v in record.items() if k not in ("times", "seconds")}


def check_lips(result):
    assert [r["value"] for r in result["records"]] == LIPS_VALUES
    assert [r["counts"]["cusps"] for r in result["records"]] == [0, 0, 2, 2]
    assert [b for b in result["bifurcations"] if b["count"] == "cusps"] == [BIRTH]


def test_sweep_on_a_local_process_pool_finds_the_birth_of_the_cusps():
    check_lips(lips_sweep())


def test_sweep_on_a_dask_cluster_finds_the_birth_of_the_cusps():
    distributed = pytest.importorskip("distributed")
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None)
    with cluster, distributed.Client(cluster) as client:
        check_lips(lips_sweep(executor=client.get_executor()))


def test_a_worker_that_dies_costs_its_value_a_retry():
    killed = []

    def kill_a_worker(record):
        workers = multiprocessing.active_children()
        if not killed and workers:
            os.kill(workers[0].pid, signal.SIGKILL)
            killed.append(workers[0].pid)

    result = lips_sweep(executor=2, on_record=kill_a_worker)
    assert killed
    assert all(r["status"] == "done" for r in result["records"])
    check_lips(result)


def test_a_failed_value_is_a_record_with_its_reason():
    # At t = 0.5 the exponent is no integer: that value is refused, the others are analysed.
    result = plisse.sweep("x", "y^t+x", LIPS["x"], LIPS["y"], "t", [1, 0.5, 2], resolution=6)
    statuses = [(r["status"], r["reason"]) for r in result["records"]]
    assert statuses[0] == ("done", None) and statuses[2] == ("done", None)
    assert statuses[1][0] == "failed" and "not an integer" in statuses[1][1]
    with pytest.raises(ValueError, match="not an integer"):
        plisse.sweep("x", "y^t+x", LIPS["x"], LIPS["y"], "t", [0.5, 1.5], resolution=6)


@pytest.mark.parametrize("name", ["x", "y", "sin", "t_1", "2t"])
def test_a_parameter_that_clashes_with_the_language_is_refused(name):
    with pytest.raises(ValueError, match=f'"{name}"'):
        plisse.sweep("x", f"y^3+{name}*y", LIPS["x"], LIPS["y"], name, [0.5])


def test_the_value_replaces_the_parameter_name_only():
    text = sweeps.substitute("t*tt+t2-(t)", "t", -1e-05)
    assert text == "(-1e-05)*tt+t2-((-1e-05))"


def sweep_command(jsonl, *more):
    return [PLISSE, "sweep", "--f1", LIPS["f1"], "--f2", LIPS["f2"], "--x", "-1,1", "--y", "-1,1",
            "-n", "40", "--param", "t=-0.25,0.25,6", "--jobs", "1", "--jsonl", str(jsonl), *more]


def records_by_value(jsonl):
    return {r["value"]: without_times(r) for r in map(json.loads, jsonl.read_text().splitlines())}


def test_a_killed_sweep_resumed_gives_the_records_of_one_run(tmp_path):
    whole = tmp_path / "whole.jsonl"
    done = subprocess.run(sweep_command(whole), capture_output=True, text=True, timeout=300)
    assert done.returncode == 0
    assert "cusps: 0 -> 2 for t between -0.05 and 0.05" in done.stdout

    cut = tmp_path / "cut.jsonl"
    child = subprocess.Popen(sweep_command(cut), stdout=subprocess.DEVNULL, start_new_session=True)
    while not cut.exists() or len(cut.read_text().splitlines()) < 2:
        assert child.poll() is None, "the sweep ended before it could be killed"
        time.sleep(0.01)
    os.killpg(child.pid, signal.SIGKILL)
    child.wait()
    kept = records_by_value(cut)
    assert 2 <= len(kept) < 6

    resumed = subprocess.run(sweep_command(cut, "--resume"), capture_output=True, text=True, timeout=300)
    assert resumed.returncode == 0
    lines = cut.read_text().splitlines()
    assert len(lines) == 6
    assert records_by_value(cut) == records_by_value(whole)


def test_a_line_cut_by_a_kill_is_dropped_before_resuming(tmp_path):
    jsonl = tmp_path / "cut.jsonl"
    jsonl.write_text('{"value": 1}\n{"value": 2}\n{"value": 3, "sta')
    sweeps.drop_cut_line(str(jsonl))
    with open(jsonl, "a") as out:
        out.write('{"value": 3}\n')
    assert [r["value"] for r in sweeps.read_records(str(jsonl))] == [1, 2, 3]
