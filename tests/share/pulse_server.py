"""A PulseAudio daemon of a test's own: user mode, its runtime folder under the build folder,
reached through the unix socket there (from any network namespace), never a system service.
Null sinks come and go with load_sink and unload; the newest is the default output and its
monitor the default input, which is what Wine's audio driver captures as "device"."""
import os
import shutil
import subprocess
import threading
import time

QUIET = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def available():
    return shutil.which("pulseaudio") is not None and shutil.which("pactl") is not None


class PulseServer:
    def __init__(self, build, name="pulse"):
        self.dir = os.path.join(build, f"{name}-{os.getpid()}")
        self.socket = os.path.join(self.dir, "native")
        self.proc = None

    def env(self):
        return {"PULSE_SERVER": f"unix:{self.socket}", "PULSE_RUNTIME_PATH": self.dir,
                "PULSE_COOKIE": os.path.join(self.dir, "cookie")}

    def _env(self):
        return dict(os.environ, HOME=self.dir, XDG_RUNTIME_DIR=self.dir, XDG_CONFIG_HOME=self.dir, **self.env())

    def pactl(self, *args):
        return subprocess.run(["pactl", *args], env=self._env(), check=True, capture_output=True, text=True,
                              timeout=20).stdout.strip()

    def load_sink(self, name, rate=48000, channels=2):
        """A null sink, made the default output and its monitor the default input; the module's
        index (for unload)."""
        index = self.pactl("load-module", "module-null-sink", f"sink_name={name}", f"rate={rate}",
                           f"channels={channels}")
        self.pactl("set-default-sink", name)
        self.pactl("set-default-source", f"{name}.monitor")
        return index

    def unload(self, index):
        self.pactl("unload-module", str(index))

    def play(self, name, rate, channels, samples):
        """Plays interleaved float samples (bytes) into the sink in the background; the
        process, to be killed when done."""
        p = subprocess.Popen(["pacat", "--playback", f"--device={name}", "--raw", "--format=float32le",
                              f"--rate={rate}", f"--channels={channels}", "--latency-msec=20"],
                             env=self._env(), stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)

        def feed():  # pacat takes them in real time
            try:
                p.stdin.write(samples)
                p.stdin.close()
            except (BrokenPipeError, ValueError, OSError):
                pass

        threading.Thread(target=feed, daemon=True).start()
        return p

    def __enter__(self):
        os.makedirs(self.dir, exist_ok=True)
        self.proc = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--system=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--disallow-exit", "--log-target=stderr", "--log-level=error", "--disable-shm=yes",
             "-L", f"module-native-protocol-unix socket={self.socket} auth-anonymous=1"],
            env=self._env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        end = time.monotonic() + 15
        while not os.path.exists(self.socket) and time.monotonic() < end:
            time.sleep(0.1)
        return self

    def __exit__(self, *exc):
        if self.proc:
            self.proc.kill()
            self.proc.wait()
        shutil.rmtree(self.dir, ignore_errors=True)
