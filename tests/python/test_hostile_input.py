"""Hostile input: every run ends at once with one line naming the file, reads nothing outside the
base directory, leaves no temporary file and leaves an existing noc_soc.sv as it was."""
import json
import os
import re
import subprocess

import pytest

EARLIER = "earlier output\n"


def run(tools, *args, env=None):
    return subprocess.run([tools["nocgen"], *map(str, args)], capture_output=True, text=True,
                          timeout=30, env=env)


def sentinel(tmp_path):
    """A file outside the design whose access time shows whether anything read it: its access
    time is set before its change time, so under relatime any read moves it."""
    outside = tmp_path / "outside"
    outside.mkdir()
    path = outside / "evil.sv"
    path.write_text("module evil(input a, output b); endmodule\n")
    stat = path.stat()
    os.utime(path, (stat.st_mtime - 1000, stat.st_mtime))
    return path


def router_source(example, name):
    text = (example / "noc_soc.json").read_text()
    (example / "noc_soc.json").write_text(
        text.replace('"noc_router.sv"', '"' + name + '"', 1))


def escape_up(example, tmp_path):
    router_source(example, "../outside/evil.sv")
    return "leads outside the base directory"


def escape_far(example, tmp_path):
    router_source(example, "../../../../../../../../../../etc/passwd")
    return "leads outside the base directory"


def absolute_name(example, tmp_path):
    router_source(example, str(tmp_path / "outside" / "evil.sv"))
    return "is an absolute path"


def linked_directory(example, tmp_path):
    (example / "lib").symlink_to(tmp_path / "outside")
    router_source(example, "lib/evil.sv")
    return "leads outside the base directory"


def fifo_description(example, tmp_path):
    (example / "noc_soc.json").unlink()
    os.mkfifo(example / "noc_soc.json")
    return "not a regular file"


def fifo_source(example, tmp_path):
    (example / "noc_router.sv").unlink()
    os.mkfifo(example / "noc_router.sv")
    return "not a regular file"


def zero_description(example, tmp_path):
    (example / "noc_soc.json").unlink()
    (example / "noc_soc.json").symlink_to("/dev/zero")
    return "not a regular file"


def zero_source(example, tmp_path):
    (example / "compute_tile.sv").unlink()
    (example / "compute_tile.sv").symlink_to("/dev/zero")
    return "not a regular file"


def oversized_description(example, tmp_path):
    return "more than the 200 bytes read at most"


CASES = [escape_up, escape_far, absolute_name, linked_directory, fifo_description, fifo_source,
         zero_description, zero_source, oversized_description]


@pytest.mark.parametrize("command", ["generate", "check"])
@pytest.mark.parametrize("case", CASES, ids=[c.__name__ for c in CASES])
def test_hostile_tree_is_refused_cleanly(tools, example, tmp_path, case, command):
    watched = sentinel(tmp_path)
    before = watched.stat().st_atime_ns
    (example / "noc_soc.sv").write_text(EARLIER)
    expected = case(example, tmp_path)
    env = dict(os.environ)
    if case is oversized_description:
        env["NOC_SOC_MAX_INPUT_BYTES"] = "200"
    done = run(tools, command, example, env=env)
    assert done.returncode == 1, done.stdout + done.stderr
    output = done.stderr if command == "generate" else done.stdout
    assert expected in output, output
    if command == "generate":
        assert done.stderr.count("\n") == 1, done.stderr
        assert re.search(r"(noc_soc\.json|noc_router\.sv|compute_tile\.sv|design)", done.stderr)
    assert watched.stat().st_atime_ns == before, "a file outside the base directory was read"
    assert (example / "noc_soc.sv").read_text() == EARLIER
    assert not list(example.glob(".nocgen-*"))


def test_outputs_go_where_they_are_told(tools, example, tmp_path):
    description = example / "noc_soc.json"
    before = description.read_text()
    refused = run(tools, "topology", "mesh", "2x2", "-o", description)
    assert refused.returncode == 1 and "give --force" in refused.stderr
    assert description.read_text() == before
    description.chmod(0o640)
    assert run(tools, "topology", "mesh", "3x2", "--force", "-o", description).returncode == 0
    assert '"R_5"' in description.read_text()
    assert description.stat().st_mode & 0o777 == 0o640  # a replaced file keeps its permissions
    to_stdout = run(tools, "topology", "ring", "3", "-o", "-")
    assert to_stdout.stdout.startswith("{") and "wrote" not in to_stdout.stdout
    assert run(tools, "schema", "-o", "-").stdout.lstrip().startswith("{")
    assert run(tools, "dot", example, "-o", "-").stdout.startswith("graph noc {")
    fifo = tmp_path / "graph.fifo"
    os.mkfifo(fifo)
    reader = subprocess.Popen(["cat", str(fifo)], stdout=subprocess.PIPE, text=True)
    assert run(tools, "dot", example, "-o", fifo).returncode == 0
    assert reader.communicate(timeout=30)[0].startswith("graph noc {")
    assert fifo.exists() and not fifo.is_file()  # written into, not replaced


def test_a_reader_that_quits_early_is_no_error(tools, example):
    assert run(tools, "topology", "mesh", "40x40", "--force", "-o",
               example / "noc_soc.json").returncode == 0
    done = subprocess.run(f"'{tools['nocgen']}' dot '{example}' | head -1", shell=True,
                          capture_output=True, text=True, timeout=60)
    assert done.stdout == "graph noc {\n"
    assert done.stderr == ""


NUL_CASES = [("at_the_end", '{"R_0": {"is_Router": true}}\0{"R_1": 3}', "1:29"),
             ("in_the_middle", '{"R_0": {"is_Router": true},\n \0 "R_1": {}}', "2:2"),
             ("in_a_name", '{"R_\0": {"is_Router": true}}', "1:5")]


@pytest.mark.parametrize("text,place", [c[1:] for c in NUL_CASES], ids=[c[0] for c in NUL_CASES])
def test_a_nul_byte_is_an_error_where_it_stands(tools, example, text, place):
    (example / "noc_soc.json").write_bytes(text.encode())
    done = run(tools, "check", example)
    assert done.returncode == 1
    assert f"noc_soc.json:{place}: error: the description holds a NUL byte" in done.stdout


def test_a_number_out_of_range_is_still_a_number(tools, example):
    description = example / "noc_soc.json"
    nodes = json.loads(description.read_text())
    nodes["R_0"]["comment"] = "caf\u00e9"  # read by the full reader, not the plain scanner
    text = json.dumps(nodes).replace('"comment"', '"weight": 1e400, "comment"', 1)
    description.write_text(text)
    done = run(tools, "check", example)
    assert done.returncode == 0, done.stdout
    assert "0 errors" in done.stdout


def test_json_error_column_is_the_offending_character(tools, example):
    (example / "noc_soc.json").write_text('{"R_0": {"is_Router": true,, }}')
    done = run(tools, "generate", example)
    assert done.returncode == 1 and done.stdout == ""
    assert re.search(r"noc_soc\.json:1:28: error: the description is not valid JSON", done.stderr)
    # Columns count characters as an editor shows them, not bytes.
    (example / "noc_soc.json").write_text('{"\u00e9\u00e9": 1,, }', encoding="utf-8")
    assert ":1:10: error:" in run(tools, "check", example).stdout


def test_paths_that_are_not_utf8_are_escaped(tools, tmp_path):
    design = os.path.join(os.fsencode(tmp_path), b"d\xff")
    os.mkdir(design)
    with open(os.path.join(design, b"m.sv"), "w") as source:
        source.write("module m(input a, output b); endmodule\n")
    ports = subprocess.run([os.fsencode(tools["nocgen"]), b"ports", os.path.join(design, b"m.sv"),
                            b"--format", b"json"], capture_output=True)
    assert ports.returncode == 0, ports.stderr
    assert "d\\\\xFF" in ports.stdout.decode("utf-8")  # valid UTF-8, the byte written as \xFF
    check = subprocess.run([os.fsencode(tools["nocgen"]), b"check", design, b"--format", b"json"],
                           capture_output=True)
    assert check.returncode == 1
    report = json.loads(check.stdout.decode("utf-8"))
    assert "d\\xFF" in report[0]["file"] and report[0]["code"] == "NOC001"
    text = subprocess.run([os.fsencode(tools["nocgen"]), b"check", design], capture_output=True)
    assert b"d\\xFF" in text.stdout


def description_directory(example):
    (example / "noc_soc.json").unlink()
    (example / "noc_soc.json").mkdir()
    return "is a directory, not a description file"


def empty_tile(example):
    (example / "compute_tile.sv").write_text("")
    return 'compute tile "compute_tile.sv" declares no module'


def utf16_tile(example):
    text = (example / "compute_tile.sv").read_text()
    (example / "compute_tile.sv").write_bytes(text.encode("utf-16"))
    return "the source is UTF-16 text; save it as UTF-8"


def nul_in_a_name(example):
    text = (example / "noc_soc.json").read_text()
    (example / "noc_soc.json").write_text(text.replace('"T_0"', '"T\\u0000x"'))
    return "T\\x00x"


MESSAGE_CASES = [description_directory, empty_tile, utf16_tile, nul_in_a_name]


@pytest.mark.parametrize("case", MESSAGE_CASES, ids=[c.__name__ for c in MESSAGE_CASES])
def test_messages_say_what_happened(tools, example, case):
    expected = case(example)
    done = run(tools, "check", example)
    assert done.returncode == 1
    assert expected in done.stdout, done.stdout
    assert "\0" not in done.stdout


@pytest.mark.parametrize("value", ["abc", "-1", "0", "12kB"])
def test_a_size_limit_that_is_no_number_is_refused(tools, example, value):
    done = run(tools, "generate", example, env=dict(os.environ, NOC_SOC_MAX_INPUT_BYTES=value))
    assert done.returncode == 1
    assert f'NOC_SOC_MAX_INPUT_BYTES is "{value}"' in done.stderr, done.stderr
    assert not (example / "noc_soc.sv").exists()


def test_the_size_limit_message_names_its_variable(tools, example):
    done = run(tools, "generate", example, env=dict(os.environ, NOC_SOC_MAX_INPUT_BYTES="100"))
    assert "(NOC_SOC_MAX_INPUT_BYTES sets the limit)" in done.stderr, done.stderr


def test_a_long_legal_output_name_is_written(tools, example):
    name = "t" * 247 + ".sv"  # 250 bytes: a temporary name made from it would not fit
    done = run(tools, "generate", example, "-o", example / name)
    assert done.returncode == 0, done.stderr
    assert b"module noc_top" in (example / name).read_bytes()


def test_warnings_are_capped_on_the_terminal_not_in_json(tools, example):
    nodes = json.loads((example / "noc_soc.json").read_text())
    for i in range(150):  # a tile nobody lists: one warning each
        nodes[f"X_{i}"] = {"is_Router": False, "neighbors": [],
                           "top_module_fname": "compute_tile.sv"}
    (example / "noc_soc.json").write_text(json.dumps(nodes))
    check = run(tools, "check", example)
    warnings = [line for line in check.stdout.splitlines() if ": warning: " in line]
    assert len(warnings) == 100
    assert "and 50 more warnings" in check.stdout
    report = json.loads(run(tools, "check", example, "--format", "json").stdout)
    assert len([d for d in report if d["severity"] == "warning"]) >= 150


def test_a_read_only_tree_whose_top_is_up_to_date_is_no_failure(tools, example, tmp_path):
    disk = tmp_path / "ro"
    disk.mkdir()
    if subprocess.run(["mount", "-t", "tmpfs", "tmpfs", str(disk)],
                      capture_output=True).returncode != 0:
        pytest.skip("cannot mount a tmpfs here")
    try:
        for source in example.iterdir():
            (disk / source.name).write_bytes(source.read_bytes())
        assert run(tools, "generate", disk).returncode == 0
        assert subprocess.run(["mount", "-o", "remount,ro", str(disk)]).returncode == 0
        done = run(tools, "generate", disk)
        assert done.returncode == 0, done.stderr
        assert done.stdout.startswith("unchanged")
    finally:
        subprocess.run(["umount", str(disk)], check=False)


def test_the_warnings_before_an_error_are_shown_with_it(tools, example):
    text = (example / "noc_soc.json").read_text()
    text = text.replace('"is_Router": true', '"is_Router": "yes"', 1)  # a warning
    text = text.replace('"compute_tile.sv"', '"missing_tile.sv"', 1)  # an error
    (example / "noc_soc.json").write_text(text)
    done = run(tools, "generate", example)
    assert done.returncode == 1
    lines = done.stderr.splitlines()
    assert "warning:" in lines[0] and "[NOC108]" in lines[0], done.stderr
    assert "error:" in lines[-1] and "missing_tile.sv" in lines[-1], done.stderr
