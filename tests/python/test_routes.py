"""`nocgen routes`: the port map, the destination numbers and the tables of the networks
`topology` writes, and the dependency check that names a deadlock."""
import json
import subprocess

import pytest


def nocgen(tools, *args):
    return subprocess.run([tools["nocgen"], *map(str, args)], capture_output=True, text=True,
                          timeout=120)


@pytest.mark.parametrize("kind,size,routing,used", [
    ("mesh", "3x3", "auto", "xy"), ("mesh", "4x2", "xy", "xy"), ("torus", "4x4", "auto", "updown"),
    ("ring", "8", "updown", "updown"), ("mesh", "3x2", "shortest", "shortest")])
def test_routes_deliver_everywhere_without_a_cycle(kind, size, routing, used, example, tools):
    assert nocgen(tools, "topology", kind, size, "--force", "-o",
                  example / "noc_soc.json").returncode == 0
    done = nocgen(tools, "routes", example, "--routing", routing, "--format", "json")
    assert done.returncode == 0, done.stderr
    routes = json.loads(done.stdout)
    assert routes["routing"] == used and routes["deadlock_free"] and not routes["problems"]
    tiles = len([d for d in routes["destinations"] if d["channel"] == 0])
    assert len(routes["destinations"]) == 2 * tiles
    for router in routes["routers"]:
        assert len(router["routes"]) == len(routes["destinations"])
        for slot in router["slots"]:
            if "router" in slot:  # the far end's own slot leads back here
                far = next(r for r in routes["routers"] if r["name"] == slot["router"])
                assert far["slots"][slot["far_slot"]]["router"] == router["name"]


def test_shortest_paths_on_a_ring_are_refused_naming_the_cycle(example, tools):
    nocgen(tools, "topology", "ring", "6", "--force", "-o", example / "noc_soc.json")
    done = nocgen(tools, "routes", example, "--routing", "shortest")
    assert done.returncode == 1
    assert "routes can deadlock: the channels" in done.stderr and " out " in done.stderr
    assert "[NOC028]" in done.stderr
    assert "deadlock:" in done.stdout


def test_check_with_routing_lists_a_deadlock_with_every_other_rule(example, tools):
    nocgen(tools, "topology", "ring", "6", "--force", "-o", example / "noc_soc.json")
    assert nocgen(tools, "check", example, "--routing", "updown").returncode == 0
    done = nocgen(tools, "check", example, "--routing", "shortest", "--format", "json")
    assert done.returncode == 1
    [problem] = json.loads(done.stdout)
    assert problem["code"] == "NOC028" and "cycle R_" in problem["message"]
    done = nocgen(tools, "check", example, "--routing", "xy")
    assert done.returncode == 1 and "W x H mesh" in done.stdout


def test_xy_on_a_network_that_is_no_mesh_says_why(example, tools):
    nocgen(tools, "topology", "torus", "3x3", "--force", "-o", example / "noc_soc.json")
    done = nocgen(tools, "routes", example, "--routing", "xy")
    assert done.returncode == 1
    assert "needs routers that form a W x H mesh" in done.stderr and "updown" in done.stderr


def test_the_table_names_each_slot_and_destination(example, tools):
    done = nocgen(tools, "routes", example)
    assert done.returncode == 0, done.stderr
    assert "routing: xy on a 2 x 2 mesh" in done.stdout
    assert "  slot 0  R_2 by link R_0_2, its slot 1" in done.stdout
    assert "  0  compute_tile_T_0_inst channel 0, at R_0 slot 2" in done.stdout


def test_generate_refuses_routes_that_can_deadlock_and_writes_nothing(example, tools):
    nocgen(tools, "topology", "ring", "6", "--force", "-o", example / "noc_soc.json")
    done = nocgen(tools, "generate", example, "--routing", "shortest")
    assert done.returncode == 1
    assert "routes can deadlock" in done.stderr and "--routing updown" in done.stderr
    assert not (example / "noc_soc.sv").exists()


def test_routing_passes_only_what_a_module_declares(example, tools):
    """The example's router declares no ROUTES and its tile no ID: with routing they get only
    DESTS, which numbers every destination."""
    nocgen(tools, "topology", "mesh", "5x4", "--force", "-o", example / "noc_soc.json")
    assert nocgen(tools, "generate", example, "--routing", "auto", "-q").returncode == 0
    top = (example / "noc_soc.sv").read_text()
    assert ".ROUTES" not in top and ".ID" not in top
    assert ".DESTS      (40)" in top  # 20 tiles, two channels each
    assert nocgen(tools, "generate", example, "-q").returncode == 0
    assert ".DESTS      (32)" in (example / "noc_soc.sv").read_text()


def test_the_routes_package_holds_the_tables_the_top_passes(example, tools, tmp_path):
    import os
    import pathlib
    import re
    import shutil
    shutil.copy(pathlib.Path(os.environ["NOC_SOURCE_DIR"]) / "examples/routing_3x3/noc_router.sv",
                example / "noc_router.sv")
    nocgen(tools, "topology", "torus", "3x3", "--force", "-o", example / "noc_soc.json")
    assert nocgen(tools, "routes", example, "--format", "sv", "-o",
                  tmp_path / "noc_routes.sv").returncode == 0
    assert nocgen(tools, "generate", example, "--routing", "auto", "-q").returncode == 0
    package = (tmp_path / "noc_routes.sv").read_text()
    top = (example / "noc_soc.sv").read_text()
    in_package = re.findall(r"logic \[(R_\d+)_OUTPUTS\*DESTS-1:0\] R_\d+_ROUTES = ([^;]+);", package)
    assert len(in_package) == 9
    for router, literal in in_package:
        head = top.split(f"noc_router_{router}_inst(")[0].rsplit("noc_router\n#(", 1)[1]
        assert f".ROUTES     ({literal})" in head, router
    if shutil.which("verilator"):
        (tmp_path / "user.sv").write_text(
            "module user(output logic [noc_routes::R_4_OUTPUTS-1:0] route);\n"
            "  assign route = noc_routes::R_4_ROUTES[3*noc_routes::R_4_OUTPUTS +: "
            "noc_routes::R_4_OUTPUTS];\nendmodule\n")
        lint = subprocess.run(["verilator", "--lint-only", "-Wall", "-Wno-DECLFILENAME",
                               "-Wno-UNUSEDPARAM",
                               tmp_path / "noc_routes.sv", tmp_path / "user.sv"],
                              capture_output=True, text=True)
        assert lint.returncode == 0 and "%Warning" not in lint.stderr, lint.stderr


@pytest.mark.parametrize("default,warned", [("'0", True), ("0", True), ("128'h0", True),
                                            ("'1", False), ("", True)])
def test_a_router_left_with_routes_that_route_nothing_is_warned(default, warned, example, tools):
    import os
    import pathlib
    router = (pathlib.Path(os.environ["NOC_SOURCE_DIR"]) /
              "examples/routing_3x3/noc_router.sv").read_text()
    router = router.replace("ROUTES = '0)", f"ROUTES = {default})" if default else "ROUTES)")
    (example / "noc_router.sv").write_text(router)
    checked = nocgen(tools, "check", example, "--format", "short")
    assert ("[NOC128]" in checked.stdout) == warned, checked.stdout
    assert "[NOC128]" not in nocgen(tools, "check", example, "--routing", "auto").stdout
    if warned:
        assert nocgen(tools, "generate", example, "-Werror=NOC128").returncode == 1
        assert nocgen(tools, "generate", example, "-Werror=NOC128", "--routing",
                      "auto").returncode == 0


@pytest.mark.parametrize("victim", ["noc_soc.json", "noc_router.sv", "compute_tile.sv"])
def test_the_tables_never_replace_a_file_the_design_is_read_from(victim, example, tools):
    before = (example / victim).read_bytes()
    done = nocgen(tools, "routes", example, "-o", example / victim)
    assert done.returncode == 1 and "which this run reads" in done.stderr
    assert (example / victim).read_bytes() == before


def test_dot_labels_every_port_with_the_slot_the_routes_give(example, tools):
    import re
    nocgen(tools, "topology", "mesh", "3x2", "--tiles-per-router", "2", "--force", "-o",
           example / "noc_soc.json")
    routes = json.loads(nocgen(tools, "routes", example, "--format", "json").stdout)
    slot_of = {}  # (router, what the slot meets) -> slots
    for router in routes["routers"]:
        for index, slot in enumerate(router["slots"]):
            meets = slot.get("router") or re.search(r"(T_\d+)_inst$", slot["tile"])[1]
            slot_of.setdefault((router["name"], meets), []).append(str(index))
    assert nocgen(tools, "dot", example, "-o", example / "n.dot").returncode == 0
    edges = re.findall(r'"(\w+)" -- "(\w+)" \[([^]]*)\]', (example / "n.dot").read_text())
    assert len(edges) == 7 + 12
    for tail, head, attributes in edges:
        labels = dict(re.findall(r'(\w+)="([^"]*)"', attributes))
        assert labels["taillabel"] == ",".join(slot_of[(tail, head)])
        if head.startswith("R_"):
            assert labels["headlabel"] == ",".join(slot_of[(head, tail)])


@pytest.mark.parametrize("kind,size,width,height", [("torus", "4x3", 4, 3), ("mesh", "4x3", 4, 3)])
def test_each_direction_keeps_its_slot_on_every_router_topology_writes(kind, size, width, height,
                                                                         example, tools):
    """East slot 0, west 1, south 2, north 3 where a router has all four; a mesh's border
    router drops what it lacks and keeps the order, so east is slot 0 wherever there is one."""
    nocgen(tools, "topology", kind, size, "--force", "-o", example / "noc_soc.json")
    routes = json.loads(nocgen(tools, "routes", example, "--format", "json").stdout)
    for router in routes["routers"]:
        number = int(router["name"][2:])
        x, y = number % width, number // width
        steps = {"east": (x + 1, y), "west": (x - 1, y), "south": (x, y + 1), "north": (x, y - 1)}
        if kind == "torus":
            steps = {d: (nx % width, ny % height) for d, (nx, ny) in steps.items()}
        present = [d for d, (nx, ny) in steps.items() if 0 <= nx < width and 0 <= ny < height]
        met = [slot.get("router") for slot in router["slots"] if "router" in slot]
        expected = ["R_%d" % (steps[d][1] * width + steps[d][0]) for d in present]
        assert met == expected, router["name"]
