"""The example scripts run and write a figure that shows something."""

import ast
import importlib.util
import math
import pathlib
import re
import sys

import matplotlib.image as mpimg
import matplotlib.pyplot as plt
import numpy as np
import pytest

from Flatkin import Point

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent / "examples"


def load(name):
    spec = importlib.util.spec_from_file_location(f"example_{name}", EXAMPLES / f"{name}.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


@pytest.mark.parametrize("name", ["site_layout", "floor_plan", "floor_layout", "polyline_demo", "polygon_demo",
                                  "facade_panels"])
def test_example_main_saves_a_non_blank_png(name, tmp_path, capsys):
    path = pathlib.Path(load(name).main(tmp_path))
    assert path.parent == tmp_path and path.suffix == ".png"
    assert path.is_file() and path.stat().st_size > 1000
    image = mpimg.imread(path)
    pixels = image.reshape(-1, image.shape[-1])[:, :3]
    assert len(np.unique(pixels, axis=0)) > 10          # more than a background and a frame
    assert (pixels < 0.95).any(axis=1).mean() > 0.01    # at least some ink on the page
    assert capsys.readouterr().out.strip()


def test_examples_import_only_the_standard_library_our_modules_and_the_base_dependencies():
    """They run after a plain install: anything more belongs in the tests."""
    if not hasattr(sys, "stdlib_module_names"):
        pytest.skip("the list of standard modules came with Python 3.10")
    base = {"Flatkin", "Strakel", "Bowlet", "Polyline", "Polygon", "Solidar", "numpy", "matplotlib", "mpl_toolkits",
            "pyvista"}
    for path in sorted(EXAMPLES.glob("*.py")):
        for node in ast.walk(ast.parse(path.read_text(encoding="utf-8"))):
            names = [a.name for a in node.names] if isinstance(node, ast.Import) else [
                node.module or ""] if isinstance(node, ast.ImportFrom) and not node.level else []
            for name in names:
                top = name.split(".")[0]
                assert top in base or top in sys.stdlib_module_names, (path.name, name)


def test_demonstrations_draw_their_polylines_number_their_points_and_show_once(capsys, monkeypatch):
    from Polyline import Polyline
    shown = []
    monkeypatch.setattr(plt, "show", lambda *a, **k: shown.append(1))
    for name in ("polyline_demo", "polygon_demo"):
        ax = load(name).demo().axes[0]
        lines = {line.get_label(): line.get_xydata().tolist() for line in ax.lines}
        labels = [t.get_text() for t in ax.texts]
        assert labels == [str(k + 1) for k in range(len(labels))] and len(shown) == 1
        shown.clear()
        plt.close("all")
        if name == "polyline_demo":
            m = Polyline([Point(0, 8), Point(0, 0), Point(30, 0)])
            l = m.offset(2).loft(m.offset(-2))  # noqa: E741
            assert lines == {"m": xy(m), "l": xy(l)} and len(labels) == l.count
        else:
            assert re.fullmatch(r"time \d\S*", capsys.readouterr().out.splitlines()[0])
            assert list(lines)[0] == "polyline2" and list(lines)[1:] == [f"rec{k}" for k in range(len(lines) - 1)]
            assert len(lines) > 1 and all(abs(shoelace(lines[k]) - 12) < 1e-9 for k in lines if k != "polyline2")


def shoelace(ring):
    return abs(sum(a[0] * b[1] - b[0] * a[1] for a, b in zip(ring, ring[1:]))) / 2


def xy(polyline):
    return [[p.x, p.y] for p in polyline.points]


def test_site_layout_plan_keeps_columns_inside_the_site_and_away_from_trees():
    site = load("site_layout")
    plan = site.layout()
    assert plan["columns"]
    for p in plan["columns"]:
        assert site.inside(p, site.SITE)
        assert min(p.distance_to_point(t) for t in site.TREES) > site.TREE_CLEARANCE
    a, b = plan["closest_trees"]
    assert a in site.TREES and b in site.TREES and a is not b


def test_floor_plan_rooms_tile_the_floor():
    plan = load("floor_plan")
    result = plan.layout()
    assert sorted(result["areas"]) == pytest.approx([36.0, 36.0, 36.0, 72.0])
    assert sum(result["areas"]) == pytest.approx(plan.WIDTH * plan.DEPTH)
    assert len(result["doors"]) == len(plan.PARTITIONS_X)
    assert len(result["bay"]) == 24


def test_floor_layout_offices_stay_on_the_floor_clear_of_the_corridor_and_each_other():
    shapely = pytest.importorskip("shapely.geometry")
    plan = load("floor_layout").layout()
    shape = lambda line: shapely.Polygon([(p.x, p.y) for p in line.points])  # noqa: E731
    floor, corridor = shape(plan["floor"].outer).buffer(1e-6), shape(plan["corridor"].geo)
    offices = [shape(o) for o in plan["offices"]]
    assert len(offices) >= 10
    for k, office in enumerate(offices):
        assert floor.contains(office) and office.intersection(corridor).area < 1e-6
        assert all(office.intersection(other).area < 1e-6 for other in offices[:k])


def test_facade_panels_stand_out_of_their_walls_closed_and_cover_each_wall_less_its_windows():
    shapely = pytest.importorskip("shapely")
    import Solidar
    example = load("facade_panels")
    settings = Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH
    facades = example.layout()
    assert (Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH) == settings   # put back after the division
    assert [m.layer for m in facades["layers"]] == ["panel", "glass"]
    assert [len(m.indices) for m in facades["layers"]] == [
        sum(len(p[k].indices) for p in facades["panels"]) for k in ("opaque", "glass")]
    plan, height, depth = shapely.Polygon(example.PLAN), sum(example.STOREY_HEIGHTS), example.PANEL_DEPTH
    for k, wall in enumerate(facades["walls"]):
        origin, right = (np.array([q.x, q.y, q.z]) for q in (wall.points[0], wall.points[-1]))
        n = wall.plane.normal
        inward = np.array([n.x, n.y, n.z]) / n.magnitude
        middle = (origin + right)[:2] / 2
        assert plan.contains(shapely.Point(middle + inward[:2]))          # the normal points into the building
        assert not plan.contains(shapely.Point(middle - inward[:2]))
        panels = [p for p in facades["panels"] if p["wall"] == k]
        assert len(panels) == math.ceil(wall.width / example.UNIT_WIDTH) * len(example.STOREY_HEIGHTS)
        covered = 0.0
        for p in panels:
            opaque, glass = p["opaque"], p["glass"]
            v, t = opaque.vertices, opaque.indices
            assert np.allclose(np.unique(((v - origin) @ inward).round(9)), [-depth, 0])   # standing out of the wall
            outer = (t >= len(v) // 2).all(axis=1)   # the triangles on the second half of the rows
            assert outer.any() and np.allclose(opaque.normals[outer], -inward)
            corners = v[t] - v[0]
            volume = np.einsum("ij,ij->i", corners[:, 0], np.cross(corners[:, 1], corners[:, 2])).sum() / 6
            assert math.isclose(volume, p["area"] * depth, rel_tol=1e-9)                   # closed, facing out
            assert math.isclose(p["area"], p["expected"], rel_tol=1e-9)
            assert math.isclose(p["expected"], shapely.Polygon(p["outline"], [p["window"]]).area, rel_tol=1e-12)
            assert np.allclose((glass.vertices - origin) @ inward, 0) and np.allclose(glass.normals, -inward)
            covered += p["area"] + example.face_area(glass.vertices, glass.indices)
        assert math.isclose(covered, wall.width * height, rel_tol=1e-9)   # panels and panes tile the wall
    longest = max(range(len(facades["walls"])), key=lambda k: facades["walls"][k].width)
    labels = ["{},{}".format(*p["label"]) for p in facades["panels"] if p["wall"] == longest]
    assert [t.get_text() for t in example.draw(facades).axes[1].texts] == labels


def test_readme_tour_runs_and_prints_what_its_comments_say(capsys, monkeypatch):
    import Solidar
    monkeypatch.setattr(Solidar, "BIM_UNIT_WIDTH", Solidar.BIM_UNIT_WIDTH)  # the tour rebinds it
    readme = (EXAMPLES.parent / "README.md").read_text(encoding="utf-8")
    blocks = re.findall(r"```python\n(.*?)```", readme, re.S)
    assert len(blocks) >= 5
    exec(compile("\n".join(blocks), "README.md", "exec"), {})
    out = capsys.readouterr().out.splitlines()
    assert "40.0 Vector(1.0, 0.0)" in out and "504.0 100.0 1" in out and "(3, 3)" in out
    assert "[24.0, 36.0]" in out  # the two rooms, closed polylines
    assert "Vector3d(0.0, 1.0, 0.0)" in out and "[('plinth', (48, 3)), ('panel', (48, 3))]" in out and "-0.15" in out
