"""`nocgen verify` on hand-miswired copies of a correct top: each must fail, naming the node,
port and slot that is wrong."""
import subprocess

import pytest

from conftest import needs_verilator

pytestmark = needs_verilator

# name: (text in the correct top, its replacement, lines the report must hold)
MISWIRES = {
    "swapped_valid_elements": (
        "{noc_out_valid_R_0_EP[0],in_valid_R_0_1,in_valid_R_0_2}",
        "{noc_out_valid_R_0_EP[0],in_valid_R_0_2,in_valid_R_0_1}",
        ["R_0.in_valid[0] receives R_1.out_valid[1]; the description links R_0 slot 0 to R_2",
         "R_0.in_valid[1] receives R_2.out_valid[1]; the description links R_0 slot 1 to R_1"]),
    "tile_on_another_routers_endpoint": (
        ".noc_in_flit (noc_in_flit_R_0_EP[0])",
        ".noc_in_flit (noc_in_flit_R_1_EP[0])",
        ["T_0.noc_in_flit[0] receives R_1.out_flit[2]; the description links T_0 channel 0 to "
         "R_0 slot 2"]),
    "link_wire_of_another_link": (
        ".in_flit ({noc_out_flit_R_1_EP[0],out_flit_R_0_1,in_flit_R_1_3})",
        ".in_flit ({noc_out_flit_R_1_EP[0],out_flit_R_0_2,in_flit_R_1_3})",
        ["R_1.in_flit[1] receives R_0.out_flit[0]; the description links R_1 slot 1 to R_0"]),
    "element_dropped": (
        "{noc_out_last_R_0_EP[0],in_last_R_0_1,in_last_R_0_2}",
        "{noc_out_last_R_0_EP[0],in_last_R_0_1}",
        ["R_0.in_last[0] receives R_1.out_last[1]; the description links R_0 slot 0 to R_2",
         "R_0.in_last[3] is not driven; the description links R_0 slot 3 to T_0 channel 1"]),
    "wire_driven_twice": (
        ".out_flit ({noc_in_flit_R_1_EP[0],in_flit_R_0_1,out_flit_R_1_3})",
        ".out_flit ({noc_in_flit_R_1_EP[0],out_flit_R_0_1,out_flit_R_1_3})",
        ["wire out_flit_R_0_1 is driven by R_0.out_flit and R_1.out_flit",
         "R_0.in_flit[1] is not driven; the description links R_0 slot 1 to R_1"]),
    "tile_output_on_another_tiles_endpoint": (
        ".noc_out_flit (noc_out_flit_R_1_EP[0])",
        ".noc_out_flit (noc_out_flit_R_0_EP[0])",
        ["wire noc_out_flit_R_0_EP[0] is driven by T_0.noc_out_flit and T_1.noc_out_flit",
         "R_1.in_flit[2] is not driven; the description links R_1 slot 2 to T_1 channel 0",
         "2 of 4 tiles proven"]),
    "tile_clock_on_reset": (
        "compute_tile_T_0_inst(\n.clk (clk),",
        "compute_tile_T_0_inst(\n.clk (rst),",
        ["T_0.clk[0] receives noc_top.rst[0]; the description links noc_top.clk to T_0.clk"]),
    "router_reset_unconnected": (
        "noc_router_R_1_inst(\n.clk (clk),\n.rst (rst),",
        "noc_router_R_1_inst(\n.clk (clk),\n.rst (),",
        ["R_1.rst[0] is not driven; the description links noc_top.rst to R_1.rst"]),
}


@pytest.mark.parametrize("name", MISWIRES)
def test_miswired_top_fails_naming_the_node(name, example, tools):
    subprocess.run([tools["nocgen"], "generate", "-q", str(example)], check=True)
    before, after, expected = MISWIRES[name]
    top = example / "noc_soc.sv"
    text = top.read_text()
    assert text.count(before) == 1
    miswired = example / "miswired.sv"
    miswired.write_text(text.replace(before, after))
    result = subprocess.run([tools["nocgen"], "verify", str(example), "--top", str(miswired)],
                            capture_output=True, text=True)
    assert result.returncode == 1, result.stdout + result.stderr
    for line in expected:
        assert line in result.stdout, result.stdout
    assert "problem" in result.stdout.splitlines()[-1]
