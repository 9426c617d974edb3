local a = {}
for i = 0, 999 do a[i] = i * 389 % 1000 end
for p = 0, 199 do
    for i = 0, 998 do
        if a[i] > a[i + 1] then local t = a[i]; a[i] = a[i + 1]; a[i + 1] = t end
    end
end
os.exit((a[999] == 999 and a[800] == 800) and 0 or 1)
