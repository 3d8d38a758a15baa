#!/usr/bin/env python3
"""Sets up the board through velqoris-cli serve (or the window's remote
control), runs, fetches both channels' codes as numpy arrays and prints the
noise figures. Start the server first:

    velqoris-cli serve --virtual          # or --device SERIAL for a board

then: python3 examples/remote_noise.py [TCPIP::127.0.0.1::5025::SOCKET]
Needs pyvisa with pyvisa-py and numpy (Debian: python3-pyvisa-py python3-numpy).
"""
import json
import sys

import numpy
import pyvisa

resource = sys.argv[1] if len(sys.argv) > 1 else "TCPIP::127.0.0.1::5025::SOCKET"
rm = pyvisa.ResourceManager("@py")
inst = rm.open_resource(resource, read_termination="\n", write_termination="\n", timeout=30000)
print(inst.query("*IDN?"))
inst.write("*RST;*CLS")
inst.write("SAMP:RATE 4800;COUN 10000;:ROUT:CHAN 2")
inst.write("SENS:VOLT:RANG 2.5;FILT SINC4;CHOP OFF;:INP:BUFF OFF")
inst.write("FORM INT,32")
inst.query("INIT;*OPC?")  # waits for the run
for channel in ("CH0", "CH1"):
    codes = inst.query_binary_values(f"FETC:CODE? {channel}", datatype="i",
                                     container=numpy.array)
    print(f"{channel}: {codes.size} codes, mean {codes.mean():.1f}, sd {codes.std():.2f}")
for c in json.loads(inst.query("CALC:NOIS?"))["channels"]:
    print(f"CH{c['channel']}: rms noise {c['rms_noise_nV']:.0f} nV, "
          f"noise-free {c['noise_free_resolution_bits']:.1f} bit")
error = inst.query("SYST:ERR?")
if not error.startswith("0,"):
    sys.exit("instrument error: " + error)
inst.close()
