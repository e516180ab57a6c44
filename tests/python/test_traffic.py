"""`nocgen traffic` runs the user's own routers (here a table-driven wormhole router) under
traffic: every packet arrives once, where it was sent, unchanged, on every kind of network; a
router that drops packets, one that swaps two outputs and routes that can deadlock are each
named; a load sweep gives latencies that rise with the load, a CSV and an SVG plot."""
import csv
import os
import pathlib
import re
import shutil
import subprocess
import xml.etree.ElementTree as ElementTree

import pytest

from conftest import needs_verilator
from test_routing_simulation import irregular_description

pytestmark = needs_verilator

SOURCE_DIR = pathlib.Path(os.environ["NOC_SOURCE_DIR"])
EXAMPLE = SOURCE_DIR / "examples" / "mesh_2x2"
ROUTER = SOURCE_DIR / "examples" / "routing_3x3" / "noc_router.sv"


def design_with(tmp_path, topology, router_text=None):
    """A design laid out as a user lays it out: the description, the router, the tile and the
    packages in one folder."""
    design = tmp_path / "design"
    design.mkdir()
    for source in ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv",
                   "dbg_config.vh", "compute_tile.sv"]:
        shutil.copy(EXAMPLE / source, design)
    (design / "noc_router.sv").write_text(router_text or ROUTER.read_text())
    if topology:
        done = subprocess.run([os.environ["NOCGEN"], "topology", *topology, "-o",
                               design / "noc_soc.json"], capture_output=True, text=True)
        assert done.returncode == 0, done.stderr
    else:
        (design / "noc_soc.json").write_text(irregular_description())
    return design


def traffic(design, *args):
    return subprocess.run([os.environ["NOCGEN"], "traffic", ".", *map(str, args)], cwd=design,
                          capture_output=True, text=True, timeout=900)


def broken(replacements):
    text = ROUTER.read_text()
    for old, new in replacements:
        assert old in text, old
        text = text.replace(old, new)
    return text


@pytest.mark.parametrize("topology", [["mesh", "3x3"], ["torus", "4x4"], ["ring", "8"],
                                      ["mesh", "3x2", "--tiles-per-router", "2"], None],
                         ids=["mesh_3x3", "torus_4x4", "ring_8", "mesh_two_tiles", "irregular"])
def test_all_pairs_delivers_every_packet(topology, tmp_path):
    done = traffic(design_with(tmp_path, topology))
    assert done.returncode == 0, done.stdout + done.stderr
    delivered = re.search(r"all-pairs: (\d+) of (\d+) packets delivered in \d+ cycles", done.stdout)
    assert delivered and delivered[1] == delivered[2], done.stdout
    assert "every packet arrived once, where it was sent, unchanged" in done.stdout


# Packets for destination 5 are taken from the input and never offered at the output.
DROPS_DESTINATION_5 = [
    ("  logic [OUTPUTS-1:0] busy;", "  logic [OUTPUTS-1:0] busy, dropping;"),
    ("assign out_valid[o] = busy[o] && nonempty[owner[o]];",
     "assign out_valid[o] = busy[o] && nonempty[owner[o]] && !dropping[o];"),
    ("if (out_valid[o] && out_ready[o]) pop[owner[o]] = 1'b1;",
     "if (busy[o] && nonempty[owner[o]] && (dropping[o] || out_ready[o])) pop[owner[o]] = 1'b1;"),
    ("if (out_valid[o] && out_ready[o] && out_last[o]) begin",
     "if (busy[o] && nonempty[owner[o]] && (dropping[o] || out_ready[o]) && out_last[o]) begin"),
    ("          busy[o] <= 1'b1;",
     "          busy[o] <= 1'b1;\n"
     "          dropping[o] <= fifo[granted[o]][0][FLIT_WIDTH-1 -: DW] == DW'(5);"),
]

# Whatever ROUTES says, output 0 and output 1 trade places.
SWAPS_OUTPUTS_0_AND_1 = [("want[i] = OW'(o);", "want[i] = OW'(o == 0 ? 1 : o == 1 ? 0 : o);")]


def test_a_router_that_drops_packets_is_named(tmp_path):
    done = traffic(design_with(tmp_path, ["mesh", "3x3"], broken(DROPS_DESTINATION_5)))
    assert done.returncode == 1, done.stdout + done.stderr
    assert "no router output offers a flit: the routes have no cycle, so a router dropped " \
           "them; they were last seen entering R_" in done.stdout, done.stdout
    assert re.search(r"packet \d+ → 5 #\d+ did not arrive", done.stdout), done.stdout


def test_a_router_that_swaps_two_outputs_is_named(tmp_path):
    done = traffic(design_with(tmp_path, ["mesh", "3x3"], broken(SWAPS_OUTPUTS_0_AND_1)))
    assert done.returncode == 1, done.stdout + done.stderr
    assert re.search(r"R_\d sent it out of slot 1, while its ROUTES send destination \d+ by "
                     r"slot 0", done.stdout), done.stdout


def test_routes_that_can_deadlock_are_refused_or_deadlock_by_name(tmp_path):
    design = design_with(tmp_path, ["ring", "8"])
    refused = traffic(design, "--routing", "shortest")
    assert refused.returncode == 1 and "[NOC028]" in refused.stderr, refused.stderr
    done = traffic(design, "--routing", "shortest", "--allow-deadlock", "--packet-flits", "8")
    assert done.returncode == 1, done.stdout + done.stderr
    assert re.search(r"the network stalled at cycle \d+: no flit moved for \d+ cycles with \d+ "
                     r"packets in the network: a deadlock, since the shortest routes' channel "
                     r"dependency graph has the cycle R_\d out \d → ", done.stdout), done.stdout
    assert re.search(r"R_\d out \d \(to R_\d\) holds packet \d+ → \d+ #\d+, not taken",
                     done.stdout), done.stdout


def test_a_sweep_rises_with_the_load_and_writes_its_csv_and_plot(tmp_path):
    design = design_with(tmp_path, ["mesh", "4x4"])
    done = traffic(design, "--pattern", "uniform", "--rates", "0.04:0.2:0.04", "--csv", "t.csv",
                   "--plot", "t.svg", "--warmup", "300", "--measure", "1000")
    assert done.returncode == 0, done.stdout + done.stderr
    rows = list(csv.DictReader((design / "t.csv").open()))
    assert [row["offered"] for row in rows] == ["0.04", "0.08", "0.12", "0.16", "0.2"]
    latencies = [float(row["latency_avg"]) for row in rows]
    assert latencies == sorted(latencies) and latencies[-1] > latencies[0], latencies
    for row in rows:  # below saturation the network takes what is offered
        assert abs(float(row["accepted"]) - float(row["offered"])) < 0.3 * float(row["offered"])
    svg = ElementTree.parse(design / "t.svg").getroot()
    ns = {"svg": "http://www.w3.org/2000/svg"}
    [line] = svg.findall(".//svg:polyline", ns)
    assert len(line.get("points").split()) == 5
    texts = [t.text for t in svg.iter("{http://www.w3.org/2000/svg}text")]
    assert "offered load (flits per cycle per source)" in texts
    assert "average packet latency (cycles)" in texts


def test_outputs_never_replace_a_file_the_design_is_read_from(tmp_path):
    design = design_with(tmp_path, ["mesh", "2x2"])
    before = (design / "noc_router.sv").read_text()
    done = traffic(design, "--csv", "noc_router.sv")
    assert done.returncode == 1 and "--csv" in done.stderr, done.stderr
    assert (design / "noc_router.sv").read_text() == before


def test_python_returns_the_numbers_as_plain_data(tmp_path):
    import noc_soc
    design = design_with(tmp_path, ["mesh", "2x2"])
    result = noc_soc.traffic(design, patterns=["all-pairs", "hotspot"], rates=(0.05, 0.1, 0.05),
                             warmup=200, measure=500)
    assert result["passed"] and result["routing"] == "xy" and result["network"] == "a 2 x 2 mesh"
    assert result["dest_field"] == [31, 27] and result["destinations"] == 8
    all_pairs, *loads = result["points"]
    assert all_pairs["pattern"] == "all-pairs" and all_pairs["offered"] is None
    assert all_pairs["packets_delivered"] == all_pairs["packets_created"] == 8 * 7
    assert [p["offered"] for p in loads] == [0.05, 0.1] and all(p["problems"] == [] for p in loads)
    assert [p["pattern"] for p in result["patterns"]] == ["all-pairs", "hotspot"]
    with pytest.raises(ValueError, match="^patterns: "):
        noc_soc.traffic(design, patterns=["random"])
    with pytest.raises(noc_soc.GeneratorError, match="--dest-field 1:0 holds 2 bits, too few to "
                                                     "number 8 destinations"):
        noc_soc.traffic(design, dest_field="1:0")
    with pytest.raises(noc_soc.GeneratorError, match="a flit of 8 bits leaves 4 bits beside"):
        noc_soc.traffic(design, dest_field="3:0", flit_width=8)


def test_python_verify_holds_the_top_to_a_routing(tmp_path):
    import noc_soc
    design = design_with(tmp_path, ["mesh", "2x2"])
    noc_soc.generate(design, routing="xy")
    assert noc_soc.verify(design, routing="xy").proven
    result = noc_soc.verify(design, routing="updown")
    assert not result.proven
    assert any("ROUTES sends destination" in problem for problem in result.problems)


# The destination read from the lowest bits of the first flit instead of the top ones.
READS_THE_LOW_BITS = [("fifo[i][0][FLIT_WIDTH-1 -: DW]", "fifo[i][0][DW-1:0]")]


def test_a_router_that_reads_the_destination_elsewhere_is_run_with_dest_field(tmp_path):
    design = design_with(tmp_path, ["mesh", "2x2"], broken(READS_THE_LOW_BITS))
    misread = traffic(design)
    assert misread.returncode == 1
    assert "every router turns against its table: if they read the destination from other " \
           "bits than 31:27, give those with --dest-field HI:LO" in misread.stdout, misread.stdout
    done = traffic(design, "--dest-field", "4:0", "--packet-flits", "1")
    assert done.returncode == 0, done.stdout + done.stderr
    assert "the destination in bits 4:0" in done.stdout


def test_work_kept_below_the_design_is_no_source_of_the_next_run(tmp_path):
    """A first run's kept work holds the harness's package, the framework stand-ins and a bench:
    a second run reads none of them as the design's."""
    design = design_with(tmp_path, ["mesh", "2x2"])
    assert traffic(design, "--keep", "first").returncode == 0
    done = traffic(design, "--keep", "second")
    assert done.returncode == 0, done.stdout + done.stderr
    assert "NOC_FLIT_WIDTH from noc_router's FLIT_WIDTH default" in done.stdout
