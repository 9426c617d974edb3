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

from kovsheet import Sheet

sheet = Sheet()
put = sheet.put
put(0, 0, 'シリアル端末の例'); put(0, 2, 'COM1 に届いた行を数え、最後の行を表示します')
put(1, 0, '端末'); put(1, 1, '=wpTNCOM(6,8,"PUSHF,FOCUS,REOPEN","COM1",9600,8,1,"N","NOFROW","\\n")')
put(10, 0, '最後の行'); put(10, 1, '=IF(R1C1="",RC,R1C1)')
put(11, 0, '行数');     put(11, 1, '=IF(R1C1="",RC+0,RC+1)')
put(12, 0, '送信');     put(12, 1, '=wpPUSH(1,1,"","PING","")')
put(12, 2, '=IF(R12C1>0,wp(R1C1,"SENDS","PING\\r\\n"),RC+0)')
sheet.write(sys.argv[1])
