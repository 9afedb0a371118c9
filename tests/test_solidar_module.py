"""Solidar as a module: its imports and constants, the members of every class
with their kinds and parameters, and the call shapes every operation follows."""

import math
import os
import pathlib
import subprocess
import sys
import typing

import matplotlib
import matplotlib.pyplot as plt
import numpy as np
import pytest
import pyvista as pv

import Flatkin
import Solidar
from Solidar import Point3d, Vector3d

from test_flatkin_module import member_kind, parameters, underlying_function


def run_python(code):
    """Runs `code` in a fresh interpreter that finds the same builds."""
    env = dict(os.environ)
    dirs = {str(pathlib.Path(m.__file__).resolve().parent) for m in (Flatkin, Solidar)}
    env["PYTHONPATH"] = os.pathsep.join([*dirs, env.get("PYTHONPATH", "")])
    env["MPLBACKEND"] = "Agg"
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env, timeout=300)


# ------------------------------------------------------------------ import

def test_import_writes_nothing_of_its_own():
    done = run_python("import Flatkin, sys\nsys.stdout.flush()\nprint('--')\nimport Solidar\n")
    assert done.returncode == 0, done.stderr
    assert done.stdout.endswith("--\n")


@pytest.mark.parametrize("missing", ["numpy", "pyvista", "matplotlib"])
def test_import_needs_numpy_pyvista_and_matplotlib(missing):
    done = run_python(f"import sys\nsys.modules[{missing!r}] = None\n"
                      "try:\n    import Solidar\nexcept ModuleNotFoundError as e:\n"
                      "    print(type(e).__name__, e.name)\n")
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines()[-1] == f"ModuleNotFoundError {missing}"


def test_module_namespace_binds_its_imports_constants_and_classes():
    assert (Solidar.math, Solidar.np, Solidar.pv, Solidar.plt, Solidar.matplotlib) == (math, np, pv, plt, matplotlib)
    assert Solidar.Point is Flatkin.Point and type(Solidar.__test__) is dict and Solidar.__test__ == {}
    assert all(getattr(Solidar, name) is getattr(typing, name) for name in ("Optional", "List", "Tuple"))
    for name, value in (("epsilon", 1e-6), ("BIM_HEIGHTS", [0, 6.5, 11, 15.5]), ("BIM_UNIT_WIDTH", 8.4),
                        ("BIM_FLOOR_HEIGHTS", [0, 6.5, 4.5, 4.5, 4.5, 4.5, 4.5, 4.5])):
        got = getattr(Solidar, name)
        kinds = lambda v: [type(x) for x in (v if type(v) is list else [v])]  # noqa: E731
        assert got == value and kinds(got) == kinds(value), name
    for cls in (Point3d, Vector3d, Solidar.Surface, Solidar.Plane, Solidar.Mesh):
        assert (cls.__module__, cls.__qualname__) == ("Solidar", cls.__name__)
    assert Point3d.find_nearest_point.__qualname__ == "Point3d.find_nearest_point"


def test_rebinding_epsilon_changes_later_comparisons(monkeypatch):
    assert not Point3d(0, 0, 0) == Point3d(0.4, 0.4, 0.4)
    monkeypatch.setattr(Solidar, "epsilon", 0.5)
    assert Point3d(0, 0, 0) == Point3d(0.4, 0.4, 0.4) and Vector3d(0, 0, 0).is_equal(Vector3d(0.4, -0.4, 0))


def test_results_are_the_module_classes_even_for_subclasses():
    class P(Point3d):
        pass

    class V(Vector3d):
        pass

    p, v = P(1, 2, 3), V(1, 0, 0)
    for result in (p + v, p.move(v), p.copy(), round(p), p.tween(p, 0.5), p.rotate2d(1.0, p)):
        assert type(result) is Point3d
    for result in (p - p, v + v, v * 2, v / 2, v.reverse(), v.copy(), v.unit_vector, v.cross_product(v)):
        assert type(result) is Vector3d


# ----------------------------------------------------------- member table

M, S, P = "method", "staticmethod", "property"


def member_table(text):
    """[(name, kind, parameters)] from "name kind parameters; ..." (kind M, S or P)."""
    rows = [entry.split() for entry in text.split(";")]
    return [(r[0], {"M": M, "S": S, "P": P}[r[1]], " ".join(r[2:])) for r in rows]


POINT3D_MEMBERS = member_table("""
    __init__ M self x y z; __repr__ M self; __hash__ M self; __eq__ M self other; __round__ M self n=;
    __add__ M self other; __sub__ M self other; is_equal M self other; is_greater M self other;
    is_less M self other; distance_to_point M self other; find_nearest_point S target_point points;
    find_farthest_point S target_point points; remove_duplicate_points S points; select_unique_points S points;
    count_point_occurrences S target_point points; is_has_duplicate_points S points;
    is_has_same_point S target_point points; zero S; get_min_point S points; get_min_point_id S points;
    get_max_point S points; get_max_point_id S points;
    generate_random_points S num_points x_range= y_range= z_range=; find_nearest_two_points S points;
    rotate2d M self angle center; move M self vector; copy M self; random_point S x_range= y_range= z_range=;
    random_points S num_points x_range= y_range= z_range=; find_center S points; tween M self point2 t;
    apply_affine_transformation M self transformation_matrix;
    apply_affine_transformation_to_3d S points transformation_matrix;
    apply_affine_transformation_to_2d S points transformation_matrix; plot_points S points show=
""")

VECTOR3D_MEMBERS = member_table("""
    __init__ M self x y z; __repr__ M self; __hash__ M self; __eq__ M self other; __add__ M self other;
    __sub__ M self other; __mul__ M self other; __truediv__ M self other; magnitude P self; norm P self;
    unit_vector P self; reverse M self; dot_product M self vector2; cross_product M self other;
    is_equal M self other; adjust_length M self new_length; rotate2d M self angle=; copy M self;
    vector_from_points S point1 point2; angle S vector1 vector2 polar= compare=; radian_to_degree S radian;
    degree_to_radian S degree; cos S vector1 vector2; sin S vector1 vector2; projection_point S a b c;
    projection_distance S a b c; projection_length S a b c; projection_vector S a b c; mirror S a b c;
    intersection S a b c d; relative_position S a b c; polar_angle S point reference_point=;
    sort_points_by_polar_angle S points reference_point=; area_of_triangle S point1 point2 point3;
    is_clockwise S point1 point2 point3; is_counter_clockwise S point1 point2 point3; is_linear S points
""")

SURFACE_MEMBERS = member_table("""
    __init__ M self points; __repr__ M self; origin P self; vector_i P self; vector_j P self; height P self;
    width P self; plane P self; transformation_to_xy P self; inverse_transformation_to_xy P self;
    apply_affine_transformation_to_xy M self; divide_height M self; divide_width M self; divide_surface M self;
    divide_surface_with_label M self; divide_surface_to_planes_with_label M self; divide_surface_xy_points M self;
    divide_surface_xy_planes M self
""")

PLANE_MEMBERS = member_table("""
    __init__ M self points; __repr__ M self; __hash__ M self; normal P self; distance_to_origin P self;
    equation M self; distance_to_point M self point; plane_z_intersection M self; to_array S points;
    local_coordinate_system M self; move S plane= x= y= z=; xy_plane P self; xz_plane P self; yz_plane P self;
    xy_coord_system P self; xz_coord_system P self; yz_coord_system P self;
    transformation_matrix S coord_system1 coord_system2; transformation_matrix_to_xy M self;
    transformation_inverse_matrix_to_xy M self; is_coplanar S points
""")

MESH_MEMBERS = member_table("""
    __init__ M self vertices indices layer=; __repr__ M self; normals P self; to_pyvista_mesh M self;
    merge M self other_mesh; self_clean_vertices M self; merge_meshes_by_layer S meshes;
    apply_affine_transformation S vertices transformation_matrix; clean_vertices S vertices= _indices=;
    simplify_mesh S mesh; convert_pvMesh_to_array S pv_mesh; triangulate_2d S points;
    extrude_to_mesh S points height; constrain_delaunay_2d S points_list;
    constrain_delaunay_3d S points_list height; convert_rhinoMesh_to_pvMesh S rhino_mesh;
    show_rhino_mesh S rhino_geometries; show_pyvista_mesh S pyvista_meshes; show_mesh S meshes;
    meshes_to_front S meshes=
""")

TABLES = {"Point3d": POINT3D_MEMBERS, "Vector3d": VECTOR3D_MEMBERS, "Surface": SURFACE_MEMBERS,
          "Plane": PLANE_MEMBERS, "Mesh": MESH_MEMBERS}
MEMBERS = [(getattr(Solidar, cls), *row) for cls, rows in TABLES.items() for row in rows]
MEMBER_IDS = [f"{cls.__name__}.{name}" for cls, name, _, _ in MEMBERS]


def test_member_tables_are_complete_and_classes_bound_in_order():
    for rows, count in ((POINT3D_MEMBERS, 36), (VECTOR3D_MEMBERS, 37), (SURFACE_MEMBERS, 18), (PLANE_MEMBERS, 21),
                        (MESH_MEMBERS, 20)):
        assert len({r[0] for r in rows}) == len(rows) == count
    for name, rows in TABLES.items():
        public = {n for n in getattr(Solidar, name).__dict__ if not n.startswith("_")}
        assert public <= {r[0] for r in rows} | {"x", "y", "z"}, name
    assert [n for n in vars(Solidar) if n in TABLES] == list(TABLES)
    assert Solidar.Surface.__hash__ is object.__hash__ and Solidar.Mesh.__eq__ is object.__eq__
    assert "__eq__" not in vars(Solidar.Plane) and "__hash__" in vars(Solidar.Plane)


@pytest.mark.parametrize("cls, name, kind, params", MEMBERS, ids=MEMBER_IDS)
def test_member_is_defined_on_the_class_with_its_kind_and_parameters(cls, name, kind, params):
    assert name in cls.__dict__, f"{cls.__name__}.{name} is not defined by the class itself"
    assert member_kind(cls, name) == kind
    func = underlying_function(cls, name)
    if not hasattr(func, "__nb_signature__") and not callable(func):
        return  # a C-level descriptor has no signature
    expected = [(p.rstrip("="), p.endswith("=")) for p in params.split()]
    got = parameters(func)
    if len(expected) == 1 and not expected[0][1]:
        assert len(got) == 1 and got[0][0] in (expected[0][0], "arg", "self") and not got[0][1], got
    else:
        assert got == expected


def test_absent_operators_are_refused_and_instances_carry_a_dictionary():
    for cls, absent in ((Point3d, "__ne__ __lt__ __le__ __gt__ __ge__ __radd__ __rsub__ __mul__ __neg__ __len__ __iter__"),
                        (Vector3d, "__ne__ __lt__ __le__ __gt__ __ge__ __radd__ __rmul__ __rtruediv__ __neg__ __round__ "
                                   "__len__")):
        assert not set(absent.split()) & set(cls.__dict__), cls
    p, v = Point3d(1, 2, 3), Vector3d(1, 2, 3)
    for bad in (lambda: 2 * v, lambda: v * v, lambda: -v, lambda: 2 + p, lambda: p * 2, lambda: p < p):
        with pytest.raises(TypeError):
            bad()
    assert (p != Point3d(1, 2, 3)) is False and (v != Vector3d(0, 0, 0)) is True
    p.label, v.tag = "column", 7
    assert p.__dict__["label"] == "column" and v.tag == 7


# --------------------------------------------------------------- call shapes

ONE = [Point3d(1, 2, 3)]
ONE_PARAMETER_CALLS = [  # (callable, keyword it must refuse, positional argument that works)
    *((getattr(Point3d, f), "points", ONE) for f in ("find_center", "find_nearest_two_points", "get_min_point",
      "get_min_point_id", "get_max_point", "get_max_point_id", "is_has_duplicate_points", "remove_duplicate_points",
      "select_unique_points")),
    (Point3d.copy, "self", ONE[0]), (Vector3d.copy, "self", Vector3d(1, 2, 3)),
    (Vector3d.reverse, "self", Vector3d(1, 2, 3)), (Vector3d.radian_to_degree, "radian", 1.0),
    (Vector3d.degree_to_radian, "degree", 90), (Vector3d.is_linear, "points", ONE),
    (Solidar.Plane.to_array, "points", ONE), (Solidar.Plane.is_coplanar, "points", ONE),
    (Solidar.Mesh.merge_meshes_by_layer, "meshes", []), (Solidar.Plane.equation, "self", Solidar.Plane(ONE * 3)),
]


@pytest.mark.parametrize("func, keyword, arg", ONE_PARAMETER_CALLS,
                         ids=[f.__qualname__ for f, _, _ in ONE_PARAMETER_CALLS])
def test_one_parameter_operations_take_one_positional_argument_and_no_keyword(func, keyword, arg):
    func(arg)
    with pytest.raises(TypeError, match=r"takes no keyword arguments"):
        func(**{keyword: arg})
    for args in ((), (arg, arg)):
        with pytest.raises(TypeError):
            func(*args)


TWO_PARAMETER_CALLS = [
    (Point3d.is_equal, "other"), (Point3d.is_greater, "other"), (Point3d.is_less, "other"),
    (Point3d.distance_to_point, "other"), (Point3d.move, "vector"), (Vector3d.dot_product, "vector2"),
    (Vector3d.cross_product, "other"), (Vector3d.is_equal, "other"), (Vector3d.adjust_length, "new_length"),
    (Point3d.apply_affine_transformation, "transformation_matrix"),
]


@pytest.mark.parametrize("func, keyword", TWO_PARAMETER_CALLS, ids=[f.__qualname__ for f, _ in TWO_PARAMETER_CALLS])
def test_methods_with_one_argument_besides_the_receiver_take_it_by_keyword(func, keyword):
    receiver = Point3d(1, 2, 3) if func.__qualname__.startswith("Point3d") else Vector3d(1, 2, 3)
    arg = np.eye(4) if keyword == "transformation_matrix" else (2.0 if keyword == "new_length" else Vector3d(1, 1, 1))
    assert type(func(receiver, arg)) is type(func(receiver, **{keyword: arg}))


def test_keywords_name_the_parameters_and_statics_work_through_an_instance():
    p, q = Point3d(0, 0, 0), Point3d(1, 0, 0)
    assert Point3d.count_point_occurrences(points=[p, q], target_point=p) == 1
    assert Point3d.tween(p, point2=q, t=0.5) == Point3d(0.5, 0, 0)
    assert Vector3d.angle(vector1=Vector3d(1, 0, 0), vector2=Vector3d(0, 1, 0), polar=False) == np.pi / 2
    assert Point3d.zero() == p and Point3d.zero() is not Point3d.zero()
    for bad in (lambda: Point3d.zero(1), lambda: Point3d.get_min_point(points=[p]), lambda: p.distance_to_point(q, q)):
        with pytest.raises(TypeError):
            bad()
    assert q.zero() == p and q.find_center([q]) == q and Vector3d(0, 0, 0).degree_to_radian(180) == math.pi


@pytest.mark.parametrize("name", ["magnitude", "norm", "unit_vector"])
def test_properties_are_read_only(name):
    v = Vector3d(3, 4, 0)
    for change in (lambda: setattr(v, name, 1), lambda: delattr(v, name)):
        with pytest.raises(AttributeError):
            change()
