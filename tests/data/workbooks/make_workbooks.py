#!/usr/bin/python3
"""Makes the committed workbook fixtures of this folder (run once; see README.md).

Needs Debian's python3-openpyxl and python3-pandas, and LibreOffice Calc with its Python
bridge (python3-uno) for the copies LibreOffice writes. LibreOffice is driven with a view,
so that the saved active sheet is recorded as a user's save would record it.

    /usr/bin/python3 tests/data/workbooks/make_workbooks.py
    /usr/bin/python3 tests/data/workbooks/make_workbooks.py --template templates/Kalvoren.xlsx
The second form converts the template workbook to .xls beside it.
"""

import os
import subprocess
import sys
import tempfile
import time

import openpyxl
import pandas
from openpyxl.cell.cell import TYPE_ERROR

HERE = os.path.dirname(os.path.abspath(__file__))


def analyses_workbook(path):
    wb = openpyxl.Workbook()
    notes = wb.active
    notes.title = "Notes"
    notes["A1"] = "not this sheet"
    ws = wb.create_sheet("Analyses")
    # Row 1 and column A stay empty.
    ws["B2"] = "Sample 1"
    ws["C2"] = 48.123456789
    ws["C2"].number_format = "0.00"  # shows 48.12; the stored value is read
    ws["D2"] = "=C2*2"
    ws["E2"] = True
    ws["F2"] = "=1/0"
    ws["G2"] = "a\tb\nc"
    ws["H2"] = 2269
    ws["I2"] = 0.00005
    ws["J2"] = -3.2
    ws["K2"] = "#N/A"
    ws["K2"].data_type = TYPE_ERROR
    ws["B3"] = 1234567.123456789012
    ws["C3"] = "  spaced  "
    ws["D3"] = 1e20
    ws["E3"] = False
    ws["AQ101"] = "corner"
    ws["AR2"] = "beyond AQ"
    ws["B102"] = "beyond row 101"
    ws["B150"] = "row 150"
    ws["AZ150"] = "column AZ"
    wb.active = 1  # the second sheet is the active one
    wb.save(path)


def pandas_workbook(path):
    frame = pandas.DataFrame(
        {"Sample": ["A-1", "A-2"], "SiO2": [50.1, 49.87], "TiO2": [0.5, None]})
    frame.to_excel(path, index=False, sheet_name="pyroxenes")


class LibreOffice:
    """A LibreOffice Calc driven through its Python bridge."""

    def __init__(self):
        import uno  # noqa: F401  (python3-uno)
        self.profile = tempfile.TemporaryDirectory()
        self.proc = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore",
             "-env:UserInstallation=file://" + self.profile.name,
             "--accept=socket,host=localhost,port=2299;urp;"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        for _ in range(120):
            try:
                ctx = resolver.resolve(
                    "uno:socket,host=localhost,port=2299;urp;StarOffice.ComponentContext")
                break
            except Exception:
                time.sleep(1)
        self.desktop = ctx.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", ctx)

    @staticmethod
    def prop(name, value):
        from com.sun.star.beans import PropertyValue
        p = PropertyValue()
        p.Name = name
        p.Value = value
        return p

    def convert(self, source, targets, active_sheet=None):
        """Opens `source` and saves it as each (path, filter name) of `targets`."""
        import uno
        doc = self.desktop.loadComponentFromURL(
            uno.systemPathToFileUrl(os.path.abspath(source)), "_blank", 0,
            (self.prop("Hidden", False),))
        if active_sheet:
            doc.getCurrentController().setActiveSheet(doc.Sheets.getByName(active_sheet))
        for path, filter_name in targets:
            doc.storeToURL(uno.systemPathToFileUrl(os.path.abspath(path)),
                           (self.prop("FilterName", filter_name),))
        doc.close(True)

    def close(self):
        try:
            self.desktop.terminate()
        except Exception:
            pass
        self.proc.wait(timeout=60)
        self.profile.cleanup()


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--template":
        office = LibreOffice()
        try:
            office.convert(sys.argv[2], [(os.path.splitext(sys.argv[2])[0] + ".xls",
                                          "MS Excel 97")])
        finally:
            office.close()
        return

    source = os.path.join(HERE, "analyses_openpyxl.xlsx")
    analyses_workbook(source)
    pandas_workbook(os.path.join(HERE, "table_pandas.xlsx"))
    office = LibreOffice()
    try:
        office.convert(source, [
            (os.path.join(HERE, "analyses_libreoffice.xlsx"), "Calc MS Excel 2007 XML"),
            (os.path.join(HERE, "analyses_libreoffice.ods"), "calc8"),
            (os.path.join(HERE, "analyses_libreoffice.xls"), "MS Excel 97"),
        ], active_sheet="Analyses")
    finally:
        office.close()
    # A damaged workbook: the first half of a good one.
    with open(os.path.join(HERE, "analyses_libreoffice.xlsx"), "rb") as f:
        data = f.read()
    with open(os.path.join(HERE, "truncated.xlsx"), "wb") as f:
        f.write(data[: len(data) // 2])


if __name__ == "__main__":
    main()
