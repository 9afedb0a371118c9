#include "core/outline/offset_region.hpp"

#include "core/planar/arrangement.hpp"
#include "core/planar/scratch.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>

namespace geom {

namespace {

constexpr std::uint32_t no_line = std::numeric_limits<std::uint32_t>::max();

// An edge moved to its right; `u` its unit direction, zero for an edge of no
// length (which then has no moved line).
struct Moved {
    Vec2 a, b, u;
    double length;  // of the edge
};

scratch_vector<Moved> moved_edges(std::span<const Vec2> pts, double distance) {
    scratch_vector<Moved> out;
    out.reserve(pts.size());
    for (std::size_t i = 0; i + 1 < pts.size(); ++i) {
        Vec2 v = pts[i + 1] - pts[i];
        double len = std::sqrt(v.x * v.x + v.y * v.y);
        if (!(len > 0x1p-500 && len < 0x1p500))
            len = std::hypot(v.x, v.y);  // the squares would lose their digits
        Vec2 u = len > 0 ? Vec2{v.x / len, v.y / len} : Vec2{0, 0};
        Vec2 shift = right_normal(u) * distance;
        out.push_back({pts[i] + shift, pts[i + 1] + shift, u, len});
    }
    return out;
}

// Where moved edges e and f meet: the crossing of their lines at a left
// turn, nowhere at a right turn or a doubling back (the curve goes through
// the original vertex), their shared moved end where they run straight on.
enum class Join { mitre, vertex, straight };
Join join_of(const Moved &e, const Moved &f) {
    double c = cross(e.u, f.u);
    if (c > 0)
        return Join::mitre;
    if (c < 0 || dot(e.u, f.u) < 0)
        return Join::vertex;
    return Join::straight;
}

Vec2 mitre_point(const Moved &e, const Moved &f) {
    return e.b + e.u * (cross(f.a - e.b, f.u) / cross(e.u, f.u));
}

// A closed path of points; segment k runs from point k to point k + 1 (the
// last back to the first) and carries the moved line it lies on (no_line for
// a connection through an original vertex, or an end) and whether it is part
// of the offset side's curve.
struct RawRing {
    scratch_vector<Vec2> points;
    scratch_vector<std::uint32_t> line;
    scratch_vector<char> offset_side;

    void add(Vec2 p, std::uint32_t on_line, bool side) {
        points.push_back(p);
        line.push_back(on_line);
        offset_side.push_back(side);
    }
};

// Whether the moved edges e and f, from their current ends, meet at a right
// turn of at most a right angle inside both, and neither edge is shorter
// than how far the other's moved end reaches past the vertex: then the
// overlap cut off there (the crossing, the two moved ends, the vertex) lies
// in both edges' swept rectangles, so every point of it is counted twice
// and cutting it changes no region.  The crossing is what buffer builders
// join such edges with; it keeps a long run of shallow turns from making a
// crossing with every other edge.  With `any_turn`, every right turn whose
// moved edges cross is cut, as a flat-ended strip is drawn: the overlap is
// then left out even where part of it lies in one rectangle only.
std::optional<Vec2> cut_overlap(const Moved &e, Vec2 e_from, Vec2 e_to, const Moved &f, Vec2 f_from, Vec2 f_to,
                                double e_len, double f_len, double distance, bool any_turn) {
    double c = cross(e.u, f.u);
    if (!(c < 0) || (!any_turn && (dot(e.u, f.u) < 0 || distance * -c > std::min(e_len, f_len))))
        return std::nullopt;
    Vec2 x = mitre_point(e, f);
    double along_e = dot(x - e_from, e.u), along_f = dot(x - f_from, f.u);
    if (!(along_e >= 0 && along_e <= dot(e_to - e_from, e.u) && along_f >= 0 && along_f <= dot(f_to - f_from, f.u)))
        return std::nullopt;
    return x;
}

// The raw curve of `pts` moved to the right, appended to the ring: each
// moved edge, then its join with the next (with the first too when closed).
// The segment after the last point goes to whatever the caller adds next.
// Edge i lies on moved line first_line + i; `strip` cuts every right turn
// whose moved edges cross (see cut_overlap).  The number of joins through
// an original vertex.
std::size_t add_raw_curve(RawRing &ring, std::span<const Vec2> pts, const scratch_vector<Moved> &e, double distance,
                          bool closed, bool offset_side, std::uint32_t first_line = 0, bool strip = false) {
    std::size_t n = e.size();
    scratch_vector<Vec2> from(n), to(n);
    scratch_vector<double> len(n);
    scratch_vector<char> cut(n, false);  // the join after edge i is a crossing
    for (std::size_t i = 0; i < n; ++i) {
        from[i] = e[i].a;
        to[i] = e[i].b;
        len[i] = e[i].length;
    }
    auto try_cut = [&](std::size_t i, std::size_t j) {
        if (auto x = cut_overlap(e[i], from[i], to[i], e[j], from[j], to[j], len[i], len[j], distance, strip)) {
            to[i] = from[j] = *x;
            cut[i] = true;
        }
    };
    if (closed && n >= 2)
        try_cut(n - 1, 0);
    for (std::size_t i = 0; i + 1 < n; ++i)
        try_cut(i, i + 1);
    // A mitre joins two moved edges on their own lines, so the curve runs
    // from mitre to mitre without their moved ends in between (the same
    // path, as far as winding goes, in fewer pieces).
    auto mitred = [&](std::size_t i) {
        std::size_t j = i + 1 < n ? i + 1 : 0;
        return (i + 1 < n || closed) && !cut[i] && join_of(e[i], e[j]) == Join::mitre;
    };
    bool after_join = closed && n >= 2 && (cut[n - 1] || mitred(n - 1));  // the last join starts the ring
    std::size_t through_vertex = 0;
    for (std::size_t i = 0; i < n; ++i) {
        auto line = offset_side ? first_line + (std::uint32_t) i : no_line;
        if (!after_join)
            ring.add(from[i], line, offset_side);
        after_join = false;
        std::size_t j = i + 1 < n ? i + 1 : 0;
        if (!(i + 1 < n || closed)) {
            ring.add(to[i], no_line, false);
            continue;
        }
        auto next_line = offset_side ? first_line + (std::uint32_t) j : no_line;
        if (cut[i]) {
            if (j == 0)
                ring.add(to[i], next_line, offset_side);
            continue;
        }
        switch (join_of(e[i], e[j])) {
        case Join::mitre:
            ring.add(mitre_point(e[i], e[j]), next_line, offset_side);
            after_join = true;
            break;
        case Join::vertex:
            ring.add(to[i], no_line, offset_side);
            ring.add(pts[j], no_line, offset_side);
            ++through_vertex;
            break;
        case Join::straight:
            ring.add(to[i], next_line, offset_side);
            break;
        }
    }
    return through_vertex;
}

// The half circle round the last point of `pts`, from its right side to its
// left, as the inner points of sixteen equal chords: the end of a band that
// reaches `distance` from the polyline's end in every direction, drawn the
// way buffer builders draw a round end.
void add_round_end(RawRing &ring, std::span<const Vec2> pts, double distance) {
    Vec2 end = pts.back(), v = end - pts[pts.size() - 2];
    double from = std::atan2(v.y, v.x) - std::numbers::pi / 2, step = std::numbers::pi / 16;
    for (int k = 1; k < 16; ++k) {
        double a = from + k * step;
        ring.add({end.x + distance * std::cos(a), end.y + distance * std::sin(a)}, no_line, false);
    }
}

// The region of the raw ring whose winding number, times `sign`, is at
// least 1, with the segment of the raw ring behind every step of its rings.
struct Faces {
    arrangement::Region region;
    scratch_vector<Vec2> nodes;
    scratch_vector<std::uint32_t> segment_of;  // by link

    // The segment behind step k of a ring whose links are `steps`.
    std::uint32_t step(const std::vector<std::uint32_t> &steps, std::size_t k) const { return segment_of[steps[k]]; }
};

Faces faces_of(const RawRing &raw, int sign, double snap, const Interrupt &stop) {
    std::size_t m = raw.points.size();
    scratch_vector<arrangement::Edge> edges(m);
    for (std::size_t k = 0; k < m; ++k)
        edges[k] = {(std::uint32_t) k, (std::uint32_t)((k + 1) % m), 1};
    arrangement::Noded noded = arrangement::node(raw.points, edges, snap, stop);
    // Links that cancel out are kept: the ring stays one piece, so no face
    // needs to be found inside another.
    scratch_vector<std::uint32_t> link_of_piece;
    scratch_vector<arrangement::Link> links = arrangement::links(noded, edges, true, &link_of_piece);
    Faces f;
    f.region = arrangement::region(noded.nodes, links, [sign](std::int64_t w) { return w * sign >= 1; }, stop);
    // Where pieces of several segments lie on each other, the step belongs
    // to the offset side's curve if any of them does, and to the earliest
    // moved line among those.
    auto better = [&raw](std::uint32_t i, std::uint32_t j) {
        auto rank = [&raw](std::uint32_t k) { return raw.offset_side[k] ? (raw.line[k] != no_line ? 2 : 1) : 0; };
        return rank(i) > rank(j) || (rank(i) == rank(j) && rank(i) == 2 && raw.line[i] < raw.line[j]);
    };
    f.segment_of.assign(links.size(), no_line);
    for (std::size_t i = 0; i < m; ++i)
        for (std::uint32_t p = noded.first_piece[i]; p < noded.first_piece[i + 1]; ++p) {
            std::uint32_t &s = f.segment_of[link_of_piece[p]];
            if (s == no_line || better((std::uint32_t) i, s))
                s = (std::uint32_t) i;
        }
    f.nodes = std::move(noded.nodes);
    return f;
}

// The moved lines of the edges, and which of them are one line: the same
// edge's, or lines that run the same way through the same points (within
// the snap distance), as where an edge between two that run on from each
// other has gone.
struct MovedLines {
    scratch_vector<Moved> e;
    double snap = 0;

    bool same(std::uint32_t i, std::uint32_t j) const {
        if (i == no_line || j == no_line)
            return false;
        if (i == j)
            return true;
        const Moved &a = e[i], &b = e[j];
        return std::fabs(cross(a.u, b.u)) <= 1e-12 && dot(a.u, b.u) > 0 && std::fabs(cross(a.u, b.a - a.a)) <= snap;
    }
};

// The moved line under each step of a ring with those links (no_line off
// the moved lines).
std::vector<std::uint32_t> lines_of(const Faces &f, const RawRing &raw, const std::vector<std::uint32_t> &steps) {
    std::vector<std::uint32_t> out(steps.size());
    for (std::size_t k = 0; k < steps.size(); ++k) {
        std::uint32_t s = f.step(steps, k);
        out[k] = s == no_line ? no_line : raw.line[s];
    }
    return out;
}

// The corners of `steps` steps of a ring from step `first`: the nodes where
// the moved line changes, the first node always; closed, back to the first
// corner, open, on to the node after the last step.
std::vector<Vec2> corners_of(const Faces &f, const MovedLines &lines, const std::vector<std::uint32_t> &ring,
                             const std::vector<std::uint32_t> &line, std::size_t first, std::size_t steps,
                             bool closed) {
    std::size_t m = ring.size();
    std::vector<Vec2> out;
    for (std::size_t k = first; k < first + steps; ++k)
        if (k == first || !lines.same(line[(k - 1) % m], line[k % m]))
            out.push_back(f.nodes[ring[k % m]]);
    out.push_back(closed ? out.front() : f.nodes[ring[(first + steps) % m]]);
    return out;
}

// The step of a closed ring where the outline starts: where its stretch on
// the earliest moved line begins (a stretch on several lines that are one
// counts as on the earliest of them), the earliest along that line when
// there are several.
std::size_t start_of(const Faces &f, const MovedLines &lines, const std::vector<std::uint32_t> &ring,
                     const std::vector<std::uint32_t> &line) {
    std::size_t m = ring.size(), start = 0;
    std::uint32_t best_line = no_line;
    double best_along = 0;
    for (std::size_t k = 0; k < m; ++k) {
        if (line[k] == no_line || lines.same(line[(k + m - 1) % m], line[k]))
            continue;
        std::uint32_t earliest = line[k];
        for (std::size_t j = k + 1; j < k + m && lines.same(line[(j - 1) % m], line[j % m]); ++j)
            earliest = std::min(earliest, line[j % m]);
        if (earliest > best_line)
            continue;
        double along = dot(f.nodes[ring[k]], lines.e[earliest].u);
        if (earliest < best_line || along < best_along) {
            best_line = earliest;
            best_along = along;
            start = k;
        }
    }
    return start;
}

// The points without exact repeats, which have no direction to move in.
scratch_vector<Vec2> without_repeats(std::span<const Vec2> points) {
    scratch_vector<Vec2> pts;
    for (Vec2 p : points)
        if (pts.empty() || !(p.x == pts.back().x && p.y == pts.back().y))
            pts.push_back(p);
    return pts;
}

// Points this close are one corner: far below any building's detail, far
// above the rounding of the crossings.
double snap_of(std::span<const Vec2> points, double distance) {
    double scale = distance;
    for (Vec2 p : points)
        scale = std::max(scale, std::max(std::fabs(p.x), std::fabs(p.y)));
    return 1e-11 * scale;
}

// The counts of the region's outlines and holes and, when it is one outline
// without holes, its corners: walked the way its ring runs (back when
// `sign` < 0), from where its stretch on the earliest moved line begins.
void read_outline(const Faces &f, const MovedLines &lines, const RawRing &raw, int sign, OffsetRegion &r) {
    for (std::int32_t shell : f.region.shell_of)
        ++(shell < 0 ? r.parts : r.holes);
    if (r.parts != 1 || r.holes != 0)
        return;
    std::vector<std::uint32_t> ring = f.region.rings[0], steps = f.region.steps[0];
    if (sign < 0) {
        // Walked back: step k joins the nodes of steps m - 2 - k and, for
        // the last, m - 1.
        std::reverse(ring.begin(), ring.end());
        std::reverse(steps.begin(), steps.end() - 1);
    }
    std::vector<std::uint32_t> line = lines_of(f, raw, steps);
    r.points = corners_of(f, lines, ring, line, start_of(f, lines, ring, line), ring.size(), true);
}

}  // namespace

OffsetRegion mitred_offset(std::span<const Vec2> points, bool closed, double distance, const Interrupt &stop) {
    OffsetRegion r;
    scratch_vector<Vec2> pts = without_repeats(points);
    if (pts.size() < 2)
        return r;
    scratch_vector<Moved> moved = moved_edges(pts, distance);
    RawRing raw;
    int sign = 1;
    if (closed) {
        add_raw_curve(raw, pts, moved, distance, true, true);
        sign = twice_area_from_first(pts) < 0 ? -1 : 1;
    } else {
        // The two-sided band: down the right side, round the end, back up
        // the left side (the reversed polyline's right) and round the start.
        std::vector<Vec2> back(pts.rbegin(), pts.rend());
        add_raw_curve(raw, pts, moved, distance, false, true);
        add_round_end(raw, pts, distance);
        add_raw_curve(raw, back, moved_edges(back, distance), distance, false, false);
        add_round_end(raw, back, distance);
    }
    if (raw.points.size() < 3)
        return r;
    MovedLines lines{std::move(moved), snap_of(raw.points, distance)};
    Faces f = faces_of(raw, sign, lines.snap, stop);
    const auto &rings = f.region.rings;
    if (closed) {
        read_outline(f, lines, raw, sign, r);
        return r;
    }
    // Open: the stretches of the rings on the right side's curve.  Every
    // ring keeps the band on its left, so they run the polyline's way.
    std::size_t run_ring = 0, run_first = 0, run_steps = 0;
    std::vector<std::uint32_t> run_lines;
    bool whole_loop = false;  // the one piece closes on itself (the ends are covered)
    for (std::size_t g = 0; g < rings.size(); ++g) {
        const auto &ring = rings[g], &steps = f.region.steps[g];
        std::size_t m = ring.size();
        auto on_side = [&](std::size_t k) {
            std::uint32_t s = f.step(steps, k % m);
            return s != no_line && raw.offset_side[s];
        };
        std::size_t count = 0;
        for (std::size_t k = 0; k < m; ++k)
            count += on_side(k);
        if (count == m) {  // a loop of the curve alone
            ++r.parts;
            whole_loop = true;
            run_ring = g;
            run_lines = lines_of(f, raw, steps);
            continue;
        }
        for (std::size_t k = 0; k < m; ++k) {
            if (!on_side(k) || on_side(k + m - 1))
                continue;
            std::size_t len = 0;
            while (on_side(k + len))
                ++len;
            ++r.parts;
            run_ring = g;
            run_first = k;
            run_steps = len;
            run_lines = lines_of(f, raw, steps);
        }
    }
    if (r.parts == 1 && whole_loop)
        r.points = corners_of(f, lines, rings[run_ring], run_lines, 0, rings[run_ring].size(), true);
    else if (r.parts == 1)
        r.points = corners_of(f, lines, rings[run_ring], run_lines, run_first, run_steps, false);
    return r;
}

OffsetRegion strip_region(std::span<const Vec2> points, double half_width, const Interrupt &stop) {
    OffsetRegion r;
    scratch_vector<Vec2> pts = without_repeats(points);
    if (pts.size() < 2)
        return r;
    // Down the right side and back up the left (the reversed polyline's
    // right side, on moved lines n ..), each flat end one segment across.
    std::vector<Vec2> back(pts.rbegin(), pts.rend());
    scratch_vector<Moved> moved = moved_edges(pts, half_width), moved_back = moved_edges(back, half_width);
    std::uint32_t n = (std::uint32_t) moved.size();
    RawRing raw;
    add_raw_curve(raw, pts, moved, half_width, false, true, 0, true);
    add_raw_curve(raw, back, moved_back, half_width, false, true, n, true);
    moved.insert(moved.end(), moved_back.begin(), moved_back.end());
    MovedLines lines{std::move(moved), snap_of(raw.points, half_width)};
    Faces f = faces_of(raw, 1, lines.snap, stop);
    read_outline(f, lines, raw, 1, r);
    return r;
}

bool ring_crosses_itself(std::span<const Vec2> points, Tolerances tol, const Interrupt &stop) {
    if (!is_self_intersecting(points, true, tol, stop))
        return false;  // no two sides meet
    scratch_vector<Vec2> pts = without_repeats(points);
    if (pts.size() > 1 && pts.front().x == pts.back().x && pts.front().y == pts.back().y)
        pts.pop_back();
    std::size_t m = pts.size();
    if (m < 3)
        return false;
    scratch_vector<arrangement::Edge> edges(m);
    for (std::size_t k = 0; k < m; ++k)
        edges[k] = {(std::uint32_t) k, (std::uint32_t)((k + 1) % m), 1};
    arrangement::Noded noded = arrangement::node(pts, edges, snap_of(pts, 0.0), stop);
    scratch_vector<arrangement::Link> links = arrangement::links(noded, edges);
    // A simple or touching outline winds round every face it holds once,
    // its own way; a crossing leaves a face on one side wound twice or the
    // other way.
    int sign = twice_area_from_first(points) < 0 ? -1 : 1;
    auto other = [sign](std::int64_t w) { return w * sign < 0 || w * sign > 1; };
    return !arrangement::region(noded.nodes, links, other, stop).rings.empty();
}

bool all_finite(std::span<const Vec2> pts) {
    for (Vec2 p : pts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
    return true;
}

namespace {

struct Obstacle {
    Vec2 a, b;
    std::size_t skip1, skip2;  // edges of the moved outline it may touch
};

// Whether the edges of `moved` from edge `first` on run the way of the
// edges of `pts`, one for one.
bool runs_along(std::span<const Vec2> moved, std::size_t first, std::span<const Vec2> pts) {
    for (std::size_t k = 0; k + 1 < pts.size(); ++k)
        if (!(dot(moved[first + k + 1] - moved[first + k], pts[k + 1] - pts[k]) > 0))
            return false;
    return true;
}

}  // namespace

bool edgewise_offset_holds(std::span<const Vec2> pts, double distance, std::span<const Vec2> moved, Tolerances tol,
                           const Interrupt &stop) {
    std::size_t n = pts.size() < 2 ? 0 : pts.size() - 1;
    if (n == 0 || moved.size() != n + 1 || !all_finite(moved) || !runs_along(moved, 0, pts))
        return false;
    double before = twice_area_from_first(pts), after = twice_area_from_first(moved);
    if (!(before * after > 0))
        return false;
    if (is_self_intersecting(moved, true, tol, stop))
        return false;
    scratch_vector<Moved> e = moved_edges(pts, distance);
    std::vector<Obstacle> obstacles;
    // The overlap of the moved edges at a right turn that the raw curve
    // keeps (see cut_overlap): nothing of the result may reach into it.
    for (std::size_t i = 0; i < n; ++i) {
        std::size_t j = i + 1 < n ? i + 1 : 0;
        if (join_of(e[i], e[j]) != Join::vertex)
            continue;
        double sine = -cross(e[i].u, e[j].u);
        double shorter = std::min(e[i].length, e[j].length);
        if (sine > 0 && dot(e[i].u, e[j].u) >= 0 && distance * sine <= shorter)
            continue;
        Vec2 x = moved[i + 1], v = pts[i + 1];
        for (auto [a, b] : {std::pair{x, e[i].b}, {e[i].b, v}, {v, e[j].a}, {e[j].a, x}})
            obstacles.push_back({a, b, i, j});
    }
    if (obstacles.empty())
        return true;
    std::vector<Box> boxes;
    boxes.reserve(n + obstacles.size());
    for (std::size_t k = 0; k < n; ++k)
        boxes.push_back(segment_bound(moved[k], moved[k + 1]));
    for (const Obstacle &o : obstacles)
        boxes.push_back(segment_bound(o.a, o.b));
    for (auto [i, j] : overlapping_pairs(boxes, tol.seg, stop)) {
        if (i >= n || j < n)
            continue;
        const Obstacle &o = obstacles[j - n];
        if (i == o.skip1 || i == o.skip2)
            continue;
        if (segment_intersection(moved[i], moved[i + 1], o.a, o.b, tol.flat, tol.seg))
            return false;
    }
    return true;
}

bool lofted_strip_holds(std::span<const Vec2> pts, double half_width, std::span<const Vec2> lofted, Tolerances tol,
                        const Interrupt &stop) {
    std::size_t n = pts.size() < 2 ? 0 : pts.size() - 1;
    std::vector<Vec2> back(pts.rbegin(), pts.rend());
    if (n == 0 || lofted.size() != 2 * n + 3 || !all_finite(lofted) || !runs_along(lofted, 0, pts) ||
        !runs_along(lofted, n + 1, back))
        return false;
    // Every right turn of either side cut at its crossing: the strip's raw
    // curve is the loft's own path, which then bounds it where it is simple.
    RawRing raw;
    if (add_raw_curve(raw, pts, moved_edges(pts, half_width), half_width, false, true, 0, true) != 0 ||
        add_raw_curve(raw, back, moved_edges(back, half_width), half_width, false, true, 0, true) != 0)
        return false;
    return twice_area_from_first(lofted) > 0 && !is_self_intersecting(lofted, true, tol, stop);
}

}  // namespace geom
