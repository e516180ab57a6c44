"""`nocgen verify` on networks that are wired right: the round trip a user makes (topology,
check, generate, verify), with a Verilator lint of the generated top on the example's sources."""
import os
import pathlib
import re
import shutil
import subprocess

import pytest

from conftest import needs_verilator

pytestmark = needs_verilator

SOURCE_DIR = pathlib.Path(os.environ["NOC_SOURCE_DIR"])
LINT_SOURCES = ["optimsoc_config.sv", "dii_package.sv", "optimsoc_functions.sv", "noc_router.sv",
                "compute_tile.sv", "noc_soc.sv", "tb_noc_top.sv"]

# (kind, size, tiles per router): links and tiles the proof must count.
NETWORKS = {
    "mesh_3x3": ("mesh", "3x3", 1, 12, 9),
    "torus_4x4": ("torus", "4x4", 1, 32, 16),
    "ring_5": ("ring", "5x1", 1, 5, 5),
    "mesh_3x2_two_tiles": ("mesh", "3x2", 2, 7, 12),
}


def run(*args, check=True):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, check=check)


def verified(output, links, tiles):
    return re.search(rf"^verified .*: {links} of {links} links and {tiles} of {tiles} tiles "
                     rf"proven in [0-9.]+ s, with NOC_FLIT_WIDTH \d+ \(.+\) and NOC_CHANNELS "
                     rf"\d+ \(.+\)$", output, re.M)


def test_bundled_example_verifies(example, tools):
    run(tools["nocgen"], "generate", "-q", example)
    result = run(tools["nocgen"], "verify", example)
    assert verified(result.stdout, 4, 4), result.stdout
    assert "note:" not in result.stdout  # the example brings the framework's packages


@pytest.mark.parametrize("name", NETWORKS)
def test_generated_network_lints_and_verifies(name, example, tools):
    kind, size, tiles, links, tile_count = NETWORKS[name]
    run(tools["nocgen"], "topology", kind, size, "--tiles-per-router", tiles, "--force", "-o",
        example / "noc_soc.json")
    run(tools["nocgen"], "check", "--werror", example)
    run(tools["nocgen"], "generate", "-q", example)
    lint = run("verilator", "--lint-only", "-Wall", "--timing", "--top-module", "tb_noc_top",
               f"-I{example}", example / "lint.vlt", *[example / s for s in LINT_SOURCES],
               check=False)
    assert lint.returncode == 0 and "%Warning" not in lint.stderr, lint.stderr
    result = run(tools["nocgen"], "verify", example, check=False)
    assert result.returncode == 0, result.stdout + result.stderr
    assert verified(result.stdout, links, tile_count), result.stdout


def test_package_typed_interfaces_verify_with_framework_stand_ins(tmp_path, tools):
    design = tmp_path / "typed"
    shutil.copytree(SOURCE_DIR / "tests/fixtures/typed_ports", design)
    run(tools["nocgen"], "generate", "-q", design)
    keep = tmp_path / "build"
    result = run(tools["nocgen"], "verify", design, "--keep", keep, check=False)
    assert result.returncode == 0, result.stdout + result.stderr
    assert verified(result.stdout, 4, 4), result.stdout
    for package in ("dii_package", "optimsoc_config", "optimsoc_functions"):
        assert f"note: no package {package} below the base directory" in result.stdout
    assert 'note: no header "dbg_config.vh"' in result.stdout
    stand_ins = (keep / "stand_ins.sv").read_text()
    assert "parameter int unsigned DESTS = 64" in stand_ins  # the header's macro, expanded
    assert "output noc_types_pkg::status_t status" in stand_ins


OLD_STYLE_TILE = """// An old-style tile: the body declares the ports and the parameters they use.
module compute_tile(clk, rst_cpu, rst_sys, rst_dbg, noc_in_flit, noc_in_last, noc_in_valid,
                    noc_out_ready, noc_out_flit, noc_out_last, noc_out_valid, noc_in_ready);
  parameter CONFIG = 0;
  parameter CHANNELS = 2;
  localparam FLIT_WIDTH = 32;
  input clk, rst_cpu, rst_sys, rst_dbg;
  input [CHANNELS*FLIT_WIDTH-1:0] noc_in_flit;
  input [CHANNELS-1:0] noc_in_last, noc_in_valid, noc_out_ready;
  output [CHANNELS*FLIT_WIDTH-1:0] noc_out_flit;
  output [CHANNELS-1:0] noc_out_last, noc_out_valid, noc_in_ready;
endmodule
"""


def test_old_style_tile_with_body_parameters_verifies(example, tools, tmp_path):
    (example / "compute_tile.sv").write_text(OLD_STYLE_TILE)
    run(tools["nocgen"], "generate", "-q", example)
    keep = tmp_path / "build"
    result = run(tools["nocgen"], "verify", example, "--keep", keep, check=False)
    assert result.returncode == 0, result.stdout + result.stderr
    assert verified(result.stdout, 4, 4), result.stdout
    assert "parameter CHANNELS = 2" in (keep / "stand_ins.sv").read_text()


def test_a_broken_stand_in_is_kept_where_the_message_points(example, tools):
    (example / "compute_tile.sv").write_text(
        OLD_STYLE_TILE.replace("input clk, rst_cpu", "input [MISSING-1:0] clk;\n  input rst_cpu"))
    run(tools["nocgen"], "generate", "-q", example)
    result = run(tools["nocgen"], "verify", example, check=False)
    assert result.returncode == 1
    assert "MISSING" in result.stderr, result.stderr
    kept = re.search(r"the files it names are kept in (\S+)\)", result.stderr)
    assert kept, result.stderr
    folder = pathlib.Path(kept.group(1))
    assert "MISSING" in (folder / "stand_ins.sv").read_text()
    assert str(folder / "stand_ins.sv") in result.stderr
    shutil.rmtree(folder)


def test_missing_top_says_to_generate_first(example, tools):
    result = run(tools["nocgen"], "verify", example, check=False)
    assert result.returncode == 1
    assert "there is no top to verify; run nocgen generate" in result.stderr


def test_missing_verilator_names_the_package(example, tools):
    run(tools["nocgen"], "generate", "-q", example)
    env = dict(os.environ, PATH=str(example))
    result = subprocess.run([tools["nocgen"], "verify", str(example)], capture_output=True,
                            text=True, env=env)
    assert result.returncode == 1
    assert "install the Debian package verilator" in result.stderr


def test_description_errors_stop_verify(example, tools):
    run(tools["nocgen"], "generate", "-q", example)
    description = example / "noc_soc.json"
    description.write_text(description.read_text().replace('"R_1", "R_2", "T_0"',
                                                           '"R_1", "R_9", "T_0"'))
    result = run(tools["nocgen"], "verify", example, check=False)
    assert result.returncode == 1
    assert "R_9" in result.stderr and "[NOC" in result.stderr


def test_verify_reports_the_warnings_check_reports(example, tools):
    """A stale copy of the description below the base directory: check, generate and verify all
    say which one they read (NOC121); verify still proves the top."""
    run(tools["nocgen"], "generate", "-q", example)
    (example / "backup").mkdir()
    shutil.copy(example / "noc_soc.json", example / "backup" / "noc_soc.json")
    checked = run(tools["nocgen"], "check", example)
    assert "[NOC121]" in checked.stdout
    result = run(tools["nocgen"], "verify", example, check=False)
    assert result.returncode == 0, result.stdout + result.stderr
    assert "[NOC121]" in result.stderr
    assert verified(result.stdout, 4, 4), result.stdout
    failed = run(tools["nocgen"], "verify", "-Werror=NOC121", example, check=False)
    assert failed.returncode == 1 and "[NOC121]" in failed.stderr


def test_verify_leaves_the_top_out_of_a_file_list_unit(example, tools):
    """A list for the whole design names the top too; verify reads the top as the top, not as a
    source of the compilation unit that the router and tile are read in."""
    run(tools["nocgen"], "generate", "-q", example)
    (example / "sim.f").write_text("noc_soc.sv\n")
    result = subprocess.run([tools["nocgen"], "verify", ".", "-F", "sim.f"], cwd=example,
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stdout + result.stderr
    assert verified(result.stdout, 4, 4), result.stdout


def test_verilator_runtime_is_compiled_once_and_kept_in_the_users_cache(example, tools, tmp_path):
    run(tools["nocgen"], "generate", "-q", example)
    env = dict(os.environ, XDG_CACHE_HOME=str(tmp_path / "cache"))

    def verify(keep, *extra):
        result = subprocess.run([tools["nocgen"], "verify", str(example), "--keep",
                                 str(tmp_path / keep), *extra], capture_output=True, text=True,
                                env=env)
        assert verified(result.stdout, 4, 4), result.stdout + result.stderr
        return (tmp_path / keep / "make.log").read_text()

    assert "verilated.cpp" in verify("cold", "--no-cache")
    assert not (tmp_path / "cache").exists()
    assert "verilated.cpp" in verify("first")
    kept = sorted((tmp_path / "cache" / "nocgen").iterdir())
    assert len(kept) == 2 and (kept[0] / "verilated.o").is_file()
    assert "verilated.cpp" not in verify("warm")
    # verilated.h is read precompiled from the same folder; one that is cut short or damaged is
    # made again, and the build never fails for it.
    gch = kept[1] / "nocgen_pch.h.gch"
    assert kept[1].name == kept[0].name + "-pch"
    assert gch.is_file() and "-include" in verify("warm_again")
    whole = gch.stat().st_size  # not the same from one compilation to the next
    gch.write_bytes(gch.read_bytes()[:whole // 2])
    verify("after_cut")
    noted = gch.with_name(gch.name + ".size")
    assert gch.stat().st_size > whole // 2 and int(noted.read_text()) == gch.stat().st_size
    with open(gch, "r+b") as damaged:
        damaged.seek(whole // 2)
        damaged.write(b"\0" * 4096)
    verify("after_damage")
    assert not gch.exists() or int(noted.read_text()) == gch.stat().st_size


def test_an_output_wider_than_verify_drives_is_named(example, tools):
    tile = example / "compute_tile.sv"
    tile.write_text(tile.read_text().replace(
        "output [CHANNELS-1:0] noc_in_ready);",
        "output [CHANNELS-1:0] noc_in_ready,\n   output [4999:0] trace);"))
    run(tools["nocgen"], "generate", "-q", example)
    result = run(tools["nocgen"], "verify", example, check=False)
    assert result.returncode == 1
    assert "trace is wider than the 4096 bits verify can drive" in result.stderr, result.stderr
    shutil.rmtree(re.search(r"kept in (\S+)\)", result.stderr).group(1))
