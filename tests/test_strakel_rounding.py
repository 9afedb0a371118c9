"""The one decimal round of the library (core/rounding) against the
interpreter's round(x, n): points rounded by Point.__round__, and the
3-decimal keys by which lines hash, agree bit for bit on any float."""

import math

from hypothesis import given, settings, strategies as st

from Flatkin import Point
from Strakel import Line

from common import same_float

# Floats near the places where rounding is hard: halves of decimals (as
# decimals and as their nearest doubles), huge and tiny magnitudes, and any
# double at all.
halves = st.builds(lambda k, n: (k + 0.5) / 10 ** n, st.integers(-10 ** 12, 10 ** 12), st.integers(0, 12))
any_float = st.floats(allow_nan=False, allow_infinity=False)
scaled = st.builds(lambda m, e: math.ldexp(m, e), st.floats(-1, 1), st.integers(-1074, 1023))
# Far from the origin (2^40 to 2^52) with a fraction of a few bits: halves
# of decimals and of the spacing of doubles there.
far = st.builds(lambda i, k, p: i + k / 2 ** p, st.integers(-2 ** 52, 2 ** 52).filter(lambda i: abs(i) >= 2 ** 40),
                st.integers(0, 1023), st.integers(1, 10))
values = st.one_of(halves, any_float, scaled, far,
                   st.sampled_from([0.0, -0.0, 2.675, 1e22, 5e-324, 2.0 ** 52 + 1]))


@settings(max_examples=3000, deadline=None)
@given(values, st.one_of(st.integers(0, 20), st.sampled_from([22, 100, 308, 323, 324, 400])))
def test_rounding_a_point_is_the_interpreters_round(x, n):
    p = round(Point(x, -x), n)
    assert same_float(p.x, round(x, n)) and same_float(p.y, round(-x, n))


@settings(max_examples=1000, deadline=None)
@given(values, values)
def test_a_line_hashes_its_slope_and_intercept_rounded_to_3_decimals(slope, intercept):
    start = Point(0.0, intercept)
    end = Point(1.0, intercept + slope)
    line = Line(start, end)
    s, b = line.slope, line.intercept
    if s is None or math.isinf(s) or math.isnan(b):
        return
    assert hash(line) == hash((round(s, 3) + 0.0, round(b, 3) + 0.0))


def test_far_from_the_origin_every_fraction_rounds_as_the_interpreter_rounds_it():
    # From 2^40 to 2^52 a double has at most 12 fraction bits: every one of
    # them, at the bottom, the middle and the top of each binade, where the
    # halves of decimals and of the spacing of doubles lie.
    wrong = []
    for e in range(40, 53):
        u = 2.0 ** (e - 52)
        for base in (2.0 ** e, 2.0 ** e + 12345, 2.0 ** (e + 1) - 1):
            for x in (base + m * u for m in range(min(4096, max(1, int(1 / u))))):
                wrong += [(x, n) for n in range(1, 8) if not same_float(round(Point(x, -x), n).y, round(-x, n))]
    assert wrong == []
