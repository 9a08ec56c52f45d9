#!/usr/bin/env python3
"""Ten subscriptions' cost in the real client: the client without
subscriptions, then with ten (several matching much of the traffic), one
after the other in the same run (the program keeps one copy per machine),
on the same local service publishing a message every 0.2 s, with a refresh
period of 1 s. Every sample period it prints the client's CPU time over the
period (as % of one core) and its private memory (Private_Dirty); at the end
the difference of the two. Run by bench/subscribe/cost.sh inside xvfb-run;
not a test.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "app"))
from client_bench import TestClient, client_env, start_service  # noqa: E402
from soak import cpu_seconds, private_kb  # noqa: E402

ROUTES = [("", "北京"), ("", "上海"), ("", "广州"), ("山东省", ""), ("河南省", ""),
          ("济宁", "北京"), ("郑州", "上海"), ("北京", "河北省"), ("江苏省", "浙江省"),
          ("", "济南")]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--minutes", type=float, default=10)
    ap.add_argument("--every", type=float, default=60, help="sample period, seconds")
    args = ap.parse_args()
    build = os.path.abspath(args.build)
    client_bin = f"{build}/tests/e2e/tarvolo-test-client"
    work = tempfile.mkdtemp(prefix="tarvolo-subs-cost-")
    service = None
    clients = []
    try:
        service, host = start_service(build, work, ["--simulate", "0.2", "--no-cache",
                                                    "--quota", "0"])
        # One copy of the client at a time (it keeps one per machine): the
        # two run one after the other on the same service and traffic.
        result = {}
        for name in ("none", "ten"):
            folder = os.path.join(work, name)
            os.makedirs(folder)
            env = client_env(build, folder, host, refresh=1)
            # The remembered login goes by itself, as a driver's client does.
            subprocess.run([f"{build}/cli/tarvolo-cli", "settings", "set", "main",
                            "autologintavrelomin", "1"], env=env, check=True,
                           stdout=subprocess.DEVNULL)
            if name == "ten":
                for origin, destination in ROUTES:
                    argv = [f"{build}/cli/tarvolo-cli", "subscriptions", "add"]
                    if origin:
                        argv += ["--from", origin]
                    if destination:
                        argv += ["--to", destination]
                    subprocess.run(argv, env=env, check=True, stdout=subprocess.DEVNULL)
            client = TestClient(client_bin, env)
            clients.append(client)
            client.wait_for("feed-first-page ")
            # Settled: every list has its first page, the first polls are in.
            time.sleep(args.every)
            first = last = (cpu_seconds(client.pid), private_kb(client.pid))
            print(f"{name}: min  cpu%  private_MB", flush=True)
            start = time.monotonic()
            for i in range(1, int(args.minutes * 60 / args.every) + 1):
                time.sleep(max(0.0, start + i * args.every - time.monotonic()))
                now = (cpu_seconds(client.pid), private_kb(client.pid))
                print(f"{name}: {(time.monotonic() - start) / 60:4.1f} "
                      f"{(now[0] - last[0]) * 100 / args.every:6.2f} {now[1] / 1024:8.1f}",
                      flush=True)
                last = now
            minutes = (time.monotonic() - start) / 60
            result[name] = ((last[0] - first[0]) * 100 / (minutes * 60),
                            (last[1] - first[1]) / 1024 / minutes * 60, last[1] / 1024)
            client.kill()
        cpu = {n: r[0] for n, r in result.items()}
        growth = {n: r[1] for n, r in result.items()}
        print(f"\nCPU none {cpu['none']:.2f}% ten {cpu['ten']:.2f}% of a core "
              f"(+{cpu['ten'] - cpu['none']:.2f}%, target <= 1%); private memory growth none "
              f"{growth['none']:+.1f} MB/h ten {growth['ten']:+.1f} MB/h (difference "
              f"{growth['ten'] - growth['none']:+.1f} MB/h, target <= 10); private memory at "
              f"the end none {result['none'][2]:.1f} MB ten {result['ten'][2]:.1f} MB")
    finally:
        for client in clients:
            client.kill()
        if service:
            service.kill()
            service.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
