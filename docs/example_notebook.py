"""A notebook-style session: design the worked example, analyse it, plot it
with scikit-rf, and see how a tighter ripple changes the part.

    make python
    PYTHONPATH=build-python /usr/bin/python3 docs/example_notebook.py [OUT.svg]

Run it from a folder holding Mandrelix.DEF (or from the top of the tree: the
design below gives every value, so the defaults file is not needed).
"""
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt
import numpy as np

import mandrelix

# %% The design: the tables of a design file, as a dict.
spec = {
    "title": "7-section worked example",
    "response": {"type": "chebyshev", "ripple_db": 0.1, "sections": 7, "cutoff_mhz": 1000,
                 "configuration": "standard"},
    "terminations": {"impedance_ohm": 50, "source_reactance_ohm": 0, "load_reactance_ohm": 0},
    "coax": {
        "source": {"outer_in": 0.5, "inner_in": 0.2172, "er": 1},
        "high": {"outer_in": 0.5, "inner_in": 0.1, "er": 1},
        "low": {"inner_in": 0.45, "er": 1},
        "load": {"outer_in": 0.5, "inner_in": 0.2172, "er": 1},
    },
    "losses": {"resistivity_uohm_cm": 1.72, "roughness_uin": 32, "loss_tangent": 0.0002},
}
d = mandrelix.design(spec)
print(d)
print(f"lowest TE11 cutoff {d.te11_mhz:.0f} MHz, lowest peak power {d.peak_power_w:.0f} W")
for k, s in enumerate(d.sections, 1):
    print(f"  section {k}: {s['length_in']:.4f} in, D {s['inner_in']:.4f} in, Zo {s['zo_ohm']:.2f} ohm")

# %% The analysis, any frequencies, and a scikit-rf Network of it.
a = d.analyse(np.linspace(10, 3000, 600))
net = a.to_skrf(name="worked example")
print(net)

# A tighter ripple for comparison: the same design with one value changed.
tighter = dict(spec, response=dict(spec["response"], ripple_db=0.01))
net2 = mandrelix.design(tighter).analyse(a.frequency_mhz).to_skrf(name="0.01 dB ripple")

# %% Plots: |S21| and |S11| in dB, and the group delay.
fig, (ax1, ax2) = plt.subplots(2, 1, figsize=(8, 8), sharex=True)
for n in (net, net2):
    n.s21.plot_s_db(ax=ax1)
    n.s11.plot_s_db(ax=ax1, linestyle="--")
ax1.set_ylim(-80, 5)
ax1.set_title("Stepped-impedance coaxial low-pass filter")
ax2.plot(a.frequency_mhz, a.delay_ns)
ax2.set_xlabel("Frequency (MHz)")
ax2.set_ylabel("Group delay (ns)")
ax2.grid(True)
out = sys.argv[1] if len(sys.argv) > 1 else "example_notebook.svg"
fig.savefig(out)
print("wrote", out)

# %% The part's tolerance study and a drawing for the shop.
study = d.tolerance_study(trials=200, pass_mhz=1000, pass_db=0.2, stop_mhz=1500, stop_db=25)
print(f"yield {study['yield_pct']['value']:.1f} % of {study['trials']} trials")
d.drawing("example_drawing.svg")
