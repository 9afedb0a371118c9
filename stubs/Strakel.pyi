"""Typed interface of Strakel (being written)."""

from typing import Any

def __getattr__(name: str) -> Any: ...
