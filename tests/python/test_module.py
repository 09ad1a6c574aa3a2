"""The Python module against the program: the same design through the dialog,
through --spec and through mandrelix.design(...) gives the same S-parameters,
circuit file and tolerance figures, and the module refuses what the program
refuses, in its words.

Run by ctest (label python) with PYTHONPATH holding the built package and
MANDRELIX_BINARY, MANDRELIX_DATA naming the program and the shipped files."""
import json
import os
import shutil
import subprocess
from pathlib import Path

import numpy as np
import pytest
import skrf

import mandrelix

BINARY = os.environ["MANDRELIX_BINARY"]
DATA = Path(os.environ["MANDRELIX_DATA"])
EXAMPLE = Path(__file__).resolve().parents[2] / "docs" / "worked_example.toml"

# The worked example in the dialog: distributed synthesis with every answer
# blank (the shipped defaults), then its analysis from 10 to 3000 MHz by 10.
WORKED_ANSWERS = "\n2\n1\n" + "\n" * 17 + "1\n\n\n\n10\n3000\n10\n\n3\n"


@pytest.fixture
def work(tmp_path, monkeypatch):
    for f in DATA.iterdir():
        shutil.copy(f, tmp_path)
    monkeypatch.chdir(tmp_path)
    return tmp_path


def run(*args, answers=""):
    return subprocess.run([BINARY, *map(str, args)], input=answers, capture_output=True,
                          text=True, check=False)


def test_s21_is_that_of_the_dialog_and_of_the_design_file(work):
    assert run("--touchstone", "dialog.s2p", answers=WORKED_ANSWERS).returncode == 0
    assert run("--spec", EXAMPLE, "--touchstone", "spec.s2p").returncode == 0
    assert (work / "dialog.s2p").read_bytes() == (work / "spec.s2p").read_bytes()
    dialog = skrf.Network(str(work / "dialog.s2p"))
    a = mandrelix.design(EXAMPLE).analyse()
    np.testing.assert_array_equal(a.frequency_mhz, dialog.f / 1e6)
    assert np.max(np.abs(a.s[:, 1, 0] - dialog.s[:, 1, 0])) < 1e-6
    assert np.max(np.abs(a.s[:, 0, 0] - dialog.s[:, 0, 0])) < 1e-6
    # Any frequencies: the same point gives the same figures.
    b = mandrelix.design(EXAMPLE).analyse(np.array([a.frequency_mhz[99], 10.0]))
    assert b.s[0, 1, 0] == a.s[99, 1, 0] and b.loss_db[1] == a.loss_db[0]


def test_a_dict_is_the_design_file(work):
    import tomllib

    with open(EXAMPLE, "rb") as f:
        tables = tomllib.load(f)
    by_file, by_dict = mandrelix.design(EXAMPLE), mandrelix.design(tables)
    assert by_dict.sections == by_file.sections and len(by_file.sections) == 7
    assert by_dict.te11_mhz == by_file.te11_mhz == min(s["te11_mhz"] for s in by_file.sections)
    assert by_file.peak_power_w == pytest.approx(4588, abs=1)  # the report's 4.588 kW
    assert by_file.lumped["elements"][0]["shunt_pf"] == pytest.approx(3.760, abs=1e-3)


def test_result_files_are_those_of_the_command_line(work):
    assert run("--spec", EXAMPLE, "--save-circuit", "cli.cxf", "--tolerance", "cli.json",
               "--trials", "60", "--random-state", "7").returncode == 0
    d = mandrelix.design(EXAMPLE)
    d.write_circuit(work / "py.cxf")
    assert (work / "py.cxf").read_bytes() == (work / "cli.cxf").read_bytes()
    # The first study of the run is the synthesis's.
    assert d.tolerance_study(trials=60, random_state=7) == json.loads((work / "cli.json").read_text())
    d.drawing(work / "py.dxf")
    d.em_model(work / "py.py")
    assert (work / "py.dxf").stat().st_size > 0 and (work / "py.py").stat().st_size > 0


@pytest.mark.parametrize("spec, words", [
    ({"response": {"ripel_db": 0.1}}, "<dict>: response.ripel_db: unknown key; expected one of"),
    ({"response": {"sections": 40}}, "<dict>: response.sections: expected a whole number from 2 to 30"),
    ({"response": {"type": "bessle"}}, "<dict>: response.type: expected one of"),
    ({"coax": {"high": {"inner_in": 0.3}}}, "<dict>: the coaxial filter cannot be built: ERROR DETECTED."),
    ({"response": {"cutoff_mhz": [1000]}}, "<dict>: response.cutoff_mhz: expected a number above 0, not an array"),
])
def test_refusals_are_the_programs(work, spec, words):
    with pytest.raises(ValueError, match="^" + words.replace(".", r"\.").replace("[", r"\[")):
        mandrelix.design(spec)


def test_a_design_file_is_refused_in_the_words_of_spec(work):
    (work / "bad.toml").write_text("[analysis]\nstart_mhz = 500\nstop_mhz = 100\n")
    cli = run("--spec", "bad.toml")
    assert cli.returncode == 1 and cli.stdout == ""
    with pytest.raises(ValueError) as e:
        mandrelix.design("bad.toml")
    assert cli.stderr == "mandrelix: " + str(e.value) + "\n"
    with pytest.raises(ValueError, match="--trials"):
        mandrelix.design(EXAMPLE).tolerance_study(trials=0)


def test_to_skrf_refers_each_port_to_its_termination(work):
    ladder = mandrelix.design({"response": {"sections": 4, "ripple_db": 0.5},
                               "terminations": {"load_ohm": 25}})
    a = ladder.analyse(np.linspace(10, 2000, 50))
    net = a.to_skrf()
    assert a.s.shape == (50, 2, 2) and a.z0_ohm == (50.0, 25.0)
    np.testing.assert_array_equal(net.z0[0], [50, 25])
    np.testing.assert_allclose(net.s, a.s)
    # |S21| between the two references gives the printed Loss column (negative dB).
    loss = 10 * np.log10(np.abs(a.s[:, 1, 0]) ** 2)
    np.testing.assert_allclose(loss, a.loss_db, atol=2e-3)
    with pytest.raises(ValueError, match="no \\[analysis\\]"):
        ladder.analyse()
