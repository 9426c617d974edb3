local s
for i = 1, 200 do
    s = ""
    for j = 1, 1000 do s = s .. "abc" end
end
local n = 0
for i = 1, 100000 do if s == "abc" then n = n + 1 end end
os.exit((n == 0 and s > "abcabc") and 0 or 1)
