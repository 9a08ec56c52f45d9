#!/usr/bin/env python3
"""The client's own start, login and quit, timed from outside under an X server.

Run by bench/app/run.sh inside xvfb-run. In one run, pair by pair:
  - exec -> login form mapped, beside exec -> window mapped of the bare Qt
    widgets program tarvolo-grid-demo (the floor Qt sets);
  - "登录" pressed -> main window mapped, and -> first page painted in the grid;
  - "退出程序" (or closing the main window) -> process gone.
Windows are seen through window_watch (map events with the monotonic clock);
the client's own progress through its test hooks on standard output.
The client's standard error goes to the file TARVOLO_BENCH_STDERR names
(nowhere by default).
"""
import argparse
import os
import queue
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time


def now_us():
    return time.monotonic_ns() // 1000


class Lines:
    """A process's standard output read line by line on a thread of its own."""

    def __init__(self, proc, name):
        self.proc, self.name, self.q = proc, name, queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            self.q.put((now_us(), raw.decode("utf-8", "replace").rstrip("\n")))
        self.q.put((now_us(), None))

    def next(self, timeout):
        """The next line, or None at the end of the output; TimeoutError when none came."""
        try:
            return self.q.get(timeout=max(timeout, 0.001))[1]
        except queue.Empty:
            raise TimeoutError(f"{self.name}: no line") from None

    def wait_for(self, pattern, timeout=60.0):
        deadline = time.monotonic() + timeout
        rx = re.compile(pattern)
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"{self.name}: no line matching {pattern!r}")
            try:
                t, line = self.q.get(timeout=left)
            except queue.Empty:
                continue
            if line is None:
                raise EOFError(f"{self.name}: ended before {pattern!r}")
            m = rx.search(line)
            if m:
                return t, m


class Watch:
    """Map events of top-level windows: (time µs, window, pid, title)."""

    def __init__(self, binary):
        self.proc = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.lines = Lines(self.proc, "window_watch")
        self.lines.wait_for(r"^ready$", 10)

    def wait_map(self, pid, title_rx, after_us, timeout=60.0):
        deadline = time.monotonic() + timeout
        while True:
            _, m = self.lines.wait_for(r"^(\d+) map (\d+) (\d+) (.*)$",
                                       max(deadline - time.monotonic(), 0.01))
            t, wpid, title = int(m.group(1)), int(m.group(3)), m.group(4)
            if t >= after_us and wpid == pid and re.search(title_rx, title):
                return t

    def close(self):
        self.proc.stdin.close()
        self.proc.wait()


def start_service(build, work, extra=()):
    log = open(os.path.join(work, "service.log"), "w")
    proc = subprocess.Popen([f"{build}/service/tarvolo-service", "--demo", "--listen",
                             "127.0.0.1:0", "--db", os.path.join(work, "service.db"), *extra],
                            stdout=log, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        text = open(os.path.join(work, "service.log")).read()
        m = re.search(r"listening on ([0-9.:]+)", text)
        if m:
            return proc, m.group(1)
        time.sleep(0.1)
    raise TimeoutError("tarvolo-service did not start")


def client_env(build, work, host, refresh=None):
    """The environment of a client on its own settings store, pointed at the
    local service, with the member's name and password remembered."""
    env = dict(os.environ)
    env.update(TARVOLO_SETTINGS=os.path.join(work, "settings.db"), TARVOLO_PORTAL_HOST=host,
               TARVOLO_FALLBACK_HOST=host, TARVOLO_WEB_HOST=host)
    env.pop("QT_QPA_PLATFORM", None)
    if os.geteuid() == 0:
        env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
    cli = f"{build}/cli/tarvolo-cli"
    main_key = "Software\\Microsoft\\Windows\\CurrentVersion\\"
    values = [("usernametavrelomin", "demo_vip"), ("passwordtavrelomin", "vip123"),
              ("nopasstavrelomin", "1"), ("autologintavrelomin", "0")]
    if refresh is not None:
        values.append(("RefreshTimertavrelomin", str(refresh)))
    for name, value in values:
        subprocess.run([cli, "settings", "set", main_key, name, value], env=env, check=True,
                       stdout=subprocess.DEVNULL)
    return env


class TestClient:
    """The client's test build: commands on standard input, "TARVOLO ..." lines."""

    def __init__(self, binary, env):
        self.proc = subprocess.Popen([binary], env=env, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=open(os.environ.get("TARVOLO_BENCH_STDERR", os.devnull), "w"))
        self.lines = Lines(self.proc, "tarvolo-test-client")

    @property
    def pid(self):
        return self.proc.pid

    def send(self, command):
        self.proc.stdin.write((command + "\n").encode("utf-8"))
        self.proc.stdin.flush()

    def wait_for(self, pattern, timeout=60.0):
        return self.lines.wait_for(r"^TARVOLO " + pattern, timeout)

    def at(self, pattern, timeout=60.0):
        """The monotonic time (µs) of the line `pattern @<µs>`."""
        _, m = self.wait_for(pattern + r".* @(\d+)", timeout)
        return int(m.group(m.lastindex))

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()


def median(xs):
    return statistics.median(xs) if xs else float("nan")


def spread(xs):
    return f"{median(xs):8.1f} ms  (min {min(xs):7.1f}, max {max(xs):7.1f}, n={len(xs)})"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("-n", type=int, default=5, help="counted runs of each kind")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    work = tempfile.mkdtemp(prefix="tarvolo-client-bench-")
    service = None
    try:
        service, host = start_service(build, work)
        env = client_env(build, work, host)
        watch = Watch(f"{build}/bench/app/window_watch")
        program = f"{build}/src/app/tarvolo"
        test_client = f"{build}/tests/e2e/tarvolo-test-client"

        def first_window(argv, title_rx):
            """exec -> the program's first top-level window mapped, in ms."""
            t0 = now_us()
            p = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL,
                                 stderr=open(os.environ.get("TARVOLO_BENCH_STDERR", os.devnull), "w"))
            try:
                t = watch.wait_map(p.pid, title_rx, t0, 30)
            finally:
                p.kill()
                p.wait()
            return (t - t0) / 1000

        def session(how):
            """登录 -> main window mapped and first page painted; the way out ->
            process gone (ms)."""
            c = TestClient(test_client, env)
            try:
                c.wait_for("login-form-shown")
                time.sleep(0.3)  # the form settles, as a member's eyes would
                c.send("press-login")
                t_press = c.at("pressed")
                t_main = watch.wait_map(c.pid, r".", t_press, 30)
                t_paint = c.at("feed-first-page-painted", 30)
                c.wait_for("adverts-loaded", 30)
                time.sleep(0.3)
                c.send("menu 退出程序" if how == "menu" else "close")
                t_quit = c.at("menu" if how == "menu" else "close", 10)
                c.proc.wait(timeout=10)
                t_gone = now_us()
            finally:
                c.kill()
            return ((t_main - t_press) / 1000, (t_paint - t_press) / 1000,
                    (t_gone - t_quit) / 1000)

        # One warm-up of each, not counted (cold page cache, first login).
        first_window([program], r"^登录$")
        first_window([f"{build}/src/widgets/tarvolo-grid-demo"], r"信息表")
        session("menu")
        form, demo, login_map, login_paint, quit_menu, quit_close = [], [], [], [], [], []
        for i in range(args.n):
            form.append(first_window([program], r"^登录$"))
            demo.append(first_window([f"{build}/src/widgets/tarvolo-grid-demo"], r"信息表"))
        for i in range(args.n * 2):
            how = "menu" if i % 2 == 0 else "close"
            b, c, d = session(how)
            login_map.append(b)
            login_paint.append(c)
            (quit_menu if how == "menu" else quit_close).append(d)
        watch.close()

        ratios = [a / b for a, b in zip(form, demo)]
        print("Times in ms, medians of the counted runs (all in one run, pairs alternated):")
        print(f"  exec -> login form mapped (tarvolo)  {spread(form)}")
        print(f"  exec -> tarvolo-grid-demo mapped     {spread(demo)}")
        print(f"    ratio pair by pair (goal <= 3)     {median(ratios):8.2f} x "
              f"(min {min(ratios):.2f}, max {max(ratios):.2f})")
        print(f"  登录 -> main window mapped            {spread(login_map)}")
        print(f"  登录 -> first page painted (<= 300)   {spread(login_paint)}")
        print(f"  退出程序 -> process gone (<= 300)      {spread(quit_menu)}")
        print(f"  main window closed -> process gone   {spread(quit_close)}")
    finally:
        if service:
            service.kill()
            service.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
