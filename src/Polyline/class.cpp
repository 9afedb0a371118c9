// The class Polyline: its one class attribute and every member, in the
// order the class defines them, with the parameter names of its interface.
// Arguments declared as floats are converted in the members themselves.
#include "Polyline/polyline.hpp"

using namespace nb::literals;

namespace polyline {

void bind_polyline(nb::module_ &m) {
    // The object defaults, made once from the module's Vector as the class
    // is made: every call that omits them receives these same objects.
    nb::object box_vector = pyu::call(names::vector.get(), pyu::int_obj(1), pyu::int_obj(2));
    nb::object frame_vector = pyu::call(names::vector.get(), pyu::int_obj(1), pyu::int_obj(0));
    pyu::Class<PolylineData> cls(m, "Polyline", DOC(Polyline));
    polyline_type = cls.type();
    cls.attr("BOUND", nb::str("ABB"))
        .init(&init, DOC(Polyline, __init__), "points"_a)
        .method("__repr__", &text, DOC(Polyline, __repr__))
        .method("__eq__", &equal, DOC(Polyline, __eq__), "other"_a)
        .method("__hash__", &hash, DOC(Polyline, __hash__))
        .method("__iter__", &iter, DOC(Polyline, __iter__))
        .method("reverse", &reverse, DOC(Polyline, reverse))
        .method("is_closed", &is_closed, DOC(Polyline, is_closed))
        .method("close", &close, DOC(Polyline, close))
        .method("is_self_intersecting", &is_self_intersecting, DOC(Polyline, is_self_intersecting))
        .property("segments", &segments, DOC(Polyline, segments))
        .property("count", &count, DOC(Polyline, count))
        .property("length", &length, DOC(Polyline, length))
        .property("start", &start, DOC(Polyline, start))
        .property("end", &end, DOC(Polyline, end))
        .property("midpoint", &midpoint, DOC(Polyline, midpoint))
        .property("centroid", &centroid, DOC(Polyline, centroid))
        .property("mean", &mean, DOC(Polyline, mean))
        .property("longest_edge", &longest_edge, DOC(Polyline, longest_edge))
        .property("shortest_edge", &shortest_edge, DOC(Polyline, shortest_edge))
        .property("bound", &bound, DOC(Polyline, bound))
        .method("bounding_box", &bounding_box, DOC(Polyline, bounding_box), "vector"_a = box_vector, "typ"_a = 0)
        .method("minimum_bounding_box", &minimum_bounding_box, DOC(Polyline, minimum_bounding_box))
        .method("longest_edge_box", &longest_edge_box, DOC(Polyline, longest_edge_box))
        .method("set_vector_box", &set_vector_box, DOC(Polyline, set_vector_box), "vector"_a = frame_vector)
        .property("area", &area, DOC(Polyline, area))
        .property("is_clockwise", &is_clockwise, DOC(Polyline, is_clockwise))
        .property("simple_wise", &simple_wise, DOC(Polyline, simple_wise))
        .property("wise", &wise, DOC(Polyline, wise))
        .property("start_vector", &start_vector, DOC(Polyline, start_vector))
        .property("end_vector", &end_vector, DOC(Polyline, end_vector))
        .method("is_convex", &is_convex, DOC(Polyline, is_convex))
        .static_method("convex_hull", &convex_hull, DOC(Polyline, convex_hull), "points"_a)
        .static_method("unify_direction", &unify_direction, DOC(Polyline, unify_direction), "polylines"_a)
        .method("degenerate_distance", &degenerate_distance, DOC(Polyline, degenerate_distance))
        .method("offset", &offset, DOC(Polyline, offset), "distance"_a)
        .method("unequal_offset", &unequal_offset, DOC(Polyline, unequal_offset), "dis_lst"_a)
        .method("select_segment_containing_point", &select_segment_containing_point,
                DOC(Polyline, select_segment_containing_point), "point"_a)
        .method("select_segment_close_to_point", &select_segment_close_to_point,
                DOC(Polyline, select_segment_close_to_point), "point"_a)
        .method("tangent_at_point", &tangent_at_point, DOC(Polyline, tangent_at_point), "point"_a)
        .method("normal_at_point", &normal_at_point, DOC(Polyline, normal_at_point), "point"_a)
        .method("tangent_ray_at_point", &tangent_ray_at_point, DOC(Polyline, tangent_ray_at_point), "point"_a)
        .method("tangent_line_at_point", &tangent_line_at_point, DOC(Polyline, tangent_line_at_point), "point"_a)
        .method("normal_ray_at_point", &normal_ray_at_point, DOC(Polyline, normal_ray_at_point), "point"_a)
        .method("normal_line_at_point", &normal_line_at_point, DOC(Polyline, normal_line_at_point), "point"_a)
        .method("closest_point", &closest_point, DOC(Polyline, closest_point), "point"_a)
        .method("intersection", &intersection, DOC(Polyline, intersection), "other"_a)
        .method("is_point_in_bound", &is_point_in_bound, DOC(Polyline, is_point_in_bound), "point"_a)
        .method("is_point_on", &is_point_on, DOC(Polyline, is_point_on), "point"_a)
        .method("is_point_inside", &is_point_inside, DOC(Polyline, is_point_inside), "point"_a)
        .method("is_segment_inside", &is_segment_inside, DOC(Polyline, is_segment_inside), "segment"_a)
        .method("is_polyline_inside", &is_polyline_inside, DOC(Polyline, is_polyline_inside), "other_polyline"_a)
        .method("contains_point", &contains_point, DOC(Polyline, contains_point), "point"_a)
        .method("contains_points", &contains_points, DOC(Polyline, contains_points), "points"_a)
        .method("contains_segments", &contains_segments, DOC(Polyline, contains_segments), "segments"_a)
        .method("contains_polylines", &contains_polylines, DOC(Polyline, contains_polylines), "polylines"_a)
        .method("point_at_parameter", &point_at_parameter, DOC(Polyline, point_at_parameter), "t"_a)
        .method("point_at_length", &point_at_length, DOC(Polyline, point_at_length), "length"_a)
        .method("evaluate_point", &evaluate_point, DOC(Polyline, evaluate_point), "point"_a, "method"_a = "length")
        .method("divide_by_count", &divide_by_count, DOC(Polyline, divide_by_count), "count"_a)
        .method("divide_by_length", &divide_by_length, DOC(Polyline, divide_by_length), "length"_a)
        .method("find_discontinuity", &find_discontinuity, DOC(Polyline, find_discontinuity))
        .static_method("join", &join, DOC(Polyline, join), "segments"_a, "ordered"_a = false)
        .method("loft", &loft, DOC(Polyline, loft), "other_polyline"_a)
        .method("tween", &tween, DOC(Polyline, tween), "other_polyline"_a, "t"_a)
        .method("extend", &extend, DOC(Polyline, extend), "length"_a)
        .method("shorten", &shorten, DOC(Polyline, shorten), "length"_a)
        .method("adjust_length", &adjust_length, DOC(Polyline, adjust_length), "length"_a)
        .method("break_by_point", &break_by_point, DOC(Polyline, break_by_point), "point"_a)
        .method("break_by_points", &break_by_points, DOC(Polyline, break_by_points), "points"_a)
        .method("break_by_parameter", &break_by_parameter, DOC(Polyline, break_by_parameter), "t"_a)
        .method("break_by_parameters", &break_by_parameters, DOC(Polyline, break_by_parameters), "parameters"_a)
        .method("break_by_interval", &break_by_interval, DOC(Polyline, break_by_interval), "interval"_a)
        .method("break_by_intervals", &break_by_intervals, DOC(Polyline, break_by_intervals), "intervals"_a)
        .method("break_by_tuple", &break_by_tuple, DOC(Polyline, break_by_tuple), "points"_a)
        .method("break_by_tuples", &break_by_tuples, DOC(Polyline, break_by_tuples), "tuples"_a)
        .method("move", &move, DOC(Polyline, move), "vector"_a)
        .method("rotate", &rotate, DOC(Polyline, rotate), "angle"_a, "point"_a)
        .static_method("chamfer_t", &chamfer_t, DOC(Polyline, chamfer_t), "segment0"_a = nb::none(),
                       "segment1"_a = nb::none(), "radius"_a = nb::none())
        .static_method("segment_chamfer", &segment_chamfer, DOC(Polyline, segment_chamfer), "segment0"_a = nb::none(),
                       "segment1"_a = nb::none(), "radius"_a = nb::none())
        .static_method("polyline_chamfer", &polyline_chamfer, DOC(Polyline, polyline_chamfer),
                       "polyline"_a = nb::none(), "radius"_a = nb::none())
        .static_method("segment_fillet", &segment_fillet, DOC(Polyline, segment_fillet), "segment0"_a = nb::none(),
                       "segment1"_a = nb::none(), "radius"_a = nb::none(), "number"_a = nb::none())
        .static_method("polyline_fillet", &polyline_fillet, DOC(Polyline, polyline_fillet),
                       "polyline"_a = nb::none(), "radius"_a = nb::none(), "number"_a = nb::none())
        .static_method("plot_polylines", &plot_polylines, DOC(Polyline, plot_polylines), "polylines"_a,
                       "name"_a = nb::none(), "show"_a = true);
    remember_members(cls.cls());
}

}  // namespace polyline
