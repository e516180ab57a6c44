"""The Python module as a scripting host uses it."""
import contextlib
import errno
import io
import os
import pathlib
import re
import subprocess
import signal
import sys
import threading
import warnings

import pytest

import noc_soc


def test_positional_and_keyword_calls_write_the_same_file(example):
    assert noc_soc.soc_generator_noc(str(example), "noc_soc.json") is None
    first = (example / "noc_soc.sv").read_bytes()
    noc_soc.soc_generator_noc(in_json_file="noc_soc.json", base_dir=str(example))
    assert (example / "noc_soc.sv").read_bytes() == first
    assert b"module noc_top" in first


def test_output_matches_the_cpp_entry(example, tools, tmp_path):
    noc_soc.soc_generator_noc(str(example), "noc_soc.json")
    from_python = (example / "noc_soc.sv").read_bytes()
    subprocess.run([tools["noc_soc_run"], str(example)], check=True)
    assert (example / "noc_soc.sv").read_bytes() == from_python


@pytest.mark.parametrize("args, kwargs", [
    ((), {}),
    (("a",), {}),
    (("a", "b", "c"), {}),
    (("a",), {"base_dir": "b"}),
    ((), {"base_dir": "a", "json": "b"}),
    ((1, 2), {}),
])
def test_refused_signatures_raise_type_error_before_any_work(example, args, kwargs, monkeypatch):
    monkeypatch.chdir(example)
    with pytest.raises(TypeError):
        noc_soc.soc_generator_noc(*args, **kwargs)
    assert not (example / "noc_soc.sv").exists()


def test_input_errors_are_generator_errors_with_the_clear_message(example):
    (example / "noc_soc.json").write_text(
        '{"R_3": {"is_Router": true, "neighbors": ["T_9"], "top_module_fname": "x"}}')
    with pytest.raises(noc_soc.GeneratorError) as caught:
        noc_soc.soc_generator_noc(str(example), "noc_soc.json")
    assert isinstance(caught.value, RuntimeError)
    assert 'node "R_3": neighbour "T_9" is not a node of the description' in str(caught.value)
    assert "noc_soc.json:1:43" in str(caught.value)  # the caret stands at "T_9" in the list


def test_file_system_errors_are_os_errors_with_errno_and_path(example):
    # A dangling link named like the description is found by the walk and then cannot be opened.
    (example / "noc_soc.json").unlink()
    (example / "noc_soc.json").symlink_to(example / "gone.json")
    with pytest.raises(OSError) as caught:
        noc_soc.soc_generator_noc(str(example), "noc_soc.json")
    assert caught.value.errno == errno.ENOENT
    assert caught.value.filename == str(example / "noc_soc.json")


def test_parse_failure_line_goes_to_sys_stdout(example):
    (example / "noc_soc.json").write_text('{"R_0": ')
    captured = io.StringIO()
    with contextlib.redirect_stdout(captured), pytest.raises(noc_soc.GeneratorError):
        noc_soc.soc_generator_noc(str(example), "noc_soc.json")
    lines = captured.getvalue().splitlines()
    assert len(lines) == 1 and lines[0]
    assert not (example / "noc_soc.sv").exists()


def test_overlapping_calls_from_threads_all_succeed(example):
    failures = []

    def run():
        try:
            noc_soc.soc_generator_noc(str(example), "noc_soc.json")
        except Exception as error:  # noqa: BLE001 - collected for the assertion
            failures.append(error)

    threads = [threading.Thread(target=run) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert failures == []
    assert (example / "noc_soc.sv").read_text().rstrip().endswith("endmodule")


def test_extract_rtl_shows_what_the_generator_reads(example):
    x = noc_soc.ExtractRtl(str(example), "noc_router.sv")
    assert x.inputs == [] and x.module_names == []  # nothing before the operations run
    x.extract_headers()
    x.extract_io()
    x.extract_param()
    x.extract_module()
    assert x.module_names[0] == "noc_router"
    names = [port[port[-1]] for port in x.inputs]
    assert names[:2] == ["clk", "rst"]
    flit = next(p for p in x.inputs if p[p[-1]] == "in_flit")
    assert flit[0] == "[INPUTS-1:0]" and flit[2] == " " and flit[-1] == 3
    assert any(name == "INPUTS" for name, _ in x.params)


def test_extract_rtl_errors_name_the_file(example):
    with pytest.raises(noc_soc.GeneratorError, match="no source named \"missing.sv\""):
        noc_soc.ExtractRtl(str(example), "missing.sv")


def test_paths_may_be_path_objects(example):
    noc_soc.soc_generator_noc(example, pathlib.Path("noc_soc.json"))
    assert (example / "noc_soc.sv").is_file()
    router = noc_soc.ExtractRtl(example, pathlib.Path("noc_router.sv"))
    router.extract_module()
    assert router.module_names == ["noc_router"]


def test_version_and_error_attributes(example):
    assert re.fullmatch(r"\d+\.\d+\.\d+", noc_soc.__version__)
    (example / "noc_soc.json").write_text(
        '{\n"R_3": {"is_Router": true, "neighbors": ["T_9"], "top_module_fname": "x"}}')
    with pytest.raises(noc_soc.GeneratorError) as caught:
        noc_soc.soc_generator_noc(example, "noc_soc.json")
    error = caught.value
    assert (error.file, error.line, error.column, error.code) == (
        str(example / "noc_soc.json"), 2, 42, "NOC009")  # at "T_9" in the list
    (example / "noc_soc.json").write_text("{}")
    with pytest.raises(noc_soc.GeneratorError) as whole:
        noc_soc.soc_generator_noc(example, "noc_soc.json")
    assert whole.value.code == "NOC013" and whole.value.line == 1


def test_check_returns_the_diagnostics(example):
    (example / "noc_soc.json").write_text(
        '{\n"R_0": {"is_Router": true, "neighbors": ["R_1", "T_0", "GHOST"], '
        '"top_module_fname": "noc_router.sv"},\n'
        '"R_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},\n'
        '"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},\n'
        '"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},\n'
        '"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"}}')
    found = noc_soc.check(example)
    assert [(d.severity, d.code, d.node, d.line) for d in found] == [
        ("error", "NOC009", "R_0", 2), ("warning", "NOC111", "T_2", 6)]
    assert str(found[0]).endswith("[NOC009]") and found[0].column == 56  # at "GHOST"


def test_topology_is_a_dict_in_file_order():
    mesh = noc_soc.topology("mesh", 2, 2, tiles_per_router=2)
    assert list(mesh)[:4] == ["R_0", "R_1", "R_2", "R_3"]
    assert mesh["R_0"]["neighbors"] == ["R_2", "R_1", "T_0", "T_1"]
    with pytest.raises(noc_soc.GeneratorError):
        noc_soc.topology("hexagon", 2, 2)


@pytest.mark.parametrize("second_tree, name, message", [
    # a typo: no such description in the second tree
    ("other", "rnig.json", 'no description named "rnig.json"'),
    ("no_such_dir", "ring.json", "the base directory does not exist"),
])
def test_a_call_never_reads_an_earlier_calls_description(example, tmp_path, second_tree, name,
                                                         message):
    (example / "noc_soc.json").rename(example / "ring.json")
    noc_soc.soc_generator_noc(str(example), "ring.json")
    other = tmp_path / second_tree
    if second_tree == "other":
        other.mkdir()
    with pytest.raises(noc_soc.GeneratorError, match=message) as caught:
        noc_soc.soc_generator_noc(str(other), name)
    assert str(other) in str(caught.value)
    assert not (other / "noc_soc.sv").exists()


def test_every_public_name_says_what_it_is():
    for name in [n for n in dir(noc_soc) if not n.startswith("_")]:
        thing = getattr(noc_soc, name)
        assert (thing.__doc__ or "").strip(), name
        for member in [m for m in dir(thing) if not m.startswith("_")] if isinstance(thing, type) else []:
            if member in ("args", "with_traceback", "add_note"):
                continue  # an exception's own, from Python
            assert (getattr(thing, member).__doc__ or "").strip(), f"{name}.{member}"
    assert "index of the piece that holds the name" in noc_soc.ExtractRtl.__doc__


def test_port_tuples_and_their_types(example):
    (example / "t.sv").write_text(
        "module t(input clk, input logic [3:0][7:0] d, output o [4]);\nendmodule\n")
    t = noc_soc.ExtractRtl(example, "t.sv")
    t.extract_io()
    assert t.inputs == [("", "", " ", "clk", 3), ("[3:0]", "[7:0]", " ", "d", 3)]
    assert t.outputs == [("", "", " ", "o", " [4]", 3)]
    assert t.input_types == ["", "logic"] and t.output_types == [""]


def big_design(example, tools, size="200x200"):
    subprocess.run([tools["nocgen"], "topology", "mesh", size, "--force", "-o",
                    str(example / "noc_soc.json")], check=True, capture_output=True)
    (example / "noc_soc.sv").write_text("earlier output\n")


INTERRUPTED_CALLER = r"""
import os, signal, sys, threading, time
sys.path.insert(0, os.environ["NOC_SOC_MODULE_DIR"])
import noc_soc
design = sys.argv[1]

def writing():
    for fd in os.listdir("/proc/self/fd"):
        try:
            target = os.readlink(f"/proc/self/fd/{fd}")
        except OSError:
            continue
        if target.startswith(design + "/#") or "/.nocgen-" in target:
            return True
    return False

sent = []
def interrupt():
    deadline = time.monotonic() + 60
    while not writing() and time.monotonic() < deadline:
        time.sleep(0.0005)
    sent.append(time.monotonic())
    os.kill(os.getpid(), getattr(signal, sys.argv[2]))

threading.Thread(target=interrupt, daemon=True).start()
try:
    noc_soc.soc_generator_noc(design, "noc_soc.json")
    print("finished")
except KeyboardInterrupt:
    print("interrupted after %.3f s" % (time.monotonic() - sent[0]))
"""


def test_ctrl_c_interrupts_a_call_promptly_and_keeps_the_old_top(example, tools):
    big_design(example, tools)
    done = subprocess.run([sys.executable, "-c", INTERRUPTED_CALLER, str(example), "SIGINT"],
                          capture_output=True, text=True, timeout=120)
    if done.stdout.startswith("finished"):
        pytest.skip("the call ended before the interrupt arrived")
    assert done.stdout.startswith("interrupted after"), done.stdout + done.stderr
    assert float(done.stdout.split()[2]) < 1.0
    assert (example / "noc_soc.sv").read_text() == "earlier output\n"
    assert not list(example.glob(".nocgen-*"))


@pytest.mark.parametrize("name", ["SIGTERM", "SIGHUP"])
def test_a_caller_ended_by_a_signal_leaves_nothing_behind(example, tools, name):
    big_design(example, tools)
    done = subprocess.run([sys.executable, "-c", INTERRUPTED_CALLER, str(example), name],
                          capture_output=True, text=True, timeout=120)
    if done.stdout.startswith("finished"):
        pytest.skip("the call ended before the signal arrived")
    assert done.returncode == -getattr(signal, name), done.stdout + done.stderr
    assert sorted(p.name for p in example.iterdir() if p.name.startswith(".")) == []
    assert (example / "noc_soc.sv").read_text() == "earlier output\n"


def test_warnings_are_python_warnings(example, tools):
    big_design(example, tools, "8x8")  # 64 tiles against DESTS 32: a warning
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        noc_soc.soc_generator_noc(str(example), "noc_soc.json")
    assert [w.category for w in caught] == [noc_soc.GeneratorWarning]
    assert "[NOC120]" in str(caught[0].message)
    with warnings.catch_warnings():
        warnings.simplefilter("error", noc_soc.GeneratorWarning)
        with pytest.raises(noc_soc.GeneratorWarning):
            noc_soc.soc_generator_noc(str(example), "noc_soc.json")


@pytest.mark.parametrize("defines, error", [
    ({1: "x"}, TypeError),
    (["=x"], noc_soc.GeneratorError),
    (["1BAD=3"], noc_soc.GeneratorError),
    ({"TWO WORDS": None}, noc_soc.GeneratorError),
], ids=["number_as_name", "empty_name", "digit_first", "space_in_name"])
def test_macro_names_are_checked_like_minus_d(example, defines, error):
    with pytest.raises(error):
        noc_soc.soc_generator_noc(str(example), "noc_soc.json", defines=defines)
    assert not (example / "noc_soc.sv").exists()


def test_topology_has_the_command_line_cap():
    with pytest.raises(noc_soc.GeneratorError, match="at most 1048576"):
        noc_soc.topology("mesh", 2000, 2000)


def test_a_subinterpreter_import_fails_clearly():
    script = ("import _xxsubinterpreters as si\n"
              "try:\n    si.run_string(si.create(), 'import noc_soc')\n"
              "except Exception as e:\n    print(e)\n")
    done = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True,
                          timeout=60, env=dict(os.environ,
                                               PYTHONPATH=os.environ["NOC_SOC_MODULE_DIR"]))
    assert "cannot be imported in a subinterpreter" in done.stdout, done.stdout + done.stderr


def test_errors_on_paths_that_are_not_utf8_keep_their_bytes(tmp_path):
    design = os.path.join(os.fsencode(tmp_path), b"d\xff")
    os.mkdir(design)
    with pytest.raises(noc_soc.GeneratorError) as raised:
        noc_soc.soc_generator_noc(os.fsdecode(design), "noc_soc.json")
    assert os.fsencode(raised.value.file).endswith(b"d\xff")


CHECK_CALLER = r"""
import os, signal, sys, threading, time
sys.path.insert(0, os.environ["NOC_SOC_MODULE_DIR"])
import noc_soc
sent = []
def interrupt():
    time.sleep(0.05)
    sent.append(time.monotonic())
    os.kill(os.getpid(), signal.SIGINT)
threading.Thread(target=interrupt, daemon=True).start()
try:
    noc_soc.check(sys.argv[1])
    print("finished")
except KeyboardInterrupt:
    print("interrupted after %.3f s" % (time.monotonic() - sent[0]))
"""


def test_ctrl_c_interrupts_a_check(example, tools):
    big_design(example, tools)
    done = subprocess.run([sys.executable, "-c", CHECK_CALLER, str(example)],
                          capture_output=True, text=True, timeout=120)
    if done.stdout.startswith("finished"):
        pytest.skip("the check ended before the interrupt arrived")
    assert done.stdout.startswith("interrupted after"), done.stdout + done.stderr
    assert float(done.stdout.split()[2]) < 2.0


def test_a_missing_description_carries_its_code(tmp_path):
    with pytest.raises(noc_soc.GeneratorError) as raised:
        noc_soc.soc_generator_noc(str(tmp_path), "noc_soc.json")
    assert raised.value.code == "NOC001"
