# Twin of sort.scr. Script numbers are doubles: the LCG runs in floats so that its rounding
# (the product passes 2**53) gives the same sequence, hence the same moves.
a = [0.0] * 1000
seed = 12345.0
for i in range(1000):
    seed = (seed * 1103515245.0 + 12345.0) % 2147483648.0
    a[i] = seed % 100000.0
for i in range(1, 1000):
    x = a[i]
    j = i - 1
    while j >= 0 and a[j] > x:
        a[j + 1] = a[j]
        j -= 1
    a[j + 1] = x
for i in range(1, 1000):
    if a[i - 1] > a[i]:
        raise SystemExit(1)
raise SystemExit(0 if a[0] == 128 and a[500] == 49280 and a[999] == 99808 else 1)
