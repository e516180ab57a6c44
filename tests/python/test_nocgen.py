"""nocgen end to end: exit codes, what it prints and which files it writes."""
import json
import os
import re
import shutil
import subprocess

import pytest

ROUTER = '"top_module_fname": "noc_router.sv"'
TILE = '"top_module_fname": "compute_tile.sv"'


def nocgen(tools, *args, cwd=None):
    return subprocess.run([tools["nocgen"], *map(str, args)], capture_output=True, text=True,
                          cwd=cwd)


def describe(nodes):
    """A description from (name, is_router, neighbours) triples, tile sources from the example."""
    records = []
    for name, router, neighbours in nodes:
        source = ROUTER if router else TILE
        records.append(f'"{name}": {{"is_Router": {str(router).lower()}, '
                       f'"neighbors": {json.dumps(neighbours)}, {source}}}')
    return "{\n" + ",\n".join(records) + "\n}\n"


GOOD = [("R_0", True, ["R_1", "T_0"]), ("R_1", True, ["R_0", "T_1"]),
        ("T_0", False, ["R_0"]), ("T_1", False, ["R_1"])]


@pytest.mark.parametrize("command", ["generate", "ports", "check", "topology", "dot", "schema"])
def test_every_subcommand_has_help(tools, command):
    done = nocgen(tools, command, "--help")
    assert done.returncode == 0 and "Usage" in done.stdout


def test_version_and_unknown_subcommands(tools):
    version = nocgen(tools, "--version")
    assert version.returncode == 0 and re.fullmatch(r"nocgen \d+\.\d+\.\d+\n", version.stdout)
    unknown = nocgen(tools, "gen", "x")
    assert unknown.returncode == 2
    assert unknown.stderr.startswith("nocgen: error: unknown subcommand 'gen'; the subcommands are")


def test_generate_into_a_build_directory_with_a_depfile(tools, example, tmp_path):
    build = tmp_path / "build dir"
    build.mkdir()
    done = nocgen(tools, "generate", example, "-o", build / "noc_top.sv", "--depfile",
                  build / "noc_top.d", "--quiet")
    assert done.returncode == 0 and done.stdout == "", done.stderr
    assert not (example / "noc_soc.sv").exists()
    assert "module noc_top" in (build / "noc_top.sv").read_text()
    rule = (build / "noc_top.d").read_text()
    target, inputs = rule.split(":", 1)
    assert target == str(build / "noc_top.sv").replace(" ", "\\ ")
    names = [os.path.basename(p) for p in inputs.replace("\\\n", " ").split()]
    assert names == ["noc_soc.json", "compute_tile.sv", "dbg_config.vh", "noc_router.sv"]


@pytest.mark.parametrize("args", [[], ["frobnicate"], ["generate"], ["check", "--format", "xml", "."],
                                  ["topology", "hexagon", "2x2"]])
def test_usage_errors_exit_2(tools, args):
    assert nocgen(tools, *args).returncode == 2


def test_generate_reports_and_leaves_identical_output_alone(tools, example):
    done = nocgen(tools, "generate", example)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(f"wrote {example / 'noc_soc.sv'}\n")
    assert re.search(r"^4 routers, 4 tiles, 4 links, \d+ bytes, [\d.]+ ms$", done.stdout, re.M)
    before = os.stat(example / "noc_soc.sv").st_mtime_ns
    again = nocgen(tools, "generate", example)
    assert again.stdout.startswith("unchanged ")
    assert os.stat(example / "noc_soc.sv").st_mtime_ns == before


def test_generate_prints_warnings_and_werror_fails_on_them(tools, example):
    (example / "noc_soc.json").write_text(describe(GOOD + [("T_9", False, [])]))
    done = nocgen(tools, "generate", example)
    assert done.returncode == 0, done.stderr
    assert re.search(r'noc_soc\.json:\d+:1: warning: node "T_9": no router lists this tile.* '
                     r'\[NOC111\]\n$', done.stderr)
    assert nocgen(tools, "generate", example, "--werror").returncode == 1
    report = json.loads(nocgen(tools, "check", example, "--format", "json").stdout)
    assert [(d["code"], d["severity"], d["node"]) for d in report] == [("NOC111", "warning", "T_9")]


def test_generate_error_is_one_line_naming_the_file(tools, example):
    (example / "noc_soc.sv").write_text("earlier\n")
    (example / "noc_soc.json").write_text('{"R_1": {"is_Router": true, "top_module_fname": "x"}}')
    done = nocgen(tools, "generate", example)
    assert done.returncode == 1
    assert done.stderr.count("\n") == 1
    assert 'noc_soc.json:1:2: error: node "R_1": member "neighbors" is missing' in done.stderr
    assert (example / "noc_soc.sv").read_text() == "earlier\n"


def test_ports_json_and_table(tools, example):
    done = nocgen(tools, "ports", example / "noc_router.sv")
    assert done.returncode == 0, done.stderr
    report = json.loads(done.stdout)
    assert report["module_names"] == ["noc_router"]
    flit = next(p for p in report["inputs"] if p["name"] == "in_flit")
    assert flit["tuple"] == ["[INPUTS-1:0]", "[FLIT_WIDTH-1:0]", " ", "in_flit", 3]
    located = nocgen(tools, "ports", "noc_router.sv", "--base-dir", example)
    assert json.loads(located.stdout)["inputs"] == report["inputs"]
    table = nocgen(tools, "ports", example / "noc_router.sv", "--format", "table")
    assert re.search(r"^  output .*\[OUTPUTS-1:0\]\[FLIT_WIDTH-1:0\] out_flit$", table.stdout, re.M)
    missing = nocgen(tools, "ports", "nope.sv", "--base-dir", example)
    assert missing.returncode == 1 and 'no source named "nope.sv"' in missing.stderr


def test_ports_take_defines_and_include_directories(tools, tmp_path):
    headers, design = tmp_path / "elsewhere", tmp_path / "design"
    headers.mkdir()
    design.mkdir()
    (headers / "widths.vh").write_text("`define BUS [31:0]\n")
    (design / "probe.sv").write_text(
        '`include "widths.vh"\nmodule probe(input logic `BUS data,\n`ifdef WITH_DEBUG\n'
        "output logic dbg,\n`endif\noutput logic ready);\nendmodule\n")
    refused = nocgen(tools, "ports", design / "probe.sv")
    assert refused.returncode == 1
    assert "probe.sv:2:26: error: `BUS is not defined; it may come from \"widths.vh\"" in refused.stderr

    def outputs(*flags):
        done = nocgen(tools, "ports", design / "probe.sv", "-I", headers, *flags)
        assert done.returncode == 0, done.stderr
        report = json.loads(done.stdout)
        assert report["inputs"][0]["declaration"] == "[31:0] data"
        return [p["name"] for p in report["outputs"]]

    assert outputs() == ["ready"]
    assert outputs("-D", "WITH_DEBUG") == ["dbg", "ready"]
    assert outputs("-D", "WITH_DEBUG=1", "-U", "WITH_DEBUG") == ["ready"]


def test_check_and_generate_take_defines(tools, example):
    source = (example / "compute_tile.sv").read_text()
    (example / "compute_tile.sv").write_text(source.replace("module compute_tile", "`ifdef TILE_NAME\nmodule `TILE_NAME\n`else\nmodule compute_tile\n`endif", 1))
    done = nocgen(tools, "generate", example, "-D", "TILE_NAME=renamed_tile")
    assert done.returncode == 0, done.stderr
    assert "renamed_tile\n#(" in (example / "noc_soc.sv").read_text()
    assert nocgen(tools, "check", example, "-D", "TILE_NAME=renamed_tile").returncode == 0


CHECKS = [
    ("clean", GOOD, []),
    ("unknown_neighbour", [("R_0", True, ["R_1", "T_9", "T_0"])] + GOOD[1:],
     [("error", "R_0", 'neighbour "T_9" is not a node')]),
    ("no_router_neighbour", GOOD + [("R_2", True, ["T_2"]), ("T_2", False, ["R_2"])],
     [("error", "R_2", "has no router neighbour")]),
    ("no_number", [("R_0", True, ["R", "T_0"]), ("R", True, ["R_0", "T_1"]),
                   ("T_0", False, ["R_0"]), ("T_1", False, ["R"])],
     [("error", "R", "has router neighbours but no number")]),
    ("not_mirrored", [("R_0", True, ["R_1", "R_2", "T_0"]), ("R_1", True, ["R_0", "T_1"]),
                      ("R_2", True, ["R_1", "T_2"]), ("T_0", False, ["R_0"]),
                      ("T_1", False, ["R_1"]), ("T_2", False, ["R_2"])],
     [("warning", "R_0", 'neighbour "R_2" does not list "R_0" back'),
      ("warning", "R_2", 'neighbour "R_1" does not list "R_2" back')]),
    ("lists_itself", [("R_0", True, ["R_0", "R_1", "T_0"])] + GOOD[1:],
     [("warning", "R_0", "lists itself")]),
    ("same_number", [("R_0", True, ["R_1", "X_1", "T_0"]), ("R_1", True, ["R_0", "T_1"]),
                     ("X_1", True, ["R_0", "T_1"])] + GOOD[2:],
     [("warning", "R_0", 'different prefixes'), ("error", "X_1", "same router number 1"),
      ("warning", "T_1", "listed 2 times")]),
    ("leading_zero", [("R_0", True, ["R_01", "T_0"]), ("R_01", True, ["R_0", "T_1"]),
                      ("T_0", False, ["R_0"]), ("T_1", False, ["R_01"])],
     [("warning", "R_01", 'router number "01"')]),
    ("tile_twice", [("R_0", True, ["R_1", "T_0", "T_0"])] + GOOD[1:],
     [("warning", "T_0", 'listed 2 times as a neighbour (by "R_0", "R_0")')]),
]


@pytest.mark.parametrize("label, nodes, expected", CHECKS, ids=[c[0] for c in CHECKS])
def test_check_reports_each_problem_at_its_node(tools, example, label, nodes, expected):
    (example / "noc_soc.json").write_text(describe(nodes))
    done = nocgen(tools, "check", example, "--format", "json")
    problems = json.loads(done.stdout)
    got = [(p["severity"], p["node"], p["message"]) for p in problems]
    for severity, node, text in expected:
        assert any(s == severity and n == node and text in m for s, n, m in got), got
    assert len(got) == len(expected), got
    errors = any(s == "error" for s, _, _ in expected)
    assert done.returncode == (1 if errors else 0)
    assert not (example / "noc_soc.sv").exists()


def test_check_lines_point_at_the_node_record_and_werror_fails(tools, example):
    (example / "noc_soc.json").write_text(describe([("R_0", True, ["R_0", "R_1", "T_0"])] + GOOD[1:]))
    done = nocgen(tools, "check", example)
    assert done.returncode == 0
    assert f'{example / "noc_soc.json"}:2:42: warning: node "R_0": lists itself' in done.stdout
    assert nocgen(tools, "check", "--werror", example).returncode == 1


def test_check_reports_missing_and_broken_sources(tools, example):
    (example / "compute_tile.sv").unlink()
    (example / "noc_router.sv").write_text("module noc_router(input clk;\n")
    done = nocgen(tools, "check", example)
    assert done.returncode == 1
    # The tile interface comes from the last endpoint's source, so that is where it is reported.
    assert 'error: node "T_3": no source named "compute_tile.sv"' in done.stdout
    assert re.search(r"noc_router\.sv:\d+:\d+: error: node \"R_0\": ", done.stdout)


@pytest.mark.parametrize("kind, size, tiles", [("mesh", "4x3", 1), ("torus", "2x3", 2),
                                               ("ring", "7", 1), ("torus", "1x4", 1)])
def test_topology_descriptions_pass_check_and_generate(tools, example, kind, size, tiles):
    done = nocgen(tools, "topology", kind, size, "--tiles-per-router", tiles, "--force", "-o",
                  example / "noc_soc.json")
    assert done.returncode == 0, done.stderr
    assert nocgen(tools, "check", "--werror", example).returncode == 0
    nodes = json.loads((example / "noc_soc.json").read_text())
    routers = [n for n in nodes if nodes[n]["is_Router"]]
    assert routers == [f"R_{i}" for i in range(len(routers))]
    assert nocgen(tools, "generate", example).returncode == 0


def test_topology_refuses_bad_sizes(tools, tmp_path):
    # A size that is no WxH is a usage error; one router is a network nobody can build.
    for size, status in [("0x3", 2), ("3x", 2), ("axb", 2), ("1x1", 1)]:
        done = nocgen(tools, "topology", "mesh", size, "-o", tmp_path / "d.json")
        assert done.returncode == status, size
        assert not (tmp_path / "d.json").exists()


@pytest.mark.skipif(shutil.which("dot") is None, reason="Graphviz is not installed")
def test_dot_graph_renders_and_marks_problems(tools, example, tmp_path):
    (example / "noc_soc.json").write_text(describe(
        [("R_0", True, ["R_1", "R_2", "T_0"]), ("R_1", True, ["R_0", "T_1"]),
         ("R_2", True, ["R_0", "T_0"])] + GOOD[2:]))
    done = nocgen(tools, "dot", example, "-o", tmp_path / "g.dot")
    assert done.returncode == 0, done.stderr
    graph = (tmp_path / "g.dot").read_text()
    assert '"R_0" -- "R_1" [label="R_0_1", taillabel="1", headlabel="0"];' in graph
    assert '"T_0" [shape=ellipse, color=red' in graph  # listed by two routers
    assert subprocess.run(["dot", "-Tsvg", "-o", tmp_path / "g.svg", tmp_path / "g.dot"]).returncode == 0
    svg = nocgen(tools, "dot", example, "-o", tmp_path / "direct.svg")
    assert svg.returncode == 0 and (tmp_path / "direct.svg").read_text().lstrip().startswith("<?xml")


def test_dot_lays_out_grids_and_draws_unknown_neighbours(tools, example, tmp_path):
    assert nocgen(tools, "topology", "mesh", "3x2", "--force", "-o", example / "noc_soc.json").returncode == 0
    grid = nocgen(tools, "dot", example).stdout
    assert "layout=neato" in grid
    assert '"R_4" [shape=box, pos="3.0,-3.0!"];' in grid  # row 1, column 1
    assert '"T_4" [shape=ellipse, pos="4.4,-3.9!"];' in grid  # beside its router
    (example / "noc_soc.json").write_text(describe(
        [("R_0", True, ["R_1", "T_0", "GHOST"]), ("R_1", True, ["R_0", "T_1"])] + GOOD[2:]))
    graph = nocgen(tools, "dot", example).stdout
    assert "layout=neato" not in graph
    assert '"GHOST" [shape=ellipse, style=dashed, color=red' in graph
    assert '"R_0" -- "GHOST" [style=dashed, color=red' in graph
    assert re.search(r'"R_0" \[shape=box, color=red, fontcolor=red, tooltip="NOC009 error: '
                     r'neighbour \\"GHOST\\" is not a node', graph), graph


def test_schema_is_json_and_describes_node_records(tools):
    schema = json.loads(nocgen(tools, "schema").stdout)
    assert schema["$defs"]["node"]["required"] == ["is_Router", "top_module_fname"]


def on_terminal(command):
    """Runs a command on a pseudo-terminal (script) and returns what it printed there."""
    done = subprocess.run(["script", "-qec", command, "/dev/null"], capture_output=True,
                          text=True, timeout=60,
                          env={k: v for k, v in os.environ.items() if k != "NO_COLOR"})
    return done.stdout.replace("\r\n", "\n")


def test_diagnostics_on_a_terminal_show_the_line_and_a_caret(tools, example):
    if shutil.which("script") is None:
        pytest.skip("script is not installed")
    (example / "noc_router.sv").write_text("module noc_router(\n\tinput [7:0 a);\nendmodule\n")
    nocgen_path = tools["nocgen"]
    plain = on_terminal(f"'{nocgen_path}' --color=never check '{example}'")
    assert "noc_router.sv:2:8: error: node \"R_0\": '[' is not closed [NOC014]\n" \
           "\tinput [7:0 a);\n\t      ^\n" in plain
    coloured = on_terminal(f"'{nocgen_path}' check '{example}'")
    assert "\033[1;31merror: \033[0m" in coloured and "\033[1;32m^\033[0m" in coloured
    short = on_terminal(f"'{nocgen_path}' --color=never check '{example}' --format short")
    assert "\tinput" not in short
    piped = nocgen(tools, "check", example)
    assert "\tinput" not in piped.stdout and "\033" not in piped.stdout
    always = nocgen(tools, "--color=always", "generate", example)
    assert always.stderr.startswith("\033[1m") and "\tinput" not in always.stderr


@pytest.mark.parametrize("name, magic", [("g.pdf", b"%PDF"), ("g.PNG", b"\x89PNG"),
                                         ("g.jpg", b"\xff\xd8"), ("g.gv", b"graph noc")])
def test_dot_renders_by_extension(tools, example, tmp_path, name, magic):
    done = nocgen(tools, "dot", example, "-o", tmp_path / name)
    assert done.returncode == 0, done.stderr
    assert (tmp_path / name).read_bytes().startswith(magic)


def test_dot_refuses_an_unknown_format(tools, example, tmp_path):
    done = nocgen(tools, "dot", example, "-o", tmp_path / "g.xyz")
    assert done.returncode == 1 and 'no format "xyz"' in done.stderr
    assert not (tmp_path / "g.xyz").exists()


def test_werror_writes_nothing_and_keeps_the_time_stamp(tools, example):
    assert nocgen(tools, "generate", "-q", example).returncode == 0
    top = example / "noc_soc.sv"
    os.utime(top, ns=(1_000_000_000, 1_000_000_000))
    text = top.read_text()
    (example / "noc_soc.json").write_text(describe(GOOD + [("T_9", False, [])]))
    done = nocgen(tools, "generate", example, "--werror", "--depfile", example / "top.d")
    assert done.returncode == 1
    assert "NOC111" in done.stderr and "--werror" in done.stderr
    assert top.read_text() == text and os.stat(top).st_mtime_ns == 1_000_000_000
    assert not (example / "top.d").exists()


def test_depfile_run_never_touches_an_identical_top(tools, example):
    args = ["generate", "-q", example, "--depfile", example / "top.d"]
    assert nocgen(tools, *args).returncode == 0
    top = example / "noc_soc.sv"
    os.utime(top, ns=(1_000_000_000, 1_000_000_000))
    (example / "dbg_config.vh").touch()  # newer than the top, and unchanged
    assert nocgen(tools, *args).returncode == 0
    assert os.stat(top).st_mtime_ns == 1_000_000_000


def test_generate_to_standard_output_writes_the_top_alone(tools, example):
    done = nocgen(tools, "generate", example, "-o", "-")
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith("`include") and done.stdout.endswith("endmodule\n")
    assert "wrote" not in done.stdout and "routers" not in done.stdout
    assert re.search(r"^4 routers, 4 tiles, 4 links", done.stderr, re.M)
    assert not (example / "noc_soc.sv").exists() and not (example / "-").exists()
    refused = nocgen(tools, "generate", example, "-o", "-", "--depfile", example / "top.d")
    assert refused.returncode == 1 and "--depfile" in refused.stderr


def test_global_options_follow_the_subcommand_too(tools, example):
    done = nocgen(tools, "check", example, "--color=never")
    assert done.returncode == 0, done.stderr


@pytest.mark.parametrize("where, message", [
    ("noc_soc.json", "the base directory is a file"),
    ("no_such_dir", "the base directory does not exist"),
])
@pytest.mark.parametrize("command", ["check", "generate", "dot", "verify"])
def test_a_base_directory_that_is_no_directory_is_named(tools, example, where, message, command):
    done = nocgen(tools, command, example / where)
    assert done.returncode == 1
    assert message in done.stderr and str(example / where) in done.stderr


def test_description_with_a_folder_is_a_path_and_a_repeated_name_is_a_warning(tools, example):
    description = (example / "noc_soc.json").read_text()
    for sub in ("sub1", "sub2"):
        (example / sub).mkdir()
        (example / sub / "alt.json").write_text(description)
    (example / "noc_soc.json").unlink()
    chosen = nocgen(tools, "check", example, "--description", "sub2/alt.json")
    assert chosen.returncode == 0 and "0 warnings" in chosen.stdout, chosen.stdout
    twice = nocgen(tools, "check", example, "--description", "alt.json", "--format", "json")
    report = json.loads(twice.stdout)
    assert [d["code"] for d in report] == ["NOC121"]
    assert "sub1/alt.json" in report[0]["message"] and "sub2/alt.json" in report[0]["message"]
    outside = nocgen(tools, "check", example / "sub1", "--description", "../sub2/alt.json")
    assert outside.returncode == 1 and "no description named" in outside.stdout + outside.stderr


def test_dot_takes_the_source_options(tools, example, tmp_path):
    done = nocgen(tools, "dot", example, "-I", example, "-D", "SIMULATION", "-o", tmp_path / "g.dot")
    assert done.returncode == 0, done.stderr


def test_ports_lists_ports_the_top_leaves_open(tools, example):
    (example / "t.sv").write_text("module t(inout io, input a, output b);\nendmodule\n")
    report = json.loads(nocgen(tools, "ports", example / "t.sv").stdout)
    assert report["unconnected"] == ["io"]
    table = nocgen(tools, "ports", example / "t.sv", "--format", "table").stdout
    assert re.search(r"^  other   io  \(inout", table, re.M), table


def test_a_file_list_that_names_the_top_being_generated(tools, example):
    (example / "sim.f").write_text("optimsoc_config.sv\ndii_package.sv\noptimsoc_functions.sv\n"
                                   "noc_router.sv\ncompute_tile.sv\nnoc_soc.sv\ntb_noc_top.sv\n")
    for _ in range(2):  # first without a top, then with the one the first run wrote
        done = nocgen(tools, "generate", ".", "-F", "sim.f", cwd=example)
        assert done.returncode == 0, done.stderr
        assert nocgen(tools, "check", ".", "-F", "sim.f", cwd=example).returncode == 0


def two_routers(example):
    """The router in rtl/noc/ and a mock of it under tb/mocks/, as test benches keep them."""
    for folder in ("rtl/noc", "tb/mocks"):
        (example / folder).mkdir(parents=True)
    (example / "noc_router.sv").rename(example / "rtl/noc/noc_router.sv")
    (example / "tb/mocks/noc_router.sv").write_text("module noc_router(input clk);\nendmodule\n")


@pytest.mark.parametrize("how", ["by_path", "by_file_list", "neither"])
def test_which_router_source_among_copies(tools, example, how):
    two_routers(example)
    args = []
    if how == "by_path":
        text = (example / "noc_soc.json").read_text()
        (example / "noc_soc.json").write_text(
            text.replace('"noc_router.sv"', '"rtl/noc/noc_router.sv"'))
    if how == "by_file_list":
        (example / "sim.f").write_text("rtl/noc/noc_router.sv\n")
        args = ["-F", "sim.f"]
    done = nocgen(tools, "generate", ".", *args, cwd=example)
    if how == "neither":
        assert done.returncode == 1
        assert "is ambiguous" in done.stderr and "name it by path" in done.stderr
    else:
        assert done.returncode == 0, done.stderr
        assert ".in_flit" in (example / "noc_soc.sv").read_text()  # the real router, not the mock


def test_small_mistakes_get_the_right_words_and_status(tools, example, tmp_path):
    assert nocgen(tools, "topology", "mesh", "4by4", "-o", tmp_path / "x.json").returncode == 2
    text = (example / "noc_soc.json").read_text()
    (example / "noc_soc.json").write_text(text.replace('"compute_tile.sv"',
                                                       '"rtl/tiles/missing.sv"', 1))
    done = nocgen(tools, "check", example)
    assert 'no source named "rtl/tiles/missing.sv"' in done.stdout, done.stdout
    empty = tmp_path / "empty"
    empty.mkdir()
    assert "[NOC001]" in nocgen(tools, "generate", empty).stderr
