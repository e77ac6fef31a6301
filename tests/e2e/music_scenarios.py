"""The end-to-end scenarios of the settings file and the background music,
driven through music_driver.exe with the real Windows functions: the profile
functions, MCI and PlaySound. Sound is proved by recording a private sound
server's null sink."""

import time

from harness import Failure, log, parse_lines
from sound import make_tone

# Key names of the settings file: code page 932 bytes on every system.
SECTION = b"[Section]\r\n"
KEY_KIND = b"BGM\x8b\xe6\x95\xaa"
KEY_REPEAT = b"BGM\xd8\xcb\xdf\xb0\xc4"
KEY_FILE = b"BGM\xcc\xa7\xb2\xd9"

WAV_HZ, WAV_BAND = 440, (380, 500)
MP3_HZ, MP3_BAND = 660, (600, 720)
DRIVER_DEADLINE = 60.0


def windows_path(path):
    """Wine's drive Z: is the Unix root."""
    return "Z:" + str(path).replace("/", "\\")


def run_driver(s, *args, deadline=DRIVER_DEADLINE):
    proc = s.wine([s.paths.music_driver, *args], f"driver-{args[0]}")
    try:
        rc = proc.wait(timeout=deadline)
    except Exception:
        proc.kill()
        raise Failure(f"music_driver {args[0]} did not finish within {deadline:.0f} s") from None
    output = proc.out_path.read_text(errors="replace")
    if rc != 0:
        raise Failure(f"music_driver {' '.join(map(str, args))} failed with {rc}: {output}")
    return parse_lines(output)


class Marks:
    """The driver's step markers (empty files), read against a recording."""

    def __init__(self, s):
        self.folder = s.work / "marks"
        self.folder.mkdir()
        self.at = {}

    def follow(self, proc, recording, steps, deadline=DRIVER_DEADLINE):
        """Notes where in the recording each step fell, as it happens."""
        end = time.monotonic() + deadline
        pending = list(steps)
        while pending:
            if (self.folder / pending[0]).exists():
                self.at[pending[0]] = recording.mark()
                log(f"step {pending[0]} at {self.at[pending[0]]:.2f} s of the recording")
                pending.pop(0)
                continue
            if proc.poll() is not None and not (self.folder / pending[0]).exists():
                raise Failure(f"the driver ended ({proc.returncode}) before step {pending[0]}: "
                              f"{proc.out_path.read_text(errors='replace')}")
            if time.monotonic() > end:
                raise Failure(f"step {pending[0]} did not come within {deadline:.0f} s")
            time.sleep(0.01)
        if proc.wait(timeout=deadline) != 0:
            raise Failure(f"the driver failed with {proc.returncode}: {proc.out_path.read_text(errors='replace')}")


# --- the settings file ---------------------------------------------------------

def settings_file_bytes(s):
    music = s.work / "My Music" / "tone one.mp3"
    make_tone(music, 1, MP3_HZ)
    ini = s.work / "Vessmark.ini"
    run_driver(s, "write-settings", windows_path(ini), 2, -3, windows_path(music))
    expected = (SECTION + KEY_KIND + b"=2\r\n" + KEY_REPEAT + b"=-3\r\n" + KEY_FILE + b"="
                + windows_path(music).encode() + b"\r\n")
    written = ini.read_bytes()
    if written != expected:
        raise Failure(f"the settings file holds {written!r}, expected {expected!r}")
    values = run_driver(s, "load-settings", windows_path(ini))
    if (values.get("kind"), values.get("repeat"), values.get("file")) != ("2", "-3", windows_path(music)):
        raise Failure(f"read back {values}")
    log("written with the exact key bytes and read back")


def settings_file_missing_music(s):
    """A music file that has gone turns the file kind into none, and reading
    creates no settings file."""
    ini = s.work / "Vessmark.ini"
    ini.write_bytes(SECTION + KEY_KIND + b"=2\r\n" + KEY_FILE + b"=" + windows_path(s.work / "gone.mp3").encode()
                    + b"\r\n")
    values = run_driver(s, "load-settings", windows_path(ini))
    if (values.get("kind"), values.get("file")) != ("0", ""):
        raise Failure(f"read {values}")
    absent = s.work / "absent.ini"
    values = run_driver(s, "load-settings", windows_path(absent))
    if (values.get("kind"), values.get("repeat"), values.get("file")) != ("0", "0", ""):
        raise Failure(f"no file read as {values}")
    if absent.exists():
        raise Failure("reading a missing settings file created it")


# --- music files ---------------------------------------------------------------

def wav_plays_and_stops(s):
    wav = s.work / "My Music" / "tone.wav"
    make_tone(wav, 1, WAV_HZ)
    recording = s.sound().record()
    marks = Marks(s)
    proc = s.wine([s.paths.music_driver, "wav", windows_path(wav), 2500, 2500, windows_path(marks.folder)],
                  "driver-wav")
    marks.follow(proc, recording, ["playing", "stopped", "done"])
    recording.stop()
    # The one-second file loops: two seconds of tone mean the loop works.
    recording.expect_tone(marks.at["playing"] + 0.5, marks.at["stopped"] - 0.2, WAV_BAND, "WavPlay")
    recording.expect_silence(marks.at["stopped"] + 1.0, marks.at["done"], "after WavStop")


def mp3_plays_restarts_and_stops(s):
    mp3 = s.work / "My Music" / "short tone.mp3"
    make_tone(mp3, 1.5, MP3_HZ)
    recording = s.sound().record()
    marks = Marks(s)
    proc = s.wine([s.paths.music_driver, "mp3", windows_path(mp3), 20000, 2500, windows_path(marks.folder)],
                  "driver-mp3")
    marks.follow(proc, recording, ["playing", "ended", "restarted", "stopped", "done"])
    recording.stop()
    recording.expect_tone(marks.at["playing"] + 0.3, marks.at["ended"] - 0.3, MP3_BAND, "Mp3Play")
    recording.expect_tone(marks.at["restarted"] + 0.3, marks.at["stopped"] - 0.2, MP3_BAND,
                          "again after Mp3Check")
    recording.expect_silence(marks.at["stopped"] + 1.0, marks.at["done"], "after Mp3Stop")


def silence_without_music(s):
    """The control: a recording while nothing plays is silent, so the sink
    adds nothing of its own."""
    recording = s.sound().record()
    values = run_driver(s, "wave-devices")
    if int(values.get("devices", "0")) < 1:
        raise Failure(f"Wine sees no wave output device through the private server: {values}")
    time.sleep(1.5)
    recording.stop()
    recording.expect_silence(0.0, recording.length(), "nothing playing")


def no_sound_server(s):
    """No sound server: no wave device, and WavPlay quietly plays nothing."""
    s.without_sound()
    wav = s.work / "tone.wav"
    make_tone(wav, 1, WAV_HZ)
    marks = Marks(s)
    values = run_driver(s, "wave-devices")
    if values.get("devices") != "0":
        raise Failure(f"expected no wave device: {values}")
    values = run_driver(s, "wav", windows_path(wav), 200, 0, windows_path(marks.folder))
    if values.get("devices") != "0" or values.get("play-sound-called") != "0":
        raise Failure(f"WavPlay without a device: {values}")
    log("no device, nothing played, nothing failed")


def cd_without_drive(s):
    started = time.monotonic()
    values = run_driver(s, "cd", 0, 5, deadline=30.0)
    took = time.monotonic() - started
    if values.get("active") != "0" or values.get("polls") != "1":
        raise Failure(f"the CD poll without a drive: {values}")
    log(f"CdActive false after the first poll, {took:.2f} s for the whole run ({values.get('message')})")


SCENARIOS = {
    "settings_file.exact_bytes": settings_file_bytes,
    "settings_file.missing_music": settings_file_missing_music,
    "wav.plays_and_stops": wav_plays_and_stops,
    "mp3.plays_restarts_and_stops": mp3_plays_restarts_and_stops,
    "silence_without_music": silence_without_music,
    "no_sound_server": no_sound_server,
    "cd.without_drive": cd_without_drive,
}
