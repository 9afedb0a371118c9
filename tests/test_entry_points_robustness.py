"""Recursion with no Python frame into the entry points every class gets from
the class builder (__init__, __getstate__, __setstate__, __reduce_ex__):
subclass properties, instance attributes and argument attributes that are
functools.partial objects of the entry point itself must end in
RecursionError, as in plain Python, never in a C stack overflow."""

import pytest

from hostile import assert_survives

# module: (class, constructor arguments as source text)
CLASSES = {
    "Flatkin": [("Point", "1, 2"), ("Vector", "1, 2")],
    "Strakel": [("Line", "Point(0, 0), Point(1, 1)"), ("Segment", "Point(0, 0), Point(1, 1)"),
                ("Ray", "Point(0, 0), Vector(1, 1)"),
                ("SegmentCollection", "[Strakel.Segment(Point(0, 0), Point(1, 1))]")],
    "Bowlet": [("Circle", "Point(0, 0), 1.0"), ("Arc", "Point(0, 0), 1.0, 1.0, 0.0")],
    "Polyline": [("Polyline", "[Point(0, 0), Point(1, 0), Point(1, 1)]")],
    "Polygon": [("Polygon", "Polyline.Polyline([Point(0, 0), Point(4, 0), Point(4, 4), Point(0, 0)])"),
                ("Bound", "Polyline.Polyline([Point(0, 0), Point(4, 0), Point(4, 4), Point(0, 0)])"),
                ("RecGenerator", "[], Polygon.Polygon(Polyline.Polyline([Point(0, 0), Point(4, 0), "
                                 "Point(4, 4), Point(0, 0)])), [[1, 1]]"),
                ("Bar", "None, None, Polyline.Polyline([Point(0, 0), Point(4, 0)]), 1.0")],
    "Solidar": [("Point3d", "1, 2, 3"), ("Vector3d", "1, 2, 3"),
                ("Surface", "[Solidar.Point3d(0, 0, 0), Solidar.Point3d(1, 0, 0), Solidar.Point3d(1, 1, 0), "
                            "Solidar.Point3d(0, 1, 0)]"),
                ("Plane", "[Solidar.Point3d(0, 0, 0), Solidar.Point3d(1, 0, 0), Solidar.Point3d(0, 1, 0)]"),
                ("Mesh", "np.eye(3), np.array([[0, 1, 2]]), 'walls'")],
}


@pytest.mark.parametrize("module", list(CLASSES))
def test_entry_points_end_partial_and_property_cycles_in_recursion_error(module):
    assert_survives(f"""
        import numpy as np
        import Flatkin, Strakel, Bowlet, Polyline, Polygon, Solidar
        from Flatkin import Point, Vector
        sys.setrecursionlimit(400)
        for cls, args in [{", ".join(f"({module}.{n}, lambda: ({a},))" for n, a in CLASSES[module])}]:
            cls(*args())  # the arguments build the class
            entry_point_loops(cls, *args())
    """)
