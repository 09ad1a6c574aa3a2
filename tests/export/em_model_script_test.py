"""The full-wave model's Python body (src/export/em_model_script.py), imported as a module.

    /usr/bin/python3 -m pytest em_model_script_test.py [-m "not openems"]

The tests without a mark need numpy only. Those marked `openems` run the field solver at the
coarse mesh on short lines (about a second each) and are skipped when openEMS cannot be
imported.
"""

import math
import os
import subprocess
import sys

import numpy as np
import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # the module under test lives in the source tree
sys.path.insert(0, os.path.join(HERE, "..", "..", "src", "export"))
import em_model_script as em  # noqa: E402

MM_PER_INCH = 25.4
C0 = 299792458.0


def line(outer, inner, er=1.0, length=None):
    d = {"outer_in": outer, "inner_in": inner, "er": er, "zo": 0.0}
    if length is not None:
        d["length_in"] = length
    return d


def model(source, sections, load, f_mhz=range(10, 3001, 10), refs=(50.0, 50.0)):
    return {"program": "test", "title": "test lines", "source": source, "sections": sections,
            "load": load, "cutoff_mhz": 0, "ripple_db": 0, "reference_ohm": list(refs),
            "frequencies_mhz": list(f_mhz)}


# ----------------------------------------------------------------- without the field solver


@pytest.mark.parametrize("x, snapped", [
    (1.8177317, 1.81773),       # D = 0.14312848 inch, as a radius in mm
    (-149.896229, -149.896),
    (0.0, 0.0),
    (2.5e-7, 2.5e-7),
])
def test_snap_keeps_what_the_xml_keeps(x, snapped):
    assert em.snap(x) == snapped
    assert float("%.7g" % em.snap(x)) == em.snap(x)  # 7 digits hold it exactly


def test_mesh_lines_hold_every_fixed_coordinate_exactly():
    fixed = [em.snap(v) for v in (-61.2345678, -3.14159265, 0.0, 4.43657, 43.3891234)]
    lines = em.snapped_lines(em.graded_lines(fixed, 0.2117, 5.0, 1.5))
    for v in fixed:
        assert v in lines
    assert np.all(np.diff(lines) > 0)
    assert np.all(np.diff(lines) <= 5.0 * (1 + 1e-5))


def test_lines_closer_than_the_xml_holds_are_refused():
    with pytest.raises(em.ModelError, match="significant digits"):
        em.snapped_lines(np.array([1.0, 1.0 + 1e-9, 2.0]))


def test_dropped_primitives_are_found_in_the_solver_log():
    log = ("FDTD simulation size: 8x5x71 --> 2840 FDTD cells\n"
           "Warning: Unused primitive (type: Box) detected in property: excitation_back!\n"
           "Running FDTD engine... this may take a while... grab a cup of coffee?!?\n")
    assert em.dropped_primitives(log) == [
        "Warning: Unused primitive (type: Box) detected in property: excitation_back!"]
    assert em.dropped_primitives("Time for 66126 iterations\n") == []


def test_a_many_digit_diameter_gives_the_model_a_six_digit_radius():
    lines = em.model_lines(model(line(0.5, 0.2172), [line(0.5, 0.14312848, 1.0, 1.0)],
                                 line(0.5, 0.2172)))
    assert lines[1][0] == 1.81773 and lines[1][4] == 25.4


# -------------------------------------------------------------------- with the field solver

openems = pytest.mark.openems


@pytest.fixture
def solver():
    pytest.importorskip("openEMS")
    pytest.importorskip("CSXCAD")


def run_model(m, tmp_path, name="out"):
    """S11 and S21 of the model at the coarse mesh, and the script's exit status."""
    out = str(tmp_path / (name + ".s2p"))
    status = em.main([out, "--resolution", "coarse", "--threads", "1"], m)
    if status != 0:
        return status, None, None
    data = np.loadtxt(out, comments=["!", "#"])
    return status, data[:, 1] + 1j * data[:, 2], data[:, 3] + 1j * data[:, 4]


# A uniform line: the section is its end lines, so nothing may reflect. The first pair are the
# worked example's 50-ohm end lines; the second a smaller line whose excitation plane, before
# the mesh and the primitives agreed, lay on no mesh line (no wave: NaN).
@openems
@pytest.mark.parametrize("outer, inner, length", [(0.5, 0.2172, 60 / MM_PER_INCH),
                                                  (0.3, 0.13, 1.0)])
def test_a_uniform_line_does_not_reflect(solver, tmp_path, outer, inner, length):
    status, s11, s21 = run_model(model(line(outer, inner), [line(outer, inner, 1.0, length)],
                                       line(outer, inner)), tmp_path)
    assert status == 0
    assert np.all(np.isfinite(s11)) and np.all(np.isfinite(s21))
    assert abs(s11).max() < 0.02
    assert abs(abs(s21) - 1).max() < 0.002


@openems
def test_a_many_digit_diameter_does_not_change_the_answer(solver, tmp_path):
    """A 75-ohm quarter-wave line at 1 GHz between 50-ohm lines: |S11| is 0.385 at 1 GHz and 0
    at 2 GHz as ideal lines (the steps' capacitance moves both a little), whichever way its
    centre conductor's diameter is typed."""
    quarter_wave_in = C0 / 1e9 / 4 / 0.0254
    results = []
    for inner in (0.14312848, 0.1431):
        status, s11, _ = run_model(model(line(0.5, 0.2172), [line(0.5, inner, 1.0, quarter_wave_in)],
                                         line(0.5, 0.2172), f_mhz=[1000, 2000]), tmp_path)
        assert status == 0
        results.append(abs(s11))
    z = 59.95849 * math.log(0.5 / 0.14312848)
    ideal = (z ** 2 - 50 ** 2) / (z ** 2 + 50 ** 2)
    for s11 in results:
        assert abs(s11[0] - ideal) < 0.02
        assert s11[1] < 0.05
    assert abs(results[0] - results[1]).max() < 0.005


@openems
def test_a_dropped_primitive_is_an_error_not_a_touchstone_file(solver, tmp_path, monkeypatch,
                                                               capfd):
    """The mesh as it was before every coordinate was snapped (its fixed lines rounded to 9
    decimals, the primitives not): openEMS drops the excitation planes. The run must fail and
    write nothing."""
    graded = em.graded_lines
    monkeypatch.setattr(em, "snap", lambda x: x)
    monkeypatch.setattr(em, "graded_lines",
                        lambda fixed, *a: graded(np.round(np.asarray(fixed, float), 9), *a))
    status, _, _ = run_model(model(line(0.3, 0.13), [line(0.3, 0.13, 1.0, 1.0)],
                                   line(0.3, 0.13)), tmp_path)
    assert status == 2
    assert not (tmp_path / "out.s2p").exists()
    err = capfd.readouterr().err
    assert "em model: not simulated: openEMS dropped a part of the model" in err


@openems
def test_a_non_finite_result_is_an_error(solver, tmp_path, monkeypatch, capfd):
    monkeypatch.setattr(em, "renormalized", lambda *a: tuple(np.full(3, np.nan) for _ in range(4)))
    status, _, _ = run_model(model(line(0.3, 0.13), [line(0.3, 0.13, 1.0, 0.2)],
                                   line(0.3, 0.13), f_mhz=[100, 200, 300]), tmp_path)
    assert status == 2
    assert not (tmp_path / "out.s2p").exists()
    assert "the field solution is not finite" in capfd.readouterr().err


@openems
def test_keep_takes_a_folder_relative_to_where_it_is_run(solver, tmp_path):
    m = model(line(0.3, 0.13), [line(0.3, 0.13, 1.0, 0.2)], line(0.3, 0.13), f_mhz=[100, 200])
    with open(os.path.join(HERE, "..", "..", "src", "export", "em_model_script.py")) as f:
        body = f.read()
    (tmp_path / "line.py").write_text("MODEL = %r\n" % m + body)
    run = subprocess.run([sys.executable, "line.py", "out.s2p", "--resolution", "coarse",
                          "--threads", "1", "--keep", "kept"], cwd=tmp_path, text=True,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    assert run.returncode == 0, run.stdout
    assert (tmp_path / "out.s2p").exists()
    assert (tmp_path / "kept" / "forward" / "solver.log").exists()
