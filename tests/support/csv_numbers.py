"""Fails unless every CSV file named reads as a program reads it: '#' lines skipped, one
header row, and every cell of every row below it a number (nan included)."""
import csv
import sys

for name in sys.argv[1:]:
    with open(name, newline="", encoding="utf-8") as f:
        rows = list(csv.reader(line for line in f if not line.startswith("#")))
    assert len(rows) > 1, f"{name}: no rows under the header"
    for row in rows[1:]:
        assert len(row) == len(rows[0]), f"{name}: {row} is not as wide as the header"
        for cell in row:
            float(cell)  # raises on any cell that is no number
