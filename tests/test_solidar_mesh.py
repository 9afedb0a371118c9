"""Mesh: face normals, merging singly and by layer, duplicate vertices against
numpy.unique, affine transformation and pyvista round trips."""

import copy
import pickle
import warnings

import numpy as np
import pytest
import pyvista as pv
from hypothesis import given, settings
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import pyref_solidar as ref
from Solidar import Mesh

from common import solid_outcome

LAYER_MESSAGE = r"^Argument 'layer' has incorrect type \(expected str, got %s\)$"


def unique_reference(v):
    rows, inverse = np.unique(v, axis=0, return_inverse=True)
    return rows, inverse.reshape(-1)


# Vertex arrays with exact repeats, -0.0 beside 0.0, NaN rows and infinities.
pool = st.sampled_from([0.0, -0.0, 1.0, -1.0, 0.5, 2.0, np.nan, np.inf, -np.inf, 1e-300])
vertex_arrays = st.one_of(
    hnp.arrays(np.float64, st.tuples(st.integers(0, 60), st.just(3)), elements=pool),
    hnp.arrays(np.float32, st.tuples(st.integers(0, 30), st.just(3)), elements=pool.map(np.float32)),
    hnp.arrays(np.int64, st.tuples(st.integers(0, 30), st.just(3)), elements=st.integers(-2, 2)),
    hnp.arrays(np.float64, st.tuples(st.integers(0, 20), st.integers(1, 5)), elements=pool),
)


@settings(max_examples=300, deadline=None)
@given(vertex_arrays, st.data())
def test_duplicate_removal_equals_numpy_unique(v, data):
    rows, inverse = unique_reference(v)
    n = len(v)
    tri = data.draw(hnp.arrays(np.int64, (data.draw(st.integers(0, 10)), 3), elements=st.integers(-n, n - 1))) \
        if n else np.zeros((0, 3), dtype=np.int64)
    got_rows, got_inverse = Mesh.clean_vertices(v)
    assert got_rows.dtype == rows.dtype and got_rows.tobytes() == rows.tobytes() and got_rows.shape == rows.shape
    assert got_inverse.shape == (1, n) and np.array_equal(got_inverse[0], inverse)
    got_rows, got_tri = Mesh.clean_vertices(vertices=v, _indices=tri)
    assert np.array_equal(got_tri, inverse[tri]) and got_tri.dtype == np.intp
    mesh = Mesh(v, tri, "wall")
    for cleaned in (mesh.self_clean_vertices(), Mesh.simplify_mesh(mesh)):
        assert type(cleaned) is Mesh and cleaned.layer == "wall"
        assert cleaned.vertices.tobytes() == rows.tobytes() and np.array_equal(cleaned.indices, inverse[tri])
    assert mesh.vertices is v


def test_duplicate_removal_of_a_large_array_with_signed_zeros_and_nan_rows():
    rng = np.random.default_rng(4)
    v = rng.integers(-3, 4, (50_000, 3)).astype(float)
    v[rng.random(len(v)) < 0.2] *= -1.0
    v[rng.integers(0, len(v), 40), rng.integers(0, 3, 40)] = np.nan
    rows, inverse = unique_reference(v)
    got_rows, got_inverse = Mesh.clean_vertices(v)
    assert got_rows.tobytes() == rows.tobytes() and np.array_equal(got_inverse[0], inverse)


@pytest.mark.parametrize("v", [np.zeros((4, 0)), np.arange(6.0), np.arange(24.0).reshape(4, 3, 2), [[1, 2, 3], [1, 2, 3]],
                               np.array([[1, 2, 3], [1, 2, 3]], dtype=object)])
def test_odd_vertex_arrays_are_cleaned_as_the_plain_steps_clean_them(v):
    assert solid_outcome(Mesh.clean_vertices, v) == solid_outcome(ref.Mesh.clean_vertices, v)


normal_arrays = st.one_of(
    hnp.arrays(np.float64, (8, 3), elements=st.floats(-1e3, 1e3)),
    hnp.arrays(np.float32, (8, 3), elements=st.floats(-1e3, 1e3, width=32)),
    hnp.arrays(np.int32, (8, 3), elements=st.integers(-50, 50)),
    hnp.arrays(np.float64, (8, 3), elements=st.sampled_from([0.0, 1.0, np.nan, np.inf, 1e200])),
)


@settings(max_examples=200, deadline=None)
@given(normal_arrays, hnp.arrays(np.int64, st.tuples(st.integers(0, 12), st.just(3)), elements=st.integers(-8, 7)))
def test_face_normals_match_the_numpy_steps(v, tri):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", RuntimeWarning)
        ours = solid_outcome(lambda: Mesh(v, tri).normals)
        plain = solid_outcome(lambda: ref.Mesh(v, tri).normals)
    assert ours == plain


def test_integer_meshes_are_measured_in_floats_and_layers_are_str_or_none():
    v, i = np.array([[0, 0, 0], [1, 0, 0], [0, 1, 0]]), np.array([[0, 1, 2]])
    assert Mesh(v, i).normals.tolist() == [[0, 0, 1]]
    m = Mesh(vertices=v, indices=i, layer=None)
    assert m.vertices is v and m.indices is i and repr(m) == "Mesh:None" and repr(Mesh(v, i, "wall")) == "Mesh:wall"
    m.layer = 7
    assert repr(m) == "Mesh:7"


class Name(str):
    pass


@pytest.mark.parametrize("call, error, match", [
    (lambda: Mesh(np.zeros((3, 3)), np.array([[0, 1, 2]]), 5), TypeError, LAYER_MESSAGE % "int"),
    (lambda: Mesh(np.zeros((3, 3)), np.array([[0, 1, 2]]), Name("wall")), TypeError, LAYER_MESSAGE % "Name"),
    (lambda: Mesh.apply_affine_transformation(np.zeros((2, 3)), np.eye(3)), ValueError,
     r"^The transformation matrix should be of shape \(4, 4\)$"),
    (lambda: Mesh.apply_affine_transformation(np.zeros((2, 3)), [[1, 0], [0, 1]]), AttributeError, None),
])
def test_refusals(call, error, match):
    with pytest.raises(error, match=match):
        call()


def random_meshes(rng, count, layers, dtypes=(np.float64,)):
    meshes = []
    for k in range(count):
        n = int(rng.integers(0, 6))
        v = rng.normal(size=(n, 3)).astype(dtypes[k % len(dtypes)])
        i = rng.integers(0, max(n, 1), (int(rng.integers(0, 4)), 3))
        meshes.append((v, i, layers[int(rng.integers(0, len(layers)))]))
    return meshes


@pytest.mark.parametrize("seed, layers, dtypes", [
    (0, ["a", "b", None], (np.float64,)), (1, ["only"], (np.float64,)),
    (2, ["a", "b"], (np.float32, np.float64, np.int64)), (3, [None, "x", "y", "z", "w"], (np.float32,)),
])
def test_merging_by_layer_equals_the_pairwise_merge(seed, layers, dtypes):
    made = random_meshes(np.random.default_rng(seed), 60, layers, dtypes)
    ours = Mesh.merge_meshes_by_layer([Mesh(*m) for m in made])
    plain = ref.Mesh.merge_meshes_by_layer([ref.Mesh(*m) for m in made])
    assert solid_outcome(lambda: ours) == solid_outcome(lambda: plain)


def test_merging_keeps_single_meshes_themselves_and_calls_the_first_meshs_merge():
    a, b, c = (Mesh(np.eye(3) * k, np.array([[0, 1, 2]]), layer) for k, layer in ((1, "A"), (2, "B"), (3, "A")))
    assert Mesh.merge_meshes_by_layer((a, b, c))[1] is b

    class Custom(Mesh):
        def merge(self, other_mesh):
            return "custom"

    assert Mesh.merge_meshes_by_layer([Custom(np.zeros((3, 3)), np.array([[0, 1, 2]]), "A"), a]) == ["custom"]


def test_merging_by_layer_calls_a_merge_given_to_the_class_or_to_a_mesh(monkeypatch):
    a, b, c = (Mesh(np.eye(3) * k, np.array([[0, 1, 2]]), layer) for k, layer in ((1, "A"), (2, "B"), (3, "A")))
    a.merge = lambda other_mesh: ("own", other_mesh)
    assert Mesh.merge_meshes_by_layer([a, b, c]) == [("own", c), b]
    del a.merge
    monkeypatch.setattr(Mesh, "merge", lambda self, other_mesh: ("class", self, other_mesh))
    assert Mesh.merge_meshes_by_layer([a, b, c]) == [("class", a, c), b]
    monkeypatch.undo()
    merged = Mesh.merge_meshes_by_layer([a, b, c])[0]
    assert np.array_equal(merged.indices, [[0, 1, 2], [3, 4, 5]]) and merged.layer == "A"


@settings(max_examples=60, deadline=None)
@given(hnp.arrays(np.float64, st.tuples(st.integers(0, 10), st.just(3)), elements=st.floats(-1e3, 1e3)),
       hnp.arrays(np.float64, (4, 4), elements=st.floats(-10, 10)))
def test_affine_transformation_of_vertex_arrays(v, m):
    assert solid_outcome(Mesh.apply_affine_transformation, v, m) == solid_outcome(ref.Mesh.apply_affine_transformation, v, m)


def test_meshes_copy_and_pickle_as_plain_objects():
    m = Mesh(np.eye(3), np.array([[0, 1, 2]]), "wall")
    m.note = "level 2"
    for twin, shares in ((copy.copy(m), True), (copy.deepcopy(m), False), (pickle.loads(pickle.dumps(m)), False)):
        assert type(twin) is Mesh and (twin.layer, twin.note) == ("wall", "level 2")
        assert (twin.vertices is m.vertices) is shares
        assert np.array_equal(twin.vertices, m.vertices) and np.array_equal(twin.indices, m.indices)


@pytest.mark.parametrize("dtype", [np.float32, np.float64])
def test_pyvista_round_trip(dtype):
    points = np.array([[0, 0, 0], [1, 0, 0], [1, 1, 0], [0, 1, 0]], dtype=dtype)
    pv_mesh = pv.PolyData(points, np.array([3, 0, 1, 2, 3, 0, 2, 3]))
    v, i = Mesh.convert_pvMesh_to_array(pv_mesh)
    assert v.dtype == pv_mesh.points.dtype and np.array_equal(v, points) and i.tolist() == [[0, 1, 2], [0, 2, 3]]
    back = Mesh(v, i).to_pyvista_mesh()
    assert back.n_cells == 2 and np.array_equal(back.points, points)
