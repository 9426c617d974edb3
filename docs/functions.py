#!/usr/bin/env python3
"""Writes docs/functions.md, the reference of the built-in functions, from the table in
builtins/fntab.h (names, order, signatures), the handlers the layers above bind
(gadgets/, devices/; fn_late: still to come) and the one-line meanings below.

usage: docs/functions.py [--check]   (from the source root; --check fails when the page is stale)"""
import pathlib, re, sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
ARG = {"i": "int", "l": "int", "L": "int64", "d": "num", "f": "num", "s": "text", "g": "var"}
RESULT = {"i": "int", "l": "int", "L": "int64", "d": "num", "f": "num", "s": "text", "v": "none",
          "x": "value"}

MEANING = {
    # C library and ports
    "_inp": "reads a byte from a processor I/O port (fails cleanly without port access)",
    "_inpw": "reads a 16-bit word from an I/O port", "_inpd": "reads a 32-bit word from an I/O port",
    "_outp": "writes a byte to an I/O port", "_outpw": "writes a 16-bit word to an I/O port",
    "_outpd": "writes a 32-bit word to an I/O port",
    "fopen": "opens a file of the script's file table (mode as in C: r, w, a, +, b)",
    "fclose": "closes a script file", "fflush": "flushes a script file", "fgetc": "reads one byte (text mode skips CR)",
    "fputc": "writes one byte (text mode writes LF as CR LF)", "fseek": "moves in a script file",
    "ftell": "position in a script file", "rewind": "back to the start of a script file",
    "isalpha": "C isalpha", "isupper": "C isupper", "islower": "C islower", "isdigit": "C isdigit",
    "isxdigit": "C isxdigit", "isalnum": "C isalnum", "isspace": "C isspace", "ispunct": "C ispunct",
    "isprint": "C isprint", "isgraph": "C isgraph", "iscntrl": "C iscntrl", "isascii": "C isascii",
    "toupper": "C toupper", "tolower": "C tolower", "toascii": "C toascii",
    "strcmp": "C strcmp", "stricmp": "strcmp without regard to case", "strcmpi": "the same as stricmp",
    "strspn": "C strspn", "strcoll": "C strcoll", "_stricoll": "strcoll without regard to case",
    "strncmp": "C strncmp", "strnicmp": "strncmp without regard to case", "_strncoll": "strcoll of the first n bytes",
    "_strnicoll": "_strncoll without regard to case", "strstr": "the text from the first occurrence of the second text",
    "strchr": "the text from the first occurrence of a character", "strlen": "length in bytes",
    "rename": "renames a file", "unlink": "removes a file", "putenv": "sets an environment variable (NAME=value)",
    "getenv": "an environment variable", "mktemp": "a unique file name from a template ending in XXXXXX",
    "creat": "creates or empties a file with the permission bits given; 0 or -1", "atoi": "C atoi", "atol": "C atol", "atof": "C atof",
    "abs": "absolute value of a 64-bit integer", "labs": "absolute value of an integer",
    # system
    "nopaint": "switches painting of the sheet off (1) and on (0)", "exit": "ends the script with a status",
    "sleep": "waits some milliseconds; STOP ends the wait", "system": "runs a command through /bin/sh; its exit status (128 + signal when killed); STOP ends it",
    "chdir": "changes the working folder", "mkdir": "makes a folder", "rmdir": "removes an empty folder",
    "getcwd": "the working folder", "diskfree": "free bytes of a drive letter (on Linux: the file system of the working folder)",
    "disktotal": "size in bytes of a drive letter (on Linux: the file system of the working folder)",
    "sound": "plays a sound file (headless: nothing, 0)", "message": "a message box: kind, text; the button pressed",
    "beep": "a beep", "pause": "shows a text and waits for the user (headless: the text on stderr)",
    "execute": "opens a file or address with the desktop's program (xdg-open) for the verb open, explore or none; other verbs fail",
    "errmsg": "the previous error text", "pprintf": "a text formatted as C printf",
    "test_div0": "an integer division by zero (to try the fault path)", "test_read0": "reads address 0 (to try the fault path)",
    "ALLCALC": "recalculates the whole sheet", "CALC": "recalculates a range",
    "SCREEN": "makes the first cell of a sheet range the current cell (the window scrolls to it)",
    "VSCROLL": "rotates the rows of a sheet range by one, \"UP\" or \"DOWN\" (not the rows of its own formula)",
    # numbers
    "sin": "sine", "SIN": "sine", "cos": "cosine", "COS": "cosine", "tan": "tangent", "TAN": "tangent",
    "asin": "arc sine", "ASIN": "arc sine", "acos": "arc cosine", "ACOS": "arc cosine", "atan": "arc tangent",
    "ATAN": "arc tangent", "sinh": "hyperbolic sine", "SINH": "hyperbolic sine", "cosh": "hyperbolic cosine",
    "COSH": "hyperbolic cosine", "tanh": "hyperbolic tangent", "TANH": "hyperbolic tangent",
    "ceil": "smallest integer not below x", "floor": "largest integer not above x", "exp": "e to the power x",
    "EXP": "e to the power x", "log": "natural logarithm", "LN": "natural logarithm", "log10": "base-10 logarithm",
    "LOG10": "base-10 logarithm", "LOG": "base-10 logarithm", "sqrt": "square root", "SQRT": "square root",
    "fabs": "absolute value", "ABS": "absolute value", "RADIANS": "degrees to radians", "DEGREES": "radians to degrees",
    "ODD": "rounded away from zero to an odd integer", "EVEN": "rounded away from zero to an even integer",
    "INT": "largest integer not above x", "TRUNC": "x truncated toward zero", "N": "a number as itself, a text as 0",
    "SQRTPI": "square root of pi times x", "atan2": "arc tangent of y/x", "ATAN2": "arc tangent of y/x",
    "pow": "x to the power y", "POWER": "x to the power y", "fmod": "C fmod", "min": "the smaller of two",
    "max": "the larger of two", "QUOTIENT": "a/b truncated (0 when b is 0)",
    "FLOOR": "x down to a multiple of s", "CEILING": "x up to a multiple of s",
    "MOD": "remainder with the sign of the divisor (0 when b is 0)", "sign": "1, 0 or -1", "SIGN": "1, 0 or -1",
    "pi": "3.141592653589793", "PI": "3.141592653589793", "RAND": "a random number in [0, 1)", "rand": "C rand",
    "srand": "seeds the random numbers (every run starts with 0)", "RANDBETWEEN": "a random integer from lo to hi",
    "color": "a colour value from #RRGGBB or a colour name; -1 for an unknown name",
    "rgb": "a colour value from red, green, blue", "rgb2r": "red of a colour", "rgb2g": "green of a colour",
    "rgb2b": "blue of a colour", "OR": "1 when any value is non-zero", "AND": "1 when all values are non-zero",
    "ISEVEN": "1 for an even integer", "ISODD": "1 for an odd integer", "NOT": "1 when the integer is 0",
    "PERMUT": "permutations of k out of n", "COMBIN": "combinations of k out of n", "FACT": "factorial",
    "ROUND": "rounded to digits, halves away from zero", "ROUNDUP": "rounded away from zero",
    "ROUNDDOWN": "rounded toward zero", "MROUND": "rounded to a multiple", "DELTA": "1 when a equals b",
    "GESTEP": "1 when a is at least b", "IF": "a when the condition is non-zero, else b (both are evaluated)",
    "SUMSQ": "sum of the squares of the numbers given",
    # statistics
    "AVERAGE": "mean of the numbers of a range", "HARMEAN": "harmonic mean", "GEOMEAN": "geometric mean",
    "MAX": "largest number of a range", "MIN": "smallest number of a range", "SUM": "sum of the numbers of a range",
    "PRODUCT": "product of the numbers", "MEDIAN": "median", "VARP": "variance of a population",
    "VAR": "variance of a sample", "STDEVP": "standard deviation of a population", "STDEV": "standard deviation of a sample",
    "MODE": "the most frequent number (the first of equally frequent ones)", "DEVSQ": "sum of squared deviations",
    "AVEDEV": "mean absolute deviation", "SKEW": "skewness", "KURT": "kurtosis", "COUNT": "number of numbers",
    "COUNTA": "number of non-empty elements", "COUNTBLANK": "number of empty elements",
    "COUNTIF": "number of elements equal to a value", "COVAR": "covariance of two ranges",
    "CORREL": "correlation coefficient", "SUMX2MY2": "sum of x squared minus y squared",
    "SUMX2PY2": "sum of x squared plus y squared", "SUMXMY2": "sum of the squared differences",
    "SUMPRODUCT": "sum of the products", "SLOPE": "slope of the regression line (y range first)",
    "INTERCEPT": "intercept of the regression line", "RSQ": "r squared of the regression",
    "STEYX": "standard error of the regression",
    # matrices
    "MINVERSE": "inverse matrix, written at the formula's cell", "MDETERM": "determinant",
    "MMULT": "matrix product, written at the formula's cell", "MADD": "matrix sum, written at the formula's cell",
    "MSUB": "matrix difference, written at the formula's cell",
    "MEQUATION": "solution of a linear system, written at the formula's cell",
    "mmult": "matrix product into a range", "madd": "matrix sum into a range", "msub": "matrix difference into a range",
    "mequation": "solution of a linear system into a range", "minverse": "inverse matrix into a range",
    # text
    "EXACT": "1 when two texts are equal byte for byte", "LENB": "length in bytes", "CODEB": "the first byte",
    "LEN": "length in characters", "CODE": "code of the first character", "LEFTB": "the first n bytes",
    "RIGHTB": "the last n bytes", "LEFT": "the first n characters", "RIGHT": "the last n characters",
    "REPT": "a text repeated n times (at most 4096 bytes)", "T": "a text as itself, a number as empty",
    "UPPER": "upper case", "LOWER": "lower case", "TRIM": "without leading and trailing blanks",
    "ESCSTR": "backslash escapes replaced by their characters", "MIDB": "n bytes from a position (0-based)",
    "MID": "n characters from a position (0-based)", "CHARB": "the one-byte text of a code",
    "CHAR": "the character of a code (two bytes when above 255)", "VALUE": "the number a text spells, else empty",
    "DISPT": "the text the first cell of a range shows",
    # dates
    "time": "seconds since 1970 (UTC)", "NOW": "seconds since 1970 (UTC)",
    "gmtime": "a time as YYYY/MM/DD hh:mm.ss in UTC", "localtime": "a time as YYYY/MM/DD hh:mm.ss in local time",
    "YEAR": "year of a time", "MONTH": "month of a time", "DAY": "day of a time", "HOUR": "hour of a time",
    "MINUTE": "minute of a time", "SECOND": "second of a time", "DATE": "the time of local midnight of a date",
    "TIME": "seconds of hours, minutes, seconds",
    # information
    "ISBLANK": "1 for an empty value", "ISNUMBER": "1 for a number", "ISTEXT": "1 for a text",
    "ISNONTEXT": "1 for anything but a text", "TYPE": "0 empty, 1 number, 2 text, 16 nothing given",
    "INFO": "information about the program (\"directory\", ...)", "ROW": "first row of a range (0-based)",
    "ROWS": "row count of a range", "COLUMN": "first column of a range (0-based)", "COL": "the same as COLUMN",
    "COLUMNS": "column count of a range", "COLS": "the same as COLUMNS",
    "CELL": "information about the first cell of a range (address, col, row, contents, type, ...)",
    "CHOOSE": "the i-th value (from 1)", "CHOOSE0": "the i-th value (from 0)",
    "INDEX": "the element at row i, column j of a range (from 1)", "INDEX0": "the element at row i, column j (from 0)",
    "OFFSET": "the element at an offset from a range's first cell",
    # library calls
    "dllcall": "calls a function of a shared library: library, function, type text (result letter, then one letter an argument), arguments",
    "dllpcall": "the same as dllcall (Linux has one C calling convention)",
    # later
    "com_init": "prepares a port fopen opened for byte I/O", "com_set": "a modem line or flow action on a port", "com_stat": "a held line or a queue count of a port",
    "wp": "sends a command to the part at a cell; its answer, -1 for an unknown command", "call": "calls a method of a script gadget by name: its result, -1 and the error text on failure",
    "win_open": "opens a script gadget's window, POPUP or CHILD of a gadget or the sheet",
    "win_close": "closes a gadget's window and those inside it",
    "win_active": "brings a gadget's window forward", "win_style": "sets or clears one style bit of a gadget's window",
    "win_title": "sets a gadget window's title", "win_pos": "moves a gadget's window",
    "win_wsize": "sizes a gadget's window in pixels", "win_csize": "sizes a gadget window's client area in character cells",
}
PART = "pastes a part at the formula's cell"


def records():
    text = (ROOT / "builtins/fntab.h").read_text(encoding="utf-8")
    return re.findall(r'X\("([^"]*)", (\w+), "([^"]*)"\)', text)


def todo():
    """Names whose handler is still fn_late: in the table and in every layer that binds it."""
    bound = {}
    for layer in ("gadgets", "devices"):
        for src in (ROOT / layer).glob("*.cpp"):
            for name, handler in re.findall(r'\{"(\w+)", (\w+)\}', src.read_text(encoding="utf-8")):
                bound[name] = handler
    return {name for name, handler, _ in records() if bound.get(name, handler) == "fn_late"}


def args(sig):
    out, k = [], 1
    while k < len(sig):
        if sig.startswith("giiii", k):
            out.append("range")
            k += 5
            continue
        out.append("values..." if sig[k] == "." else ARG.get(sig[k], sig[k]))
        k += 1
    return ", ".join(out)


def page():
    later = todo()
    lines = ["# Built-in functions", "",
             "Every built-in of scripts and cell formulas, in the order of the program's table. Names are",
             "case-sensitive. A `range` is a cell range in a formula (`SUM(R0C0:R9C0)`) and, in a script, an",
             "array with first column, first row, column and row counts (`SUM(a, 0, 0, 3, 1)`); `var` is a",
             "script variable; arguments are converted to the kind shown (a text where a number is wanted",
             "counts as 0, a number where a text is wanted as \"\")."
             + (" Functions marked *later* are in the" if later else ""),
             ] + (["table but not built yet: a call reports `NAME():未実装` and gives -1 where it returns an",
                   "integer, otherwise the message itself (so a part's cell shows it)."] if later else []) + [
             "", "This page is made by `docs/functions.py` from the table.", "",
             "| Name | Arguments | Result | Meaning |", "|---|---|---|---|"]
    for name, handler, sig in records():
        meaning = MEANING.get(name, PART if name.startswith("wp") else "")
        if name in later:
            meaning = "*later*: " + meaning
        lines.append(f"| `{name}` | {args(sig)} | {RESULT.get(sig[0], sig[0])} | {meaning} |")
    return "\n".join(lines) + "\n"


def main():
    out = ROOT / "docs/functions.md"
    text = page()
    if "--check" in sys.argv[1:]:
        if not out.exists() or out.read_text(encoding="utf-8") != text:
            sys.exit("docs/functions.md is stale: run docs/functions.py")
        return
    out.write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
