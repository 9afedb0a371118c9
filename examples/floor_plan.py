"""Floor plan: walls split into rooms, door openings, a round column and a
curved bay window.

A building designer sketches a storey as a handful of long wall lines: the
outer walls and two partitions that run across the floor.  The segment
network splits the walls where they cross and walks them into rooms; each
room's area comes from its outline.  A door opens from the corridor in the
corridor wall just west of each partition; a column stands in the hall, and the bay window on the south front is an arc
sampled into points and joined to the wall at both ends.

    python examples/floor_plan.py            # writes examples/out/floor_plan.png
    python examples/floor_plan.py some/dir   # writes some/dir/floor_plan.png
"""

import pathlib
import sys
from typing import List, Sequence, Tuple, TypedDict, Union

import matplotlib

matplotlib.use("Agg")  # a file, never a window

import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402
from matplotlib.patches import Circle as Disc  # noqa: E402

from Bowlet import Arc, Circle  # noqa: E402
from Flatkin import Point, Vector  # noqa: E402
from Polygon import Polygon  # noqa: E402
from Strakel import Segment, SegmentCollection  # noqa: E402

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"

WIDTH, DEPTH = 18.0, 10.0   # outer walls, metres
CORRIDOR_Y = 4.0            # the corridor wall runs the full width
PARTITIONS_X = (6.0, 12.0)  # cross walls north of the corridor
DOOR_WIDTH = 0.9
DOOR_JAMB = 0.5             # from the partition to the door's near jamb


class Plan(TypedDict):
    walls: List[Segment]
    rooms: List[List[Point]]
    areas: List[float]
    doors: List[Segment]
    column: Circle
    bay: List[Point]          # sampled strictly between the ends
    bay_ends: Tuple[Point, Point]


def walls() -> List[Segment]:
    """The wall lines as drawn: long lines that cross each other."""
    corners = [Point(0, 0), Point(WIDTH, 0), Point(WIDTH, DEPTH), Point(0, DEPTH)]
    outer = [Segment(corners[k], corners[(k + 1) % 4]) for k in range(4)]
    corridor = [Segment(Point(0, CORRIDOR_Y), Point(WIDTH, CORRIDOR_Y))]
    partitions = [Segment(Point(x, CORRIDOR_Y), Point(x, DEPTH)) for x in PARTITIONS_X]
    return outer + corridor + partitions


def area(points: Sequence[Point]) -> float:
    """Shoelace area of a closed outline (positive counter-clockwise)."""
    total = 0.0
    for k, p in enumerate(points):
        q = points[(k + 1) % len(points)]
        total += Vector.cross_product(p, q)
    return total / 2


def doors(lines: Sequence[Segment]) -> List[Segment]:
    """A door in the corridor wall just west of each partition: from
    DOOR_JAMB + DOOR_WIDTH to DOOR_JAMB west of the crossing."""
    corridor = lines[4]
    result = []
    for partition in lines[5:]:
        crossing = corridor.intersection_with_segment(partition)
        if crossing is not None:
            west = crossing + Vector(-DOOR_JAMB - DOOR_WIDTH, 0)
            result.append(Segment(west, west + Vector(DOOR_WIDTH, 0)))
    return result


def layout() -> Plan:
    lines = walls()
    # Each room as a closed polyline: its first point again at the end.
    rooms = Polygon.get_polygons(SegmentCollection(list(lines)))
    outlines = [list(room.points[:-1]) for room in rooms]
    bay_start, bay_end = Point(7, 0), Point(11, 0)
    bay = Arc(start_point=bay_start, arc_point=Point(9, -1.5), end_point=bay_end)
    return {
        "walls": lines,
        "rooms": outlines,
        "areas": [abs(area(o)) for o in outlines],
        "doors": doors(lines),
        "column": Circle(Point(WIDTH / 2, CORRIDOR_Y / 2), 0.25),
        "bay": Arc.arc_to_polyline(bay, number=24),
        "bay_ends": (bay_start, bay_end),
    }


def draw(plan: Plan) -> Figure:
    fig, ax = plt.subplots(figsize=(9, 5))
    for k, outline in enumerate(plan["rooms"]):
        xs = [p.x for p in outline] + [outline[0].x]
        ys = [p.y for p in outline] + [outline[0].y]
        ax.fill(xs, ys, alpha=0.25, label=f"room {k + 1}")
        centre = Point.find_center(outline)
        ax.annotate(f"{k + 1}\n{plan['areas'][k]:.1f} m²", (centre.x, centre.y), ha="center", va="center",
                    fontsize=8)
    for wall in plan["walls"]:
        ax.plot([wall.start.x, wall.end.x], [wall.start.y, wall.end.y], color="k", linewidth=2)
    for door in plan["doors"]:
        ax.plot([door.start.x, door.end.x], [door.start.y, door.end.y], color="w", linewidth=4)
    column = plan["column"]
    ax.add_patch(Disc((column.center.x, column.center.y), column.radius, color="grey"))
    start, end = plan["bay_ends"]
    bay = [start] + plan["bay"] + [end]  # joined to the wall at both ends
    ax.plot([p.x for p in bay], [p.y for p in bay], color="tab:blue", linewidth=2)
    ax.set_aspect("equal")
    ax.set_xlabel("x (m)")
    ax.set_ylabel("y (m)")
    ax.legend(loc="upper left", bbox_to_anchor=(1.02, 1.0), fontsize=7)
    ax.set_title("Ground floor")
    fig.tight_layout()
    return fig


def main(out_dir: Union[str, pathlib.Path] = DEFAULT_OUT) -> pathlib.Path:
    out_dir = pathlib.Path(out_dir)
    out_dir.mkdir(parents=True, exist_ok=True)
    plan = layout()
    for k, a in enumerate(plan["areas"]):
        print(f"room {k + 1}: {a:.2f} m2")
    fig = draw(plan)
    path = out_dir / "floor_plan.png"
    fig.savefig(path, dpi=100)
    plt.close(fig)
    return path


if __name__ == "__main__":
    print(main(*sys.argv[1:]))
