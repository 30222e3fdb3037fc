#!/usr/bin/env python3
# Seeds of the fuzz target's parts form from the test workbooks: worksheet,
# NUL, shared strings, NUL, workbook part.  make_part_seeds.py OUT_FOLDER
import pathlib, sys, zipfile

data = pathlib.Path(__file__).resolve().parent.parent / 'tests' / 'data' / 'xlsx'
out = pathlib.Path(sys.argv[1])
out.mkdir(parents=True, exist_ok=True)
for book in sorted(data.glob('*.xlsx')):
    if book.name.startswith('expand_'):
        continue
    try:
        z = zipfile.ZipFile(book)
    except zipfile.BadZipFile:
        continue
    names = z.namelist()
    get = lambda n: z.read(n) if n in names else b''
    sheet = get('xl/worksheets/sheet1.xml')
    if sheet:
        (out / (book.stem + '.parts')).write_bytes(
            sheet + b'\0' + (get('xl/sharedStrings.xml') or b'<sst/>') + b'\0' + get('xl/workbook.xml'))
