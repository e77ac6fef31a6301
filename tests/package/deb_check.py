#!/usr/bin/env python3
"""Checks the Debian package that the native build made, with Debian's own
tools, changing nothing on the machine:

    deb_check.py --deb FILE --version X.Y.Z --build-dir DIR --source-dir DIR  CHECK

lintian: no error or warning. contents: the control fields (every library
the program needs is in a package that Depends names), each file's place,
owner, mode and time, the manual page, the program that runs from it.
install_remove: dpkg --root installs it beside the machine's entries for what
it depends on, then removes every file. reproducible: the same bytes made
again elsewhere (another umask too), and no folder of the build or the checkout inside.
"""

import argparse
import os
import re
import shutil
import sys
import tempfile
from pathlib import Path

sys.dont_write_bytecode = True
from checking import Failed, expect, run  # noqa: E402

NAME = "vessmark-show"
PROGRAM = "usr/libexec/xscreensaver/vessmark-show"


def output(*command, **options):
    return run(*command, **options).stdout


def depends(args):
    names = re.split(r"[,|]", output("dpkg-deb", "-f", args.deb, "Depends"))
    return {re.sub(r"\(.*\)", "", name).strip() for name in names}


def lintian(args, _folder):
    report = output("lintian", "--pedantic", args.deb)
    expect(not re.findall(r"^[EWP]: .*", report, re.M), f"lintian reports:\n{report}")


def contents(args, folder):
    fields = dict(re.findall(r"^(\S+): (.*)$", output("dpkg-deb", "-f", args.deb), re.M))
    architecture = output("dpkg", "--print-architecture").strip()
    expect((fields["Package"], fields["Version"], fields["Architecture"]) == (NAME, args.version, architecture)
           and Path(args.deb).name == f"{NAME}_{args.version}_{architecture}.deb", f"control fields: {fields}")
    expect("xscreensaver" in fields.get("Recommends", ""), "XScreenSaver is not recommended")
    run("dpkg-deb", "-x", args.deb, folder)
    libraries, wanted = output("ldconfig", "-p"), depends(args)
    for library in re.findall(r"NEEDED\s+(\S+)", output("objdump", "-p", folder / PROGRAM)):
        found = re.search(rf"^\s*{re.escape(library)} \(libc6,x86-64.*=> (\S+)$", libraries, re.M)
        path = os.path.realpath(found[1])
        # dpkg knows a file by its package's path, with or without /usr.
        owners = output("dpkg", "-S", path, path.removeprefix("/usr"), check=False)
        expect(set(re.findall(r"^([^:,\s]+)", owners, re.M)) & wanted, f"no package of {library} in Depends")

    entries = {}
    for line in output("dpkg-deb", "-c", args.deb).splitlines():
        mode, owner, _, day, time, path = line.split(None, 5)
        entries[path.split(" -> ")[0][2:].rstrip("/")] = (mode, owner, day + time)
    owners_times = {(owner, when) for _, owner, when in entries.values()}
    expect(len(owners_times) == 1 and owners_times.pop()[0] == "root/root", f"owners and times: {owners_times}")
    # Folders and the program 0755, every other file 0644; the files below are
    # read or run further on, lintian looks for the copyright and changelog.
    wrong = {path: mode for path, (mode, _, _) in entries.items() if mode[0] != "l" and mode != (
        "-rwxr-xr-x" if path == PROGRAM else "drwxr-xr-x" if mode[0] == "d" else "-rw-r--r--")}
    expect(not wrong, f"modes: {wrong}")
    for path in ("usr/share/applications/screensavers/vessmark-show.desktop", "usr/share/doc/vessmark-show/README.Debian"):
        expect(path in entries, f"{path} is missing")
    expect((folder / "usr/share/xscreensaver/config/vessmark-show.xml").read_bytes()
           == (Path(args.source_dir) / "config/vessmark.xml").read_bytes(), "the settings differ from config/")

    page = run("man", "--warnings", "-l", folder / "usr/share/man/man6/vessmark-show.6.gz", check=False,
               env={**os.environ, "MANWIDTH": "80"})
    expect(not page.stderr.strip() and f"Vessmark {args.version}" in page.stdout, f"man: {page.stderr}")
    # The program runs through the link, and knows every option the page describes.
    usage = output(folder / "usr/bin/vessmark-show", "--help")
    described = re.findall(r"^ {7}(--[a-z-]+)", page.stdout, re.M)
    expect(len(described) > 10 and all(option in usage for option in described), f"the page's options: {described}")


def install_remove(args, folder):
    database = folder / "var/lib/dpkg"
    (database / "updates").mkdir(parents=True)
    (database / "info").mkdir()
    # The machine's own entries for what the package depends on: dpkg weighs
    # the dependencies as on the machine instead of being forced.
    wanted = depends(args)
    stanzas = Path("/var/lib/dpkg/status").read_text().split("\n\n")
    (database / "status").write_text("\n\n".join(s for s in stanzas if re.match(r"Package: (\S+)", s)
                                                 and re.match(r"Package: (\S+)", s)[1] in wanted) + "\n")
    dpkg = ["dpkg", f"--root={folder}", f"--log={folder / 'dpkg.log'}"]
    run(*dpkg, "-i", args.deb)
    files = [path for path in output(*dpkg, "-L", NAME).split() if not (folder / path[1:]).is_dir()]
    expect(f"/{PROGRAM}" in files and (folder / PROGRAM).is_file(), f"dpkg installed {files}")
    run(*dpkg, "-r", NAME)
    left = [str(p) for p in folder.rglob("*") if not p.is_relative_to(folder / "var") and p.name != "dpkg.log"]
    expect(not left, f"left after dpkg -r: {left}")


def reproducible(args, folder):
    again = folder / Path(args.deb).name
    # Elsewhere and with another umask, as another person's build would be.
    run("bash", Path(args.source_dir) / "packaging/debian/make-deb", args.build_dir, args.version, again,
        preexec_fn=lambda: os.umask(0o002))
    expect(again.read_bytes() == Path(args.deb).read_bytes(),
           "made again elsewhere with umask 0002, the package differs (or it was made at another commit: build again)")
    run("dpkg-deb", "-x", again, folder / "root")
    for path in (folder / "root").rglob("*"):
        for place in (args.source_dir, args.build_dir):
            expect(path.is_symlink() or not path.is_file() or os.fsencode(os.path.realpath(place)) not in
                   path.read_bytes(), f"{path.name} holds {place}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("--deb", "--version", "--build-dir", "--source-dir"):
        parser.add_argument(option, required=True)
    checks = {check.__name__: check for check in (lintian, contents, install_remove, reproducible)}
    parser.add_argument("check", choices=sorted(checks))
    args = parser.parse_args()
    folder = Path(tempfile.mkdtemp(prefix="vessmark-deb-"))
    try:
        expect(Path(args.deb).is_file(), f"{args.deb} is missing: the native build did not make it")
        checks[args.check](args, folder)
    except Failed as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print(f"{args.check}: as it should be")
    return 0


if __name__ == "__main__":
    sys.exit(main())
