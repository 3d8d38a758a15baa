"""The line-protocol summaries read by a real InfluxDB (Debian's influxdb):
started on loopback with its UDP listener in a temporary folder, fed by
velqoris-cli log --lp udp://..., queried back through its HTTP API, stopped."""
import json
import os
import shutil
import socket
import subprocess
import time
import urllib.parse
import urllib.request

import pytest

CLI = os.environ["VELQORIS_CLI"]
INFLUXD = shutil.which("influxd")


def free_port(kind):
    with socket.socket(socket.AF_INET, kind) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def query(http, q):
    url = f"http://127.0.0.1:{http}/query?" + urllib.parse.urlencode({"db": "velqoris", "q": q})
    with urllib.request.urlopen(url, timeout=5) as r:
        return json.load(r)


@pytest.mark.skipif(INFLUXD is None, reason="influxd is not installed")
def test_influxdb_receives_one_point_per_channel_per_second(tmp_path):
    http, udp = free_port(socket.SOCK_STREAM), free_port(socket.SOCK_DGRAM)
    (tmp_path / "influxdb.conf").write_text(f"""
reporting-disabled = true
bind-address = "127.0.0.1:{free_port(socket.SOCK_STREAM)}"
[meta]
  dir = "{tmp_path}/meta"
[data]
  dir = "{tmp_path}/data"
  wal-dir = "{tmp_path}/wal"
  query-log-enabled = false
[http]
  bind-address = "127.0.0.1:{http}"
  log-enabled = false
[[udp]]
  enabled = true
  bind-address = "127.0.0.1:{udp}"
  database = "velqoris"
  batch-size = 1
  batch-timeout = "100ms"
""")
    server = subprocess.Popen([INFLUXD, "-config", str(tmp_path / "influxdb.conf")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline = time.time() + 30
        while True:
            try:
                urllib.request.urlopen(f"http://127.0.0.1:{http}/ping", timeout=1)
                break
            except OSError:
                assert time.time() < deadline, "influxd did not start"
                time.sleep(0.2)
        query(http, "CREATE DATABASE velqoris")
        # Three seconds at 50 sps on both channels.
        r = subprocess.run([CLI, "log", "--virtual", "--rate", "50", "--channel", "2",
                            "--gain", "16", "--count", "150", "--lp", f"udp://127.0.0.1:{udp}"],
                           capture_output=True, text=True, timeout=60)
        assert r.returncode == 0, r.stderr
        series = []
        deadline = time.time() + 20
        while time.time() < deadline:
            result = query(http, "SELECT * FROM velqoris GROUP BY channel")["results"][0]
            series = result.get("series", [])
            if sum(len(s["values"]) for s in series) >= 6:
                break
            time.sleep(0.3)
        assert sorted(s["tags"]["channel"] for s in series) == ["ch0", "ch1"]
        for s in series:
            rows = [dict(zip(s["columns"], v)) for v in s["values"]]
            assert len(rows) == 3
            for row in rows:
                assert row["serial"] == "V0001" and row["gain"] == "16"
                assert row["rate_sps"] == "50" and row["count"] == 50
                assert row["min_code"] <= row["mean_code"] <= row["max_code"]
                uv = 2500000 / 8388607 / 16
                assert row["mean_uV"] == pytest.approx((row["mean_code"] - 8388608) * uv)
                assert row["sd_uV"] == pytest.approx(row["sd_code"] * uv)
    finally:
        server.terminate()
        server.wait(timeout=20)
