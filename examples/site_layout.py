"""Site layout: the corners of a plot, a few trees and a rotated grid of columns.

A short script of the kind a building designer writes at the start of a
project: mark the site, find which tree stands nearest to each corner of the
plot, lay a column grid turned to the street's direction, drop the columns
that fall too close to a tree, and save a plan to a PNG file.

    python examples/site_layout.py            # writes examples/out/site_layout.png
    python examples/site_layout.py some/dir   # writes some/dir/site_layout.png
"""

import math
import pathlib
import sys
from typing import List, Optional, Sequence, Tuple, TypedDict, Union

import matplotlib

matplotlib.use("Agg")  # a file, never a window

import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

from Flatkin import Point, Vector  # noqa: E402

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"

# The plot: four corners in metres, counter-clockwise from the street corner.
SITE = [Point(0, 0), Point(42, 6), Point(38, 33), Point(-3, 27)]
TREES = [Point(5, 4), Point(20, 24), Point(36, 10), Point(12, 20), Point(30, 30)]
STREET_ANGLE = Vector.degree_to_radian(8.1)  # the street runs 8.1 degrees off east
GRID_STEP = 7.5  # column spacing in metres
TREE_CLEARANCE = 3.0  # no column closer than this to a trunk


class Plan(TypedDict):
    centre: Point
    corners: List[Tuple[Point, Point, float]]
    columns: List[Point]
    dropped: List[Point]
    closest_trees: Tuple[Point, Point]


def nearest_trees(corners: Sequence[Point], trees: Sequence[Point]) -> List[Tuple[Point, Point, float]]:
    """For each corner, the nearest tree and its distance."""
    result = []
    for corner in corners:
        tree = Point.find_nearest_point(corner, trees)
        result.append((corner, tree, corner.distance_to_point(tree)))
    return result


def column_grid(origin: Point, angle: float, step: float, columns: int, rows: int) -> List[Point]:
    """A grid of columns laid out along the x axis from `origin`, then turned
    by `angle` about it."""
    grid = []
    for j in range(rows):
        for i in range(columns):
            p = origin + Vector(i * step, j * step)
            grid.append(p.rotate(angle, origin))
    return grid


def inside(point: Point, outline: Sequence[Point]) -> bool:
    """True when `point` lies to the left of every edge of a counter-clockwise
    outline (a convex site)."""
    n = len(outline)
    return all(Vector.relative_position(outline[k], outline[(k + 1) % n], point) == 0 for k in range(n))


def layout() -> Plan:
    centre = Point.find_center(SITE)
    origin = SITE[0] + Vector(4, 3)
    grid = column_grid(origin, STREET_ANGLE, GRID_STEP, columns=6, rows=5)
    grid = [p for p in grid if inside(p, SITE)]
    columns = [p for p in grid
               if p.distance_to_point(Point.find_nearest_point(p, TREES)) > TREE_CLEARANCE]
    a, b = Point.find_nearest_two_points(TREES)
    assert a is not None and b is not None  # five trees: there is a closest pair
    return {
        "centre": centre,
        "corners": nearest_trees(SITE, TREES),
        "columns": columns,
        "dropped": [p for p in grid if p not in columns],
        "closest_trees": (a, b),
    }


def draw(plan: Plan) -> Figure:
    fig, ax = plt.subplots(figsize=(7, 6))
    outline = SITE + [SITE[0]]
    ax.plot([p.x for p in outline], [p.y for p in outline], "k-", lw=2, label="site")
    ax.scatter([t.x for t in TREES], [t.y for t in TREES], s=180, c="tab:green", alpha=0.6, label="trees")
    cols = plan["columns"]
    ax.scatter([p.x for p in cols], [p.y for p in cols], marker="s", c="tab:blue", label="columns")
    dropped = plan["dropped"]
    if dropped:
        ax.scatter([p.x for p in dropped], [p.y for p in dropped], marker="x", c="tab:red",
                   label="too near a tree")
    for corner, tree, dist in plan["corners"]:
        ax.plot([corner.x, tree.x], [corner.y, tree.y], ":", c="grey")
        ax.annotate(f"{dist:.1f} m", ((corner.x + tree.x) / 2, (corner.y + tree.y) / 2), fontsize=8)
    c = plan["centre"]
    ax.plot([c.x], [c.y], "k+", ms=12)
    ax.set_aspect("equal")
    ax.set_title("Site layout: columns on a grid turned %.1f deg" % Vector.radian_to_degree(STREET_ANGLE))
    ax.legend(loc="upper left", fontsize=8)
    return fig


def main(out_dir: Optional[Union[str, pathlib.Path]] = None) -> pathlib.Path:
    """Builds the plan, saves it as site_layout.png in `out_dir` (by default
    examples/out/) and returns the path of the file."""
    out = pathlib.Path(out_dir) if out_dir is not None else DEFAULT_OUT
    out.mkdir(parents=True, exist_ok=True)
    plan = layout()
    fig = draw(plan)
    path = out / "site_layout.png"
    fig.savefig(path, dpi=80)
    plt.close(fig)
    a, b = plan["closest_trees"]
    print(f"{len(plan['columns'])} columns, {len(plan['dropped'])} dropped near trees; "
          f"closest trees {a} and {b}, {a.distance_to_point(b):.2f} m apart; "
          f"street turned {math.degrees(STREET_ANGLE):.1f} deg")
    return path


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else None)
