# Reads a workbook the way a spreadsheet tool's library does and prints, as JSON
# (ASCII escapes), its sheets in order, each with its frozen cell, its filter
# range, its charts (and where each draws its category labels), its column
# widths and every cell as [type, value, number format], for the tests to
# compare: python3 xlsx_cells.py FILE
import datetime
import json
import sys

import openpyxl


def cell(c):
    v = c.value
    if v is None:
        return ["none", "", c.number_format]
    if isinstance(v, bool):
        return ["bool", str(v), c.number_format]
    if isinstance(v, datetime.datetime):
        return ["date", v.date().isoformat(), c.number_format]
    if isinstance(v, int):
        return ["int", str(v), c.number_format]
    if isinstance(v, float):
        return ["float", repr(v), c.number_format]
    return ["str", v, c.number_format]


book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for ws in book.worksheets:
    charts = []
    labels = []
    for chart in ws._charts:
        labels.append(chart.x_axis.tickLblPos or "")
        kind = chart.tagname
        if getattr(chart, "barDir", None):
            kind += ":" + chart.barDir
        charts.append(kind)
    widths = {}
    for letter, dim in ws.column_dimensions.items():
        if dim.width:
            for i in range(dim.min or 0, (dim.max or 0) + 1):
                widths[openpyxl.utils.get_column_letter(i)] = dim.width
    sheets.append({
        "name": ws.title,
        "freeze": ws.freeze_panes or "",
        "filter": ws.auto_filter.ref or "",
        "charts": charts,
        "category_labels": labels,
        "widths": widths,
        "rows": [[cell(c) for c in row] for row in ws.iter_rows()],
    })
json.dump(sheets, sys.stdout, ensure_ascii=True)
