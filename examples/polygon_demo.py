"""Polygon demonstration: rectangles of 4 by 3 placed in a pentagon, timed.

The compiled module cannot run as a program, so its demonstration lives
here.  Ten times over: the pentagon as a polygon, its bounding-box mode set
to the longest edge, the interior point grid at a spacing of 1, and eight
rectangles of 4 by 3 placed on that grid; the time the ten rounds took is
printed.  Then the pentagon and the last round's rectangles are drawn and
what is left of the grid numbered.  The figure is saved, and shown when a
display is there (headless, matplotlib draws without a window and showing
does nothing).

The figure shows the pentagon with corners (10, 0), (0, 10), (20, 20),
(40, 10), (30, 0) and the three of the eight rectangles that fit: one on the
bottom edge, square to the axes, and one against each 45-degree lower side,
turned to lie along it.  No point is numbered: placing the rectangles uses up
the 515-point grid list, so it is empty by the time it is drawn.

    python examples/polygon_demo.py            # writes examples/out/polygon_demo.png
    python examples/polygon_demo.py some/dir   # writes some/dir/polygon_demo.png
"""

import pathlib
import sys
import time
from typing import List, Optional, Union

import matplotlib.pyplot as plt
from matplotlib.figure import Figure

from Flatkin import Point
from Polygon import Bound, Polygon, RecGenerator
from Polyline import Polyline

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"


def demo() -> Figure:
    """The demonstration's steps in order; returns the figure they drew on."""
    polyline2 = Polyline([Point(10, 0), Point(0, 10), Point(20, 20), Point(40, 10), Point(30, 0), Point(10, 0)])
    st = time.perf_counter()
    grid: List[Point] = []
    recs: List[Polyline] = []
    size = [4, 3]
    for i in range(10):
        pg = Polygon(outer=polyline2)
        polyline2.BOUND = "LEB"
        grid = Bound(polyline=polyline2, unit=1, typ=0).get_grid()
        rg = RecGenerator(grid=grid, polygon=pg, size=[size] * 8, typ=1)  # one list, eight times
        recs = rg.get_recs(clean_points=0)
    ed = time.perf_counter()
    print("time", ed - st)
    names = ["polyline2"] + ["rec" + str(k) for k in range(len(recs))]
    Polyline.plot_polylines([polyline2] + recs, names, False)
    fig = plt.gcf()
    Point.plot_points(grid)  # numbers the grid points and shows the figure
    return fig


def main(out_dir: Optional[Union[str, pathlib.Path]] = None) -> pathlib.Path:
    """Runs the demonstration, saves its figure as polygon_demo.png in
    `out_dir` (by default examples/out/) and returns the path of the file."""
    out = pathlib.Path(out_dir) if out_dir is not None else DEFAULT_OUT
    out.mkdir(parents=True, exist_ok=True)
    fig = demo()
    path = out / "polygon_demo.png"
    fig.savefig(path, dpi=80)
    plt.close(fig)
    print(path)
    return path


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else None)
