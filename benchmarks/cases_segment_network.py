"""Rows of the segment network (defined in bench_segment_network.py)."""
import bench_segment_network  # noqa: F401  (registers its cases when run.py is loaded)




