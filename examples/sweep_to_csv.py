#!/usr/bin/env python3
"""Sweeps one DAC channel of the evaluation board and writes code, ideal volts, measured volts
and their difference as CSV, over `xt4830ctl serve` with pyvisa.

    sweep_to_csv.py --resource TCPIP::127.0.0.1::5025::SOCKET --channel 1 --step 256 out.csv
"""
import argparse
import csv
import os
import sys
import tempfile

import pyvisa


def arguments():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file", help="the CSV file to write ('-': standard output)")
    parser.add_argument("--resource", default="TCPIP::127.0.0.1::5025::SOCKET")
    parser.add_argument("--channel", type=int, default=1, choices=range(1, 5))
    parser.add_argument("--start", type=int, default=0)
    parser.add_argument("--stop", type=int, default=0xFFFF)
    parser.add_argument("--step", type=int, default=256)
    parser.add_argument("--reference", type=float, default=3.0, help="DAC and ADC reference")
    return parser.parse_args()


def measure(args):
    board = pyvisa.ResourceManager("@py").open_resource(
        args.resource, read_termination="\n", write_termination="\n", timeout=60000)
    try:
        board.write(f"SOUR:REF:VOLT {args.reference};:SENS:VOLT:REF {args.reference}")
        values = board.query_ascii_values(
            f"SOUR{args.channel}:SWE? {args.start},{args.stop},{args.step}", converter="d")
        error = board.query("SYST:ERR?")
    finally:
        board.close()
    if not error.startswith("0,"):
        sys.exit(f"sweep_to_csv: the board says {error}")
    return zip(values[::2], values[1::2])


def write_table(f, rows, reference):
    out = csv.writer(f)
    out.writerow(["code", "ideal_volts", "measured_volts", "difference_volts"])
    for code, count in rows:
        ideal, measured = code * reference / 65536, count * reference / 4096
        out.writerow([code, f"{ideal:.6f}", f"{measured:.6f}", f"{measured - ideal:.6f}"])


def write(rows, path, reference):
    if path == "-":
        write_table(sys.stdout, rows, reference)
        return
    # Written whole or not at all: the old file stays until the new one is complete.
    folder = os.path.dirname(os.path.abspath(path))
    with tempfile.NamedTemporaryFile("w", dir=folder, delete=False, newline="") as f:
        try:
            write_table(f, rows, reference)
            f.flush()
            os.fsync(f.fileno())
        except OSError:
            os.unlink(f.name)
            raise
    os.replace(f.name, path)


def main():
    args = arguments()
    write(measure(args), args.file, args.reference)


if __name__ == "__main__":
    main()
