"""PyVISA (pyvisa-py) against `velqoris-cli serve --virtual --port 0`, as a
test bench script would drive it. VELQORIS_CLI names the program; with
VELQORIS_RUNNER (e.g. a wine wrapper) it is started through that."""
import json
import os
import shlex
import socket
import subprocess
import time

import numpy
import pyvisa
import pytest


@pytest.fixture(scope="module")
def server():
    runner = shlex.split(os.environ.get("VELQORIS_RUNNER", ""))
    process = subprocess.Popen(
        runner + [os.environ["VELQORIS_CLI"], "serve", "--virtual", "--port", "0"],
        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    resource = None
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        line = process.stdout.readline()
        if not line:
            break
        if line.startswith("TCPIP::"):
            resource = line.strip()
            break
    assert resource, process.stderr.read()
    yield resource
    process.terminate()
    process.wait(timeout=20)


def connect(resource):
    """A session in control: the server may not yet have seen the last client go."""
    rm = pyvisa.ResourceManager("@py")
    for _ in range(100):
        i = rm.open_resource(resource, read_termination="\n", write_termination="\n",
                             timeout=20000)
        if i.query("*OPC?") == "1":
            return i
        i.close()
        time.sleep(0.05)
    raise AssertionError("no control of " + resource)


@pytest.fixture
def inst(server):
    i = connect(server)
    i.write("*RST;*CLS")
    yield i
    i.close()


def port_of(resource):
    return int(resource.split("::")[2])


def errors(inst):
    found = []
    while True:
        e = inst.query("SYST:ERR?")
        if e.startswith("0,"):
            return found
        found.append(int(e.split(",")[0]))


def test_a_run_fetched_as_numpy_arrays_with_its_noise_figures(inst):
    assert inst.query("*IDN?").startswith("VELQORIS,velqoris-cli,VIRTUAL,")
    inst.write("SAMP:RATE 4800;COUN 1000;:ROUT:CHAN 2;:SENS:VOLT:RANG MAX;:FORM INT,32")
    assert inst.query("INIT;*OPC?") == "1"
    ch0 = inst.query_binary_values("FETC:CODE? CH0", datatype="i", container=numpy.array)
    ch1 = inst.query_binary_values("FETC:CODE? CH1", datatype="i", container=numpy.array)
    assert ch0.shape == (1000,) and ch1.shape == (1000,)
    assert abs(ch0.mean() - 8388608) < 1000
    volts = numpy.array(inst.query_ascii_values("FETC? CH0"))
    assert volts.shape == (1000,)
    noise = json.loads(inst.query("CALC:NOIS?"))
    assert [c["channel"] for c in noise["channels"]] == [0, 1]
    assert noise["channels"][0]["rms_noise_codes"] > 0
    assert "snr_db" in json.loads(inst.query("CALC:SPEC?"))["channels"][0]
    assert errors(inst) == []


def test_read_answers_both_channels_sample_by_sample(inst):
    inst.write("SAMP:RATE 4800;COUN 100;:ROUT:CHAN 2")
    assert len(inst.query_ascii_values("READ?")) == 200


def test_bad_input_gets_errors_and_the_session_goes_on(inst):
    inst.write("X" * 70000)
    inst.write_raw(b"\xff\xfe\x00garbage\n")
    inst.write("NO:SUCH:HEADER")
    inst.write("SAMP:RATE \"fast\"")
    inst.write("SAMP:RATE 4000")
    assert errors(inst) == [-223, -101, -113, -104, -222]
    for _ in range(50):
        inst.write("NOPE?")
    inst.query("*OPC?")
    found = errors(inst)
    assert len(found) == 20 and found[-1] == -350
    assert inst.query("SAMP:RATE?") == "10"


def test_commands_needing_an_idle_board_are_refused_during_a_run(inst):
    inst.write("SAMP:RATE 10;COUN 1000;:INIT")
    inst.write("SAMP:RATE 4800")
    inst.write("LOG:STAR 'x.csv'")
    inst.write("ABOR")
    assert errors(inst) == [-200, -200]
    assert inst.query("SAMP:RATE?") == "10"


def test_a_second_client_is_refused_with_a_clear_line(server, inst):
    with socket.create_connection(("127.0.0.1", port_of(server)), timeout=10) as second:
        line = second.makefile().readline()
        assert line.startswith("-200,") and "another client" in line
    assert inst.query("*OPC?") == "1"


def test_a_client_dropping_mid_run_leaves_the_board_for_the_next(server):
    with socket.create_connection(("127.0.0.1", port_of(server)), timeout=10) as first:
        first.sendall(b"SAMP:RATE 10;COUN 10000;:READ?\n*IDN?\n")
        time.sleep(0.5)
    nxt = connect(server)
    nxt.write("SAMP:RATE 4800;COUN 100")
    started = time.monotonic()
    assert len(nxt.query_ascii_values("READ?")) == 100
    assert time.monotonic() - started < 5
    assert errors(nxt) == []
    nxt.close()
