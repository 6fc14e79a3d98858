"""Builds the compiled module zervola._core through the project's CMake.

pyproject.toml holds the package's metadata; this file only tells setuptools
how to build the extension: configure the project with ZERVOLA_BUILD_PYTHON,
build the module's target, and install the CMake component "python" (the
module, the libraries it loads, the section catalogue and the 3D view's
files) into the package.

Environment:
    ZERVOLA_BUILD_DIR   an existing CMake build tree of the project to build
                        in (tools/run-tests.sh passes its Release tree, whose
                        libraries are then not compiled twice); default: a
                        fresh Release tree under setuptools' build_temp.
    ZERVOLA_BUILD_JOBS  parallel build jobs (default: the processors).
"""

import os
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = os.path.dirname(os.path.abspath(__file__))
MODULE_TARGET = "zervola_python_core"


class CMakeExtension(Extension):
    def __init__(self, name):
        super().__init__(name, sources=[])


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        package_dir = os.path.dirname(os.path.abspath(self.get_ext_fullpath(ext.name)))
        given = os.environ.get("ZERVOLA_BUILD_DIR")
        build_dir = os.path.abspath(given or os.path.join(self.build_temp, "cmake"))
        # The interpreter behind a virtual environment: the module is the
        # same for both, and a build tree kept longer than the environment
        # still finds it.
        python = os.path.realpath(sys.executable)
        configure = ["cmake", "-S", ROOT, "-B", build_dir, "-DZERVOLA_BUILD_PYTHON=ON",
                     f"-DPython3_EXECUTABLE={python}"]
        if not given:
            # Only the module and the libraries under it: no tests, examples
            # or benchmarks in a package build.
            configure += ["-DCMAKE_BUILD_TYPE=Release", "-DZERVOLA_BUILD_TESTS=OFF",
                          "-DZERVOLA_BUILD_EXAMPLES=OFF", "-DZERVOLA_BUILD_BENCH=OFF"]
        jobs = os.environ.get("ZERVOLA_BUILD_JOBS", str(os.cpu_count() or 1))
        subprocess.run(configure, check=True)
        subprocess.run(["cmake", "--build", build_dir, "--target", MODULE_TARGET, "-j", jobs],
                       check=True)
        subprocess.run(["cmake", "--install", build_dir, "--component", "python",
                        "--prefix", package_dir], check=True)


setup(ext_modules=[CMakeExtension("zervola._core")], cmdclass={"build_ext": CMakeBuild})
