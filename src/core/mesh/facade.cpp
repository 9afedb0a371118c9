#include "core/mesh/facade.hpp"

#include <cmath>

namespace geom {

Levels storey_levels(std::span<const double> storey_heights, double H, double eps) {
    Levels out;
    double level = 0.0;
    for (double h : storey_heights) {
        level += h;
        if (ties(level - H, eps) || level >= H) {
            out.values.push_back(H);
            out.topped = true;
            return out;
        }
        out.values.push_back(level);
    }
    return out;
}

std::vector<double> unit_offsets(int64_t units, double U, double rest, double eps, const Interrupt &stop) {
    std::vector<double> out{0.0};
    double offset = 0.0;
    for (int64_t k = 0; k < units; ++k) {
        stop.tick();
        offset += U;
        out.push_back(offset);
    }
    if (rest > eps)
        out.push_back(rest + offset);
    return out;
}

}  // namespace geom
