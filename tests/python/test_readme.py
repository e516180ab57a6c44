"""The README's copy-paste examples, run as they stand."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

import pytest

from conftest import EXAMPLE

README = pathlib.Path(os.environ["NOC_SOURCE_DIR"]) / "README.md"
BLOCK = re.compile(r"<!-- readme-test -->\n```(sh|python)\n(.*?)```", re.S)


def test_readme_examples_run(tmp_path, tools):
    blocks = BLOCK.findall(README.read_text())
    assert [kind for kind, _ in blocks] == ["sh", "python", "sh"]
    if shutil.which("verilator") is None:
        pytest.skip("verilator is not installed")
    shutil.copytree(EXAMPLE, tmp_path / "examples" / "mesh_2x2",
                    ignore=shutil.ignore_patterns("noc_soc.sv", ".nocgen-*"))
    env = dict(os.environ)
    env["PATH"] = os.path.dirname(tools["nocgen"]) + os.pathsep + env["PATH"]
    env["PYTHONPATH"] = os.path.abspath(os.environ["NOC_SOC_MODULE_DIR"])
    scratch = tmp_path / "scratch"
    scratch.mkdir()
    env["TMPDIR"] = str(scratch)  # where the first block's mktemp -d makes its folder
    for kind, text in blocks:
        command = ["bash", "-euo", "pipefail", "-c", text] if kind == "sh" else [sys.executable,
                                                                                  "-c", text]
        done = subprocess.run(command, cwd=tmp_path, env=env, capture_output=True, text=True)
        assert done.returncode == 0, f"{text}\n{done.stdout}\n{done.stderr}"
        if kind == "python":
            assert "'in_flit', 3)" in done.stdout and 'no source named "missing.sv"' in done.stdout
            assert "4 4 True []" in done.stdout and "True 4 32 tb_noc_top.sv []" in done.stdout
    [demo] = [folder for folder in scratch.iterdir() if folder.name.startswith("tmp")]
    assert (demo / "my_noc" / "noc_soc.sv").is_file()
    assert (demo / "my_noc" / "mesh.svg").is_file()
    assert (demo / "build_top.sv").is_file() and (demo / "noc_soc.schema.json").is_file()
    # Nothing is left where the blocks ran but the bundled example's own output.
    assert sorted(p.name for p in tmp_path.iterdir()) == ["examples", "scratch"]
