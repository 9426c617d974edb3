a = [0] * 1000
for i in range(1000):
    a[i] = i * 389 % 1000
for p in range(200):
    for i in range(999):
        if a[i] > a[i + 1]:
            t = a[i]; a[i] = a[i + 1]; a[i + 1] = t
raise SystemExit(0 if a[999] == 999 and a[800] == 800 else 1)
