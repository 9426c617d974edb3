for i in range(200):
    s = ""
    for j in range(1000):
        s += "abc"
n = 0
for i in range(100000):
    if s == "abc":
        n += 1
raise SystemExit(0 if n == 0 and s > "abcabc" else 1)
