"""Typed interface of Bowlet (being written)."""

from typing import Any

def __getattr__(name: str) -> Any: ...
