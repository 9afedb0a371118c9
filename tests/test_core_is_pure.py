"""The geometry core stays plain C++: no Python or binding header may creep in."""

import pathlib
import re

import pytest

CORE = pathlib.Path(__file__).resolve().parent.parent / "src" / "core"
SOURCE_SUFFIXES = {".hpp", ".cpp", ".h", ".hh", ".cc", ".cxx", ".ipp", ".inl"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]', re.MULTILINE)
FORBIDDEN = re.compile(r"(^|/)Python\.h$|^nanobind/|^pybind11/|^numpy/|^pyutil/|(^|/)pyutil\.hpp$")


def core_sources():
    return sorted(p for p in CORE.rglob("*") if p.suffix in SOURCE_SUFFIXES)


def test_core_folder_exists():
    assert CORE.is_dir()


@pytest.mark.parametrize("path", core_sources(), ids=lambda p: str(p.relative_to(CORE)))
def test_core_source_includes_no_python_or_binding_header(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    bad = [name for name in INCLUDE.findall(text) if FORBIDDEN.search(name)]
    assert not bad, f"{path.name} includes {bad}"


@pytest.mark.parametrize("path", core_sources(), ids=lambda p: str(p.relative_to(CORE)))
def test_core_source_uses_no_python_api(path):
    text = path.read_text(encoding="utf-8", errors="replace")
    assert not re.search(r"\bPyObject\b|\bPy_[A-Z]\w*|\bnb::", text), path.name
