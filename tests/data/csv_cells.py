# Reads a CSV file the way spreadsheet tools do and prints its cells as JSON
# (ASCII escapes), for the tests to compare: python3 csv_cells.py FILE
import csv
import json
import sys

with open(sys.argv[1], encoding="utf-8-sig", newline="") as f:
    rows = list(csv.reader(f, dialect="excel"))
json.dump(rows, sys.stdout, ensure_ascii=True)
