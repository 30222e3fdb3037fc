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

# Formulas, escapes and text beyond Latin-1, and cells outside a row.
make('stored_values.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet(
    '<row r="1"><c r="A1"><f>1+1</f><v>2</v></c><c r="B1" t="str"><f>A1&amp;"x"</f><v>2x</v></c>'
    '<c r="C1" t="b"><f>A1&gt;3</f><v>0</v></c><c r="D1"><f>0.1+0.2</f><v>0.30000000000000004</v></c>'
    '<c r="E1" t="inlineStr"><is><t>Door_x000D_left</t></is></c>'
    '<c r="F1" t="inlineStr"><is><t>Tom\u2019s \u20ac \u2013 _x005F_x0041_</t></is></c>'
    '<c r="L1" t="e"><f>1/0</f><v>#DIV/0!</v></c><c r="M1"><f>K1</f></c></row>'
    '<row r="2"><c r="A2"><v>123456789012345678</v></c><c r="B2"><v>1E+20</v></c><c r="C2"><v>-0</v></c></row>'
    '<row r="9"><c r="A9" t="e"><v>#REF!</v></c></row>'),
    'xl/worksheets/sheet2.xml': GOOD2})
make('formula_no_value.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="2"><c r="B2"><f>A1*2</f></c></row>'),
                               'xl/worksheets/sheet2.xml': GOOD2})
make('error_value.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1"><c r="C1" t="e"><f>1/0</f><v>#DIV/0!</v></c></row>'),
                          'xl/worksheets/sheet2.xml': GOOD2})
make('cell_outside_row.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<c r="B3" t="inlineStr"><is><t>x</t></is></c>'),
                               'xl/worksheets/sheet2.xml': GOOD2})
make('cell_a0.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<c r="A0"><v>1</v></c>'),
                      'xl/worksheets/sheet2.xml': GOOD2})
make('cell_a0_in_row.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1"><c r="A0"><v>1</v></c></row>'),
                             'xl/worksheets/sheet2.xml': GOOD2})
make('opendocument.ods', {'mimetype': 'application/vnd.oasis.opendocument.spreadsheet',
                          'content.xml': '<office:document-content/>'})
with open('old_excel.xls', 'wb') as f:
    f.write(b'\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1' + bytes(504))

# Workbooks of a few KB that would expand far beyond what a parts list needs.
SHARED_RELS = RELS.replace('</Relationships>',
    '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>')
def sst(items):
    return ('<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
            + items + '</sst>')
shared_base = {'xl/workbook.xml': WB, 'xl/_rels/workbook.xml.rels': SHARED_RELS, 'xl/worksheets/sheet2.xml': GOOD2}
copies = ''.join('<row r="%d">%s</row>' % (r, ''.join('<c t="s"><v>0</v></c>' for _ in range(11))) for r in range(1, 1001))
make('expand_shared_copies.xlsx', {**shared_base, 'xl/sharedStrings.xml': sst('<si><t>' + 'a' * 32000 + '</t></si>'),
                                   'xl/worksheets/sheet1.xml': sheet(copies)})
make('expand_empty_strings.xlsx', {**shared_base, 'xl/sharedStrings.xml': sst('<si/>' * 1000001),
                                   'xl/worksheets/sheet1.xml': GOOD2})
make('expand_nesting.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1">' + '<x>' * 100000 + '</x>' * 100000 + '</row>'),
                             'xl/worksheets/sheet2.xml': GOOD2})
make('expand_long_cell.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet('<row r="1"><c r="A1" t="inlineStr"><is><t>' + 'c' * 300000 + '</t></is></c></row>'),
                               'xl/worksheets/sheet2.xml': GOOD2})
make('expand_part_bytes.xlsx', {**base, 'xl/worksheets/sheet1.xml': sheet(' ' * (65 << 20)),
                                'xl/worksheets/sheet2.xml': GOOD2})
many = ''.join('<sheet name="s%d" sheetId="%d" r:id="rId1"/>' % (i, i) for i in range(1, 1002))
make('expand_sheets.xlsx', {**base, 'xl/workbook.xml': WB.replace('<sheet name="first"', many + '<sheet name="first"'),
                            'xl/worksheets/sheet1.xml': GOOD1, 'xl/worksheets/sheet2.xml': GOOD2})
