"""The HDF5 log as other programs see it: h5py reads the documented layout,
h5dump -H shows it, two virtual boards log side by side without a loss, and
export writes the CSV the same run's log wrote. Runs velqoris-cli (VELQORIS_CLI),
for a Windows build through VELQORIS_CLI_RUNNER (wine)."""
import csv
import os
import subprocess

import h5py
import pytest

CLI = os.environ["VELQORIS_CLI"]
RUNNER = os.environ.get("VELQORIS_CLI_RUNNER", "").split()


def run(*args, cwd):
    return subprocess.run([*RUNNER, CLI, *args], cwd=cwd, capture_output=True, text=True, timeout=120)


@pytest.fixture(scope="module")
def logged(tmp_path_factory):
    d = tmp_path_factory.mktemp("h5")
    r = run("log", "--virtual", "--rate", "4800", "--channel", "2", "--gain", "8",
            "--count", "6000", "--h5", "a.h5", "--csv", "a.csv", cwd=d)
    assert r.returncode == 0, r.stderr
    return d


def test_h5py_reads_the_documented_layout(logged):
    with h5py.File(logged / "a.h5", "r") as f:
        assert f.attrs["format"] == "VELQORIS log"
        assert f.attrs["format_version"] == 1
        assert f.attrs["software_version"]
        assert f.attrs["boards"] == 1
        b = f["board0"]
        assert b.attrs["serial"] == "V0001"
        assert b.attrs["board"].startswith("VELQORIS")
        assert b.attrs["rate_sps"] == 4800.0
        assert b.attrs["gain"] == 8
        assert (b.attrs["filter"], b.attrs["chop"], b.attrs["buffer"]) == ("sinc4", "off", "off")
        assert b.attrs["uV_per_code"] == pytest.approx(2500000 / 8388607 / 8)
        assert b.attrs["start"][4] == "-" and b.attrs["start_unix_ns"] > 0
        assert b.attrs["committed_rows"] == 6000
        rows = list(csv.reader(l for l in open(logged / "a.csv") if not l.startswith("#")))[1:]
        for ch in (0, 1):
            d = b[f"ch{ch}_code"]
            assert d.dtype == "int32" and d.maxshape == (None,) and d.chunks == (1200,)
            assert d.shape == (6000,)
            assert list(d[:]) == [int(r[2 + 2 * ch]) for r in rows]
        assert b["gaps"].dtype.names == ("first_sample", "start_command", "seconds_lost", "start_s")
        assert b["gaps"].shape == (0,)


def test_h5dump_header_shows_the_documented_layout(logged):
    out = subprocess.run(["h5dump", "-H", str(logged / "a.h5")], capture_output=True,
                         text=True, timeout=60, check=True).stdout
    for name in ("format", "format_version", "software_version", "boards", "serial", "board",
                 "start", "start_unix_ns", "rate_sps", "gain", "filter", "chop", "buffer",
                 "uV_per_code", "committed_rows"):
        assert f'ATTRIBUTE "{name}"' in out
    assert 'GROUP "board0"' in out
    for name in ("ch0_code", "ch1_code"):
        block = out.split(f'DATASET "{name}"')[1].split("DATASET")[0]
        assert "H5T_STD_I32LE" in block
        assert "( 6000 ) / ( H5S_UNLIMITED )" in block
    gaps = out.split('DATASET "gaps"')[1]
    for member in ('"first_sample"', '"start_command"', '"seconds_lost"', '"start_s"'):
        assert member in gaps


def test_export_writes_the_csv_the_log_wrote(logged):
    r = run("export", "a.h5", "--csv", "b.csv", cwd=logged)
    assert r.returncode == 0, r.stderr
    # Byte for byte, but for the CSV's last line: how the run ended (the
    # HDF5 log's committed rows say how far it got).
    written = (logged / "a.csv").read_bytes()
    assert written.splitlines()[-1].startswith(b"# end: finished, ")
    assert (logged / "b.csv").read_bytes() == written[: written.rindex(b"# end: ")]


def test_readers_take_the_hdf5_log(logged):
    for command in ("stability", "analyze", "spectrum"):
        r = run(command, "a.h5", "--json", cwd=logged)
        assert r.returncode == 0, (command, r.stderr)
        assert r.stdout.startswith(("[", "{"))


def test_two_virtual_boards_log_side_by_side_without_a_loss(tmp_path):
    r = run("log", "--virtual", "--virtual", "--rate", "4800", "--channel", "2",
            "--count", "24000", "--h5", "two.h5", "--csv", "two.csv", cwd=tmp_path)
    assert r.returncode == 0, r.stderr
    assert "失われた変換" not in r.stderr
    with h5py.File(tmp_path / "two.h5", "r") as f:
        assert f.attrs["boards"] == 2
        serials = [f[f"board{i}"].attrs["serial"] for i in range(2)]
        assert serials == ["V0001", "V0002"]
        for i in range(2):
            assert f[f"board{i}"].attrs["committed_rows"] == 24000
            assert f[f"board{i}"]["ch1_code"].shape == (24000,)
        # Each board has noise of its own.
        assert list(f["board0"]["ch0_code"][:100]) != list(f["board1"]["ch0_code"][:100])
    assert (tmp_path / "two_V0001.csv").exists() and (tmp_path / "two_V0002.csv").exists()
    r = run("compare", "two.h5", cwd=tmp_path)
    assert r.returncode == 0, r.stderr
    assert "[V0001] CH0" in r.stdout and "[V0002] CH1" in r.stdout
