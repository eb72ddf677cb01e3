#!/usr/bin/env python3
"""Reference values of the formula built-ins.

Plain double-precision loops, one per function, written from the functions'
definitions rather than from the C++ workers (which slide their windows, keep
queues of candidates and sum in closed form). Prints nothing; writes one CSV per
input set into the output directory (default tests/formula/reference):

    small.csv   about 30 hand-made bars: a zero volume, high == low, a flat run
    walk.csv    2,000 bars of a seeded random walk
    indicators.csv  the first 1,000 bars of that walk with whole indicator
                formulas over them: MACD(12,26,9), KDJ(9,3,3), RSI(6,12,24),
                BOLL(20), each intermediate series stored as 32-bit floats as
                the formula engine stores them

Each file has the inputs first (floats as written, so both sides read the same
32-bit values), then one column per case, "inv" marking an element without a
value. Only the Python standard library is used.

    python3 tools/formula_ref.py [output-directory]
"""

import math
import os
import struct
import sys

INV = -1000000.0


def f32(value):
    """Rounds to the nearest 32-bit float, as the series store elements."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


def is_inv(value):
    return value == INV


def trunc(value, count):
    limit = count + 1.0
    return int(max(-limit, min(limit, value)))


# --- inputs -----------------------------------------------------------------

SMALL_BARS = [
    # open, high, low, close, volume
    (10.00, 10.50, 9.80, 10.20, 1200),
    (10.20, 10.60, 10.10, 10.55, 1500),
    (10.55, 10.90, 10.40, 10.80, 1800),
    (10.80, 10.80, 10.80, 10.80, 0),
    (10.80, 11.20, 10.70, 11.10, 2100),
    (11.10, 11.40, 10.90, 11.00, 1700),
    (11.00, 11.00, 11.00, 11.00, 900),
    (11.00, 11.00, 11.00, 11.00, 950),
    (11.00, 11.00, 11.00, 11.00, 1000),
    (11.00, 11.00, 11.00, 11.00, 1050),
    (11.00, 11.30, 10.60, 10.70, 2600),
    (10.70, 10.80, 10.20, 10.25, 3000),
    (10.25, 10.40, 9.90, 10.00, 2800),
    (10.00, 10.10, 9.50, 9.60, 3300),
    (9.60, 9.90, 9.40, 9.85, 2500),
    (9.85, 10.30, 9.80, 10.25, 2200),
    (10.25, 10.70, 10.20, 10.65, 2000),
    (10.65, 11.10, 10.60, 11.05, 2400),
    (11.05, 11.50, 11.00, 11.45, 2700),
    (11.45, 11.60, 11.20, 11.30, 1900),
    (11.30, 11.35, 10.90, 10.95, 1600),
    (10.95, 11.00, 10.50, 10.55, 2100),
    (10.55, 10.60, 10.55, 10.60, 700),
    (10.60, 10.90, 10.50, 10.85, 1300),
    (10.85, 11.30, 10.80, 11.25, 1800),
    (11.25, 11.80, 11.20, 11.75, 2900),
    (11.75, 12.20, 11.70, 12.10, 3100),
    (12.10, 12.15, 11.60, 11.70, 2300),
    (11.70, 11.75, 11.20, 11.30, 2000),
    (11.30, 11.50, 11.10, 11.45, 1500),
]


class Lcg:
    """The walk's own generator: 32-bit, constants of Numerical Recipes."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state / 4294967296.0


def walk_bars(count, seed):
    rng = Lcg(seed)
    bars = []
    close = 12.0
    for _ in range(count):
        open_ = close
        close = max(1.0, open_ * (1.0 + (rng.next() - 0.5) * 0.06))
        high = max(open_, close) * (1.0 + rng.next() * 0.015)
        low = min(open_, close) * (1.0 - rng.next() * 0.015)
        volume = math.floor(500 + rng.next() * 5000)
        bars.append((round(open_, 2), round(high, 2), round(low, 2), round(close, 2), volume))
    return bars


def make_inputs(bars):
    count = len(bars)
    o = [f32(b[0]) for b in bars]
    h = [f32(b[1]) for b in bars]
    lo = [f32(b[2]) for b in bars]
    c = [f32(b[3]) for b in bars]
    v = [f32(b[4]) for b in bars]
    # A derived series: a warm-up of 4 and a gap every 11 bars.
    g = [INV if i < 4 or i % 11 == 7 else c[i] for i in range(count)]
    s = [0.0] + [1.0 if c[i] > c[i - 1] else 0.0 for i in range(1, count)]
    sg = [INV if i < 2 or i % 13 == 5 else s[i] for i in range(count)]
    cmin, cmax = min(c), max(c)
    u = [INV if i % 9 == 4 else f32((c[i] - cmin) / (cmax - cmin) * 3.0 - 1.5) for i in range(count)]
    pattern = [2.0, 0.0, -3.0, INV, 1.0e9, 5.0, 1.0, 3.7, 7.0, 2.9]
    ns = [f32(pattern[i % len(pattern)]) for i in range(count)]
    w = [INV if i % 8 == 6 else f32(0.1 + 0.8 * ((i * 7) % 10) / 10.0) for i in range(count)]
    z = [0.0] + [INV if i % 17 == 9 else f32(c[i] - c[i - 1]) for i in range(1, count)]
    return {"O": o, "H": h, "L": lo, "C": c, "V": v, "G": g, "S": s, "SG": sg, "U": u, "NS": ns,
            "W": w, "Z": z}


# --- the functions ------------------------------------------------------------

def window(i, n):
    return range(max(0, i - n + 1), i + 1)


def ma(x, n):
    count = len(x)
    out = [INV] * count
    if n <= 0:
        return out
    for i in range(n, count):
        js = list(window(i, n))
        if any(is_inv(x[j]) for j in js):
            continue
        out[i] = sum(x[j] for j in js) / n
    return out


def ema_like(x, step):
    out = [INV] * len(x)
    prev = None
    for i, value in enumerate(x):
        if is_inv(value):
            continue
        prev = value if prev is None else step(prev, value)
        out[i] = prev
    return out


def ema(x, n):
    if n <= 0:
        return [INV] * len(x)
    return ema_like(x, lambda r, v: ((n - 1) * r + 2 * v) / (n + 1))


def sma(x, n, m):
    if n <= 0:
        return [INV] * len(x)
    return ema_like(x, lambda r, v: ((n - m) * r + m * v) / n)


def dma(x, a):
    return ema_like(x, lambda r, v: (1 - a) * r + a * v)


def dma_series(x, a):
    out = [INV] * len(x)
    prev = None
    for i, value in enumerate(x):
        if is_inv(value):
            continue
        if prev is None:
            prev = value
        elif i >= len(a) or is_inv(a[i]):
            continue
        else:
            prev = (1 - a[i]) * prev + a[i] * value
        out[i] = prev
    return out


def hhv(x, n, better):
    if n <= 1:
        return list(x)
    out = []
    for i in range(len(x)):
        best = x[i]
        for j in window(i, n):
            if not is_inv(x[j]) and better(x[j], best):
                best = x[j]
        out.append(best)
    return out


def ref(x, n):
    count = len(x)
    return [x[i - n] if 0 <= i - n < count else INV for i in range(count)]


def ref_series(x, n):
    count = len(x)
    out = []
    for i in range(count):
        if is_inv(n[i]):
            out.append(INV)
            continue
        k = i - trunc(n[i], count)
        out.append(x[k] if 0 <= k < count else INV)
    return out


def sum_(x, n):
    count = len(x)
    out = [INV] * count
    if n < 0:
        return out
    if n == 0:
        total = 0.0
        for i in range(count):
            if not is_inv(x[i]):
                total += x[i]
                out[i] = total
        return out
    for i in range(n, count):
        js = list(window(i, n))
        if not any(is_inv(x[j]) for j in js):
            out[i] = sum(x[j] for j in js)
    return out


def sum_series(x, n):
    count = len(x)
    out = [INV] * count
    for i in range(count):
        if is_inv(n[i]):
            continue
        k = trunc(n[i], count)
        if k < 0 or i < k or is_inv(x[i]):
            continue
        js = range(i - k + 1, i + 1)
        if not any(is_inv(x[j]) for j in js):
            out[i] = sum(x[j] for j in js)
    return out


def std(x, n):
    count = len(x)
    out = [INV] * count
    if n <= 1:
        return out
    m = [f32(v) if not is_inv(v) else INV for v in ma(x, n)]
    for i in range(count):
        if is_inv(m[i]) or m[i] == 0.0 or is_inv(x[i]):
            continue
        out[i] = math.sqrt(sum((x[j] - m[i]) ** 2 for j in window(i, n)) / (n - 1))
    return out


def avedev(x, n):
    count = len(x)
    out = [INV] * count
    if n <= 1 or count < n:
        return out
    for i in range(n, count):
        js = list(window(i, n))
        if any(is_inv(x[j]) for j in js):
            continue
        mean = sum(x[j] for j in js) / n
        out[i] = sum(abs(x[j] - mean) for j in js) / n
    return out


def keep_inv(x, function):
    return [INV if is_inv(v) else function(v) for v in x]


def inverse(function):
    return lambda v: function(v) if -1.0 <= v <= 1.0 else INV


def pairwise(a, b, function):
    return [INV if is_inv(p) or is_inv(q) else function(p, q) for p, q in zip(a, b)]


def broadcast(value, count):
    return [value] * count


def if_(cond, a, b):
    return [INV if is_inv(c) else (a[i] if c != 0.0 else b[i]) for i, c in enumerate(cond)]


def cross(a, b):
    out = [0.0]
    for i in range(1, len(a)):
        if is_inv(a[i]) or is_inv(b[i]):
            out.append(INV)
        elif is_inv(a[i - 1]) or is_inv(b[i - 1]):
            out.append(0.0)
        else:
            out.append(1.0 if b[i - 1] > a[i - 1] and a[i] > b[i] else 0.0)
    return out


def upnday(x, n):
    out = []
    for i in range(len(x)):
        j = 0
        while True:
            if j >= i:
                result = 0.0
                break
            k = i - j
            if is_inv(x[k]) or is_inv(x[k - 1]):
                result = INV
                break
            if x[k] < x[k - 1]:
                result = 0.0
                break
            j += 1
            if j >= n:
                result = 1.0
                break
        out.append(result)
    return out


def downnday(x, n):
    out = []
    for i in range(len(x)):
        if i < n or is_inv(x[i]):
            out.append(INV)
        else:
            out.append(1.0 if all(x[i] < x[i - k] for k in range(1, n + 1)) else 0.0)
    return out


def every(x, n):
    if n <= 0:
        return [1.0] * len(x)
    return [0.0 if i < n else (1.0 if all(x[j] != 0.0 for j in window(i, n)) else 0.0) for i in range(len(x))]


def count_(x, n):
    if n <= 0:
        return [0.0] * len(x)
    return [0.0 if i - n + 1 < 0 else float(sum(1 for j in window(i, n) if x[j] != 0.0)) for i in range(len(x))]


def filter_(x, n):
    out = [None] * len(x)
    i = 0
    while i < len(x):
        if is_inv(x[i]):
            out[i] = INV
            i += 1
        elif x[i] == 0.0:
            out[i] = 0.0
            i += 1
        else:
            out[i] = 1.0
            for k in range(i + 1, min(len(x), i + 1 + max(n, 0))):
                out[k] = 0.0
            i += 1 + max(n, 0)
    return out


def barslast(x):
    out = []
    for i in range(len(x)):
        k = i
        while k >= 0 and x[k] == 0.0:
            k -= 1
        out.append(float(i + 1 if k < 0 else i - k))
    return out


def extreme_bars(x, n, better):
    out = []
    for i in range(len(x)):
        if n < 0:
            out.append(INV)
        elif n == 0:
            at = 0
            for j in range(i + 1):
                if not better(x[at], x[j]):
                    at = j
            out.append(float(i - at))
        else:
            at = i
            for j in range(i, max(0, i - n + 1) - 1, -1):
                if not better(x[at], x[j]):
                    at = j
            out.append(float(i - at))
    return out


def backset(x, n):
    count = len(x)
    if n <= 0:
        return [INV] * count
    out = [0.0] * count
    for i in range(count):
        if is_inv(x[i]) or x[i] == 0.0 or i < n:
            out[i] = 0.0
            continue
        for k in range(i - n, i + 1):
            out[k] = 1.0
        for k in range(max(0, i - 2 * n), i - n):
            out[k] = 0.0
    return out


def slope(x, n):
    count = len(x)
    out = [INV] * count
    if n <= 1:
        return out
    for i in range(n, count):
        if is_inv(x[i]):
            continue
        pos = n - 1
        sx = sy = sxx = sxy = 0.0
        for j in range(i, i - n, -1):
            if is_inv(x[j]):
                continue
            sx += pos
            sy += x[j]
            sxx += pos * pos
            sxy += pos * x[j]
            pos -= 1
        den = sxx - sx * sx / n
        if den != 0.0:
            out[i] = (sxy - sx * sy / n) / den
    return out


def zig(x, percent):
    count = len(x)
    out = [INV] * count
    if count < 3:
        return out
    valid = [i for i in range(count) if not is_inv(x[i])]
    if not valid:
        return out
    t = percent / 100.0
    first = valid[0]
    pivots = [first]
    direction = 0
    extreme = first
    for j in valid[1:]:
        if direction == 0:
            move = (x[j] - x[first]) / abs(x[first])
            if move >= t:
                direction, extreme = 1, j
            elif -move >= t:
                direction, extreme = -1, j
        elif direction > 0:
            if x[j] > x[extreme]:
                extreme = j
            elif (x[extreme] - x[j]) / abs(x[extreme]) >= t:
                pivots.append(extreme)
                direction, extreme = -1, j
        else:
            if x[j] < x[extreme]:
                extreme = j
            elif (x[j] - x[extreme]) / abs(x[extreme]) >= t:
                pivots.append(extreme)
                direction, extreme = 1, j
    if valid[-1] > pivots[-1]:
        pivots.append(valid[-1])
    out[pivots[0]] = x[pivots[0]]
    for a, b in zip(pivots, pivots[1:]):
        for k in range(a, b + 1):
            out[k] = x[a] + (x[b] - x[a]) * (k - a) / (b - a)
    return out


def sumbars(x, target):
    out = [INV] * len(x)
    for i in range(1, len(x)):
        total = 0.0
        for k in range(i, -1, -1):
            if not is_inv(x[k]):
                total += x[k]
            if total >= target:
                out[i] = 1.0
                break
    return out


def thousandths_bound(price):
    # Chips sit at levels in thousandths, trunc(p x 1000); a level counts when
    # level / 1000 <= price. The chips that count lie below this bound.
    level = math.floor(price * 1000.0)
    while (level + 1) / 1000.0 <= price:
        level += 1
    while level / 1000.0 > price:
        level -= 1
    return (level + 1) / 1000.0


def winner(high, low, volume, price, capital):
    out = []
    for i in range(len(price)):
        if is_inv(price[i]):
            out.append(INV)
            continue
        # Back from i until the volume (lots) covers the capital (lots).
        lots = [0.0 if is_inv(v) or v < 0 else v for v in volume]
        start, covered = i, lots[i]
        while start > 0 and covered < capital:
            start -= 1
            covered += lots[start]
        # Each bar with a range spreads its lots as a triangle over it.
        bound = thousandths_bound(price[i])
        total = below = 0.0
        for b in range(start, i + 1):
            h, l = high[b], low[b]
            if is_inv(h) or is_inv(l) or not (h - l > 0.0001):
                continue
            d, m = h - l, (l + h) / 2
            if bound <= l:
                share = 0.0
            elif bound <= m:
                share = 2 * (bound - l) ** 2 / d ** 2
            elif bound < h:
                share = 1 - 2 * (h - bound) ** 2 / d ** 2
            else:
                share = 1.0
            total += lots[b]
            below += lots[b] * share
        out.append(min(1.0, max(0.0, below / total)) if total > 0.0001 else 0.0)
    return out


def drawline(c1, p1, c2, p2, mode):
    count = len(c1)
    out = [INV] * count

    def holds(c, i):
        return not is_inv(c[i]) and c[i] != 0.0

    ends = [i for i in range(count) if holds(c2, i)]
    if not ends:
        return out
    if mode == 0:
        end = ends[-1]
        out[end] = p2[end]
        for i in range(end + 1, count):
            if holds(c1, i):
                out[i] = p1[i]
        return out
    i = count - 1
    while i >= 0:
        end = next((k for k in range(i, -1, -1) if holds(c2, k)), None)
        if end is None:
            break
        start = next((k for k in range(end - 1, -1, -1) if holds(c1, k)), None)
        if start is None:
            break
        out[start] = p1[start]
        out[end] = p2[end]
        i = start - 1
    return out


def greater(a, b):
    return a > b


def less(a, b):
    return a < b


def cases(d, count):
    """Case id -> result. The C++ tests compose the same cases by id."""
    c, g, s, sg, z, u = d["C"], d["G"], d["S"], d["SG"], d["Z"], d["U"]
    ma5 = [f32(v) for v in ma(c, 5)]
    ma3 = [f32(v) for v in ma(c, 3)]
    capital = 30000.0
    return [
        ("MA(C;5)", ma(c, 5)),
        ("MA(C;1)", ma(c, 1)),
        ("MA(G;4)", ma(g, 4)),
        ("MA(MA(C;3);3)", ma(ma3, 3)),
        ("MA(C;0)", ma(c, 0)),
        ("EMA(C;12)", ema(c, 12)),
        ("EMA(G;5)", ema(g, 5)),
        ("SMA(C;9;3)", sma(c, 9, 3)),
        ("SMA(G;3;1)", sma(g, 3, 1)),
        ("DMA(C;0.3)", dma(c, f32(0.3))),
        ("DMA(G;W)", dma_series(g, d["W"])),
        ("HHV(C;10)", hhv(c, 10, greater)),
        ("HHV(G;5)", hhv(g, 5, greater)),
        ("HHV(C;0)", hhv(c, 0, greater)),
        ("LLV(C;10)", hhv(c, 10, less)),
        ("LLV(G;5)", hhv(g, 5, less)),
        ("REF(C;3)", ref(c, 3)),
        ("REF(C;-2)", ref(c, -2)),
        ("REF(G;NS)", ref_series(g, d["NS"])),
        ("SUM(C;0)", sum_(c, 0)),
        ("SUM(G;0)", sum_(g, 0)),
        ("SUM(V;10)", sum_(d["V"], 10)),
        ("SUM(G;4)", sum_(g, 4)),
        ("SUM(C;NS)", sum_series(c, d["NS"])),
        ("STD(C;20)", std(c, 20)),
        ("STD(C;2)", std(c, 2)),
        ("STD(G;5)", std(g, 5)),
        ("AVEDEV(C;14)", avedev(c, 14)),
        ("AVEDEV(G;4)", avedev(g, 4)),
        ("ABS(Z)", keep_inv(z, abs)),
        ("ACOS(U)", keep_inv(u, inverse(math.acos))),
        ("ASIN(U)", keep_inv(u, inverse(math.asin))),
        ("ATAN(Z)", keep_inv(z, math.atan)),
        ("REVERSE(G)", keep_inv(g, lambda v: -v)),
        ("NOT(SG)", [1.0 if v == 0.0 else 0.0 for v in sg]),
        ("MAX(C;O)", pairwise(c, d["O"], max)),
        ("MIN(G;O)", pairwise(g, d["O"], min)),
        ("MAX(10.5;G)", pairwise(broadcast(10.5, count), g, max)),
        ("MIN(G;10.5)", pairwise(g, broadcast(10.5, count), min)),
        ("IF(SG;C;O)", if_(sg, c, d["O"])),
        ("IFN(SG;H;0)", if_(sg, broadcast(0.0, count), d["H"])),
        ("CROSS(C;MA(C;5))", cross(c, ma5)),
        ("CROSS(C;11)", cross(c, broadcast(11.0, count))),
        ("CROSS(11;C)", cross(broadcast(11.0, count), c)),
        ("UPNDAY(C;3)", upnday(c, 3)),
        ("UPNDAY(G;1)", upnday(g, 1)),
        ("DOWNNDAY(C;2)", downnday(c, 2)),
        ("DOWNNDAY(G;3)", downnday(g, 3)),
        ("EVERY(S;3)", every(s, 3)),
        ("EVERY(S;0)", every(s, 0)),
        ("COUNT(S;5)", count_(s, 5)),
        ("COUNT(SG;4)", count_(sg, 4)),
        ("FILTER(S;3)", filter_(s, 3)),
        ("FILTER(SG;2)", filter_(sg, 2)),
        ("BARSLAST(S)", barslast(s)),
        ("BARSCOUNT(C)", [float(i) for i in range(count)]),
        ("HHVBARS(C;0)", extreme_bars(c, 0, greater)),
        ("HHVBARS(C;10)", extreme_bars(c, 10, greater)),
        ("HHVBARS(S;4)", extreme_bars(s, 4, greater)),
        ("LLVBARS(G;0)", extreme_bars(g, 0, less)),
        ("LLVBARS(G;6)", extreme_bars(g, 6, less)),
        ("BACKSET(S;2)", backset(s, 2)),
        ("BACKSET(SG;1)", backset(sg, 1)),
        ("SLOPE(C;10)", slope(c, 10)),
        ("SLOPE(G;5)", slope(g, 5)),
        ("ZIG(C;5)", zig(c, 5)),
        ("ZIG(G;10)", zig(g, 10)),
        ("SUMBARS(Z;1.5)", sumbars(z, 1.5)),
        ("SUMBARS(V;9000)", sumbars(d["V"], 9000.0)),
        ("WINNER(C)", winner(d["H"], d["L"], d["V"], c, capital)),
        ("DRAWLINE(S;L;SG;H;1)", drawline(s, d["L"], sg, d["H"], 1)),
        ("DRAWLINE(S;L;SG;H;0)", drawline(s, d["L"], sg, d["H"], 0)),
    ]


# --- whole indicator formulas ---------------------------------------------------

def stored(x):
    """A series as the engine keeps it: every element a 32-bit float."""
    return [INV if is_inv(v) else f32(v) for v in x]


def combine(a, b, function):
    """An operator over two series or a series and a number: invalid where an
    operand is, or where the result has no value (a division by zero)."""
    count = len(a) if isinstance(a, list) else len(b)
    out = []
    for i in range(count):
        x = a[i] if isinstance(a, list) else a
        y = b[i] if isinstance(b, list) else b
        if is_inv(x) or is_inv(y):
            out.append(INV)
            continue
        value = function(x, y)
        out.append(INV if value is None else f32(value))
    return out


def add(a, b):
    return combine(a, b, lambda x, y: x + y)


def sub(a, b):
    return combine(a, b, lambda x, y: x - y)


def mul(a, b):
    return combine(a, b, lambda x, y: x * y)


def div(a, b):
    return combine(a, b, lambda x, y: None if y == 0.0 else x / y)


def indicator_cases(d):
    """The simulator's MACD, KDJ, RSI and BOLL definitions, statement by
    statement, at their default parameters."""
    c, h, lo = d["C"], d["H"], d["L"]
    dif = sub(stored(ema(c, 12)), stored(ema(c, 26)))
    dea = stored(ema(dif, 9))
    macd = mul(sub(dif, dea), 2)

    llv9 = stored(hhv(lo, 9, less))
    hhv9 = stored(hhv(h, 9, greater))
    rsv = mul(div(sub(c, llv9), sub(hhv9, llv9)), 100)
    k = stored(sma(rsv, 3, 1))
    dd = stored(sma(k, 3, 1))
    j = sub(mul(3, k), mul(2, dd))

    lc = ref(c, 1)
    move = sub(c, lc)
    up = combine(move, 0.0, max)
    size = stored(keep_inv(move, abs))
    rsi = [mul(div(stored(sma(up, n, 1)), stored(sma(size, n, 1))), 100) for n in (6, 12, 24)]

    boll = stored(ma(c, 20))
    width = mul(2, stored(std(c, 20)))
    return [("DIF", dif), ("DEA", dea), ("MACD", macd), ("K", k), ("D", dd), ("J", j),
            ("RSI1", rsi[0]), ("RSI2", rsi[1]), ("RSI3", rsi[2]),
            ("BOLL", boll), ("UB", add(boll, width)), ("LB", sub(boll, width))]


def write_indicators(path, bars):
    inputs = make_inputs(bars)
    names = ["O", "H", "L", "C", "V"]
    columns = [inputs[name] for name in names]
    for name, values in indicator_cases(inputs):
        names.append(name)
        columns.append(values)
    with open(path, "w", newline="\n") as out:
        out.write(",".join(names) + "\n")
        for i in range(len(bars)):
            out.write(",".join(text(values[i]) for values in columns) + "\n")


def text(value):
    if is_inv(value):
        return "inv"
    return "%.9g" % value


def write_set(path, bars):
    inputs = make_inputs(bars)
    count = len(bars)
    results = cases(inputs, count)
    names = list(inputs) + [name for name, _ in results]
    columns = list(inputs.values()) + [values for _, values in results]
    for name, values in zip(names, columns):
        if len(values) != count:
            raise SystemExit("%s: %d values for %d bars" % (name, len(values), count))
    with open(path, "w", newline="\n") as out:
        out.write(",".join(names) + "\n")
        for i in range(count):
            out.write(",".join(text(values[i]) for values in columns) + "\n")


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    directory = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "tests", "formula", "reference")
    os.makedirs(directory, exist_ok=True)
    write_set(os.path.join(directory, "small.csv"), SMALL_BARS)
    write_set(os.path.join(directory, "walk.csv"), walk_bars(2000, 20240611))
    write_indicators(os.path.join(directory, "indicators.csv"), walk_bars(1000, 20240611))


if __name__ == "__main__":
    main()
