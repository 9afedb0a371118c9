"""The true mitred offset of a polyline, in plain steps on shapely shapes:
what Polyline.offset rebuilds where moving the edges one by one stops being
exact (an edge collapses, a corner runs into a far side, the outline
splits).

The raw offset curve moves every edge by the distance to its right and
joins two moved edges at a left turn by their mitre, at a right turn through
the original vertex. Its winding number counts the rectangles the moved
edges sweep and the mitres' kites that hold a point, plus the outline's own
winding. A closed outline's offset is where that count, signed so that the
offset side counts positive, is at least 1; an open polyline's offset is the
part of the boundary of its two-sided band (both sides' raw curves, round
ends) that lies on the right side's moved edges. The rings of the result are
then read back as the module reads them: runs on one moved line are one
edge, the outline runs the way the points are walked and starts where its
stretch on the earliest surviving moved line begins."""

import math

import numpy as np
import shapely
from shapely.geometry import LineString, Polygon


def _moved(pts, distance):
    out = []
    for (ax, ay), (bx, by) in zip(pts, pts[1:]):
        length = math.hypot(bx - ax, by - ay)
        ux, uy = ((bx - ax) / length, (by - ay) / length) if length > 0 else (0.0, 0.0)
        nx, ny = uy * distance, -ux * distance
        out.append(((ax + nx, ay + ny), (bx + nx, by + ny), (ux, uy)))
    return out


def _join(e, f):
    c = e[2][0] * f[2][1] - e[2][1] * f[2][0]
    if c > 0:
        return "mitre"
    if c < 0 or e[2][0] * f[2][0] + e[2][1] * f[2][1] < 0:
        return "vertex"
    return "straight"


def _mitre_point(e, f):
    (bx, by), (ux, uy), (fx, fy), (vx, vy) = e[1], e[2], f[0], f[2]
    t = ((fx - bx) * vy - (fy - by) * vx) / (ux * vy - uy * vx)
    return (bx + ux * t, by + uy * t)


def _side(pts, distance, closed):
    """The shapes one side of the moved edges sweeps, and the raw curve's
    pieces on that side: (segment, moved line or None)."""
    e = _moved(pts, distance)
    n = len(e)
    shapes, pieces = [], []
    for i in range(n):
        shapes.append(Polygon([pts[i], pts[i + 1], e[i][1], e[i][0]]))
        pieces.append(((e[i][0], e[i][1]), i))
        if not (i + 1 < n or closed):
            continue
        j = (i + 1) % n
        kind = _join(e[i], e[j])
        if kind == "mitre":
            m = _mitre_point(e[i], e[j])
            shapes.append(Polygon([pts[i + 1], e[i][1], m, e[j][0]]))
            pieces += [((e[i][1], m), i), ((m, e[j][0]), j)]
        elif kind == "vertex":
            pieces += [((e[i][1], pts[i + 1]), None), ((pts[i + 1], e[j][0]), None)]
    return shapes, pieces


class _Lines:
    """Which raw-curve piece each step of a result ring lies on."""

    def __init__(self, pieces, tol):
        self.pieces, self.tol = pieces, tol
        self.tree = shapely.STRtree([LineString(seg) for seg, _ in pieces])

    def line_of(self, p, q):
        """(on a piece, the smallest moved line of the pieces it lies on)."""
        step = LineString([p, q])
        found, best = False, None
        for k in self.tree.query(step, predicate="dwithin", distance=self.tol):
            seg = self.tree.geometries[k]
            if seg.distance(shapely.Point(p)) <= self.tol and seg.distance(shapely.Point(q)) <= self.tol:
                found = True
                line = self.pieces[k][1]
                if line is not None and (best is None or line < best):
                    best = line
        return found, best


def round_end(pts, distance):
    """The inner points of the sixteen equal chords round the last point of
    `pts`, from its right side to its left."""
    (ax, ay), (bx, by) = pts[-2], pts[-1]
    start, step = math.atan2(by - ay, bx - ax) - math.pi / 2, math.pi / 16
    return [(bx + distance * math.cos(start + k * step), by + distance * math.sin(start + k * step))
            for k in range(1, 16)]


def raw_curve(pts, distance, closed, carries):
    """The raw offset curve to the right: moved edges, mitres at left turns,
    the original vertex at right turns (and round the closing vertex when
    closed). Each point comes with whether the segment after it carries
    the offset (a moved edge or a mitre) when `carries`."""
    e = _moved(pts, distance)
    n, ring = len(e), []
    for i in range(n):
        ring.append((e[i][0], carries))
        if i + 1 == n and not closed:
            ring.append((e[i][1], False))
            break
        j = (i + 1) % n
        kind = _join(e[i], e[j])
        if kind == "mitre":
            ring += [(e[i][1], carries), (_mitre_point(e[i], e[j]), carries)]
        elif kind == "vertex":
            ring += [(e[i][1], False), (pts[i + 1], False)]
        else:
            ring.append((e[i][1], carries))
    return ring


def band_ring(pts, distance):
    """The boundary of an open polyline's band, as the points of a closed
    path: the right side's raw curve, the round end, the left side's raw
    curve, the round start."""
    ring = []
    for side, carries in ((pts, True), (pts[::-1], False)):
        ring += raw_curve(side, distance, False, carries)
        ring += [(q, False) for q in round_end(side, distance)]
    return ring


def wound_faces(ring):
    """The faces of the closed path `ring`, each with its winding number."""
    pts = np.array(ring, dtype=float)
    a, b = pts, np.roll(pts, -1, axis=0)
    lines = shapely.union_all([shapely.LineString([p, q]) for p, q in zip(a.tolist(), b.tolist()) if p != q])
    for face in shapely.get_parts(shapely.polygonize(shapely.get_parts(lines))):
        x, y = face.representative_point().coords[0]
        side = (b[:, 0] - a[:, 0]) * (y - a[:, 1]) - (b[:, 1] - a[:, 1]) * (x - a[:, 0])
        up = (a[:, 1] <= y) & (b[:, 1] > y) & (side > 0)
        down = (a[:, 1] > y) & (b[:, 1] <= y) & (side < 0)
        yield face, int(up.sum()) - int(down.sum())


def winding_region(ring, sign):
    """The faces of the closed path `ring` whose winding number times
    `sign` is at least 1, merged."""
    kept = [face for face, w in wound_faces(ring) if sign * w >= 1]
    return shapely.union_all(kept) if kept else shapely.Polygon()


def crosses_itself(ring):
    """The closed outline `ring` (first point repeated) winds round some
    face twice or the other way: two of its stretches cross."""
    twice = sum((a[0] - ring[0][0]) * (b[1] - ring[0][1]) - (a[1] - ring[0][1]) * (b[0] - ring[0][0])
                for a, b in zip(ring[1:], ring[2:]))
    sign = -1 if twice < 0 else 1
    return any(not 0 <= sign * w <= 1 for _, w in wound_faces(ring[:-1]))


def winding_number(ring, p):
    w = 0
    for (ax, ay), (bx, by) in zip(ring, ring[1:] + ring[:1]):
        side = (bx - ax) * (p[1] - ay) - (by - ay) * (p[0] - ax)
        if ay <= p[1] < by and side > 0:
            w += 1
        elif by <= p[1] < ay and side < 0:
            w -= 1
    return w


def _same_line(moved, tol, i, j):
    """Two moved lines are one: the same edge's, or running the same way
    through the same points."""
    if i is None or j is None:
        return False
    if i == j:
        return True
    (ax, ay), _, (ux, uy) = moved[i]
    (bx, by), _, (vx, vy) = moved[j]
    return abs(ux * vy - uy * vx) <= 1e-12 and ux * vx + uy * vy > 0 and abs(ux * (by - ay) - uy * (bx - ax)) <= tol


def _corners(ring, lines, same, first, steps, closed):
    m = len(ring)
    out = [ring[k % m] for k in range(first, first + steps) if k == first or not same(lines[(k - 1) % m], lines[k % m])]
    out.append(out[0] if closed else ring[(first + steps) % m])
    return out


def _start(ring, lines, same, moved):
    """Where the stretch on the earliest moved line begins (the earliest
    along that line when it has several)."""
    m, start, best = len(ring), 0, None
    for k in range(m):
        if lines[k] is None or same(lines[k - 1], lines[k]):
            continue
        earliest, j = lines[k], k + 1
        while j < k + m and same(lines[(j - 1) % m], lines[j % m]):
            earliest = min(earliest, lines[j % m])
            j += 1
        if best is not None and earliest > best[0]:
            continue
        along = ring[k][0] * moved[earliest][2][0] + ring[k][1] * moved[earliest][2][1]
        if best is None or earliest < best[0] or along < best[1]:
            best, start = (earliest, along), k
    return start


def _rings(geom, tol):
    """Shells counter-clockwise, holes clockwise, open (no repeat); slivers
    that the set operations leave are dropped."""
    def real(ring):
        return abs(shapely.Polygon(ring).area) > 1e-3 * tol * ring.length
    def points(ring):  # corners closer than the tolerance are one, as the module snaps them
        out = []
        for p in list(ring.coords)[:-1]:
            if not out or math.dist(p, out[-1]) > tol:
                out.append(p)
        while len(out) > 1 and math.dist(out[0], out[-1]) <= tol:
            out.pop()
        k = 0
        while len(out) > 3 and k < len(out):  # and spikes of no width are none
            a, b, c = out[k - 1], out[k], out[(k + 1) % len(out)]
            u, v = (b[0] - a[0], b[1] - a[1]), (c[0] - b[0], c[1] - b[1])
            if abs(u[0] * v[1] - u[1] * v[0]) <= tol * (math.hypot(*u) + math.hypot(*v)) and u[0] * v[0] + u[1] * v[1] < 0:
                del out[k]
                if math.dist(out[k - 1], out[k % len(out)]) <= tol:
                    del out[k % len(out)]
                k = max(k - 2, 0)
            else:
                k += 1
        return out
    parts = list(getattr(geom, "geoms", [geom])) if not geom.is_empty else []
    shells, holes = [], []
    for part in parts:
        if part.geom_type != "Polygon" or not real(part.exterior):
            continue
        part = shapely.orient_polygons(part)
        shells.append(points(part.exterior))
        holes += [points(r) for r in part.interiors if real(r)]
    return shells, holes


def strip_message(parts, holes):
    if holes:
        return (f"The bar's strip closes round {holes} {'hole' if holes == 1 else 'holes'}: its axis comes back "
                "within the bar's width of itself.")
    return "The bar's strip is not one outline."


def strip_side(pts, half_width):
    """One side of a strip's raw curve, as (point, moved line or None for the
    segment after it) pairs, and how many right turns it passes through the
    original vertex: a right turn whose moved edges cross (taking each from
    where the turn before cut it) is joined at the crossing instead."""
    e = _moved(pts, half_width)
    n = len(e)
    start, end = [m[0] for m in e], [m[1] for m in e]
    cut = [False] * n
    for i in range(n - 1):
        f = e[i + 1]
        if e[i][2][0] * f[2][1] - e[i][2][1] * f[2][0] < 0:
            x = _mitre_point(e[i], f)

            def along(p, q, u):
                return (p[0] - q[0]) * u[0] + (p[1] - q[1]) * u[1]
            if 0 <= along(x, start[i], e[i][2]) <= along(end[i], start[i], e[i][2]) and \
                    0 <= along(x, start[i + 1], f[2]) <= along(end[i + 1], start[i + 1], f[2]):
                end[i] = start[i + 1] = x
                cut[i] = True
    ring, through = [], 0
    for i in range(n):
        if not (i > 0 and _join(e[i - 1], e[i]) == "mitre"):  # a mitre runs on along this edge's line
            ring.append((start[i], i))
        if i + 1 == n:
            ring.append((end[i], None))
        elif cut[i]:
            continue
        elif _join(e[i], e[i + 1]) == "mitre":
            ring.append((_mitre_point(e[i], e[i + 1]), i + 1))
        elif _join(e[i], e[i + 1]) == "vertex":
            ring += [(end[i], None), (pts[i + 1], None)]
            through += 1
        else:
            ring.append((end[i], i + 1))
    return ring, through


def strip(pts, half_width):
    """The outline of the strip round the open polyline `pts` (cleaned):
    both sides' swept shapes, flat ends, as a closed list of coordinates
    running counter-clockwise from where its stretch on the first edge's
    right side begins; ValueError when it is not one polygon without
    holes."""
    pts = [p for k, p in enumerate(pts) if k == 0 or p != pts[k - 1]]
    back = pts[::-1]
    n = len(pts) - 1
    right = strip_side(pts, half_width)[0]
    left = [(p, None if line is None else line + n) for p, line in strip_side(back, half_width)[0]]
    raw = right + left
    scale = max([half_width] + [abs(c) for p, _ in raw for c in p])
    tol = 1e-9 * scale
    moved = _moved(pts, half_width) + _moved(back, half_width)
    pieces = [((p, raw[(k + 1) % len(raw)][0]), line) for k, (p, line) in enumerate(raw)]

    def same(i, j):
        return _same_line(moved, 1e-11 * scale, i, j)

    shells, holes = _rings(winding_region([p for p, _ in raw], 1), tol)
    if len(shells) != 1 or holes:
        raise ValueError(strip_message(len(shells), len(holes)))
    ring = shells[0]
    finder = _Lines(pieces, tol)
    m = len(ring)
    lines = [finder.line_of(ring[k], ring[(k + 1) % m])[1] for k in range(m)]
    return _corners(ring, lines, same, _start(ring, lines, same, moved), m, True)


def split_message(closed, parts, holes):
    def count(k, one, many):
        return f"{k} {one if k == 1 else many}"
    text = f"The offset splits the {'outline' if closed else 'polyline'} into {count(parts, 'part', 'parts')}"
    if holes:
        text += f" around {count(holes, 'hole', 'holes')}"
    return text + "."


def mitred_offset(pts, closed, distance):
    """The offset of the points `pts` (walking order, cleaned) by `distance`
    > 0 to the right, as a list of coordinates; IndexError when it is empty,
    ValueError when it falls apart."""
    pts = [p for k, p in enumerate(pts) if k == 0 or p != pts[k - 1]]  # exact repeats have no direction
    if len(pts) < 2:
        raise IndexError("The offset distance collapses the outline.")
    scale = max([distance] + [abs(c) for p in pts for c in p])
    tol = 1e-9 * scale
    shapes, pieces = _side(pts, distance, closed)
    moved = _moved(pts, distance)

    def same(i, j):
        return _same_line(moved, 1e-11 * scale, i, j)

    if closed:
        twice = sum((a[0] - pts[0][0]) * (b[1] - pts[0][1]) - (a[1] - pts[0][1]) * (b[0] - pts[0][0])
                    for a, b in zip(pts[1:], pts[2:]))
        sign = -1 if twice < 0 else 1
        region = winding_region([p for p, _ in raw_curve(pts, distance, True, True)], sign)
        shells, holes = _rings(region, tol)
        if not shells:
            raise IndexError("The offset distance collapses the outline.")
        if len(shells) != 1 or holes:
            raise ValueError(split_message(True, len(shells), len(holes)))
        ring = shells[0] if sign > 0 else shells[0][::-1]
        finder = _Lines(pieces, tol)
        m = len(ring)
        lines = [finder.line_of(ring[k], ring[(k + 1) % m])[1] for k in range(m)]
        return _corners(ring, lines, same, _start(ring, lines, same, moved), m, True)
    band = winding_region([p for p, _ in band_ring(pts, distance)], 1)
    shells, holes = _rings(band, tol)
    finder = _Lines(pieces, tol)
    runs, loops = [], 0
    for ring in shells + holes:
        m = len(ring)
        found = [finder.line_of(ring[k], ring[(k + 1) % m]) for k in range(m)]
        on = [f[0] for f in found]
        lines = [f[1] for f in found]
        if all(on):  # the curve closes on itself: its ends are covered
            loops += 1
            closing = _corners(ring, lines, same, 0, m, True)
            continue
        for k in range(m):
            if on[k] and not on[k - 1]:
                length = 0
                while on[(k + length) % m]:
                    length += 1
                runs.append((ring, lines, k, length))
    if len(runs) + loops == 0:
        raise IndexError("The offset distance collapses the outline.")
    if len(runs) + loops != 1:
        raise ValueError(split_message(False, len(runs) + loops, 0))
    if loops:
        return closing
    ring, lines, first, steps = runs[0]
    return _corners(ring, lines, same, first, steps, False)
