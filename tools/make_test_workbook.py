#!/usr/bin/env python3
"""Writes tests/data/mailing_list.xlsx: a recipients' list laid out as Excel saves it.

Two sheets whose order differs from their file names (as after moving a sheet), shared strings
with a rich-text run and accents, an inline string, a formula's text result, a phone number kept
as a number, a date and a time styled by custom and built-in formats, an empty cell inside a
row, a skipped column, a skipped row and a row of empty styled cells.

Usage: tools/make_test_workbook.py [output]   (standard library only; the output is reproducible)
"""

import datetime
import sys
import zipfile
from pathlib import Path

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG_REL = "http://schemas.openxmlformats.org/package/2006/relationships"
HEAD = '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n'

SHARED = [
    "Nom", "Prénom", "Mobile", "Rendez-vous", "Heure", "Montant", "Remarque",
    "Lefèvre", "Jérôme", "Roy", "Zoé",
]


def serial(day):
    """Excel's 1900 day count, valid from March 1900."""
    return (day - datetime.date(1899, 12, 30)).days


def content_types():
    parts = [
        ("/xl/workbook.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"),
        ("/xl/worksheets/sheet1.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"),
        ("/xl/worksheets/sheet2.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"),
        ("/xl/styles.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml"),
        ("/xl/sharedStrings.xml", "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"),
    ]
    overrides = "".join(f'<Override PartName="{name}" ContentType="{kind}"/>' for name, kind in parts)
    return (HEAD + '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
            '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
            '<Default Extension="xml" ContentType="application/xml"/>' + overrides + "</Types>")


def package_rels():
    return (HEAD + f'<Relationships xmlns="{PKG_REL}"><Relationship Id="rId1" '
            f'Type="{REL}/officeDocument" Target="xl/workbook.xml"/></Relationships>')


def workbook():
    # The list is the first tab but was created second: its file is sheet2.xml.
    return (HEAD + f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><workbookPr defaultThemeVersion="164011"/>'
            '<bookViews><workbookView xWindow="0" yWindow="0" windowWidth="28800" windowHeight="12300"/></bookViews>'
            '<sheets><sheet name="Destinataires" sheetId="2" r:id="rId2"/>'
            '<sheet name="Notes" sheetId="1" r:id="rId1"/></sheets><calcPr calcId="191029"/></workbook>')


def workbook_rels():
    return (HEAD + f'<Relationships xmlns="{PKG_REL}">'
            f'<Relationship Id="rId3" Type="{REL}/styles" Target="styles.xml"/>'
            f'<Relationship Id="rId2" Type="{REL}/worksheet" Target="worksheets/sheet2.xml"/>'
            f'<Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'
            f'<Relationship Id="rId4" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
            "</Relationships>")


def styles():
    # Style 1: a French long date (locale tag, escaped spaces); 2: built-in h:mm; 3: built-in 0.00.
    return (HEAD + f'<styleSheet xmlns="{MAIN}">'
            '<numFmts count="1"><numFmt numFmtId="164" formatCode="[$-40C]d\\ mmmm\\ yyyy;@"/></numFmts>'
            '<fonts count="2"><font><sz val="11"/><name val="Calibri"/></font>'
            '<font><b/><sz val="11"/><name val="Calibri"/></font></fonts>'
            '<fills count="1"><fill><patternFill patternType="none"/></fill></fills>'
            '<borders count="1"><border><left/><right/><top/><bottom/><diagonal/></border></borders>'
            '<cellStyleXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellStyleXfs>'
            '<cellXfs count="4"><xf numFmtId="0" fontId="0" fillId="0" borderId="0" xfId="0"/>'
            '<xf numFmtId="164" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
            '<xf numFmtId="20" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/>'
            '<xf numFmtId="2" fontId="0" fillId="0" borderId="0" xfId="0" applyNumberFormat="1"/></cellXfs>'
            '<cellStyles count="1"><cellStyle name="Normal" xfId="0" builtinId="0"/></cellStyles>'
            "</styleSheet>")


def shared_strings():
    items = "".join(f"<si><t>{text}</t></si>" for text in SHARED)
    # Index 11: "Très urgent", its first word bold, with a phonetic guide that is not text.
    items += ('<si><r><rPr><b/><sz val="11"/></rPr><t xml:space="preserve">Très </t></r>'
              '<r><rPr><sz val="11"/></rPr><t>urgent</t></r><rPh sb="0" eb="4"><t>トレ</t></rPh></si>')
    return HEAD + f'<sst xmlns="{MAIN}" count="{len(SHARED) + 3}" uniqueCount="{len(SHARED) + 1}">{items}</sst>'


def sheet(rows):
    return (HEAD + f'<worksheet xmlns="{MAIN}" xmlns:r="{REL}"><dimension ref="A1:G6"/>'
            '<sheetViews><sheetView workbookViewId="0"/></sheetViews><sheetFormatPr defaultRowHeight="15"/>'
            f"<sheetData>{rows}</sheetData>"
            '<pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75" header="0.3" footer="0.3"/></worksheet>')


def list_sheet():
    appointment = serial(datetime.date(2026, 12, 12))
    header = "".join(f'<c r="{col}1" t="s"><v>{i}</v></c>' for i, col in enumerate("ABCDEFG"))
    return sheet(
        f'<row r="1" spans="1:7">{header}</row>'
        # 14:30 as Excel stores it, 29/48 of a day to 17 digits.
        '<row r="2" spans="1:7"><c r="A2" t="s"><v>7</v></c><c r="B2" t="s"><v>8</v></c>'
        f'<c r="C2"><v>612345678</v></c><c r="D2" s="1"><v>{appointment}</v></c>'
        '<c r="E2" s="2"><v>0.60416666666666663</v></c><c r="F2" s="3"><v>12.5</v></c>'
        '<c r="G2" t="s"><v>11</v></c></row>'
        # B3 is written empty; D3 and F3 are not written at all.
        '<row r="3" spans="1:7"><c r="A3" t="inlineStr"><is><t>Dupont</t></is></c><c r="B3" s="0"/>'
        '<c r="C3"><v>33698765432</v></c><c r="E3" s="2"><v>0.375</v></c>'
        '<c r="G3" t="str"><f>UPPER(A3)</f><v>DUPONT</v></c></row>'
        # Row 4 is not written; row 5 ends early; row 6 has only styled empty cells.
        '<row r="5" spans="1:7"><c r="A5" t="s"><v>9</v></c><c r="B5" t="s"><v>10</v></c>'
        '<c r="C5"><v>6.1122334400000000E+8</v></c></row>'
        '<row r="6" spans="1:7"><c r="A6" s="1"/><c r="D6" s="2"/></row>')


def notes_sheet():
    return sheet('<row r="1"><c r="A1" t="inlineStr"><is><t>Pas la liste</t></is></c></row>')


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "tests/data/mailing_list.xlsx"
    parts = [
        ("[Content_Types].xml", content_types()),
        ("_rels/.rels", package_rels()),
        ("xl/workbook.xml", workbook()),
        ("xl/_rels/workbook.xml.rels", workbook_rels()),
        ("xl/worksheets/sheet1.xml", notes_sheet()),
        ("xl/worksheets/sheet2.xml", list_sheet()),
        ("xl/styles.xml", styles()),
        ("xl/sharedStrings.xml", shared_strings()),
    ]
    with zipfile.ZipFile(output, "w", zipfile.ZIP_DEFLATED) as archive:
        for name, text in parts:
            entry = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, text.encode("utf-8"))


if __name__ == "__main__":
    main()
