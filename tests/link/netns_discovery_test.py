#!/usr/bin/env python3
"""Discovery and the bridge on a real network, inside private namespaces: link_netns_tests
(Discovery_netns_test.cpp) runs under Wine in the "pc" namespace with a wineserver of its own;
the phone agent (tests/peers/phone_agent.py) runs in the "phone" namespace and takes the test's
commands. The PC has a decoy adapter listed before the phone's (netns.Namespaces). Exit 77 (skipped) without root."""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from netns import DECOY_ADDR, DECOY_LINK_LOCAL, PC_ADDR, PHONE_ADDR, ROOT, Namespaces  # noqa: E402


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--build", required=True)
    p.add_argument("--filter", default="*")
    args = p.parse_args()
    if os.geteuid() != 0:
        print("needs root for network namespaces")
        return 77
    build = os.path.abspath(args.build)
    with Namespaces("d", decoy=True) as ns:
        env = ns.wine_prefix(build)
        env["QUILLON_NETNS_PC"] = PC_ADDR
        env["QUILLON_NETNS_PHONE"] = PHONE_ADDR
        env["QUILLON_NETNS_DECOY"] = DECOY_ADDR
        env["QUILLON_NETNS_LINK_LOCAL"] = DECOY_LINK_LOCAL
        env["SHARE_CAPTURE_SOURCE"] = "none"
        agent = subprocess.Popen(
            ["ip", "netns", "exec", ns.phone, sys.executable,
             os.path.join(ROOT, "tests", "peers", "phone_agent.py"),
             "--bind", PHONE_ADDR, "--pc", PC_ADDR, "--lifetime", "400"],
            stdin=subprocess.DEVNULL)
        time.sleep(0.5)
        try:
            rc = subprocess.run(
                ["ip", "netns", "exec", ns.pc, "timeout", "360", "wine",
                 os.path.join(build, "tests-bin", "link_netns_tests.exe"),
                 "--gtest_filter=" + args.filter],
                env=env, stdin=subprocess.DEVNULL).returncode
        finally:
            agent.kill()
            agent.wait(10)
    return rc


if __name__ == "__main__":
    sys.exit(main())
