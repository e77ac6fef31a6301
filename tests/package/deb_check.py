#!/usr/bin/env python3
"""Checks the Debian package of the Linux show that the build made, with
Debian's own tools, changing nothing on the machine:

    deb_check.py --deb FILE --version X.Y.Z --build-dir DIR --source-dir DIR  CHECK

CHECK is one of:
    lintian           lintian reports no error and no warning
    fields            the control fields: name, version, architecture, every
                      library the program loads in Depends, XScreenSaver
                      recommended
    contents          where each file is, its owner, mode and time; the
                      settings file as in the source; the manual page reads
                      without a complaint; the program runs from the package
    install_remove    dpkg installs it into a scratch root whose database has
                      the machine's packages that it depends on, lists it,
                      and removes it, leaving none of its files
    reproducible      made again from the same build in another folder: the
                      same bytes; no folder of the build or the checkout inside
"""

import argparse
import gzip
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

NAME = "vessmark-show"
PROGRAM = "usr/libexec/xscreensaver/vessmark-show"


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


def run(command, **options):
    result = subprocess.run(command, capture_output=True, text=True, stdin=subprocess.DEVNULL, **options)
    expect(result.returncode == 0, f"{' '.join(map(str, command))} failed ({result.returncode}): "
                                   f"{result.stdout}{result.stderr}")
    return result.stdout


class Package:
    def __init__(self, args):
        self.args = args
        self.deb = Path(args.deb)
        expect(self.deb.is_file(), f"{self.deb} is missing: the native build did not make it")
        self.folder = Path(tempfile.mkdtemp(prefix="vessmark-deb-"))

    def field(self, name):
        return run(["dpkg-deb", "--field", self.deb, name]).strip()

    def unpacked(self):
        root = self.folder / "unpacked"
        if not root.exists():
            run(["dpkg-deb", "--extract", self.deb, root])
        return root

    def close(self):
        shutil.rmtree(self.folder, ignore_errors=True)


def lintian(package):
    result = subprocess.run(["lintian", "--pedantic", package.deb], capture_output=True, text=True,
                            stdin=subprocess.DEVNULL)
    tags = [line for line in result.stdout.splitlines() if re.match(r"[EWP]: ", line)]
    print(result.stdout.strip() or "lintian: nothing to report")
    expect(not tags and result.returncode == 0, f"lintian reports: {tags or result.stderr.strip()}")


def fields(package):
    expect(package.field("Package") == NAME, f"the package is {package.field('Package')!r}")
    expect(package.field("Version") == package.args.version,
           f"version {package.field('Version')}, not the project's {package.args.version}")
    architecture = run(["dpkg", "--print-architecture"]).strip()
    expect(package.field("Architecture") == architecture, f"architecture {package.field('Architecture')}")
    expect(package.deb.name == f"{NAME}_{package.args.version}_{architecture}.deb", f"named {package.deb.name}")
    expect("xscreensaver" in re.split(r"[,|\s]+", package.field("Recommends")), "XScreenSaver is not recommended")
    # Each library the program needs is in a package that Depends names.
    depends = {re.sub(r"\s*\(.*\)", "", choice).strip()
               for choice in re.split(r"[,|]", package.field("Depends"))}
    needed = re.findall(r"NEEDED\s+(\S+)", run(["objdump", "-p", package.unpacked() / PROGRAM]))
    expect(needed, "the program needs no library: not the program that was built")
    cache = run(["ldconfig", "-p"])
    for library in needed:
        found = re.search(rf"^\s*{re.escape(library)} \(libc6,x86-64[^)]*\) => (\S+)$", cache, re.M)
        expect(found, f"{library} is not a library of this machine")
        # dpkg knows a library by the path its package has, with or without /usr.
        real = os.path.realpath(found[1])
        owners = set()
        for path in (found[1], real, real.removeprefix("/usr")):
            result = subprocess.run(["dpkg", "-S", path], capture_output=True, text=True, stdin=subprocess.DEVNULL)
            owners |= {owner.split(":")[0] for owner in result.stdout.split(": ")[0].split(", ") if result.returncode == 0}
        expect(owners & depends, f"{library} comes from {owners or 'no package'}, which Depends does not name: {depends}")
    print(f"Depends: {package.field('Depends')}; it covers {', '.join(needed)}")


def contents(package):
    listing = run(["dpkg-deb", "--contents", package.deb]).splitlines()
    entries = {}
    for line in listing:
        mode, owner, _size, date, time, path = line.split(None, 5)
        entries[path.split(" -> ")[0].removeprefix("./").rstrip("/")] = (mode, owner, f"{date} {time}")
    expect({owner for _, owner, _ in entries.values()} == {"root/root"}, "files not owned by root")
    expect(len({when for _, _, when in entries.values()}) == 1, "the files carry more than one time")
    wanted = {
        PROGRAM: "-rwxr-xr-x",
        "usr/bin/vessmark-show": "lrwxrwxrwx",
        "usr/share/xscreensaver/config/vessmark-show.xml": "-rw-r--r--",
        "usr/share/man/man6/vessmark-show.6.gz": "-rw-r--r--",
        "usr/share/applications/screensavers/vessmark-show.desktop": "-rw-r--r--",
        "usr/share/doc/vessmark-show/copyright": "-rw-r--r--",
        "usr/share/doc/vessmark-show/changelog.gz": "-rw-r--r--",
        "usr/share/doc/vessmark-show/README.Debian": "-rw-r--r--",
    }
    for path, mode in wanted.items():
        expect(entries.get(path, ("missing",))[0] == mode, f"{path}: {entries.get(path, ('missing',))[0]}, not {mode}")
    root = package.unpacked()
    expect((root / "usr/bin/vessmark-show").resolve() == (root / PROGRAM).resolve(),
           "/usr/bin/vessmark-show does not lead to the program")
    source = Path(package.args.source_dir)
    expect((root / "usr/share/xscreensaver/config/vessmark-show.xml").read_bytes()
           == (source / "config/vessmark.xml").read_bytes(), "the settings file differs from config/vessmark.xml")
    changelog = gzip.decompress((root / "usr/share/doc/vessmark-show/changelog.gz").read_bytes()).decode()
    expect(changelog.startswith(f"{NAME} ({package.args.version}) "), f"the changelog begins {changelog[:40]!r}")

    page = root / "usr/share/man/man6/vessmark-show.6.gz"
    result = subprocess.run(["man", "--warnings", "-l", page], capture_output=True, text=True,
                            env={**os.environ, "MANWIDTH": "80", "MAN_KEEP_FORMATTING": ""}, stdin=subprocess.DEVNULL)
    expect(result.returncode == 0 and not result.stderr.strip(), f"man complains: {result.stderr.strip()}")
    for heading in ("SYNOPSIS", "OPTIONS", "XSCREENSAVER", "XSECURELOCK", "EXIT STATUS", "ENVIRONMENT", "FILES"):
        expect(re.search(rf"^{heading}$", result.stdout, re.M), f"the manual page has no {heading}")
    expect(f"Vessmark {package.args.version}" in result.stdout, "the manual page does not carry the version")

    # The program from the package runs, through the link on the PATH, and
    # lists the options the page describes.
    usage = run([root / "usr/bin/vessmark-show", "--help"])
    described = re.findall(r"^ {7}(--[a-z-]+)", result.stdout, re.M)
    expect(len(described) > 10, f"the manual page describes only {described}")
    for option in described:
        expect(option in usage, f"the manual page describes {option}, which the program does not know")
    print(f"{len(entries)} entries as wanted; the manual page reads; the program runs")


def install_remove(package):
    root = package.folder / "root"
    database = root / "var/lib/dpkg"
    (database / "info").mkdir(parents=True)
    (database / "updates").mkdir()
    # The machine's own entries for what the package depends on: dpkg then
    # weighs the dependencies as on the machine, not forced.
    wanted = {re.sub(r"\s*\(.*\)", "", choice).strip() for choice in re.split(r"[,|]", package.field("Depends"))}
    stanzas = Path("/var/lib/dpkg/status").read_text().split("\n\n")
    kept = [s for s in stanzas if re.match(r"Package: (\S+)", s) and re.match(r"Package: (\S+)", s)[1] in wanted
            and "Status: install ok installed" in s]
    (database / "status").write_text("\n\n".join(kept) + "\n")
    dpkg = ["dpkg", f"--root={root}", f"--log={package.folder / 'dpkg.log'}"]
    run([*dpkg, "--install", package.deb])
    listed = run([*dpkg, "--listfiles", NAME]).split()
    expect(f"/{PROGRAM}" in listed and (root / PROGRAM).is_file(), "dpkg did not install the program")
    files = [path for path in listed if not (root / path.lstrip("/")).is_dir()]
    run([*dpkg, "--remove", NAME])
    left = [path for path in files if os.path.lexists(root / path.lstrip("/"))]
    expect(not left, f"dpkg --remove left {left}")
    others = [str(p.relative_to(root)) for p in root.rglob("*") if not p.is_relative_to(root / "var")]
    expect(not others, f"left in the scratch root after the removal: {others}")
    print(f"installed {len(files)} files into {root} and removed them all")


def reproducible(package):
    again = package.folder / "again" / package.deb.name
    again.parent.mkdir()
    run(["bash", Path(package.args.source_dir) / "packaging/debian/make-deb", package.args.build_dir,
         package.args.version, again])
    epoch = int(run([Path(package.args.source_dir) / "tools/source-date-epoch"]))
    expect(again.read_bytes() == package.deb.read_bytes(),
           f"made again in another folder, the package differs (was it made at another commit than the"
           f" checkout's, whose time is {epoch}? Build again)")
    for path in package.unpacked().rglob("*"):
        if path.is_file() and not path.is_symlink():
            data = path.read_bytes()
            for folder in (package.args.source_dir, package.args.build_dir):
                expect(os.fsencode(os.path.realpath(folder)) not in data, f"{path.name} holds the folder {folder}")
    print(f"the same {again.stat().st_size} bytes from another folder; no build or checkout folder inside")


CHECKS = {f.__name__: f for f in (lintian, fields, contents, install_remove, reproducible)}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--deb", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("check", choices=sorted(CHECKS))
    args = parser.parse_args()
    package = None
    try:
        package = Package(args)
        CHECKS[args.check](package)
    except Failed as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    finally:
        if package is not None:
            package.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
