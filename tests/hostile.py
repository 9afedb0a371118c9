"""Hostile callers, run in child interpreters.

A compiled module must never crash its interpreter, whatever Python code a
caller hands it: a point whose `x` getter empties the list being walked, an
`__eq__` that rebinds a module name, a hash that replaces the object being
hashed. Each robustness test sends a script of such cases to a fresh
interpreter under the debug allocator (`PYTHONMALLOC=debug`, which makes a
use after free fail on the spot) and fails when the child dies by a signal
or reports a fatal error, a SystemError or C++ exception text.

Scripts start with PRELUDE, which defines the hostile helpers, and run each
case through `attempt(f, *args)`, which swallows ordinary exceptions: only a
crash or an internal error counts.
"""

import os
import subprocess
import sys
import textwrap

PRELUDE = textwrap.dedent('''
    import gc, sys, threading

    def attempt(f, *args, **kwargs):
        """Run one hostile call; ordinary Python errors are expected."""
        try:
            return f(*args, **kwargs)
        except SystemError:
            raise
        except RecursionError:
            pass
        except Exception as e:
            for sign in ("std::", "Unable to convert function return value", "internal error in the geometry"):
                if sign in str(e):
                    raise SystemError(f"{sign!r} reached Python: {e}")

    class P:
        """A plain duck-typed point."""
        def __init__(self, x, y, z=0.0):
            self.x, self.y, self.z = x, y, z

    class Clearing:
        """A point whose coordinate reads empty a list (and collect garbage)."""
        def __init__(self, victim, x=0.0, y=0.0, z=0.0):
            self.victim, self._x, self._y, self._z = victim, x, y, z
        @property
        def x(self):
            del self.victim[:]
            gc.collect()
            return self._x
        @property
        def y(self):
            del self.victim[:]
            return self._y
        @property
        def z(self):
            del self.victim[:]
            return self._z
        def __eq__(self, other):
            del self.victim[:]
            return False
        def __hash__(self):
            del self.victim[:]
            return 0

    class Growing(Clearing):
        """A point whose reads append to a list instead of emptying it."""
        @property
        def x(self):
            self.victim.extend([P(1.0, 2.0)] * 3)
            return self._x

    class Replacing:
        """A point whose `x` read rebinds an attribute of another object."""
        def __init__(self, target, name, make, x=0.0, y=0.0, z=0.0):
            self.target, self.name, self.make = target, name, make
            self._x, self._y, self._z = x, y, z
        @property
        def x(self):
            setattr(self.target, self.name, self.make())
            gc.collect()
            return self._x
        y = property(lambda self: self._y)
        z = property(lambda self: self._z)

    class Rebinding:
        """A point whose `x` read rebinds a module-level name."""
        def __init__(self, module, name, value, x=0.0, y=0.0, z=0.0):
            self.module, self.name, self.value = module, name, value
            self._x, self._y, self._z = x, y, z
        @property
        def x(self):
            setattr(self.module, self.name, self.value)
            gc.collect()
            return self._x
        y = property(lambda self: self._y)
        z = property(lambda self: self._z)

    def expect_recursion(f, *args, **kwargs):
        """The call must end in RecursionError (and nothing worse)."""
        try:
            f(*args, **kwargs)
        except RecursionError:
            return
        raise AssertionError("no RecursionError from " + repr(f))

    def entry_point_loops(cls, *args):
        """Cycles with no Python frame into each bound entry point of `cls`
        (`cls(*args)` builds one): subclass properties and instance attributes
        that are functools.partial objects of the entry point itself."""
        import functools, inspect
        params = list(inspect.signature(cls.__init__).parameters)[1:]
        kwargs = dict(zip(params, args))
        rest = {k: kwargs[k] for k in params[1:len(args)]}
        names = sorted(set(params) | set(cls(*args).__getstate__()) | {"x", "y", "z", "points"})

        def loop_class(**accessors):
            return type("Loop" + cls.__name__, (cls,), {n: property(**accessors) for n in names})

        # __init__ reading or writing its receiver's attributes ...
        init = loop_class(fget=functools.partial(cls.__init__, **kwargs), fset=functools.partial(cls.__init__, **rest))
        attempt(init, *args)
        # ... or reading those of its first argument, or of that argument's items
        target = cls(*args)
        back = type("Back", (), {n: property(functools.partial(cls.__init__, target, **rest)) for n in names})
        attempt(cls.__init__, target, back(), **rest)
        attempt(cls.__init__, target, [back(), back(), back()], **rest)
        # __getstate__ reading the receiver's attributes, __setstate__ writing them
        def made_then_looped(**accessors):
            sub = type("Later" + cls.__name__, (cls,), {})
            obj = sub(*args)
            for n in names:
                setattr(sub, n, property(**accessors))
            return obj
        obj = made_then_looped(fget=functools.partial(cls.__getstate__))
        attempt(cls.__getstate__, obj)
        attempt(obj.__reduce_ex__, 2)
        state = {}
        state.update({n: state for n in names})
        expect_recursion(cls.__setstate__, made_then_looped(fset=functools.partial(cls.__setstate__)), state)
        # __reduce_ex__ asking for the instance's own __getstate__
        obj = cls(*args)
        obj.__getstate__ = functools.partial(cls.__reduce_ex__, obj, 2)
        expect_recursion(obj.__reduce_ex__, 2)

    # ---- families over every member of a class (robustness tests of each module)
    import copy, inspect, pickle

    def members(cls):
        """(name, raw) of every method, static method and property the class defines,
        plots and windows left out."""
        skip = {"__init__", "__new__", "__getstate__", "__setstate__", "__reduce_ex__", "__dict__", "__doc__",
                "__module__", "__weakref__", "__init_subclass__", "__subclasshook__"}
        return [(name, raw) for name, raw in list(vars(cls).items())
                if name not in skip and "plot" not in name and "show" not in name and "visual" not in name
                and (callable(raw) or isinstance(raw, (property, staticmethod, classmethod)))]

    def calls(cls, make_self, hostile, value):
        """(name, f, args) of every member of cls with `hostile` as the receiver and,
        in turn, in place of each argument; the other arguments are value(name)."""
        for name, raw in members(cls):
            if isinstance(raw, property):
                yield name, raw.__get__, [hostile]
                continue
            f = getattr(cls, name)
            try:
                params = [p for p in inspect.signature(f).parameters.values()
                          if p.kind in (p.POSITIONAL_ONLY, p.POSITIONAL_OR_KEYWORD)]
            except (TypeError, ValueError):
                params = []
            base = [make_self() if i == 0 and not isinstance(raw, staticmethod) else value(p.name)
                    for i, p in enumerate(params)]
            for i in range(len(base)):
                yield name, f, base[:i] + [hostile] + base[i + 1:]

    STALE = 7654.25

    def half_made(cls, module):
        """Instances whose __init__ never ran: made by __new__, copied, deep-copied and
        unpickled with no state.  Dead instances holding STALE are freed first, so an
        instance pool would hand their memory back."""
        for n in (2, 3, 1, 0):
            try:
                junk = [cls(*[STALE] * n) for _ in range(50)]
                break
            except Exception:
                pass
        junk = None
        made = cls.__new__(cls)
        stateless = b"\\x80\\x02c%s\\n%s\\n)\\x81." % (module.encode(), cls.__name__.encode())
        return [made, copy.copy(made), copy.deepcopy(made), pickle.loads(stateless)]

    def check_half_made(cls, module, fields, make_self, value, among=()):
        """Fields of half-made instances are missing attributes, and no member of cls
        or of the classes `among` handed one (alone or in a list) computes with what
        a dead instance left behind."""
        for obj in half_made(cls, module):
            for field in fields:
                assert not hasattr(obj, field), (cls, field)
            for owner in (cls,) + tuple(among):
                for hostile in (obj, [value("point"), obj]):
                    for name, f, args in calls(owner, make_self if owner is cls else lambda: value("point"), hostile, value):
                        text = attempt(lambda: repr(f(*args))) or ""
                        assert str(STALE) not in text, (owner, name, text)

    NUMBERS = {"t", "length", "count", "angle", "n", "distance", "radians", "degrees", "factor", "tolerance",
               "eps", "epsilon", "width", "height", "radius", "offset", "number", "num", "size", "scale", "d",
               "parameter", "interval", "spacing", "precision", "k", "i", "index", "x", "y", "z", "h", "value"}

    def values_with(point, plain=None):
        """value(name) for calls(): a number for numeric names, a list of points for
        plural ones, `point()` otherwise; `plain` maps names to makers first."""
        def value(name):
            if plain and name in plain:
                return plain[name]()
            if name in NUMBERS or name.endswith(("_length", "_count", "_angle", "_distance")):
                return 0.5
            if name.endswith("s") or "list" in name:
                return [point() for _ in range(4)]
            return point()
        return value

    class collecting:
        """While active, every collection of the cyclic collector (threshold 1) runs
        `action` (its first `times` collections): from a gc callback, or from the
        finalizer of cyclic garbage that makes more of itself."""
        def __init__(self, action, finalizer=False, times=3):
            self.action, self.finalizer, self.on, self.left = action, finalizer, False, times
        def run(self):
            if self.on and self.left > 0:
                self.left -= 1
                self.action()
        def callback(self, phase, info):
            if phase == "start":
                self.run()
        def __enter__(self):
            self.on = True
            outer = self
            class Cycle:
                def __init__(self):
                    self.me = self
                def __del__(self):
                    if outer.on and outer.left > 0:
                        outer.run()
                        Cycle()
            if self.finalizer:
                Cycle()
            else:
                gc.callbacks.append(self.callback)
            gc.set_threshold(1)
            return self
        def __exit__(self, *exc):
            self.on = False
            gc.set_threshold(700, 10, 10)
            if self.callback in gc.callbacks:
                gc.callbacks.remove(self.callback)

    def seq_actions(victim, filler):
        """Ways a collector callback changes a sequence being read."""
        return [lambda: victim.clear(), lambda: victim.extend([filler] * 5),
                lambda: (victim.clear(), victim.extend([filler] * 20))]

    def rebound_members(cls, run):
        """Each member of cls deleted from the class, the freed memory reused by new
        objects of its kind, and one of them (not callable) bound in its place while
        run(name) calls the others."""
        for name, raw in members(cls):
            delattr(cls, name)
            try:
                if isinstance(raw, property):
                    made = [property(lambda self: 5) for _ in range(100)]
                else:
                    made = [type(lambda: 0)((lambda: 0).__code__, {}) for _ in range(100)]
                setattr(cls, name, made[50] if isinstance(raw, property) else 5)
                made = None
                run(name)
            finally:
                setattr(cls, name, raw)

    class BigCount(list):
        """A list whose count() answers a number no C long holds."""
        def count(self, item):
            return 10 ** 30
''')


def run_child(script, timeout=300):
    """Runs PRELUDE + script in a child interpreter under the debug allocator."""
    env = dict(os.environ)
    env["PYTHONMALLOC"] = "debug"
    env["PYTHONFAULTHANDLER"] = "1"
    env["MPLBACKEND"] = "Agg"
    env["PYTHONPATH"] = os.pathsep.join(p for p in sys.path if p)
    code = PRELUDE + "\n" + textwrap.dedent(script) + "\nprint('child finished')\n"
    return subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, timeout=timeout)


def assert_survives(script, timeout=300):
    """The child finishes without a crash, a fatal error, a SystemError or C++ text."""
    result = run_child(script, timeout)
    output = result.stdout + result.stderr
    assert result.returncode >= 0, f"child killed by signal {-result.returncode}:\n{output[-3000:]}"
    for sign in ("Fatal Python error", "SystemError", "std::", "Segmentation fault"):
        assert sign not in output, f"{sign!r} in the child's output:\n{output[-3000:]}"
    assert result.returncode == 0 and "child finished" in result.stdout, output[-3000:]
