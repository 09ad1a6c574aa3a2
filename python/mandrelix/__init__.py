"""Low-pass filter design and analysis from Python, by the program's own code.

A design is given as a design file (the TOML file of ``mandrelix --spec``) or
as a dict holding the same tables::

    import numpy as np
    import mandrelix

    d = mandrelix.design("filter.toml")
    for s in d.sections:
        print(s["length_in"], s["zo_ohm"])
    a = d.analyse(np.arange(10.0, 3000.0, 10.0))
    net = a.to_skrf()          # a scikit-rf Network

Values the design leaves out come from ``Mandrelix.DEF`` in the working
folder (``workdir``, default the current folder), as a blank answer to the
dialog takes them. A design that cannot be used raises ``ValueError`` with
the words of the program's message.
"""

import json
import math
import os

import numpy as np

from . import _core

__all__ = ["design", "Design", "Analysis", "response_types"]

#: The names of ``[response] type``.
response_types = tuple(_core.response_types)


def _toml_value(key, value):
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        if math.isnan(value):
            return "nan"
        if math.isinf(value):
            return "inf" if value > 0 else "-inf"
        return repr(value)
    if isinstance(value, (str, os.PathLike)):
        return json.dumps(os.fspath(value))  # a TOML basic string
    if isinstance(value, (list, tuple)):  # refused by the reader in its words
        return "[" + ", ".join(_toml_value(key, v) for v in value) + "]"
    if isinstance(value, (np.integer, np.floating)):
        return _toml_value(key, value.item())
    raise ValueError(f"<dict>: {key}: expected a number, a string or a table, "
                     f"not {type(value).__name__}")


def _toml_key(key):
    if not isinstance(key, str):
        raise ValueError(f"{key!r}: a key is a string")
    return json.dumps(key)


def _toml_text(spec, path=()):
    """The TOML text of a dict of tables (nested dicts) and values."""
    lines, tables = [], []
    for key, value in spec.items():
        if isinstance(value, dict):
            tables.append((key, value))
        else:
            name = ".".join(map(str, path + (key,)))
            lines.append(f"{_toml_key(key)} = {_toml_value(name, value)}")
    text = "\n".join(lines) + ("\n" if lines else "")
    for key, value in tables:
        _toml_key(key)
        header = ".".join(_toml_key(k) for k in path + (key,))
        text += f"[{header}]\n" + _toml_text(value, path + (key,))
    return text


def _options(**settings):
    """Command-line options of the settings given (None: left out)."""
    args = []
    for name, value in settings.items():
        if value is None:
            continue
        args += ["--" + name.replace("_", "-"), str(value)]
    return args


class Analysis:
    """The response of a design at a set of frequencies.

    Attributes (numpy arrays, one entry per frequency):
      frequency_mhz  the frequencies as analysed (single precision), MHz
      s              S-parameters, complex, shape (n, 2, 2), referred to z0_ohm
      zin_ohm        input impedance, complex, ohm
      vswr           input VSWR
      loss_db        through loss as the report's Loss column, dB (negative: 20 log |S21|)
      phase_deg      through phase, degrees
      delay_ns       group delay, ns
      z0_ohm         the reference resistances (source Rs, load Rl), ohm
    """

    def __init__(self, figures):
        self.frequency_mhz = figures["frequency_mhz"]
        self.s = figures["s"]
        self.zin_ohm = figures["zin_ohm"]
        self.vswr = figures["vswr"]
        self.loss_db = figures["loss_db"]
        self.phase_deg = figures["phase_deg"]
        self.delay_ns = figures["delay_ns"]
        self.z0_ohm = tuple(figures["z0_ohm"])

    def __len__(self):
        return len(self.frequency_mhz)

    def to_skrf(self, name="mandrelix"):
        """A scikit-rf Network of the S-parameters, with the source and load
        resistances as the reference impedances of port 1 and port 2."""
        import skrf

        f = skrf.Frequency.from_f(np.asarray(self.frequency_mhz, dtype=float), unit="MHz")
        z0 = np.tile(np.asarray(self.z0_ohm, dtype=complex), (len(self), 1))
        return skrf.Network(frequency=f, s=self.s, z0=z0, name=name)


class Design:
    """A synthesized design (or the circuit file a design names).

    Attributes:
      title          the design's title
      coaxial        True for a coaxial filter, False for a lumped ladder
      synthesized    False when the design analyses a circuit data file
      sections       the coaxial sections, source to load (empty for a ladder):
                     dicts of length_in, outer_in, inner_in, er, zo_ohm,
                     te11_mhz and peak_power_w
      source_line, load_line   the end lines, as the sections (None for a ladder)
      lumped         the ladder: configuration, elements (dicts of position and
                     shunt_pf or series_nh), and for a synthesis the prototype
                     values g and the load_ohm that ends it
      te11_mhz       the lowest TE11 cutoff of the lines, MHz (None for a ladder)
      peak_power_w   the lowest peak power of the lines, W (None for a ladder)
    """

    def __init__(self, core):
        self._core = core
        self.title = core.title
        self.coaxial = core.coaxial
        self.synthesized = core.synthesized
        lines = core.lines()
        self.sections = lines[1:-1]
        self.source_line = lines[0] if lines else None
        self.load_line = lines[-1] if lines else None
        self.lumped = core.lumped()
        self.te11_mhz = min(l["te11_mhz"] for l in lines) if lines else None
        self.peak_power_w = min(l["peak_power_w"] for l in lines) if lines else None

    def __repr__(self):
        kind = "coaxial filter" if self.coaxial else "ladder"
        return f"<mandrelix.Design {self.title!r}: {self._core.section_count}-section {kind}>"

    def analyse(self, frequency_mhz=None):
        """The response at frequency_mhz (a sequence or numpy array, MHz),
        computed as the program's analysis computes its rows; without it, at
        the frequencies of the design's [analysis] table. Returns an Analysis."""
        if frequency_mhz is None:
            frequency_mhz = self._core.sweep_frequencies()
        f = np.asarray(frequency_mhz, dtype=np.float32)
        return Analysis(self._core.analyse(f))

    def write_circuit(self, path):
        """Writes the circuit data file of the design (as --save-circuit)."""
        self._core.write("save_circuit", os.fspath(path), [])

    def drawing(self, path, length_tol_in=None, diameter_tol_in=None):
        """Writes the dimensioned drawing of a coaxial design (as --drawing):
        SVG or DXF by the extension of path."""
        self._core.write("drawing", os.fspath(path),
                         _options(length_tol=length_tol_in, diameter_tol=diameter_tol_in))

    def em_model(self, path):
        """Writes the openEMS full-wave model of a coaxial design (as --em-model)."""
        self._core.write("em_model", os.fspath(path), [])

    def tolerance_study(self, trials=None, random_state=None, length_tol_in=None,
                        diameter_tol_in=None, component_tol_pct=None, distribution=None,
                        pass_mhz=None, pass_db=None, stop_mhz=None, stop_db=None,
                        threads=None, analysis=False):
        """The tolerance and yield study of --tolerance, with the same settings
        (None: the program's default). A coaxial synthesis is studied as the
        synthesis is (301 points to 3 x FC1) unless analysis is True; a ladder
        and a circuit file over the design's [analysis] sweep. Returns the
        figures of the JSON report as a dict, with the note the program
        prints when the study has no mask under "note"."""
        args = _options(trials=trials, random_state=random_state, length_tol=length_tol_in,
                        diameter_tol=diameter_tol_in, component_tol=component_tol_pct,
                        distribution=distribution, pass_mhz=pass_mhz, pass_db=pass_db,
                        stop_mhz=stop_mhz, stop_db=stop_db, threads=threads)
        # The study options need --tolerance to be accepted; the module names the file.
        text, notes = self._core.tolerance_study(["--tolerance", "study.json"] + args, analysis)
        figures = json.loads(text)
        notes = [n.split(": ", 2)[-1] for n in notes.splitlines() if "tolerance study" in n and "wrote" not in n]
        if notes:
            figures["note"] = notes[0]
        return figures


def design(spec, workdir=None):
    """The design of spec, synthesized: spec is the path of a design file
    (TOML, as for mandrelix --spec) or a dict of its tables, e.g.

        mandrelix.design({"response": {"type": "chebyshev", "ripple_db": 0.1,
                                       "sections": 7, "cutoff_mhz": 1000}})

    workdir is the folder of Mandrelix.DEF and circuit data files (default:
    the current folder). Raises ValueError with the program's message for a
    design that cannot be used or built."""
    folder = os.fspath(workdir) if workdir is not None else os.getcwd()
    if isinstance(spec, dict):
        core = _core.Design(_toml_text(spec), "<dict>", False, folder)
    else:
        path = os.fspath(spec)
        try:
            with open(path, "rb") as f:
                text = f.read()
        except OSError as e:
            raise ValueError(f"{path}: cannot read the design file") from e
        core = _core.Design(text, path, True, folder)
    return Design(core)
