#!/usr/bin/env python3
# Makes the workbooks of three other programs that the .xls reader is tried
# on (run once with /usr/bin/python3; the tests use the files as they are and
# need none of the programs; LibreOffice 7.4 writes no Excel 95 workbooks,
# gnumeric does). Needs Debian's libreoffice-calc-nogui,
# python3-uno, gnumeric (ssconvert) and python3-xlwt:
#   writers.fods     the source: a parts list with an empty text, a text of
#                    20,000 characters, dates before and after 2100 (with and
#                    without a time of day, a time alone, a date formula),
#                    texts beyond Latin-1, and a second sheet
#   lo_writers.xls, lo_writers.xlsx   writers.fods saved by LibreOffice Calc
#                    as "MS Excel 97" and as .xlsx (the pair imports the same)
#   lo_1904.xls, lo_1904.xlsx   writers.fods with the 1904 date system
#   lo_password.xls  a small workbook saved with the password to open "secret"
#   gnumeric_95.xls  lo_writers.xlsx saved by gnumeric as "MS Excel 5.0/95"
#                    (its sheet headers say BIFF8, the workbook's BIFF5)
#   gnumeric_97.xls  lo_writers.xlsx saved by gnumeric as "MS Excel 97"
#   gnumeric_list.xls, gnumeric_list.xlsx   a list of 5,000 rows with a
#                    bold header row (formats that reach the last column)
#                    saved by gnumeric
#   xlwt_dates.xls, xlwt_1904.xls   written by xlwt: dates in several
#                    formats, numbers in formats that are no dates, texts
#                    (xlwt stores no values with formulas, so none here)
# check_xlrd.py then writes what xlrd reads of each of them beside it.
import os, pathlib, subprocess, tempfile, time, datetime

here = pathlib.Path(__file__).resolve().parent

DATE = 'N1'      # yyyy-mm-dd
STAMP = 'N2'     # yyyy-mm-dd hh:mm:ss
TIME = 'N3'      # hh:mm
HEAD = '''<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:date-style style:name="N1"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/></number:date-style>
  <number:date-style style:name="N2"><number:year number:style="long"/><number:text>-</number:text><number:month number:style="long"/><number:text>-</number:text><number:day number:style="long"/><number:text> </number:text><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/><number:text>:</number:text><number:seconds number:style="long"/></number:date-style>
  <number:time-style style:name="N3"><number:hours number:style="long"/><number:text>:</number:text><number:minutes number:style="long"/></number:time-style>
  <style:style style:name="date" style:family="table-cell" style:data-style-name="N1"/>
  <style:style style:name="stamp" style:family="table-cell" style:data-style-name="N2"/>
  <style:style style:name="time" style:family="table-cell" style:data-style-name="N3"/>
  <style:style style:name="bold" style:family="table-cell"><style:text-properties fo:font-weight="bold"/></style:style>
 </office:automatic-styles>
 <office:body>
  <office:spreadsheet>
'''
TAIL = '''  </office:spreadsheet>
 </office:body>
</office:document>
'''


def esc(s):
    return s.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;')


def text(s):
    return '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % esc(s)


def num(v):
    return '<table:table-cell office:value-type="float" office:value="%s"><text:p>%s</text:p></table:table-cell>' % (v, v)


def date(value, style='date'):
    return ('<table:table-cell table:style-name="%s" office:value-type="date" office:date-value="%s">'
            '<text:p>%s</text:p></table:table-cell>' % (style, value, value))


def clock(value):
    return ('<table:table-cell table:style-name="time" office:value-type="time" office:time-value="%s">'
            '<text:p>x</text:p></table:table-cell>' % value)


def formula(f, value, style='date'):
    """A formula and the value it gives (Calc saves it as it was loaded)."""
    return ('<table:table-cell table:style-name="%s" table:formula="of:=%s" office:value-type="date" '
            'office:date-value="%s"><text:p></text:p></table:table-cell>' % (style, f, value))


EMPTY = '<table:table-cell office:value-type="string"><text:p/></table:table-cell>'
LONG = ''.join('Part %05d ' % k for k in range(1800)) + 'K\u00fcche \u20ac ' * 200
assert len(LONG) >= 20000, len(LONG)
LONG = LONG[:20000]


def row(*cells):
    return '<table:table-row>' + ''.join(cells) + '</table:table-row>\n'


def table(name, rows):
    return '<table:table table:name="%s">\n%s</table:table>\n' % (esc(name), ''.join(rows))


def writers_fods(null_date=None):
    rows = [
        row(text('Label'), text('Length'), text('Width'), text('Qty'), text('Due'), text('Comment')),
        row(text('Door'), num(600), num(400), num(2), date('2024-01-05'), EMPTY),
        row(text('Shelf'), num(250.5), num(0.1), num(8), date('2024-01-05T13:45:30', 'stamp'),
            text('T\u00fcr \u2013 \u20ac \u041a\u0443\u0445\u043d\u044f')),
        row(text('Long'), num(1), num(1), num(1), date('2100-02-28'), text(LONG)),
        row(text('After 2100'), num(1), num(1), num(1), date('2100-03-01'), formula('[.E5]+1', '2100-03-02')),
        row(text('Stamp'), num(1), num(1), num(1), date('2100-03-01T06:00:00', 'stamp'), clock('PT12H00M00S')),
        row(text('Early'), num(1), num(1), num(1), date('1900-03-01'), formula('[.E2]+0.75', '2024-01-05T18:00:00', 'stamp')),
        row(text('Plain'), num(45296), num(-1), num(1e20), text(''), EMPTY),
    ]
    second = [row(text('second sheet'), num(3))]
    settings = ''
    if null_date:
        settings = ('<table:calculation-settings><table:null-date table:date-value="%s"/>'
                    '</table:calculation-settings>\n' % null_date)
    return HEAD + settings + table('Parts', rows) + table('Zweite \u00e9', second) + TAIL


def soffice(source, target, filter_name):
    """Saves source as target with LibreOffice's filter."""
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=tmp)
        subprocess.run(['soffice', '--headless', '--convert-to', target.suffix[1:] + ':' + filter_name,
                        '--outdir', tmp, str(source)], check=True, env=env, stdout=subprocess.DEVNULL)
        target.write_bytes((pathlib.Path(tmp) / (source.stem + target.suffix)).read_bytes())


def soffice_password(source, target, filter_name, password):
    """Saves source as target with a password to open, through LibreOffice's UNO bridge."""
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=tmp)
        office = subprocess.Popen(['soffice', '--headless', '--invisible', '--norestore',
                                   '--accept=pipe,name=tessaly_writers;urp;'], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            import uno
            from com.sun.star.beans import PropertyValue
            resolver = uno.getComponentContext().ServiceManager.createInstanceWithContext(
                'com.sun.star.bridge.UnoUrlResolver', uno.getComponentContext())
            for _ in range(100):
                try:
                    ctx = resolver.resolve('uno:pipe,name=tessaly_writers;urp;StarOffice.ComponentContext')
                    break
                except Exception:
                    time.sleep(0.2)
            desktop = ctx.ServiceManager.createInstanceWithContext('com.sun.star.frame.Desktop', ctx)

            def prop(name, value):
                p = PropertyValue()
                p.Name, p.Value = name, value
                return p
            doc = desktop.loadComponentFromURL(source.resolve().as_uri(), '_blank', 0, (prop('Hidden', True),))
            doc.storeToURL(target.resolve().as_uri(), (prop('FilterName', filter_name), prop('Password', password)))
            doc.close(True)
            try:
                desktop.terminate()
            except Exception:
                pass
        finally:
            office.wait(timeout=60)


def ssconvert(source, target, exporter):
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=tmp)
        subprocess.run(['ssconvert', '-T', exporter, str(source), str(target)], check=True, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def list_fods():
    """A list of 5,000 rows."""
    rows = [row(text('Label'), text('Length'), text('Width'), text('Qty'))]
    rows += [row(text('Part %d' % k), num(100 + k % 900), num(50 + k % 400), num(1 + k % 7)) for k in range(1, 5000)]
    return HEAD + table('List', rows) + TAIL


def xlwt_books():
    import xlwt
    for name, mode in (('xlwt_dates.xls', 0), ('xlwt_1904.xls', 1)):
        book = xlwt.Workbook(encoding='utf-8')
        book.dates_1904 = mode
        sheet = book.add_sheet('Dates')
        styles = {code: xlwt.easyxf(num_format_str=code) for code in (
            'yyyy-mm-dd', 'dd/mm/yyyy hh:mm', 'h:mm:ss', '[h]:mm', 'mmm yy', '0.00', '#,##0 "days"',
            '[Red]0.0', '0\\h', 'General', '[$-409]d-mmm-yy', '@')}
        sheet.write(0, 0, 'Format')
        sheet.write(0, 1, 'Value')
        values = [datetime.date(2024, 1, 5), datetime.datetime(2100, 3, 1, 6, 30, 15), datetime.time(12, 0),
                  datetime.date(2100, 2, 28), datetime.date(2100, 3, 1), datetime.date(1999, 12, 31)]
        r = 1
        for code, style in styles.items():
            for value in values if code in ('yyyy-mm-dd', 'dd/mm/yyyy hh:mm') else [45296.25]:
                sheet.write(r, 0, code)
                sheet.write(r, 1, value, style)
                r += 1
        sheet.write(r, 0, 'Gr\u00fc\u00dfe \u20ac \u041a\u0443\u0445\u043d\u044f')
        sheet.write(r, 1, '')
        book.save(str(here / name))


with tempfile.TemporaryDirectory() as tmp:
    tmp = pathlib.Path(tmp)
    source = here / 'writers.fods'
    source.write_text(writers_fods())
    soffice(source, here / 'lo_writers.xls', 'MS Excel 97')
    soffice(source, here / 'lo_writers.xlsx', 'Calc MS Excel 2007 XML')
    mac = tmp / 'lo_1904.fods'
    mac.write_text(writers_fods('1904-01-01'))
    soffice(mac, here / 'lo_1904.xls', 'MS Excel 97')
    soffice(mac, here / 'lo_1904.xlsx', 'Calc MS Excel 2007 XML')
    small = tmp / 'lo_password.fods'
    small.write_text(HEAD + table('Parts', [row(text('Door'), num(600))]) + TAIL)
    soffice_password(small, here / 'lo_password.xls', 'MS Excel 97', 'secret')
    ssconvert(here / 'lo_writers.xlsx', here / 'gnumeric_95.xls', 'Gnumeric_Excel:excel_biff7')
    ssconvert(here / 'lo_writers.xlsx', here / 'gnumeric_97.xls', 'Gnumeric_Excel:excel_biff8')
    # The list goes to gnumeric's own format, where its header row is made
    # bold from the first column to the last.
    listing = tmp / 'list.fods'
    listing.write_text(list_fods())
    soffice(listing, tmp / 'list.xlsx', 'Calc MS Excel 2007 XML')
    ssconvert(tmp / 'list.xlsx', tmp / 'list.xml', 'Gnumeric_XmlIO:sax:0')
    xml = (tmp / 'list.xml').read_text()
    start = xml.index('<gnm:StyleRegion ')
    end = xml.index('</gnm:StyleRegion>') + len('</gnm:StyleRegion>')
    region = xml[start:end]
    bold = region.replace('endRow="1048575"', 'endRow="0"').replace('Bold="0"', 'Bold="1"')
    rest = region.replace('startRow="0"', 'startRow="1"')
    assert bold != region and rest != region
    (tmp / 'list.xml').write_text(xml[:start] + bold + rest + xml[end:])
    ssconvert(tmp / 'list.xml', here / 'gnumeric_list.xls', 'Gnumeric_Excel:excel_biff8')
    ssconvert(tmp / 'list.xml', here / 'gnumeric_list.xlsx', 'Gnumeric_Excel:xlsx2')
    xlwt_books()
