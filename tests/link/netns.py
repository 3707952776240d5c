"""Private network namespaces for runs that broadcast: a "pc" and a "phone" namespace joined
by one veth pair, with a default route over it inside each namespace only, so the limited
broadcast 255.255.255.255 goes to the other namespace and nowhere else. Each Wine program runs
with a wineserver and a prefix copy of its own inside its namespace."""
import os
import shutil
import subprocess
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PC_ADDR, PHONE_ADDR = "10.77.1.1", "10.77.1.2"
# The decoy adapter: listed before the phone's, into a namespace where no phone is.
DECOY_ADDR, DECOY_LINK_LOCAL = "10.77.9.1", "169.254.77.1"


class Checks:
    """A driver's checks: each prints "ok" or "FAIL" with what it checked; failures counts."""

    def __init__(self):
        self.failures = []

    def __call__(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what, flush=True)
        if not ok:
            self.failures.append(what)
        return ok


def sh(*cmd, check=True, **kw):
    return subprocess.run(list(cmd), check=check, stdin=subprocess.DEVNULL, **kw)


class Namespaces:
    """With decoy, the PC has a second adapter made before the phone's (so listed first): a
    veth into an empty namespace, with DECOY_ADDR/24 and a link-local address; the PC's default
    route then goes through the phone's address, a gateway the decoy adapter lacks."""

    def __init__(self, tag, decoy=False):
        tag = f"{tag}{os.getpid() % 100000}"
        self.pc, self.phone = f"qpc{tag}", f"qph{tag}"
        self.veth_pc, self.veth_phone = f"vp{os.getpid() % 100000}a", f"vp{os.getpid() % 100000}b"
        self.decoy = f"qdc{tag}" if decoy else None
        self.prefix = None

    def __enter__(self):
        sh("ip", "netns", "add", self.pc)
        sh("ip", "netns", "add", self.phone)
        if self.decoy:
            sh("ip", "netns", "add", self.decoy)
            dev = f"vd{os.getpid() % 100000}a"
            sh("ip", "link", "add", dev, "netns", self.pc, "type", "veth",
               "peer", "name", f"vd{os.getpid() % 100000}b", "netns", self.decoy)
            sh("ip", "-n", self.pc, "addr", "add", f"{DECOY_ADDR}/24", "dev", dev)
            sh("ip", "-n", self.pc, "addr", "add", f"{DECOY_LINK_LOCAL}/16", "dev", dev)
            sh("ip", "-n", self.pc, "link", "set", dev, "up")
            sh("ip", "-n", self.decoy, "link", "set", f"vd{os.getpid() % 100000}b", "up")
        sh("ip", "link", "add", self.veth_pc, "netns", self.pc, "type", "veth",
           "peer", "name", self.veth_phone, "netns", self.phone)
        for ns, dev, addr in ((self.pc, self.veth_pc, PC_ADDR), (self.phone, self.veth_phone, PHONE_ADDR)):
            sh("ip", "-n", ns, "link", "set", "lo", "up")
            sh("ip", "-n", ns, "addr", "add", f"{addr}/24", "dev", dev)
            sh("ip", "-n", ns, "link", "set", dev, "up")
            if self.decoy and ns == self.pc:
                sh("ip", "-n", ns, "route", "add", "default", "via", PHONE_ADDR, "dev", dev)
            else:
                sh("ip", "-n", ns, "route", "add", "default", "dev", dev)
        return self

    def wine_prefix(self, build):
        """A prefix copy for the pc namespace, its wineserver started there."""
        self.prefix = os.path.join(build, f"wine-ns-{os.getpid()}")
        sh("bash", "-c", f'source "{ROOT}/tools/wine-env.sh" >/dev/null; wine_prefix_copy "{self.prefix}"')
        env = self.wine_env(build)
        subprocess.Popen(["ip", "netns", "exec", self.pc, "wineserver", "-p"], env=env,
                         stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        sh("ip", "netns", "exec", self.pc, "wine", "cmd", "/c", "exit", env=env,
           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        return env

    def wine_env(self, build):
        env = dict(os.environ)
        # The architecture, its Wine (PATH) and its dist folder are the test command's.
        env.update(WINEPREFIX=self.prefix, WINEARCH=os.environ.get("WINEARCH", "win32"), WINEDEBUG="-all",
                   WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d;winemenubuilder.exe=d",
                   WINEPATH=os.environ.get("QUILLON_DIST") or os.environ.get("WINEPATH", ""))
        return env

    def __exit__(self, *exc):
        if self.prefix:
            env = dict(os.environ, WINEPREFIX=self.prefix)
            sh("ip", "netns", "exec", self.pc, "wineserver", "-k", check=False, env=env,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(0.5)
            shutil.rmtree(self.prefix, ignore_errors=True)
        for ns in (self.pc, self.phone, self.decoy):
            if not ns:
                continue
            sh("ip", "netns", "del", ns, check=False, stderr=subprocess.DEVNULL)
