"""Turn the docstrings of a module's typed stub into a C++ header.

    python tools/stub_docs.py stubs/Flatkin.pyi build/.../docs/Flatkin.hpp

The stub is where each docstring is written, once: type checkers and editors
read it there, and the bindings take the same text from the generated header
(`DOC(Point)` for a class, `DOC(Point, rotate)` for a member, `DOC_MODULE`
for the module), so `help()` shows what the stub says, the members'
signatures included.
"""

import ast
import sys


def cxx_string(text):
    """A C++ string literal holding `text` exactly."""
    out = []
    for ch in text:
        if ch == "\\":
            out.append("\\\\")
        elif ch == '"':
            out.append('\\"')
        elif ch == "\n":
            out.append("\\n")
        elif ord(ch) < 0x20:
            out.append("\\%03o" % ord(ch))
        else:
            out.append(ch)
    return '"' + "".join(out).encode("utf-8").decode("utf-8") + '"'


def is_property(node):
    return any(isinstance(d, ast.Name) and d.id == "property" for d in node.decorator_list)


def signature_line(node):
    """The member as the stub declares it: `offset(self, distance: float) -> Polyline`."""
    line = node.name + "(" + ast.unparse(node.args) + ")"
    if node.returns is not None:
        line += " -> " + ast.unparse(node.returns)
    return line


def member_docs(cls):
    """(name, docstring) of every documented member of a class, in order.

    The docstring of a method starts with its signature line and "\n--\n\n"
    (the convention of the interpreter's own built-ins): the member wrapper
    takes the line apart, so help() and inspect show the stub's annotations
    and `__doc__` is the text alone.  A property's docstring is the text.
    """
    seen = set()
    for node in cls.body:
        if isinstance(node, (ast.FunctionDef, ast.AsyncFunctionDef)):
            doc = ast.get_docstring(node)
            if doc and node.name not in seen:
                seen.add(node.name)
                yield node.name, doc if is_property(node) else signature_line(node) + "\n--\n\n" + doc


def main(stub_path, header_path):
    with open(stub_path, encoding="utf-8") as f:
        tree = ast.parse(f.read(), stub_path)
    lines = [
        "// Generated from " + stub_path.replace("\\", "/").split("/")[-1] + " by tools/stub_docs.py: edit the stub.",
        "#pragma once",
        "",
        "namespace geom_docs {",
        "inline constexpr const char module_doc[] = " + cxx_string(ast.get_docstring(tree) or "") + ";",
    ]
    for node in tree.body:
        if not isinstance(node, ast.ClassDef):
            continue
        lines.append("namespace " + node.name + " {")
        lines.append("inline constexpr const char doc_[] = " + cxx_string(ast.get_docstring(node) or "") + ";")
        for name, doc in member_docs(node):
            lines.append("inline constexpr const char m_" + name + "[] = " + cxx_string(doc) + ";")
        lines.append("}  // namespace " + node.name)
    lines += [
        "}  // namespace geom_docs",
        "",
        "#define GEOM_DOC_PICK(_1, _2, NAME, ...) NAME",
        "#define GEOM_DOC_CLASS(cls) geom_docs::cls::doc_",
        "#define GEOM_DOC_MEMBER(cls, member) geom_docs::cls::m_##member",
        "// DOC(Class) or DOC(Class, member): the docstring written in the stub.",
        "#define DOC(...) GEOM_DOC_PICK(__VA_ARGS__, GEOM_DOC_MEMBER, GEOM_DOC_CLASS, unused)(__VA_ARGS__)",
        "#define DOC_MODULE geom_docs::module_doc",
        "",
    ]
    text = "\n".join(lines)
    try:
        with open(header_path, encoding="utf-8") as f:
            if f.read() == text:
                return  # unchanged: keep the timestamp, skip the rebuild
    except OSError:
        pass
    with open(header_path, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main(*sys.argv[1:])
