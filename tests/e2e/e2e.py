#!/usr/bin/env python3
"""Entry point of the end-to-end tests, called by CTest:

    e2e.py PATHS... setup          start the display, prefix and keeper
    e2e.py PATHS... cleanup        stop them, leaving no process behind
    e2e.py PATHS... run NAME       one scenario (see scenarios.py)
    e2e.py PATHS... list           the scenario names

PATHS are --build-dir, --source-dir, --probe and --dll.
"""

import argparse
import shutil
import sys
import time
import traceback

sys.dont_write_bytecode = True  # no __pycache__ in the source tree

import button_scenarios  # noqa: E402
import dialog_scenarios  # noqa: E402
import fixture  # noqa: E402
import installer_scenarios  # noqa: E402
import monitor_scenarios  # noqa: E402
import music_scenarios  # noqa: E402
import saver_scenarios  # noqa: E402
import scenarios  # noqa: E402
from harness import Failure, Paths, Session, log  # noqa: E402


def all_scenarios():
    # What the harness takes for granted about Wine first, then the program.
    named = {f"platform.{name}": run for name, run in scenarios.PLATFORM_SCENARIOS.items()}
    named.update({f"dll.{name}": run for name, run in scenarios.SCENARIOS.items()})
    named.update({f"music.{name}": run for name, run in music_scenarios.SCENARIOS.items()})
    named.update({f"scr.{name}": run for name, run in saver_scenarios.SCENARIOS.items()})
    named.update({f"button.{name}": run for name, run in button_scenarios.SCENARIOS.items()})
    named.update({f"installer.{name}": run for name, run in installer_scenarios.SCENARIOS.items()})
    named.update({f"dialog.{name}": run for name, run in dialog_scenarios.SCENARIOS.items()})
    named.update({f"monitors.{name}": run for name, run in monitor_scenarios.SCENARIOS.items()})
    return named


def run(paths, name):
    table = all_scenarios()
    if name not in table:
        print(f"e2e: no scenario {name!r}; known: {', '.join(sorted(table))}", file=sys.stderr)
        return 2
    if not paths.state.exists():
        print("e2e: no display and prefix are up: the fixture's setup has not run", file=sys.stderr)
        return 1
    started = time.monotonic()
    session = Session(paths, name)
    if not fixture.keeper_alive(paths, session.state):
        print("e2e: the keeper from the fixture's setup is gone", file=sys.stderr)
        return 1
    fixture.stop_leftovers(paths, session.state)
    try:
        table[name](session)
    except Exception as error:  # a Failure, or a fault of the harness itself
        artifacts = paths.artifacts / name
        shutil.rmtree(artifacts, ignore_errors=True)
        shot = session.screenshot(artifacts / "screen.png")
        session.stop_all()
        try:
            shutil.copytree(session.work, artifacts, dirs_exist_ok=True)
        except shutil.Error:
            pass  # sockets (a sound server's) cannot be copied; every file was

        said = session.show_said()
        if said:
            (artifacts / "show-said.txt").write_text("".join(line + "\n" for line in said))
        if isinstance(error, Failure):
            log(f"FAILED: {error}")
        else:
            traceback.print_exc()
        log("the show said: " + (" | ".join(said) if said else "nothing"))
        for crash in session.crashes():
            log(f"crashed: {crash}")
        for line in session.wine_errors():
            log(f"Wine said: {line}")
        log(f"screenshot: {shot}; outputs: {artifacts}")
        return 1
    finally:
        session.stop_all()
    log(f"passed in {time.monotonic() - started:.2f} s")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--dll", required=True)
    parser.add_argument("command", choices=["setup", "cleanup", "run", "list"])
    parser.add_argument("name", nargs="?")
    args = parser.parse_args()
    paths = Paths(args.build_dir, args.source_dir, args.probe, args.dll)

    if args.command == "list":
        print("\n".join(all_scenarios()))
        return 0
    if args.command == "run":
        return run(paths, args.name)
    try:
        if args.command == "setup":
            try:
                fixture.setup(paths)
            except BaseException:
                log("setup failed: stopping what it started")
                fixture.cleanup(paths)
                raise
        else:
            fixture.cleanup(paths)
    except Failure as error:
        log(f"FAILED: {error}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
