// Vertex and triangle arrays from planar outlines: one outline triangulated
// flat or extruded into a prism, and a boundary with openings triangulated
// (constrained Delaunay) flat or extruded.
//
// Vertex rows are the outlines' points, in order, as (x, y, 0): every point
// of a single outline, and of several outlines each distinct point once, at
// its first appearance (as adding pyvista meshes merges them).  An extruded
// result repeats the rows at z = height after them.  Coordinates are kept
// exactly, in float64.  Triangles are the core's: flat ones counter-
// clockwise seen from +z; a prism's facing out of the solid, whatever the
// outlines' directions and the height's sign.
#include "Solidar/solidar.hpp"
#include "core/mesh/region_triangulation.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace solidar::mesh_io {
namespace {

// Points of outlines within this distance of each other touch.
constexpr double touching = 1e-6;
// The largest coordinate (in magnitude) the triangulation's exact arithmetic
// reaches: its in-circle test takes fourth powers of coordinate differences,
// also to the far corners of the triangle it starts from.
constexpr double reach = 1e60;

struct Outlines {
    std::vector<geom::Vec2> points;  // every outline's points, outline after outline
    std::vector<geom::Ring> rings;   // point numbers of each outline
    bool several = false;            // read from a list of outlines
};

[[noreturn]] void out_of_reach(const Outlines &o, size_t ring, size_t point, geom::Vec2 p) {
    nb::object x = pyu::float_obj(p.x), y = pyu::float_obj(p.y);
    const char *what = std::isfinite(p.x) && std::isfinite(p.y) ? "beyond 1e+60" : "that is not finite";
    if (o.several)
        pyu::raise_format(PyExc_ValueError, "point %zd of outline %zd has a coordinate %s: (%R, %R)",
                          (Py_ssize_t) point, (Py_ssize_t) ring, what, x.ptr(), y.ptr());
    pyu::raise_format(PyExc_ValueError, "point %zd of the outline has a coordinate %s: (%R, %R)", (Py_ssize_t) point,
                      what, x.ptr(), y.ptr());
}

// x, then y, of every point, once each; the outline must also have a length.
void read_outline(nb::handle points, Outlines &o) {
    pyu::PointList list = pyu::read_points(points);
    pyu::length(points);
    size_t ring = o.rings.size(), first = o.points.size();
    o.rings.emplace_back(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
        geom::Vec2 p = list.coords[i];
        if (!(std::fabs(p.x) <= reach && std::fabs(p.y) <= reach))
            out_of_reach(o, ring, i, p);
        o.rings.back()[i] = first + i;
        o.points.push_back(p);
    }
}

Outlines read_one(nb::handle points) {
    Outlines o;
    read_outline(points, o);
    return o;
}

Outlines read_several(nb::handle points_list) {
    Outlines o;
    o.several = true;
    pyu::for_each_iter(points_list, [&](nb::handle points) {
        read_outline(points, o);
        return true;
    });
    if (o.rings.empty())
        pyu::raise(PyExc_IndexError, "list index out of range");
    return o;
}

const char *outline_name(const Outlines &o) { return o.several ? "outline %zd" : "the outline"; }

[[noreturn]] void refuse(const Outlines &o, const geom::RegionFault &f) {
    nb::object x = pyu::float_obj(f.at.x), y = pyu::float_obj(f.at.y);
    Py_ssize_t a = (Py_ssize_t) std::min(f.ring, f.other), b = (Py_ssize_t) std::max(f.ring, f.other);
    using Kind = geom::RegionFault::Kind;
    if (f.kind == Kind::crossing && a == b && o.several)
        pyu::raise_format(PyExc_ValueError, "outline %zd crosses itself near (%R, %R)", a, x.ptr(), y.ptr());
    if (f.kind == Kind::crossing && a == b)
        pyu::raise_format(PyExc_ValueError, "the outline crosses itself near (%R, %R)", x.ptr(), y.ptr());
    if (f.kind == Kind::crossing)
        pyu::raise_format(PyExc_ValueError, "outline %zd crosses outline %zd near (%R, %R)", a, b, x.ptr(), y.ptr());
    if (f.kind == Kind::outside && a > 0)
        pyu::raise_format(PyExc_ValueError,
                          "outline %zd (an opening) lies outside the boundary (outline 0) or inside another "
                          "opening near (%R, %R)",
                          a, x.ptr(), y.ptr());
    if (f.kind == Kind::outside)
        pyu::raise_format(PyExc_ValueError, o.several ? "outline 0 (the boundary) overlaps itself near (%R, %R)"
                                                      : "the outline overlaps itself near (%R, %R)",
                          x.ptr(), y.ptr());
    std::string text = std::string(outline_name(o)) + " could not be triangulated near (%R, %R)";
    if (o.several)
        pyu::raise_format(PyExc_ValueError, text.c_str(), a, x.ptr(), y.ptr());
    pyu::raise_format(PyExc_ValueError, text.c_str(), x.ptr(), y.ptr());
}

// The vertex row of every point: every point its own row for one outline;
// for several, each distinct point once, numbered by first appearance.
std::vector<int64_t> rows_of(const Outlines &o, size_t &rows) {
    std::vector<int64_t> row(o.points.size());
    rows = 0;
    if (!o.several || o.rings.size() < 2) {
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = (int64_t) i;
        rows = row.size();
        return row;
    }
    std::vector<size_t> first = geom::first_equal(o.points);
    for (size_t i = 0; i < row.size(); ++i)
        row[i] = first[i] == i ? (int64_t) rows++ : row[first[i]];
    return row;
}

// The arrays of the region; `height` null for the flat result.
nb::object build(const Outlines &o, const double *height) {
    geom::RegionMesh region = geom::triangulate_region(o.points, o.rings, touching, pyu::interrupt());
    if (region.fault.kind != geom::RegionFault::Kind::none)
        refuse(o, region.fault);
    size_t rows = 0;
    std::vector<int64_t> row = rows_of(o, rows);
    std::vector<geom::Vec2> at(rows);
    for (size_t i = o.points.size(); i-- > 0;)
        at[(size_t) row[i]] = o.points[i];  // the first point of a row wins
    size_t levels = height ? 2 : 1;
    pyu::NewArray<double> v = pyu::new_array<double>({levels * rows, 3});
    for (size_t level = 0; level < levels; ++level)
        for (size_t r = 0; r < rows; ++r) {
            double *out = v.data + 3 * (level * rows + r);
            out[0] = at[r].x, out[1] = at[r].y, out[2] = level ? *height : 0.0;
        }
    size_t caps = region.triangles.size(), walls = height ? 2 * region.rim.size() : 0;
    pyu::NewArray<int64_t> t = pyu::new_array<int64_t>({levels * caps + walls, 3});
    int64_t *out = t.data;
    auto emit = [&](int64_t a, int64_t b, int64_t c) { out[0] = a, out[1] = b, out[2] = c, out += 3; };
    const int64_t up = (int64_t) rows;
    // A prism above z = 0 has its base facing down; below, facing up.
    bool below = height && *height < 0;
    for (const geom::Triangle &tri : region.triangles) {
        int64_t a = row[tri[0]], b = row[tri[1]], c = row[tri[2]];
        if (!height || below)
            emit(a, b, c);
        else
            emit(a, c, b);
        if (height && below)
            emit(a + up, c + up, b + up);
        else if (height)
            emit(a + up, b + up, c + up);
    }
    if (height)
        for (const auto &edge : region.rim) {  // the region lies left of a -> b
            int64_t a = row[edge[0]], b = row[edge[1]];
            if (below)
                emit(a, b + up, b), emit(a, a + up, b + up);
            else
                emit(a, b, b + up), emit(a, b + up, a + up);
        }
    return nb::make_tuple(v.array, t.array);
}

// The height as a float, refused before any outline is read when it is NaN
// or infinite (it would become the top rows); 0 gives a flat prism.
double read_height(nb::handle height) {
    double h = pyu::as_double(height);
    if (!std::isfinite(h)) {
        nb::object text = pyu::float_obj(h);
        pyu::raise_format(PyExc_ValueError, "the height is not finite: %R", text.ptr());
    }
    return h;
}

}  // namespace

nb::object triangulate_2d(nb::handle points) { return build(read_one(points), nullptr); }

nb::object extrude_to_mesh(nb::handle points, nb::handle height) {
    double h = read_height(height);
    return build(read_one(points), &h);
}

nb::object constrain_delaunay_2d(nb::handle points_list) { return build(read_several(points_list), nullptr); }

nb::object constrain_delaunay_3d(nb::handle points_list, nb::handle height) {
    double h = read_height(height);
    return build(read_several(points_list), &h);
}

}  // namespace solidar::mesh_io
