"""Offsets up to and past the distances where edges collapse, corners run
into far sides and outlines split: shapely's mitred buffer (closed) and
offset curve (open) as the reference, on rectilinear rooms and stars."""

import math
import random

import pytest
import shapely

from Flatkin import Point
from Polyline import Polyline
import pyref_offset_region
from polyline_support import ROOM_KINDS, Twin, agree, outcome, poly, rectilinear_room, star, xy

COLLAPSES = "The offset distance collapses the outline."


def outline_of(seed):
    """A rectilinear room, or now and then a simple star (snapped to whole
    numbers on every other one)."""
    rng = random.Random(seed)
    if seed % 4 != 3:
        return rectilinear_room(rng, ROOM_KINDS[seed % len(ROOM_KINDS)])
    while True:
        coords = star(rng, rng.randint(3, 12), grid=bool(seed % 8 == 3))
        if len(coords) > 3 and shapely.Polygon(coords).is_valid:
            return coords


def test_distances(coords):
    """Every edge's collapse distance, either way, just below and just above,
    and a spread up to the room's size: past every collapse and split."""
    limits = set()
    for ring in (coords, coords[::-1]):
        limits |= {d for d in poly(ring).degenerate_distance().values() if math.isfinite(d) and d > 0}
    size = max(max(c) - min(c) for c in zip(*coords))
    out = [d * f for d in sorted(limits)[:6] for f in (0.999, 1.001)] + [size * f for f in (0.05, 0.15, 0.3, 0.6)]
    return [s * d for d in out for s in (1, -1)]


test_distances.__test__ = False


def corners(coords, tol):
    """The corners of a ring (open, no repeat), without points where it runs
    straight on (within tol)."""
    ring = [c for k, c in enumerate(coords) if k == 0 or math.dist(c, coords[k - 1]) > tol]
    if len(ring) > 1 and math.dist(ring[0], ring[-1]) <= tol:
        ring = ring[:-1]
    keep = []
    for k, b in enumerate(ring):
        a, c = ring[k - 1], ring[(k + 1) % len(ring)]
        if abs((b[0] - a[0]) * (c[1] - b[1]) - (b[1] - a[1]) * (c[0] - b[0])) > tol * (math.dist(a, b) + math.dist(b, c)):
            keep.append(b)
    return keep


def assert_same_corners(ours, theirs, tol):
    a, b = corners(ours, tol), corners(theirs, tol)
    assert len(a) == len(b), (a, b)
    for p in a:
        assert min(math.dist(p, q) for q in b) <= tol, (p, b)


def swept(coords, distance):
    """The mitred offset as the plain steps build it: where the winding
    number of the raw offset curve (the moved edges' rectangles and the
    mitres' kites counted over the outline's own winding) passes 1."""
    walk = coords[::1 if distance >= 0 else -1]
    grows = shapely.Polygon(walk).exterior.is_ccw
    curve = [p for p, _ in pyref_offset_region.raw_curve(walk, abs(distance), True, True)]
    return pyref_offset_region.winding_region(curve, 1 if grows else -1)


def check_closed(coords, distance, tol):
    """One offset of a closed outline against shapely's mitred buffer of its
    polygon (counter-clockwise grows for a positive distance).  Where that
    buffer is not the exact mitred offset (shapely first drops vertices of
    edges much shorter than the distance, and declares an outline eroded
    when its inscribed circle is only a little larger than the distance),
    the swept shapes of the plain steps stand in for it."""
    polygon = shapely.Polygon(coords)
    sign = 1 if polygon.exterior.is_ccw else -1
    expected = polygon.buffer(sign * distance, join_style="mitre", mitre_limit=1e9)
    exact = swept(coords, distance)
    if expected.symmetric_difference(exact).area > 1e-9 * max(polygon.area, expected.area):
        shortest = min(math.dist(a, b) for a, b in zip(coords, coords[1:]))
        inscribed = shapely.maximum_inscribed_circle(polygon).length
        assert shortest < abs(distance) / 20 or abs(inscribed - abs(distance)) < 0.2 * abs(distance)
        expected = shapely.MultiPolygon([
            shapely.Polygon(g.exterior, [h for h in g.interiors if shapely.Polygon(h).area > 1e-9 * polygon.area])
            for g in getattr(exact, "geoms", [exact]) if g.geom_type == "Polygon"])
    got = outcome(poly(coords).offset, distance)
    parts = [g for g in getattr(expected, "geoms", [expected]) if g.area > 1e-9 * polygon.area]
    if not parts:
        assert got[1:] == (IndexError, COLLAPSES), got
    elif len(parts) > 1:
        assert got[0] == "raises" and got[1] is ValueError, got
        assert got[2] == f"The offset splits the outline into {len(parts)} parts."
    elif parts[0].interiors:
        assert got[0] == "raises" and got[1] is ValueError and "around" in got[2], got
    else:
        assert got[0] == "ok", got
        result = got[1]
        assert result.points[0] is result.points[-1]
        ring = shapely.LinearRing(xy(result))
        assert ring.is_simple
        walked = shapely.Polygon(coords[::1 if distance >= 0 else -1]).exterior.is_ccw
        assert ring.is_ccw == walked  # runs the way the (reversed) points are walked
        ours = shapely.Polygon(ring)
        assert ours.area == pytest.approx(parts[0].area, rel=1e-9)
        assert ours.symmetric_difference(parts[0]).area <= 1e-9 * parts[0].area
        assert_same_corners(xy(result), list(parts[0].exterior.coords), tol)
    return got


@pytest.mark.parametrize("seed", range(48))
def test_closed_offsets_are_the_mitred_buffer_past_every_collapse(seed):
    coords = outline_of(seed)
    tol = 1e-9 * max(abs(v) for c in coords for v in c)
    for ring in (coords, coords[::-1]):
        for distance in test_distances(coords):
            check_closed(ring, distance, tol * (1 + abs(distance)))


def with_straight_vertices(coords, rng):
    """The same closed outline with points inserted on its edges, and started
    at one of them now and then."""
    out = [coords[0]]
    for a, b in zip(coords, coords[1:]):
        for _ in range(rng.choice((0, 0, 1, 2))):
            t = rng.choice((0.25, 0.5, 0.75))
            out.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
        out.append(b)
    if rng.random() < 0.5:  # start in the middle of a side
        k = rng.randrange(len(out) - 1)
        a, b = out[k], out[k + 1]
        m = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
        out = [m] + out[k + 1:-1] + out[:k + 1] + [m]
    return out


@pytest.mark.parametrize("seed", range(40))
def test_straight_on_vertices_change_nothing_walked_either_way(seed):
    rng = random.Random(seed)
    coords = rectilinear_room(rng, ROOM_KINDS[seed % len(ROOM_KINDS)])
    busy = with_straight_vertices(coords, rng)
    tol = 1e-9 * max(abs(v) for c in coords for v in c)
    for plain, extra in ((coords, busy), (coords[::-1], busy[::-1])):
        for distance in test_distances(coords):
            a, b = outcome(poly(plain).offset, distance), outcome(poly(extra).offset, distance)
            assert a[0] == b[0] and (a[1:] == b[1:] if a[0] == "raises" else True), (distance, a, b)
            if a[0] == "ok":
                assert_same_corners(xy(a[1]), xy(b[1]), tol * (1 + abs(distance)))


@pytest.mark.parametrize("seed", range(40))
def test_open_offsets_are_their_moved_edges_until_a_collapse_then_the_mitred_offset_curve(seed):
    rng = random.Random(seed)
    coords = outline_of(seed)
    chain = coords[:-1] if seed % 2 else coords[rng.randrange(len(coords) - 3):-1]
    tol = 1e-9 * max(abs(v) for c in coords for v in c)
    line = shapely.LineString(chain)
    twin = Twin(chain)
    for distance in test_distances(coords):
        got = outcome(poly(chain).offset, distance)
        source = poly(chain).find_discontinuity()[::1 if distance >= 0 else -1]
        if min(Polyline(source).degenerate_distance().values()) > abs(distance):
            # Nothing collapses: the moved edges met at their mitres, bit for
            # bit, crossing themselves where they do (a chain of a room
            # shrunk crosses where its two ends meet).
            agree(twin, "offset", distance)
            continue
        expected = shapely.offset_curve(line, -distance, join_style="mitre", mitre_limit=1e9)
        if got[0] == "raises":  # swallowed by the band, or falls apart: so does shapely's
            # (the count of parts may differ: shapely also drops slivers of its own)
            assert got[1:] == (IndexError, COLLAPSES) and expected.is_empty or got[1] is ValueError and got[
                2].startswith("The offset splits the polyline into") and expected.geom_type == "MultiLineString", (
                got, expected)
            continue
        result = shapely.LineString(xy(got[1]))
        assert result.is_simple
        if expected.geom_type != "LineString":
            continue
        near = tol * (1 + abs(distance)) * 10
        if result.length != pytest.approx(expected.length, rel=1e-9):
            # shapely keeps a bit of its round end where the offset meets
            # it: ours is its line less that bit.
            assert result.difference(expected.buffer(near)).length <= near
            extra = expected.difference(result.buffer(near))
            for piece in getattr(extra, "geoms", [extra]):
                for q in piece.coords:  # in the round ends' discs
                    assert min(math.dist(q, chain[0]), math.dist(q, chain[-1])) <= abs(distance) * (1 + 1e-6)
            continue
        assert result.hausdorff_distance(expected) <= near
        ends, theirs = [xy(got[1])[0], xy(got[1])[-1]], list(expected.coords)
        if ends[0] != ends[-1]:  # not a loop: from beside the start to beside the end (reversed when negative)
            ends = ends[::-1] if distance < 0 else ends
            assert math.dist(ends[0], theirs[0]) <= 1e-3 * abs(distance) and math.dist(ends[1], theirs[-1]) <= 1e-3 * abs(
                distance), (ends, theirs)


@pytest.mark.parametrize("coords, distance, expected", [
    # An L of a real plan, inwards: one small rectangle, two parts, nothing.
    ([(0, 123), (0, 37), (53, 37), (53, 0), (122, 0), (122, 82), (102, 82), (102, 123), (0, 123)], -40,
     [(40, 83), (62, 83), (62, 77), (40, 77), (40, 83)]),
    ([(0, 123), (0, 37), (53, 37), (53, 0), (122, 0), (122, 82), (102, 82), (102, 123), (0, 123)], -30,
     (ValueError, "The offset splits the outline into 2 parts.")),
    ([(0, 123), (0, 37), (53, 37), (53, 0), (122, 0), (122, 82), (102, 82), (102, 123), (0, 123)], -100,
     (IndexError, COLLAPSES)),
    # A reflex corner that runs into the bottom edge: one small triangle.
    ([(1, 1), (9, 3), (5, 4), (4, 3), (4, 9), (1, 1)], -1,
     [(2.605011443383555, 2.4320292672503037), (3.0, 3.4853320848941562), (3.0, 2.530776406404415),
      (2.605011443383555, 2.4320292672503037)]),
    # A straight-on closing vertex, walked backwards: the same strip as forwards.
    ([(110, 172), (110, 192), (138, 192), (138, 172), (129, 172), (129, 138), (110, 138), (110, 172)], 9.8,
     [(119.8, 181.8), (119.8, 182.2), (128.2, 182.2), (128.2, 181.8), (119.8, 181.8)]),
    # A room round a yard, its narrow way in closed by growing: a hole.
    ([(0, 0), (20, 0), (20, 20), (11, 20), (11, 16), (16, 16), (16, 4), (4, 4), (4, 16), (9, 16), (9, 20), (0, 20),
      (0, 0)], 1.5,
     (ValueError, "The offset splits the outline into 1 part around 1 hole.")),
    # An open tab wider than it is deep: swallowed whole.
    ([(0, 0), (10, 0), (10, 1), (11, 1), (11, 0), (20, 0)], 1, [(0, -1), (20, -1)]),
])
def test_offsets_past_collapse_table(coords, distance, expected):
    got = outcome(poly(coords).offset, distance)
    if isinstance(expected, tuple):
        assert got[1:] == expected
    else:
        assert got[0] == "ok"
        flat = [c for pair in xy(got[1]) for c in pair]
        assert flat == pytest.approx([float(c) for pair in expected for c in pair], abs=1e-9)


def test_a_split_offset_of_an_open_polyline_is_refused():
    spiral = Polyline([Point(x, y) for x, y in [(0, 2), (0, -1), (-4, 0), (1, 1)]])
    with pytest.raises(ValueError, match="The offset splits the polyline into 2 parts."):
        spiral.offset(1)


@pytest.mark.parametrize("teeth", [3, 120])
def test_many_corners_in_one_column(teeth):
    """A saw of equal teeth along a wall: their tips, their mitres and the
    points where neighbouring teeth meet line up in columns of more points
    than the sweeps along x take in one window."""
    coords = [(0.0, 0.0), (4.0, 0.0)]
    for k in range(teeth):
        coords += [(4.0, 2.0 * k + 1), (2.0, 2.0 * k + 2)]
    coords += [(0.0, 2.0 * teeth), (0.0, 0.0)]
    for ring in (coords, coords[::-1]):
        for distance in (0.2, -0.2, 0.6, -0.6, 1.5, -1.5):
            check_closed(ring, distance, 1e-9 * teeth)


def floor_of_rooms(rooms, rng, origin):
    """A counter-clockwise floor outline with `rooms` rooms 0.6 to 1.2 m wide
    along its top, 0.6 to 1.2 m apart, to the centimetre: grown or shrunk by
    more than 0.3 m, gaps and rooms close up one by one, each with crossings
    of its own."""
    ox, oy = origin
    x, top = 0.0, []
    for _ in range(rooms):
        w, g, h = round(rng.uniform(0.6, 1.2), 2), round(rng.uniform(0.6, 1.2), 2), round(rng.uniform(1, 3), 2)
        top += [(x, 10.0), (x, 10.0 + h), (x + w, 10.0 + h), (x + w, 10.0)]
        x = round(x + w + g, 2)
    pts = [(0.0, 0.0), (x, 0.0), (x, 10.0)] + top[::-1]
    return [(ox + px, oy + py) for px, py in pts + [pts[0]]]


@pytest.mark.parametrize("origin", [(0.0, 0.0), (123456.0, -65432.0)])
def test_a_floor_of_many_rooms_past_its_collapses(origin):
    rng = random.Random(7)
    coords = floor_of_rooms(40, rng, origin)
    for distance in (0.25, 0.4, 0.45, -0.25, -0.4, -0.45):
        check_closed(coords, distance, 1e-9 * (1 + max(abs(v) for c in coords for v in c)))


def test_offsets_in_threads_agree():
    """Working arrays are kept per thread: offsets on several threads at once
    give what one thread gives."""
    import threading
    coords = floor_of_rooms(60, random.Random(3), (0.0, 0.0))
    expected = {d: xy(poly(coords).offset(d)) for d in (0.4, -0.4)}
    results, errors = [], []

    def run():
        try:
            for _ in range(5):
                for d in expected:
                    results.append((d, xy(poly(coords).offset(d))))
        except Exception as e:  # noqa: BLE001 - reported below
            errors.append(e)

    threads = [threading.Thread(target=run) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not errors
    assert len(results) == 40 and all(got == expected[d] for d, got in results)


@pytest.mark.parametrize("spikes", [7, 48])
def test_a_star_whose_spikes_cross_near_one_point(spikes):
    """Spikes round a small hub: grown, the moved spike sides cross each
    other over and over near the hub; shrunk, the spikes vanish one by one."""
    coords = []
    for k in range(2 * spikes):
        r = 10.0 if k % 2 == 0 else 0.3
        a = math.pi * k / spikes
        coords.append((r * math.cos(a), r * math.sin(a)))
    coords.append(coords[0])
    for distance in (0.05, 0.3, 1.0, 3.0, -0.05, -0.1, -0.2):
        check_closed(coords, distance, 1e-9 * (1 + abs(distance)) * 10)
