-- Twin of sort.scr. Script numbers are doubles: the LCG runs in floats so that its rounding
-- (the product passes 2^53) gives the same sequence, hence the same moves.
local a = {}
local seed = 12345.0
for i = 0, 999 do
    seed = (seed * 1103515245.0 + 12345.0) % 2147483648.0
    a[i] = seed % 100000.0
end
for i = 1, 999 do
    local x = a[i]
    local j = i - 1
    while j >= 0 and a[j] > x do
        a[j + 1] = a[j]
        j = j - 1
    end
    a[j + 1] = x
end
for i = 1, 999 do
    if a[i - 1] > a[i] then os.exit(1) end
end
os.exit((a[0] == 128 and a[500] == 49280 and a[999] == 99808) and 0 or 1)
