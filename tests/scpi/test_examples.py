"""The examples as a user runs them, against the server on the virtual board."""
import csv
import os
import subprocess
import sys

import pytest

EXAMPLES = os.path.join(os.path.dirname(__file__), "..", "..", "examples")
sys.path.insert(0, EXAMPLES)

from xt4830r_instrument import XT4830R  # noqa: E402


def last_request(server, board):
    board.ask("*OPC?")  # the writes before it are done
    return server.requests()[-1]


def test_the_pymeasure_class(server):
    board = XT4830R(server.resource)
    assert board.id.startswith("Halbrook,XT4830R")
    board.code_b = 0xC000
    assert last_request(server, board) == (0xDE, 0x3E19, 0xC000)
    assert board.code_b == 0xC000 and board.voltage_b == 2.25
    board.dac_reference = 1.5
    board.voltage_c = 0.75
    assert last_request(server, board) == (0xDE, 0x3E1A, 0x8000)
    assert board.measure_voltage(2) == 2.25
    assert board.sweep(1, 0, 0x8000, 0x4000) == [(0, 0), (16384, 1024), (32768, 2048)]
    assert board.self_test() and board.errors() == []
    with pytest.raises(ValueError):
        board.code_a = 0x10000
    board.write("SOUR1:CODE 70000")
    assert board.errors() == [(-222, "Data out of range; 70000 is outside 0 to 65535")]
    board.internal_reference = True
    assert last_request(server, board) == (0xDE, 0x3E38, 0x0001)
    board.adapter.connection.close()


def test_the_sweep_script_writes_csv(server, tmp_path):
    out = tmp_path / "sweep.csv"
    subprocess.run([sys.executable, os.path.join(EXAMPLES, "sweep_to_csv.py"), "--resource",
                    server.resource, "--channel", "2", "--step", "16384", str(out)], check=True)
    rows = list(csv.reader(out.open()))
    assert rows[0] == ["code", "ideal_volts", "measured_volts", "difference_volts"]
    assert rows[1:4] == [["0", "0.000000", "0.000000", "0.000000"],
                         ["16384", "0.750000", "0.750000", "0.000000"],
                         ["32768", "1.500000", "1.500000", "0.000000"]]
