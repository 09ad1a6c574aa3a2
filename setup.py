"""pip install --no-build-isolation . : the Python module mandrelix, built by
CMake from the program's own sources with the machine's compilers and
packages (pybind11-dev, python3-dev); nothing is downloaded."""
import os
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = Path(__file__).resolve().parent


class CMakeBuild(build_ext):
    """Builds mandrelix._core with CMake (the mandrelix_python target) straight
    into the folder setuptools packs."""

    def build_extension(self, ext):
        package = Path(self.get_ext_fullpath(ext.name)).resolve().parent.parent
        build = Path(self.build_temp).resolve() / "cmake"
        subprocess.check_call([
            "cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
            "-DMANDRELIX_TESTS=OFF", "-DMANDRELIX_PYTHON=ON",
            f"-DMANDRELIX_PYTHON_DIR={package}", f"-DPython_EXECUTABLE={sys.executable}"])
        subprocess.check_call(["cmake", "--build", str(build), "--target", "mandrelix_python",
                               "-j", str(os.cpu_count() or 2)])


setup(
    name="mandrelix",
    version="1.1",
    description="Low-pass filter synthesis and analysis (lumped ladders, stepped coaxial filters)",
    packages=["mandrelix"],
    package_dir={"": "python"},
    ext_modules=[Extension("mandrelix._core", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    options={"build": {"build_base": "build-pip"}},
    python_requires=">=3.9",
    install_requires=["numpy"],
)
