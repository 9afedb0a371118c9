import os

# Tests never open windows.
os.environ.setdefault("MPLBACKEND", "Agg")
os.environ.setdefault("PYVISTA_OFF_SCREEN", "true")

import matplotlib  # noqa: E402

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
