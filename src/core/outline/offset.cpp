#include "core/outline/offset.hpp"

#include "core/outline/offset_region.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <tuple>

namespace geom {

namespace {

struct Edge {
    Vec2 start, end;
};

// The edge from a to b moved by `distance` to its right.
Edge moved_edge(Vec2 a, Vec2 b, double distance, double flat_eps, Fault &fault) {
    Vec2 u = checked_unit(b - a, flat_eps, fault);
    Vec2 shift = right_normal(u) * distance;
    return {a + shift, b + shift};
}

std::optional<Vec2> crossing(const Edge &e, const Edge &f, double flat_eps) {
    return line_intersection(e.start, e.end, f.start, f.end, flat_eps);
}

}  // namespace

std::vector<std::size_t> without_straight_vertices(std::span<const Vec2> pts) {
    std::size_t n = pts.size();
    if (n < 2)
        return {0, 0};
    // Exact repeats (equal coordinates; NaN repeats nothing) first.
    auto same = [&](std::size_t i, std::size_t j) { return pts[i].x == pts[j].x && pts[i].y == pts[j].y; };
    std::vector<std::size_t> distinct{0};
    for (std::size_t i = 1; i + 1 < n; ++i)
        if (!same(i, distinct.back()))
            distinct.push_back(i);
    if (distinct.size() > 1 && same(n - 1, distinct.back()))
        distinct.back() = n - 1;
    else
        distinct.push_back(n - 1);
    std::vector<std::size_t> keep{0};
    for (std::size_t k = 1; k + 1 < distinct.size(); ++k) {
        Vec2 a = pts[distinct[k - 1]], b = pts[distinct[k]], c = pts[distinct[k + 1]];
        if (cross(b - a, c - b) != 0)
            keep.push_back(distinct[k]);
    }
    keep.push_back(n - 1);
    return keep;
}

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

// How far the end of edge a and the start of the next edge b move along
// their lines, per unit of distance to the right: tan of half the turn from
// a into b (a left turn lengthens both).  0 where either edge is no longer
// than the point tolerance (it has no direction) or the edges run straight
// on; -inf where they double back, or so nearly that the tangent has no
// float.
double half_turn_tangent(Vec2 a, double la, Vec2 b, double lb, double flat_eps) {
    if (!(la > flat_eps && lb > flat_eps))
        return 0.0;
    double c = cross(a, b), d = dot(a, b);
    if (c == 0)
        return d < 0 ? -inf : 0.0;
    double den = la * lb + d;
    if (!(den > 0))
        return c > 0 ? inf : -inf;
    return c / den;
}

// The distance at which an edge of this length, whose ends move by `grow`
// per unit of distance in all, shrinks to nothing.
double collapse_at(double length, double grow) {
    if (length == 0)
        return 0.0;
    if (grow < 0)
        return length / -grow;
    return inf;
}

// The edges of a polyline and the junction tangents between them (the one
// at the closing vertex of a closed polyline included; 0 at open ends).
struct Edges {
    std::vector<Vec2> vec;
    std::vector<double> len, start_turn, end_turn;
};
Edges edges_of(std::span<const Vec2> pts, bool closed, double flat_eps, Fault &fault) {
    std::size_t n = pts.size() < 2 ? 0 : pts.size() - 1;
    Edges e;
    e.vec.resize(n);
    e.len.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        e.vec[i] = pts[i + 1] - pts[i];
        e.len[i] = checked_magnitude(e.vec[i], fault);
    }
    e.start_turn.assign(n, 0.0);
    e.end_turn.assign(n, 0.0);
    for (std::size_t i = 0; i + 1 < n; ++i)
        e.end_turn[i] = e.start_turn[i + 1] =
            half_turn_tangent(e.vec[i], e.len[i], e.vec[i + 1], e.len[i + 1], flat_eps);
    if (closed && n >= 2)
        e.end_turn[n - 1] = e.start_turn[0] =
            half_turn_tangent(e.vec[n - 1], e.len[n - 1], e.vec[0], e.len[0], flat_eps);
    return e;
}

// Each edge's collapse distance from its length and the turns at its ends.
std::vector<double> limits_of(const Edges &e) {
    std::vector<double> table(e.len.size());
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = collapse_at(e.len[i], e.start_turn[i] + e.end_turn[i]);
    return table;
}

}  // namespace

std::vector<double> collapse_limits(std::span<const Vec2> pts, bool closed, double flat_eps, Fault &fault) {
    return limits_of(edges_of(pts, closed, flat_eps, fault));
}

namespace {

// The edges that an offset by `distance` keeps.  Edges collapse one at a
// time, nearest distance first: a dropped edge's neighbours then meet at the
// crossing of their own lines, so their lengths and collapse distances are
// measured anew from there.  Each edge's moved ends lie on its line at
// start - start_turn * d and end + end_turn * d (arc lengths from its first
// point).  Empty when the outline collapses: every edge of an open polyline,
// or all but two of a closed one.
std::vector<bool> kept_edges(std::span<const Vec2> pts, bool closed, double distance, double flat_eps,
                             Fault &fault) {
    Edges e = edges_of(pts, closed, flat_eps, fault);
    std::size_t n = e.len.size();
    std::vector<double> at = limits_of(e), start(n, 0.0), end(e.len);
    std::vector<bool> alive(n, true);
    if (!(distance == distance))
        return {};
    if (distance == 0)
        return alive;  // nothing moves, so nothing collapses
    using Event = std::tuple<double, std::size_t, unsigned>;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> events;
    std::vector<unsigned> stamp(n, 0);
    for (std::size_t i = 0; i < n; ++i)
        if (at[i] <= distance)
            events.emplace(at[i], i, 0u);
    if (events.empty())
        return alive;
    std::vector<std::size_t> prev(n), next(n);
    for (std::size_t i = 0; i < n; ++i) {
        prev[i] = i > 0 ? i - 1 : (closed ? n - 1 : npos);
        next[i] = i + 1 < n ? i + 1 : (closed ? 0 : npos);
    }
    auto schedule = [&](std::size_t k, double d) {
        at[k] = d;
        ++stamp[k];
        if (d <= distance)
            events.emplace(d, k, stamp[k]);
    };
    auto length_at = [&](std::size_t k, double d) {
        return (end[k] + e.end_turn[k] * d) - (start[k] - e.start_turn[k] * d);
    };
    auto refresh = [&](std::size_t k, double now) {
        double length_now = length_at(k, now);
        double grow = e.start_turn[k] + e.end_turn[k];
        double d = inf;
        if (!(length_now > 0)) {
            d = now;
        } else if (grow < 0) {
            double r = (end[k] - start[k]) / -grow;
            d = r < now ? now : r;
        }
        schedule(k, d);
    };
    std::size_t count = n;
    while (!events.empty()) {
        auto [now, k, version] = events.top();
        events.pop();
        if (!alive[k] || version != stamp[k])
            continue;
        alive[k] = false;
        --count;
        if (count == 0 || (closed && count < 3))
            return {};
        std::size_t p = prev[k], q = next[k];
        if (p != npos)
            next[p] = q;
        if (q != npos)
            prev[q] = p;
        if (p == npos) {  // the first edge of an open polyline: the next one starts at its own start
            start[q] = 0.0;
            e.start_turn[q] = 0.0;
            refresh(q, now);
        } else if (q == npos) {
            end[p] = e.len[p];
            e.end_turn[p] = 0.0;
            refresh(p, now);
        } else {
            Vec2 ep = e.vec[p], eq = e.vec[q];
            double c = cross(ep, eq);
            if (c == 0 && dot(ep, eq) < 0 && e.len[p] > flat_eps && e.len[q] > flat_eps) {
                // Lines that double back: the two edges lie on one line, out
                // from the point where the dropped edge vanished and back.
                // The shorter one goes (both when equal); the other keeps its
                // ends until it meets the shorter one's neighbour.
                double lp = length_at(p, now), lq = length_at(q, now);
                if (!(lq < lp))
                    schedule(p, now);
                if (!(lp < lq))
                    schedule(q, now);
                continue;
            }
            if (c == 0 || !(e.len[p] > flat_eps && e.len[q] > flat_eps)) {
                // No crossing to measure from: each keeps the end it had here.
                end[p] = end[p] + e.end_turn[p] * now;
                e.end_turn[p] = 0.0;
                start[q] = start[q] - e.start_turn[q] * now;
                e.start_turn[q] = 0.0;
            } else {
                Vec2 w = pts[q] - pts[p];
                end[p] = (cross(w, eq) / c) * e.len[p];
                start[q] = (cross(w, ep) / c) * e.len[q];
                e.end_turn[p] = e.start_turn[q] = half_turn_tangent(ep, e.len[p], eq, e.len[q], flat_eps);
            }
            refresh(p, now);
            refresh(q, now);
        }
    }
    return alive;
}

}  // namespace

namespace {

// The kept edges of a closed polyline whose closing vertex runs straight on:
// judged with its two edges as one, starting at the next vertex.
std::vector<Vec2> turned_ring(std::span<const Vec2> pts) {
    std::vector<Vec2> turned(pts.begin() + 1, pts.end() - 1);
    turned.push_back(pts[1]);
    return turned;
}

std::vector<bool> kept_edges_across_start(std::span<const Vec2> pts, double distance, double flat_eps,
                                          Fault &fault) {
    std::size_t n = pts.size() - 1;
    std::vector<bool> k = kept_edges(turned_ring(pts), true, distance, flat_eps, fault);
    if (k.empty())
        return k;
    std::vector<bool> keep(n);
    for (std::size_t i = 0; i + 1 < k.size(); ++i)
        keep[i + 1] = k[i];
    keep[0] = keep[n - 1] = k.back();
    return keep;
}

bool straight_start(std::span<const Vec2> pts, double flat_eps) {
    if (pts.size() < 5)
        return false;
    Vec2 a = pts[pts.size() - 1] - pts[pts.size() - 2], b = pts[1] - pts[0];
    return cross(a, b) == 0 && dot(a, b) > 0 && std::hypot(a.x, a.y) > flat_eps && std::hypot(b.x, b.y) > flat_eps;
}

// An edge no longer than the point tolerance has no direction of its own.
bool has_point_edge(std::span<const Vec2> pts, double flat_eps) {
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        double dx = pts[i + 1].x - pts[i].x, dy = pts[i + 1].y - pts[i].y;
        if (std::fabs(dx) <= flat_eps && std::fabs(dy) <= flat_eps && std::hypot(dx, dy) <= flat_eps)
            return true;  // (the length is at least either side's, so only then)
    }
    return false;
}

}  // namespace

namespace {

// The points in the order an offset by `distance` walks them, reversed for
// a negative distance, which then becomes its size.
std::vector<Vec2> walked(std::span<const Vec2> pts, double &distance) {
    std::vector<Vec2> work(pts.begin(), pts.end());
    if (distance < 0) {
        std::reverse(work.begin(), work.end());
        distance = std::fabs(distance);
    }
    return work;
}

// The edges keep[i] of `work` moved by `distance`, their lines crossed one
// after the other (parallel neighbours leave no corner), as r's points.
// Closed: the crossing of the first and last moved edges starts and ends
// them (their moved joint when they are parallel); open: the start of the
// first and the end of the last moved edge.  How many edges were kept.
std::size_t join_kept_edges(std::span<const Vec2> work, const std::vector<bool> &keep, bool closed, double distance,
                            Tolerances tol, OffsetResult &r) {
    std::vector<Edge> kept;
    for (std::size_t i = 0; i < keep.size(); ++i)
        if (keep[i])
            kept.push_back(moved_edge(work[i], work[i + 1], distance, tol.flat, r.fault));
    std::vector<Vec2> corners;
    for (std::size_t j = 0; j + 1 < kept.size(); ++j)
        if (std::optional<Vec2> p = crossing(kept[j], kept[j + 1], tol.flat))
            corners.push_back(*p);
    if (!kept.empty() && closed) {
        // Parallel first and last edges (a start in the middle of a side)
        // meet at their moved joint.
        Vec2 w = crossing(kept.front(), kept.back(), tol.flat).value_or(kept.front().start);
        r.points.push_back(w);
        r.points.insert(r.points.end(), corners.begin(), corners.end());
        r.points.push_back(w);
        r.same_ends = true;
    } else if (!kept.empty()) {
        r.points.push_back(kept.front().start);
        r.points.insert(r.points.end(), corners.begin(), corners.end());
        r.points.push_back(kept.back().end);
    }
    return kept.size();
}

// The points less `origin`.
std::vector<Vec2> about(std::span<const Vec2> pts, Vec2 origin) {
    std::vector<Vec2> out;
    out.reserve(pts.size());
    for (Vec2 p : pts)
        out.push_back(p - origin);
    return out;
}

// The result r rebuilt from the region the raw curve winds round, taken
// about `origin` and moved back.
OffsetResult rebuilt(std::span<const Vec2> work, Vec2 origin, bool closed, double distance, const Interrupt &stop,
                     OffsetResult &r) {
    OffsetRegion region = mitred_offset(about(work, origin), closed, distance, stop);
    r.points = std::move(region.points);
    r.same_ends = !r.points.empty() && r.points.front().x == r.points.back().x &&
                  r.points.front().y == r.points.back().y;
    for (Vec2 &p : r.points)
        p = p + origin;
    r.parts = region.parts;
    r.holes = region.holes;
    r.no_edge = region.parts == 0;
    return std::move(r);
}

}  // namespace

OffsetResult offset_polyline(std::span<const Vec2> pts, bool closed, double distance, Tolerances tol,
                             const Interrupt &stop) {
    OffsetResult r;
    std::vector<Vec2> work = walked(pts, distance);
    // Tests and rebuilds are taken about the first point.
    Vec2 origin = pts.empty() ? Vec2{0, 0} : pts.front();
    bool across_start = closed && straight_start(work, tol.flat);
    // Nothing moved, a point that is not a number, or an edge no longer than
    // the point tolerance: the edge-by-edge offset stands.  So it does for an
    // outline of no area (no inside to move into) that does not cross itself.
    bool measured = distance != 0 && distance == distance && all_finite(work) && !has_point_edge(work, tol.flat);
    bool flat_outline = closed && (work.size() < 4 || twice_area_from_first(work) == 0);
    bool collapses = false;
    if (measured) {
        std::vector<Vec2> turned = across_start ? turned_ring(work) : std::vector<Vec2>{};
        std::vector<double> limits = collapse_limits(across_start ? turned : work, closed, tol.flat, r.fault);
        collapses = std::any_of(limits.begin(), limits.end(), [&](double d) { return d <= distance; });
    }
    auto crosses = [&] { return closed && ring_crosses_itself(about(work, origin), tol, stop); };
    if (measured && collapses && crosses()) {
        r.crosses_itself = true;
        return r;
    }
    // An edge that collapses within the distance: the offset is rebuilt
    // from the raw curve, and dropping edges one by one is not needed.
    if (measured && collapses && !flat_outline)
        return rebuilt(work, origin, closed, distance, stop, r);
    std::vector<bool> keep = across_start ? kept_edges_across_start(work, distance, tol.flat, r.fault)
                                          : kept_edges(work, closed, distance, tol.flat, r.fault);
    std::size_t kept = join_kept_edges(work, keep, closed, distance, tol, r);
    if (!measured || flat_outline) {
        r.no_edge = kept == 0;
        return r;
    }
    // Nothing collapses.  An open polyline's offset is then its edges moved
    // one by one, crossing itself wherever it does, and so is a closed
    // outline's that crosses itself; a simple outline's is rebuilt where a
    // corner runs into a far side or the outline splits.
    bool dropped = kept != work.size() - 1;
    if (!dropped && (!closed || edgewise_offset_holds(work, distance, r.points, tol, stop) || crosses()))
        return r;
    return rebuilt(work, origin, closed, distance, stop, r);
}

OffsetResult edge_by_edge_offset(std::span<const Vec2> pts, double distance, Tolerances tol) {
    OffsetResult r;
    std::vector<Vec2> work = walked(pts, distance);
    std::vector<double> limits = collapse_limits(work, false, tol.flat, r.fault);
    std::vector<bool> keep(limits.size());
    for (std::size_t i = 0; i < limits.size(); ++i)
        keep[i] = limits[i] >= distance;
    r.no_edge = join_kept_edges(work, keep, false, distance, tol, r) == 0;
    return r;
}

bool strip_measured(std::span<const Vec2> pts, double half_width, double flat_eps) {
    double width = std::fabs(half_width);
    return width > 0 && width < inf && pts.size() >= 2 && all_finite(pts) && !has_point_edge(pts, flat_eps);
}

StripOutline bar_strip(std::span<const Vec2> pts, double half_width, std::span<const Vec2> lofted, Tolerances tol,
                       const Interrupt &stop) {
    StripOutline r;
    std::vector<Vec2> work = walked(pts, half_width);
    if (!strip_measured(work, half_width, tol.flat))
        return r;  // the rails moved edge by edge stand
    std::vector<Vec2> back(work.rbegin(), work.rend());
    Fault fault = Fault::none;
    std::vector<double> limits = collapse_limits(work, false, tol.flat, fault);
    std::vector<double> back_limits = collapse_limits(back, false, tol.flat, fault);
    limits.insert(limits.end(), back_limits.begin(), back_limits.end());
    if (fault != Fault::none)
        return r;
    bool collapses = std::any_of(limits.begin(), limits.end(), [&](double d) { return d <= half_width; });
    if (!collapses && lofted_strip_holds(work, half_width, lofted, tol, stop))
        return r;
    OffsetRegion region = strip_region(work, half_width, stop);
    // Rails rebuilt past a collapse are lofted into the strip as well where
    // the corners agree.
    double scale = half_width;
    for (Vec2 p : work)
        scale = std::max(scale, std::max(std::fabs(p.x), std::fabs(p.y)));
    auto near = [tol = 1e-9 * scale](Vec2 p, Vec2 q) { return std::fabs(p.x - q.x) <= tol && std::fabs(p.y - q.y) <= tol; };
    if (region.parts == 1 && region.holes == 0 && region.points.size() == lofted.size() &&
        std::equal(lofted.begin(), lofted.end(), region.points.begin(), near))
        return r;
    r.lofted = false;
    r.points = std::move(region.points);
    r.parts = region.parts;
    r.holes = region.holes;
    return r;
}

std::vector<Vec2> unequal_offset_corners(std::span<const Vec2> pts, std::span<const double> distances,
                                         Tolerances tol, Fault &fault) {
    std::size_t n = distances.size();
    std::vector<Edge> lines(n);
    for (std::size_t i = 0; i < n; ++i)
        lines[i] = moved_edge(pts[i], pts[i + 1], distances[i], tol.flat, fault);
    std::vector<Vec2> corners;
    corners.reserve(n + 1);
    for (std::size_t i = 0; i < n; ++i) {
        const Edge &a = lines[i], &b = lines[(i + 1) % n];
        if (std::optional<Vec2> p = crossing(a, b, tol.flat)) {
            corners.push_back(*p);
        } else if (tolerant_equal(a.end, b.start, tol.flat)) {
            corners.push_back(a.end);  // the lines meet at their moved shared vertex
        } else {
            corners.push_back(a.end);
            corners.push_back(b.start);
        }
    }
    return corners;
}

}  // namespace geom
