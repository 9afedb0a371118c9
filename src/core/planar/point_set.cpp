#include "core/planar/point_set.hpp"

#include "core/planar/cell_grid.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>

namespace geom {

bool grid_usable(const std::vector<Vec2> &pts, double eps) { return grid::grid_fits<Vec2>(pts, eps); }

std::vector<size_t> first_of_each_group(const std::vector<Vec2> &pts, double eps, const Interrupt &stop) {
    return grid::first_of_each_group<Vec2>(pts, eps, stop);
}

std::vector<size_t> points_without_twin(const std::vector<Vec2> &pts, double eps, const Interrupt &stop) {
    return grid::points_without_twin<Vec2>(pts, eps, stop);
}

bool has_tolerant_pair(const std::vector<Vec2> &pts, double eps, const Interrupt &stop) {
    return grid::has_tolerant_pair<Vec2>(pts, eps, stop);
}

bool coordinates_below(const std::vector<Vec2> &pts, double limit) {
    for (Vec2 p : pts)
        if (!(std::fabs(p.x) < limit && std::fabs(p.y) < limit))
            return false;
    return true;
}

std::optional<std::pair<size_t, size_t>> closest_pair(const std::vector<Vec2> &pts, const Interrupt &stop) {
    const size_t n = pts.size();
    if (n < 2)
        return std::nullopt;
    auto dist = [&](size_t i, size_t j) {
        if (j < i)
            std::swap(i, j);
        double dx = pts[i].x - pts[j].x, dy = pts[i].y - pts[j].y;
        return std::sqrt(py_square(dx) + py_square(dy));
    };
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return pts[a].x < pts[b].x; });

    // Sweep in x; a pair is skipped only when one axis alone already puts it
    // beyond the best distance, with a margin far above rounding error so
    // that every pair at exactly the final best distance is measured (the
    // absolute margin covers differences whose squares underflow to zero).
    double best = std::numeric_limits<double>::infinity();
    std::pair<size_t, size_t> first_tie{n, n};
    for (size_t a = 0; a < n; ++a) {
        size_t i = order[a];
        for (size_t b = a + 1; b < n; ++b) {
            stop.tick();
            size_t j = order[b];
            double reach = best * (1 + 1e-9) + 1e-150;
            if (pts[j].x - pts[i].x > reach)
                break;
            if (std::fabs(pts[j].y - pts[i].y) > reach)
                continue;
            double d = dist(i, j);
            if (d < best) {
                best = d;
                first_tie = {n, n};
            }
            if (d == best)
                first_tie = std::min(first_tie, std::make_pair(std::min(i, j), std::max(i, j)));
        }
    }
    return first_tie;
}

}  // namespace geom
