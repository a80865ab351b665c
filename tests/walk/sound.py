"""A sound server for the real program, Linux or Windows under Wine: a PulseAudio
server of its own with a null sink instead of hardware, and a recorder of what
plays on that sink.

    with SoundServer(), Recorder() as heard, Program(...) as p:
        ...
        heard.wait_ticks(2, since=t)     # onset times of the ticks heard since t
        heard.silent_since(t)            # nothing as loud as SILENCE_LEVEL since t

Times are CLOCK_MONOTONIC seconds, as time.monotonic() reads them. The null sink
plays on that clock, so one offset maps a sample's index to the moment it sounded;
the recorder takes it from its own reads (see Recorder).
"""

import os
import shutil
import subprocess
import tempfile
import threading
import time
from array import array
from pathlib import Path

from walk import poll

RATE = 48000
CHANNELS = 2
SINK = "tovira"
# The tick starts at -10 dBFS within its first samples; anything above -30 dBFS starts one.
TICK_LEVEL = 1000
# A null sink's silence is exact zeros; -60 dBFS leaves room for a resampler's dither.
SILENCE_LEVEL = 33
# Ticks last 8 ms; a new one starts only after this much quiet.
TICK_GAP = 0.1


def restore_environment(saved):
    """Puts back the variables as saved: {name: value, or None where it was unset}."""
    for name, value in saved.items():
        if value is None:
            os.environ.pop(name, None)
        else:
            os.environ[name] = value


class SoundServer:
    """PulseAudio with one null sink, in a runtime folder of its own, never exiting
    while idle. While entered, programs started from this process play on it; with
    running=False it is there only once start() is called, as a sound server that
    comes up after the program does."""

    def __init__(self, running=True):
        self.running = running
        self.process = None

    def __enter__(self):
        self.folder = Path(tempfile.mkdtemp(prefix="tovira-pulse-"))
        self.socket = self.folder / "native"
        self.saved = {name: os.environ.get(name) for name in ("PULSE_SERVER", "SDL_AUDIODRIVER")}
        os.environ.update(PULSE_SERVER=f"unix:{self.socket}", SDL_AUDIODRIVER="pulseaudio")
        if self.running:
            self.start()
        return self

    def start(self):
        script = self.folder / "session.pa"
        script.write_text(
            f"load-module module-null-sink sink_name={SINK} rate={RATE} channels={CHANNELS} format=s16le\n"
            f"load-module module-native-protocol-unix socket={self.socket} auth-anonymous=1\n"
            f"set-default-sink {SINK}\n")
        # As root PulseAudio only warns that it runs as a session daemon; every path
        # it would take from the user's home goes to the folder instead.
        env = dict(os.environ, HOME=str(self.folder), XDG_RUNTIME_DIR=str(self.folder),
                   XDG_CONFIG_HOME=str(self.folder), PULSE_RUNTIME_PATH=str(self.folder),
                   PULSE_STATE_PATH=str(self.folder))
        log = self.folder / "pulseaudio.log"
        with open(log, "wb") as output:
            self.process = subprocess.Popen(
                ["pulseaudio", "--daemonize=no", "--system=no", "--use-pid-file=no", "--exit-idle-time=-1",
                 "--realtime=no", "--high-priority=no", "-n", "-F", str(script), "--log-target=stderr"],
                env=env, stdout=output, stderr=subprocess.STDOUT)
        try:
            poll(lambda: self.process.poll() is None and subprocess.run(
                ["pactl", "info"], capture_output=True).returncode == 0, "the sound server")
        except AssertionError:
            raise AssertionError("PulseAudio did not start:\n" + log.read_text(errors="replace")) from None

    def __exit__(self, *exc):
        restore_environment(self.saved)
        if self.process is not None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)
        return False


class Recorder:
    """Records the null sink's monitor from the moment it is entered.

    Sample k sounded at start + k / RATE on the sink's clock. The sink hands out a
    block of samples as the block begins to sound, so a read that returns at time t
    holding n samples puts start at t - n / RATE or later, the later the slower the
    read, and never earlier than one block (the latency) before the truth. The
    least of all reads is kept: times taken from the recording may read early by up
    to the latency.
    """

    def __init__(self, latency_ms=5):
        self.latency_ms = latency_ms
        self.samples = array("h")  # interleaved channels
        self.start = float("inf")
        self.bounds = []  # each read's bound on start, for judging the mapping
        self.lock = threading.Lock()

    def __enter__(self):
        self.process = subprocess.Popen(
            ["parec", f"--device={SINK}.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
             f"--channels={CHANNELS}", f"--latency-msec={self.latency_ms}", "--process-time-msec=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        poll(lambda: self.start < float("inf"), "the first recorded samples")
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        self.process.wait()
        self.reader.join()
        self.process.stdout.close()
        return False

    def _read(self):
        pending = b""
        frame = 2 * CHANNELS
        while chunk := os.read(self.process.stdout.fileno(), 4096):
            now = time.monotonic()
            data = pending + chunk
            whole = len(data) - len(data) % frame
            pending = data[whole:]
            with self.lock:
                self.samples.frombytes(data[:whole])
                bound = now - len(self.samples) // CHANNELS / RATE
                self.bounds.append(bound)
                self.start = min(self.start, bound)

    # ---- what was heard -------------------------------------------------------------------------

    def index(self, t):
        """The first sample that sounded at or after time t."""
        return max(0, int((t - self.start) * RATE + 0.999999))

    def time(self, index):
        return self.start + index / RATE

    def recorded_until(self):
        with self.lock:
            return self.time(len(self.samples) // CHANNELS)

    def wait_recorded(self, t):
        """Waits until what sounded up to time t is recorded."""
        poll(lambda: self.recorded_until() >= t, "the recording to reach the moment asked for")

    def levels(self, first, last=None):
        """The first channel's samples from index first up to last."""
        with self.lock:
            end = len(self.samples) // CHANNELS if last is None else last
            return self.samples[CHANNELS * first:CHANNELS * end:CHANNELS]

    def ticks_since(self, t, until=None):
        """Onset times of the ticks that started at or after t (and before until)."""
        first = self.index(t)
        context = max(0, first - int(TICK_GAP * RATE))  # so that a tick under way at t is not taken for one starting
        last = None if until is None else self.index(until)
        onsets = []
        loud_at = -RATE
        for offset, value in enumerate(self.levels(context, last)):
            if abs(value) < TICK_LEVEL:
                continue
            index = context + offset
            if index - loud_at > TICK_GAP * RATE and index >= first:
                onsets.append(self.time(index))
            loud_at = index
        return onsets

    def wait_ticks(self, count, since, timeout=10.0):
        def enough():
            ticks = self.ticks_since(since)
            return ticks if len(ticks) >= count else None
        return poll(enough, f"{count} ticks", timeout=timeout)

    def peak_since(self, t):
        return max(map(abs, self.levels(self.index(t))), default=0)

    def silent_since(self, t):
        return self.peak_since(t) < SILENCE_LEVEL
