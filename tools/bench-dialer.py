#!/usr/bin/env python3
"""The whole dialer's figures, as a subscriber meets it: the real program on an
Xvfb display with a saved login, against the operator simulator and a kamailio
registrar on 127.0.0.1. Every figure counts from process start.

    python3 tools/bench-dialer.py [--runs N] [--idle SECONDS] [BUILD_DIR]

Per run: start -> main window shown, start -> "Ready" (the balance request that
comes right before it), RSS and PSS registered and idle, shared libraries
mapped, idle CPU and wake-ups a second. Prints min / median / max of N runs,
then where the memory of the last run goes, largest mappings first.
Needs xvfb, xdotool and kamailio; stops everything it started.
"""
import argparse
import os
import signal
import socket
import statistics
import struct
import subprocess
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TICK = os.sysconf("SC_CLK_TCK")

KAMAILIO = """#!KAMAILIO
listen=udp:127.0.0.1:{port}
children=1
disable_tcp=yes
log_stderror=yes
debug=0
mpath="/usr/lib/x86_64-linux-gnu/kamailio/modules/"
loadmodule "tm.so"
loadmodule "sl.so"
loadmodule "pv.so"
loadmodule "usrloc.so"
loadmodule "registrar.so"
loadmodule "textops.so"
loadmodule "siputils.so"
request_route {{
  if (is_method("REGISTER")) {{ save("location"); exit; }}
  sl_send_reply("404", "Not Found");
}}
"""


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def archived(text):
    """A text as the data files keep it: FF FE FF, the length, UTF-16LE."""
    data = text.encode("utf-16-le")
    return b"\xff\xfe\xff" + bytes([len(text)]) + data


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def context_switches(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as status:
                for line in status:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass
    return total


def rollup(pid):
    values = {}
    with open(f"/proc/{pid}/smaps_rollup") as smaps:
        for line in smaps:
            parts = line.split()
            if len(parts) >= 2 and parts[0] in ("Rss:", "Pss:"):
                values[parts[0][:-1]] = int(parts[1]) / 1024
    return values


def libraries(pid):
    with open(f"/proc/{pid}/maps") as maps:
        return len({line.split()[-1] for line in maps if ".so" in line.split()[-1]})


def memory_by_mapping(pid):
    """Rss in MB per mapped file (or [heap], [anon] ...), largest first."""
    sizes, name = {}, "[anon]"
    with open(f"/proc/{pid}/smaps") as smaps:
        for line in smaps:
            parts = line.split()
            if "-" in parts[0] and len(parts) >= 5 and ":" in parts[3]:
                name = parts[5] if len(parts) > 5 else "[anon]"
            elif parts[0] == "Rss:":
                sizes[name] = sizes.get(name, 0) + int(parts[1]) / 1024
    return sorted(sizes.items(), key=lambda item: -item[1])


class Services:
    """The operator simulator and a registrar, for all runs."""

    def __init__(self, build, folder):
        self.folder = folder
        self.web, self.provisioning, self.registrar = free_port(), free_port(), free_port()
        config = subprocess.run([f"{build}/bin/ringlark-operator", "--print-config"], capture_output=True,
                                text=True, check=True).stdout
        replace = {"provisioning_port": self.provisioning, "web_port": self.web,
                   "registrarip": f"127.0.0.1:{self.registrar}",
                   "myaccounts": f"http://127.0.0.1:{self.web}/cdr?user=u1s1er"}
        lines = []
        for line in config.splitlines():
            key = line.split(" = ")[0]
            lines.append(f"{key} = {replace[key]}" if key in replace else line)
        with open(f"{folder}/operator.conf", "w") as out:
            out.write("\n".join(lines) + "\n")
        with open(f"{folder}/kamailio.cfg", "w") as out:
            out.write(KAMAILIO.format(port=self.registrar))
        self.log = f"{folder}/operator.log"
        self.processes = [
            subprocess.Popen([f"{build}/bin/ringlark-operator", "--config", f"{folder}/operator.conf"],
                             stdout=open(self.log, "w"), stderr=subprocess.STDOUT, start_new_session=True),
            subprocess.Popen(["kamailio", "-f", f"{folder}/kamailio.cfg", "-DD", "-E", "-Y", folder, "-P",
                              f"{folder}/kamailio.pid"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                             start_new_session=True),
        ]
        time.sleep(0.7)

    def balance_requests(self):
        with open(self.log) as log:
            return log.read().count("balance of demo")

    def stop(self):
        for process in self.processes:
            try:
                os.killpg(process.pid, signal.SIGTERM)  # kamailio's children go with it
            except ProcessLookupError:
                pass
            process.wait()


def start_display(folder):
    """Xvfb on a display of its choosing; its number comes as a line of digits."""
    out = f"{folder}/xvfb.out"
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            stdout=open(out, "w"), stderr=subprocess.DEVNULL, start_new_session=True)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        with open(out) as said:
            numbers = [line.strip() for line in said if line.strip().isdigit()]
        if numbers:
            return xvfb, f":{numbers[0]}"
        time.sleep(0.05)
    raise RuntimeError("Xvfb did not start")


def one_run(build, services, display, folder, idle_seconds):
    home = tempfile.mkdtemp(dir=folder)
    data = f"{home}/data/Ringlark"
    os.makedirs(data)
    os.makedirs(f"{home}/config/ringlark")
    os.makedirs(f"{home}/runtime", mode=0o700)
    with open(f"{data}/account_Ringlark.bin", "wb") as account:
        account.write(struct.pack("<i", 1) + archived("demo") + archived("demo"))
    with open(f"{home}/config/ringlark/operator.conf", "w") as conf:
        conf.write(f"[services]\nprovisioning_url = http://127.0.0.1:{services.provisioning}/\n")
    env = dict(os.environ, HOME=home, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               XDG_DATA_HOME=f"{home}/data", XDG_CONFIG_HOME=f"{home}/config", XDG_RUNTIME_DIR=f"{home}/runtime",
               RINGLARK_TEST_MESSAGES=f"{home}/messages")
    env.pop("QT_XCB_GL_INTEGRATION", None)
    before = services.balance_requests()
    shown = {}

    start = time.monotonic()
    dialer = subprocess.Popen([f"{build}/bin/ringlark"], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)

    def watch_window():
        subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Ringlark$"],
                       env=dict(os.environ, DISPLAY=display), stdout=subprocess.DEVNULL, timeout=30)
        shown["at"] = time.monotonic() - start

    watcher = threading.Thread(target=watch_window, daemon=True)
    watcher.start()
    ready = None
    while time.monotonic() - start < 30 and dialer.poll() is None:
        if services.balance_requests() > before:
            ready = time.monotonic() - start
            break
        time.sleep(0.005)
    watcher.join(30)
    try:
        time.sleep(2)  # settle: records fetched, balance shown
        figures = rollup(dialer.pid)
        figures["ready"] = ready
        figures["shown"] = shown.get("at")
        figures["libraries"] = libraries(dialer.pid)
        cpu, switches = cpu_seconds(dialer.pid), context_switches(dialer.pid)
        time.sleep(idle_seconds)
        figures["cpu"] = 100 * (cpu_seconds(dialer.pid) - cpu) / idle_seconds
        figures["wakeups"] = (context_switches(dialer.pid) - switches) / idle_seconds
        figures["mappings"] = memory_by_mapping(dialer.pid)
    finally:
        dialer.send_signal(signal.SIGTERM)
        try:
            dialer.wait(10)
        except subprocess.TimeoutExpired:
            dialer.kill()
            dialer.wait()
    return figures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build"))
    parser.add_argument("--runs", type=int, default=6)
    parser.add_argument("--idle", type=float, default=60)
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    with tempfile.TemporaryDirectory() as folder:
        xvfb, display = start_display(folder)
        services = Services(build, folder)
        try:
            runs = [one_run(build, services, display, folder, args.idle) for _ in range(args.runs)]
        finally:
            services.stop()
            os.killpg(xvfb.pid, signal.SIGTERM)
            xvfb.wait()

    def spread(key, fmt):
        values = sorted(run[key] for run in runs if run.get(key) is not None)
        if not values:
            return "-"
        return "/".join(fmt.format(v) for v in (values[0], statistics.median(values), values[-1]))

    print(f"ringlark, {len(runs)} runs (min/median/max), idle over {args.idle:g} s")
    print(f"  start -> window shown   {spread('shown', '{:.2f}')} s")
    print(f"  start -> Ready          {spread('ready', '{:.2f}')} s")
    print(f"  RSS registered idle     {spread('Rss', '{:.1f}')} MB")
    print(f"  PSS registered idle     {spread('Pss', '{:.1f}')} MB")
    print(f"  shared libraries        {spread('libraries', '{:.0f}')}")
    print(f"  idle CPU                {spread('cpu', '{:.2f}')} %")
    print(f"  idle wake-ups           {spread('wakeups', '{:.1f}')} /s")
    print("largest mappings of the last run (RSS MB):")
    for name, size in runs[-1]["mappings"][:12]:
        print(f"  {size:7.1f}  {name}")


if __name__ == "__main__":
    main()
