"""Proof that music really comes out: a private PulseAudio server with a null
sink for one scenario, a recording of what reaches the sink, and sox to
measure it.

Wine's sound driver talks to the server named by PULSE_SERVER, so a Session
whose environment points there plays into the null sink; the recording reads
the sink's monitor. Positions in a recording are seconds from its start,
taken from the bytes recorded so far (44.1 kHz, 16-bit, stereo)."""

import os
import signal
import subprocess
import time

from harness import Failure, log

RATE = 44100
BYTES_PER_SECOND = RATE * 2 * 2
SINK = "vessmark_e2e"
SERVER_DEADLINE = 20.0

# A pass: the tone's band carries most of the sound and is clearly there;
# silence is far below anything audible.
AUDIBLE_BAND_RMS = 0.05
AUDIBLE_BAND_SHARE = 0.9
SILENT_RMS = 0.001


class SoundServer:
    """A private server for one scenario; Session.stop_all stops it."""

    def __init__(self, session):
        self.session = session
        self.folder = session.work / "pulse"
        for sub in ("run", "state"):
            (self.folder / sub).mkdir(parents=True, exist_ok=True)
        os.chmod(self.folder, 0o700)
        socket = self.folder / "native"
        config = self.folder / "server.pa"
        config.write_text(
            f"load-module module-native-protocol-unix auth-anonymous=1 socket={socket}\n"
            f"load-module module-null-sink sink_name={SINK} rate={RATE} channels=2\n"
            f"set-default-sink {SINK}\n")
        session.env.update({
            "PULSE_SERVER": f"unix:{socket}",
            "PULSE_RUNTIME_PATH": str(self.folder / "run"),
            "PULSE_STATE_PATH": str(self.folder / "state"),
        })
        # Its own session, like every process here, so that nothing the
        # scenario stops takes the server with it.
        self.server = session.spawn(["pulseaudio", "-n", "-F", config, "--daemonize=no",
                                     "--exit-idle-time=-1", "--use-pid-file=no"], "pulseaudio")
        end = time.monotonic() + SERVER_DEADLINE
        while subprocess.run(["pactl", "info"], env=session.env, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode != 0:
            if self.server.poll() is not None:
                raise Failure(f"pulseaudio exited with {self.server.returncode}; see {self.server.err_path}")
            if time.monotonic() > end:
                raise Failure(f"pulseaudio did not answer within {SERVER_DEADLINE:.0f} s")
            time.sleep(0.05)

    def record(self, label="recording"):
        return Recording(self.session, label)


class Recording:
    """What reaches the sink, from now until stop()."""

    def __init__(self, session, label):
        self.session = session
        self.path = session.output_path(label).with_suffix(".raw")
        self.file = open(self.path, "wb")
        self.proc = subprocess.Popen(
            ["parec", "-d", f"{SINK}.monitor", "--format=s16le", f"--rate={RATE}", "--channels=2",
             "--latency-msec=20"], stdin=subprocess.DEVNULL, stdout=self.file, stderr=subprocess.DEVNULL,
            env=session.env, start_new_session=True)
        session.processes.append((self.proc, (self.file,)))
        end = time.monotonic() + SERVER_DEADLINE
        while self.path.stat().st_size == 0:  # the recording has really started
            if self.proc.poll() is not None or time.monotonic() > end:
                raise Failure("the recorder never started recording")
            time.sleep(0.02)

    def mark(self):
        """Seconds recorded so far."""
        self.file.flush()
        return self.path.stat().st_size / BYTES_PER_SECOND

    def stop(self, tail=0.5):
        """Records tail seconds more (an idle null sink hands its data over in
        blocks), then stops."""
        time.sleep(tail)
        self.proc.send_signal(signal.SIGINT)
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.file.flush()
        return self.length()

    def length(self):
        return self.path.stat().st_size / BYTES_PER_SECOND

    def rms(self, start, end, band=None):
        """RMS amplitude between two positions (seconds), of the whole signal
        or only of a frequency band (low, high) in Hz."""
        start = max(0.0, start)
        end = min(end, self.length())
        if end - start < 0.05:
            raise Failure(f"recording too short to measure {start:.2f}..{end:.2f} s of {self.length():.2f} s")
        command = ["sox", "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16", "-c", "2", str(self.path),
                   "-n", "trim", f"{start:.3f}", f"={end:.3f}"]
        if band:
            command += ["sinc", "-t", "20", f"{band[0]}-{band[1]}"]
        command.append("stat")
        result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
        for line in result.stderr.splitlines():
            if line.startswith("RMS     amplitude:"):
                return float(line.split(":")[1])
        raise Failure(f"sox gave no RMS: {result.stderr.strip()}")

    def expect_tone(self, start, end, band, what):
        """A tone in the band, clearly audible and most of what is heard."""
        total = self.rms(start, end)
        in_band = self.rms(start, end, band)
        share = in_band / total if total > 0 else 0.0
        log(f"{what}: {start:.2f}..{end:.2f} s, band {band[0]}-{band[1]} Hz RMS {in_band:.4f}, "
            f"{share:.0%} of {total:.4f}")
        if in_band < AUDIBLE_BAND_RMS or share < AUDIBLE_BAND_SHARE:
            raise Failure(f"{what}: no clear tone between {start:.2f} and {end:.2f} s "
                          f"(band RMS {in_band:.4f}, {share:.0%} of all)")

    def expect_silence(self, start, end, what):
        level = self.rms(start, end)
        log(f"{what}: {start:.2f}..{end:.2f} s, RMS {level:.5f}")
        if level >= SILENT_RMS:
            raise Failure(f"{what}: sound between {start:.2f} and {end:.2f} s (RMS {level:.5f})")


def make_tone(path, seconds, frequency):
    """A test tone as WAV or MP3 (by the file's ending)."""
    path.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["sox", "-n", "-r", str(RATE), "-c", "2", "-b", "16", str(path), "synth", str(seconds),
                    "sine", str(frequency), "vol", "0.5"], check=True, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
