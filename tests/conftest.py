import os
import pathlib
import sys

# The plain-Python references of the benchmarks are the tests' references too.
_BENCHMARKS = pathlib.Path(__file__).resolve().parent.parent / "benchmarks"
if str(_BENCHMARKS) not in sys.path:
    sys.path.insert(0, str(_BENCHMARKS))

# Tests never open windows.
os.environ.setdefault("MPLBACKEND", "Agg")
os.environ.setdefault("PYVISTA_OFF_SCREEN", "true")

import matplotlib  # noqa: E402
from hypothesis import settings  # noqa: E402

# Property tests draw the same examples on every run: a failure found once
# is found again, and CI does not depend on the luck of the draw.
settings.register_profile("repeatable", derandomize=True, print_blob=True)
settings.load_profile("repeatable")

matplotlib.use("Agg")

import matplotlib.pyplot as plt  # noqa: E402
import pytest  # noqa: E402


@pytest.fixture(autouse=True)
def _fresh_figure(monkeypatch):
    """Every test draws on a new figure, and show() never blocks."""
    plt.close("all")
    plt.figure()
    monkeypatch.setattr(plt, "show", lambda *a, **k: None)
    yield
    plt.close("all")
