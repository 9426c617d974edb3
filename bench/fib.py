def fib(n):
    if n < 2:
        return n
    return fib(n - 1) + fib(n - 2)
raise SystemExit(0 if fib(24) == 46368 else 1)
