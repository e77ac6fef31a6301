#!/usr/bin/env python3
"""Checks the release files the build made, as a user receives them:

    release_check.py --package-dir DIR --bin-dir DIR --version X.Y.Z --source-dir DIR
                     --cmake CMAKE --objdump OBJDUMP --imports-script FILE  CHECK

CHECK is one of:
    zip_contents          the zip holds exactly Vessmark.scr, Vessmark.dll and
                          README.txt, the programs byte for byte as built
    readme                README.txt: UTF-8 with a byte-order mark, Windows line
                          ends, Japanese and English, the version
    imports               the programs taken out of the zip import only system DLLs
    version_resources     the programs of the zip and the installer carry the
                          version in their version resources (and the programs
                          in their manifests); the screen saver its description
    installer_per_user    the installer is a 64-bit program that asks for no
                          administrator rights
    reproducible          the release's time in the files, and the same files
                          when made again elsewhere, later, in another zone
    winget                the manifest agrees with its setup and the read-me
    signed                signed with a throwaway certificate (from a file and
                          a software token): the signatures verify and come
                          off to the unsigned bytes; kept in ../package-signed
"""

import argparse
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True
import pe_resources  # noqa: E402
from checking import Failed, expect, run  # noqa: E402

PROGRAMS = ("Vessmark.scr", "Vessmark.dll")
ZIPPED = PROGRAMS + ("README.txt",)
BOM = b"\xef\xbb\xbf"
MACHINE_AMD64 = 0x8664
# Where Debian's softhsm2 puts its PKCS#11 module.
SOFTHSM_MODULE = "/usr/lib/softhsm/libsofthsm2.so"


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
        self.inputs = Path(args.package_dir) / "release-inputs.cmake"
        self.source = Path(args.source_dir)

    def input(self, name):
        """One input of the release, as the build wrote it for make_release."""
        found = re.search(rf'^set\({name} "([^"]*)"\)$', self.inputs.read_text(), re.M)
        expect(found, f"{self.inputs} does not set {name}")
        return found.group(1)

    def epoch(self):
        return int(Path(self.input("EPOCH_FILE")).read_text().strip())

    def make(self, folder, env=None, sign=False, inputs=None, umask=None):
        """The release made once more from the build's inputs (or others), into folder."""
        setup = folder / self.setup.name
        command = [self.args.cmake, f"-DINPUTS={inputs or self.inputs}", f"-DSTAGE={folder / 'files'}",
                   f"-DZIP={folder / self.zip.name}", f"-DSETUP={setup}", f"-DWINGET={folder / 'winget'}"]
        if sign:
            command.append(f"-DSIGN={self.source / 'installer' / 'sign'}")
        command += ["-P", str(self.source / "installer" / "make_release.cmake")]
        run(*command, what=f"making the release in {folder}", env=env,
            preexec_fn=(lambda: os.umask(umask)) if umask is not None else None)
        return folder / self.zip.name, setup

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
    scr = pe_resources.resources(release.unzipped("Vessmark.scr"))
    description = pe_resources.string_resource(scr, 1)
    expect(description == "Vessmark",
           f"Vessmark.scr: string 1, which the screen saver settings list it by, is {description!r}")
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


def utc(seconds):
    return time.strftime("%Y-%m-%d %H:%M:%S UTC", time.gmtime(seconds))


def reproducible(release):
    epoch = release.epoch()
    for name in PROGRAMS:
        stamp = pe_resources.time_stamp(release.unzipped(name).read_bytes())
        expect(stamp == epoch, f"{name}: the PE header's time stamp is {utc(stamp)}, not the release's {utc(epoch)}")
    # A zip entry keeps its time in 2-second steps, without a zone.
    year, month, day, hour, minute, second = time.gmtime(epoch)[:6]
    expected = (year, month, day, hour, minute, second - second % 2)
    with zipfile.ZipFile(release.zip) as archive:
        for entry in archive.infolist():
            expect(entry.date_time == expected,
                   f"{release.zip.name}: {entry.filename} is dated {entry.date_time}, not {expected} ({utc(epoch)})")
    for name in PROGRAMS:
        for form in (str(release.source.resolve()).encode(), str(release.source.resolve()).encode("utf-16-le")):
            expect(form not in release.unzipped(name).read_bytes(), f"{name} names the folder it was built from")
    # Made again from copies of the same files, written an hour later, in
    # another folder, in another time zone and with another umask.
    copies = release.folder / "inputs"
    copies.mkdir()
    inputs = release.inputs.read_text()
    for name in ("SCR", "DLL", "README"):
        original = release.input(name)
        copy = copies / Path(original).name
        shutil.copyfile(original, copy)
        os.utime(copy, (time.time() + 3600, time.time() + 3600))
        inputs = inputs.replace(f'"{original}"', f'"{copy}"')
    (copies / "release-inputs.cmake").write_text(inputs)
    again = release.folder / "again"
    zip_again, setup_again = release.make(again, env=dict(os.environ, TZ="Asia/Tokyo"), umask=0o002,
                                          inputs=copies / "release-inputs.cmake")
    pairs = [(release.zip, zip_again), (release.setup, setup_again)]
    pairs += [(path, again / "winget" / path.name) for path in sorted((release.zip.parent / "winget").glob("*.yaml"))]
    for built, made in pairs:
        expect(made.read_bytes() == built.read_bytes(), f"{built.name} made once more differs from the build's")
    print(f"both programs and the zip carry {utc(epoch)}; {len(pairs)} files made again are the same bytes")


def manifest_fields(path):
    """A winget manifest's scalar fields by their names, as the build writes
    them: each name once in a file, a list item's first field after "- "."""
    return dict(re.findall(r"^[ -]*(\w+): +(\S.*)$", path.read_text(encoding="utf-8"), re.M))


def check_manifest(release, folder, setup):
    """The three manifests in folder name one package and version, and the
    installer one names setup by its SHA-256 and its file name."""
    manifests = {f.get("ManifestType"): f for f in map(manifest_fields, sorted(folder.glob("*.yaml")))}
    expect(sorted(manifests) == ["defaultLocale", "installer", "version"], f"{folder}: manifests {sorted(manifests)}")
    for kind, fields in manifests.items():
        for key, value in (("PackageVersion", release.version), ("PackageIdentifier", None), ("ManifestVersion", None)):
            value = value or manifests["version"].get(key)
            expect(fields.get(key) == value, f"the {kind} manifest's {key} is {fields.get(key)!r}, not {value!r}")
    expect(manifests["version"].get("DefaultLocale") == manifests["defaultLocale"].get("PackageLocale"),
           "the default locale the version manifest names is not the locale manifest's")
    installer = manifests["installer"]
    digest = hashlib.sha256(setup.read_bytes()).hexdigest().upper()
    expect(installer.get("InstallerSha256", "").upper() == digest,
           f"the manifest names the SHA-256 {installer.get('InstallerSha256')}, {setup.name} has {digest}")
    expect(installer.get("InstallerUrl", "").endswith("/" + setup.name),
           f"the installer address {installer.get('InstallerUrl')!r} does not name {setup.name}")
    return installer


def winget(release):
    installer = check_manifest(release, release.zip.parent / "winget", release.setup)
    wanted = {"InstallerType": "nullsoft", "Scope": "user", "Architecture": "x64"}
    wrong = {k: installer.get(k) for k, v in wanted.items() if installer.get(k) != v}
    expect(not wrong, f"the installer manifest has {wrong}, expected {wanted}")
    # Every switch it gives is one of the read-me's silent install line.
    readme = release.unzipped("README.txt").read_text(encoding="utf-8-sig")
    silent = next((line for line in readme.splitlines() if f"{release.setup.name} /S" in line), "")
    for key in ("Silent", "SilentWithProgress", "InstallLocation"):
        switch = installer.get(key, "").replace("<INSTALLPATH>", "")
        expect(switch and switch in silent, f"{key} {installer.get(key)!r} is not in the read-me's {silent.strip()!r}")
    print(f"winget: {installer['PackageIdentifier']} {release.version}, {installer['InstallerType']}, "
          f"{installer['Scope']}, SHA-256 {installer['InstallerSha256']}")


def verifies(path, ca):
    return run("osslsigncode", "verify", "-CAfile", ca, "-in", path, check=False).returncode == 0


def without_keys():
    """The environment without any signing key of the caller's."""
    return {k: v for k, v in os.environ.items() if not k.startswith("VESSMARK_SIGN_")}


def expect_signed(path, ca, unsigned, work):
    """path's signature verifies against ca and comes off to unsigned's bytes."""
    expect(verifies(path, ca), f"{path.parent.name}/{path.name} does not verify against the signer")
    stripped = work / f"{path.parent.name}-{path.name}.unsigned"
    run("osslsigncode", "remove-signature", "-in", path, "-out", stripped, what=f"removing the signature of {path.name}")
    expect(stripped.read_bytes() == unsigned.read_bytes(), f"{path.name} without its signature is not {unsigned}")


def signed(release):
    out = release.zip.parent.parent / "package-signed"
    shutil.rmtree(out, ignore_errors=True)
    keys = release.folder / "keys"
    keys.mkdir()
    # A throwaway certificate of this run, its own root: nothing is committed
    # and nothing outlives the build folder.
    run(*f"openssl req -x509 -newkey rsa:3072 -nodes -days 2 -keyout {keys}/key.pem "
        f"-out {keys}/signer.pem -addext keyUsage=digitalSignature -addext extendedKeyUsage=codeSigning "
        "-subj /CN=Vessmark-test-signer".split(), what="making a certificate")
    (keys / "password").write_text("not a secret\n")
    run(*f"openssl pkcs12 -export -inkey {keys}/key.pem -in {keys}/signer.pem "
        f"-out {keys}/signer.p12 -passout file:{keys}/password".split(), what="making the .p12 file")
    ca = keys / "signer.pem"
    env = without_keys()
    env.update(VESSMARK_SIGN_PKCS12=str(keys / "signer.p12"), VESSMARK_SIGN_PASSWORD_FILE=str(keys / "password"))
    zip_path, setup = release.make(out, env=env, sign=True)
    expect(not verifies(release.setup, ca), "osslsigncode verify accepts the unsigned setup")
    with zipfile.ZipFile(zip_path) as archive:
        archive.extractall(release.folder / "signed", members=list(PROGRAMS))
    for name in PROGRAMS:
        program = release.folder / "signed" / name
        expect(program.read_bytes() == (out / "files" / name).read_bytes(),
               f"{name} in the signed zip is not the one the installer packs")
        expect_signed(program, ca, release.bin / name, release.folder)
    expect(verifies(setup, ca), f"the signed {setup.name} does not verify against the signer")
    check_manifest(release, out / "winget", setup)
    shutil.copy2(ca, out / "signer.pem")

    # The same from a PKCS#11 token: a software one, in this run's folder.
    token = release.folder / "token"
    (token / "objects").mkdir(parents=True)
    (token / "softhsm2.conf").write_text(f"directories.tokendir = {token / 'objects'}\nobjectstore.backend = file\n")
    env = without_keys()
    env["SOFTHSM2_CONF"] = str(token / "softhsm2.conf")
    (token / "pin").write_text("4711\n")
    run(*"softhsm2-util --init-token --free --label vessmark --pin 4711 --so-pin 12345678".split(),
        what="making a token", env=env)
    run(*f"softhsm2-util --import {keys}/key.pem --token vessmark --label signer --id 01 --pin 4711".split(),
        what="putting the key on the token", env=env)
    env.update(VESSMARK_SIGN_PKCS11_MODULE=SOFTHSM_MODULE, VESSMARK_SIGN_CERT=str(ca),
               VESSMARK_SIGN_PKCS11_KEY="pkcs11:token=vessmark;object=signer;type=private",
               VESSMARK_SIGN_PASSWORD_FILE=str(token / "pin"))
    program = token / "Vessmark.dll"
    shutil.copy2(release.bin / "Vessmark.dll", program)
    run(release.source / "installer" / "sign", program, what="signing from the token", env=env)
    expect_signed(program, ca, release.bin / "Vessmark.dll", release.folder)
    print(f"signed release in {out}: both programs, the setup and the manifest verify; "
          "the programs' signatures come off to the unsigned bytes; the token signs too")


CHECKS = {f.__name__: f for f in (zip_contents, readme, imports, version_resources, installer_per_user, reproducible,
                                  winget, signed)}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    for option in ("--package-dir", "--bin-dir", "--version", "--source-dir", "--cmake", "--objdump",
                   "--imports-script"):
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
