#!/usr/bin/env python3
"""Engine figures side by side, all on 127.0.0.1 against the same kamailio
registrar, whose calls a sipp party answers: our engine library (through tools/engine_bench), Debian's
linphonec and baresip. Time to the first 200 of the REGISTER, resident memory
registered and with a call up, CPU while idle for 10 s.

    python3 tools/bench-engine.py [BUILD_DIR]     (needs sip-tester, linphone-cli, baresip)
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
TICK = os.sysconf("SC_CLK_TCK")


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


class Reader:
    """Collects a process's output lines and waits for a pattern."""

    def __init__(self, process):
        self.lines, self.cond = [], threading.Condition()
        threading.Thread(target=self._read, args=(process,), daemon=True).start()

    def _read(self, process):
        for raw in process.stdout:
            with self.cond:
                self.lines.append(raw.decode(errors="replace"))
                self.cond.notify_all()

    def wait(self, pattern, timeout):
        regex = re.compile(pattern)
        with self.cond:
            return self.cond.wait_for(lambda: any(regex.search(l) for l in self.lines), timeout)


KAMAILIO = """#!KAMAILIO
listen=udp:127.0.0.1:{registrar}
children=1
disable_tcp=yes
log_stderror=yes
debug=0
mpath="/usr/lib/x86_64-linux-gnu/kamailio/modules/"
loadmodule "tm.so"
loadmodule "sl.so"
loadmodule "rr.so"
loadmodule "pv.so"
loadmodule "maxfwd.so"
loadmodule "usrloc.so"
loadmodule "registrar.so"
loadmodule "siputils.so"
loadmodule "textops.so"
request_route {{
    if (has_totag()) {{ loose_route(); t_relay(); exit; }}
    if (is_method("REGISTER")) {{ save("location"); exit; }}
    if (is_method("INVITE")) {{ record_route(); }}
    $du = "sip:127.0.0.1:{callee}";
    t_relay();
}}
"""


def measure_process(process, reader, registered, dial, connected, poll=None):
    """Shared measuring for the two command-line phones."""
    start = time.monotonic()
    ok = False
    while not ok and time.monotonic() - start < 15:
        if poll:
            process.stdin.write(poll.encode())
            process.stdin.flush()
        ok = reader.wait(registered, 0.02)
    to_200 = (time.monotonic() - start) * 1000 if ok else float("nan")
    time.sleep(1)
    rss_registered = rss_kb(process.pid)
    before = cpu_seconds(process.pid)
    time.sleep(10)
    idle = (cpu_seconds(process.pid) - before) / 10 * 100
    process.stdin.write(dial.encode())
    process.stdin.flush()
    rss_call = -1
    if reader.wait(connected, 15):
        time.sleep(2)
        rss_call = rss_kb(process.pid)
    return {"to_200_ms": to_200, "rss_registered_kb": rss_registered, "idle_cpu_percent": idle,
            "rss_call_kb": rss_call}


def run_linphonec(work, registrar, callee):
    rc = os.path.join(work, "linphonerc")
    with open(rc, "w") as f:
        f.write(f"""[sip]
sip_port=-1
sip_tcp_port=0
bind_address=127.0.0.1
default_proxy=0
[rtp]
bind_address=127.0.0.1
[proxy_0]
reg_proxy=<sip:127.0.0.1:{registrar}>
reg_identity=sip:linphonec@127.0.0.1:{registrar}
reg_expires=300
reg_sendregister=1
[auth_info_0]
username=linphonec
passwd=secret
[sound]
playback_dev_id=
capture_dev_id=
""")
    os.makedirs(os.path.join(work, ".local", "share", "linphone"), exist_ok=True)
    env = dict(os.environ, HOME=work)
    process = subprocess.Popen(["linphonec", "-c", rc], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, env=env)
    try:
        # linphonec prints nothing on its own when registered: ask until it says so.
        return measure_process(process, Reader(process), r"^registered, identity",
                               f"call sip:service@{registrar_host(registrar)}\n", r"connected",
                               poll="status register\n")
    finally:
        process.kill()
        process.wait()


def run_baresip(work, registrar, callee):
    conf = os.path.join(work, "baresip")
    os.makedirs(conf)
    tone = os.path.join(work, "tone.wav")  # 8 kHz mono, what the phone sends
    with wave.open(tone, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(8000)
        w.writeframes(b"\x00\x10" * 8000 * 20)
    with open(os.path.join(conf, "accounts"), "w") as f:
        f.write(f"<sip:baresip@127.0.0.1:{registrar}>;auth_pass=secret;regint=300\n")
    with open(os.path.join(conf, "config"), "w") as f:
        f.write(f"""sip_listen 127.0.0.1:{free_port()}
module_path /usr/lib/baresip/modules
module stdio.so
module g711.so
module aufile.so
audio_source aufile,{tone}
audio_player aufile,{os.path.join(work, 'baresip-heard.wav')}
module_app account.so
module_app menu.so
""")
    process = subprocess.Popen(["baresip", "-f", conf], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT)
    reader = Reader(process)
    try:
        return measure_process(process, reader, r"200 OK", f"/dial sip:service@{registrar_host(registrar)}\n",
                               r"[Cc]all established|established")
    finally:
        if os.environ.get("BENCH_DEBUG"):
            print("".join(reader.lines), file=sys.stderr)
        process.kill()
        process.wait()


def registrar_host(registrar):
    return f"127.0.0.1:{registrar}"


def run_ours(work, registrar, callee):
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "data"), RINGLARK_ENGINE_BIND="127.0.0.1")
    out = subprocess.run([os.path.join(BUILD, "bin", "engine_bench"), os.path.join(BUILD, "bin"), str(registrar),
                          str(registrar)], capture_output=True, text=True, env=env, timeout=60).stdout
    values = dict(pair.split("=") for pair in out.split())
    return {"to_200_ms": float(values["init_to_200_ms"]), "with_dlopen_ms": float(values["start_to_200_ms"]),
            "rss_registered_kb": int(values["rss_registered_kb"]),
            "idle_cpu_percent": float(values["idle_cpu_percent"]), "rss_call_kb": int(values["rss_call_kb"])}


def main():
    for tool in ("sipp", "kamailio", "linphonec", "baresip"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing: apt-get install sip-tester linphone-cli baresip")
    work = tempfile.mkdtemp(prefix="ringlark-bench-")
    registrar, callee = free_port(), free_port()
    # A kamailio registrar that hands every call to a sipp answering party.
    with open(os.path.join(work, "kamailio.cfg"), "w") as f:
        f.write(KAMAILIO.format(registrar=registrar, callee=callee))
    common = ["-i", "127.0.0.1", "-mi", "127.0.0.1", "-bind_local", "-nostdin", "-timeout", "300s"]
    peers = [subprocess.Popen(["kamailio", "-f", os.path.join(work, "kamailio.cfg"), "-DD", "-E", "-Y", work, "-P",
                               os.path.join(work, "kamailio.pid")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
             subprocess.Popen(["sipp", "-sn", "uas", "-p", str(callee), "-mp", str(free_port())] + common,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)]
    time.sleep(0.5)
    try:
        results = {"libRinglark": run_ours(work, registrar, callee),
                   "linphonec": run_linphonec(work, registrar, callee),
                   "baresip": run_baresip(work, registrar, callee)}
    finally:
        for peer in peers:
            peer.kill()
        shutil.rmtree(work, ignore_errors=True)
    print(f"{'':12} {'start→200 ms':>13} {'RSS reg. MB':>12} {'RSS call MB':>12} {'idle CPU %':>11}")
    for name, r in results.items():
        call = f"{r['rss_call_kb'] / 1024:.1f}" if r["rss_call_kb"] > 0 else "no call"
        print(f"{name:12} {r['to_200_ms']:13.0f} {r['rss_registered_kb'] / 1024:12.1f} {call:>12} "
              f"{r['idle_cpu_percent']:11.2f}")
    if "with_dlopen_ms" in results["libRinglark"]:
        print(f"(libRinglark: dll_init→200; with dlopen of the library {results['libRinglark']['with_dlopen_ms']:.0f} ms;"
              " the others from process start)")


if __name__ == "__main__":
    main()
