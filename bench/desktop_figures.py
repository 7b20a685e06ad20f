#!/usr/bin/env python3
"""Figures of the running application, printed, never asserted:

- launch: from starting kelvarn to the panel's first frame, with the large class in its data
  folder (the first frame Qt Quick reports, timed on the same monotonic clock);
- idle, not listening: CPU time, context switches (each one a wake-up) and, with strace, the
  poll calls over a quiet minute;
- resident memory.

Runs on a private Xvfb with a private data, config and runtime folder, so it never touches the
user's own Kelvarn. Usage (release build):
    bench/desktop_figures.py build/release [--runs 10] [--idle-seconds 60]
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

# The gui thread's note once the first frame has been synced, rendered and shown.
FRAME = re.compile(r"^\s*(\d+\.\d+) .*Frame prepared")


def start_xvfb():
    read, write = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        display = ":" + pipe.readline().strip()
    return server, display


def environment(root, display):
    env = dict(os.environ)
    for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(name, None)
    runtime = os.path.join(root, "runtime")
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    env.update({
        "DISPLAY": display,
        "QT_QPA_PLATFORM": "xcb",
        "XDG_DATA_HOME": os.path.join(root, "data"),
        "XDG_CONFIG_HOME": os.path.join(root, "config"),
        "XDG_RUNTIME_DIR": runtime,
        # Qt Quick reports each frame it renders; the pattern stamps it on the monotonic clock.
        "QT_LOGGING_RULES": "qt.scenegraph.time.renderloop=true",
        "QT_MESSAGE_PATTERN": "%{time boot} %{message}",
    })
    return env


def launch(kelvarn, env):
    """Starts kelvarn; returns the process and the seconds to its first frame."""
    started = time.monotonic()
    process = subprocess.Popen([kelvarn], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.PIPE, text=True)
    for line in process.stderr:
        match = FRAME.match(line)
        if match:
            # Reads the rest, so a full pipe never stops the application.
            threading.Thread(target=process.stderr.read, daemon=True).start()
            return process, float(match.group(1)) - started
    raise RuntimeError("kelvarn exited before its first frame")


def quit(process):
    process.terminate()
    process.wait(timeout=10)


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def context_switches(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/status") as status:
            for line in status:
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    total += int(line.split()[1])
    return total


def resident_mib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def poll_calls(pid, seconds):
    """System calls that wait for events, counted by strace over the given time."""
    if shutil.which("strace") is None:
        return None
    tracer = subprocess.Popen(
        ["strace", "-c", "-f", "-p", str(pid), "-e", "trace=poll,ppoll,epoll_wait,epoll_pwait"],
        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    time.sleep(seconds)
    tracer.send_signal(2)
    report = tracer.communicate(timeout=30)[1]
    calls = {}
    for line in report.splitlines():
        parts = line.split()
        if len(parts) >= 5 and parts[-1] in ("poll", "ppoll", "epoll_wait", "epoll_pwait"):
            calls[parts[-1]] = int(parts[3])
    return calls


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", help="the build folder, for example build/release")
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--idle-seconds", type=int, default=60)
    args = parser.parse_args()
    kelvarn = os.path.join(args.build, "Kelvarn", "kelvarn")
    filler = os.path.join(args.build, "bench", "LargeClassFolder")

    server, display = start_xvfb()
    root = tempfile.mkdtemp(prefix="kelvarn-figures-")
    try:
        env = environment(root, display)
        folder = os.path.join(env["XDG_DATA_HOME"], "Kelvarn")
        subprocess.run([filler, folder], check=True)

        times = []
        for _ in range(args.runs):
            process, seconds = launch(kelvarn, env)
            times.append(seconds * 1000)
            quit(process)
        times.sort()
        print(f"launch to first frame, large class, {args.runs} runs: "
              f"median {times[len(times) // 2]:.0f} ms, best {times[0]:.0f} ms, "
              f"worst {times[-1]:.0f} ms")

        process, _ = launch(kelvarn, env)
        time.sleep(5)  # past the start
        cpu, switches = cpu_seconds(process.pid), context_switches(process.pid)
        time.sleep(args.idle_seconds)
        cpu = cpu_seconds(process.pid) - cpu
        switches = context_switches(process.pid) - switches
        print(f"idle, not listening, {args.idle_seconds} s: CPU {cpu:.2f} s "
              f"({100 * cpu / args.idle_seconds:.2f} %), {switches} context switches "
              f"({switches / args.idle_seconds:.2f} a second)")
        calls = poll_calls(process.pid, args.idle_seconds)
        if calls is not None:
            print(f"idle, not listening, {args.idle_seconds} s under strace: "
                  + (", ".join(f"{name} {count}" for name, count in sorted(calls.items()))
                     or "no poll calls"))
        print(f"resident memory: {resident_mib(process.pid):.1f} MiB")
        quit(process)
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(root, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
