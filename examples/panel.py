#!/usr/bin/env python3
# Writes the sample panel examples/panel.kov (Shift-JIS, the sheet format): python3 examples/panel.py examples/panel.kov
import sys

from kovsheet import Sheet

sheet = Sheet(cyclems=1000)
put = sheet.put
# labels
put(0, 0, 'Kovash パネルの例'); put(0, 3, '周期再計算 約 1s で動きます')
put(1, 0, '押しボタン');   put(1, 1, '=wpPUSH(1,1,"","押す","")');      put(1, 2, '押した回数'); put(1, 3, '=RC+R1C1')
put(2, 0, 'ロックボタン'); put(2, 1, '=wpPUSHLOCK(1,1,"","運転","Yellow",RC)'); put(2, 2, '状態'); put(2, 3, '=IF(R2C1,"運転中","停止")')
put(3, 0, 'チェック');     put(3, 1, '=wpCHECK(2,1,"","警報を鳴らす",RC)')
put(4, 0, '上限');         put(4, 1, '=wpHSCROLL(2,1,"",100,RC,0)');  put(4, 3, '=R4C1')
put(5, 0, '現在値');       put(5, 1, '=ROUND(50+40*SIN((R8C3+2)/2)*IF(R3C1,1,0.5)+R7C1/2,1)');                      put(5, 2, 'ランプ')
put(5, 3, '=wpTNLAMP(1,1,"","温度","green")')
put(5, 4, '=wp(RC[-1],"SET",IF(R5C1>R4C3,"red","green"))')
put(6, 0, 'LED 表示');     put(6, 1, '=wpTPUTS(2,1,"PUSHF",pprintf("%5.1f",R5C1),"LEDG")')
put(7, 0, '刻み設定');     put(7, 1, '=wpVGETD(1,2,"PUSHF","LCD1",0,50,5,RC)'); put(7, 2, '=R7C1')
put(8, 2, 'カウンタ'); put(8, 3, '=IF(R2C1,RC+1,RC+0)')
put(10, 0, '棒グラフ');    put(10, 1, '=wpTNGRAPH(4,4,"PUSHF,VBAR",R9C1:R9C12,0,100,"Blue","White")')
put(10, 5, '折線グラフ');  put(10, 6, '=wpTNGRAPH(4,4,"PUSHF,VLINE",R9C1:R9C12,0,100,"Red","White")')
put(11, 0, '')
for k in range(1, 13):
    put(9, k, '=ROUND(50+40*SIN((R8C3+%d)/2)*IF(R3C1,1,0.5)+R7C1/2,1)' % k)
put(9, 0, 'データ')
put(15, 0, '描画ボード');  put(15, 1, '=wpTNBOARD(4,5,"PUSHF","white")')
put(15, 5, '=wp(RC[-4],"RESET")')
put(15, 6, '=wp(RC[-5],"BAR",0,100-R9C1,20,100,"Blue")')
put(15, 7, '=wp(RC[-6],"DISK",60+40*COS(R8C3/3),50+30*SIN(R8C3/3),12,"Red")')
put(15, 8, '=wp(RC[-7],"PUTS",30,4,pprintf("count %d",R8C3),"Black",-1,14)')
put(15, 9, '=wp(RC[-8],"LINE",0,50,160,50,"Green",2)')
# Values the parts start from (their formulas read RC): the lock button down, the limit at 60.
sheet.start.update({(2, 1): 1, (4, 1): 60, (3, 1): 1})
sheet.write(sys.argv[1])
