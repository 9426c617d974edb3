#!/usr/bin/env python3
# Writes the socket example examples/socket.kov (Shift-JIS, the sheet format):
#   python3 examples/socket.py examples/socket.kov
# Run it with `kovash examples/socket.kov` (or `kovash --headless examples/socket.kov`, which
# keeps serving the socket until stopped) and talk to it from a shell: `nc localhost 5000`.
import sys

from kovsheet import Sheet

sheet = Sheet(height=400, first_col=8)
put = sheet.put
put(0, 0, 'ソケット部品の例'); put(0, 2, '別の端末で nc localhost 5000 を実行し, 行を送ってください')
put(1, 0, '端末');      put(1, 1, '=wpTNSOCK(6,8,"PUSHF,FOCUS,LISTEN","localhost",5000,"\\n")')
put(1, 7, '状態');      put(1, 8, '=wp(R1C1,"STAT")')
put(2, 7, '最後の行');  put(2, 8, '=IF(LEN(R1C1)>0,R1C1,RC)')
put(3, 7, '行数');      put(3, 8, '=IF(LEN(R1C1)>0,RC+1,RC+0)')
put(4, 7, '送信');      put(4, 8, '=wpPUSH(1,1,"","PING","")')
put(5, 7, '送った数');  put(5, 8, '=IF(R4C8>0,wp(R1C1,"SENDS","PING\\n"),0)')
put(6, 7, '再接続');    put(6, 8, '=wp(R1C1,"RETRYSEC",0)')
sheet.write(sys.argv[1])
