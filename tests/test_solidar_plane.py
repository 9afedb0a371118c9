"""Plane: normal, equation, distances, translation, the axis planes,
coplanarity, orthonormal frames and the matrices between frames."""

import warnings

import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
from Solidar import Plane, Point3d, Vector3d

from common import Duck3, DuckVector3, solid_outcome

coordinate = st.one_of(st.floats(-100, 100), st.integers(-3, 3).map(float))
point = st.tuples(coordinate, coordinate, coordinate)

PLANE_OPS = {
    "normal": lambda P, pl, q: pl.normal, "distance_to_origin": lambda P, pl, q: pl.distance_to_origin,
    "equation": lambda P, pl, q: pl.equation(), "distance_to_point": lambda P, pl, q: pl.distance_to_point(point=q),
    "z_intersection": lambda P, pl, q: pl.plane_z_intersection(), "to_array": lambda P, pl, q: P.to_array(pl.points),
    "frame": lambda P, pl, q: pl.local_coordinate_system(), "move": lambda P, pl, q: P.move(pl, 1, z=-2.5).points,
    "to_xy": lambda P, pl, q: pl.transformation_matrix_to_xy(),
    "from_xy": lambda P, pl, q: pl.transformation_inverse_matrix_to_xy(),
    "coplanar": lambda P, pl, q: P.is_coplanar(pl.points + [q]), "hash": lambda P, pl, q: hash(pl),
    "repr": lambda P, pl, q: repr(pl),
    "axis_frames": lambda P, pl, q: (pl.xy_coord_system, pl.xz_coord_system, pl.yz_coord_system),
    "axis_planes": lambda P, pl, q: [(p.normal, p) for p in (pl.xy_plane, pl.xz_plane, pl.yz_plane)],
    "frame_matrix": lambda P, pl, q: P.transformation_matrix(pl.xz_coord_system, pl.local_coordinate_system()),
}


def check_plane(a, b, c, q):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)
        for name, op in PLANE_OPS.items():
            ours = solid_outcome(op, Plane, Plane([Point3d(*p) for p in (a, b, c)]), Point3d(*q))
            plain = solid_outcome(op, ref.Plane, ref.Plane([ref.Point3d(*p) for p in (a, b, c)]), ref.Point3d(*q))
            assert ours == plain, name


@settings(max_examples=200, deadline=None)
@given(point, point, point, point)
def test_plane_operations_match_the_plain_reference(a, b, c, q):
    check_plane(a, b, c, q)


@pytest.mark.parametrize("a, b, c, q", [
    ((0, 0, 2), (0, 1, 2), (1, 0, 2), (5, 5, 5)), ((0, 0, 2), (0, 1, 2), (1, 0, 2), (5, 5, -1)),
    ((0, 0, 0), (0, 0, 3), (4, 0, 0), (1, 2, 3)),                     # a façade
    ((1, 2, 5), (1, 3, 5), (2, 2, 5), (0, 0, 0)), ((1, 2, 3), (4, 5, 6), (0, 1, 1), (0, 0, 0)),
    ((0, 0, 0), (0, 1, 0), (5, 7, 0), (5, 7, 1e-9)),                  # coplanarity is exact
    ((0, 0, 0), (1, 1, 1), (2, 2, 2), (0, 1, 0)),                     # degenerate: divisions by zero
])
def test_chosen_planes_match_the_plain_reference(a, b, c, q):
    check_plane(a, b, c, q)


@settings(max_examples=100, deadline=None)
@given(point, point, point, st.lists(point, min_size=1, max_size=5))
def test_frames_are_orthonormal_right_handed_and_the_matrices_undo_each_other(a, b, c, others):
    pl = Plane([Point3d(*p) for p in (a, b, c)])
    if pl.normal.magnitude < 1e-3 or Point3d(*a).distance_to_point(Point3d(*b)) < 1e-3:
        return
    origin, u, v, n = pl.local_coordinate_system()
    assert np.allclose([u @ u, v @ v, n @ n], 1) and np.allclose([u @ v, u @ n, v @ n], 0, atol=1e-9)
    assert np.allclose(np.cross(u, v), n)
    to_xy, back = pl.transformation_matrix_to_xy(), pl.transformation_inverse_matrix_to_xy()
    pts = [Point3d(*p) for p in others]
    there = Point3d.apply_affine_transformation_to_3d(pts, to_xy)
    again = Point3d.apply_affine_transformation_to_3d(there, back)
    scale = 1 + max(abs(x) for p in others for x in p)
    for p, q in zip(pts, again):
        assert np.allclose([p.x, p.y, p.z], [q.x, q.y, q.z], atol=1e-9 * scale)
    flat = Point3d.apply_affine_transformation_to_3d(pl.points, to_xy)
    assert all(abs(p.z) < 1e-9 * scale for p in flat) and flat[0] == Point3d(0, 0, 0)


def test_points_kept_as_given_or_as_first_second_and_last():
    three = [Point3d(0, 0, 0), Point3d(0, 1, 0), Point3d(1, 0, 0)]
    assert Plane(three).points is three
    four = three + [Point3d(5, 5, 0)]
    pl = Plane(four)
    assert pl.points == [four[0], four[1], four[3]] and pl.points is not four and len(four) == 4
    with pytest.raises(Exception, match="^Points number less than three!$") as caught:
        Plane(three[:2])
    assert type(caught.value) is Exception
    kept = Plane(three)
    three.append(Point3d(9, 9, 9))
    for call in (kept.equation, kept.local_coordinate_system):
        with pytest.raises(ValueError, match=r"too many values to unpack \(expected 3\)"):
            call()
    assert kept.normal == Vector3d(0, 0, -1)


def test_planes_hash_by_first_point_and_normal_and_equal_only_themselves():
    pts = [Point3d(0, 0, 0), Point3d(0, 1, 0), Point3d(1, 0, 0)]
    a, b = Plane(pts), Plane(list(pts))
    assert hash(a) == hash(b) == hash((pts[0], Vector3d(0, 0, -1)))
    assert a != b and a == a and len({a: 1, b: 2}) == 2


def test_text_hash_and_distance_to_origin_read_the_normal_a_subclass_gives():
    class Leaning(DuckVector3):
        __hash__ = lambda self: hash((self.x, self.y, self.z))  # noqa: E731
        __str__ = lambda self: "leaning"  # noqa: E731

    for base, point in ((Plane, Point3d), (ref.Plane, ref.Point3d)):
        reads = []
        first = type("Named", (point,), {"__str__": lambda self: "base"})(1, 2, 3)  # a first point with a text
        tilted = type("Tilted", (base,), {"normal": property(lambda self: reads.append(1) or Leaning(0.0, 3.0, 4.0))})
        pl = tilted([first, point(0, 1, 0), point(1, 0, 0)])
        assert repr(pl) == "Plane(base, leaning)" and pl.distance_to_origin == 18 / 5
        assert hash(pl) == hash((first, Leaning(0.0, 3.0, 4.0))) and len(reads) == 4


def test_axis_planes_are_new_each_time_and_frames_unpack_four():
    pl = Plane([Point3d(0, 0, 0), Point3d(0, 0, 3), Point3d(4, 0, 0)])
    assert pl.xy_plane is not pl.xy_plane
    with pytest.raises(ValueError, match=r"too many values to unpack \(expected 4\)"):
        Plane.transformation_matrix(pl.xy_coord_system + pl.xy_coord_system[:1], pl.xy_coord_system)


def test_odd_point_lists_as_the_plain_steps_take_them():
    for pts in ([], [object()] * 3, [Duck3(1, 2, 3), Point3d(4, 5, 6)]):
        for f in ("is_coplanar", "to_array"):
            assert solid_outcome(getattr(Plane, f), pts) == solid_outcome(getattr(ref.Plane, f), pts), f


def test_moving_builds_new_points_and_needs_numbers():
    pl = Plane([Point3d(0, 0, 0), Point3d(0, 1, 0), Point3d(1, 0, 0)])
    copy = Plane.move(plane=pl)
    assert copy.points[0] is not pl.points[0] and copy.points[0] == pl.points[0]
    for call, error in ((lambda: Plane.move(), AttributeError), (lambda: Plane.move(None, "east"), TypeError)):
        with pytest.raises(error):
            call()
