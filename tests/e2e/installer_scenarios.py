"""The end-to-end scenarios of the installer, Vessmark-<version>-setup.exe,
and of the uninstaller it leaves, under Wine as a user or an administrator
runs them.

Each scenario installs into a folder of its own inside its work folder (the
default folder is the prefix's own %LOCALAPPDATA%\\Programs\\Vessmark), reads
the registry with `wine reg` into files, and uninstalls. The prefix is shared
by every scenario, so each one starts and ends with no installation and no
screen-saver setting left: a failed one cannot mislead the next.

A silent uninstall (Uninstall.exe /S) starts a copy of itself from %TEMP%
and returns at once; the copy does the work. It is found by its command line,
which names the installation folder after "_?=", and waited for. Run in place
(Uninstall.exe /S _?=folder) it waits and gives its exit code; a copy of it
then deletes Uninstall.exe, found the same way.
"""

import contextlib
import getpass
import os
import re
import shutil
import struct
import subprocess
import time

from fixture import prefix_processes
from harness import (EXIT_DEADLINE, WINDOW_DEADLINE, Failure, log, only_wine_errors, process_alive, process_cmdline,
                     stop_pid, what_it_wrote)
from saver_scenarios import expect_show_ends, preview_child, start_show
from music_scenarios import KEY_FILE, KEY_KIND, KEY_REPEAT, SECTION


UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vessmark"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
RUNONCE_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\RunOnce"
# The exit codes the README gives: nothing done; programs in use.
NOT_DONE, IN_USE = 2, 3
SAVER_VALUE = "SCRNSAVE.EXE"
INSTALLED = {"Vessmark.scr", "Vessmark.dll", "README.txt", "Uninstall.exe"}
SETTINGS_FILE = "Vessmark.ini"

INSTALL_DEADLINE = 120.0
UNINSTALL_DEADLINE = 120.0
REG_DEADLINE = 60.0
# A silent uninstall removes its entry right after its files.
ENTRY_AFTER_FILES = 30.0

UNINSTALL_CAPTION = "Vessmark Uninstall "  # NSIS's "$(^Name) Uninstall", with its blank
DIALOG_CLASS = "#32770"
BUTTON_NEXT = "1"  # Next, then Uninstall, then Close: always control 1
TVM_GETNEXTITEM, TVGN_ROOT = 0x110A, 0x0
TVM_GETITEMSTATE, TVIS_STATEIMAGEMASK = 0x1127, 0xF000
STATE_CHECKED = 2


# --- where things are ------------------------------------------------------------

def release_version(s):
    cache = (s.paths.build / "CMakeCache.txt").read_text(errors="replace")
    found = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(.+)$", cache, re.M)
    if not found:
        raise Failure("no CMAKE_PROJECT_VERSION in the build's CMakeCache.txt")
    return found.group(1).strip()


def setup_exe(s):
    path = s.paths.build / "package" / f"Vessmark-{release_version(s)}-setup.exe"
    if not path.is_file():
        raise Failure(f"{path} is missing: the build makes it (target vessmark_release)")
    return path


def expect_signed(s, paths, signer):
    for path in paths:
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", str(signer), "-in", str(path)],
                                stdin=subprocess.DEVNULL, capture_output=True, text=True)
        if result.returncode != 0:
            raise Failure(f"the signature of the installed {path.name} does not verify:\n{result.stdout[-2000:]}")
    log(f"signed, verified against {signer.name}: {', '.join(p.name for p in paths)}")


def drive_c(s):
    return s.paths.prefix / "drive_c"


def dos_path(s, path):
    """The Windows name of a Unix path, as a program of the prefix sees it:
    under drive_c it is on C:, anywhere else on Z: (the Unix root)."""
    path = os.path.abspath(path)
    c = str(drive_c(s))
    if path == c or path.startswith(c + "/"):
        return "C:" + (path[len(c):].replace("/", "\\") or "\\")
    return "Z:" + path.replace("/", "\\")


def default_folder(s):
    """%LOCALAPPDATA%\\Programs\\Vessmark of the prefix's user (Wine names the
    profile after the Unix user)."""
    return drive_c(s) / "users" / getpass.getuser() / "AppData" / "Local" / "Programs" / "Vessmark"


def start_menu_folder(s):
    """The user's own Start menu folder of Vessmark ($SMPROGRAMS\\Vessmark)."""
    return (drive_c(s) / "users" / getpass.getuser() / "AppData" / "Roaming" / "Microsoft" / "Windows"
            / "Start Menu" / "Programs" / "Vessmark")


def shortcut(path):
    """What a .lnk file starts, as (target, arguments, icon): the counted
    strings after the target's place; Wine writes the target's path in the
    ANSI code page only, so it is given whole only where that holds it."""
    data = path.read_bytes()
    flags = struct.unpack_from("<I", data, 20)[0]
    offset = 78 + struct.unpack_from("<H", data, 76)[0] if flags & 0x1 else 76
    size, _, _, _, base = struct.unpack_from("<IIIII", data, offset)
    target = data[offset + base:data.index(b"\0", offset + base)].decode("latin-1")
    strings, offset = [], offset + size
    for bit in (0x4, 0x8, 0x10, 0x20, 0x40):  # name, relative path, folder, arguments, icon
        count = struct.unpack_from("<H", data, offset)[0] if flags & bit else 0
        strings.append(data[offset + 2:offset + 2 + 2 * count].decode("utf-16-le").rstrip("\0"))
        offset += 2 + 2 * count if flags & bit else 0
    return target, strings[3], strings[4]


def start_menu(s):
    """The Start menu entries of Vessmark: {file name: what it starts}."""
    folder = start_menu_folder(s)
    return {p.name: shortcut(p) for p in sorted(folder.glob("*"))} if folder.is_dir() else {}


def expect_start_menu(s, folder):
    """Two entries, in the installer's language: one makes the installed
    Vessmark.scr the screen saver as right-click > Install does, one opens
    its settings."""
    scr = dos_path(s, folder / "Vessmark.scr")
    target = scr if scr.isascii() else "\\Vessmark.scr"
    wanted = sorted([("\\system32\\rundll32.exe", f"desk.cpl,InstallScreenSaver {scr}", scr),
                     (target, "/c", scr)])
    entries = start_menu(s)
    found = sorted((next((w[0] for w in wanted if e[0].lower().endswith(w[0].lower())), e[0]), *e[1:])
                   for e in entries.values())
    if found != wanted or not all(name.endswith(".lnk") for name in entries):
        raise Failure(f"the Start menu holds {entries}, expected two entries (target, arguments, icon) {wanted}")
    log(f"Start menu: {', '.join(entries)}")
    return [name for name, entry in entries.items() if entry[1] == "/c"]


# --- the registry, through wine reg ----------------------------------------------

def reg(s, *args, label="reg"):
    """Runs Wine's reg. It writes one line, success or error, on standard
    output: a run that failed and wrote nothing (but Wine's own errors) did
    not get to its work (seen once on a busy machine, as with the probe) and
    is started once more."""
    for attempt in (1, 2):
        proc = s.wine(["reg", *args], label)
        try:
            rc = proc.wait(timeout=REG_DEADLINE)
        except Exception:
            proc.kill()
            raise Failure(f"wine reg {' '.join(args)} did not finish within {REG_DEADLINE:.0f} s") from None
        if (rc == 0 or attempt == 2 or proc.out_path.stat().st_size
                or not only_wine_errors(proc.err_path.read_text(errors="replace"))):
            return rc, proc
        log(f"wine reg {args[0]} ended with exit code {rc} without a line of its own{what_it_wrote(proc)}; "
            "starting it once more")


def reg_values(s, key):
    """The values of one key as {name: text or int}, or None when the key does
    not exist. Exported to a file: reg query writes through the console's code
    page, which cannot hold every path."""
    target = s.output_path("export").with_suffix(".reg")
    rc, _ = reg(s, "export", key, dos_path(s, target), "/y", label="reg-export")
    if rc != 0 or not target.exists():
        return None
    text = target.read_bytes().decode("utf-16")
    values = {}
    section = None
    for line in text.splitlines():
        if line.startswith("["):
            section = line.strip()[1:-1]
            continue
        if section is None or section.lower() != key.replace("HKCU", "HKEY_CURRENT_USER").lower():
            continue
        match = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if not match:
            continue
        name = match.group(1).replace('\\"', '"').replace("\\\\", "\\")
        data = match.group(2)
        if data.startswith('"'):
            values[name] = data[1:-1].replace('\\"', '"').replace("\\\\", "\\")
        elif data.startswith("dword:"):
            values[name] = int(data[6:], 16)
        else:
            values[name] = data
    return values


def saver_value(s):
    values = reg_values(s, DESKTOP_KEY)
    if values is None:
        raise Failure(f"{DESKTOP_KEY} cannot be read")
    return values.get(SAVER_VALUE)


def set_saver_value(s, text):
    if text is None:
        reg(s, "delete", DESKTOP_KEY, "/v", SAVER_VALUE, "/f", label="reg-delete")
        return
    rc, proc = reg(s, "add", DESKTOP_KEY, "/v", SAVER_VALUE, "/t", "REG_SZ", "/d", text, "/f", label="reg-add")
    if rc != 0:
        raise Failure(f"wine reg add {SAVER_VALUE} failed ({rc}){what_it_wrote(proc)}")


def unix_path(s, windows):
    """Where a Windows path of the prefix (long or short form) leads."""
    proc = s.wine(["winepath", "-u", windows], "winepath")
    if proc.wait(timeout=REG_DEADLINE) != 0:
        raise Failure(f"winepath -u {windows!r} failed")
    return proc.out_path.read_text(errors="replace").strip()


# --- a clean prefix ----------------------------------------------------------------

def installer_processes(s):
    """Setups, uninstallers and their copies from %TEMP% still running in this
    prefix. Only this one: other test runs on the machine have their own."""
    marks = ("-setup.exe", "Uninstall.exe", "\\Un.exe", "/Un.exe", " /FINISH")
    return [(pid, cmdline) for pid, cmdline in prefix_processes(s.paths) if any(mark in cmdline for mark in marks)]


def clean_slate(s):
    """No installation, no uninstall entry, no screen saver named Vessmark.scr,
    no uninstaller copy left in %TEMP%: what a scenario starts from and what it
    leaves, whatever an earlier one did."""
    for pid, cmdline in installer_processes(s):
        log(f"stopping a leftover installer: {pid} {cmdline}")
        stop_pid(pid, cmdline)
    values = reg_values(s, UNINSTALL_KEY)
    if values is not None:
        log(f"removing a leftover uninstall entry: {values}")
        reg(s, "delete", UNINSTALL_KEY, "/f", label="reg-delete")
        location = values.get("InstallLocation")
        try:
            folder = unix_path(s, location) if location else ""
        except Failure:
            folder = ""  # a folder that is gone leads nowhere
        if folder.startswith(str(drive_c(s)) + "/") or folder.startswith(str(s.paths.work) + "/"):
            shutil.rmtree(folder, ignore_errors=True)
    current = saver_value(s)
    if current and (current.lower().endswith("vessmark.scr") or "\\e2e\\work\\" in current.lower()):
        log(f"removing a leftover screen saver setting: {current}")
        set_saver_value(s, None)
    for name in at_sign_in(s):
        log(f"removing a leftover RunOnce entry: {name}")
        reg(s, "delete", RUNONCE_KEY, "/v", name, "/f", label="reg-delete")
    shutil.rmtree(default_folder(s), ignore_errors=True)
    shutil.rmtree(start_menu_folder(s), ignore_errors=True)
    for temp in drive_c(s).glob("users/*/Temp/~nsu*.tmp"):
        shutil.rmtree(temp, ignore_errors=True)
    for copy in drive_c(s).glob("users/*/Temp/ns*.tmp"):
        if copy.is_file():
            copy.unlink()


def scenario(body):
    """Runs a scenario from a clean slate and leaves one when it passes. A
    failed one leaves what it found for its artifacts (the work folder) and
    the next one's clean slate."""
    def run(s):
        clean_slate(s)
        body(s)
        s.stop_all()
        clean_slate(s)
    run.__doc__ = body.__doc__
    return run


# --- install and uninstall ---------------------------------------------------------

def install(s, *switches, folder=None, expect=0, setup=None):
    """Runs the installer (by default the build's) silently (/S, the
    switches, /D=folder last, as NSIS wants it, unquoted) and waits for it to
    end with the exit code expected. Returns the installation folder."""
    args = ["/S", *switches]
    if folder is not None:
        folder.parent.mkdir(parents=True, exist_ok=True)
        # NSIS reads /D= to the end of its command line and takes no quotes,
        # so a folder with blanks goes as several arguments: Wine joins them
        # with single blanks, as a person types it.
        args.extend(f"/D={dos_path(s, folder)}".split(" "))
    started = time.monotonic()
    proc = s.wine([setup or setup_exe(s), *args], "setup")
    try:
        rc = proc.wait(timeout=INSTALL_DEADLINE)
    except Exception:
        raise Failure(f"the installer still runs {INSTALL_DEADLINE:.0f} s after its start") from None
    if rc != expect:
        raise Failure(f"the installer ended with exit code {rc}, expected {expect}{what_it_wrote(proc)}")
    folder = folder if folder is not None else default_folder(s)
    log(f"setup {' '.join(args)}: exit code {rc} after {time.monotonic() - started:.2f} s")
    return folder


def expect_installed(s, folder, programs=None):
    """Both programs side by side, as built (or as in the folder programs),
    with the read-me and the uninstaller; the uninstall entry names the
    folder and the version; the Start menu has its two entries."""
    if not folder.is_dir():
        raise Failure(f"the installer made no folder {folder}")
    present = {p.name for p in folder.iterdir()}
    if present != INSTALLED and present != INSTALLED | {SETTINGS_FILE}:
        raise Failure(f"{folder} holds {sorted(present)}, expected {sorted(INSTALLED)}")
    for name, built in (("Vessmark.scr", s.paths.scr), ("Vessmark.dll", s.paths.dll)):
        built = programs / name if programs else built
        if (folder / name).read_bytes() != built.read_bytes():
            raise Failure(f"the installed {name} differs from {built}")
    where = dos_path(s, folder)
    entry = reg_values(s, UNINSTALL_KEY)
    if entry is None:
        raise Failure(f"no uninstall entry {UNINSTALL_KEY}")
    expected = {
        "DisplayName": "Vessmark",
        "DisplayVersion": release_version(s),
        "InstallLocation": where,
        "UninstallString": f'"{where}\\Uninstall.exe"',
        "QuietUninstallString": f'"{where}\\Uninstall.exe" /S _?={where}',
        "DisplayIcon": f"{where}\\Vessmark.scr,0",
    }
    wrong = {k: (entry.get(k), v) for k, v in expected.items() if entry.get(k) != v}
    if wrong:
        raise Failure(f"the uninstall entry is not as expected (found, expected): {wrong}")
    log(f"installed: {sorted(present)} in {where}; uninstall entry {sorted(entry)}")
    return expect_start_menu(s, folder)


def uninstaller_copies(s, folder):
    """The copies of the uninstaller at work on this folder (their command line
    ends in _?=<folder>\\)."""
    mark = ("_?=" + dos_path(s, folder)).lower()
    return [int(e) for e in os.listdir("/proc")
            if e.isdigit() and mark in process_cmdline(int(e)).lower() and process_alive(int(e))]


def wait_for_uninstaller(s, folder, launcher, window=None, deadline=UNINSTALL_DEADLINE, expect=0, in_place=False):
    """The launcher returns at once; the copy it started from %TEMP% removes
    Uninstall.exe among the rest and then ends (with a window: when its window
    goes). Done when the copy is seen to end with Uninstall.exe gone; a copy
    that ended before it was ever seen must have taken the uninstall entry
    along, which follows Uninstall.exe within moments. Run in place, the
    launcher itself does the work and its copy only removes Uninstall.exe
    afterwards: nothing follows it."""
    started = time.monotonic()
    try:
        rc = launcher.wait(timeout=deadline)
    except Exception:
        raise Failure(f"Uninstall.exe still runs {deadline:.0f} s after its start") from None
    if rc != expect:
        raise Failure(f"Uninstall.exe ended with exit code {rc}, expected {expect}; Vessmark programs running "
                      f"from the folder now: {running_from(s, folder) or 'none'}")
    if window is not None:
        rc, values = s.probe("gone", window, int(deadline * 1000), timeout=deadline + 30)
        if rc != 0:
            raise Failure(f"the uninstaller's window is still there {deadline:.0f} s later: {values}")
    seen = set()
    end = started + deadline
    while True:
        copies = uninstaller_copies(s, folder)
        seen.update(copies)
        if not copies and not (folder / "Uninstall.exe").exists():
            break
        if time.monotonic() > end:
            raise Failure(f"the uninstaller is not done {deadline:.0f} s after its start "
                          f"(copies running: {copies}, Uninstall.exe there: {(folder / 'Uninstall.exe').exists()})")
        time.sleep(0.02)
    if not seen and window is None and not in_place:
        end = time.monotonic() + ENTRY_AFTER_FILES
        while reg_values(s, UNINSTALL_KEY) is not None:
            if time.monotonic() > end:
                raise Failure(f"Uninstall.exe is gone and no uninstaller runs, but the uninstall entry is "
                              f"still there {ENTRY_AFTER_FILES:.0f} s later")
            time.sleep(0.2)
    log(f"uninstalled in {time.monotonic() - started:.2f} s (the copy from %TEMP%: {sorted(seen) or 'not seen'})")


def uninstall_silently(s, folder):
    wait_for_uninstaller(s, folder, s.wine([folder / "Uninstall.exe", "/S"], "uninstall"))


def uninstall_in_place(s, folder, expect=0):
    """The uninstall entry's QuietUninstallString: it waits for the work, and
    its exit code tells how that went."""
    args = [folder / "Uninstall.exe", "/S", *f"_?={dos_path(s, folder)}".split(" ")]
    wait_for_uninstaller(s, folder, s.wine(args, "uninstall"), expect=expect, in_place=True)


def at_sign_in(s):
    """The per-user RunOnce entries of Vessmark: {name: command}."""
    return {k: v for k, v in (reg_values(s, RUNONCE_KEY) or {}).items() if k.startswith("Vessmark")}


def sign_in(s, expect=1):
    """Runs the RunOnce entries of Vessmark as Windows does at the next
    sign-in (Wine does not): each entry goes, then its command runs. There
    must have been as many as expected."""
    entries = at_sign_in(s)
    for name, command in entries.items():
        reg(s, "delete", RUNONCE_KEY, "/v", name, "/f", label="reg-delete")
        # Split as Windows splits a command line; Wine joins the parts again.
        args = [m.group(1) if m.group(1) is not None else m.group(2)
                for m in re.finditer(r'"([^"]*)"|(\S+)', command)]
        if s.wine(args, "sign-in").wait(timeout=UNINSTALL_DEADLINE) != 0:
            raise Failure(f"the RunOnce command failed: {command}")
        log(f"ran the RunOnce entry {name}: {command}")
    if len(entries) != expect:
        raise Failure(f"expected {expect} RunOnce entries of Vessmark, found (and ran) {entries}")


def expect_uninstalled(s, folder, settings_kept, in_use=()):
    """Nothing the installer made is left: no program (but those in use, left
    to the next sign-in), no uninstall entry, no screen-saver setting naming
    the program; the settings file only if kept."""
    left = sorted(p.name for p in folder.iterdir()) if folder.exists() else []
    if settings_kept or in_use:
        expected = sorted(set(in_use) | ({SETTINGS_FILE} if settings_kept else set()))
        if left != expected:
            raise Failure(f"after the uninstall {folder} holds {left}, expected {expected}")
    elif folder.exists():
        raise Failure(f"after the uninstall {folder} is still there, holding {left}")
    if reg_values(s, UNINSTALL_KEY) is not None:
        raise Failure(f"the uninstall entry {UNINSTALL_KEY} is still there")
    current = saver_value(s)
    if current and current.lower().endswith("vessmark.scr"):
        raise Failure(f"{SAVER_VALUE} still names the uninstalled program: {current}")
    if start_menu_folder(s).exists():
        raise Failure(f"the Start menu still holds {start_menu(s) or 'an empty folder'}")
    log(f"uninstalled: {left or 'no folder'} left, no uninstall entry, no Start menu entry")


# --- the installed programs ----------------------------------------------------------

class Installed:
    """The installed programs, for the show helpers of the saver scenarios."""

    def __init__(self, s, folder):
        self.s = s
        self.folder = folder
        self.scr = folder / "Vessmark.scr"

    def start(self, *args, label="scr"):
        return self.s.wine([self.scr, *args], label + "".join(a.replace("/", "-") for a in map(str, args)))

    def renderer_pids(self):
        return [pid for pid, cmdline in running_from(self.s, self.folder) if "Vessmark.dll" in cmdline]


def running_from(s, folder):
    """(pid, command line) of each Vessmark program running from folder."""
    marks = (str(folder) + "/", dos_path(s, folder) + "\\")
    return [(int(e), c) for e in os.listdir("/proc")
            if e.isdigit() and ("Vessmark.dll" in (c := process_cmdline(int(e))) or "Vessmark.scr" in c)
            and any(m in c for m in marks) and process_alive(int(e))]


def show_runs_from(s, folder):
    """Vessmark.scr /s from the installed folder: the show comes up, a key ends it."""
    installed = Installed(s, folder)
    running = start_show(s, installed, "/s")
    s.press_key("a")
    expect_show_ends(s, running, "a key press")


def settings_saved_beside_programs(s, folder):
    """Vessmark.scr /c from the installed folder: Set (設定) in the settings
    dialog writes Vessmark.ini beside the programs."""
    ini = folder / SETTINGS_FILE
    ini.unlink(missing_ok=True)
    proc = Installed(s, folder).start("/c")
    rc, dialog = s.probe("wait", "-", "<Vessmark>", int(WINDOW_DEADLINE * 1000), "visible")
    if rc != 0:
        raise Failure(f"Vessmark.scr /c showed no settings dialog (exit code {proc.poll()})")
    children = s.probe_ok("children", dialog["hwnd"])
    count = int(children.get("count", "0"))
    button = next((i for i in range(count) if children.get(f"child.{i}.caption") == "設定"), None)
    if button is None:
        raise Failure(f"no control captioned 設定 in the settings dialog: {children}")
    left, top, right, bottom = map(int, children[f"child.{button}.screen"].split(","))
    s.move_to((left + right) // 2, (top + bottom) // 2)
    s.click(1)
    try:
        rc = proc.wait(timeout=EXIT_DEADLINE)
    except Exception:
        raise Failure(f"the settings dialog still runs {EXIT_DEADLINE:.0f} s after Set") from None
    if rc != 0:
        raise Failure(f"Vessmark.scr /c ended with exit code {rc}")
    if not ini.exists():
        raise Failure(f"Set wrote no {SETTINGS_FILE} beside the installed programs")
    data = ini.read_bytes()
    for needed in (SECTION, KEY_KIND, KEY_REPEAT, KEY_FILE):
        if needed not in data:
            raise Failure(f"{SETTINGS_FILE} written by Set lacks {needed!r}: {data!r}")
    log(f"Set saved {len(data)} bytes in {ini}")


def contents(path):
    """A file's bytes, a folder's files and their bytes, or None."""
    if path.is_dir():
        return sorted((p.name, p.read_bytes()) for p in path.iterdir())
    return path.read_bytes() if path.exists() else None


def listing(path):
    return sorted(p.name for p in path.iterdir()) if path.is_dir() else contents(path)


@contextlib.contextmanager
def immutable(path):
    """Running as root, only an immutable file or folder refuses Wine a write."""
    subprocess.run(["chattr", "+i", str(path)], check=True)
    try:
        yield
    finally:
        subprocess.run(["chattr", "-i", str(path)], check=True)


def expect_refused(s, folder, saver):
    """A silent install into folder ends with exit code 2 and changes nothing:
    the folder (or file) as it was, no uninstall entry, SCRNSAVE.EXE as it was."""
    before = contents(folder)
    install(s, "/SETSAVER", folder=folder, expect=NOT_DONE)
    if contents(folder) != before:
        raise Failure(f"the refused install changed {folder}: it holds {listing(folder)}")
    if reg_values(s, UNINSTALL_KEY) is not None:
        raise Failure(f"the refused install wrote the uninstall entry: {reg_values(s, UNINSTALL_KEY)}")
    if saver_value(s) != saver:
        raise Failure(f"the refused install changed {SAVER_VALUE}: {saver!r} -> {saver_value(s)!r}")


# --- the scenarios ---------------------------------------------------------------------

@scenario
def silent_default_folder(s):
    """/S alone, from the signed setup: the programs land in
    %LOCALAPPDATA%\\Programs\\Vessmark as it packed them, they and the
    uninstaller signed, no screen-saver setting; a silent uninstall removes
    all of it."""
    # Made by the package test win64.package.signed, with its certificate.
    signed = s.paths.build / "package-signed"
    before = saver_value(s)
    folder = install(s, setup=signed / setup_exe(s).name)
    expect_installed(s, folder, programs=signed / "files")
    expect_signed(s, [folder / name for name in ("Vessmark.scr", "Vessmark.dll", "Uninstall.exe")],
                  signed / "signer.pem")
    if saver_value(s) != before:
        raise Failure(f"{SAVER_VALUE} changed without /SETSAVER: {before!r} -> {saver_value(s)!r}")
    uninstall_silently(s, folder)
    expect_uninstalled(s, folder, settings_kept=False)


@scenario
def silent_into_folder(s):
    """/S /D=folder (with a blank), refused with exit code 2 and nothing
    changed while the folder is a file, cannot be written, or holds a file
    that cannot be replaced; then the programs there side by side, a show from
    there ends on a key, no screen-saver setting; the uninstall (in place)
    closes the preview and the settings dialog (opened from its Start menu
    entry) from there, and a settings file written beside the programs
    survives it, and nothing else does."""
    before = saver_value(s)
    folder = s.work / "Programs" / "Vessmark Saver"
    folder.parent.mkdir(parents=True)
    folder.write_bytes(b"a file, not a folder")
    expect_refused(s, folder, before)
    folder.unlink()
    folder.mkdir()
    with immutable(folder):
        expect_refused(s, folder, before)
    # The programs are written before it: they must go again.
    (folder / "README.txt").write_bytes(b"the user's own")
    with immutable(folder / "README.txt"):
        expect_refused(s, folder, before)
    (folder / "README.txt").unlink()
    install(s, folder=folder)
    settings_entry, = expect_installed(s, folder)
    if saver_value(s) != before:
        raise Failure(f"{SAVER_VALUE} changed without /SETSAVER: {before!r} -> {saver_value(s)!r}")
    show_runs_from(s, folder)
    settings_saved_beside_programs(s, folder)
    # The settings as a user's choice would have left them.
    (folder / SETTINGS_FILE).write_bytes(SECTION + KEY_KIND + b"=0\r\n" + KEY_REPEAT + b"=0\r\n" + KEY_FILE
                                         + b"=\r\n")
    kept = (folder / SETTINGS_FILE).read_bytes()
    # The display settings show the preview, and the settings dialog is open.
    pane, pane_window = s.start_window_helper(["pane", 100, 100, 152, 112], "pane")
    preview = Installed(s, folder).start("/p", int(pane_window["hwnd"], 16))
    preview_child(s, pane_window["hwnd"], preview)
    # As a click on the entry starts it; start /wait ends with what it started.
    dialog = s.wine(["start", "/wait", "/unix", start_menu_folder(s) / settings_entry], "start-menu-settings")
    if s.probe("wait", "-", "<Vessmark>", int(WINDOW_DEADLINE * 1000), "visible")[0] != 0:
        raise Failure(f"the Start menu entry {settings_entry} showed no settings dialog (exit code {dialog.poll()})")
    uninstall_in_place(s, folder)
    for what, proc in (("preview", preview), ("settings dialog", dialog)):
        if proc.poll() is None:
            raise Failure(f"the {what} still runs after the uninstall")
    if pane.poll() is not None:
        raise Failure("the display settings' pane went with the preview")
    expect_uninstalled(s, folder, settings_kept=True)
    if (folder / SETTINGS_FILE).read_bytes() != kept:
        raise Failure(f"the silent uninstall changed {SETTINGS_FILE}")


def expect_saver_names(s, folder):
    """SCRNSAVE.EXE holds the installed Vessmark.scr: in the short form where
    the volume has one (ASCII, each part a name of up to eight characters with
    an extension of up to three), and it leads to that file."""
    value = saver_value(s)
    if not value:
        raise Failure(f"{SAVER_VALUE} is not set after /SETSAVER")
    long_form = dos_path(s, folder / "Vessmark.scr")
    if not value.isascii() or not all(re.fullmatch(r"[^.]{1,8}(\.[^.]{1,3})?", part)
                                      for part in value.split("\\")[1:]):
        raise Failure(f"{SAVER_VALUE} is not a short path: {value!r} (long form {long_form!r})")
    if not os.path.samefile(unix_path(s, value), folder / "Vessmark.scr"):
        raise Failure(f"{SAVER_VALUE} {value!r} does not lead to {folder / 'Vessmark.scr'}")
    log(f"{SAVER_VALUE} = {value} (long form {long_form})")
    return value


@scenario
def set_saver(s):
    """/S /SETSAVER makes the installed program the screen saver; the uninstall
    takes the setting away again, gives back the screen saver it replaced
    (when that is still there), and leaves alone one chosen since. A second
    install into another folder moves the first one there."""
    other = s.work / "Other Saver" / "Other.scr"
    other.parent.mkdir()
    shutil.copy2(s.paths.probe, other)
    other_value = dos_path(s, other)
    folder = s.work / "Programs" / "Vessmark"
    cases = [
        # (SCRNSAVE.EXE before the install, changed after it to, expected after the uninstall)
        ("no screen saver before", None, None, None),
        ("another screen saver before", other_value, None, other_value),
        ("another chosen after the install", None, other_value, other_value),
        ("the one before is gone", dos_path(s, s.work / "Gone" / "Gone.scr"), None, None),
    ]
    for what, before, changed, after in cases:
        log(f"--- {what}")
        set_saver_value(s, before)
        install(s, "/SETSAVER", folder=folder)
        expect_installed(s, folder)
        expect_saver_names(s, folder)
        if changed is not None:
            set_saver_value(s, changed)
        uninstall_silently(s, folder)
        expect_uninstalled(s, folder, settings_kept=False)
        if saver_value(s) != after:
            raise Failure(f"{what}: after the uninstall {SAVER_VALUE} is {saver_value(s)!r}, expected {after!r}")
        set_saver_value(s, None)
    log("--- a second install elsewhere moves the first, its settings and its being the screen saver")
    set_saver_value(s, other_value)
    first = install(s, "/SETSAVER", folder=s.work / "Programs" / "First")
    (first / SETTINGS_FILE).write_bytes(SECTION + KEY_KIND + b"=1\r\n")
    install(s, folder=folder)
    install(s, folder=folder)  # and again: a reinstall leaves nothing set aside
    if first.exists():
        raise Failure(f"the first installation is still there: {listing(first)}")
    expect_installed(s, folder)
    if contents(folder / SETTINGS_FILE) != SECTION + KEY_KIND + b"=1\r\n":
        raise Failure(f"the settings did not come along: {contents(folder / SETTINGS_FILE)}")
    expect_saver_names(s, folder)
    # An uninstaller left in another folder (by an earlier release) takes
    # away nothing of the installation that owns the entry.
    stale = s.work / "Programs" / "Stale"
    stale.mkdir()
    shutil.copy2(folder / "Uninstall.exe", stale)
    uninstall_in_place(s, stale)
    expect_installed(s, folder)
    expect_saver_names(s, folder)
    uninstall_silently(s, folder)
    expect_uninstalled(s, folder, settings_kept=True)
    if saver_value(s) != other_value:
        raise Failure(f"after the uninstall {SAVER_VALUE} is {saver_value(s)!r}, expected {other_value!r}")


@scenario
def profile_folder_cyrillic(s):
    """A profile whose user name the ANSI code page (1252 here) cannot hold,
    as the default folder would be for such a user: the programs install
    there, the screen-saver setting takes the short form, a show runs from
    there and the settings are saved there; uninstalled during a show, it
    removes all of it but the settings file, which a silent uninstall keeps,
    and the show's programs, left to the next sign-in. An install into
    another folder leaves that removal alone; one into the same folder
    takes it back, and the sign-in's commands then leave the programs in
    place."""
    s.env.update({"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
    folder = s.work / "Users" / "Пользователь" / "AppData" / "Local" / "Programs" / "Vessmark"
    install(s, "/SETSAVER", folder=folder)
    expect_installed(s, folder)
    expect_saver_names(s, folder)
    show_runs_from(s, folder)
    settings_saved_beside_programs(s, folder)
    # A show from there, which takes no orders from other programs: its two
    # programs are left to the next sign-in, and the exit code says so.
    running = start_show(s, Installed(s, folder), "/s")
    uninstall_in_place(s, folder, expect=IN_USE)
    expect_uninstalled(s, folder, settings_kept=True, in_use={"Vessmark.scr", "Vessmark.dll"})
    s.press_key("a")
    expect_show_ends(s, running, "a key press")
    pending = at_sign_in(s)
    install(s, folder=s.work / "Elsewhere" / "Vessmark")
    if at_sign_in(s) != pending:
        raise Failure(f"an install into another folder changed the removal at sign-in: {pending} -> {at_sign_in(s)}")
    # Moves the other installation here.
    install(s, folder=folder)
    sign_in(s, expect=0)
    expect_installed(s, folder)
    uninstall_in_place(s, folder)
    expect_uninstalled(s, folder, settings_kept=True)


def uninstaller_window(s, launcher):
    rc, values = s.probe("wait", DIALOG_CLASS, UNINSTALL_CAPTION, int(WINDOW_DEADLINE * 1000), "visible")
    if rc != 0:
        # Uninstall.exe starts a copy of itself from %TEMP% and ends: say how
        # far that got.
        copies = [(pid, cmdline) for pid, cmdline in prefix_processes(s.paths)
                  if re.search(r"~nsu|Uninstall\.exe|\\Un(_\w)?\.exe", cmdline)]
        ended = launcher.poll()
        raise Failure(f"no uninstaller window {UNINSTALL_CAPTION!r}: {values}; Uninstall.exe "
                      f"{'still runs' if ended is None else f'ended with {ended}'}; uninstaller processes: {copies}")
    return values["hwnd"]


def control(s, hwnd, control_id=None, cls=None, caption=None):
    """One control of the uninstaller's window (its current page) or of a
    message box: its handle, caption and centre on the screen."""
    children = s.probe_ok("children", hwnd)
    for i in range(int(children.get("count", "0"))):
        if ((control_id is None or children.get(f"child.{i}.id") == control_id)
                and (cls is None or children.get(f"child.{i}.class") == cls)
                and (caption is None or children.get(f"child.{i}.caption", "").replace("&", "") == caption)
                and children.get(f"child.{i}.visible") == "1"):
            left, top, right, bottom = map(int, children[f"child.{i}.screen"].split(","))
            return {"hwnd": children[f"child.{i}.hwnd"], "caption": children.get(f"child.{i}.caption", ""),
                    "left": left, "top": top, "centre": ((left + right) // 2, (top + bottom) // 2)}
    return None


def wait_for_button(s, hwnd, caption, deadline=WINDOW_DEADLINE):
    end = time.monotonic() + deadline
    while True:
        button = control(s, hwnd, control_id=BUTTON_NEXT, cls="Button")
        if button is not None and button["caption"].replace("&", "") == caption:
            return button
        if time.monotonic() > end:
            raise Failure(f"the uninstaller shows no button {caption!r} (control 1: {button})")
        time.sleep(0.1)


def click(s, point):
    s.move_to(*point)
    s.click(1)


def tree_state(s, tree):
    item = int(s.probe_ok("send", tree["hwnd"], TVM_GETNEXTITEM, TVGN_ROOT, 0, 5000)["result"])
    state = int(s.probe_ok("send", tree["hwnd"], TVM_GETITEMSTATE, item, TVIS_STATEIMAGEMASK, 5000)["result"])
    return state >> 12


def answer(s, owner, button, expected, deadline=UNINSTALL_DEADLINE):
    """The message box the uninstaller's window shows must name what is
    expected; then one of its buttons is pressed."""
    end = time.monotonic() + deadline
    while True:
        owned = s.probe("owned", owner)[1]
        if int(owned.get("count", "0")) > 0 and owned.get("owned.0.visible") == "1":
            break
        if time.monotonic() > end:
            raise Failure(f"the uninstaller showed no message within {deadline:.0f} s")
        time.sleep(0.1)
    box = owned["owned.0.hwnd"]
    children = s.probe_ok("children", box)
    text = " ".join(children.get(f"child.{i}.caption", "") for i in range(int(children.get("count", "0")))
                    if children.get(f"child.{i}.class") == "Static")
    missing = [e for e in expected if e not in text]
    if missing:
        raise Failure(f"the message {text!r} does not name {missing}")
    click(s, control(s, box, cls="Button", caption=button)["centre"])
    s.probe_ok("gone", box, int(deadline * 1000), timeout=deadline + 30)
    log(f"answered {button} to {text!r}")


@scenario
def uninstall_removes_settings_when_ticked(s):
    """The uninstaller as a person uses it: Next, tick "Also delete my
    settings file (Vessmark.ini)", Uninstall, Close: the settings file goes
    with the rest. A program of the folder that will not close (a stand-in
    for a show) is named, with Retry and Cancel; Cancel leaves it to the next
    sign-in, which the uninstaller says, and which removes the folder."""
    folder = install(s, folder=s.work / "Programs" / "Vessmark")
    (folder / SETTINGS_FILE).write_bytes(SECTION + KEY_KIND + b"=0\r\n")
    expect_installed(s, folder)
    shutil.copy2(s.paths.probe, folder / "Vessmark.dll")
    stand_in = s.wine([folder / "Vessmark.dll", "create", "VessmarkStandIn", "stand-in", "hidden"], "stand-in")
    s.probe_ok("wait", "VessmarkStandIn", "stand-in", int(WINDOW_DEADLINE * 1000))
    launcher = s.wine([folder / "Uninstall.exe"], "uninstall")
    hwnd = uninstaller_window(s, launcher)
    click(s, wait_for_button(s, hwnd, "Next >")["centre"])
    wait_for_button(s, hwnd, "Uninstall")
    tree = control(s, hwnd, cls="SysTreeView32")
    if tree is None:
        raise Failure("the uninstaller's components page has no list of components")
    if tree_state(s, tree) == STATE_CHECKED:
        raise Failure("the settings file is ticked for deletion before the user ticked it")
    # The tick box of the first (only) item, at the list's top left.
    click(s, (tree["left"] + 9, tree["top"] + 9))
    if tree_state(s, tree) != STATE_CHECKED:
        raise Failure(f"the click did not tick the settings file (state {tree_state(s, tree)})")
    click(s, wait_for_button(s, hwnd, "Uninstall")["centre"])
    where = dos_path(s, folder)
    answer(s, hwnd, "Cancel", [where, "sign in"])
    answer(s, hwnd, "OK", ["Vessmark.dll", where, "sign in"])
    click(s, wait_for_button(s, hwnd, "Close", deadline=UNINSTALL_DEADLINE)["centre"])
    wait_for_uninstaller(s, folder, launcher, window=hwnd)
    expect_uninstalled(s, folder, settings_kept=False, in_use={"Vessmark.dll"})
    stand_in.kill()
    stand_in.wait()
    sign_in(s)
    expect_uninstalled(s, folder, settings_kept=False)


SCENARIOS = {
    "silent.default_folder": silent_default_folder,
    "silent.into_folder": silent_into_folder,
    "silent.set_saver": set_saver,
    "silent.profile_folder_cyrillic": profile_folder_cyrillic,
    "uninstall.settings_ticked": uninstall_removes_settings_when_ticked,
}
