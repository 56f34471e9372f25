"""VXI-11 beside the socket, met by independent clients: pyvisa-py's TCPIP::host::INSTR, its
own RPC client for what VISA does not send, lxi-tools, and rpcinfo for the port mapper."""
import os
import shutil
import socket
import struct
import subprocess
import time

import pytest
import pyvisa
from pyvisa_py.protocols import rpc, vxi11

from conftest import TOOL, Server

CORE = 0x0607AF
INSTR = "TCPIP::127.0.0.1::INSTR"


def registered():
    listing = subprocess.run(["rpcinfo", "-p"], capture_output=True, text=True).stdout
    return [line.split()[3] for line in listing.splitlines() if line.split()[:1] == [str(CORE)]]


@pytest.fixture(scope="module")
def rpcbind():
    if subprocess.run(["rpcinfo", "-p"], capture_output=True).returncode != 0:
        if shutil.which("rpcbind") is None or subprocess.run(["rpcbind", "-w"]).returncode != 0:
            pytest.skip("no port mapper, and rpcbind cannot be started here")
        time.sleep(0.2)


@pytest.fixture
def served(tmp_path, rpcbind):
    running = Server(tmp_path, vxi11=True)
    assert "serving VXI-11 on port" in running.process.stderr.readline()
    yield running
    if running.process.poll() is None:
        running.stop()


def instr():
    return pyvisa.ResourceManager("@py").open_resource(INSTR, read_termination="\n", timeout=5000)


def test_pyvisa_instr_is_the_same_instrument_as_the_socket(served):
    board, socket_client = instr(), served.client()
    assert board.query("*IDN?") == socket_client.query("*IDN?")
    long_message = ";:".join(["SOUR2:CODE 7"] * 150 + ["SOUR2:CODE?"])  # past 1024 bytes
    assert board.query(long_message) == "7"
    board.write("SOUR1:CODE 100")
    assert socket_client.query("SOUR1:CODE?") == "100"
    board.write_termination, board.read_termination = "", ";"  # END alone; a read ends at ";"
    assert [board.query("SOUR1:CODE?;:SOUR2:CODE?"), board.read()] == ["100", "7\n"]
    board.write_termination, board.read_termination = "\r\n", "\n"
    assert board.read_stb() == 0
    board.write("*IDN?")
    assert board.read_stb() == 16  # the answer waits unread
    board.clear()
    assert board.read_stb() == 0
    board.write("SOUR9:CODE 1")
    assert board.read_stb() == 4
    board.lock_excl()
    assert "link" in socket_client.query("SYST:LOCK:OWN?")
    socket_client.write("SOUR1:CODE 5")
    assert socket_client.query("SYST:ERR?").startswith("2,")
    board.close()  # gone with the lock held: the lock is free again
    assert socket_client.query("SYST:LOCK:OWN?") == '"NONE"'
    socket_client.close()


def test_the_meter_path_reaches_a_vxi11_instrument_and_names_the_step_it_fails(served):
    """The board's server is no multimeter: the meter path identifies it over VXI-11 through
    liblxi, then stops where its set-up is refused."""
    env = dict(os.environ, XT4830_VIRTUAL_BOARD="")
    ran = subprocess.run([TOOL, "--board", "virtual", "read", "C", "--meter", INSTR], env=env,
                         capture_output=True, text=True, timeout=30)
    assert ran.returncode == 1
    assert "XT4830R Evaluation Board,VIRTUAL," in ran.stderr
    assert "setting up the measurement: it reports -113" in ran.stderr


def test_lxi_and_the_port_mapper_entry(served):
    answer = subprocess.run(["lxi", "scpi", "-a", "127.0.0.1", "*IDN?"], capture_output=True,
                            text=True, timeout=20)
    assert answer.stdout.startswith("Halbrook,XT4830R Evaluation Board,")
    assert len(registered()) == 1
    served.process.terminate()
    started = time.monotonic()
    assert served.process.wait(timeout=5) == 0
    assert time.monotonic() - started < 1 and registered() == []


def test_bad_input_is_bounded(served):
    core = vxi11.CoreClient("127.0.0.1")
    codes = vxi11.ErrorCodes
    assert core.device_write(999, 1000, 1000, 8, b"*RST\n")[0] == codes.invalid_link_identifier
    assert core.create_link(1, 0, 0, "inst7")[0] == codes.device_not_accessible
    links = [core.create_link(1, 0, 0, "inst0") for _ in range(65)]
    assert [error for error, *_ in links].count(codes.out_of_resources) == 1
    for record in (b"\x80\x00\x00\x08" + b"\xff" * 8, b"\xff\xff\xff\xff" + b"\x00" * 64):
        hostile = socket.create_connection(("127.0.0.1", core.port), timeout=5)
        hostile.sendall(record)
        assert hostile.recv(100) == b""  # let go without a reply
    assert core.device_lock(links[0][1], 0, 0) == 0
    lid, abort_port = links[0][1], links[0][2]
    assert core.device_write(lid, 0, 0, 8, b"*IDN?")[0] == 0
    assert core.device_read(lid, 3, 0, 0, 0, 0) == (0, 1, b"Hal")  # ended by the request's size
    assert [core.destroy_link(links[1][1]), core.destroy_link(links[1][1])] == [0, 4]
    abort = rpc.RawTCPClient("127.0.0.1", vxi11.DEVICE_ASYNC_PROG, 1, abort_port)
    abort.packer, abort.unpacker = rpc.Packer(), rpc.Unpacker("")
    assert [abort.make_call(1, link, abort.packer.pack_uint, abort.unpacker.unpack_int)
            for link in (lid, 999)] == [0, 4]
    core.close()  # gone without a word: its links, and the lock, go with the connection
    board, socket_client = instr(), served.client()
    assert board.query("*IDN?").startswith("Halbrook,")
    assert socket_client.query("SYST:LOCK:OWN?") == '"NONE"'
    board.close()
    socket_client.close()


@pytest.fixture
def avahi():
    """avahi-daemon on the system bus, each started here when none runs and stopped after."""
    started = []
    if subprocess.run(["avahi-daemon", "--check"]).returncode != 0:
        ping = ["dbus-send", "--system", "--dest=org.freedesktop.DBus", "/",
                "org.freedesktop.DBus.Peer.Ping"]
        if subprocess.run(ping, capture_output=True).returncode != 0:
            os.makedirs("/run/dbus", exist_ok=True)
            subprocess.run(["rm", "-f", "/run/dbus/pid"])  # left by a bus that no longer answers
            bus = subprocess.run(["dbus-daemon", "--system", "--fork", "--print-pid"],
                                 capture_output=True, text=True)
            started += [int(bus.stdout)] if bus.returncode == 0 else []
        if subprocess.run(["avahi-daemon", "--daemonize"]).returncode != 0:
            pytest.skip("avahi-daemon cannot be started here")
        started.insert(0, "avahi")
    yield
    for daemon in started:
        subprocess.run(["avahi-daemon", "--kill"]) if daemon == "avahi" else os.kill(daemon, 15)


def test_announced_beyond_loopback_only(tmp_path, served, avahi):
    wide = Server(tmp_path, vxi11=False, listen="0.0.0.0:0")
    found = ""
    for _ in range(50):
        found = subprocess.run(["avahi-browse", "-ptr", "_scpi-raw._tcp"], capture_output=True,
                               text=True, timeout=10).stdout
        if f";{wide.port};" in found:
            break
        time.sleep(0.2)
    assert "XT4830\\044\\032serial\\032VIRTUAL" in found and f";{wide.port};" in found
    assert f";{served.port};" not in found  # the loopback server is not announced
    wide.stop()


@pytest.mark.parametrize("program,version,procedure,reply", [
    (CORE, 1, 0, [0]),  # the null procedure: accepted, succeeded
    (CORE, 2, 0, [2, 1, 1]),  # versions 1 to 1 only
    (0x0607B0, 1, 0, [1]),  # the abort program on the core channel: unavailable
    (CORE, 1, 99, [3]),  # no such procedure
    (CORE, 1, 22, [0, 8, 0]),  # device_docmd: not supported, no data
])
def test_each_call_answered_even_one_byte_at_a_time(served, program, version, procedure, reply):
    call = struct.pack(">11I", 7, 0, 2, program, version, procedure, 0, 0, 0, 0, 1)
    core = vxi11.CoreClient("127.0.0.1")
    trickle = socket.create_connection(("127.0.0.1", core.port), timeout=5)
    for byte in struct.pack(">I", 0x80000000 | len(call)) + call:
        trickle.send(bytes([byte]))
        time.sleep(0.002)
    words = [0x80000000 | 4 * (5 + len(reply)), 7, 1, 0, 0, 0] + reply
    assert trickle.recv(100) == struct.pack(f">{len(words)}I", *words)
