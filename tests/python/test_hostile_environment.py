"""A hostile environment: outputs that name inputs, limits, signals and failing helpers. Whatever
happens, every file the user owns keeps its text, a failed command changes nothing, and nothing
is left beside the outputs."""
import os
import resource
import signal
import subprocess
import time

import pytest

EARLIER = "earlier output\n"


def run(tools, *args, cwd=None, env=None, limits=None):
    def apply_limits():
        for kind, value in (limits or {}).items():
            resource.setrlimit(kind, (value, value))

    return subprocess.run([tools["nocgen"], *map(str, args)], capture_output=True, text=True,
                          timeout=120, cwd=cwd, env=env, preexec_fn=apply_limits)


def snapshot(folder):
    """Every file below the folder with its bytes, links as their targets."""
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            if os.path.islink(path):
                files[path] = "-> " + os.readlink(path)
            elif os.path.isfile(path):
                with open(path, "rb") as f:
                    files[path] = f.read()
            else:
                files[path] = "special"
    return files


def link_to_router(design):
    (design / "link.sv").symlink_to("noc_router.sv")
    return ["generate", ".", "-o", "link.sv"], "noc_router.sv"


def hard_link_to_description(design):
    os.link(design / "noc_soc.json", design / "copy.json")
    return ["generate", ".", "-o", "copy.json"], "noc_soc.json"


OUTPUT_IS_INPUT = [
    ("top_over_the_router", lambda d: (["generate", ".", "-o", "noc_router.sv"], "noc_router.sv")),
    ("top_over_the_description",
     lambda d: (["generate", ".", "-o", "noc_soc.json"], "noc_soc.json")),
    ("top_over_a_header", lambda d: (["generate", ".", "-o", "dbg_config.vh"], "dbg_config.vh")),
    ("top_over_a_spelling_of_the_tile",
     lambda d: (["generate", ".", "-o", "./sub/../compute_tile.sv"], "compute_tile.sv")),
    ("top_through_a_link", link_to_router),
    ("top_through_a_hard_link", hard_link_to_description),
    ("depfile_over_the_description",
     lambda d: (["generate", ".", "--depfile", "noc_soc.json"], "noc_soc.json")),
    ("depfile_over_the_top",
     lambda d: (["generate", ".", "-o", "top.sv", "--depfile", "top.sv"], "-o name the same")),
    ("depfile_over_the_default_top",
     lambda d: (["generate", ".", "--depfile", "noc_soc.sv"], "the same file")),
    ("picture_over_the_description",
     lambda d: (["dot", ".", "-o", "noc_soc.json"], "noc_soc.json")),
    ("picture_over_the_router", lambda d: (["dot", ".", "-o", "noc_router.sv"], "noc_router.sv")),
]


@pytest.mark.parametrize("case", [c[1] for c in OUTPUT_IS_INPUT],
                         ids=[c[0] for c in OUTPUT_IS_INPUT])
def test_an_output_that_is_an_input_is_refused(tools, example, case):
    (example / "sub").mkdir()
    (example / "noc_soc.sv").write_text(EARLIER)
    args, named = case(example)
    before = snapshot(example)
    done = run(tools, *args, cwd=example)
    assert done.returncode == 1, done.stdout + done.stderr
    assert done.stdout == ""
    assert named in done.stderr and "give" in done.stderr, done.stderr
    assert done.stderr.count("\n") == 1, done.stderr
    assert snapshot(example) == before


def test_a_depfile_that_cannot_be_written_leaves_the_top(tools, example):
    (example / "noc_soc.sv").write_text(EARLIER)
    done = run(tools, "generate", example, "--depfile", example / "missing" / "top.d")
    assert done.returncode == 1
    assert "cannot create the depfile" in done.stderr and "top.d" in done.stderr
    assert (example / "noc_soc.sv").read_text() == EARLIER
    assert not list(example.glob(".nocgen-*"))


def test_depfile_and_top_are_written_together(tools, example):
    done = run(tools, "generate", example, "--depfile", example / "top.d")
    assert done.returncode == 0, done.stderr
    assert (example / "top.d").read_text().startswith(str(example / "noc_soc.sv") + ":")
    stamps = [os.stat(example / name).st_mtime_ns for name in ("noc_soc.sv", "top.d")]
    time.sleep(0.01)
    again = run(tools, "generate", example, "--depfile", example / "top.d")
    assert again.stdout.startswith("unchanged")
    assert [os.stat(example / name).st_mtime_ns for name in ("noc_soc.sv", "top.d")] == stamps


@pytest.fixture
def fake_dot(tmp_path):
    """A Graphviz stand-in on PATH: it lists two formats, writes half a picture, records its pid
    and then does what FAKE_DOT says (fail, hang)."""
    folder = tmp_path / "fake-bin"
    folder.mkdir()
    script = folder / "dot"
    script.write_text("""#!/bin/sh
if [ "$1" = "-T?" ]; then echo 'Format: "?" not recognized. Use one of: svg png' >&2; exit 1; fi
cat >/dev/null
echo '<svg>half' 
echo $$ > "$FAKE_DOT_PID"
case "$FAKE_DOT" in
  fail) exit 3 ;;
  hang) exec sleep 60 ;;
esac
""")
    script.chmod(0o755)
    env = dict(os.environ, PATH=f"{folder}:{os.environ['PATH']}",
               FAKE_DOT_PID=str(tmp_path / "dot.pid"))
    return env, tmp_path / "dot.pid"


def test_a_failed_render_leaves_the_old_picture(tools, example, fake_dot):
    env, _ = fake_dot
    picture = example / "mesh.svg"
    picture.write_text("<svg>good</svg>\n")
    done = run(tools, "dot", example, "-o", picture, env=dict(env, FAKE_DOT="fail"))
    assert done.returncode == 1
    assert "could not render the graph (exit status 3)" in done.stderr
    assert picture.read_text() == "<svg>good</svg>\n"
    assert not list(example.glob(".nocgen-*"))
    assert run(tools, "dot", example, "-o", picture, env=env).returncode == 0
    assert picture.read_text() == "<svg>half\n"


@pytest.mark.parametrize("signal_number", [signal.SIGINT, signal.SIGTERM, signal.SIGHUP],
                         ids=["SIGINT", "SIGTERM", "SIGHUP"])
def test_an_interrupted_render_ends_graphviz_too(tools, example, fake_dot, signal_number):
    env, pid_file = fake_dot
    picture = example / "mesh.svg"
    picture.write_text("<svg>good</svg>\n")
    process = subprocess.Popen([tools["nocgen"], "dot", str(example), "-o", str(picture)],
                               env=dict(env, FAKE_DOT="hang"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 30
    while not pid_file.exists() or not pid_file.read_text().strip():
        assert time.monotonic() < deadline and process.poll() is None
        time.sleep(0.01)
    dot_pid = int(pid_file.read_text())
    process.send_signal(signal_number)
    assert process.wait(timeout=30) == -signal_number
    deadline = time.monotonic() + 10
    while os.path.exists(f"/proc/{dot_pid}") and "Z" not in open(f"/proc/{dot_pid}/stat").read():
        assert time.monotonic() < deadline, "Graphviz outlived nocgen"
        time.sleep(0.01)
    assert picture.read_text() == "<svg>good</svg>\n"
    assert not list(example.glob(".nocgen-*"))


def writing_in(pid, folder):
    """Whether the process holds a file open for writing in the folder: the output's
    temporary file, unnamed ("#123 (deleted)") or named."""
    try:
        for fd in os.listdir(f"/proc/{pid}/fd"):
            target = os.readlink(f"/proc/{pid}/fd/{fd}")
            if target.startswith(str(folder) + "/#") or "/.nocgen-" in target:
                return True
    except OSError:
        pass
    return False


@pytest.mark.parametrize("signal_number",
                         [signal.SIGINT, signal.SIGTERM, signal.SIGHUP, signal.SIGKILL],
                         ids=["SIGINT", "SIGTERM", "SIGHUP", "SIGKILL"])
def test_an_interrupted_generation_leaves_nothing_behind(tools, example, signal_number):
    assert run(tools, "topology", "mesh", "200x200", "--force", "-o",
               example / "noc_soc.json").returncode == 0
    (example / "noc_soc.sv").write_text(EARLIER)
    before = snapshot(example)
    process = subprocess.Popen([tools["nocgen"], "generate", str(example)],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 60
    while not writing_in(process.pid, example) and process.poll() is None:
        assert time.monotonic() < deadline
        time.sleep(0.001)
    if process.poll() is not None:
        pytest.skip("the generation ended before it could be interrupted")
    process.send_signal(signal_number)
    status = process.wait(timeout=30)
    if status == 0:
        pytest.skip("the generation ended before the signal arrived")
    assert status == -signal_number
    assert snapshot(example) == before


def test_a_temporary_file_of_a_killed_run_is_removed_by_the_next(tools, example):
    stale = example / ".nocgen-999999999-abcdef"
    stale.write_text("half a top")
    os.utime(stale, (time.time() - 3600, time.time() - 3600))
    mine = example / ".nocgen-notes"  # not of the form the tool makes: kept
    mine.write_text("mine")
    assert run(tools, "generate", example).returncode == 0
    assert not stale.exists() and mine.exists()


def test_a_file_size_limit_is_an_error_not_a_silent_death(tools, example):
    assert run(tools, "topology", "mesh", "32x32", "--force", "-o",
               example / "noc_soc.json").returncode == 0
    (example / "noc_soc.sv").write_text(EARLIER)
    done = run(tools, "generate", example, limits={resource.RLIMIT_FSIZE: 200_000})
    assert done.returncode == 1, done.stderr
    assert "cannot write the output file: File too large (a file-size limit, ulimit -f" \
        in done.stderr
    assert str(example / "noc_soc.sv") in done.stderr
    assert (example / "noc_soc.sv").read_text() == EARLIER
    assert not list(example.glob(".nocgen-*"))


@pytest.mark.parametrize("args", [["--version"], ["generate", "."], ["check", "."]],
                         ids=["version", "generate", "check"])
def test_an_address_space_limit_below_a_gigabyte_still_runs(tools, example, args):
    done = run(tools, *args, cwd=example, limits={resource.RLIMIT_AS: 400 << 20})
    assert done.returncode == 0, done.stderr
    assert "bad_alloc" not in done.stderr


def test_running_out_of_memory_is_one_line(tools, example):
    assert run(tools, "topology", "mesh", "256x256", "--force", "-o",
               example / "noc_soc.json").returncode == 0
    (example / "noc_soc.sv").write_text(EARLIER)
    # 256x256 needs some 36 MiB of address space; 24 leave it short.
    done = run(tools, "generate", example, limits={resource.RLIMIT_AS: 24 << 20})
    assert done.returncode == 1, done.stderr
    assert "out of memory while running nocgen generate" in done.stderr
    assert (example / "noc_soc.sv").read_text() == EARLIER
    assert not list(example.glob(".nocgen-*"))


def test_a_full_disk_leaves_the_old_top(tools, example, tmp_path):
    disk = tmp_path / "small-disk"
    disk.mkdir()
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", str(disk)],
                             capture_output=True)
    if mounted.returncode != 0:
        pytest.skip("cannot mount a tmpfs here")
    try:
        assert run(tools, "topology", "mesh", "16x16", "--force", "-o",
                   example / "noc_soc.json").returncode == 0
        top = disk / "noc_soc.sv"
        top.write_text(EARLIER)
        done = run(tools, "generate", example, "-o", top)
        assert done.returncode == 1
        assert "No space left on device (free some space" in done.stderr
        assert str(top) in done.stderr
        assert top.read_text() == EARLIER
        assert os.listdir(disk) == ["noc_soc.sv"]
    finally:
        subprocess.run(["umount", str(disk)], check=False)
