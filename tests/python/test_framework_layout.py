"""A design laid out as the framework lays it out: its sources include the framework's
dbg_config.vh, kept with the framework outside the design directory, then guarded local headers.
Every entry generates it, from inside the design directory, byte for byte as with the header
found; what the missing header really decides is still refused."""
import json
import os
import pathlib
import shutil
import subprocess

import pytest

import noc_soc

from conftest import needs_verilator

FIXTURE = pathlib.Path(os.environ["NOC_SOURCE_DIR"]) / "tests" / "fixtures" / "framework_layout"


def run(command, cwd):
    return subprocess.run([str(c) for c in command], capture_output=True, text=True, cwd=cwd)


@pytest.fixture
def layout(tmp_path):
    """A copy of the fixture: tmp/framework/include/dbg_config.vh and tmp/my_noc/."""
    shutil.copytree(FIXTURE, tmp_path / "work")
    return tmp_path / "work"


@pytest.fixture
def reference(layout, tools):
    """The top generated with the framework's header found."""
    out = layout / "with_header.sv"
    done = run([tools["nocgen"], "generate", ".", "-I", "../framework/include", "-o", out, "-q"],
               layout / "my_noc")
    assert done.returncode == 0, done.stderr
    return out.read_bytes()


def generate_with_nocgen(layout, tools):
    return run([tools["nocgen"], "generate", ".", "-q"], layout / "my_noc")


def generate_with_python(layout, tools):
    cwd = os.getcwd()
    os.chdir(layout / "my_noc")
    try:
        noc_soc.soc_generator_noc(".", "noc_soc.json")
    finally:
        os.chdir(cwd)
    return subprocess.CompletedProcess([], 0, "", "")


def generate_with_direct_start(layout, tools):
    return run([tools["noc_soc_run"], "."], layout / "my_noc")


@pytest.mark.parametrize("entry", [generate_with_nocgen, generate_with_python,
                                   generate_with_direct_start],
                         ids=["nocgen", "python", "direct_start"])
def test_every_entry_generates_it_as_with_the_header(layout, tools, reference, entry):
    done = entry(layout, tools)
    assert done.returncode == 0, done.stderr
    assert (layout / "my_noc" / "noc_soc.sv").read_bytes() == reference
    assert reference.startswith(b'`include "dbg_config.vh"')


def test_check_is_clean_and_python_takes_the_include_directory(layout, tools, reference):
    done = run([tools["nocgen"], "check", "."], layout / "my_noc")
    assert done.returncode == 0 and "0 errors, 0 warnings" in done.stdout, done.stdout
    assert noc_soc.check(layout / "my_noc") == []
    noc_soc.soc_generator_noc(layout / "my_noc", "noc_soc.json",
                              include_dirs=[layout / "framework" / "include"])
    assert (layout / "my_noc" / "noc_soc.sv").read_bytes() == reference


@needs_verilator
def test_verify_proves_the_top_without_the_header(layout, tools):
    assert generate_with_nocgen(layout, tools).returncode == 0
    done = run([tools["nocgen"], "verify", "."], layout / "my_noc")
    assert done.returncode == 0, done.stdout + done.stderr
    assert "4 of 4 links and 4 of 4 tiles proven" in done.stdout


# Tiles whose interface does depend on the missing header: refused, naming the macro, and read
# as soon as the header is found.
DEPENDENT = [
    ("port_under_ifdef", "   output [CHANNELS-1:0] noc_in_ready);",
     "   output [CHANNELS-1:0] noc_in_ready\n`ifdef DBG_TRACE_DEPTH\n   , output trace\n`endif\n   );",
     "whether DBG_TRACE_DEPTH is defined"),
    ("width_macro", "input clk,", "input [`DBG_SUBNET_BITS-1:0] subnet, input clk,",
     "`DBG_SUBNET_BITS is not defined; it may come from \"dbg_config.vh\""),
]


@pytest.mark.parametrize("label, old, new, message", DEPENDENT, ids=[d[0] for d in DEPENDENT])
def test_what_the_missing_header_decides_is_refused(layout, tools, label, old, new, message):
    tile = layout / "my_noc" / "rtl" / "compute_tile.sv"
    text = tile.read_text()
    assert old in text
    tile.write_text(text.replace(old, new))
    refused = generate_with_nocgen(layout, tools)
    assert refused.returncode == 1 and message in refused.stderr, refused.stderr
    assert "compute_tile.sv" in refused.stderr
    assert [d.code for d in noc_soc.check(layout / "my_noc")] == ["NOC014"]
    with pytest.raises(noc_soc.GeneratorError, match="dbg_config.vh"):
        noc_soc.soc_generator_noc(layout / "my_noc", "noc_soc.json")
    found = run([tools["nocgen"], "ports", "rtl/compute_tile.sv", "-I", "../framework/include"],
                layout / "my_noc")
    assert found.returncode == 0, found.stderr


def write_unit_design(root):
    """A router whose widths come from a defines file that only the build's file list names."""
    (root / "build").mkdir(parents=True)
    (root / "build" / "defines.svh").write_text(
        "`define INV_PARAM(name) parameter name = 4\n`define ROUTER_FLIT_WIDTH 64\n")
    (root / "build" / "sim.f").write_text("// the simulation's file list\n+incdir+../framework/include\n"
                                          "defines.svh\n")
    router = root / "my_noc" / "rtl" / "noc_router.sv"
    router.write_text(router.read_text().replace('`include "router_defs.vh"\n', "")
                      .replace("parameter DESTS = 32)", "parameter DESTS = 32,\n    `INV_PARAM(VCS))"))


def test_file_lists_make_one_compilation_unit(layout, tools):
    write_unit_design(layout)
    design = layout / "my_noc"
    refused = run([tools["nocgen"], "check", "."], design)
    assert refused.returncode == 1 and "`ROUTER_FLIT_WIDTH is not defined" in refused.stdout
    ports = run([tools["nocgen"], "ports", "rtl/noc_router.sv", "-F", "../build/sim.f"], design)
    assert ports.returncode == 0, ports.stderr
    report = json.loads(ports.stdout)
    assert [p["name"] for p in report["parameters"]][-1] == "VCS"
    assert ["FLIT_WIDTH", "64"] == [report["parameters"][0]["name"],
                                   report["parameters"][0]["default"]]
    # -f: paths in the list are relative to the working directory, here the list's own folder.
    done = run([tools["nocgen"], "generate", "../my_noc", "-f", "sim.f", "--depfile", "top.d", "-q"],
               layout / "build")
    assert done.returncode == 0, done.stderr
    assert "defines.svh" in (layout / "build" / "top.d").read_text()
    first = (design / "noc_soc.sv").read_bytes()
    cwd = os.getcwd()
    os.chdir(layout / "build")
    try:
        noc_soc.soc_generator_noc("../my_noc", "noc_soc.json", file_lists=["sim.f"])
        assert noc_soc.check("../my_noc", file_lists="sim.f") == []
        router = noc_soc.ExtractRtl("../my_noc", "rtl/noc_router.sv", file_lists=["sim.f"])
        router.extract_param()
        assert router.params[-1] == ("VCS", "4")
    finally:
        os.chdir(cwd)
    assert (design / "noc_soc.sv").read_bytes() == first


@needs_verilator
def test_verify_compiles_the_packages_a_file_list_names(layout, tools):
    """A tile parameter typed by a package kept outside the design, named only by the list."""
    (layout / "build").mkdir()
    (layout / "build" / "tile_pkg.sv").write_text(
        "package tile_pkg;\n  typedef logic [3:0] irq_mask_t;\nendpackage\n")
    (layout / "build" / "sim.f").write_text("tile_pkg.sv\n")
    tile = layout / "my_noc" / "rtl" / "compute_tile.sv"
    tile.write_text(tile.read_text().replace(
        "#(parameter config_t CONFIG = 'x,",
        "#(parameter config_t CONFIG = 'x,\n    parameter tile_pkg::irq_mask_t IRQ_MASK = '0,"))
    design = layout / "my_noc"
    assert run([tools["nocgen"], "generate", ".", "-q"], design).returncode == 0
    without = run([tools["nocgen"], "verify", "."], design)
    assert without.returncode == 1 and "tile_pkg" in without.stderr
    done = run([tools["nocgen"], "verify", ".", "-F", "../build/sim.f"], design)
    assert done.returncode == 0, done.stdout + done.stderr
    assert "4 of 4 links and 4 of 4 tiles proven" in done.stdout


def test_python_keywords_take_defines_in_both_forms(layout):
    tile = layout / "my_noc" / "rtl" / "compute_tile.sv"
    tile.write_text(tile.read_text().replace(
        "input clk,", "input clk,\n`ifdef WITH_IRQ\n   input irq,\n`endif\n"))
    base = layout / "my_noc"

    def inputs(**keywords):
        x = noc_soc.ExtractRtl(base, "rtl/compute_tile.sv",
                               include_dirs=layout / "framework" / "include", **keywords)
        x.extract_io()
        return [p[p[-1]] for p in x.inputs][:2]

    assert inputs() == ["clk", "rst_cpu"]
    assert inputs(defines={"WITH_IRQ": None}) == ["clk", "irq"]
    assert inputs(defines=["WITH_IRQ=1"]) == ["clk", "irq"]
    assert inputs(defines=["WITH_IRQ"], undefines=["WITH_IRQ"]) == ["clk", "rst_cpu"]
    with pytest.raises(TypeError):
        noc_soc.soc_generator_noc(base, "noc_soc.json", [layout / "framework" / "include"])


# (working directory below the copy, what is passed) for `nocgen ports`: a bare name, ./, ../,
# an absolute path; the base directory defaults to the file's own folder.
PORT_PATHS = [
    ("inside_bare_name", "my_noc/rtl", "noc_router.sv"),
    ("inside_dot_slash", "my_noc/rtl", "./noc_router.sv"),
    ("beside_dot_dot", "my_noc/rtl", "../rtl/noc_router.sv"),
    ("from_the_design", "my_noc", "rtl/noc_router.sv"),
    ("from_outside", ".", "my_noc/rtl/noc_router.sv"),
    ("absolute", ".", "{root}/my_noc/rtl/noc_router.sv"),
]


@pytest.mark.parametrize("label, cwd, path", PORT_PATHS, ids=[p[0] for p in PORT_PATHS])
def test_ports_reads_paths_as_users_write_them(layout, tools, label, cwd, path):
    done = run([tools["nocgen"], "ports", path.format(root=layout), "-I",
                layout / "framework" / "include"], layout / cwd)
    assert done.returncode == 0, done.stderr
    assert json.loads(done.stdout)["module_names"] == ["noc_router"]


# (working directory, BASE_DIR) with sources named "rtl/..." in the description.
BASE_DIRS = [("dot", "my_noc", "."), ("dot_dot", "my_noc/rtl", ".."),
             ("through_a_sibling", "framework", "../framework/../my_noc"),
             ("from_outside", ".", "my_noc")]


@pytest.mark.parametrize("label, cwd, base", BASE_DIRS, ids=[b[0] for b in BASE_DIRS])
def test_relative_base_directories_on_every_entry(layout, tools, reference, label, cwd, base):
    where = layout / cwd
    checked = run([tools["nocgen"], "check", base], where)
    assert checked.returncode == 0, checked.stdout
    generated = run([tools["nocgen"], "generate", base, "-q"], where)
    assert generated.returncode == 0, generated.stderr
    assert (layout / "my_noc" / "noc_soc.sv").read_bytes() == reference
    (layout / "my_noc" / "noc_soc.sv").unlink()
    assert run([tools["noc_soc_run"], base], where).returncode == 0
    assert (layout / "my_noc" / "noc_soc.sv").read_bytes() == reference
    cwd_before = os.getcwd()
    os.chdir(where)
    try:
        assert noc_soc.check(base) == []
    finally:
        os.chdir(cwd_before)


def test_an_include_outside_the_base_is_refused_naming_dash_i(layout, tools):
    tile = layout / "my_noc" / "rtl" / "compute_tile.sv"
    tile.write_text(tile.read_text().replace('`include "dbg_config.vh"',
                                             '`include "../../framework/include/dbg_config.vh"'))
    done = generate_with_nocgen(layout, tools)
    assert done.returncode == 1
    assert "outside the base directory" in done.stderr and "-I" in done.stderr
