"""`nocgen verify` names the root cause before the per-bit lines: a connection whose widths
differ, with the parameter that explains it; the values the simulation ran with come from the
design; old-style tiles and virtual-channel routers verify."""
import json
import re
import subprocess

import pytest

from conftest import needs_verilator

pytestmark = needs_verilator


def run(*args, cwd=None):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, cwd=cwd)


def edit(path, old, new):
    text = path.read_text()
    assert old in text, old
    path.write_text(text.replace(old, new))


def verify(tools, design, *flags):
    assert run(tools["nocgen"], "generate", "-q", design).returncode == 0
    return run(tools["nocgen"], "verify", design, *flags)


def test_a_router_with_its_own_virtual_channels_is_one_root_cause_line(example, tools):
    router = example / "noc_router.sv"
    edit(router, "parameter DESTS = 32)", "parameter DESTS = 32, parameter VCHANNELS = 3)")
    edit(router, "input [INPUTS-1:0] in_valid,", "input [INPUTS-1:0][VCHANNELS-1:0] in_valid,")
    done = verify(tools, example)
    assert done.returncode == 1
    causes = [line for line in done.stdout.splitlines() if line.startswith("width: ")]
    assert len(causes) == 2, done.stdout
    instances = ("noc_router_R_0_inst, noc_router_R_1_inst, noc_router_R_2_inst, "
                 "noc_router_R_3_inst")
    assert re.fullmatch(rf"width: noc_router port in_valid is 12 bits, but noc_top connects 4 to 6 "
                        rf"bits to it on 4 instances \({instances}; line \d+\): noc_router's "
                        rf"VCHANNELS = 3; noc_top's VCHANNELS = 2", causes[0]), causes[0]
    assert re.fullmatch(r"width: noc_router port out_valid is 4 bits, .*: its link wires are "
                        r"declared with the dimensions of in_valid, where noc_router's VCHANNELS "
                        r"= 3; noc_top's VCHANNELS = 2", causes[1]), causes[1]
    lines = done.stdout.splitlines()
    assert lines[:2] == causes  # before every per-bit line
    assert len(lines) <= 2 + 20 + 2, done.stdout


def test_more_channels_than_router_slots_names_the_flag(example, tools):
    done = verify(tools, example, "--channels", "3")
    assert done.returncode == 1
    assert re.search(r"^width: noc_router port in_flit is \d+ bits, but noc_top connects \d+ bits "
                     r".*: noc_top gives every tile two slots of its router, and this simulation "
                     r"has NOC_CHANNELS = 3 \(--channels\)$", done.stdout, re.M), done.stdout
    assert re.search(r"\.\.\. and \d+ more \(--all shows them\)$", done.stdout, re.M)
    everything = run(tools["nocgen"], "verify", example, "--channels", "3", "--all")
    assert "--all shows them" not in everything.stdout
    assert len(everything.stdout.splitlines()) > len(done.stdout.splitlines())


def test_the_simulation_takes_the_designs_configuration(example, tools):
    done = verify(tools, example)
    assert done.returncode == 0, done.stdout
    assert done.stdout.rstrip().endswith(
        "with NOC_FLIT_WIDTH 32 (tb_noc_top.sv) and NOC_CHANNELS 2 (tb_noc_top.sv)"), done.stdout
    (example / "tb_noc_top.sv").unlink()
    edit(example / "noc_router.sv", "parameter FLIT_WIDTH = 32", "parameter FLIT_WIDTH = 16")
    done = verify(tools, example)
    assert done.returncode == 0, done.stdout
    assert "NOC_FLIT_WIDTH 16 (noc_router's FLIT_WIDTH default) and NOC_CHANNELS 2 (the default)" \
        in done.stdout
    done = run(tools["nocgen"], "verify", example, "--flit-width", "24")
    assert "NOC_FLIT_WIDTH 24 (--flit-width)" in done.stdout


OLD_STYLE_TILE = """`include "dbg_config.vh"
module compute_tile(clk, rst_sys, noc_in_flit, noc_in_last, noc_in_valid, noc_out_ready,
                    noc_out_flit, noc_out_last, noc_out_valid, noc_in_ready);
  import optimsoc_config::*;
  parameter config_t CONFIG = 'x;
  localparam CHANNELS = CONFIG.NOC_CHANNELS;
  localparam FLIT_WIDTH = CONFIG.NOC_FLIT_WIDTH;
  input clk, rst_sys;
  input [CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit;
  input [CHANNELS-1:0] noc_in_last, noc_in_valid, noc_out_ready;
  output [CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit;
  output [CHANNELS-1:0] noc_out_last, noc_out_valid, noc_in_ready;
  assign noc_out_flit = '0;
  assign noc_out_last = '0;
  assign noc_out_valid = '0;
  assign noc_in_ready = '0;
endmodule
"""


def test_an_old_style_tile_importing_in_its_body_verifies(example, tools):
    (example / "compute_tile.sv").write_text(OLD_STYLE_TILE)
    done = verify(tools, example)
    assert done.returncode == 0, done.stdout + done.stderr
    assert "4 of 4 links and 4 of 4 tiles proven" in done.stdout


VC_PACKAGE = "package soc_pkg;\n  localparam int NOC_VCS = 2;\nendpackage\n"


@pytest.fixture
def vc_design(example, tools):
    """A 4x4 mesh whose routers carry a virtual-channel dimension from a package on valid and
    ready, with two tiles on the four corner routers."""
    (example / "soc_pkg.sv").write_text(VC_PACKAGE)
    router = example / "noc_router.sv"
    for port in ("in_valid", "in_ready", "out_valid", "out_ready"):
        side = "INPUTS" if port.startswith("in") else "OUTPUTS"
        edit(router, f"[{side}-1:0] {port}", f"[{side}-1:0][soc_pkg::NOC_VCS-1:0] {port}")
    for assignment in ("assign out_valid[k] = 1'b1;", "assign in_ready = '1;"):
        edit(router, assignment, assignment.replace("1'b1", "'1"))
    tile = example / "compute_tile.sv"
    for port in ("noc_in_valid", "noc_out_ready", "noc_out_valid", "noc_in_ready"):
        edit(tile, f"[CHANNELS-1:0] {port}", f"[CHANNELS-1:0][soc_pkg::NOC_VCS-1:0] {port}")
    run(tools["nocgen"], "topology", "mesh", "4x4", "--force", "-o", example / "noc_soc.json")
    nodes = json.loads((example / "noc_soc.json").read_text())
    for corner in ("R_0", "R_3", "R_12", "R_15"):
        extra = f"T_{corner}_b"
        nodes[corner]["neighbors"].append(extra)
        nodes[extra] = {"is_Router": False, "neighbors": [corner],
                        "top_module_fname": "compute_tile.sv"}
    (example / "noc_soc.json").write_text(json.dumps(nodes))
    return example


def test_virtual_channel_routers_verify(vc_design, tools):
    checked = run(tools["nocgen"], "check", "--werror", vc_design)
    assert checked.returncode == 0, checked.stdout
    done = verify(tools, vc_design)
    assert done.returncode == 0, done.stdout + done.stderr
    assert "24 of 24 links and 20 of 20 tiles proven" in done.stdout, done.stdout


def test_virtual_channels_of_the_router_alone_are_one_root_cause(vc_design, tools):
    router = vc_design / "noc_router.sv"
    edit(router, "parameter DESTS = 32)", "parameter DESTS = 32, parameter VCHANNELS = 3)")
    edit(router, "[INPUTS-1:0][soc_pkg::NOC_VCS-1:0] in_valid",
         "[INPUTS-1:0][VCHANNELS-1:0] in_valid")
    done = verify(tools, vc_design)
    assert done.returncode == 1
    causes = [line for line in done.stdout.splitlines() if line.startswith("width: ")]
    assert len(causes) >= 1 and all("noc_router port in_valid" in c for c in causes), done.stdout
    assert all(c.endswith("noc_router's VCHANNELS = 3; noc_top's VCHANNELS = 2") for c in causes)
