#!/usr/bin/env python3
"""A long day in a short hour: the client on the whole-country view with a
refresh period of 1 s while the local service publishes a message every
0.2 s (and now and then deletes or closes one).

Every sample period it prints the client's private memory (smaps_rollup
Private_Dirty, and Private_Clean beside it), its CPU time (user + system) since the
start and over the period, the rows' count, the filled rows, the polls that
brought rows, and the sizes of the deleted and closed mark lists. The web
engine's helper processes are shown apart. Run by bench/app/soak.sh inside
xvfb-run; not a test.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(__file__))
from client_bench import TestClient, client_env, start_service  # noqa: E402

TICK = os.sysconf("SC_CLK_TCK")


def private_kb(pid, kinds=("Private_Dirty:",)):
    """The process's own memory in KB. Private_Dirty by default: what the
    process wrote. Private_Clean counts library pages that only this process
    has touched, and swings by tens of MB as the web engine's helper
    processes map and drop the same pages."""
    total = 0
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith(kinds):
                    total += int(line.split()[1])
    except OSError:
        return 0
    return total


def cpu_seconds(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / TICK


def descendants(pid):
    out, todo = [], [pid]
    while todo:
        p = todo.pop()
        try:
            with open(f"/proc/{p}/task/{p}/children") as f:
                kids = [int(k) for k in f.read().split()]
        except OSError:
            kids = []
        out += kids
        todo += kids
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--minutes", type=float, default=60)
    ap.add_argument("--every", type=float, default=60, help="sample period, seconds")
    ap.add_argument("--publish", default="0.2", help="service publishing period, seconds")
    ap.add_argument("--csv", help="also write the samples to this file")
    ap.add_argument("--client", help="the client's test build (default "
                    "BUILD/tests/e2e/tarvolo-test-client)")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    client_bin = args.client or f"{build}/tests/e2e/tarvolo-test-client"
    work = tempfile.mkdtemp(prefix="tarvolo-soak-")
    service = client = None
    csv = open(args.csv, "w") if args.csv else None
    try:
        service, host = start_service(build, work, ["--simulate", args.publish])
        env = client_env(build, work, host, refresh=1)
        client = TestClient(client_bin, env)
        client.wait_for("login-form-shown")
        client.send("press-login")
        client.wait_for("feed-first-page ")
        client.send("region 全国信息")
        client.wait_for("feed-reload ")
        out = client.lines
        send = client.send

        header = ("min  dirty_MB  clean_MB  d_dirty_KB  cpu_s  cpu_s/min  cpu_ms/poll  rows  filled"
                  "  polls  new_rows  deleted(n/bytes)  closed(n/bytes)  web_dirty_MB")
        print(header, flush=True)
        if csv:
            csv.write("minute,private_dirty_kb,private_clean_kb,cpu_s,rows,filled,polls,new_rows,deleted_n,"
                      "deleted_bytes,closed_n,closed_bytes,web_dirty_kb\n")
        start = time.monotonic()
        last_priv, last_cpu = private_kb(client.pid), cpu_seconds(client.pid)
        samples = int(args.minutes * 60 / args.every)
        polls = new_rows = 0
        for i in range(samples + 1):
            new_rx = re.compile(r"^TARVOLO feed-new-records (\d+) ")
            stats_rx = re.compile(r"^TARVOLO feed-stats rows (\d+) filled (\d+) total \d+ "
                                  r"deleted (\d+) (\d+) closed (\d+) (\d+)")
            deadline = start + i * args.every
            asked = False
            m = None
            while m is None:
                left = deadline - time.monotonic()
                if left <= 0 and not asked:
                    send("stats")
                    asked = True
                try:
                    line = out.next(left if not asked else 30)
                except TimeoutError:
                    if asked:
                        raise
                    continue
                if line is None:
                    raise EOFError("the client ended")
                n = new_rx.search(line)
                if n:
                    polls += 1
                    new_rows += int(n.group(1))
                elif asked:
                    m = stats_rx.search(line)
            rows, filled, dn, db, cn, cb = (int(g) for g in m.groups())
            priv, cpu = private_kb(client.pid), cpu_seconds(client.pid)
            clean = private_kb(client.pid, ("Private_Clean:",))
            web = sum(private_kb(p) for p in descendants(client.pid))
            minute = (time.monotonic() - start) / 60
            d_cpu = cpu - last_cpu
            per_poll = d_cpu * 1000 / polls if polls else float("nan")
            print(f"{minute:5.1f} {priv / 1024:8.1f} {clean / 1024:9.1f} {priv - last_priv:10d} {cpu:7.1f}"
                  f" {d_cpu * 60 / args.every if i else 0:9.2f} {per_poll:11.1f} {rows:6d}"
                  f" {filled:6d} {polls:6d} {new_rows:9d} {dn:7d}/{db:<8d} {cn:7d}/{cb:<8d}"
                  f" {web / 1024:10.1f}", flush=True)
            if csv:
                csv.write(f"{minute:.2f},{priv},{clean},{cpu:.2f},{rows},{filled},{polls},{new_rows},"
                          f"{dn},{db},{cn},{cb},{web}\n")
                csv.flush()
            last_priv, last_cpu = priv, cpu
            polls = new_rows = 0
    finally:
        if client:
            client.kill()
        if service:
            service.kill()
            service.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
