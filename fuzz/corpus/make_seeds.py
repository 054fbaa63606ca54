#!/usr/bin/env python3
"""Writes the small seed corpus of each fuzz target (fuzz/corpus/<target>/).

The seeds are kept in the repository; this script only documents how they were made and
remakes them. Standard library only. Files named found_* are inputs that fuzzing found
(each also a regression test in tests/); they are kept as seeds and not remade here.
"""

import io
import os
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))

# One analysis pair in the table's 42 data columns (the first line of the bundled example).
PAIR_ROW = [
    "Bartels 1991 HI 97", "51.7", "0.28", "8.38", "", "0.05", "", "6.69", "0.15", "", "", "",
    "21.4", "11.7", "0.64", "0", "", "", "", "", "15", "1325", "", "Bartels 1991 HI 97",
    "52.7", "0.15", "8.1", "", "0", "", "8.48", "0.14", "", "", "", "29.4", "2.14", "0.14",
    "0", "", "", "",
]
CPX_ROW = ["Px-7 core", "51,93", "0.52", "3.41", "", "0.85", "", "4.12", "0.11", "", "", "",
           "16.20", "21.35", "0.48", "<0.01", "", "", "", "", "", "1150", "", "", ""] + [""] * 17


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("cp1252")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def leading_number():
    for i, text in enumerate(["51.23", " 1 2 .5\t", "-1.5E+03", "&HFF", "&o17", "1e", "<0.01",
                              "51,23", "1D-5", "1e999", "", "0.000049999999999999996",
                              "+.5e-3x", "1.79769313486232E+308"]):
        write("leading_number", "seed%02d" % i, text)


def number_format():
    def raw(x):
        return bytes([0]) + struct.pack("<d", x) + bytes([0])

    def decimal(n, k, mode=1, extra=0):
        # n / 10^k through mode 1 (mode 2 steps a few units of the last place).
        return bytes([mode]) + struct.pack("<q", n) + bytes([k | extra])

    write("number_format", "extremes",
          raw(float("nan")) + raw(float("inf")) + raw(-float("inf")) + raw(-0.0) + raw(5e-324)
          + raw(2.2250738585072014e-308) + raw(1e308) + raw(-1.7976931348623157e308))
    write("number_format", "halves",
          decimal(12345, 5) + decimal(-125, 3) + decimal(5, 1) + decimal(12344999999, 10)
          + decimal(99995, 5) + decimal(123456789012345, 2))
    write("number_format", "near_halves", decimal(12345, 5, 2, 0x20) + decimal(-5, 1, 2, 0x60))
    write("number_format", "typed",
          raw(51.2) + raw(0.1) + raw(1234.5) + raw(-0.0001) + raw(1e15) + raw(123456789.123))


def analysis_file():
    row = "\t".join(PAIR_ROW)
    write("analysis_file", "one_pair.pyx", '"' + row + "\r" + "\t" * 41 + '"\r\n')
    write("analysis_file", "unquoted.pyx", " 12.5\t3 , rest\r\n")
    write("analysis_file", "lf_lines.pyx", '"a\tb\r\nc\td\ne"\r\n')
    write("analysis_file", "quote_in_cell.pyx", '"He said "hi"\tx"\r\n')
    write("analysis_file", "open_quote.pyx", '"a\tb\rc')
    write("analysis_file", "code_page.pyx", b'"\xe9\x80\x81\t\xff"\r\n')


def cell_grid():
    # rows, cols, then commands: opcode byte and its arguments (see CellGridFuzz.cpp).
    def text(t):
        return bytes([len(t)]) + t.encode()

    write("cell_grid", "paste", bytes([6, 5, 2, 2, 2, 3, 4, 4]) + text("a\tb\tc\rd\r\ne\nf")
          + bytes([7]))
    write("cell_grid", "rows", bytes([4, 3, 8, 2]) + text("x\ty\tz\tw") + bytes([9, 2, 0, 1])
          + bytes([11]) + text("n\tm") + bytes([1]))
    write("cell_grid", "typing", bytes([3, 3, 4, 2, 2]) + text("p\tq") + bytes([3, 0, 0, 7, 10, 1,
                                                                                  1, 1]))


def csv_reader():
    # The first byte picks the delimiter: 0 comma, 1 TAB, 2 semicolon.
    lines = ["Sample,SiO2,TiO2,P_kbar,T_C", '"Px, core",51.7,0.28,15,1325',
             '"say ""hi""",52.1,,,', '"two\nlines",1,2,3,4', ""]
    write("csv_reader", "comma.csv", b"\x00" + "\r\n".join(lines).encode())
    write("csv_reader", "tab.tsv", b"\x01" + "a\tb\n1\t2\n".encode())
    write("csv_reader", "bom.csv", b"\x00\xef\xbb\xbfa,b\n1,2")
    write("csv_reader", "broken.csv", b'\x02a;"b"c;d\n')


def zip_bytes(parts, stored=True):
    out = io.BytesIO()
    method = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(out, "w", method) as z:
        for name, content in parts:
            # A fixed time stamp keeps the seeds the same from one run to the next.
            z.writestr(zipfile.ZipInfo(name, (2024, 1, 1, 0, 0, 0)), content, method)
    return out.getvalue()


def workbook():
    content_types = (
        '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/'
        'content-types"><Default Extension="xml" ContentType="application/xml"/></Types>')
    rels = ('<Relationships><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/'
            'officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/>'
            '</Relationships>')
    book = ('<workbook xmlns:r="r"><bookViews><workbookView activeTab="0"/></bookViews><sheets>'
            '<sheet name="Data" r:id="rId1"/></sheets></workbook>')
    book_rels = (
        '<Relationships><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/'
        'officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/'
        'relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
    shared = '<sst><si><t>Sample</t></si><si><r><t>Px</t></r><r><t>-7</t></r></si></sst>'
    sheet = ('<worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c>'
             '<c r="B1" t="inlineStr"><is><t>SiO2_x000D_</t></is></c></row>'
             '<row r="2"><c r="A2" t="s"><v>1</v></c><c r="B2"><v>51.7</v></c>'
             '<c r="C2" t="b"><v>1</v></c><c r="D2" t="e"><v>#N/A</v></c>'
             '<c r="AQ101"><v>5E-05</v></c></row></sheetData></worksheet>')
    parts = [("[Content_Types].xml", content_types), ("_rels/.rels", rels),
             ("xl/workbook.xml", book), ("xl/_rels/workbook.xml.rels", book_rels),
             ("xl/sharedStrings.xml", shared), ("xl/worksheets/sheet1.xml", sheet)]
    # The input's length picks the file name the reader sees (.xlsx, .ods, .xls by size % 3).
    write("workbook", "minimal_stored.xlsx", zip_bytes(parts))
    write("workbook", "minimal_deflated.xlsx", zip_bytes(parts, stored=False))

    content = (
        '<office:document-content xmlns:office="o" xmlns:table="t" xmlns:text="x">'
        '<office:body><office:spreadsheet><table:table table:name="Data">'
        '<table:table-row><table:table-cell office:value-type="string"><text:p>Sample</text:p>'
        '</table:table-cell><table:table-cell office:value-type="float" office:value="51.7"/>'
        '</table:table-row><table:table-row table:number-rows-repeated="3">'
        '<table:table-cell table:number-columns-repeated="2" office:value-type="boolean" '
        'office:boolean-value="true"/><table:table-cell office:value-type="string">'
        '<text:p>a<text:s text:c="2"/>b</text:p><text:p>c</text:p></table:table-cell>'
        '</table:table-row></table:table></office:spreadsheet></office:body>'
        '</office:document-content>')
    settings = ('<office:document-settings xmlns:office="o" xmlns:config="c"><config:config-item '
                'config:name="ActiveTable">Data</config:config-item></office:document-settings>')
    ods = [("mimetype", "application/vnd.oasis.opendocument.spreadsheet"),
           ("content.xml", content), ("settings.xml", settings)]
    write("workbook", "minimal_stored.ods", zip_bytes(ods))
    fixture = os.path.join(HERE, "..", "..", "tests", "data", "workbooks",
                           "analyses_libreoffice.xls")
    with open(fixture, "rb") as f:
        write("workbook", "libreoffice.xls", f.read())


def row_calculation():
    # Two bytes of option marks (bit 15: reconcile them first), then the 43 cells.
    write("row_calculation", "pair", b"\x00\x80" + ("7\t" + "\t".join(PAIR_ROW)).encode())
    write("row_calculation", "cpx_only", b"\x01\x00" + ("1\t" + "\t".join(CPX_ROW)).encode())
    marks = (1 << 1) | (1 << 4) | (1 << 6) | (1 << 9) | (1 << 10)
    write("row_calculation", "marked",
          struct.pack("<H", marks) + ("2\t" + "\t".join(PAIR_ROW)).encode())
    write("row_calculation", "odd_cells", b"\xff\xff" + "1\tx\t&H40\t1e400\t-3\t\t\t\t\t\t\t\t\t"
          "1e-320\t\t\t\t\t\t\t\t\t-5\tnan\t\t\t0.1".encode())


if __name__ == "__main__":
    leading_number()
    number_format()
    analysis_file()
    cell_grid()
    csv_reader()
    workbook()
    row_calculation()
