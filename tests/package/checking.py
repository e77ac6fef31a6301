"""What the release checks share: a failed expectation, and a tool run that
must succeed, quoted with what it wrote when it does not."""

import subprocess


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(*command, what=None, check=True, **options):
    """Runs command (its parts made strings) without input; with check, a
    failure names it (or what) with its exit code and its output."""
    result = subprocess.run([str(c) for c in command], capture_output=True, text=True, stdin=subprocess.DEVNULL,
                            **options)
    expect(result.returncode == 0 or not check,
           f"{what or ' '.join(map(str, command))} failed ({result.returncode}):\n{result.stdout}{result.stderr}")
    return result
