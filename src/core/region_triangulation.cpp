#include "core/region_triangulation.hpp"

#include "core/constrained_delaunay.hpp"
#include "core/union_find.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace geom {
namespace {

// The lead (first point) of every point's cluster of points within `snap`
// of each other.  Points are sorted by a column of width `snap` and then by
// y, so each point meets only the points of its own and the next column
// that lie within `snap` in y.
std::vector<std::size_t> cluster(std::span<const Vec2> points, const std::vector<bool> &used, double snap,
                                 const Interrupt &stop) {
    struct Item {
        double column, y;
        std::uint32_t i;
    };
    std::vector<Item> items;
    for (std::size_t i = 0; i < points.size(); ++i)
        if (used[i])
            items.push_back({snap > 0 ? std::floor(points[i].x / snap) : points[i].x, points[i].y, (std::uint32_t) i});
    std::sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return a.column != b.column ? a.column < b.column : (a.y != b.y ? a.y < b.y : a.i < b.i);
    });
    Groups groups(points.size());
    auto near = [&](std::uint32_t i, std::uint32_t j) {
        double dx = points[i].x - points[j].x, dy = points[i].y - points[j].y;
        return dx * dx + dy * dy <= snap * snap;
    };
    std::size_t block = 0;
    while (block < items.size()) {
        std::size_t end = block;
        while (end < items.size() && items[end].column == items[block].column)
            ++end;
        std::size_t next_end = end;
        bool neighbour = snap > 0 && end < items.size() && items[end].column == items[block].column + 1;
        while (neighbour && next_end < items.size() && items[next_end].column == items[end].column)
            ++next_end;
        for (std::size_t k = block; k < end; ++k) {
            stop.tick();
            for (std::size_t j = k + 1; j < end && items[j].y - items[k].y <= snap; ++j)
                if (near(items[k].i, items[j].i))
                    groups.join(items[k].i, items[j].i);
            if (!neighbour)
                continue;
            auto from = std::lower_bound(items.begin() + (std::ptrdiff_t) end, items.begin() + (std::ptrdiff_t) next_end,
                                         items[k].y - snap, [](const Item &a, double y) { return a.y < y; });
            for (; from != items.begin() + (std::ptrdiff_t) next_end && from->y <= items[k].y + snap; ++from)
                if (near(items[k].i, from->i))
                    groups.join(items[k].i, from->i);
        }
        block = end;
    }
    std::vector<std::size_t> lead(points.size());
    for (std::size_t i = 0; i < points.size(); ++i)
        lead[i] = groups.find((std::uint32_t) i);
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
