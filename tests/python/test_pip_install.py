"""pip install . works offline, in a virtual environment that sees Debian's build tools."""
import os
import shutil
import subprocess
import sys

import pytest

SOURCE = os.environ["NOC_SOURCE_DIR"]


def test_pip_installs_the_module_offline(tmp_path, example):
    if subprocess.run([sys.executable, "-m", "pip", "--version"], capture_output=True).returncode:
        pytest.skip("pip is not installed")
    tree = tmp_path / "source"
    tree.mkdir()
    for name in ["CMakeLists.txt", "setup.py", "pyproject.toml", "LICENSE"]:
        shutil.copy(os.path.join(SOURCE, name), tree / name)
    for name in ["src", "schema"]:
        shutil.copytree(os.path.join(SOURCE, name), tree / name)
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True)
    python = str(venv / "bin" / "python")
    install = subprocess.run([python, "-m", "pip", "install", "--no-build-isolation", "--no-index",
                              "--no-deps", "--quiet", str(tree)], capture_output=True, text=True)
    assert install.returncode == 0, install.stdout + install.stderr
    script = ("import noc_soc, sys; noc_soc.soc_generator_noc(sys.argv[1], 'noc_soc.json'); "
              "print(noc_soc.__version__, noc_soc.__file__)")
    done = subprocess.run([python, "-c", script, str(example)], capture_output=True, text=True,
                          cwd=tmp_path, env={k: v for k, v in os.environ.items()
                                             if k != "PYTHONPATH"})
    assert done.returncode == 0, done.stderr
    assert str(venv) in done.stdout
    assert "module noc_top" in (example / "noc_soc.sv").read_text()
