"""Walls to rooms on plans as they come from drawings: turned by a hair, in
millimetres and far from the origin, with stub walls that lead nowhere,
partitions that miss each other on a wall by a fraction of a millimetre,
corners left open, walls drawn in overlapping pieces and a shaft tied to the
outer walls.  Every room comes back once, closed, not empty, with the area it
has by construction."""

import math
import random

import pytest

from test_strakel_network_rooms import rooms, square, turned


def box(w, h):
    return [((0, 0), (w, 0)), ((w, 0), (w, h)), ((w, h), (0, h)), ((0, h), (0, 0))]


BOX = box(10, 6)
JOIN = 5e-4  # two crossings this close on a wall, or a wall end this close to a wall, meet


def measure(outline):
    """(area, perimeter) of a closed outline of (x, y) tuples."""
    pairs = list(zip(outline, outline[1:]))
    return (abs(sum(p[0] * q[1] - q[0] * p[1] for p, q in pairs)) / 2, sum(math.dist(p, q) for p, q in pairs))


def rect(x0, y0, x1, y1):
    return measure([(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)])


def assert_rooms(coords, want):
    """The rooms found are the (area, perimeter) pairs in want, matched in
    area order: each within 1e-9 relative plus 2e-6 times the largest
    perimeter, what a corner off by a micrometre costs."""
    got = rooms(coords)  # sorted, each checked closed
    assert len(got) == len(want), (got, sorted(want))
    slack = 2e-6 * max((p for _, p in want), default=0.0)
    for g, (area, _) in zip(got, sorted(want)):
        assert g > 0 and abs(g - area) <= 1e-9 * area + slack, (got, sorted(want))


def cut_rooms(rng, w, h, depth, per_unit=1000):
    """A w by h mm plan cut recursively as cut_plan cuts it (T-junctions), in
    units of per_unit mm: its walls and its rooms as (x0, y0, x1, y1)."""
    walls, cells = box(w, h), []

    def cut(x0, y0, x1, y1, d):
        if d == 0 or max(x1 - x0, y1 - y0) < 2000:
            cells.append((x0, y0, x1, y1))
        elif x1 - x0 >= y1 - y0:
            x = x0 + rng.randrange(700, x1 - x0 - 700)
            walls.append(((x, y0), (x, y1)))
            cut(x0, y0, x, y1, d - 1)
            cut(x, y0, x1, y1, d - 1)
        else:
            y = y0 + rng.randrange(700, y1 - y0 - 700)
            walls.append(((x0, y), (x1, y)))
            cut(x0, y0, x1, y, d - 1)
            cut(x0, y, x1, y1, d - 1)

    cut(0, 0, w, h, depth)
    u = lambda p: (p[0] / per_unit, p[1] / per_unit)
    return [(u(a), u(b)) for a, b in walls], [tuple(v / per_unit for v in c) for c in cells]


def some_angle(rng):
    return rng.choice([0.0, rng.uniform(-math.pi, math.pi)])


# ------------------------------------------------------------ plans seen in drawings

def shaft_tied_at_lowest_corner():
    return BOX + square(3, 2, 1) + [((0, 0), (3, 2))]


@pytest.mark.parametrize("coords, want", [
    (turned(box(10000, 6000), math.radians(-6.5e-7)), [rect(0, 0, 10000, 6000)]),
    (turned(box(10000, 6000) + [((4000, 0), (4000, 6000))], math.radians(-1e-8)),
     [rect(0, 0, 4000, 6000), rect(4000, 0, 10000, 6000)]),
    (BOX + [((4, 0), (4, 6)), ((7, 0), (7, 3)), ((7, 3), (8, 3))], [rect(0, 0, 4, 6), rect(4, 0, 10, 6)]),
    (BOX + [((5, 0), (5, 6)), ((0, 3), (5, 3)), ((5, 3.0003), (10, 3.0003))],
     [rect(0, 0, 5, 3), rect(0, 3, 5, 6), measure([(5, 0), (10, 0), (10, 3.0003), (5, 3), (5, 0)]),
      measure([(5, 3), (10, 3.0003), (10, 6), (5, 6), (5, 3)])]),
    (BOX + [((5, 0), (5, 6)), ((0, 2.9996), (5, 2.9996)), ((5, 3.0004), (10, 3.0004))],
     [rect(0, 0, 5, 2.9996), rect(0, 2.9996, 5, 6), measure([(5, 0), (10, 0), (10, 3.0004), (5, 2.9996), (5, 0)]),
      measure([(5, 2.9996), (10, 3.0004), (10, 6), (5, 6), (5, 2.9996)])]),
    ([((0, 0), (7, 0)), ((2, 0), (10, 0)), ((2, 0), (7, 0))] + BOX[1:] + [((5, 0), (5, 6))],
     [rect(0, 0, 5, 6), rect(5, 0, 10, 6)]),
    (turned([((0, 0), (7, 0)), ((2, 0), (10, 0)), ((2, 0), (7, 0))] + BOX[1:] + [((5, 0), (5, 6))], math.radians(1)),
     [rect(0, 0, 5, 6), rect(5, 0, 10, 6)]),
    (shaft_tied_at_lowest_corner(), [(59, 40 + 4 + 2 * math.hypot(3, 2)), (1, 4)]),
], ids=["box in mm turned -6.5e-7 deg", "box and wall in mm turned -1e-8 deg", "L-shaped stub",
        "partitions 0.3 mm apart", "partitions 0.8 mm apart in one rounded millimetre", "wall in three pieces",
        "wall in three pieces turned 1 deg", "shaft tied at the lowest corner"])
def test_plans_seen_in_drawings(coords, want):
    assert_rooms(coords, want)


# ------------------------------------------------------------ families

@pytest.mark.parametrize("per_unit", [1, 1000], ids=["mm", "m"])
@pytest.mark.parametrize("far", [False, True], ids=["near the origin", "1e5 away"])
def test_plans_turned_by_a_hair_give_every_room(per_unit, far):
    rng = random.Random(f"hair-{per_unit}-{far}")
    for depth in (0, 0, 1, 2, 3, 4):
        w, h = rng.randint(6000, 30000), rng.randint(4000, 20000)
        coords, cells = cut_rooms(rng, w, h, depth, per_unit)
        dx, dy = (1e5 if far else 0) + rng.uniform(-50, 50), (1e5 if far else 0) + rng.uniform(-50, 50)
        coords = [((a[0] + dx, a[1] + dy), (b[0] + dx, b[1] + dy)) for a, b in coords]
        pivot = (dx + rng.uniform(0, w / per_unit), dy + rng.uniform(0, h / per_unit))
        angle = math.radians(rng.choice([-1, 1]) * 10 ** rng.uniform(-8, -3))
        assert_rooms(turned(coords, angle, pivot), [rect(*c) for c in cells])


def stub(rng, cell):
    """Walls that start on a side of cell and end free inside it: straight,
    L, T (as three pieces, as a stem ending on a bar, as a stem crossing a
    bar) or bent."""
    x0, y0, x1, y1 = cell
    corner, along, inward, span, depth = rng.choice([
        ((x0, y0), (1, 0), (0, 1), x1 - x0, y1 - y0), ((x1, y1), (-1, 0), (0, -1), x1 - x0, y1 - y0),
        ((x0, y1), (0, -1), (1, 0), y1 - y0, x1 - x0), ((x1, y0), (0, 1), (-1, 0), y1 - y0, x1 - x0)])
    at = lambda p, q: (corner[0] + p * span * along[0] + q * depth * inward[0],
                       corner[1] + p * span * along[1] + q * depth * inward[1])
    p0, q1, q2 = rng.uniform(0.3, 0.7), rng.uniform(0.15, 0.5), rng.uniform(0.55, 0.85)
    pa, pb = rng.uniform(0.15, p0 - 0.05), rng.uniform(p0 + 0.05, 0.85)
    start, bend = at(p0, 0), at(p0, q1)
    shape = rng.choice(["straight", "L", "T", "T on a bar", "T crossing", "bent"])
    pieces = {
        "straight": [(start, at(rng.uniform(0.15, 0.85), q2))],
        "L": [(start, bend), (bend, at(pa, q1))],
        "T": [(start, bend), (bend, at(pa, q1)), (bend, at(pb, q1))],
        "T on a bar": [(start, bend), (at(pa, q1), at(pb, q1))],
        "T crossing": [(start, at(p0, q2)), (at(pa, q1), at(pb, q1))],
        "bent": [(start, bend), (bend, at(pb, q2)), (at(pb, q2), at(pa, 0.85))],
    }[shape]
    return [w[::-1] if rng.random() < 0.3 else w for w in pieces]


def test_stub_walls_that_lead_nowhere_leave_the_rooms_as_they_are():
    rng = random.Random("stubs")
    for _ in range(12):
        coords, cells = cut_rooms(rng, rng.randint(8000, 30000), rng.randint(6000, 20000), rng.randint(1, 4))
        for cell in rng.sample(cells, min(len(cells), rng.randint(1, 3))):
            coords += stub(rng, cell)
        assert_rooms(turned(coords, some_angle(rng), (3.0, -2.0)), [rect(*c) for c in cells])


def test_partitions_abutting_a_wall_from_both_sides_meet_when_a_hair_apart():
    rng = random.Random("partitions")
    cases = 0
    while cases < 16:
        w, h = rng.randint(6000, 20000) / 1000, rng.randint(4000, 12000) / 1000
        x, y = rng.randint(2000, round(w * 1000) - 2000) / 1000, rng.randint(1000, round(h * 1000) - 1000) / 1000
        y += rng.choice([0.0, rng.uniform(0, 1e-3)])
        y2 = y + rng.uniform(1e-5, 9e-4)
        near = abs(y2 - y) - JOIN, (y * 1000) % 1 - 0.5, (y2 * 1000) % 1 - 0.5
        if min(abs(v) for v in near) < 1e-7:
            continue  # on the edge of the rule: both answers are fair
        cases += 1
        coords = box(w, h) + [((x, 0), (x, h)), ((0, y), (x, y)), ((x, y2), (w, y2))]
        # Joined, the node is the crossing found first: the left partition's.
        at = y if abs(y2 - y) <= JOIN or round(y, 3) == round(y2, 3) else y2
        assert_rooms(coords, [rect(0, 0, x, y), rect(0, y, x, h),
                              measure([(x, 0), (w, 0), (w, y2), (x, at), (x, 0)]),
                              measure([(x, at), (w, y2), (w, h), (x, h), (x, at)])])


def toward(a, b, d):
    """a moved d towards b."""
    return (a[0] + (b[0] - a[0]) * d / math.dist(a, b), a[1] + (b[1] - a[1]) * d / math.dist(a, b))


def test_walls_stopping_short_of_a_wall_meet_it_where_their_lines_cross():
    rng = random.Random("open corners")
    for _ in range(16):
        coords, cells = cut_rooms(rng, rng.randint(6000, 24000), rng.randint(4000, 16000), rng.randint(0, 3))
        if rng.random() < 0.5:  # one wall, at either end
            k, d = rng.randrange(len(coords)), 10 ** rng.uniform(-7, math.log10(4e-4))
            a, b = coords[k]
            coords[k] = (toward(a, b, d), b) if rng.random() < 0.5 else (a, toward(b, a, d))
        else:  # both walls at a box corner, each a little: together within the join distance
            k = rng.randrange(4)
            (a, b), (c, e) = coords[k], coords[(k + 1) % 4]
            coords[k] = (a, toward(b, a, 10 ** rng.uniform(-7, math.log10(3.4e-4))))
            coords[(k + 1) % 4] = (toward(c, e, 10 ** rng.uniform(-7, math.log10(3.4e-4))), e)
        assert_rooms(turned(coords, some_angle(rng), (1.0, 1.0)), [rect(*c) for c in cells])


def in_three(rng, a, b):
    """A wall as three overlapping pieces: start to f2, f1 to end, f1 to f2."""
    f1 = rng.uniform(0.1, 0.8)
    f2 = rng.uniform(f1 + 0.05, 0.9)
    at = lambda t: (a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]))
    return [w[::-1] if rng.random() < 0.5 else w for w in [(a, at(f2)), (at(f1), b), (at(f1), at(f2))]]


def test_walls_drawn_in_three_overlapping_pieces_give_every_room():
    rng = random.Random("three pieces")
    for _ in range(12):
        coords, cells = cut_rooms(rng, rng.randint(8000, 30000), rng.randint(6000, 20000), rng.randint(0, 4))
        coords = [w for a, b in coords for w in in_three(rng, a, b)]
        rng.shuffle(coords)
        assert_rooms(turned(coords, rng.uniform(-math.pi, math.pi), (5.0, 5.0)), [rect(*c) for c in cells])


@pytest.mark.parametrize("corner", range(4))
def test_a_shaft_tied_to_a_box_corner_is_a_room_inside_one_room(corner):
    rng = random.Random(f"shaft-{corner}")
    for angle in (0.0, rng.uniform(-math.pi, math.pi), rng.uniform(-math.pi, math.pi)):
        w, h, s = rng.randint(6000, 20000) / 1000, rng.randint(4000, 15000) / 1000, rng.randint(400, 1500) / 1000
        x = rng.randint(1000, round((w - s) * 1000) - 1000) / 1000
        y = rng.randint(1000, round((h - s) * 1000) - 1000) / 1000
        far = box(w, h)[corner][0]
        near = (x + s * (far[0] > x), y + s * (far[1] > y))
        coords = box(w, h) + square(x, y, s) + [(far, near)]
        want = [(w * h - s * s, 2 * (w + h) + 4 * s + 2 * math.dist(far, near)), (s * s, 4 * s)]
        assert_rooms(turned(coords, angle, (w / 2, h / 2)), want)


def test_buildings_linked_by_walls_outside_them_give_their_rooms_once():
    # A wall the contour walks out and back (a fence, a covered way) bounds
    # no room; a stub on it neither.
    rng = random.Random("links")
    for _ in range(8):
        left, cells = cut_rooms(rng, rng.randint(6000, 20000), rng.randint(6000, 20000), rng.randint(0, 3))
        right, right_cells = cut_rooms(rng, rng.randint(6000, 20000), rng.randint(6000, 20000), rng.randint(0, 3))
        gap, lift = rng.randint(2000, 9000) / 1000, rng.randint(-3000, 3000) / 1000
        x0 = max(b[0] for _, b in left)
        right = [((a[0] + x0 + gap, a[1] + lift), (b[0] + x0 + gap, b[1] + lift)) for a, b in right]
        cells += [(c[0] + x0 + gap, c[1] + lift, c[2] + x0 + gap, c[3] + lift) for c in right_cells]
        y = rng.uniform(max(0, lift) + 0.5, min(6, 6 + lift) - 0.5)
        link = [((x0, y), (x0 + gap, y)), ((x0 + gap / 2, y), (x0 + gap / 2, y + 1))]
        assert_rooms(turned(left + right + link, some_angle(rng), (0, 0)), [rect(*c) for c in cells])
