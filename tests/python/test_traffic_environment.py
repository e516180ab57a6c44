"""`nocgen traffic` when Verilator hangs or nocgen is interrupted: a time limit ends a hang, a
signal ends every child and removes the work directory, and after SIGKILL the next run removes
what was left."""
import os
import signal
import subprocess
import time

import pytest

from test_verify_environment import fake_verilator, gone_within  # noqa: F401 (a fixture)


def started(tools, example, env):
    process = subprocess.Popen([tools["nocgen"], "traffic", str(example)],
                               env=dict(env, FAKE_VERILATOR="hang"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    return process


def wait_for_the_hang(process, pid_file):
    deadline = time.monotonic() + 30
    while not pid_file.exists() or len(pid_file.read_text().split()) < 2:
        assert time.monotonic() < deadline and process.poll() is None
        time.sleep(0.01)


def test_a_hung_build_ends_at_the_time_limit(tools, example, fake_verilator):
    env, pid_file, work = fake_verilator
    done = subprocess.run([tools["nocgen"], "traffic", str(example), "--timeout", "1"],
                          capture_output=True, text=True, timeout=60,
                          env=dict(env, FAKE_VERILATOR="hang"))
    assert done.returncode == 1
    assert "could not build the traffic simulation (Verilator ended with no end within 1 s " \
           "(--timeout))" in done.stderr, done.stderr
    assert os.listdir(work) == []


@pytest.mark.parametrize("signal_number", [signal.SIGINT, signal.SIGTERM],
                         ids=["SIGINT", "SIGTERM"])
def test_a_signal_ends_every_child_and_removes_the_work(tools, example, fake_verilator,
                                                         signal_number):
    env, pid_file, work = fake_verilator
    process = started(tools, example, env)
    wait_for_the_hang(process, pid_file)
    process.send_signal(signal_number)
    assert process.wait(timeout=30) == -signal_number
    assert gone_within(list(map(int, pid_file.read_text().split())), 5), "a child outlived nocgen"
    assert os.listdir(work) == []
    assert not (example / "noc_soc.sv").exists()  # the top is written in the work directory only


def test_sigkill_leaves_work_that_the_next_run_removes(tools, example, fake_verilator):
    env, pid_file, work = fake_verilator
    process = started(tools, example, env)
    wait_for_the_hang(process, pid_file)
    process.kill()
    assert process.wait(timeout=30) == -signal.SIGKILL
    assert gone_within(list(map(int, pid_file.read_text().split())), 5), "a child outlived nocgen"
    [abandoned] = os.listdir(work)
    assert abandoned.startswith(f"nocgen-traffic-{process.pid}-")
    done = subprocess.run([tools["nocgen"], "traffic", str(example)], capture_output=True,
                          text=True, timeout=60, env=dict(env, FAKE_VERILATOR="quiet-fail"))
    assert done.returncode == 1
    assert os.listdir(work) == []


def test_verify_and_traffic_keep_their_runtimes_apart(tools, tmp_path):
    """traffic's model calls DPI and needs one more runtime object than verify's: each keeps
    its own cache entry, and neither finds the other's damaged."""
    import shutil
    from test_traffic import design_with
    design = design_with(tmp_path, ["mesh", "2x2"])
    env = dict(os.environ, XDG_CACHE_HOME=str(tmp_path / "cache"))
    assert subprocess.run([tools["nocgen"], "generate", "-q", str(design)], env=env).returncode == 0
    for command in ["verify", "traffic", "verify", "traffic"]:
        done = subprocess.run([tools["nocgen"], command, str(design)], capture_output=True,
                              text=True, timeout=300, env=env)
        assert done.returncode == 0, done.stdout + done.stderr
        assert "damaged" not in done.stdout + done.stderr, done.stdout
    assert len(os.listdir(tmp_path / "cache" / "nocgen")) >= 2
    shutil.rmtree(tmp_path / "cache")


@pytest.mark.parametrize("limit", ["full disk", "file-size limit"])
def test_a_build_stopped_by_a_full_disk_leaves_no_work(tools, tmp_path, limit):
    import resource
    from test_traffic import design_with
    design = design_with(tmp_path, ["mesh", "2x2"])
    work = tmp_path / "small-disk"
    work.mkdir()
    if limit == "full disk":
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=2m", "tmpfs", str(work)],
                                 capture_output=True)
        if mounted.returncode != 0:
            pytest.skip("cannot mount a tmpfs here")
    limits = {resource.RLIMIT_FSIZE: 100_000} if limit == "file-size limit" else {}
    try:
        done = subprocess.run(
            [tools["nocgen"], "traffic", ".", "--no-cache"], cwd=design, capture_output=True,
            text=True, timeout=300, env=dict(os.environ, TMPDIR=str(work)),
            preexec_fn=lambda: [resource.setrlimit(k, (v, v)) for k, v in limits.items()])
        assert done.returncode == 1, done.stdout + done.stderr
        assert "could not build the traffic simulation" in done.stderr
        assert "is removed, not kept" in done.stderr, done.stderr
        assert os.listdir(work) == []
    finally:
        if limit == "full disk":
            subprocess.run(["umount", str(work)], check=False)
