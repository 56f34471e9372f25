#!/usr/bin/env python3
"""Round trips to `xt4830ctl serve` on loopback, medians of N points each: *IDN? and a write
joined to its read-back on a bare socket, then the loop bench scripts run, a write and then a
query, through pyvisa-py and through the PyMeasure class in examples/; *IDN? through pyvisa-py
over VXI-11 (TCPIP::127.0.0.1::INSTR) beside the raw socket. Then the server's
resident memory idle and after the worst line (64 KiB of relative headers)."""
import os
import re
import socket
import statistics
import subprocess
import sys
import time

import pyvisa

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "examples"))
from xt4830r_instrument import XT4830R  # noqa: E402

TOOL, N = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1000


def median_ms(step):
    times = []
    for k in range(N):
        start = time.perf_counter_ns()
        step(k)
        times.append(time.perf_counter_ns() - start)
    return statistics.median(times) / 1e6


def socket_round_trips(port):
    with socket.create_connection(("127.0.0.1", port)) as connection:
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        stream = connection.makefile("rb")

        def ask(message):
            connection.sendall(message)
            stream.readline()

        identity = median_ms(lambda k: ask(b"*IDN?\n"))
        joined = median_ms(lambda k: ask(b"SOUR1:CODE %d;:MEAS:VOLT? (@1)\n" % (k * 64)))
    return identity, joined


def pyvisa_loop(resource):
    board = pyvisa.ResourceManager("@py").open_resource(
        resource, read_termination="\n", write_termination="\n")

    def point(k):
        board.write(f"SOUR1:CODE {k * 64}")
        board.query("MEAS:VOLT? (@1)")

    result = median_ms(point)
    board.close()
    return result


def pyvisa_identity(resource):
    board = pyvisa.ResourceManager("@py").open_resource(resource, read_termination="\n")
    result = median_ms(lambda k: board.query("*IDN?"))
    board.close()
    return result


def pymeasure_loop(resource):
    board = XT4830R(resource)

    def point(k):
        board.code_a = k * 64
        board.measure_voltage(1)

    result = median_ms(point)
    board.adapter.connection.close()
    return result


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as status:
        return int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1)) / 1024


def worst_line(port):
    with socket.create_connection(("127.0.0.1", port)) as connection:
        connection.sendall(b"A:B;" * (64 * 1024 // 4 - 2) + b"*IDN?\n")
        connection.makefile("rb").readline()


def main():
    server = subprocess.Popen([TOOL, "serve", "--listen", "127.0.0.1:0"],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    port = int(server.stdout.readline().rsplit(":", 1)[1])
    idle = resident_mb(server.pid)
    resource = f"TCPIP::127.0.0.1::{port}::SOCKET"
    identity, joined = socket_round_trips(port)
    through_pyvisa = pyvisa_loop(resource)
    through_pymeasure = pymeasure_loop(resource)
    identity_socket = pyvisa_identity(resource)
    identity_vxi11 = pyvisa_identity("TCPIP::127.0.0.1::INSTR")
    worst_line(port)
    after = resident_mb(server.pid)
    server.terminate()
    server.wait()
    print(f"*IDN? round trip:                               {identity:.3f} ms (median of {N})")
    print(f"SOUR1:CODE <c>;:MEAS:VOLT? (@1), one message:    {joined:.3f} ms")
    print(f"write, then MEAS:VOLT? (@1) query, pyvisa-py:    {through_pyvisa:.3f} ms")
    print(f"code_a = <c>, then measure_voltage(1), PyMeasure: {through_pymeasure:.3f} ms")
    print(f"*IDN?, pyvisa-py: raw socket / VXI-11 INSTR:     {identity_socket:.3f} ms / "
          f"{identity_vxi11:.3f} ms")
    print(f"server resident memory idle:                    {idle:.1f} MB")
    print(f"... after the worst 64 KiB line:                {after:.1f} MB")


if __name__ == "__main__":
    main()
