#!/usr/bin/env python3
# Writes the sample serial terminal sheet examples/serial.kov (Shift-JIS, the sheet format):
#   python3 examples/serial.py examples/serial.kov
# Try it without hardware on a virtual null-modem pair (two linked pseudo terminals):
#   socat -d -d pty,raw,echo=0,link=/tmp/kovA pty,raw,echo=0,link=/tmp/kovB &
#   KOV_COM1=/tmp/kovA kovash examples/serial.kov
#   echo hello > /tmp/kovB        (a line arrives: the count goes up)
#   cat /tmp/kovB                 (PING arrives when the button is pressed)
# The terminal has "REOPEN": stop socat and start it again, and the part opens the port anew.
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
put(0, 0, 'シリアル端末の例'); put(0, 2, 'COM1 に届いた行を数え、最後の行を表示します')
put(1, 0, '端末'); put(1, 1, '=wpTNCOM(6,8,"PUSHF,FOCUS,REOPEN","COM1",9600,8,1,"N","NOFROW","\\n")')
put(10, 0, '最後の行'); put(10, 1, '=IF(R1C1="",RC,R1C1)')
put(11, 0, '行数');     put(11, 1, '=IF(R1C1="",RC+0,RC+1)')
put(12, 0, '送信');     put(12, 1, '=wpPUSH(1,1,"","PING","")')
put(12, 2, '=IF(R12C1>0,wp(R1C1,"SENDS","PING\\r\\n"),RC+0)')
start = {}
opts = [('VER', '1.00'), ('YOFF', 0), ('XOFF', 0), ('YSIZ', 200), ('XSIZ', 30), ('SCRLOCK', 0), ('WPBEEP', 0),
        ('RNWID', 5), ('CNROW', -1), ('RNCOL', -1), ('CYCLEMS', 0), ('DSPPOSX', 0), ('DSPPOSY', 0),
        ('CSRPOSX', 0), ('CSRPOSY', 0), ('DSPSIZX', 900), ('DSPSIZY', 640), ('FONTSIZ', -1), ('TOOLBAR', -1),
        ('STATBAR', -1), ('ROWNAME', -1), ('COLNAME', -1), ('HSCROLL', -1), ('VSCROLL', -1), ('FULLSIZ', -1)]
lines = [STX + 'FOP_' + k + ETX + str(v) for k, v in opts]
wid = [12] + [10] * 29
lines.append(STX + 'FOP_WID' + ETX + ','.join(map(str, wid)))
ys = max(y for y, x in cells) + 1
for y in range(ys):
    xs = max([x for (yy, x) in cells if yy == y], default=-1) + 1
    f = []
    for x in range(xs):
        v = cells.get((y, x), '')
        f.append(STX + '=' + esc(v[1:]) + ETX + str(start.get((y, x), '')) if v.startswith('=') else esc(v))
    lines.append(','.join(f))
open(sys.argv[1], 'wb').write(('\r\n'.join(lines) + '\r\n').encode('cp932'))
