"""help() and inspect show every member as its stub declares it: the
parameters' names, kinds and defaults are the member's own, the annotations
and the docstring are the stub's."""

import ast
import importlib
import inspect
import pathlib
import pydoc

import pytest

STUBS = pathlib.Path(__file__).resolve().parent.parent / "stubs"
P = inspect.Parameter


def stub_members():
    for path in sorted(STUBS.glob("*.pyi")):
        tree = ast.parse(path.read_text(encoding="utf-8"))
        for cls in tree.body:
            if not isinstance(cls, ast.ClassDef) or cls.name.startswith("_"):
                continue
            seen = set()
            for node in cls.body:
                if (isinstance(node, ast.FunctionDef) and node.name not in seen and ast.get_docstring(node)
                        and not any(getattr(d, "id", None) == "property" for d in node.decorator_list)):
                    seen.add(node.name)
                    yield path.stem, cls.name, node


MEMBERS = list(stub_members())


def runtime(module, cls, name):
    raw = inspect.getattr_static(getattr(importlib.import_module(module), cls), name)
    return raw.__func__ if isinstance(raw, staticmethod) else raw


def test_every_module_and_most_members_are_covered():
    assert {m for m, _, _ in MEMBERS} == {"Flatkin", "Strakel", "Bowlet", "Polyline", "Polygon", "Solidar"}
    assert len(MEMBERS) > 400


@pytest.mark.parametrize("module, cls, node", MEMBERS, ids=[f"{m}.{c}.{n.name}" for m, c, n in MEMBERS])
def test_members_show_the_stub_signature_in_help_and_inspect(module, cls, node):
    member = runtime(module, cls, node.name)
    sig = inspect.signature(member)
    a = node.args
    declared = a.posonlyargs + a.args + ([a.vararg] if a.vararg else [])
    assert [p.name for p in sig.parameters.values()] == [d.arg for d in declared]
    if a.vararg:
        assert list(sig.parameters.values())[-1].kind is P.VAR_POSITIONAL
    if a.posonlyargs:
        assert all(p.kind is P.POSITIONAL_ONLY for p in sig.parameters.values())
    for d, p in zip(declared, sig.parameters.values()):
        if d.annotation is not None:
            assert str(p.annotation) == ast.unparse(d.annotation), d.arg
    if node.returns is not None:
        assert str(sig.return_annotation) == ast.unparse(node.returns)
    assert inspect.getdoc(member) == ast.get_docstring(node)
    text = pydoc.plain(pydoc.render_doc(member))
    assert f"{node.name}{sig}\n" in text
    assert "object | None" not in text and "\n--\n" not in text
    if node.returns is not None and repr(type(member)).startswith("<class 'geometry."):
        assert f") -> {ast.unparse(node.returns)}\n" in text
