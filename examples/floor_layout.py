"""Floor layout: offices placed on an L-shaped floor around a corridor.

A space planner starts from the floor outline and a corridor: the corridor is
a bar of constant width around its axis, and its outline is cut into the
floor as a hole so that no office blocks it.  A grid of candidate corners is
laid over the floor every metre, and offices of the sizes asked for are
placed on grid points, square to the floor's longest wall; every
placed office keeps a clearance zone around it (1 m at its ends, 1.8 m along
its sides), cut into the floor as a new hole, so the next office keeps out
of it.  Lengths are in decimetres.

    python examples/floor_layout.py            # writes examples/out/floor_layout.png
    python examples/floor_layout.py some/dir   # writes some/dir/floor_layout.png
"""

import pathlib
import random
import sys
from typing import List, Sequence, Tuple, TypedDict, Union

import matplotlib

matplotlib.use("Agg")  # a file, never a window

import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

from Flatkin import Point  # noqa: E402
from Polygon import Bar, Bound, Polygon, RecGenerator  # noqa: E402
from Polyline import Polyline  # noqa: E402

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"

# The floor, clockwise from the south-west corner, in decimetres.
OUTLINE = [(0, 0), (0, 260), (240, 260), (240, 160), (400, 160), (400, 0), (0, 0)]
CORRIDOR = [(20, 80), (330, 80)]    # the corridor's axis
CORRIDOR_WIDTH = 18
GRID = 10                           # candidate corners every metre
OFFICES = [[40, 30]] * 8 + [[60, 40]] * 4 + [[30, 30]] * 6   # [depth, width] of each office
SEED = 4


class Layout(TypedDict):
    floor: Polygon
    corridor: Bar
    offices: List[Polyline]
    zones: List[Polyline]
    grid_left: int


def outline(coords: Sequence[Tuple[float, float]]) -> Polyline:
    return Polyline([Point(x, y) for x, y in coords])


def layout() -> Layout:
    floor = Polygon(outline(OUTLINE))
    corridor = Bar(axis=outline(CORRIDOR), diameter=CORRIDOR_WIDTH)
    geo = corridor.geo
    assert isinstance(geo, Polyline)
    floor.add_inner(geo)   # offices keep clear of the corridor
    grid = Bound(floor.outer, unit=GRID, typ=0).get_grid()
    random.seed(SEED)
    placer = RecGenerator(grid, floor, OFFICES, random_generate=True, typ=2)
    offices = placer.get_recs(clean_points=0)
    zones = list((floor.inners or [])[1:])
    return {"floor": floor, "corridor": corridor, "offices": offices, "zones": zones, "grid_left": len(grid)}


def xy(line: Polyline) -> Tuple[List[float], List[float]]:
    return [p.x for p in line.points], [p.y for p in line.points]


def draw(plan: Layout) -> Figure:
    fig, ax = plt.subplots(figsize=(9, 6.5))
    ax.plot(*xy(plan["floor"].outer), color="k", linewidth=2, label="floor")
    geo = plan["corridor"].geo
    assert isinstance(geo, Polyline)
    ax.fill(*xy(geo), color="0.8", label="corridor")
    for k, zone in enumerate(plan["zones"]):
        ax.plot(*xy(zone), color="tab:orange", linewidth=0.8, linestyle="--",
                label="clearance" if k == 0 else None)
    for k, office in enumerate(plan["offices"]):
        xs, ys = xy(office)
        ax.fill(xs, ys, alpha=0.6, label=f"office {k + 1}")
        ax.annotate(str(k + 1), (sum(xs[:4]) / 4, sum(ys[:4]) / 4), ha="center", va="center", fontsize=7)
    ax.set_aspect("equal")
    ax.set_xlabel("x (dm)")
    ax.set_ylabel("y (dm)")
    ax.legend(loc="upper left", bbox_to_anchor=(1.02, 1.0), fontsize=7)
    ax.set_title(f"{len(plan['offices'])} offices around a corridor")
    fig.tight_layout()
    return fig


def main(out_dir: Union[str, pathlib.Path] = DEFAULT_OUT) -> pathlib.Path:
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    plan = layout()
    floor_area = plan["floor"].outer.area
    print(f"{len(plan['offices'])} of {len(OFFICES)} offices placed on {floor_area / 100:.0f} m2, "
          f"corridor {plan['corridor'].area / 100:.1f} m2, {plan['grid_left']} grid points left")
    fig = draw(plan)
    path = out_dir / "floor_layout.png"
    fig.savefig(path, dpi=100)
    plt.close(fig)
    return path


if __name__ == "__main__":
    print(main(*sys.argv[1:2]))
