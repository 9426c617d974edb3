i = 0
s = 0
while i < 1000000:
    s = s + i * i % 7
    i = i + 1
raise SystemExit(0 if s == 1999998 else 1)
