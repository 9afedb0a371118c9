#include "core/basics/vec3.hpp"

namespace geom {

Checked<UnitVector> unit_or_self(Vec3 v, double eps) {
    Checked<double> m = length(v);
    if (!m.ok())
        return {{}, m.fault};
    if (ties(m.value, eps))
        return {{v, true}};
    if (m.value == 0.0)  // only when eps is negative
        return {{}, PyFault::zero_division};
    return {{{v.x / m.value, v.y / m.value, v.z / m.value}, false}};
}

Checked<std::optional<Clamped>> cos_between(Vec3 a, Vec3 b, double ma, double mb, double eps) {
    if (ties(ma, eps) || ties(mb, eps))
        return {std::nullopt};
    Checked<double> c = py_div(dot(a, b), ma * mb);
    if (!c.ok())
        return {std::nullopt, c.fault};
    return {clamp_unit(c.value)};
}

Checked<std::optional<Clamped>> sin_between(Vec3 a, Vec3 b, double ma, double mb, double eps) {
    if (ties(ma, eps) || ties(mb, eps))
        return {std::nullopt};
    Vec3 c = cross(a, b);
    double sign = c.z == 0 ? 1.0 : c.z / std::fabs(c.z);  // NaN stays NaN
    Checked<double> m = length(c);
    if (!m.ok())
        return {std::nullopt, m.fault};
    Checked<double> s = py_div(sign * m.value, ma * mb);
    if (!s.ok())
        return {std::nullopt, s.fault};
    return {clamp_unit(s.value)};
}

double polar_turn(double angle, double cross_z, bool compare) {
    constexpr double two_pi = 6.283185307179586;  // math.pi * 2 and np.pi * 2
    if (cross_z >= 0)
        return angle;
    if (compare)
        return 1 / (angle - two_pi);
    return two_pi - angle;
}

Checked<Vec3> projection_point(Vec3 a, Vec3 b, Vec3 c, double eps) {
    Vec3 ab = b - a, ac = c - a;
    Checked<double> m = length(ab);
    if (!m.ok())
        return {{}, m.fault};
    Checked<double> along = py_div(dot(ab, ac), m.value);
    if (!along.ok())
        return {{}, along.fault};
    // The direction of ab scaled to the signed length; a direction no longer
    // than eps is scaled as it is.
    Checked<UnitVector> u = unit_or_self(ab, eps);
    if (!u.ok())
        return {{}, u.fault};
    return {u.value.v * along.value + a};
}

Checked<SegmentCrossing> segment_line_crossing(Vec3 a, Vec3 b, Vec3 c, Vec3 d) {
    Vec3 vec_ab = a - b, vec_cd = c - d;
    Checked<double> m = length(cross(vec_ab, vec_cd));
    if (!m.ok())
        return {{}, m.fault};
    if (m.value == 0)  // parallel, or a pair of coinciding points
        return {};
    Vec3 vec_ac = a - c, vec_ad = a - d;
    Vec3 cross1 = cross(vec_ac, vec_ab), cross2 = cross(vec_ab, vec_ad);
    if (dot(cross1, vec_cd) != 0)  // the lines do not lie in one plane
        return {};
    Vec3 cross3 = cross(vec_ad, vec_ac), sum = cross1 + cross2;
    Checked<double> top = length(cross3);
    if (!top.ok())
        return {{}, top.fault};
    Checked<double> bottom = length(sum);
    if (!bottom.ok())
        return {{}, bottom.fault};
    Checked<double> t = py_div(top.value, bottom.value);
    if (!t.ok())
        return {{}, t.fault};
    double t1 = t.value;
    if (dot(cross3, sum) > 0)  // the crossing lies behind a
        t1 = -t1;
    if (!(0 <= t1 && t1 <= 1))
        return {};
    return {{true, -vec_ab * t1}};
}

}  // namespace geom
