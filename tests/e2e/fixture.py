"""Setup and cleanup of the CTest fixture shared by all scenarios: the private
display, the prepared prefix and the keeper that holds Wine's desktop."""

import json
import os
import shlex
import subprocess
import time

from harness import KEEPER_CLASS, SCREEN, Failure, Session, log, process_alive, process_cmdline, stop_pid

PREFIX_DEADLINE = 600.0   # booting a fresh prefix takes about 15 s on an idle machine
KEEPER_DEADLINE = 120.0   # the first Wine start with no server running
SERVER_DEADLINE = 120.0   # wineserver exits once every program of the prefix is done


def write_state(paths, state):
    paths.state.parent.mkdir(parents=True, exist_ok=True)
    tmp = paths.state.with_suffix(".tmp")
    tmp.write_text(json.dumps(state, indent=2) + "\n")
    tmp.replace(paths.state)


def wine_env(paths, display=None):
    env = dict(os.environ)
    env.update({"WINEPREFIX": str(paths.prefix), "WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d"})
    if display:
        env["DISPLAY"] = display
    return env


def start_display(paths, folder=None):
    """A private X server (tools/private-display) of the scenarios' screen
    size, its log in folder (the e2e folder by default): (DISPLAY, its pid)."""
    folder = folder or paths.e2e
    log_file = folder / "xvfb.log"
    with open(folder / "private-display.err", "wb") as err:
        result = subprocess.run([str(paths.tools / "private-display"), "--log", str(log_file),
                                 "--screen", f"{SCREEN[0]}x{SCREEN[1]}x24"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=err, timeout=120)
    if result.returncode != 0:
        raise Failure("tools/private-display failed: " + (folder / "private-display.err").read_text())
    values = {}
    for line in result.stdout.decode().splitlines():
        key, _, value = line.partition("=")
        values[key] = shlex.split(value)[0] if value else ""
    return values["DISPLAY"], int(values["XVFB_PID"])


def start_time(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[19]
    except (OSError, IndexError):
        return None


def owner():
    """The process that runs the whole test run (CTest, or the shell of a
    person running the harness by hand), with its start time against pid reuse."""
    return {"pid": os.getppid(), "start": start_time(os.getppid())}


def owned_by_another_run(state):
    """The fixture in the state file belongs to a test run that is still going."""
    other = state.get("owner", {})
    mine = owner()
    if not other or other == mine:
        return False
    return process_alive(other["pid"]) and start_time(other["pid"]) == other["start"]


def setup(paths):
    started = time.monotonic()
    paths.e2e.mkdir(parents=True, exist_ok=True)
    if paths.state.exists():
        state = json.loads(paths.state.read_text())
        if owned_by_another_run(state):
            raise Failure(f"another test run (pid {state['owner']['pid']}) is using this build's display "
                          "and prefix; run one at a time")
        log("a state file from an earlier run is left: cleaning up after it first")
        cleanup(paths)

    display, xvfb_pid = start_display(paths)
    state = {"display": display, "xvfb_pid": xvfb_pid, "prefix": str(paths.prefix), "owner": owner()}
    write_state(paths, state)  # from here on, cleanup knows what to stop
    log(f"display {display} (Xvfb pid {xvfb_pid}) up after {time.monotonic() - started:.2f} s")

    t = time.monotonic()
    with open(paths.e2e / "wine-prefix.log", "wb") as out:
        rc = subprocess.run([str(paths.tools / "wine-prefix")], env=wine_env(paths, display),
                            stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                            timeout=PREFIX_DEADLINE).returncode
    if rc != 0:
        raise Failure(f"tools/wine-prefix failed with {rc}; see {paths.e2e / 'wine-prefix.log'}")
    log(f"prefix {paths.prefix} ready after {time.monotonic() - t:.2f} s")

    t = time.monotonic()
    session = Session(paths, "setup", state)
    keeper, values = start_keeper(paths, session)
    state.update({"keeper_pid": keeper.pid, "keeper_hwnd": values["hwnd"],
                  "keeper_out": str(keeper.out_path)})
    write_state(paths, state)
    # The keeper runs on its own from now on; only its output files are ours to close.
    session.processes.clear()
    log(f"keeper {values['hwnd']} (pid {keeper.pid}) up after {time.monotonic() - t:.2f} s")

    t = time.monotonic()
    screen = session.probe_ok("screen")
    size = (int(screen["width"]), int(screen["height"]))
    if size != SCREEN:
        raise Failure(f"Wine sees a {size[0]}x{size[1]} screen, not the private display's {SCREEN}")
    log(f"a probe start takes {time.monotonic() - t:.2f} s with the keeper up")
    log(f"setup done in {time.monotonic() - started:.2f} s")


def wait_for_wine_session_end(paths, env, deadline=SERVER_DEADLINE):
    try:
        subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=deadline)
        return True
    except subprocess.TimeoutExpired:
        return False


def start_keeper(paths, session, attempts=3):
    """The keeper must be the program that starts the prefix's Wine session:
    a session started by a program with no display (a unit test running next
    to these tests, say) refuses windows to the programs that join it
    (CreateWindowEx fails, error 0). So wait until no session runs, start the
    keeper, and start over if its window was refused all the same."""
    for attempt in range(1, attempts + 1):
        if not wait_for_wine_session_end(paths, session.env):
            raise Failure(f"the prefix's wineserver is still up after {SERVER_DEADLINE:.0f} s")
        # The keeper: a hidden window, no input goes to it, it never takes activation.
        try:
            return session.start_window_helper(["create", KEEPER_CLASS, "Vessmark e2e keeper", "hidden"],
                                               "keeper", deadline=KEEPER_DEADLINE)
        except Failure as error:
            log(f"keeper, start {attempt}: {error}")
            session.stop_all()
    raise Failure(f"the keeper could not make its window in {attempts} starts")


def prefix_processes(paths):
    """Wine processes of this prefix still alive (programs and the server)."""
    found = []
    marker = f"WINEPREFIX={paths.prefix}".encode()
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            if not os.path.basename(os.readlink(f"/proc/{entry}/exe")).startswith("wine"):
                continue
            with open(f"/proc/{entry}/environ", "rb") as f:
                environ = f.read().split(b"\0")
        except OSError:
            continue
        if marker in environ and process_alive(int(entry)):
            found.append((int(entry), process_cmdline(int(entry))))
    return found


def stop_leftovers(paths, state):
    """Shows and probes left by a scenario that was itself killed (by CTest's
    timeout, say); the keeper stays."""
    for pid, cmdline in prefix_processes(paths):
        if str(paths.dll) in cmdline or (str(paths.probe) in cmdline and pid != state.get("keeper_pid")):
            log(f"stopping a leftover: {pid} {cmdline.strip()}")
            stop_pid(pid, cmdline)


def cleanup(paths):
    started = time.monotonic()
    state = json.loads(paths.state.read_text()) if paths.state.exists() else {}
    if owned_by_another_run(state):
        log(f"the display and prefix belong to another test run (pid {state['owner']['pid']}): left alone")
        return
    env = wine_env(paths, state.get("display"))

    stop_leftovers(paths, state)

    stop_pid(state.get("keeper_pid"), "probe.exe")

    # The server exits by itself once no program of the prefix runs (another
    # test of this build may still be using it); stop it only if it will not.
    if not wait_for_wine_session_end(paths, env):
        log(f"wineserver still up after {SERVER_DEADLINE:.0f} s: stopping it")
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)
    log(f"Wine stopped after {time.monotonic() - started:.2f} s")

    stop_pid(state.get("xvfb_pid"), "Xvfb")
    if state.get("xvfb_pid") and process_alive(state["xvfb_pid"]):
        raise Failure(f"Xvfb {state['xvfb_pid']} does not stop")

    # wineserver -w returned, so the session was over; a program found now
    # started a new one (a unit test of this build running alongside).
    left = prefix_processes(paths)
    paths.state.unlink(missing_ok=True)
    ours = [(p, c) for p, c in left if str(paths.dll) in c or str(paths.probe) in c]
    if ours:
        raise Failure("programs of these tests are still running: " + "; ".join(f"{p} {c}" for p, c in ours))
    for pid, cmdline in left:
        log(f"note: a Wine program of another test is running in the prefix: {pid} {cmdline.strip()}")
    log(f"cleanup done in {time.monotonic() - started:.2f} s")


def keeper_alive(paths, state):
    pid = state.get("keeper_pid")
    return bool(pid) and process_alive(pid) and "probe.exe" in process_cmdline(pid)


