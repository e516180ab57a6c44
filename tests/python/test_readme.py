"""The README's copy-paste examples, run as they stand."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

import pytest

from conftest import EXAMPLE

SOURCE_DIR = pathlib.Path(os.environ["NOC_SOURCE_DIR"])
# The pages whose examples run, in the order they run: a later block may use what an earlier one
# wrote (the Python block generates the example that the lint block reads).
PAGES = ["README.md", "docs/nocgen.md", "docs/python.md", "docs/verify.md", "docs/traffic.md"]
BLOCK = re.compile(r"<!-- readme-test -->\n```(sh|python)\n(.*?)```", re.S)


def page_blocks():
    return [(page, kind, text) for page in PAGES
            for kind, text in BLOCK.findall((SOURCE_DIR / page).read_text())]


def test_every_page_with_examples_is_run():
    pages = sorted(str(p.relative_to(SOURCE_DIR)) for p in (SOURCE_DIR / "docs").glob("*.md")
                   if "<!-- readme-test -->" in p.read_text())
    assert pages == sorted(PAGES[1:])


def test_readme_examples_run(tmp_path, tools):
    blocks = page_blocks()
    assert [(page, kind) for page, kind, _ in blocks] == [
        ("README.md", "sh"), ("docs/nocgen.md", "sh"), ("docs/python.md", "python"),
        ("docs/verify.md", "sh"), ("docs/traffic.md", "sh")]
    if shutil.which("verilator") is None:
        pytest.skip("verilator is not installed")
    for example in [EXAMPLE, SOURCE_DIR / "examples" / "routing_3x3"]:
        shutil.copytree(example, tmp_path / "examples" / example.name,
                        ignore=shutil.ignore_patterns("noc_soc.sv", ".nocgen-*"))
    env = dict(os.environ)
    env["PATH"] = os.path.dirname(tools["nocgen"]) + os.pathsep + env["PATH"]
    env["PYTHONPATH"] = os.path.abspath(os.environ["NOC_SOC_MODULE_DIR"])
    scratch = tmp_path / "scratch"
    scratch.mkdir()
    env["TMPDIR"] = str(scratch)  # where the first block's mktemp -d makes its folder
    for page, kind, text in blocks:
        command = ["bash", "-euo", "pipefail", "-c", text] if kind == "sh" else [sys.executable,
                                                                                  "-c", text]
        done = subprocess.run(command, cwd=tmp_path, env=env, capture_output=True, text=True)
        assert done.returncode == 0, f"{page}:\n{text}\n{done.stdout}\n{done.stderr}"
        if kind == "python":
            assert "'in_flit', 3)" in done.stdout and 'no source named "missing.sv"' in done.stdout
            assert "4 4 True []" in done.stdout and "True 4 32 tb_noc_top.sv []" in done.stdout
    assert (scratch / "load.csv").is_file() and (scratch / "load.svg").is_file()
    demos = [folder for folder in scratch.iterdir() if folder.name.startswith("tmp")]
    assert len(demos) == 2  # the README's first design and the command page's tour
    assert all((demo / "my_noc" / "noc_soc.sv").is_file() for demo in demos)
    [demo] = [demo for demo in demos if (demo / "build_top.sv").exists()]
    assert (demo / "my_noc" / "mesh.svg").is_file()
    assert (demo / "build_top.sv").is_file() and (demo / "noc_soc.schema.json").is_file()
    # Nothing is left where the blocks ran but the bundled example's own output.
    assert sorted(p.name for p in tmp_path.iterdir()) == ["examples", "scratch"]
