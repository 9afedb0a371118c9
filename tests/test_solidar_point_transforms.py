"""Point3d carried by 4x4 matrices, into space and onto planar points, and
drawn as labelled 3-D scatter plots."""

import matplotlib.pyplot as plt
import numpy as np
import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import pyref_solidar as ref
from Solidar import Point3d

from common import Duck3, solid_outcome

# Degenerate inputs make numpy warn; the answers are what is checked here.
pytestmark = pytest.mark.filterwarnings("ignore::numpy.exceptions.ComplexWarning", "ignore::PendingDeprecationWarning")

SHAPE_MESSAGE = r"^The transformation matrix should be of shape \(4, 4\)$"

coordinate = st.floats(-1e6, 1e6)
matrices = st.lists(st.floats(-10, 10), min_size=16, max_size=16).map(lambda v: np.array(v).reshape(4, 4))


def transforms(P):
    return {
        "one": lambda pts, m: [p.apply_affine_transformation(m) for p in pts],
        "to_3d": lambda pts, m: P.apply_affine_transformation_to_3d(pts, m),
        "to_2d": lambda pts, m: P.apply_affine_transformation_to_2d(points=pts, transformation_matrix=m),
    }


@settings(max_examples=150, deadline=None)
@given(st.lists(st.tuples(coordinate, coordinate, coordinate), max_size=20), matrices)
def test_transformations_match_the_plain_numpy_steps(coords, m):
    for name in transforms(Point3d):
        ours = solid_outcome(transforms(Point3d)[name], [Point3d(*c) for c in coords], m)
        plain = solid_outcome(transforms(ref.Point3d)[name], [ref.Point3d(*c) for c in coords], m)
        assert ours == plain, name


ODD_MATRICES = {
    "int": lambda: np.arange(16).reshape(4, 4), "float32": lambda: np.eye(4, dtype=np.float32),
    "complex": lambda: np.eye(4, dtype=complex), "matrix": lambda: np.asmatrix(np.eye(4)),
}


@pytest.mark.parametrize("coords", [[], [(1, 2, 3)], [(1, 2, 3), (4, 5, 6)]])  # empty: empty lists back
@pytest.mark.parametrize("kind", sorted(ODD_MATRICES))
def test_odd_matrices_and_duck_points_go_through_numpy_as_the_plain_steps(coords, kind):
    m = ODD_MATRICES[kind]()
    for name in transforms(Point3d):
        for make in (Duck3, lambda *c: Duck3(*map(int, c))):
            ours = solid_outcome(transforms(Point3d)[name], [make(*c) for c in coords], m)
            plain = solid_outcome(transforms(ref.Point3d)[name], [make(*c) for c in coords], m)
            assert ours == plain, name


@settings(max_examples=50, deadline=None)
@given(st.lists(st.tuples(coordinate, coordinate, coordinate), min_size=1, max_size=20),
       st.floats(-3.2, 3.2), st.tuples(coordinate, coordinate, coordinate))
def test_a_matrix_then_its_inverse_gives_back_the_points(coords, angle, shift):
    c, s = np.cos(angle), np.sin(angle)
    m = np.array([[c, -s, 0, shift[0]], [s, c, 0, shift[1]], [0, 0, 1, shift[2]], [0, 0, 0, 1]])
    pts = [Point3d(*c) for c in coords]
    back = Point3d.apply_affine_transformation_to_3d(Point3d.apply_affine_transformation_to_3d(pts, m),
                                                      np.linalg.inv(m))
    for p, q in zip(pts, back):
        assert np.allclose([p.x, p.y, p.z], [q.x, q.y, q.z], atol=1e-6)


@pytest.mark.parametrize("m, error, match", [
    (np.eye(3), ValueError, SHAPE_MESSAGE), (np.eye(4).tolist(), AttributeError, None),
    (np.eye(4).reshape(2, 8), ValueError, SHAPE_MESSAGE), (np.zeros((4, 4, 1)), ValueError, SHAPE_MESSAGE),
])
def test_matrices_of_another_shape_are_refused_before_points_are_read(m, error, match):
    never_read = [object()]
    for call in (lambda: Point3d(1, 2, 3).apply_affine_transformation(m),
                 lambda: Point3d.apply_affine_transformation_to_3d(never_read, m),
                 lambda: Point3d.apply_affine_transformation_to_2d(never_read, m)):
        with pytest.raises(error, match=match):
            call()


def test_plot_points_labels_each_point_with_its_index_and_shows_when_asked(monkeypatch):
    shown = []
    monkeypatch.setattr(plt, "show", lambda: shown.append(True))
    pts = [Point3d(0, 0, 0), Point3d(1, 2, 3), Point3d(-1, 0, 2)]
    before = plt.get_fignums()
    assert Point3d.plot_points(pts, show=False) is None and shown == []
    assert len(plt.get_fignums()) == len(before) + 1
    ax = plt.figure(plt.get_fignums()[-1]).axes[0]
    assert ax.name == "3d" and [t.get_text() for t in ax.texts] == ["0", "1", "2"]
    assert all(t.get_color() == "r" and t.get_fontsize() == 10 for t in ax.texts)
    assert [[list(c) for c in coll._offsets3d] for coll in ax.collections] == [[[p.x], [p.y], [p.z]] for p in pts]
    Point3d.plot_points([Point3d(0, 0, 0)])
    Point3d.plot_points([], show=0)
    assert shown == [True]
