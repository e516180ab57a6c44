"""Shared fixtures: the built module, the tools and a fresh copy of the bundled example."""
import os
import pathlib
import shutil
import sys

import pytest

sys.path.insert(0, os.environ["NOC_SOC_MODULE_DIR"])

EXAMPLE = pathlib.Path(os.environ["NOC_EXAMPLE_DIR"])


@pytest.fixture
def example(tmp_path):
    """A copy of the bundled 2x2 example without its generated output."""
    work = tmp_path / "design"
    shutil.copytree(EXAMPLE, work, ignore=shutil.ignore_patterns("noc_soc.sv", ".nocgen-*"))
    return work


@pytest.fixture
def tools():
    return {"nocgen": os.environ["NOCGEN"], "noc_soc_run": os.environ["NOC_SOC_RUN"]}


# The tests that run Verilator say why they did not run where it is not installed.
needs_verilator = pytest.mark.skipif(shutil.which("verilator") is None,
                                     reason="Verilator is not installed (apt-get install verilator)")
