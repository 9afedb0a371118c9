#include "core/mesh/point3_set.hpp"

#include "core/planar/cell_grid.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

namespace geom {

// ------------------------------------------------------- running extremes

namespace {

// The first point no later point beats strictly by distance from target
// (`farther` picks the greatest).  A point whose distance by products, far
// from overflow, is clearly on the losing side of the best so far is passed
// over without the exact distance (pow's squares differ from the products
// by an ulp or two at most).
Checked<size_t> best_by_distance(Vec3 target, std::span<const Vec3> pts, bool farther) {
    size_t best = 0;
    Checked<double> best_d = distance(target, pts[0]);
    if (!best_d.ok())
        return {0, best_d.fault};
    for (size_t i = 1; i < pts.size(); ++i) {
        Vec3 d = target - pts[i];
        double quick = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (quick < 1e150 && (farther ? quick < best_d.value * (1 - 1e-12) : quick > best_d.value * (1 + 1e-12)))
            continue;
        Checked<double> exact = distance(target, pts[i]);
        if (!exact.ok())
            return {0, exact.fault};
        if (farther ? exact.value > best_d.value : exact.value < best_d.value) {
            best_d = exact;
            best = i;
        }
    }
    return {best};
}

}  // namespace

Checked<size_t> nearest_index(Vec3 target, std::span<const Vec3> pts) { return best_by_distance(target, pts, false); }
Checked<size_t> farthest_index(Vec3 target, std::span<const Vec3> pts) { return best_by_distance(target, pts, true); }

size_t min_index(std::span<const Vec3> pts, double eps) {
    size_t best = 0;
    for (size_t i = 1; i < pts.size(); ++i)
        if (tolerant_less(pts[i], pts[best], eps))
            best = i;
    return best;
}

size_t max_index(std::span<const Vec3> pts, double eps) {
    size_t best = 0;
    for (size_t i = 1; i < pts.size(); ++i)
        if (tolerant_greater(pts[i], pts[best], eps))
            best = i;
    return best;
}

size_t count_equal(Vec3 target, std::span<const Vec3> pts, double eps) {
    size_t n = 0;
    for (Vec3 p : pts)
        n += tolerant_equal(target, p, eps);
    return n;
}

bool any_equal(Vec3 target, std::span<const Vec3> pts, double eps) {
    for (Vec3 p : pts)
        if (tolerant_equal(target, p, eps))
            return true;
    return false;
}

Vec3 mean_point(std::span<const Vec3> pts) {
    Vec3 sum{0.0, 0.0, 0.0};
    for (Vec3 p : pts)
        sum = sum + p;
    double n = (double) pts.size();
    return {sum.x / n, sum.y / n, sum.z / n};
}

// ---------------------------------------------------- tolerant duplicates

bool coordinates_below(std::span<const Vec3> pts, double limit) {
    for (Vec3 p : pts)
        if (!(std::fabs(p.x) < limit && std::fabs(p.y) < limit && std::fabs(p.z) < limit))
            return false;
    return true;
}

bool grid_usable(std::span<const Vec3> pts, double eps) { return grid::grid_fits(pts, eps); }

std::vector<size_t> first_of_each_group(std::span<const Vec3> pts, double eps, const Interrupt &stop) {
    return grid::first_of_each_group(pts, eps, stop);
}

std::vector<size_t> points_without_twin(std::span<const Vec3> pts, double eps, const Interrupt &stop) {
    return grid::points_without_twin(pts, eps, stop);
}

bool has_tolerant_pair(std::span<const Vec3> pts, double eps, const Interrupt &stop) {
    return grid::has_tolerant_pair(pts, eps, stop);
}

// ----------------------------------------------------------- closest pair

namespace {

// The closest pair measured between neighbouring cells of a dense grid
// whose cells are about the mean spacing of the points.  When the least
// distance found is below half a cell, every pair at that distance lies in
// neighbouring cells and has been measured, so the answer is exact.  Empty
// when the points do not suit the grid (clustered, or spread so thinly that
// no close pair shares neighbouring cells): the sweep answers then.
std::optional<std::pair<size_t, size_t>> closest_pair_on_grid(std::span<const Vec3> pts, const double lo[3],
                                                              const double hi[3], const Interrupt &stop) {
    const size_t n = pts.size();
    double volume = 1.0;
    int dims = 0;
    for (int a = 0; a < 3; ++a)
        if (hi[a] > lo[a]) {
            volume *= hi[a] - lo[a];
            ++dims;
        }
    if (dims == 0)
        return std::nullopt;
    const double cell = std::pow(volume / (double) n, 1.0 / dims);
    if (!(cell > 0) || !std::isfinite(cell))
        return std::nullopt;
    size_t count[3];
    double total = 1.0;
    for (int a = 0; a < 3; ++a) {
        double c = std::floor((hi[a] - lo[a]) / cell) + 1;
        if (!(c < 4.0 * (double) n + 8))
            return std::nullopt;
        count[a] = (size_t) c;
        total *= c;
    }
    if (total > 8.0 * (double) n + 64)
        return std::nullopt;
    auto index_on = [&](int a, double v) { return std::min(count[a] - 1, (size_t) ((v - lo[a]) / cell)); };
    auto cell_of = [&](Vec3 p) {
        return (index_on(0, p.x) * count[1] + index_on(1, p.y)) * count[2] + index_on(2, p.z);
    };
    // Points by cell (a counting sort): cell c holds order[start[c] .. start[c + 1]).
    std::vector<size_t> start((size_t) total + 1, 0), order(n), cells(n);
    for (size_t i = 0; i < n; ++i)
        ++start[(cells[i] = cell_of(pts[i])) + 1];
    for (size_t c = 1; c < start.size(); ++c)
        start[c] += start[c - 1];
    std::vector<size_t> fill(start.begin(), start.end() - 1);
    for (size_t i = 0; i < n; ++i)
        order[fill[cells[i]]++] = i;

    double best = std::numeric_limits<double>::infinity();
    std::pair<size_t, size_t> first{n, n};
    size_t measured = 0;
    auto measure = [&](size_t i, size_t q) {
        Vec3 d = pts[i] - pts[q];
        double quick = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        if (quick > best * (1 + 1e-9))
            return;  // clearly farther than the best so far
        std::pair<size_t, size_t> ij = std::minmax(i, q);
        double exact = distance(pts[ij.first], pts[ij.second]).value;
        if (exact < best) {
            best = exact;
            first = ij;
        } else if (exact == best) {
            first = std::min(first, ij);
        }
    };
    // Each pair once: within a cell, and with the 13 neighbours that come
    // after it in (x, y, z) order.
    for (size_t cx = 0; cx < count[0]; ++cx)
        for (size_t cy = 0; cy < count[1]; ++cy)
            for (size_t cz = 0; cz < count[2]; ++cz) {
                size_t c = (cx * count[1] + cy) * count[2] + cz;
                stop.tick();
                for (size_t s = start[c]; s < start[c + 1]; ++s) {
                    stop.tick();
                    size_t i = order[s];
                    for (size_t t = s + 1; t < start[c + 1]; ++t)
                        measure(i, order[t]);
                    for (int dx = 0; dx <= 1; ++dx)
                        for (int dy = dx ? -1 : 0; dy <= 1; ++dy)
                            for (int dz = (dx || dy) ? -1 : 1; dz <= 1; ++dz) {
                                size_t kx = cx + (size_t) dx, ky = cy + (size_t) dy, kz = cz + (size_t) dz;
                                if (kx >= count[0] || ky >= count[1] || kz >= count[2])
                                    continue;  // beyond the grid (a step below 0 wraps past it)
                                size_t nb = (kx * count[1] + ky) * count[2] + kz;
                                measured += start[nb + 1] - start[nb];
                                if (measured > 64 * n)
                                    return std::nullopt;  // crowded cells
                                for (size_t t = start[nb]; t < start[nb + 1]; ++t)
                                    measure(i, order[t]);
                            }
                }
            }
    if (!(best * (1 + 1e-9) + 1e-150 < cell / 2))
        return std::nullopt;
    return first;
}

}  // namespace

std::optional<std::pair<size_t, size_t>> closest_pair(std::span<const Vec3> pts, const Interrupt &stop) {
    const size_t n = pts.size();
    if (n < 2)
        return std::nullopt;
    double lo[3] = {pts[0].x, pts[0].y, pts[0].z}, hi[3] = {lo[0], lo[1], lo[2]};
    for (Vec3 p : pts) {
        double c[3] = {p.x, p.y, p.z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], c[a]);
            hi[a] = std::max(hi[a], c[a]);
        }
    }
    if (auto pair = closest_pair_on_grid(pts, lo, hi, stop))
        return pair;
    // Sweep along the axis of widest spread; the other two prune.
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (hi[a] - lo[a] > hi[axis] - lo[axis])
            axis = a;
    auto coord = [&](size_t i, int a) { return a == 0 ? pts[i].x : (a == 1 ? pts[i].y : pts[i].z); };
    const int other1 = (axis + 1) % 3, other2 = (axis + 2) % 3;

    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return coord(a, axis) < coord(b, axis); });

    // A pair is skipped only when one axis alone puts it beyond the best
    // distance, with a margin far above rounding error, so that every pair at
    // exactly the final best distance is measured (the absolute margin covers
    // differences whose squares underflow to zero).
    double best = std::numeric_limits<double>::infinity();
    std::pair<size_t, size_t> first{n, n};
    for (size_t a = 0; a < n; ++a) {
        size_t i = order[a];
        for (size_t b = a + 1; b < n; ++b) {
            stop.tick();
            size_t j = order[b];
            double reach = best * (1 + 1e-9) + 1e-150;
            if (coord(j, axis) - coord(i, axis) > reach)
                break;
            if (std::fabs(coord(j, other1) - coord(i, other1)) > reach ||
                std::fabs(coord(j, other2) - coord(i, other2)) > reach)
                continue;
            std::pair<size_t, size_t> ij = std::minmax(i, j);
            double d = distance(pts[ij.first], pts[ij.second]).value;
            if (d < best) {
                best = d;
                first = ij;
            } else if (d == best) {
                first = std::min(first, ij);
            }
        }
    }
    return first;
}

}  // namespace geom
