#!/usr/bin/python3
# What another reader, Debian's python3-xlrd (1.2), reads of the workbooks of
# the import tests, as the texts this program's readers give: for each
# workbook NAME here, NAME.xlrd lists its sheets and each cell's text (not
# run by ctest; the test XlsReader.ReadsTheCellsXlrdReads compares the
# program's readers with these files).
#   check_xlrd.py           compares what xlrd reads now with the files
#   check_xlrd.py --write   writes the files anew
# The texts follow the program's rules: numbers with 15 significant digits,
# a number that xlrd takes for a date (by its cell's format) as yyyy-mm-dd
# with " hh:mm:ss" where it has a time, or hh:mm:ss alone below 1 in the
# 1900 date system, booleans TRUE and FALSE. A line
#   sheet<TAB>NAME             starts a sheet
#   A1<TAB>TEXT                a cell (\\, \t, \n and \r escaped)
#   A1<TAB>!error              a cell that holds an error value
# Empty cells and empty texts are left out.
import math, pathlib, sys
import xlrd

here = pathlib.Path(__file__).resolve().parent
BOOKS = ['parts.xls', 'formulas.xls', 'sheets.xls', 'formula_kinds.xls', 'formula_kinds.xlsx', 'bool_error.xls',
         'big_sheet.xls', 'outside_size.xls',
         'lo_writers.xls', 'lo_writers.xlsx', 'lo_1904.xls', 'lo_1904.xlsx', 'gnumeric_95.xls', 'gnumeric_97.xls',
         'gnumeric_list.xls', 'gnumeric_list.xlsx', 'xlwt_dates.xls', 'xlwt_1904.xls']


def number_text(v):
    if v == 0:
        v = 0.0
    return ('%.15g' % v).replace('e', 'E')


def date_text(v, mode):
    last = 2957003 if mode else 2958465
    if not (0 <= v < last + 1):
        return number_text(v)
    days = math.floor(v)
    seconds = math.floor((v - days) * 86400 + 0.5)
    if seconds >= 86400:
        days, seconds = days + 1, seconds - 86400
    if days > last:
        return number_text(v)
    time = '%02d:%02d:%02d' % (seconds // 3600, seconds // 60 % 60, seconds % 60)
    if not mode and days == 0:
        return time
    if not mode and days == 60:
        date = '1900-02-29'
    else:
        import datetime
        origin = datetime.date(1904, 1, 1) if mode else datetime.date(1899, 12, 31 if days < 60 else 30)
        date = (origin + datetime.timedelta(days=days)).isoformat()
    return date + ' ' + time if seconds else date


def cell_name(r, c):
    letters = ''
    c += 1
    while c:
        c, k = divmod(c - 1, 26)
        letters = chr(65 + k) + letters
    return letters + str(r + 1)


def escape(s):
    return s.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n').replace('\r', '\\r')


def dump(path):
    book = xlrd.open_workbook(str(path))
    lines = []
    for sheet in book.sheets():
        lines.append('sheet\t' + escape(sheet.name))
        for r in range(sheet.nrows):
            for c in range(sheet.ncols):
                cell = sheet.cell(r, c)
                kind, value = cell.ctype, cell.value
                if kind in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK) or (kind == xlrd.XL_CELL_TEXT and value == ''):
                    continue
                text = {xlrd.XL_CELL_TEXT: lambda: value,
                        xlrd.XL_CELL_NUMBER: lambda: number_text(value),
                        xlrd.XL_CELL_DATE: lambda: date_text(value, book.datemode),
                        xlrd.XL_CELL_BOOLEAN: lambda: 'TRUE' if value else 'FALSE',
                        xlrd.XL_CELL_ERROR: lambda: '!error'}[kind]()
                lines.append(cell_name(r, c) + '\t' + escape(text))
    return '\n'.join(lines) + '\n'


write = '--write' in sys.argv
differ = 0
for name in BOOKS:
    text = dump(here / name)
    target = here / (name + '.xlrd')
    if write:
        target.write_text(text, encoding='utf-8')
    elif not target.exists() or target.read_text(encoding='utf-8') != text:
        print('differs:', name)
        differ += 1
for name in ('lo_password.xls',):
    try:
        xlrd.open_workbook(str(here / name))
        print('read though it has a password:', name)
        differ += 1
    except Exception as e:
        print('refused as it should be:', name, '(%s)' % e)
print('%d workbooks, %d differ' % (len(BOOKS), differ))
sys.exit(1 if differ else 0)
