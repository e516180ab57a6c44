"""Designs with several tile modules and routers of their own, laid out as users lay them out
(router in rtl/noc/, tiles in rtl/tiles/, packages in pkg/, the framework's header outside) and
run from inside the design with relative paths: check is clean only when the top is right, and
a top that is written lints clean with Verilator against the design's own bodies."""
import json
import re
import shutil
import subprocess

import pytest

from conftest import EXAMPLE

from conftest import needs_verilator

PACKAGES = ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv"]
TILES = {"T_0": "cpu_tile", "T_1": "dsp_tile", "T_2": "mem_tile", "T_3": "cpu_tile"}


def run(*args, cwd, check=False):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, cwd=cwd,
                          check=check)


def tile_text(module):
    return (EXAMPLE / "compute_tile.sv").read_text().replace("module compute_tile",
                                                             f"module {module}")


@pytest.fixture
def design(tmp_path, tools):
    """A 2x2 mesh whose tiles name three tile modules of one interface."""
    root = tmp_path / "soc"
    for folder in ("rtl/noc", "rtl/tiles", "pkg", "tb"):
        (root / folder).mkdir(parents=True)
    (tmp_path / "framework/include").mkdir(parents=True)
    shutil.copy(EXAMPLE / "dbg_config.vh", tmp_path / "framework/include")
    shutil.copy(EXAMPLE / "noc_router.sv", root / "rtl/noc")
    shutil.copy(EXAMPLE / "tb_noc_top.sv", root / "tb")
    for package in PACKAGES:
        shutil.copy(EXAMPLE / package, root / "pkg")
    for module in set(TILES.values()):
        (root / f"rtl/tiles/{module}.sv").write_text(tile_text(module))
    run(tools["nocgen"], "topology", "mesh", "2x2", "--tiles-per-router", "1", "-o",
        "noc_soc.json", cwd=root, check=True)
    nodes = json.loads((root / "noc_soc.json").read_text())
    for node, module in TILES.items():
        nodes[node]["top_module_fname"] = f"{module}.sv"
    (root / "noc_soc.json").write_text(json.dumps(nodes, indent=1))
    return root


def edit(path, old, new):
    text = path.read_text()
    assert old in text, old
    path.write_text(text.replace(old, new))


def nocgen(tools, design, command, *args):
    return run(tools["nocgen"], command, *args, "-I", "../framework/include", ".", cwd=design)


def codes(output):
    return re.findall(r"\[(NOC\d+)\]", output)


def lint(design):
    sources = [f"pkg/{p}" for p in PACKAGES] + ["rtl/noc/noc_router.sv"]
    sources += [f"rtl/tiles/{m}.sv" for m in sorted(set(TILES.values()))] + ["noc_soc.sv", "tb/tb_noc_top.sv"]
    return run("verilator", "--lint-only", "-Wall", "--timing", "--top-module", "tb_noc_top",
               "-I../framework/include", EXAMPLE / "lint.vlt", *sources, cwd=design)


@needs_verilator
def test_tile_modules_of_one_interface_check_clean_and_lint(design, tools):
    checked = nocgen(tools, design, "check", "--werror")
    assert checked.returncode == 0 and "0 errors, 0 warnings" in checked.stdout, checked.stdout
    assert nocgen(tools, design, "generate", "-q").returncode == 0
    top = (design / "noc_soc.sv").read_text()
    assert "dsp_tile_T_1_inst(" in top and "mem_tile_T_2_inst(" in top
    linted = lint(design)
    assert linted.returncode == 0 and "%Warning" not in linted.stderr, linted.stderr


LAST_PORTS = [("   input [CHANNELS-1:0] noc_in_last,\n", ""),
              ("   output [CHANNELS-1:0] noc_out_last,\n", "")]

# (label, tile module edited, its edits, codes check must report, whether generate writes)
BROKEN = [
    ("middle_tile_without_last_ports", "dsp_tile", LAST_PORTS, ["NOC025"], False),
    ("port_typo_in_a_middle_tile", "mem_tile", [("noc_in_flit,", "noc_inflit,")],
     ["NOC025", "NOC124"], False),
    ("input_in_the_other_direction", "dsp_tile",
     [("input [CHANNELS-1:0] noc_out_ready", "output [CHANNELS-1:0] noc_out_ready")], ["NOC025"],
     False),
    ("narrower_flits", "mem_tile", [("[CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit",
                                     "[CHANNELS-1:0][FLIT_WIDTH-2:0] noc_in_flit")],
     ["NOC125"], True),
    ("extra_credit_input", "dsp_tile",
     [("   input [CHANNELS-1:0] noc_out_ready,",
       "   input [CHANNELS-1:0] noc_out_ready,\n   input [CHANNELS-1:0] noc_in_credit,")],
     ["NOC124"], True),
    ("interrupt_input_left_open", "cpu_tile", [("input clk,", "input clk, irq,")], ["NOC124"],
     True),
]


@pytest.mark.parametrize("label, module, edits, expected, writes", BROKEN,
                         ids=[b[0] for b in BROKEN])
def test_a_tile_unlike_the_interface_is_reported_at_its_source(design, tools, label, module,
                                                               edits, expected, writes):
    source = design / f"rtl/tiles/{module}.sv"
    for old, new in edits:
        edit(source, old, new)
    checked = nocgen(tools, design, "check")
    assert sorted(set(codes(checked.stdout))) == expected, checked.stdout
    assert f"rtl/tiles/{module}.sv:" in checked.stdout
    generated = nocgen(tools, design, "generate", "-q")
    assert generated.returncode == (0 if writes else 1), generated.stderr
    assert (design / "noc_soc.sv").exists() == writes


def test_the_last_tile_without_last_ports_warns_at_every_other_tile_module(design, tools):
    nodes = json.loads((design / "noc_soc.json").read_text())
    nodes["T_3"]["top_module_fname"] = "lean_tile.sv"
    (design / "noc_soc.json").write_text(json.dumps(nodes))
    text = tile_text("lean_tile")
    for old, new in LAST_PORTS:
        text = text.replace(old, new)
    (design / "rtl/tiles/lean_tile.sv").write_text(text)
    checked = nocgen(tools, design, "check")
    for module in ("cpu_tile", "dsp_tile", "mem_tile"):
        assert re.search(rf'rtl/tiles/{module}.sv:\d+:\d+: warning: .*"noc_in_last" of module '
                         rf'{module} is left unconnected.*\[NOC124\]', checked.stdout), checked.stdout


def test_a_tile_naming_the_router_source_is_refused(design, tools):
    nodes = json.loads((design / "noc_soc.json").read_text())
    nodes["T_1"]["top_module_fname"] = "noc_router.sv"
    (design / "noc_soc.json").write_text(json.dumps(nodes))
    checked = nocgen(tools, design, "check")
    assert re.search(r'rtl/noc/noc_router.sv:\d+:1: error: node "T_1": tile source '
                     r'"noc_router.sv" is a router\'s .*\[NOC024\]', checked.stdout), checked.stdout
    assert nocgen(tools, design, "generate", "-q").returncode == 1


ROUTERS = [
    ("virtual_channels_not_passed", [("parameter DESTS = 32)",
                                      "parameter DESTS = 32, parameter VCHANNELS = 3)"),
                                     ("[INPUTS-1:0] in_valid,", "[INPUTS-1:0][VCHANNELS-1:0] in_valid,"),
                                     ("[OUTPUTS-1:0] out_valid,",
                                      "[OUTPUTS-1:0][VCHANNELS-1:0] out_valid,")],
     "NOC126", 'VCHANNELS" = 3; noc_top does not pass VCHANNELS'),
    ("own_package_constant", [("module noc_router\n", "module noc_router\n  import soc_pkg::*;\n"),
                              ("[INPUTS-1:0] in_valid,", "[INPUTS-1:0][NOC_VCS-1:0] in_valid,")],
     "NOC027", "write soc_pkg::NOC_VCS"),
]


@pytest.mark.parametrize("label, edits, code, words", ROUTERS, ids=[r[0] for r in ROUTERS])
def test_router_dimensions_the_top_cannot_size_alike(design, tools, label, edits, code, words):
    for old, new in edits:
        edit(design / "rtl/noc/noc_router.sv", old, new)
    checked = nocgen(tools, design, "check")
    assert code in codes(checked.stdout) and words in checked.stdout, checked.stdout
    assert re.search(rf"rtl/noc/noc_router.sv:\d+:\d+: .*\[{code}\]", checked.stdout)


def test_a_warning_is_waived_or_made_an_error_by_its_code(design, tools):
    edit(design / "rtl/tiles/cpu_tile.sv", "input clk,", "input clk, irq,")
    waived = nocgen(tools, design, "check", "--werror", "-Wno-NOC124")
    assert waived.returncode == 0 and "0 errors, 0 warnings" in waived.stdout, waived.stdout
    assert nocgen(tools, design, "generate", "-q", "--werror", "-Wno-NOC124").returncode == 0
    (design / "noc_soc.sv").unlink()
    strict = nocgen(tools, design, "generate", "-q", "-Werror=NOC124")
    assert strict.returncode == 1 and "error: " in strict.stderr and "[NOC124]" in strict.stderr
    assert not (design / "noc_soc.sv").exists()
    refused = nocgen(tools, design, "check", "-Wno-NOC025")
    assert refused.returncode == 2 and "cannot be waived" in refused.stderr

    import noc_soc
    assert [d.code for d in noc_soc.check(design, include_dirs=["../framework/include"])] == \
        ["NOC124"]
    assert noc_soc.check(design, include_dirs=[design.parent / "framework/include"],
                         waive="NOC124") == []
    with pytest.raises(ValueError, match="no rule's code"):
        noc_soc.check(design, waive=["NOC124", "NOC999"])


def test_explain_says_what_a_rule_means_and_suggests_a_code(design, tools):
    explained = run(tools["nocgen"], "explain", "noc124", cwd=design)
    assert explained.returncode == 0
    assert explained.stdout.startswith("NOC124 (warning): a tile input or NoC port is left")
    assert "fix:" in explained.stdout and "-Wno-NOC124" in explained.stdout
    unknown = run(tools["nocgen"], "explain", "NOC12", cwd=design)
    assert unknown.returncode == 2 and "did you mean NOC012?" in unknown.stderr
    typo = run(tools["nocgen"], "check", "--werorr", ".", cwd=design)
    assert typo.returncode == 2 and "did you mean --werror?" in typo.stderr
