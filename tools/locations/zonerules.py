"""Zone histories in the rule format of the location database.

This module holds everything the location-database generator needs about
time: the Gregorian and Hebrew calendars on fixed day numbers, the comparison
of a date with a changeover rule (exactly as the program does it, quirks
included), the offset that a zone history gives for a UT instant, and the
derivation of a zone history from the system's time-zone database.

Instants are whole seconds counted from midnight UT at the start of fixed
day 0 (fixed day 1 is Monday 1 January of year 1), so that every comparison
is exact.  Offsets are in seconds ahead of UT.
"""

from __future__ import annotations

import calendar
import datetime as _dt
import zoneinfo
from dataclasses import dataclass, field
from fractions import Fraction
from functools import lru_cache

DAY = 86400
HOUR = 3600
UNIX_EPOCH_FIXED = 719163          # fixed day number of 1 January 1970
GREGORIAN = 4
HEBREW = 6


# --------------------------------------------------------------------------
# Calendars
# --------------------------------------------------------------------------

def fixed_from_gregorian(y: int, m: int, d: int) -> int:
    return _dt.date(y, m, d).toordinal()


@lru_cache(maxsize=None)
def gregorian_from_fixed(n: int) -> tuple[int, int, int]:
    d = _dt.date.fromordinal(n)
    return d.year, d.month, d.day


def days_in_gregorian_month(m: int, y: int) -> int:
    return calendar.monthrange(y, m)[1]


def weekday(n: int) -> int:
    """0 = Sunday; fixed day 1 is a Monday."""
    return n % 7


def hebrew_leap_year(y: int) -> bool:
    return (7 * y + 1) % 19 < 7


def months_in_hebrew_year(y: int) -> int:
    return 13 if hebrew_leap_year(y) else 12


@lru_cache(maxsize=None)
def hebrew_elapsed_days(y: int) -> int:
    months = (235 * y - 234) // 19
    parts = 204 + 793 * (months % 1080)
    hours = 11 + 12 * months + 793 * (months // 1080) + parts // 1080
    day = 29 * months + hours // 24
    return day + 1 if (3 * (day + 1)) % 7 < 3 else day


def hebrew_new_year_delay(y: int) -> int:
    e0, e1, e2 = hebrew_elapsed_days(y - 1), hebrew_elapsed_days(y), hebrew_elapsed_days(y + 1)
    if e2 - e1 == 356:
        return 2
    if e1 - e0 == 382:
        return 1
    return 0


@lru_cache(maxsize=None)
def hebrew_new_year(y: int) -> int:
    return -1373427 + hebrew_elapsed_days(y) + hebrew_new_year_delay(y)


def days_in_hebrew_year(y: int) -> int:
    return hebrew_new_year(y + 1) - hebrew_new_year(y)


def last_day_of_hebrew_month(m: int, y: int) -> int:
    if m < 1 or m > months_in_hebrew_year(y):
        raise ValueError(f"Invalid intMonth: {m}")
    n = days_in_hebrew_year(y)
    if m in (2, 4, 6, 10, 13):
        return 29
    if m == 12 and not hebrew_leap_year(y):
        return 29
    if m == 8 and n % 10 != 5:
        return 29
    if m == 9 and n % 10 == 3:
        return 29
    return 30


@lru_cache(maxsize=None)
def hebrew_fixed(y: int, m: int, d: int) -> int:
    n = hebrew_new_year(y) + d - 1
    if m >= 7:
        for k in range(7, m):
            n += last_day_of_hebrew_month(k, y)
    else:
        for k in range(7, months_in_hebrew_year(y) + 1):
            n += last_day_of_hebrew_month(k, y)
        for k in range(1, m):
            n += last_day_of_hebrew_month(k, y)
    return n


@lru_cache(maxsize=None)
def fixed_hebrew(n: int) -> tuple[int, int, int]:
    approx = (n + 1373427) * 98496 // 35975351 + 1
    y = approx - 1
    while hebrew_fixed(y + 1, 7, 1) <= n:
        y += 1
    m = 7 if n < hebrew_fixed(y, 1, 1) else 1
    while hebrew_fixed(y, m, last_day_of_hebrew_month(m, y)) < n:
        m += 1
    return y, m, n - hebrew_fixed(y, m, 1) + 1


# --------------------------------------------------------------------------
# Changeover rules and their comparison with a date
# --------------------------------------------------------------------------

@dataclass(frozen=True)
class Rule:
    hour: int            # local clock hour of the change, 0..23
    dow: int             # 0 = Sunday
    week: int            # 0 fixed date, 1..4 n-th weekday from dom, 5 last
    dom: int             # date of month from which weekdays are counted
    month: int           # 1..12 in the rule's calendar
    caltype: int = GREGORIAN

    def text(self) -> str:
        cal = "Gregorian" if self.caltype == GREGORIAN else "Hebrew"
        return f"{self.hour},{self.dow},{self.week},{self.dom},{self.month},{cal}"


def _cmp(a: int, b: int) -> int:
    return (a > b) - (a < b)


def _first_dow_on_or_after(first_of_month: int, start_day: int, dow: int) -> int:
    """Day of month (may exceed the month) of the first `dow` on or after
    day `start_day` of the month whose day 1 is the fixed day `first_of_month`."""
    start_fixed = first_of_month + start_day - 1
    return start_day + (dow - weekday(start_fixed)) % 7


def before_on_after_gregorian(rule: Rule, day: int) -> int:
    """-1, 0, 1: the date `day` (fixed) is before, on or after the rule's day
    in its year.  A faithful copy of the program's comparison, including its
    handling of rule days that spill into the next month."""
    y0, m0, d0 = gregorian_from_fixed(day)
    month, dom, week, dow = rule.month, rule.dom, rule.week, rule.dow
    n = days_in_gregorian_month(month, y0)
    if m0 == month + 1 and dom > n - 6:
        diff = dom - n
        if diff < 1:
            start_fixed = fixed_from_gregorian(y0, month, dom)
        else:
            start_fixed = fixed_from_gregorian(y0, m0, diff)
        r = diff + (dow - weekday(start_fixed)) % 7
        return _cmp(d0, r)
    if m0 < month:
        return -1
    if m0 > month:
        return 1
    first = fixed_from_gregorian(y0, m0, 1)
    if week == 0:
        r = dom
    elif week <= 4:
        r = _first_dow_on_or_after(first, dom + 7 * (week - 1), dow)
    else:
        r = _first_dow_on_or_after(first, days_in_gregorian_month(m0, y0) - 6, dow)
    return _cmp(d0, r)


def before_on_after_hebrew(rule: Rule, day: int) -> int:
    """The program's comparison for a rule in Hebrew months (1 Nisan .. 7
    Tishri .. 13 Adar 2), quirks included: November and December dates are
    always after, and the month tests work modulo 12."""
    y0, m0, d0 = fixed_hebrew(day)
    g = gregorian_from_fixed(day)[1]
    month = rule.month
    if g in (11, 12):
        return 1
    if (m0 + 1) % 12 < (month + 1) % 12:
        return -1
    if (month + 3) % 12 < (m0 + 3) % 12:
        return 1
    first = hebrew_fixed(y0, m0, 1)
    if rule.week == 0:
        r = rule.dom
    elif rule.week <= 4:
        r = _first_dow_on_or_after(first, rule.dom + 7 * (rule.week - 1), rule.dow)
    else:
        r = _first_dow_on_or_after(first, last_day_of_hebrew_month(m0, y0) - 6, rule.dow)
    return _cmp(d0, r)


def before_on_after(rule: Rule, day: int) -> int:
    if rule.caltype == GREGORIAN:
        return before_on_after_gregorian(rule, day)
    if rule.caltype == HEBREW:
        return before_on_after_hebrew(rule, day)
    raise ValueError("invalid clock-change date-type.")


# --------------------------------------------------------------------------
# Zone-history epochs and the offset they give at a UT instant
# --------------------------------------------------------------------------

@dataclass
class Epoch:
    last: str | None     # last applicable instant as written in the file, or None
    tz: Fraction         # standard zone in hours
    start: Rule | None = None
    end: Rule | None = None
    note: str = ""

    @property
    def last_sec(self) -> Fraction | None:
        return None if self.last is None else Fraction(self.last) * DAY

    @property
    def dst(self) -> bool:
        return self.start is not None


def epoch_offset(ep: Epoch, u: int) -> Fraction:
    """Offset in seconds that one epoch gives for the UT instant u (seconds).

    The change day is the local date of the instant in standard time; on a
    change day the instant is compared with the instant of the change itself:
    into daylight saving at standard clock `hour` of the first rule, back to
    standard time at standard clock `hour - 1` of the second rule (the clock
    hour of the change read on the daylight-saving clock)."""
    std = ep.tz * HOUR
    if not ep.dst:
        return std
    local = u + std
    day = int(local // DAY)
    into_day = local - day * DAY
    s = before_on_after(ep.start, day)
    e = before_on_after(ep.end, day)
    if s != 0 and e != 0:
        if ep.start.month < ep.end.month:
            dst = not (s == -1 or e == 1)
        else:
            dst = not (e == 1 and s == -1)
    elif s != 0:                       # e == 0: the day of the change back
        dst = into_day < (ep.end.hour - 1) * HOUR
    else:                              # s == 0: the day of the change into DST
        dst = into_day >= ep.start.hour * HOUR
    return std + (HOUR if dst else 0)


def select_epoch(epochs: list[Epoch], u: int) -> Epoch:
    for ep in epochs:
        last = ep.last_sec
        if last is None or last >= u:
            return ep
    return epochs[-1]


def history_offset(epochs: list[Epoch], u: int) -> Fraction:
    return epoch_offset(select_epoch(epochs, u), u)


def change_days(ep: Epoch, first_day: int, last_day: int) -> list[int]:
    """Local (standard) days in [first_day, last_day] on which one of the
    epoch's rules compares as 'on'."""
    if not ep.dst:
        return []
    out = []
    for d in range(first_day, last_day + 1):
        if before_on_after(ep.start, d) == 0 or before_on_after(ep.end, d) == 0:
            out.append(d)
    return out


# --------------------------------------------------------------------------
# The system's time-zone database
# --------------------------------------------------------------------------

def fixed_to_unix(sec: int) -> int:
    return sec - UNIX_EPOCH_FIXED * DAY


def unix_to_fixed(ts: int) -> int:
    return ts + UNIX_EPOCH_FIXED * DAY


class TzdataZone:
    """Offsets of one IANA zone read through zoneinfo (the system's TZif files)."""

    def __init__(self, name: str):
        self.name = name
        self.zone = zoneinfo.ZoneInfo(name)
        self._cache: dict[int, int] = {}

    def offset(self, u: int) -> int:
        ts = fixed_to_unix(u)
        got = self._cache.get(ts)
        if got is None:
            dt = _dt.datetime.fromtimestamp(ts, self.zone)
            got = int(dt.utcoffset().total_seconds())
            if len(self._cache) < 2_000_000:
                self._cache[ts] = got
        return got

    def transitions(self, first_year: int, last_year: int, step: int = 3 * HOUR):
        """(instant, offset before, offset after) of every change of the UT
        offset from 1 January first_year to 1 January last_year + 1."""
        u = fixed_from_gregorian(first_year, 1, 1) * DAY
        end = fixed_from_gregorian(last_year + 1, 1, 1) * DAY
        out = []
        prev = self.offset(u)
        while u < end:
            nxt = u + step
            cur = self.offset(nxt)
            if cur != prev:
                lo, hi = u, nxt          # offset(lo) == prev, offset(hi) != prev
                while hi - lo > 1:
                    mid = (lo + hi) // 2
                    if self.offset(mid) == prev:
                        lo = mid
                    else:
                        hi = mid
                after = self.offset(hi)
                out.append((hi, prev, after))
                # a second change within the step is picked up by rescanning
                prev = after
                if after != cur:
                    u = hi
                    continue
            prev = cur
            u = nxt
        return out


# --------------------------------------------------------------------------
# Deriving a zone history
# --------------------------------------------------------------------------

MAX_PERIOD = 370 * DAY
MIN_RULE_RUN = 3


@dataclass
class Period:
    """One stretch of daylight saving: standard offset `std` (seconds), from
    the instant `ts` to the instant `te` (exclusive)."""
    std: int
    ts: int
    te: int
    start_day: int = 0
    start_hour: int | None = None       # standard clock hour of the change in
    end_day: int = 0                    # local date and DST-clock hour of the
    end_hour: int | None = None         # change back as written in a rule
    end_exact: bool = True              # the rule reproduces the change instant

    def describe(self) -> None:
        ls = self.ts + self.std
        self.start_day, rem = divmod(ls, DAY)
        self.start_hour = rem // HOUR if rem % HOUR == 0 else None
        le = self.te + self.std
        self.end_day, rem = divmod(le, DAY)
        if rem % HOUR != 0:
            self.end_hour = None
        elif rem // HOUR <= 22:
            self.end_hour = rem // HOUR + 1
        else:
            # The change back is at 24:00 on the daylight-saving clock.  The
            # rule names 0:00 of the next day, but the change day is reckoned
            # in standard time, so the epoch must end at the change itself.
            self.end_day += 1
            self.end_hour = 0
            self.end_exact = False

    @property
    def representable(self) -> bool:
        return self.start_hour is not None and self.end_hour is not None


def find_rules(days: list[int], hour: int, hebrew_allowed: bool, single: bool) -> list[Rule]:
    """Rules (best first) that select each of the given days in its year."""
    out: list[Rule] = []
    wds = {weekday(d) for d in days}
    greg = [gregorian_from_fixed(d) for d in days]

    def ok(rule: Rule) -> bool:
        return all(before_on_after(rule, d) == 0 for d in days)

    fixed: list[Rule] = []
    if len({(m, d) for _, m, d in greg}) == 1:
        _, m, d = greg[0]
        r = Rule(hour, weekday(days[0]), 0, d, m)
        if ok(r):
            fixed.append(r)
    weekly: list[Rule] = []
    if len(wds) == 1:
        dow = wds.pop()
        months = sorted({m for _, m, _ in greg} | {m - 1 for _, m, _ in greg if m > 1})
        for m in months:
            for cand in ([Rule(hour, dow, 5, 1, m)]
                         + [Rule(hour, dow, w, 1, m) for w in (1, 2, 3, 4)]
                         + [Rule(hour, dow, 1, d, m) for d in range(2, 32)
                            if d <= days_in_gregorian_month(m, 2001) and not (m == 2 and d > 29)]):
                if cand.month == 2 and cand.dom > 28:
                    continue
                if ok(cand):
                    weekly.append(cand)
    out = (fixed + weekly) if single else (weekly + fixed)
    if out or not hebrew_allowed:
        return out
    # Hebrew rules: months 1..12 (a rule cannot name Adar 2)
    heb = [fixed_hebrew(d) for d in days]
    if len({(m, d) for _, m, d in heb}) == 1:
        _, m, d = heb[0]
        r = Rule(hour, weekday(days[0]), 0, d, m, HEBREW)
        if m <= 12 and ok(r):
            out.append(r)
    wds = {weekday(d) for d in days}
    if len(wds) == 1:
        dow = wds.pop()
        for m in sorted({m for _, m, _ in heb if m <= 12}):
            for cand in ([Rule(hour, dow, 5, 1, m, HEBREW)]
                         + [Rule(hour, dow, w, 1, m, HEBREW) for w in (1, 2, 3, 4)]
                         + [Rule(hour, dow, 1, d, m, HEBREW) for d in range(2, 30)]):
                if ok(cand):
                    out.append(cand)
    return out


@dataclass
class Group:
    periods: list[Period]
    start: Rule
    end: Rule

    @property
    def std(self) -> int:
        return self.periods[0].std


def describe_last(ep: "Epoch") -> str:
    if ep.last is None:
        return "in force"
    sec = Fraction(ep.last) * DAY
    day = int(sec // DAY)
    y, m, d = gregorian_from_fixed(day)
    rem = sec - day * DAY
    hh, mm = int(rem // HOUR), int((rem % HOUR) // 60)
    ss = int(rem % 60)
    return f"until {y:04d}-{m:02d}-{d:02d} {hh:02d}:{mm:02d}:{ss:02d} UT"


def fmt_hours(sec: Fraction | int) -> str:
    h = Fraction(sec) / HOUR
    if h.denominator == 1:
        return str(h.numerator)
    s = f"{float(h):.6f}".rstrip("0").rstrip(".")
    if Fraction(s) != h:
        raise ValueError(f"offset {sec} s is not a short decimal number of hours")
    return s


def fmt_last(sec: int, exact_day: bool = False) -> str:
    """A last applicable instant written so that it is strictly before `sec`
    by at least one second, or exactly `sec` for a whole-day boundary."""
    if exact_day and sec % DAY == 0:
        return str(sec // DAY)
    micro = ((sec - 1) * 1_000_000) // DAY        # floor, in millionths of a day
    return f"{micro // 1_000_000}.{micro % 1_000_000:06d}"


class Deriver:
    """Builds a zone history for one IANA zone and checks it while building."""

    def __init__(self, zone: str, first_year: int = 1970, last_year: int = 2037,
                 hebrew: bool = False, horizon_year: int = 2045):
        self.tz = TzdataZone(zone)
        self.first = fixed_from_gregorian(first_year, 1, 1) * DAY
        self.last = fixed_from_gregorian(last_year + 1, 1, 1) * DAY
        self.horizon = fixed_from_gregorian(horizon_year, 1, 1) * DAY
        self.hebrew = hebrew
        self.trans = self.tz.transitions(first_year - 2, horizon_year - 1)
        self.notes: list[str] = []

    # -- checking a candidate epoch over a span ---------------------------
    def _samples(self, ep: Epoch, a: int, b: int) -> list[int]:
        """Instants in (a, b] at which an epoch is checked."""
        a = max(a, self.first - 2 * DAY)
        b = min(b, self.horizon)
        if b <= a:
            return []
        pts = set()
        d0 = a // DAY
        d1 = b // DAY
        for d in range(d0, d1 + 1):
            pts.add(d * DAY + 12 * HOUR)
        for edge in (a, b):
            base = edge - edge % HOUR
            for k in range(-48, 49):
                pts.add(base + k * HOUR)
        for t, _, _ in self.trans:
            if a - 40 * HOUR <= t <= b + 40 * HOUR:
                base = t - t % HOUR
                for k in range(-36, 37):
                    pts.add(base + k * HOUR)
                pts.add(t - 1)
                pts.add(t)
        if ep.dst:
            std = int(ep.tz * HOUR)
            for d in change_days(ep, (a + std) // DAY - 1, (b + std) // DAY + 1):
                for k in range(0, 25):
                    pts.add(d * DAY - std + k * HOUR)
        return sorted(p for p in pts if a < p <= b)

    def valid(self, ep: Epoch, a: int, b: int) -> bool:
        for u in self._samples(ep, a, b):
            if epoch_offset(ep, u) != self.tz.offset(u):
                return False
        return True

    # -- building ----------------------------------------------------------
    def derive(self) -> list[Epoch]:
        trans = self.trans
        # pair changes into periods of daylight saving
        items: list = []           # Period or ('change', t, before, after)
        i = 0
        while i < len(trans):
            t, a, b = trans[i]
            if (b - a == HOUR and i + 1 < len(trans) and trans[i + 1][1] == b
                    and trans[i + 1][2] == a and trans[i + 1][0] - t < MAX_PERIOD):
                p = Period(a, t, trans[i + 1][0])
                p.describe()
                if p.representable:
                    items.append(p)
                    i += 2
                    continue
                self.notes.append(
                    f"daylight saving {self._d(t)} to {self._d(trans[i + 1][0])} changes at a "
                    "time that no rule can name: written as epochs of fixed offset")
            items.append(("change", t, a, b))
            i += 1
        # group consecutive periods that share one pair of rules
        nodes: list = []
        k = 0
        while k < len(items):
            it = items[k]
            if not isinstance(it, Period):
                nodes.append(it)
                k += 1
                continue
            best = None
            j = k
            while j < len(items) and isinstance(items[j], Period):
                cand = items[k:j + 1]
                p0 = cand[0]
                if any(p.std != p0.std or p.start_hour != p0.start_hour
                       or p.end_hour != p0.end_hour for p in cand):
                    break
                # Two years that happen to share a weekday are no evidence of
                # a weekday rule: such short runs keep the fixed dates of
                # each year.
                single = len(cand) == 1
                if 1 < len(cand) < MIN_RULE_RUN:
                    j += 1
                    continue
                rs = find_rules([p.start_day for p in cand], p0.start_hour, self.hebrew, single)
                re_ = find_rules([p.end_day for p in cand], p0.end_hour, self.hebrew, single)
                pair = None
                northern = all(gregorian_from_fixed(p.start_day)[0] == gregorian_from_fixed(p.end_day)[0]
                               for p in cand)
                for r1 in rs:
                    for r2 in re_:
                        if r1.month != r2.month and (r1.month < r2.month) == northern:
                            pair = (r1, r2)
                            break
                    if pair:
                        break
                if pair is None:
                    break
                best = (j, pair)
                j += 1
            if best is None:
                # no rule pair at all (e.g. both changes in one month)
                p = items[k]
                self.notes.append(f"daylight saving {self._d(p.ts)} to {self._d(p.te)} cannot be "
                                  "written as a rule pair: written as epochs of fixed offset")
                nodes.append(("change", p.ts, p.std, p.std + HOUR))
                nodes.append(("change", p.te, p.std + HOUR, p.std))
                k += 1
                continue
            j, (r1, r2) = best
            periods = items[k:j + 1]
            # a period whose change back cannot be reproduced ends its group
            chunk: list[Period] = []
            for p in periods:
                chunk.append(p)
                # beyond the checked years the last epoch keeps the rules
                # open-ended, one hour off at each such change back
                if not p.end_exact and p.te < self.last:
                    nodes.append(Group(chunk, r1, r2))
                    chunk = []
            if chunk:
                nodes.append(Group(chunk, r1, r2))
            k = j + 1
        # split groups whose rules fail between their own periods
        split: list = []
        for n in nodes:
            if not isinstance(n, Group):
                split.append(n)
                continue
            cur = [n.periods[0]]
            for p in n.periods[1:]:
                ep = Epoch(None, Fraction(n.std, HOUR), n.start, n.end)
                if p.ts >= self.last or self.valid(ep, cur[-1].ts, p.te):
                    cur.append(p)
                else:
                    split.append(Group(cur, n.start, n.end))
                    cur = [p]
            split.append(Group(cur, n.start, n.end))
        return self._assemble(split)

    def _d(self, t: int) -> str:
        y, m, d = gregorian_from_fixed(t // DAY)
        return f"{y:04d}-{m:02d}-{d:02d}"

    def _assemble(self, nodes: list) -> list[Epoch]:
        epochs: list[Epoch] = []
        std0 = self.tz.offset(self.first - 3 * 366 * DAY)
        state = {"open": None, "from": None, "std": std0}

        def add_plain(off: int, until: int | None, exact_day=False):
            last = None if until is None else fmt_last(until, exact_day)
            if epochs and not epochs[-1].dst and epochs[-1].tz == Fraction(off, HOUR) \
                    and epochs[-1].note == "plain":
                epochs[-1].last = last
            else:
                epochs.append(Epoch(last, Fraction(off, HOUR), note="plain"))

        def group_epoch(g: Group) -> Epoch:
            return Epoch(None, Fraction(g.std, HOUR), g.start, g.end, note="rule")

        def close_open(until: int, exact_day=False):
            ep = state["open"]
            ep.last = fmt_last(until, exact_day)
            epochs.append(ep)
            state["open"] = None

        def candidates(a: int, b: int) -> list[tuple[int, bool]]:
            """Boundaries (instant, is whole UT day) inside the gap (a, b)."""
            out = []
            ya = gregorian_from_fixed(a // DAY)[0]
            yb = gregorian_from_fixed(b // DAY)[0]
            for y in range(ya, yb + 1):
                for m in (1, 7):
                    c = fixed_from_gregorian(y, m, 1) * DAY
                    if a + DAY < c < b - DAY:
                        out.append((c, True))
            mid = ((a + b) // 2) // DAY * DAY
            if a + DAY < mid < b - DAY:
                out.append((mid, True))
            for c in (a // DAY * DAY + 2 * DAY, b // DAY * DAY - 2 * DAY):
                if a < c < b:
                    out.append((c, True))
            return out

        prev_end = None                     # end of the last period of the open group
        prev_exact = True
        region_start = -10**15              # start of the stretch not yet covered
        for n in nodes:
            if isinstance(n, tuple):        # a change of the standard offset
                _, t, before, after = n
                if state["open"] is not None:
                    ep = state["open"]
                    if prev_exact and self.valid(ep, prev_end, t - 1):
                        close_open(t)
                    else:
                        c = self._close_point(ep, prev_end, prev_exact, t)
                        close_open(c[0], c[1])
                        add_plain(before, t)
                else:
                    add_plain(before, t)
                region_start = t
                prev_end = None
                continue
            g: Group = n
            ep = group_epoch(g)
            gap_end = g.periods[0].ts
            if state["open"] is not None:
                x = state["open"]
                done = False
                if prev_exact:
                    for c, whole in candidates(prev_end, gap_end):
                        if self.valid(x, prev_end, c) and self.valid(ep, c, gap_end - 1):
                            close_open(c, whole)
                            done = True
                            break
                if not done:
                    c = self._close_point(x, prev_end, prev_exact, gap_end)
                    close_open(c[0], c[1])
                    o = self._open_point(ep, c[0], gap_end)
                    add_plain(g.std, o[0], o[1])
            else:
                if region_start > -10**14 and not self.valid(ep, region_start, gap_end - 1):
                    o = self._open_point(ep, region_start, gap_end)
                    add_plain(g.std, o[0], o[1])
                elif region_start <= -10**14:
                    # first node: let the plain epoch before it cover the past
                    o = self._open_point(ep, self.first - 2 * DAY, gap_end)
                    if epochs or not self.valid(ep, self.first - 2 * DAY, gap_end - 1):
                        add_plain(g.std, o[0], o[1])
            state["open"] = ep
            prev_end = g.periods[-1].te
            prev_exact = g.periods[-1].end_exact
        if state["open"] is not None:
            ep = state["open"]
            if (prev_exact and self.valid(ep, prev_end, self.horizon)) or \
                    (not prev_exact and prev_end >= self.last):
                epochs.append(ep)
            else:
                c = self._close_point(ep, prev_end, prev_exact, self.horizon)
                close_open(c[0], c[1])
                add_plain(self.tz.offset(self.horizon), None)
        else:
            add_plain(self.tz.offset(self.horizon), None)
        if epochs[-1].last is not None:
            epochs[-1].last = None
        return epochs

    def _close_point(self, ep: Epoch, end: int, exact: bool, limit: int) -> tuple[int, bool]:
        """Where a rule epoch can end after its last period's change back."""
        if not exact:
            return end, False
        for c in (end // DAY * DAY + 2 * DAY, end // DAY * DAY + DAY, end + HOUR):
            if end < c < limit and self.valid(ep, end, c):
                return c, c % DAY == 0
        return end, False

    def _open_point(self, ep: Epoch, start: int, first_change: int) -> tuple[int, bool]:
        """Where a rule epoch can begin before its first change into DST."""
        y = gregorian_from_fixed(first_change // DAY)[0]
        for c in (fixed_from_gregorian(y, 1, 1) * DAY, first_change // DAY * DAY - 2 * DAY,
                  first_change // DAY * DAY - DAY, first_change - HOUR):
            if start < c < first_change and self.valid(ep, c, first_change - 1):
                return c, c % DAY == 0
        return first_change, False


# --------------------------------------------------------------------------
# The check
# --------------------------------------------------------------------------

def check_history(zone: str, epochs: list[Epoch], first_year: int = 1970,
                  last_year: int = 2037) -> tuple[int, int, list[str]]:
    """Compare a zone history with the system's time-zone database at noon UT
    of every day, every hour from 36 h before to 36 h after every change, and
    every hour of every day on which one of the history's rules compares as
    'on'.  Returns (instants checked, mismatches, first few mismatch texts)."""
    tz = TzdataZone(zone)
    a = fixed_from_gregorian(first_year, 1, 1) * DAY
    b = fixed_from_gregorian(last_year + 1, 1, 1) * DAY
    pts = set(range(a + 12 * HOUR, b, DAY))
    for t, _, _ in tz.transitions(first_year, last_year):
        base = t - t % HOUR
        for k in range(-36, 37):
            pts.add(base + k * HOUR)
    prev_last = -10**15
    for ep in epochs:
        last = ep.last_sec
        hi = b if last is None else min(b, int(last))
        lo = max(a, prev_last)
        if ep.dst and hi > lo:
            std = int(ep.tz * HOUR)
            for d in change_days(ep, (lo + std) // DAY, (hi + std) // DAY):
                for k in range(0, 25):
                    pts.add(d * DAY - std + k * HOUR)
        if last is not None:
            prev_last = int(last)
    bad = []
    n = 0
    for u in sorted(p for p in pts if a <= p < b):
        n += 1
        got = history_offset(epochs, u)
        want = tz.offset(u)
        if got != want:
            bad.append(u)
    texts = []
    for u in bad[:10]:
        y, m, d = gregorian_from_fixed(u // DAY)
        hh = (u % DAY) // HOUR
        texts.append(f"{y:04d}-{m:02d}-{d:02d} {hh:02d}:00 UT: history "
                     f"{fmt_hours(history_offset(epochs, u))} h, tzdata {fmt_hours(tz.offset(u))} h")
    return n, len(bad), texts
