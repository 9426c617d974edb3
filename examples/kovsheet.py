# The sheet writer of the example generators: cells put by (row, column), written as a .kov file
# (Shift-JIS, CR LF) with the sheet options a new sheet carries.
STX, ETX = '\x02', '\x03'


def esc(t):
    return ''.join('\\x%02X' % ord(ch) if ch in '",\\' or ord(ch) < 0x20 else ch for ch in t)


class Sheet:
    def __init__(self, cyclems=0, width=900, height=640, first_col=12):
        self.cells, self.start = {}, {}
        self.cyclems, self.width, self.height, self.first_col = cyclems, width, height, first_col

    def put(self, y, x, v, start=None):
        """A text, or a formula ("=..."), with the value a formula starts from."""
        self.cells[(y, x)] = v
        if start is not None:
            self.start[(y, x)] = start

    def write(self, path):
        opts = [('VER', '1.00'), ('YOFF', 0), ('XOFF', 0), ('YSIZ', 200), ('XSIZ', 30), ('SCRLOCK', 0),
                ('WPBEEP', 0), ('RNWID', 5), ('CNROW', -1), ('RNCOL', -1), ('CYCLEMS', self.cyclems),
                ('DSPPOSX', 0), ('DSPPOSY', 0), ('CSRPOSX', 0), ('CSRPOSY', 0), ('DSPSIZX', self.width),
                ('DSPSIZY', self.height), ('FONTSIZ', -1), ('TOOLBAR', -1), ('STATBAR', -1), ('ROWNAME', -1),
                ('COLNAME', -1), ('HSCROLL', -1), ('VSCROLL', -1), ('FULLSIZ', -1)]
        lines = [STX + 'FOP_' + k + ETX + str(v) for k, v in opts]
        lines.append(STX + 'FOP_WID' + ETX + ','.join(map(str, [self.first_col] + [10] * 29)))
        for y in range(max(y for y, x in self.cells) + 1):
            xs = max([x for (yy, x) in self.cells if yy == y], default=-1) + 1
            row = []
            for x in range(xs):
                v = self.cells.get((y, x), '')
                if v.startswith('='):
                    row.append(STX + '=' + esc(v[1:]) + ETX + str(self.start.get((y, x), '')))
                else:
                    row.append(esc(v))
            lines.append(','.join(row))
        with open(path, 'wb') as f:
            f.write(('\r\n'.join(lines) + '\r\n').encode('cp932'))
