"""Long calls stop on Ctrl-C.

Each case starts a call that would run for many seconds (or fill memory) in a
child interpreter, sends it SIGINT once the call is under way, and expects
KeyboardInterrupt within a second, the caller's objects as they were before
the call, and the child ending as plain Python does on an uncaught
KeyboardInterrupt.
"""

import pathlib
import signal
import subprocess
import sys
import textwrap
import time

import pytest

pytestmark = pytest.mark.skipif(sys.platform == "win32", reason="needs POSIX signals")

CHILD = textwrap.dedent('''
    import sys
    {setup}
    state = lambda: repr({state})  # text: NaN equals itself
    before = state()
    print("ready", flush=True)
    try:
        {call}
    except KeyboardInterrupt:
        print("interrupted", state() == before, flush=True)
        raise
    print("finished", flush=True)
''')

CASES = {
    # A spacing of 2e-4 over a unit square: 25 million grid points.
    "grid": (
        "from Flatkin import Point\nfrom Polyline import Polyline\nfrom Polygon import Bound\n"
        "square = Polyline([Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1)]).close()\n"
        "bound = Bound(square, unit=2e-4, typ=0)",
        "bound.get_grid()",
        "([(p.x, p.y) for p in square.points], dict(vars(bound)))",
    ),
    # Four billion points by spacing.
    "divide_by_length": (
        "from Flatkin import Point\nfrom Polyline import Polyline\n"
        "line = Polyline([Point(0, 0), Point(1, 0), Point(1, 1), Point(0, 1)])",
        "line.divide_by_length(1e-9)",
        "[(p.x, p.y) for p in line.points]",
    ),
    # Points on one vertical line: the sweep in x prunes nothing.
    "closest_pair": (
        "from Flatkin import Point\npoints = [Point(0.0, float(i)) for i in range(100_000)]",
        "Point.find_nearest_two_points(points)",
        "[(p.x, p.y) for p in points]",
    ),
    # A NaN coordinate keeps the fast path out: every pair is measured.
    "solid_point_list": (
        "from Solidar import Point3d\n"
        "points = [Point3d(float(i), 0.0, 0.0) for i in range(100_000)] + [Point3d(float('nan'), 0.0, 0.0)]",
        "Point3d.find_nearest_two_points(points)",
        "[(p.x, p.y, p.z) for p in points]",
    ),
}


@pytest.mark.parametrize("name", sorted(CASES))
def test_long_call_stops_on_sigint_leaving_the_callers_objects_unchanged(name):
    setup, call, state = CASES[name]
    script = CHILD.format(setup=setup, call=call, state=state)
    child = subprocess.Popen(
        [sys.executable, "-c", script],
        stdout=subprocess.PIPE,
        stderr=subprocess.PIPE,
        text=True,
        cwd=pathlib.Path(__file__).parent,
    )
    try:
        while (line := child.stdout.readline()) and line.strip() != "ready":
            pass  # what the imports print
        time.sleep(0.3)  # well into the call
        sent = time.perf_counter()
        child.send_signal(signal.SIGINT)
        reply = child.stdout.readline().split()
        elapsed = time.perf_counter() - sent
        _, err = child.communicate(timeout=30)
    finally:
        if child.poll() is None:
            child.kill()
            child.wait()
    assert reply == ["interrupted", "True"], err
    assert elapsed < 1.0
    assert err.rstrip().endswith("KeyboardInterrupt"), err
    assert child.returncode == -signal.SIGINT
