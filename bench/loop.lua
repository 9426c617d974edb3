local i, s = 0, 0
while i < 1000000 do
    s = s + i * i % 7
    i = i + 1
end
os.exit(s == 1999998 and 0 or 1)
