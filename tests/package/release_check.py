#!/usr/bin/env python3
"""Checks the release files the build made, as a user receives them:

    release_check.py --package-dir DIR --bin-dir DIR --version X.Y.Z
                     --cmake CMAKE --objdump OBJDUMP --imports-script FILE  CHECK

CHECK is one of:
    zip_contents          the zip holds exactly Vessmark.scr, Vessmark.dll and
                          README.txt, the programs byte for byte as built
    readme                README.txt: UTF-8 with a byte-order mark, Windows line
                          ends, Japanese and English, the version
    imports               the programs taken out of the zip import only system DLLs
    version_resources     the programs of the zip and the installer carry the
                          version in their version resources (and the programs
                          in their manifests)
    installer_per_user    the installer is a 64-bit program that asks for no
                          administrator rights
"""

import argparse
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True
import pe_resources  # noqa: E402

PROGRAMS = ("Vessmark.scr", "Vessmark.dll")
ZIPPED = PROGRAMS + ("README.txt",)
BOM = b"\xef\xbb\xbf"
MACHINE_AMD64 = 0x8664


class Failed(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failed(message)


class Release:
    def __init__(self, args):
        self.args = args
        self.version = args.version
        self.zip = Path(args.package_dir) / f"Vessmark-{args.version}-win64.zip"
        self.setup = Path(args.package_dir) / f"Vessmark-{args.version}-setup.exe"
        self.bin = Path(args.bin_dir)
        for path in (self.zip, self.setup):
            expect(path.is_file(), f"{path} is missing: the build did not make it")
        self.folder = Path(tempfile.mkdtemp(prefix="vessmark-release-"))

    def unzipped(self, name):
        """A file as a user gets it out of the zip."""
        target = self.folder / name
        if not target.exists():
            with zipfile.ZipFile(self.zip) as archive:
                archive.extract(name, self.folder)
        return target


def zip_contents(release):
    with zipfile.ZipFile(release.zip) as archive:
        names = archive.namelist()
        expect(archive.testzip() is None, f"{release.zip} is damaged")
    expect(sorted(names) == sorted(ZIPPED),
           f"{release.zip.name} holds {names}, expected exactly {list(ZIPPED)} at its top")
    for name in PROGRAMS:
        built = (release.bin / name).read_bytes()
        expect(release.unzipped(name).read_bytes() == built,
               f"{name} in the zip differs from the one built in {release.bin}")
    print(f"{release.zip.name}: {', '.join(names)}; the programs are the built ones")


def readme(release):
    data = release.unzipped("README.txt").read_bytes()
    expect(data.startswith(BOM), "README.txt has no UTF-8 byte-order mark (Notepad may not show the Japanese)")
    try:
        text = data[len(BOM):].decode("utf-8")
    except UnicodeDecodeError as error:
        raise Failed(f"README.txt is not UTF-8: {error}") from None
    bare = len(re.findall(rb"(?<!\r)\n", data))
    expect(bare == 0, f"README.txt has {bare} line ends without a carriage return")
    expect(re.search(r"[\u3040-\u30ff]", text), "README.txt has no Japanese text")
    for needed in (f"Vessmark {release.version}", f"Vessmark-{release.version}-setup.exe",
                   "Vessmark.scr", "Vessmark.dll", "Vessmark.ini", "/SETSAVER",
                   "[English]", "[日本語]", "Uninstall", "アンインストール"):
        expect(needed in text, f"README.txt does not mention {needed!r}")
    expect("@" not in text, "README.txt has a placeholder left: " + ", ".join(re.findall(r"@\w*@?", text)))
    print(f"README.txt: {len(text.splitlines())} lines, UTF-8 with BOM, CRLF, Japanese and English")


def imports(release):
    for name in PROGRAMS:
        result = subprocess.run([release.args.cmake, f"-DOBJDUMP={release.args.objdump}",
                                 f"-DPROGRAM={release.unzipped(name)}", "-P", release.args.imports_script],
                                capture_output=True, text=True)
        print(result.stdout + result.stderr, end="")
        expect(result.returncode == 0, f"{name} from the zip imports a DLL that is not part of Windows")


def version_resources(release):
    numbers = tuple(int(part) for part in release.version.split(".")) + (0,)
    expect(len(numbers) == 4, f"the version {release.version} is not major.minor.patch")
    programs = [(name, release.unzipped(name), name) for name in PROGRAMS]
    programs.append(("the installer", release.setup, release.setup.name))
    for what, path, original_name in programs:
        found = [data for (kind, _, _), data in pe_resources.resources(path).items()
                 if kind == pe_resources.RT_VERSION]
        expect(len(found) == 1, f"{what}: {len(found)} version resources, expected one")
        info = pe_resources.version_info(found[0])
        for field in ("file_version", "product_version"):
            expect(info[field] == numbers, f"{what}: {field} is {info[field]}, expected {numbers}")
        for key in ("FileVersion", "ProductVersion"):
            expect(info["strings"].get(key) == release.version,
                   f"{what}: {key} is {info['strings'].get(key)!r}, expected {release.version!r}")
        expect(info["strings"].get("OriginalFilename") == original_name,
               f"{what}: OriginalFilename is {info['strings'].get('OriginalFilename')!r}")
        expect(info["strings"].get("ProductName") == "Vessmark", f"{what}: ProductName is not Vessmark")
        print(f"{what}: version {'.'.join(map(str, info['file_version']))}, strings {info['strings']}")
    for name, path, _ in programs[:2]:
        manifest = manifest_of(path)
        identity = re.search(r'<assemblyIdentity[^>]*name="Vessmark\.[^"]*"[^>]*>', manifest)
        expect(identity and f'version="{release.version}.0"' in identity.group(0),
               f"{name}: the manifest's assembly version is not {release.version}.0: "
               f"{identity.group(0) if identity else 'no identity'}")


def manifest_of(path):
    found = [data for (kind, _, _), data in pe_resources.resources(path).items()
             if kind == pe_resources.RT_MANIFEST]
    expect(len(found) == 1, f"{path.name}: {len(found)} manifests, expected one")
    return found[0].decode("utf-8", errors="replace")


def installer_per_user(release):
    data = release.setup.read_bytes()
    expect(pe_resources.machine(data) == MACHINE_AMD64,
           f"the installer is not a 64-bit program (machine {pe_resources.machine(data):#x})")
    level = re.search(r'requestedExecutionLevel\s+level="([^"]+)"', manifest_of(release.setup))
    expect(level is not None, "the installer's manifest requests no execution level")
    expect(level.group(1) == "asInvoker",
           f"the installer asks for {level.group(1)}: it must install without administrator rights")
    print(f"{release.setup.name}: x86-64, requestedExecutionLevel {level.group(1)}")


CHECKS = {f.__name__: f for f in (zip_contents, readme, imports, version_resources, installer_per_user)}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for option in ("--package-dir", "--bin-dir", "--version", "--cmake", "--objdump", "--imports-script"):
        parser.add_argument(option, required=True)
    parser.add_argument("check", choices=sorted(CHECKS))
    args = parser.parse_args()
    try:
        release = Release(args)
        try:
            CHECKS[args.check](release)
        finally:
            shutil.rmtree(release.folder, ignore_errors=True)
    except (Failed, pe_resources.PeError) as error:
        print(f"FAILED: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
