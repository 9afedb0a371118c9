"""Floor plan: walls split into rooms, door openings, a round column and a
curved bay window.

A building designer sketches a storey as a handful of long wall lines: the
outer walls and two partitions that run across the floor.  The segment
network splits the walls where they cross and walks them into rooms; each
room's area comes from its outline.  Doors sit where the corridor wall meets
the partitions, a column stands in the hall, and the bay window on the south
front is an arc sampled into points for the drawing.

    python examples/floor_plan.py            # writes examples/out/floor_plan.png
    python examples/floor_plan.py some/dir   # writes some/dir/floor_plan.png
"""

import pathlib
import sys

import matplotlib

matplotlib.use("Agg")  # a file, never a window

import matplotlib.pyplot as plt  # noqa: E402

from Bowlet import Arc, Circle  # noqa: E402
from Flatkin import Point, Vector  # noqa: E402
from Strakel import Segment, SegmentCollection  # noqa: E402

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"

WIDTH, DEPTH = 18.0, 10.0   # outer walls, metres
CORRIDOR_Y = 4.0            # the corridor wall runs the full width
PARTITIONS_X = (6.0, 12.0)  # cross walls north of the corridor
DOOR_WIDTH = 0.9


def walls():
    """The wall lines as drawn: long lines that cross each other."""
    corners = [Point(0, 0), Point(WIDTH, 0), Point(WIDTH, DEPTH), Point(0, DEPTH)]
    outer = [Segment(corners[k], corners[(k + 1) % 4]) for k in range(4)]
    corridor = [Segment(Point(0, CORRIDOR_Y), Point(WIDTH, CORRIDOR_Y))]
    partitions = [Segment(Point(x, CORRIDOR_Y), Point(x, DEPTH)) for x in PARTITIONS_X]
    return outer + corridor + partitions


def loop_points(loop):
    """The corners of a closed loop of segments, in walking order (pieces
    shared by two rooms may point either way)."""
    first, second = loop[0], loop[1]
    current = first.end if first.end in (second.start, second.end) else first.start
    points = [first.start if current is first.end else first.end]
    for piece in loop[1:]:
        points.append(current)
        current = piece.end if piece.start == current else piece.start
    return points


def area(points):
    """Shoelace area of a closed outline (positive counter-clockwise)."""
    total = 0.0
    for k, p in enumerate(points):
        q = points[(k + 1) % len(points)]
        total += Vector.cross_product(p, q)
    return total / 2


def doors(lines):
    """A door centred on each crossing of the corridor wall with a partition."""
    corridor = lines[4]
    result = []
    for partition in lines[5:]:
        crossing = corridor.intersection_with_segment(partition)
        if crossing is not None:
            left = crossing + Vector(-DOOR_WIDTH / 2 - 1.0, 0)
            result.append(Segment(left, left + Vector(DOOR_WIDTH, 0)))
    return result


def layout():
    lines = walls()
    rooms = SegmentCollection(list(lines)).get_polygons()
    outlines = [loop_points(loop) for loop in rooms]
    bay = Arc(start_point=Point(7, 0), arc_point=Point(9, -1.5), end_point=Point(11, 0))
    return {
        "walls": lines,
        "rooms": outlines,
        "areas": [abs(area(o)) for o in outlines],
        "doors": doors(lines),
        "column": Circle(Point(WIDTH / 2, CORRIDOR_Y / 2), 0.25),
        "bay": Arc.arc_to_polyline(bay, number=24),
    }


def draw(plan):
    fig, ax = plt.subplots(figsize=(8, 5))
    for k, outline in enumerate(plan["rooms"]):
        xs = [p.x for p in outline] + [outline[0].x]
        ys = [p.y for p in outline] + [outline[0].y]
        ax.fill(xs, ys, alpha=0.25, label=f"room {k + 1}: {plan['areas'][k]:.1f} m²")
    for wall in plan["walls"]:
        ax.plot([wall.start.x, wall.end.x], [wall.start.y, wall.end.y], color="k", linewidth=2)
    for door in plan["doors"]:
        ax.plot([door.start.x, door.end.x], [door.start.y, door.end.y], color="w", linewidth=4)
    column = plan["column"]
    ax.add_patch(plt.Circle((column.center.x, column.center.y), column.radius, color="grey"))
    ax.plot([p.x for p in plan["bay"]], [p.y for p in plan["bay"]], color="tab:blue", linewidth=2)
    ax.set_aspect("equal")
    ax.legend(loc="upper right", fontsize=7)
    ax.set_title("Ground floor")
    return fig


def main(out_dir=DEFAULT_OUT):
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
