"""`nocgen verify` when its tools fail, hang or are interrupted: the message says how a child
ended, a signal ends every child and removes the work directory, and a time limit ends a hang."""
import os
import signal
import subprocess
import time

import pytest


@pytest.fixture
def fake_verilator(tmp_path):
    """A Verilator stand-in on PATH that records its pid and does what FAKE_VERILATOR says."""
    folder = tmp_path / "fake-bin"
    folder.mkdir()
    script = folder / "verilator"
    script.write_text("""#!/bin/sh
echo $$ > "$FAKE_PID"
case "$FAKE_VERILATOR" in
  quiet-fail) echo "building the model"; exit 1 ;;
  crash) echo "building the model"; kill -SEGV $$ ;;
  hang) sleep 60 & echo $! >> "$FAKE_PID"; wait ;;
esac
""")
    script.chmod(0o755)
    work = tmp_path / "tmp"
    work.mkdir()
    env = dict(os.environ, PATH=f"{folder}:{os.environ['PATH']}", FAKE_PID=str(tmp_path / "pid"),
               TMPDIR=str(work))
    return env, tmp_path / "pid", work


def verify(tools, example, env, *more):
    subprocess.run([tools["nocgen"], "generate", "-q", str(example)], check=True)
    return subprocess.run([tools["nocgen"], "verify", str(example), *more], capture_output=True,
                          text=True, timeout=120, env=env)


@pytest.mark.parametrize("mode, ending", [("quiet-fail", "exit status 1"),
                                          ("crash", "signal 11 (Segmentation fault)")])
def test_a_failed_build_says_how_verilator_ended(tools, example, fake_verilator, mode, ending):
    env, _, work = fake_verilator
    done = verify(tools, example, dict(env, FAKE_VERILATOR=mode))
    assert done.returncode == 1
    assert f"could not build the simulation of the top (Verilator ended with {ending})" \
        in done.stderr, done.stderr
    assert "building the model" in done.stderr  # the log's last lines, when none says error
    assert os.listdir(work) == []  # the message names no file in it: nothing is kept


def test_a_hung_build_ends_at_the_time_limit(tools, example, fake_verilator):
    env, pid_file, work = fake_verilator
    start = time.monotonic()
    done = verify(tools, example, dict(env, FAKE_VERILATOR="hang"), "--timeout", "1")
    assert time.monotonic() - start < 30
    assert done.returncode == 1
    assert "no end within 1 s (--timeout)" in done.stderr, done.stderr
    for pid in map(int, pid_file.read_text().split()):
        assert not os.path.exists(f"/proc/{pid}") or "Z" in open(f"/proc/{pid}/stat").read()
    assert os.listdir(work) == []


@pytest.mark.parametrize("signal_number", [signal.SIGINT, signal.SIGTERM, signal.SIGHUP],
                         ids=["SIGINT", "SIGTERM", "SIGHUP"])
def test_a_signal_ends_every_child_and_removes_the_work(tools, example, fake_verilator,
                                                         signal_number):
    env, pid_file, work = fake_verilator
    subprocess.run([tools["nocgen"], "generate", "-q", str(example)], check=True)
    process = subprocess.Popen([tools["nocgen"], "verify", str(example)],
                               env=dict(env, FAKE_VERILATOR="hang"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 30
    while not pid_file.exists() or len(pid_file.read_text().split()) < 2:
        assert time.monotonic() < deadline and process.poll() is None
        time.sleep(0.01)
    process.send_signal(signal_number)
    assert process.wait(timeout=30) == -signal_number
    for pid in map(int, pid_file.read_text().split()):
        assert not os.path.exists(f"/proc/{pid}") or "Z" in open(f"/proc/{pid}/stat").read(), \
            "a child outlived nocgen"
    assert os.listdir(work) == []


def gone_within(pids, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        alive = [pid for pid in pids if os.path.exists(f"/proc/{pid}")
                 and ") Z " not in open(f"/proc/{pid}/stat").read()]
        if not alive:
            return True
        time.sleep(0.02)
    return False


def test_sigkill_ends_every_child_and_a_later_run_removes_the_work(tools, example,
                                                                   fake_verilator):
    """SIGKILL cannot be caught: the kernel tells the guard between nocgen and its children,
    which ends them; the work directory stays until the next run finds its owner gone."""
    env, pid_file, work = fake_verilator
    subprocess.run([tools["nocgen"], "generate", "-q", str(example)], check=True)
    process = subprocess.Popen([tools["nocgen"], "verify", str(example)],
                               env=dict(env, FAKE_VERILATOR="hang"), stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 30
    while not pid_file.exists() or len(pid_file.read_text().split()) < 2:
        assert time.monotonic() < deadline and process.poll() is None
        time.sleep(0.01)
    process.kill()
    assert process.wait(timeout=30) == -signal.SIGKILL
    assert gone_within(list(map(int, pid_file.read_text().split())), 5), "a child outlived nocgen"
    [abandoned] = os.listdir(work)
    assert abandoned.startswith(f"nocgen-verify-{process.pid}-")
    done = verify(tools, example, dict(env, FAKE_VERILATOR="quiet-fail"))
    assert done.returncode == 1
    assert os.listdir(work) == []
