"""Rows of the circle and arc module (defined in bench_bowlet.py)."""
import bench_bowlet  # noqa: F401  (registers its cases on import)
