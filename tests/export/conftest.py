"""pytest settings of the export tests written in Python."""
import sys

sys.dont_write_bytecode = True  # the modules under test live in the source tree


def pytest_configure(config):
    config.addinivalue_line("markers", "openems: runs the openEMS field solver")
