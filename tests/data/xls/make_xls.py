#!/usr/bin/env python3
# Makes the .xls workbooks of the import tests (run once; the tests use the
# files as they are and need no spreadsheet program). Needs LibreOffice
# Calc (soffice) to save "MS Excel 97" workbooks:
#   parts.xls        ../xlsx/libreoffice_parts.xlsx saved as .xls (the pair
#                    of the .xlsx: both import the same rows)
#   formulas.xls     ../xlsx/libreoffice_formulas.fods saved as .xls
#   sheets.xls       sheets.fods saved as .xls: two sheets, booleans, numbers,
#                    text beyond Latin-1, formulas beyond the first rows and
#                    columns
#   formula_kinds.xls, formula_kinds.xlsx  formula_kinds.fods saved as .xls
#                    and as .xlsx: formulas of every kind of result (numbers,
#                    texts of 8-bit and 16-bit characters, one long enough to
#                    go on in CONTINUE records, booleans, empty texts and, in
#                    column L, an error value), mostly shared formulas
# and from them, with their records changed in place:
#   bool_error.xls   sheets.xls with the boolean TRUE at B2 and the error
#                    value #DIV/0! at E2
#   big_sheet.xls    parts.xls whose sheet claims 65536 x 256 cells
#   outside_size.xls parts.xls whose sheet claims 2 x 6 cells
#   many_sheets.xls.gz  1001 sheets (packed: the tests unpack it)
#   format_past_record.xls  parts.xls with a number format longer than its record
#   truncated.xls, flipped.xls, not_ole.xls, xlsx_named.xls, xls_named.xlsx
import gzip, os, pathlib, shutil, struct, subprocess, tempfile

here = pathlib.Path(__file__).resolve().parent
xlsx = here.parent / 'xlsx'

def convert(sources, to='xls:MS Excel 97'):
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=tmp)
        subprocess.run(['soffice', '--headless', '--convert-to', to, '--outdir', tmp]
                       + [str(s) for s in sources], check=True, env=env, stdout=subprocess.DEVNULL)
        for s in sources:
            yield s.stem, (pathlib.Path(tmp) / (s.stem + '.' + to.split(':')[0])).read_bytes()

def record(data, rid, length, start=0):
    """Offset of the first record with this id and length (its header)."""
    i = data.find(struct.pack('<HH', rid, length), start)
    assert i >= 0, hex(rid)
    return i

made = dict(convert([xlsx / 'libreoffice_parts.xlsx', xlsx / 'libreoffice_formulas.fods',
                     here / 'sheets.fods']))
parts, formulas, sheets = made['libreoffice_parts'], made['libreoffice_formulas'], made['sheets']
(here / 'parts.xls').write_bytes(parts)
(here / 'formulas.xls').write_bytes(formulas)
(here / 'sheets.xls').write_bytes(sheets)
for suffix, to in (('xls', 'xls:MS Excel 97'), ('xlsx', 'xlsx:Calc MS Excel 2007 XML')):
    (_, data), = convert([here / 'formula_kinds.fods'], to)
    (here / ('formula_kinds.' + suffix)).write_bytes(data)

# Calc saves booleans as numbers; a workbook of the other spreadsheet
# program has BOOLERR records: the numbers B2 (1000) and E2 (-0.1) of the
# first sheet become the boolean TRUE and the error value #DIV/0! (records of
# ten bytes, as long as the RK records they replace).
b = bytearray(sheets)
for row, col, value, error in ((1, 1, 1, 0), (1, 4, 0x07, 1)):
    i = b.find(struct.pack('<HHHH', 0x027E, 10, row, col))
    assert i >= 0, (row, col)
    b[i:i + 2] = struct.pack('<H', 0x0205)
    b[i + 10:i + 14] = bytes([value, error, 0, 0])
(here / 'bool_error.xls').write_bytes(bytes(b))

# DIMENSION of the sheet: rows 0..65536, columns 0..256.
b = bytearray(parts)
i = record(b, 0x0200, 14)
b[i + 4:i + 16] = struct.pack('<IIHH', 0, 65536, 0, 256)
(here / 'big_sheet.xls').write_bytes(bytes(b))
# ... and one whose sheet claims two rows of the four it holds.
b[i + 4:i + 16] = struct.pack('<IIHH', 0, 2, 0, 6)
(here / 'outside_size.xls').write_bytes(bytes(b))

# A number format whose text runs past its record (once read past its end
# by the cell library).
b = bytearray(parts)
i = b.find(struct.pack('<H', 0x041E))
while struct.unpack('<H', b[i + 2:i + 4])[0] < 5:
    i = b.find(struct.pack('<H', 0x041E), i + 1)
b[i + 6:i + 8] = struct.pack('<H', 0x7FFF)
(here / 'format_past_record.xls').write_bytes(bytes(b))

(here / 'truncated.xls').write_bytes(parts[:len(parts) // 2])
b = bytearray(parts)
for k in range(48, 512):  # the header's sector tables
    b[k] ^= 0xFF
(here / 'flipped.xls').write_bytes(bytes(b))
(here / 'not_ole.xls').write_bytes(b'Label\tType\tLength\nDoor\tMDF\t720\n')
shutil.copyfile(xlsx / 'libreoffice_parts.xlsx', here / 'xlsx_named.xls')
(here / 'xls_named.xlsx').write_bytes(parts)

with tempfile.TemporaryDirectory() as tmp:
    many = pathlib.Path(tmp) / 'many_sheets.fods'
    tables = ''.join('<table:table table:name="s%d"><table:table-row><table:table-cell office:value-type='
                     '"string"><text:p>x</text:p></table:table-cell></table:table-row></table:table>' % k
                     for k in range(1001))
    head = (here / 'sheets.fods').read_text().split('<office:spreadsheet>')[0]
    many.write_text(head + '<office:spreadsheet>' + tables + '</office:spreadsheet></office:body></office:document>')
    (_, data), = convert([many])
    (here / 'many_sheets.xls.gz').write_bytes(gzip.compress(data, 9, mtime=0))
