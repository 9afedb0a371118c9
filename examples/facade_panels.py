"""Façade panels: the outer walls of an L-shaped building divided into storey
and unit panels, a window cut into each panel, every panel built as a solid
and laid back onto its wall.

A façade designer starts from the plan and the storey heights.  Each outer
wall becomes a `Surface` with its corners as seen from outside (base bottom
left, the point above it, top right, bottom right): the plan runs counter-
clockwise, so every plan edge runs to the right for someone outside, and the
wall's plane normal points into the building.  The wall is divided into
storeys and units, each panel with its position label; the ground storey
gets shop windows, the storeys above a window each.  In a panel's flat frame
(x along its width, y up, z out of the building) the panel less its window
is triangulated and extruded outwards by the panel's depth, the pane
triangulated flat; the panel's inverse transformation lays both back onto
the wall.  Panels and panes are merged by layer, the opaque area of every
panel is checked against the panel less its window, and the building is
drawn.

    python examples/facade_panels.py            # writes examples/out/facade_panels.png
    python examples/facade_panels.py some/dir   # writes some/dir/facade_panels.png
"""

import contextlib
import pathlib
import sys
from typing import Iterator, List, Sequence, Tuple, TypedDict, Union

import matplotlib

matplotlib.use("Agg")  # a file, never a window

import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
import numpy.typing as npt  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402
from mpl_toolkits.mplot3d.art3d import Poly3DCollection  # type: ignore[import-untyped]  # noqa: E402

import Solidar  # noqa: E402
from Flatkin import Point  # noqa: E402
from Solidar import Mesh, Point3d, Surface  # noqa: E402

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"

# The plan, counter-clockwise seen from above, in metres.
PLAN = [(0.0, 0.0), (30.0, 0.0), (30.0, 12.0), (12.0, 12.0), (12.0, 24.0), (0.0, 24.0)]
STOREY_HEIGHTS = [4.2, 3.4, 3.4, 3.4]   # ground storey first
UNIT_WIDTH = 3.6
PANEL_DEPTH = 0.15                      # the panels stand this far out of the walls
SILL, HEAD = 0.9, 0.6                   # upper windows: sill above the floor, head below the next floor
SHOP_INSET = 0.3                        # ground storey: the window this far from the panel's sides, top and bottom

Coords = List[Tuple[float, float]]
Floats = npt.NDArray[np.float64]


class Panel(TypedDict):
    wall: int
    label: Tuple[int, int]        # (column, row): -1 first, 1 last, 0 between
    surface: Surface
    outline: Coords               # in the panel's flat frame
    window: Coords
    opaque: Mesh                  # laid back onto the wall
    glass: Mesh
    area: float                   # of the outer face, from its triangles
    expected: float               # the panel less its window, from their corners


class Facades(TypedDict):
    walls: List[Surface]
    panels: List[Panel]
    layers: List[Mesh]            # merged: "panel", then "glass"


def walls(plan: Sequence[Tuple[float, float]], height: float) -> List[Surface]:
    """One surface per plan edge, its corners as seen from outside."""
    result = []
    for k, (x0, y0) in enumerate(plan):
        x1, y1 = plan[(k + 1) % len(plan)]
        corners = [Point3d(x0, y0, 0), Point3d(x0, y0, height), Point3d(x1, y1, height), Point3d(x1, y1, 0)]
        result.append(Surface(corners))
    return result


@contextlib.contextmanager
def storeys_and_units(heights: Sequence[float], unit: float) -> Iterator[None]:
    """Divide façades into these storeys and units (module settings, read when
    a façade is divided), and put the previous settings back afterwards."""
    saved = Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH
    Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH = [0.0, *heights], unit
    try:
        yield
    finally:
        Solidar.BIM_FLOOR_HEIGHTS, Solidar.BIM_UNIT_WIDTH = saved


def rectangle(x0: float, y0: float, x1: float, y1: float) -> Coords:
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def window(width: float, height: float, ground: bool) -> Coords:
    if ground:
        return rectangle(SHOP_INSET, SHOP_INSET, width - SHOP_INSET, height - SHOP_INSET)
    return rectangle(width / 4, SILL, 3 * width / 4, height - HEAD)


def points(coords: Coords) -> List[Point]:
    return [Point(x, y) for x, y in coords]


def ring_area(coords: Coords) -> float:
    """The area a ring of corners encloses (the shoelace sum)."""
    return abs(sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(coords, coords[1:] + coords[:1]))) / 2


def face_area(vertices: Floats, triangles: npt.NDArray[np.int64]) -> float:
    corners = vertices[triangles]
    doubled = np.cross(corners[:, 1] - corners[:, 0], corners[:, 2] - corners[:, 0])
    return float(np.linalg.norm(doubled, axis=1).sum() / 2)


def panel(wall: int, surface: Surface, label: Tuple[int, int]) -> Panel:
    outline = rectangle(0.0, 0.0, surface.width, surface.height)
    opening = window(surface.width, surface.height, ground=label[1] == -1)
    # Rows: the panel's points, then the window's, all at z = 0, then the
    # same rows again at z = PANEL_DEPTH; the outer face is the triangles
    # on those last rows.  Everything faces out of the solid.
    v, t = Mesh.constrain_delaunay_3d([points(outline), points(opening)], PANEL_DEPTH)
    pane_v, pane_t = Mesh.triangulate_2d(points(opening))  # facing +z: out of the building once laid back
    back = surface.inverse_transformation_to_xy
    opaque = Mesh(Mesh.apply_affine_transformation(v, back), t, "panel")
    outer = t[(t >= len(v) // 2).all(axis=1)]
    return {
        "wall": wall, "label": label, "surface": surface, "outline": outline, "window": opening,
        "opaque": opaque,
        "glass": Mesh(Mesh.apply_affine_transformation(pane_v, back), pane_t, "glass"),
        "area": face_area(opaque.vertices, outer),
        "expected": ring_area(outline) - ring_area(opening),
    }


def layout() -> Facades:
    surfaces = walls(PLAN, sum(STOREY_HEIGHTS))
    panels = []
    with storeys_and_units(STOREY_HEIGHTS, UNIT_WIDTH):
        for k, wall in enumerate(surfaces):
            for cell, label in wall.divide_surface_with_label().items():
                panels.append(panel(k, cell, label))
    meshes = [p["opaque"] for p in panels] + [p["glass"] for p in panels]
    return {"walls": surfaces, "panels": panels, "layers": Mesh.merge_meshes_by_layer(meshes)}


COLOURS = {"panel": "tan", "glass": "lightskyblue"}


def draw(facades: Facades) -> Figure:
    fig = plt.figure(figsize=(12, 5.5))
    ax3 = fig.add_subplot(1, 2, 1, projection="3d")
    for mesh in facades["layers"]:
        triangles = Poly3DCollection(mesh.vertices[mesh.indices], facecolor=COLOURS[str(mesh.layer)],
                                     edgecolor="0.4", linewidth=0.1, label=str(mesh.layer))
        ax3.add_collection3d(triangles)
    xs, ys = [x for x, _ in PLAN], [y for _, y in PLAN]
    ax3.set(xlim=(min(xs), max(xs)), ylim=(min(ys), max(ys)), zlim=(0, sum(STOREY_HEIGHTS)))
    ax3.set_box_aspect((max(xs) - min(xs), max(ys) - min(ys), sum(STOREY_HEIGHTS)))
    ax3.view_init(elev=20, azim=-125)   # from the south-west, outside
    ax3.set_title("Panels laid back onto the walls")
    ax3.legend(loc="upper left", fontsize=8)
    # The longest wall laid flat: its panels, windows and labels.
    longest = max(range(len(facades["walls"])), key=lambda k: facades["walls"][k].width)
    ax = fig.add_subplot(1, 2, 2)
    for p in facades["panels"]:
        if p["wall"] != longest:
            continue
        corner = p["surface"].origin.apply_affine_transformation(facades["walls"][longest].transformation_to_xy)
        x0, y0 = corner.x, corner.y
        for ring, colour in ((p["outline"], COLOURS["panel"]), (p["window"], COLOURS["glass"])):
            ax.fill([x0 + x for x, _ in ring], [y0 + y for _, y in ring], facecolor=colour, edgecolor="0.3",
                    linewidth=0.6)
        width, height = p["outline"][2]
        ax.text(x0 + width / 2, y0 + height - HEAD / 2, "{},{}".format(*p["label"]), ha="center", va="center",
                fontsize=6)
    ax.set_aspect("equal")
    ax.set_xlabel("along the wall (m)")
    ax.set_ylabel("height (m)")
    ax.set_title(f"Wall {longest} laid flat, panels labelled (column, row)")
    fig.tight_layout()
    return fig


def main(out_dir: Union[str, pathlib.Path] = DEFAULT_OUT) -> pathlib.Path:
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    facades = layout()
    panels = facades["panels"]
    ours, expected = sum(p["area"] for p in panels), sum(p["expected"] for p in panels)
    worst = max(abs(p["area"] - p["expected"]) / p["expected"] for p in panels)
    print(f"{len(panels)} panels on {len(facades['walls'])} walls: opaque {ours:.2f} m2, "
          f"expected {expected:.2f} m2, largest relative difference {worst:.1e}")
    for mesh in facades["layers"]:
        print(f"layer {mesh.layer}: {len(mesh.vertices)} vertices, {len(mesh.indices)} triangles")
    fig = draw(facades)
    path = out_dir / "facade_panels.png"
    fig.savefig(path, dpi=100)
    plt.close(fig)
    return path


if __name__ == "__main__":
    print(main(*sys.argv[1:2]))
