"""The second campaign of a hostile environment: file lists and the files they name as inputs
that no output may replace, Python paths that would be cut at a NUL, and warnings that a Python
filter makes errors. Whatever happens, the user's files keep their bytes."""
import ast
import os
import pathlib
import re
import shutil
import sys
import tempfile
import time
import subprocess
import warnings

import pytest

from conftest import needs_verilator  # noqa: F401  (the shared fixtures come with it)


def nocgen(tools, *args, cwd=None):
    return subprocess.run([tools["nocgen"], *map(str, args)], capture_output=True, text=True,
                          timeout=120, cwd=cwd)


@pytest.fixture
def listed(example):
    """The example with a list naming a package and a nested list."""
    (example / "defines.f").write_text("+define+NOC_TRACE\n")
    (example / "sim.f").write_text("-F defines.f\noptimsoc_config.sv\n")
    return example


# (what writes, its flags, the file it would replace)
OVER_AN_INPUT = {
    "top_over_the_list": (["generate", ".", "-F", "sim.f", "-o", "sim.f"], "sim.f"),
    "top_over_a_nested_list": (["generate", ".", "-F", "sim.f", "-o", "defines.f"], "defines.f"),
    "top_over_a_listed_package": (["generate", ".", "-F", "sim.f", "-o", "optimsoc_config.sv"],
                                  "optimsoc_config.sv"),
    "depfile_over_the_list": (["generate", ".", "-F", "sim.f", "--depfile", "sim.f"], "sim.f"),
    "graph_over_the_list": (["dot", ".", "-F", "sim.f", "-o", "sim.f"], "sim.f"),
    "graph_over_a_listed_package": (["dot", ".", "-F", "sim.f", "-o", "optimsoc_config.sv"],
                                    "optimsoc_config.sv"),
}


@pytest.mark.parametrize("case", OVER_AN_INPUT)
def test_an_output_never_replaces_a_list_or_what_it_names(case, listed, tools):
    args, victim = OVER_AN_INPUT[case]
    before = (listed / victim).read_bytes()
    done = nocgen(tools, *args, cwd=listed)
    assert done.returncode == 1, done.stdout + done.stderr
    assert "which this run reads" in done.stderr
    assert (listed / victim).read_bytes() == before


def test_the_top_a_design_wide_list_names_is_still_written(listed, tools):
    """A list for the whole design names the top too: it is the output, not a source of the
    user's, whether it exists yet or not."""
    (listed / "all.f").write_text("-F sim.f\nnoc_soc.sv\n")
    for _ in range(2):
        done = nocgen(tools, "generate", ".", "-F", "all.f", "-q", cwd=listed)
        assert done.returncode == 0, done.stderr
    assert done.returncode == 0, done.stderr
    assert "module noc_top" in (listed / "noc_soc.sv").read_text()


def test_the_depfile_names_every_list(listed, tools):
    done = nocgen(tools, "generate", ".", "-F", "sim.f", "-o", "top.sv", "--depfile", "top.d",
                  "-q", cwd=listed)
    assert done.returncode == 0, done.stderr
    named = (listed / "top.d").read_text()
    for name in ("sim.f", "defines.f", "optimsoc_config.sv"):
        assert str(listed / name) in named, named
    assert str(listed / "noc_soc.sv") not in named  # the top is an output, not a prerequisite


def test_a_path_with_a_nul_is_refused_naming_the_argument(example, tmp_path, monkeypatch):
    import noc_soc
    monkeypatch.chdir(tmp_path)
    notes = tmp_path / "notes.txt"
    notes.write_text("mine\n")
    calls = {
        "output": lambda: noc_soc.generate(example, output="notes.txt\0.sv"),
        "base_dir": lambda: noc_soc.soc_generator_noc(f"{example}\0x", "noc_soc.json"),
        "in_json_file": lambda: noc_soc.soc_generator_noc(example, "noc_soc.json\0"),
        "include_dirs": lambda: noc_soc.check(example, include_dirs=["a\0b"]),
        "file_lists": lambda: noc_soc.check(example, file_lists=[b"notes.txt\0"]),
        "keep": lambda: noc_soc.verify(example, keep="notes.txt\0"),
        "top": lambda: noc_soc.verify(example, top="notes.txt\0.sv"),
    }
    for argument, call in calls.items():
        with pytest.raises(ValueError, match=f"^{argument}: embedded null byte$"):
            call()
    assert notes.read_text() == "mine\n"


@pytest.mark.parametrize("value", [{"notes.txt": 1}, {"notes.txt"}, 3])
def test_only_a_path_or_a_list_of_paths_is_a_path(value, example):
    import noc_soc
    with pytest.raises(TypeError, match="^output: "):
        noc_soc.generate(example, output=value)


def test_a_warning_the_filter_makes_an_error_is_raised_before_anything_is_written(example):
    import noc_soc
    (example / "backup").mkdir()
    (example / "backup" / "noc_soc.json").write_text((example / "noc_soc.json").read_text())
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(noc_soc.GeneratorWarning, match="NOC121"):
            noc_soc.soc_generator_noc(example, "noc_soc.json")
    assert not (example / "noc_soc.sv").exists()
    with warnings.catch_warnings(record=True) as issued:
        warnings.simplefilter("always")
        noc_soc.soc_generator_noc(example, "noc_soc.json")
    assert [w.category for w in issued] == [noc_soc.GeneratorWarning]
    assert (example / "noc_soc.sv").exists()


# Folder names for the design: each character is in every path the depfile names.
READ_BACK = {"space": " ", "hash": "#", "dollar": "$", "colon": ":", "backslash": "\\",
             "percent": "%", "parentheses": "()", "braces": "{}", "tilde": "~", "bang": "!",
             "at": "@", "plus": "+", "comma": ",", "utf8": "é"}
REFUSED = {"equals": ("=", "GNU make"), "semicolon": (";", "GNU make"), "pipe": ("|", "GNU make"),
           "star": ("*", "wildcard"), "question": ("?", "wildcard"), "bracket": ("[", "wildcard"),
           "ampersand": ("&", "ninja"), "quote": ("'", "ninja"), "less": ("<", "ninja"),
           "tab": ("\t", "control character"), "newline": ("\n", "control character")}


def design_in(folder, example):
    folder.mkdir()
    for source in example.iterdir():
        (folder / source.name).write_bytes(source.read_bytes())
    return folder


def make_reads_back(folder, top, depfile):
    """GNU make, given the depfile, rebuilds the top exactly when an input is newer."""
    (folder.parent / "Makefile").write_text(f"include {depfile.name}\nall: top.sv\n"
                                            "top.sv:\n\t@echo rebuilt\n")
    quiet = subprocess.run(["make", "-q"], cwd=folder.parent, capture_output=True, text=True)
    os.utime(folder / "noc_router.sv", None)
    os.utime(top, (0, 0))
    stale = subprocess.run(["make", "-q"], cwd=folder.parent, capture_output=True, text=True)
    return quiet.returncode, stale.returncode


def ninja_reads_back(folder, depfile):
    """The inputs ninja records from the depfile, as `ninja -t deps` lists them."""
    (folder.parent / "dep.src").write_bytes(depfile.read_bytes())
    (folder.parent / "build.ninja").write_text(
        "rule gen\n  command = cp dep.src top.d\n  depfile = top.d\n  deps = gcc\n"
        "build top.sv: gen\n")
    subprocess.run(["ninja"], cwd=folder.parent, capture_output=True, check=True)
    listed = subprocess.run(["ninja", "-t", "deps"], cwd=folder.parent, capture_output=True,
                            text=True, check=True).stdout
    return [line.strip() for line in listed.splitlines()[1:] if line.strip()]


@pytest.mark.skipif(not shutil.which("make") or not shutil.which("ninja"),
                    reason="GNU make and ninja read the depfile back")
@pytest.mark.parametrize("name", READ_BACK)
def test_make_and_ninja_read_the_depfile_back_exactly(name, example, tools, tmp_path):
    work = tmp_path / "w"
    work.mkdir()
    folder = design_in(work / f"d{READ_BACK[name]}x", example)
    done = nocgen(tools, "generate", folder, "-o", work / "top.sv", "--depfile", work / "top.d",
                  "--description", "noc_soc.json", "-q")
    assert done.returncode == 0, done.stderr
    # make: the depfile's target is the absolute output; the Makefile's rule is for top.sv.
    text = (work / "top.d").read_text()
    (work / "top.d").write_text("top.sv:" + text.split(": \\\n", 1)[1])
    assert make_reads_back(folder, work / "top.sv", work / "top.d") == (0, 1)
    (work / "top.d").write_text(text.replace(text.split(": \\\n", 1)[0], "top.sv", 1))
    inputs = sorted(str(p) for p in folder.iterdir() if p.suffix in (".sv", ".vh", ".json")
                    and p.name not in ("tb_noc_top.sv", "dii_package.sv", "optimsoc_config.sv",
                                       "optimsoc_functions.sv"))
    assert sorted(ninja_reads_back(folder, work / "top.d")) == inputs


@pytest.mark.parametrize("name", REFUSED)
def test_a_path_neither_reader_takes_back_is_refused_before_anything_is_written(
        name, example, tools, tmp_path):
    character, reader = REFUSED[name]
    folder = design_in(tmp_path / f"d{character}x", example)
    done = nocgen(tools, "generate", folder, "--depfile", tmp_path / "top.d")
    assert done.returncode == 1
    assert "the depfile cannot name" in done.stderr and reader in done.stderr, done.stderr
    assert not (folder / "noc_soc.sv").exists() and not (tmp_path / "top.d").exists()
    assert nocgen(tools, "generate", folder, "-q").returncode == 0  # without a depfile it is fine


GERMAN_HOST = r"""
import locale, os, re, sys
sys.path.insert(0, os.environ["NOC_SOC_MODULE_DIR"])
locale.setlocale(locale.LC_ALL, "de_DE.UTF-8")
assert locale.localeconv()["decimal_point"] == ","
import noc_soc
design = sys.argv[1]
noc_soc.dot(design, os.path.join(design, "net.dot"))
print(sorted(set(re.findall(r'pos="([^"]*)"', open(os.path.join(design, "net.dot")).read()))))
noc_soc.soc_generator_noc(design, "noc_soc.json")
print("generated")
"""


@pytest.mark.skipif(not shutil.which("localedef"), reason="localedef makes the German locale")
def test_numbers_are_read_and_written_in_the_c_locale_whatever_the_host_set(example, tmp_path):
    locales = tmp_path / "locales"
    locales.mkdir()
    made = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", locales / "de_DE.UTF-8"],
                          capture_output=True, text=True)
    if made.returncode not in (0, 1) or not (locales / "de_DE.UTF-8").exists():
        pytest.skip("the de_DE locale sources are not installed: " + made.stderr)
    # A member no rule reads, holding a number beyond a double: read, not refused.
    text = (example / "noc_soc.json").read_text()
    (example / "noc_soc.json").write_text(text.replace('"is_Router": true,',
                                                       '"is_Router": true, "weight": 1.5e400,', 1))
    done = subprocess.run([sys.executable, "-c", GERMAN_HOST, example], capture_output=True,
                          text=True, env=dict(os.environ, LOCPATH=str(locales)))
    assert done.returncode == 0, done.stderr
    positions, generated = done.stdout.splitlines()
    for pos in ast.literal_eval(positions):  # ['0.0,1.4!', ...]: a point in each number, one comma between
        x, y = pos.rstrip("!").split(",")
        assert re.fullmatch(r"-?\d+\.\d", x) and re.fullmatch(r"-?\d+\.\d", y), pos
    assert generated == "generated"


@pytest.mark.parametrize("args,words", [
    (["mesh", "4611686018427387905x4"], "is not WxH"),
    (["torus", "1048577x1"], "is not WxH"),
    (["mesh", "3x3", "--router", "a\udcffb.sv"], '--router "a\\xFFb.sv" is no source name'),
    (["mesh", "3x3", "--tile", "tile\t.sv"], "--tile"),
])
def test_topology_refuses_what_it_cannot_write(args, words, tools, tmp_path):
    done = subprocess.run([tools["nocgen"], "topology", *args, "-o", tmp_path / "d.json"],
                          capture_output=True, text=True, errors="surrogateescape")
    assert done.returncode in (1, 2) and words in done.stderr, done.stderr
    assert not (tmp_path / "d.json").exists()


def test_sigkill_on_dot_ends_graphviz(example, tools, tmp_path):
    folder = tmp_path / "bin"
    folder.mkdir()
    (folder / "dot").write_text('#!/bin/sh\necho $$ > "$FAKE_PID"\nsleep 60 & echo $! >> '
                                '"$FAKE_PID"\nwait\n')
    (folder / "dot").chmod(0o755)
    pid_file = tmp_path / "pid"
    env = dict(os.environ, PATH=f"{folder}:{os.environ['PATH']}", FAKE_PID=str(pid_file))
    process = subprocess.Popen([tools["nocgen"], "dot", example, "-o", tmp_path / "net.svg"],
                               env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 30
    while not pid_file.exists() or len(pid_file.read_text().split()) < 2:
        assert time.monotonic() < deadline and process.poll() is None
        time.sleep(0.01)
    process.kill()
    process.wait(timeout=30)
    pids = list(map(int, pid_file.read_text().split()))
    deadline = time.monotonic() + 5
    while any(os.path.exists(f"/proc/{pid}") and ") Z " not in open(f"/proc/{pid}/stat").read()
              for pid in pids):
        assert time.monotonic() < deadline, "Graphviz outlived nocgen"
        time.sleep(0.02)
    assert not (tmp_path / "net.svg").exists()


@pytest.mark.parametrize("args", [["--help"], ["--version"], ["generate", "--help"]])
def test_an_answer_that_cannot_be_written_fails(args, tools):
    with open("/dev/full", "w") as full:
        done = subprocess.run([tools["nocgen"], *args], stdout=full, stderr=subprocess.PIPE,
                              text=True)
    assert done.returncode == 1 and "cannot write to standard output" in done.stderr


def test_a_report_that_cannot_be_written_says_the_files_are_complete(example, tools):
    with open("/dev/full", "w") as full:
        done = subprocess.run([tools["nocgen"], "generate", example], stdout=full,
                              stderr=subprocess.PIPE, text=True)
    assert done.returncode == 1 and "what the command wrote to files is complete" in done.stderr
    assert "module noc_top" in (example / "noc_soc.sv").read_text()


@pytest.mark.parametrize("value", ["nan", "inf", "-1", "1e7", "1e400"])
def test_timeout_takes_finite_seconds_within_its_bound(value, example, tools):
    done = nocgen(tools, "verify", example, "--timeout", value)
    assert done.returncode == 2
    assert f"seconds from 0 (no limit) to 1000000, not {value}" in done.stderr


def test_rule_codes_are_read_in_any_case_on_every_command(example, tools):
    (example / "backup").mkdir()
    (example / "backup" / "noc_soc.json").write_text((example / "noc_soc.json").read_text())
    assert "[NOC121]" not in nocgen(tools, "check", example, "-Wno-noc121").stdout
    assert nocgen(tools, "check", example, "-Werror=Noc121").returncode == 1
    assert nocgen(tools, "explain", "noc121").returncode == 0


def test_a_dumb_terminal_gets_no_colour(example, tools):
    import pty
    (example / "noc_soc.json").write_text("{")
    for term, coloured in (("xterm", True), ("dumb", False)):
        leader, follower = pty.openpty()
        done = subprocess.run([tools["nocgen"], "check", example], stdout=follower,
                              stderr=follower, env=dict(os.environ, TERM=term, NO_COLOR=""))
        os.close(follower)
        shown = os.read(leader, 65536).decode(errors="replace")
        os.close(leader)
        assert done.returncode == 1
        assert ("\x1b[" in shown) == coloured, (term, shown)


def as_a_user(args):
    """Runs nocgen as an ordinary user: root lists every folder whatever its mode."""
    if os.geteuid() != 0:
        return args
    if not shutil.which("setpriv"):
        pytest.skip("running as root without setpriv to drop the privilege")
    return ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", *args]


@pytest.fixture
def hidden_router(example):
    """The design's router in a folder that can be searched but not listed, a mock elsewhere,
    in a folder an ordinary user reaches (pytest's own are root's alone)."""
    reachable = tempfile.mkdtemp(prefix="noc-hidden-")
    os.chmod(reachable, 0o755)
    example = pathlib.Path(shutil.copytree(example, os.path.join(reachable, "design")))
    os.chmod(example, 0o777)
    for folder in ("rtl/ip", "tb"):
        (example / folder).mkdir(parents=True)
    (example / "noc_router.sv").rename(example / "rtl/ip/noc_router.sv")
    (example / "tb/noc_router.sv").write_text(
        "module noc_router #(parameter INPUTS = 1, OUTPUTS = 1, DESTS = 1)\n"
        "  (input clk, input rst, input [31:0] mock_in, output [31:0] mock_out);\nendmodule\n")
    text = (example / "noc_soc.json").read_text()
    (example / "noc_soc.json").write_text(text.replace('"noc_router.sv"', '"rtl/ip/noc_router.sv"'))
    for path in example.rglob("*"):
        os.chmod(path, 0o777 if path.is_dir() else 0o666)
    os.chmod(example / "rtl/ip", 0o711)
    yield example
    os.chmod(example / "rtl/ip", 0o777)
    shutil.rmtree(reachable)


def test_a_source_named_by_path_in_an_unlisted_folder_is_read_by_its_path(hidden_router, tools):
    checked = subprocess.run(as_a_user([tools["nocgen"], "check", hidden_router, "--format",
                                        "short"]), capture_output=True, text=True)
    assert "[NOC127]" in checked.stdout and "rtl/ip" in checked.stdout, checked.stdout
    done = subprocess.run(as_a_user([tools["nocgen"], "generate", "-q", hidden_router]),
                          capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    top = (hidden_router / "noc_soc.sv").read_text()
    assert "mock_in" not in top and ".in_flit" in top


def test_a_source_not_found_names_the_folders_that_could_not_be_listed(hidden_router, tools):
    text = (hidden_router / "noc_soc.json").read_text()
    (hidden_router / "noc_soc.json").write_text(text.replace('"compute_tile.sv"', '"tile.sv"'))
    os.chmod(hidden_router / "rtl/ip", 0o777)
    (hidden_router / "rtl/ip/tile.sv").write_bytes((hidden_router / "compute_tile.sv").read_bytes())
    os.chmod(hidden_router / "rtl/ip", 0o711)
    done = subprocess.run(as_a_user([tools["nocgen"], "generate", hidden_router]),
                          capture_output=True, text=True)
    assert done.returncode == 1
    assert 'no source named "tile.sv"' in done.stderr and "could not be listed" in done.stderr
    assert str(hidden_router / "rtl/ip") in done.stderr


def test_a_control_character_in_a_name_or_path_keeps_each_message_on_one_line(example, tools,
                                                                               tmp_path):
    text = (example / "noc_soc.json").read_text()
    (example / "noc_soc.json").write_text(text.replace('"T_0"', '"T_0\\n\\u001b[31m"'))
    done = nocgen(tools, "check", example, "--format", "short")
    problems = [line for line in done.stdout.splitlines() if "[NOC" in line]
    assert problems and all(line.startswith(str(example)) for line in problems), done.stdout
    assert "\x1b" not in done.stdout and "T_0\\x0A\\x1B[31m" in done.stdout
    odd = tmp_path / "a\nb"
    shutil.copytree(example, odd)
    (odd / "noc_soc.json").write_text("{")
    done = nocgen(tools, "generate", odd)
    assert done.stderr.count("\n") == 1 and "a\\x0Ab" in done.stderr, done.stderr
