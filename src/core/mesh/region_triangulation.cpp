#include "core/mesh/region_triangulation.hpp"

#include "core/mesh/constrained_delaunay.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace geom {
namespace {

// The cell of a square grid of side 2 * snap that holds coordinate v, and
// its neighbours: two points within `snap` of each other lie in the same
// cell or in neighbouring ones along each axis, even where the quotient is
// rounded (far from the origin, neighbouring cells are neighbouring
// doubles).
double cell_of(double v, double snap) { return snap > 0 ? std::floor(v / (2 * snap)) + 0.0 : v + 0.0; }
double cell_after(double c) { return std::fabs(c) < 0x1p52 ? c + 1 : std::nextafter(c, HUGE_VAL); }
double cell_before(double c) { return std::fabs(c) < 0x1p52 ? c - 1 : std::nextafter(c, -HUGE_VAL); }

std::uint64_t bits_of(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// The lead of every used point: points taken in order, each joins the first
// lead within `snap` of it, or leads a cluster of its own.  So a point is
// never moved farther than `snap`, and leads lie farther than `snap` from
// one another: a ring drawn with points closer than that keeps its shape,
// thinned.  Leads are found through a hash of grid cells, each holding the
// few leads in it.
std::vector<std::size_t> cluster(std::span<const Vec2> points, const std::vector<bool> &used, double snap,
                                 const Interrupt &stop) {
    std::vector<std::size_t> lead(points.size());
    constexpr std::uint32_t empty = UINT32_MAX;
    struct Slot {
        std::uint64_t x, y;
        std::uint32_t first = empty;  // the cell's first lead
    };
    std::size_t capacity = 16;
    while (capacity < 2 * points.size())
        capacity *= 2;
    std::vector<Slot> slots(capacity);
    std::vector<std::uint32_t> next_lead(points.size(), empty);  // the next lead in the same cell
    // The cell's slot, or the free slot where it would go.
    auto slot = [&](double cx, double cy) -> Slot & {
        std::uint64_t x = bits_of(cx), y = bits_of(cy);
        std::uint64_t h = (x * 0x9E3779B97F4A7C15ULL) ^ (y + 0x632BE59BD9B4E019ULL + (x << 6) + (x >> 2));
        h ^= h >> 29, h *= 0xBF58476D1CE4E5B9ULL, h ^= h >> 32;
        for (std::size_t s = (std::size_t) h & (capacity - 1);; s = (s + 1) & (capacity - 1))
            if (slots[s].first == empty || (slots[s].x == x && slots[s].y == y))
                return slots[s];
    };
    for (std::size_t i = 0; i < points.size(); ++i) {
        lead[i] = i;
        if (!used[i])
            continue;
        stop.tick();
        Vec2 p = points[i];
        double cx = cell_of(p.x, snap), cy = cell_of(p.y, snap);
        std::size_t best = i;
        for (double x : {cell_before(cx), cx, cell_after(cx)})
            for (double y : {cell_before(cy), cy, cell_after(cy)})
                for (std::uint32_t j = slot(x, y).first; j != empty; j = next_lead[j]) {
                    double dx = p.x - points[j].x, dy = p.y - points[j].y;
                    if (j < best && dx * dx + dy * dy <= snap * snap)
                        best = j;
                }
        if (best != i) {
            lead[i] = best;
            continue;
        }
        Slot &own = slot(cx, cy);
        own.x = bits_of(cx), own.y = bits_of(cy);
        next_lead[i] = own.first;
        own.first = (std::uint32_t) i;
    }
    return lead;
}

// Even-odd rule.
bool inside(std::span<const Vec2> at, const std::vector<std::uint32_t> &ring, Vec2 p) {
    bool in = false;
    for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
        Vec2 a = at[ring[i]], b = at[ring[j]];
        if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y))
            in = !in;
    }
    return in;
}

}  // namespace

RegionMesh triangulate_region(std::span<const Vec2> points, const std::vector<Ring> &rings, double snap,
                              const Interrupt &stop) {
    RegionMesh out;
    std::vector<bool> used(points.size(), false);
    for (const Ring &ring : rings)
        for (std::size_t i : ring)
            used[i] = true;
    std::vector<std::size_t> lead = cluster(points, used, snap, stop);
    // Vertices: one per cluster, at its lead point.
    std::vector<std::uint32_t> vertex_of(points.size(), ConstrainedDelaunay::none);
    std::vector<std::size_t> point_of;
    std::vector<Vec2> at;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (used[i] && lead[i] == i) {
            vertex_of[i] = (std::uint32_t) at.size();
            point_of.push_back(i);
            at.push_back(points[i]);
        }
    std::vector<std::vector<std::uint32_t>> loops(rings.size());
    for (std::size_t k = 0; k < rings.size(); ++k) {
        for (std::size_t i : rings[k]) {
            std::uint32_t v = vertex_of[lead[i]];
            if (loops[k].empty() || loops[k].back() != v)
                loops[k].push_back(v);
        }
        while (loops[k].size() > 1 && loops[k].back() == loops[k].front())
            loops[k].pop_back();
    }
    if (rings.empty() || loops[0].size() < 3)
        return out;

    ConstrainedDelaunay cdt(at, stop);
    for (std::size_t k = 0; k < loops.size(); ++k) {
        const std::vector<std::uint32_t> &loop = loops[k];
        if (loop.size() < 2)
            continue;
        double twice_area = 0;
        Vec2 o = at[loop[0]];
        for (std::size_t i = 1; i + 1 < loop.size(); ++i)
            twice_area += cross(at[loop[i]] - o, at[loop[i + 1]] - o);
        bool counter_clockwise = twice_area >= 0;
        std::int32_t weight = (k == 0) == counter_clockwise ? 1 : -1;
        for (std::size_t i = 0; i < loop.size(); ++i) {
            ConstrainedDelaunay::Crossing crossing;
            if (!cdt.constrain(loop[i], loop[(i + 1) % loop.size()], (std::int32_t) k, weight, snap, crossing)) {
                out.fault = {crossing.other < 0 ? RegionFault::Kind::failed : RegionFault::Kind::crossing, k,
                             crossing.other < 0 ? k : (std::size_t) crossing.other, crossing.at};
                return out;
            }
        }
    }
    std::vector<std::int32_t> winding;
    if (!cdt.windings(winding)) {
        out.fault = {RegionFault::Kind::failed, 0, 0, at[loops[0][0]]};
        return out;
    }
    for (std::uint32_t t = 0; t < cdt.triangle_count(); ++t) {
        if (!cdt.inner(t) || winding[t] == 0)
            continue;
        Vec2 a = at[cdt.origin(3 * t)], b = at[cdt.origin(3 * t + 1)], c = at[cdt.origin(3 * t + 2)];
        if (winding[t] != 1) {
            Vec2 centroid = {(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3};
            std::size_t ring = 0;
            for (std::size_t k = loops.size(); k-- > 1 && ring == 0;)  // the last opening there
                if (loops[k].size() >= 3 && inside(at, loops[k], centroid))
                    ring = k;
            out.fault = {RegionFault::Kind::outside, ring, ring, centroid};
            out.triangles.clear(), out.rim.clear();
            return out;
        }
        out.triangles.push_back({point_of[cdt.origin(3 * t)], point_of[cdt.origin(3 * t + 1)],
                                 point_of[cdt.origin(3 * t + 2)]});
        for (std::uint32_t e = 3 * t; e < 3 * t + 3; ++e) {
            std::uint32_t f = cdt.twin(e);
            if (f == ConstrainedDelaunay::none || winding[f / 3] != 1)
                out.rim.push_back({point_of[cdt.origin(e)], point_of[cdt.origin(ConstrainedDelaunay::next(e))]});
        }
    }
    return out;
}

std::vector<std::size_t> first_equal(std::span<const Vec2> points) {
    std::vector<std::size_t> order(points.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    auto same = [&](std::size_t i, std::size_t j) { return points[i].x == points[j].x && points[i].y == points[j].y; };
    std::sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) {
        Vec2 p = points[i], q = points[j];
        return p.x != q.x ? p.x < q.x : (p.y != q.y ? p.y < q.y : i < j);
    });
    std::vector<std::size_t> first(points.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        first[order[k]] = k > 0 && same(order[k], order[k - 1]) ? first[order[k - 1]] : order[k];
    return first;
}

}  // namespace geom
