#!/usr/bin/env python3
# Writes the socket example examples/socket.kov (Shift-JIS, the sheet format):
#   python3 examples/socket.py examples/socket.kov
# Run it with `kovash examples/socket.kov` (or `kovash --headless examples/socket.kov`, which
# keeps serving the socket until stopped) and talk to it from a shell: `nc localhost 5000`.
import sys
STX, ETX = '\x02', '\x03'
def esc(t):
    out = ''
    for ch in t:
        if ch in '",\\' or ord(ch) < 0x20:
            out += '\\x%02X' % ord(ch)
        else:
            out += ch
    return out
cells = {}
def put(y, x, v): cells[(y, x)] = v
put(0, 0, 'ソケット部品の例'); put(0, 2, '別の端末で nc localhost 5000 を実行し, 行を送ってください')
put(1, 0, '端末');      put(1, 1, '=wpTNSOCK(6,8,"PUSHF,FOCUS,LISTEN","localhost",5000,"\\n")')
put(1, 7, '状態');      put(1, 8, '=wp(R1C1,"STAT")')
put(2, 7, '最後の行');  put(2, 8, '=IF(LEN(R1C1)>0,R1C1,RC)')
put(3, 7, '行数');      put(3, 8, '=IF(LEN(R1C1)>0,RC+1,RC+0)')
put(4, 7, '送信');      put(4, 8, '=wpPUSH(1,1,"","PING","")')
put(5, 7, '送った数');  put(5, 8, '=IF(R4C8>0,wp(R1C1,"SENDS","PING\\n"),0)')
put(6, 7, '再接続');    put(6, 8, '=wp(R1C1,"RETRYSEC",0)')
opts = [('VER', '1.00'), ('YOFF', 0), ('XOFF', 0), ('YSIZ', 200), ('XSIZ', 30), ('SCRLOCK', 0), ('WPBEEP', 0),
        ('RNWID', 5), ('CNROW', -1), ('RNCOL', -1), ('CYCLEMS', 0), ('DSPPOSX', 0), ('DSPPOSY', 0),
        ('CSRPOSX', 0), ('CSRPOSY', 0), ('DSPSIZX', 900), ('DSPSIZY', 400), ('FONTSIZ', -1), ('TOOLBAR', -1),
        ('STATBAR', -1), ('ROWNAME', -1), ('COLNAME', -1), ('HSCROLL', -1), ('VSCROLL', -1), ('FULLSIZ', -1)]
lines = [STX + 'FOP_' + k + ETX + str(v) for k, v in opts]
wid = [8] + [10] * 29
lines.append(STX + 'FOP_WID' + ETX + ','.join(map(str, wid)))
ys = max(y for y, x in cells) + 1
for y in range(ys):
    xs = max([x for (yy, x) in cells if yy == y], default=-1) + 1
    f = []
    for x in range(xs):
        v = cells.get((y, x), '')
        f.append(STX + '=' + esc(v[1:]) + ETX if v.startswith('=') else esc(v))
    lines.append(','.join(f))
open(sys.argv[1], 'wb').write(('\r\n'.join(lines) + '\r\n').encode('cp932'))
