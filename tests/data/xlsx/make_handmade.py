#!/usr/bin/env python3
# Makes the hand-made workbooks of the spreadsheet reader tests (run once;
# the files are committed). Each is the smallest workbook that shows one
# case: inline strings, booleans and rows left out, and the malformed ones.
import zipfile

WB = ('<?xml version="1.0" encoding="UTF-8"?>'
      '<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" '
      'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">'
      '<sheets><sheet name="first" sheetId="1" r:id="rId1"/><sheet name="zweite \u00e9" sheetId="2" r:id="rId2"/></sheets></workbook>')
RELS = ('<?xml version="1.0" encoding="UTF-8"?>'
        '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
        '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>'
        '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="/xl/worksheets/sheet2.xml"/>'
        '</Relationships>')

def sheet(rows):
    return ('<?xml version="1.0" encoding="UTF-8"?>'
            '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>'
            + rows + '</sheetData></worksheet>')

GOOD1 = sheet('<row r="1"><c r="A1" t="inlineStr"><is><t>Board \u00fc</t></is></c>'
              '<c r="C1" t="b"><v>1</v></c><c r="D1"><v>2.50</v></c></row>'
              '<row r="2"><c t="inlineStr"><is><t xml:space="preserve"> x </t></is></c><c><v>1E3</v></c></row>'
              '<row r="4"><c r="B4" t="inlineStr"><is><t>after blank</t></is></c></row>')
GOOD2 = sheet('<row r="1"><c r="K1" t="inlineStr"><is><t>eleven</t></is></c><c r="L1"><v>12</v></c></row>')

def make(name, parts):
    with zipfile.ZipFile(name, 'w', zipfile.ZIP_DEFLATED) as z:
        for part, text in parts.items():
            z.writestr(part, text)

base = {'xl/workbook.xml': WB, 'xl/_rels/workbook.xml.rels': RELS}
make('handmade.xlsx', {**base, 'xl/worksheets/sheet1.xml': GOOD1, 'xl/worksheets/sheet2.xml': GOOD2})
make('missing_sheet.xlsx', {**base, 'xl/worksheets/sheet2.xml': GOOD2})
make('bad_xml.xlsx', {**base, 'xl/worksheets/sheet1.xml': GOOD1[:-30], 'xl/worksheets/sheet2.xml': GOOD2})
make('past_column_limit.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1"><c r="XFE1"><v>1</v></c></row>'),
                                'xl/worksheets/sheet2.xml': GOOD2})
make('past_row_limit.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1048577"><c r="A1048577"><v>1</v></c></row>'),
                             'xl/worksheets/sheet2.xml': GOOD2})
make('formula.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1"><c r="A1"><f>1+1</f><v>2</v></c></row>'),
                      'xl/worksheets/sheet2.xml': GOOD2})
with open('not_a_zip.xlsx', 'w') as f:
    f.write('label\tlength\n')
