"""Polyline demonstration: an L-shaped wall line, its two faces offset to
either side, and the wall outline lofted between them.

The compiled module cannot run as a program, so its demonstration lives
here: an open polyline with legs of 8 and 30, offset by 2 to each side, the
two offsets joined into one closed outline; both drawn, then the outline's
points numbered.  The figure is saved, and shown when a display is there
(headless, matplotlib draws without a window and showing does nothing).

    python examples/polyline_demo.py            # writes examples/out/polyline_demo.png
    python examples/polyline_demo.py some/dir   # writes some/dir/polyline_demo.png
"""

import pathlib
import sys
from typing import Optional, Union

import matplotlib.pyplot as plt
from matplotlib.figure import Figure

from Flatkin import Point
from Polyline import Polyline

DEFAULT_OUT = pathlib.Path(__file__).resolve().parent / "out"


def demo() -> Figure:
    """The demonstration's steps in order; returns the figure they drew on."""
    polyline = Polyline([Point(0, 8), Point(0, 0), Point(30, 0)])
    l = polyline.offset(2).loft(polyline.offset(-2))  # noqa: E741 - the demonstration's own name
    Polyline.plot_polylines([l, polyline], ["l", "m"], False)
    fig = plt.gcf()
    Point.plot_points(l.points)  # numbers the points and shows the figure
    return fig


def main(out_dir: Optional[Union[str, pathlib.Path]] = None) -> pathlib.Path:
    """Runs the demonstration, saves its figure as polyline_demo.png in
    `out_dir` (by default examples/out/) and returns the path of the file."""
    out = pathlib.Path(out_dir) if out_dir is not None else DEFAULT_OUT
    out.mkdir(parents=True, exist_ok=True)
    fig = demo()
    path = out / "polyline_demo.png"
    fig.savefig(path, dpi=80)
    plt.close(fig)
    print(path)
    return path


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else None)
