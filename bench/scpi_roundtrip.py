#!/usr/bin/env python3
"""Round trips to `xt4830ctl serve` on loopback: the median of N queries of each kind, as a
client with Nagle's delay off sees them, and the server's resident memory afterwards."""
import re
import socket
import statistics
import subprocess
import sys
import time

TOOL, N = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1000


def round_trips(connection, messages):
    stream = connection.makefile("rb")
    times = []
    for message in messages:
        start = time.perf_counter_ns()
        connection.sendall(message)
        stream.readline()
        times.append(time.perf_counter_ns() - start)
    return statistics.median(times) / 1e6


def main():
    server = subprocess.Popen([TOOL, "serve", "--listen", "127.0.0.1:0"], stderr=subprocess.PIPE,
                              text=True)
    port = int(re.search(r":(\d+) ", server.stderr.readline()).group(1))
    with socket.create_connection(("127.0.0.1", port)) as connection:
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        identity = round_trips(connection, [b"*IDN?\n"] * N)
        write_read = round_trips(
            connection, [b"SOUR1:CODE %d;:MEAS:VOLT? (@1)\n" % (k * 64) for k in range(N)])
    with open(f"/proc/{server.pid}/status") as status:
        rss_kb = int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1))
    server.terminate()
    server.wait()
    print(f"*IDN? round trip:                          {identity:.3f} ms (median of {N})")
    print(f"SOUR1:CODE <c>;:MEAS:VOLT? (@1) round trip: {write_read:.3f} ms (median of {N})")
    print(f"server resident memory:                    {rss_kb / 1024:.1f} MB")


if __name__ == "__main__":
    main()
