import os
import random
import signal
import socket
import subprocess
import time

import pytest

from conftest import TOOL, Server

# Bus address 62 (the TSSOP package) in the request's value, above the word's top byte.
WRITE = 0xDE


def dac(word):
    return (WRITE, 0x3E00 | word >> 16, word & 0xFFFF)


def sent(server, board, message):
    """The board requests that message makes, once it has been handled."""
    before = len(server.requests())
    board.write(message)
    board.query("*OPC?")
    return server.requests()[before:]


def error_after(board, message):
    board.write("*CLS")
    board.write(message)
    return board.query("SYST:ERR?"), int(board.query("*ESR?"))


def raw(server):
    connection = socket.create_connection(("127.0.0.1", server.port), timeout=5)
    return connection


@pytest.mark.parametrize("message,word", [
    ("SOUR2:CODE #H8000", 0x198000),
    ("source4:voltage 1.5", 0x1B8000),
    ("SOUR4:CODE:INP 32768", 0x038000),
    ("SOUR1:CODE:UALL 3.2768e+0004", 0x108000),
    ("SOUR:REF:VOLT 1.5;:SOUR3:VOLT 0.75V", 0x1A8000),
    ("SOUR1:VOLT 3", 0x18FFFF),
    ("SOUR:REF:VOLT 65536;:SOUR1:VOLT 2.5", 0x180002),
    ("SOUR:REF:VOLT 65536;:SOUR1:VOLT 3.5", 0x180004),
    ("SOUR1:VOLT 1500 MV", 0x188000),
    ("SOUR3:UPD", 0x0A0000),
    ("OUTP:PDOW TST,(@1,2)", 0x200033),
    ("OUTP:PDOW NORM,(@1:4)", 0x20000F),
    ("SOUR:RES", 0x280000),
    ("SOUR:RES:ALL", 0x280001),
    ("*RST", 0x280001),
    ("OUTP:LDAC:MASK (@2,4)", 0x30000A),
    ("SOUR:REF:INT ON", 0x380001),
    ("SOUR:REF:INT 0", 0x380000),
    ("DIAG:WORD #H2A8001", 0x2A8001),
])
def test_each_command_sends_the_word_the_window_composes(server, board, message, word):
    assert sent(server, board, message)[-1] == dac(word)
    assert board.query("SYST:ERR?") == '0,"No error"'


def test_pins_measurement_and_what_was_written(server, board):
    assert sent(server, board, "OUTP:LDAC LOW;:OUTP:CLR HIGH") == [(0xF0, 0, 0), (0xE1, 0, 0)]
    board.write("SOUR2:CODE #HC000")
    # The multiplexer's one-hot mask for input B, then the ADC's 12-bit count: 0xC000 reads
    # 3072 of 4096 counts of the 3 V reference.
    assert board.query("MEAS:VOLT? (@2)") == "2.25"
    assert server.requests()[-2][:2] == (0xDF, 0x9802)
    assert board.query("SENS:VOLT:REF 6;:MEAS:VOLT:DC? (@2,5)").startswith("4.5,")
    assert board.query("SOUR2:CODE?;VOLT?") == "49152;2.25"
    assert board.query("SOUR1:CODE?") == "0"


def test_common_commands_and_identity(tmp_path, board):
    assert board.query("*IDN?") == "Halbrook,XT4830R Evaluation Board,VIRTUAL,1.0.2"
    assert board.query("SYST:VERS?;:SYST:ERR:COUN?;*OPC?") == "1999.0;0;1"
    assert board.query("*ESE 36;*ESE?;*SRE 255;*SRE?") == "36;191"
    v2 = Server(tmp_path, args=["--version2"])
    client = v2.client()
    assert client.query("*idn?").split(",")[3] == "1.0.4"
    client.close()
    assert v2.stop(signal.SIGINT) == 0


@pytest.mark.parametrize("message,code,event", [
    ("FOO:BAR 1", -113, 32),
    ("SOUR1:CODE", -109, 32),
    ("SOUR1:CODE 1,2", -108, 32),
    ("SOUR1:VOLT? MAX,1", -108, 32),
    ("SOUR1:VOLT? 1", -224, 16),
    ("SOUR1:CODE:", -102, 32),
    ("SOUR5:CODE 1", -114, 32),
    ("SOUR1:CODE 65536", -222, 16),
    ("SOUR1:CODE 1.5", -224, 16),
    ("SOUR1:VOLT 3.01", -222, 16),
    ("SOUR:REF:VOLT 0", -222, 16),
    ("DIAG:WORD #H400000", -222, 16),
    ("MEAS:VOLT? (@9)", -222, 16),
    ("OUTP:PDOW HIGH,(@1)", -224, 16),
])
def test_each_error_has_its_code_and_event_bit_and_sends_nothing(server, board, message, code,
                                                                   event):
    before = len(server.requests())
    error, events = error_after(board, message)
    assert int(error.split(",")[0]) == code, error
    assert events == event
    assert len(server.requests()) == before


def test_refused_requests_give_the_device_error_and_the_server_keeps_serving(tmp_path):
    lost = Server(tmp_path, settings="unplug-after=3")
    client = lost.client()
    assert client.query("*TST?") == "1"
    assert client.query("MEAS:VOLT? (@1)") == "9.91E+37"
    assert client.query("SYST:ERR?").startswith('1,"Board refused the request; request 0x')
    assert int(client.query("*ESR?")) & 8 == 8
    assert client.query("*IDN?").startswith("Halbrook,")
    client.close()
    assert lost.stop() == 0


def test_self_test_and_its_readings(tmp_path, board):
    assert board.query("*TST?") == "0"
    readings = [float(v) for v in board.query("DIAG:TST:READ?").split(",")]
    assert len(readings) == 8
    assert all(2.9 <= v <= 3.1 for v in readings[:4]) and all(1.49 <= v <= 1.51 for v in readings[4:])
    stuck = Server(tmp_path, settings="stuck=C:0")
    client = stuck.client()
    assert client.query("*TST?") == "1"
    assert float(client.query("DIAG:TST:READ?").split(",")[2]) == 0
    client.close()
    stuck.stop()


def test_sweep_as_ascii_and_as_a_block(board):
    # The ideal board reads code x 3 V / 65536 as code / 16 counts.
    assert board.query_ascii_values("SOUR1:SWE? 0,#HC000,#H4000", converter="d") == \
        [0, 0, 16384, 1024, 32768, 2048, 49152, 3072]
    board.write("FORM INT,32")
    assert board.query("FORM?") == "INT,32"
    values = board.query_binary_values("SOUR1:SWE? 0,#HC000,#H4000", datatype="i",
                                       is_big_endian=True)
    assert values == [0, 0, 16384, 1024, 32768, 2048, 49152, 3072]


def test_idle_and_slow_clients_hold_nothing(server, board):
    with raw(server) as idle, raw(server) as slow:
        slow.sendall(b"*ID")
        started = time.monotonic()
        assert board.query("*IDN?").startswith("Halbrook,")
        slow.sendall(b"N?\n")
        assert slow.recv(100).startswith(b"Halbrook,")
        assert time.monotonic() - started < 1


def test_bad_input_never_harms_the_server(server):
    rng = random.Random(4830)
    with raw(server) as fuzz:
        fuzz.sendall(b"A" * (70 * 1024) + b"\n*IDN?\n")
        assert fuzz.makefile("rb").readline().startswith(b"Halbrook,")
        fuzz.sendall(b"SYST:ERR?\n")
        assert fuzz.recv(100).startswith(b"-363,")
        for _ in range(300):
            line = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 80)))
            fuzz.sendall(line.replace(b"\n", b"") + b"\n")
        fuzz.sendall(b"\x00\xff\xfe\xc3(;*IDN?\n")
        # A sweep whose answer is never read: the client goes first.
        fuzz.sendall(b"SOUR1:SWE? 0,#HFFFF,16\n")
    with raw(server) as half:
        half.sendall(b"*IDN")  # half a line, and gone
    client = server.client()
    assert client.query("*IDN?").startswith("Halbrook,")
    client.close()


@pytest.mark.parametrize("stall", [False, True])
def test_a_half_line_is_dropped_when_its_client_closes_or_stalls(server, board, stall):
    before = len(server.requests())
    with raw(server) as half:
        half.sendall(b"SOUR1:CODE 6")
        if stall:
            half.settimeout(8)
            assert half.recv(100) == b""  # let go after 5 s
    time.sleep(0.2)
    assert board.query("SOUR1:CODE?") == "0"
    assert len(server.requests()) == before


def test_a_new_message_before_the_answer_was_taken(server):
    with socket.socket() as greedy:
        # A small window, so most of the answer waits in the server.
        greedy.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        greedy.connect(("127.0.0.1", server.port))
        greedy.sendall(b"FORM INT;:SOUR1:SWE? 0,#HFFFF,2\nSYST:ERR?\n")
        # Nothing is read until the sweep's 32768 writes and reads are done and the next
        # message has been taken.
        deadline = time.monotonic() + 60
        while len(server.requests()) < 2 * 32768 and time.monotonic() < deadline:
            time.sleep(0.1)
        time.sleep(0.3)
        greedy.settimeout(30)
        received = b""
        # The part of the block that had left before the next message, then its answer.
        while not (received.endswith(b"\n") and b"INTERRUPTED" in received[-100:]):
            chunk = greedy.recv(65536)
            assert chunk, "the server closed the connection"
            received += chunk
        assert received.endswith(b'-410,"Query INTERRUPTED; a new message came before the '
                                 b'answer was read"\n')


def test_signals_end_it_cleanly_and_a_busy_address_loads_nothing(tmp_path, server):
    trace = tmp_path / "second.trace"
    result = subprocess.run([TOOL, "serve", "--listen", f"127.0.0.1:{server.port}"],
                            env=dict(os.environ, XT4830_VIRTUAL_TRACE=str(trace)),
                            capture_output=True, text=True, timeout=10)
    assert result.returncode == 2 and "cannot listen" in result.stderr
    assert "LoadFirmWare" not in (trace.read_text() if trace.exists() else "")
    assert server.stop(signal.SIGINT) == 0
