"""tools/em_compare's mesh convergence: Richardson extrapolation from three meshes.

    /usr/bin/python3 -m pytest em_compare_test.py
"""

import os
import runpy
import sys

import pytest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
COMPARE = runpy.run_path(os.path.join(HERE, "..", "..", "tools", "em_compare"),
                         run_name="em_compare")
extrapolated = COMPARE["extrapolated"]


# Each row: the figure at the coarse, fine and finest meshes; the extrapolated value, its
# uncertainty and the order, worked by hand: order log(d1/d2)/log 2, value finest + d2/(2^p - 1),
# uncertainty 1.25 |d2| / (2^p - 1).
@pytest.mark.parametrize("values, value, error, order", [
    ((1000.0, 1004.0, 1005.0), 1005.0 + 1.0 / 3.0, 1.25 / 3.0, 2.0),  # second order
    ((1000.0, 1002.0, 1003.0), 1004.0, 1.25, 1.0),                      # first order
    # The worked example's -3 dB frequencies (coarse, fine, finest) before this change.
    ((1079.23, 1082.43, 1083.47), 1083.97074, 0.62593, 1.62149),
])
def test_richardson_from_three_meshes(values, value, error, order):
    v, e, p, _ = extrapolated(values)
    assert v == pytest.approx(value, abs=1e-4)
    assert e == pytest.approx(error, abs=1e-4)
    assert p == pytest.approx(order, abs=1e-4)


@pytest.mark.parametrize("values", [
    (1000.0, 1010.0, 1005.0),  # overshoots: the changes alternate
    (1000.0, 1001.0, 1003.0),  # the changes grow
    (1000.0, 1000.0, 1001.0),  # no change, then one
])
def test_meshes_that_do_not_converge_steadily_give_the_finest_and_the_last_change(values):
    v, e, p, _ = extrapolated(values)
    assert (v, e, p) == (values[2], abs(values[2] - values[1]), None)


def test_settled_when_the_finest_is_within_five_hundredths_of_a_percent_of_the_fine():
    assert extrapolated((1000.0, 1003.0, 1003.4))[3]
    assert not extrapolated((1000.0, 1003.0, 1003.6))[3]
