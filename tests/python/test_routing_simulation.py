"""The proof that routing works: `generate --routing auto` writes a top that nobody edits, around
a router that really routes (table-driven from ROUTES, wormhole, round-robin) and tiles that read
their own number, and Verilator runs it until every tile channel has sent one packet to every
other one. Every packet must arrive once, at the right tile and channel, unchanged."""
import collections
import os
import pathlib
import re
import shutil
import subprocess

import pytest

from conftest import needs_verilator

pytestmark = needs_verilator

SOURCE_DIR = pathlib.Path(os.environ["NOC_SOURCE_DIR"])
EXAMPLE = SOURCE_DIR / "examples" / "mesh_2x2"
FIXTURE = SOURCE_DIR / "tests" / "fixtures" / "routing"
# The routing router of the bundled example: table-driven from ROUTES.
ROUTER = SOURCE_DIR / "examples" / "routing_3x3" / "noc_router.sv"
SOURCES = ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv", "noc_router.sv",
           "compute_tile.sv", "noc_soc.sv", "tb_noc_top.sv"]

# Seven routers, R_1 and R_3 carrying traffic alone (no tiles).
IRREGULAR = {
    "R_0": ["R_1", "R_3", "T_0"], "R_1": ["R_0", "R_2", "R_3"], "R_2": ["R_1", "R_3", "T_2"],
    "R_3": ["R_0", "R_1", "R_2", "R_4", "R_5"], "R_4": ["R_3", "R_6", "T_4"],
    "R_5": ["R_3", "R_6", "T_5"], "R_6": ["R_4", "R_5", "T_6"],
}


def irregular_description():
    nodes = {name: {"is_Router": True, "neighbors": neighbours,
                    "top_module_fname": "noc_router.sv"} for name, neighbours in IRREGULAR.items()}
    for name, neighbours in IRREGULAR.items():
        for tile in (n for n in neighbours if n.startswith("T_")):
            nodes[tile] = {"is_Router": False, "neighbors": [name],
                           "top_module_fname": "compute_tile.sv"}
    import json
    return json.dumps(nodes, indent=1)


NETWORKS = {
    "mesh_3x3": (["mesh", "3x3"], "xy"),
    "torus_4x4": (["torus", "4x4"], "updown"),
    "ring_8": (["ring", "8"], "updown"),
    "mesh_3x2_two_tiles": (["mesh", "3x2", "--tiles-per-router", "2"], "xy"),
    "irregular_with_transit_routers": (None, "updown"),
}


def run(*args, cwd=None):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, cwd=cwd,
                          timeout=600)


@pytest.mark.parametrize("name", NETWORKS)
def test_every_packet_arrives_once_at_its_tile(name, tools, tmp_path):
    topology, algorithm = NETWORKS[name]
    design = tmp_path / "design"
    design.mkdir()
    for source in ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv",
                   "dbg_config.vh"]:
        shutil.copy(EXAMPLE / source, design)
    for source in [*FIXTURE.iterdir(), ROUTER]:
        shutil.copy(source, design)
    if topology:
        assert run(tools["nocgen"], "topology", *topology, "-o",
                   design / "noc_soc.json").returncode == 0
    else:
        (design / "noc_soc.json").write_text(irregular_description())
    routes = run(tools["nocgen"], "routes", ".", "--format", "json", cwd=design)
    assert routes.returncode == 0, routes.stderr
    destinations = len(re.findall(r'"channel":', routes.stdout.split('"routers"')[0]))
    assert f'"routing": "{algorithm}"' in routes.stdout
    (design / "traffic.vh").write_text(f"`define NOC_DESTS {destinations}\n"
                                       f"`define NOC_CYCLES {200 * destinations}\n")
    done = run(tools["nocgen"], "generate", ".", "--routing", "auto", "-q", cwd=design)
    assert done.returncode == 0, done.stderr
    built = run("verilator", "--binary", "--timing", "-Wno-fatal", "-Wno-lint", "-Wno-style",
                "--top-module", "tb_noc_top", "-I.", "-j", "2", *SOURCES, cwd=design)
    assert built.returncode == 0, built.stdout[-3000:] + built.stderr[-3000:]
    simulated = run(design / "obj_dir" / "Vtb_noc_top", cwd=design)
    assert simulated.returncode == 0, simulated.stderr[-2000:]
    received = collections.Counter()
    for line in simulated.stdout.splitlines():
        if not line.startswith("RECV "):
            continue
        _, at, dest, source, payload_dest, payload = line.split()
        assert int(at) == int(dest), f"a packet for {dest} arrived at {at}: {line}"
        assert int(payload, 16) == 0xA5000000 | int(source) << 8 | int(dest), f"corrupted: {line}"
        received[(int(source), int(dest))] += 1
    expected = {(s, d) for s in range(destinations) for d in range(destinations) if s != d}
    missing = sorted(expected - set(received))
    twice = sorted(pair for pair, count in received.items() if count > 1)
    assert not missing, f"{len(missing)} of {len(expected)} packets never arrived: {missing[:10]}"
    assert not twice, f"packets arrived twice: {twice[:10]}"
    assert set(received) == expected


def test_verify_holds_the_top_to_the_routing_it_names(tools, tmp_path):
    design = tmp_path / "design"
    design.mkdir()
    for source in ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv",
                   "dbg_config.vh"]:
        shutil.copy(EXAMPLE / source, design)
    for source in [*FIXTURE.iterdir(), ROUTER]:
        shutil.copy(source, design)
    (design / "traffic.vh").write_text("`define NOC_DESTS 18\n`define NOC_CYCLES 10\n")
    assert run(tools["nocgen"], "topology", "mesh", "3x3", "-o", design / "noc_soc.json",
               cwd=design).returncode == 0
    assert run(tools["nocgen"], "generate", ".", "--routing", "xy", "-q", cwd=design).returncode == 0
    proven = run(tools["nocgen"], "verify", ".", "--routing", "auto", cwd=design)
    assert proven.returncode == 0, proven.stdout + proven.stderr
    assert "the xy routing every module asks for" in proven.stdout
    assert "NOC128" not in proven.stderr
    other = run(tools["nocgen"], "verify", ".", "--routing", "updown", cwd=design)
    assert other.returncode == 1
    assert re.search(r"noc_router_R_\d_inst: ROUTES sends destination \d+ by slot \d, while "
                     r"updown routing sends it by slot \d", other.stdout), other.stdout
    assert run(tools["nocgen"], "generate", ".", "-q", cwd=design).returncode == 0
    plain = run(tools["nocgen"], "verify", ".", "--routing", "xy", cwd=design)
    assert plain.returncode == 1
    assert "noc_router_R_0_inst: ROUTES is not given: the router keeps its default" in plain.stdout
    assert "compute_tile_T_0_inst: ID is not given, while its number is 0" in plain.stdout
