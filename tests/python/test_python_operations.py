"""noc_soc.generate, noc_soc.verify and noc_soc.dot return what nocgen prints, as values."""
import shutil
import signal
import threading
import time

import pytest

import noc_soc


def test_generate_returns_the_summary_and_writes_where_asked(example, tmp_path):
    first = noc_soc.generate(example)
    assert (first.routers, first.tiles, first.links) == (4, 4, 4)
    assert first.path == str(example / "noc_soc.sv") and not first.unchanged
    assert first.bytes == (example / "noc_soc.sv").stat().st_size and first.warnings == []
    assert noc_soc.generate(example).unchanged
    elsewhere = noc_soc.generate(example, output=tmp_path / "top.sv")
    assert elsewhere.path == str(tmp_path / "top.sv") and (tmp_path / "top.sv").is_file()


def test_generate_gives_warnings_as_diagnostics_and_werror_writes_nothing(example):
    tile = example / "compute_tile.sv"
    tile.write_text(tile.read_text().replace("input clk,", "input clk, irq,"))
    done = noc_soc.generate(example)
    assert [w.code for w in done.warnings] == ["NOC124"]
    (example / "noc_soc.sv").unlink()
    with pytest.raises(noc_soc.GeneratorError, match="1 warning with werror=True"):
        noc_soc.generate(example, werror=True)
    assert not (example / "noc_soc.sv").exists()
    assert noc_soc.generate(example, werror=True, waive="NOC124").warnings == []


@pytest.mark.skipif(shutil.which("verilator") is None, reason="verilator is not installed")
def test_verify_returns_the_proof_and_the_values_it_ran_with(example):
    noc_soc.generate(example)
    proof = noc_soc.verify(example)
    assert proof and proof.proven and proof.problems == []
    assert (proof.links_proven, proof.links, proof.tiles_proven, proof.tiles) == (4, 4, 4, 4)
    assert (proof.flit_width, proof.flit_width_from) == (32, "tb_noc_top.sv")
    assert proof.seconds > 0
    wider = noc_soc.verify(example, channels=3)
    assert not wider and wider.root_causes and wider.problems[:len(wider.root_causes)] == \
        wider.root_causes
    assert wider.channels_from == "--channels"
    with pytest.raises(noc_soc.GeneratorError, match="no top to verify"):
        noc_soc.verify(example, top=example / "missing.sv")


@pytest.mark.skipif(shutil.which("verilator") is None, reason="verilator is not installed")
def test_ctrl_c_ends_a_python_verify(example):
    noc_soc.generate(example)
    timer = threading.Timer(0.5, lambda: signal.raise_signal(signal.SIGINT))
    timer.start()
    start = time.monotonic()
    with pytest.raises(KeyboardInterrupt):
        noc_soc.verify(example, cache=False)
    assert time.monotonic() - start < 10


def test_dot_writes_the_graph(example):
    assert noc_soc.dot(example, example / "mesh.dot") == str(example / "mesh.dot")
    assert (example / "mesh.dot").read_text().startswith("graph")
    with pytest.raises(noc_soc.GeneratorError, match="renders no format"):
        noc_soc.dot(example, example / "mesh.nope")


def test_routes_and_generate_with_routing_give_what_nocgen_gives(example):
    routes = noc_soc.routes(example)
    assert routes["routing"] == "xy" and routes["deadlock_free"] and not routes["problems"]
    assert len(routes["destinations"]) == 8 and routes["routers"][0]["name"] == "R_0"
    result = noc_soc.generate(example, routing="updown")
    assert result.routers == 4
    with pytest.raises(ValueError, match="^routing: "):
        noc_soc.generate(example, routing="fastest")
    import json
    (example / "noc_soc.json").write_text(json.dumps(noc_soc.topology("ring", 6, 1)))
    with pytest.raises(noc_soc.GeneratorError, match="W x H mesh"):
        noc_soc.routes(example, routing="xy")
    assert noc_soc.routes(example, routing="shortest")["deadlock_free"] is False
    assert noc_soc.check(example, routing="updown") == []
    [deadlock] = noc_soc.check(example, routing="shortest")
    assert deadlock.code == "NOC028" and "cycle R_" in deadlock.message
    with pytest.raises(ValueError, match="^routing: "):
        noc_soc.check(example, routing="fastest")
