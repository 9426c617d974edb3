#!/usr/bin/env python3
# Writes the sample sheet examples/timers.kov (Shift-JIS, the sheet format): a periodic timer
# counting, a one-shot timer started by its button, a clock and a media player.
#   python3 examples/timers.py examples/timers.kov
import sys

from kovsheet import Sheet

sheet = Sheet()
put = sheet.put
put(0, 0, 'タイマ・時計・メディアの例'); put(0, 4, 'タイマが切れるたびに再計算されます')
put(2, 0, '周期 2s');   put(2, 1, '=wpTNTIMER(3,2,"PUSHF,ASTABLE","LCD1",20)')
put(2, 4, '回数');      put(2, 5, '=RC+R2C1')
put(3, 4, '10 回ごと'); put(3, 5, '=IF(MOD(R2C5,10)==0,"●","○")')
put(5, 0, '単発 5s');   put(5, 1, '=wpTNTIMER(3,2,"PUSHF,MONOSTABLE","LEDO",50)')
put(5, 4, '回数');      put(5, 5, '=RC+R5C1')
put(6, 4, 'START で 5 秒後に 1 回')
put(8, 0, '時計');      put(8, 1, '=wpTNCLOCK(4,1,"PUSHF","YYYY/MM/DD hh:mm.ss","LEDG",9*3600)')
put(9, 0, '時刻');      put(9, 1, '=wpTNCLOCK(2,1,"PUSHF","1h:mm PM","LCD1",9*3600)')
put(11, 0, 'メディア'); put(11, 1, '=wpTNMCI(4,5,"PUSHF,BASIC")')
put(11, 5, '状態');     put(11, 6, '=wp(R11C1,"MSTAT")')
put(12, 5, '長さ ms');  put(12, 6, '=wp(R11C1,"MSIZE")')
put(13, 5, '位置 ms');  put(13, 6, '=wp(R11C1,"MTELL")')
put(14, 5, 'MOPEN でファイルを開き MPLAY で再生')
sheet.write(sys.argv[1])
