"""Lines, segments, rays and networks copy, deep-copy and pickle as the same
classes written in plain Python would: a shallow copy shares the end points,
a deep copy copies them and keeps what was shared shared, extra attributes
come along, and a floor's rooms can be split in another process."""

import concurrent.futures
import copy
import multiprocessing
import pickle

import pytest

from Flatkin import Point, Vector
from Strakel import Line, Ray, Segment, SegmentCollection

from common import Duck


def seg(x1, y1, x2, y2):
    return Segment(Point(x1, y1), Point(x2, y2))


def ends(s):
    return ((s.start.x, s.start.y), (s.end.x, s.end.y))


def pickled(obj):
    return pickle.loads(pickle.dumps(obj))


MAKERS = [
    ("Line", lambda: Line(Point(0, 1), Point(2, 5)), ("start", "end")),
    ("Segment", lambda: seg(0, 0, 3, 4), ("start", "end")),
    ("Ray", lambda: Ray(Point(1, 2), Vector(3, 4)), ("origin", "direction", "unit_vector")),
]


@pytest.mark.parametrize("name, make, fields", MAKERS, ids=[m[0] for m in MAKERS])
@pytest.mark.parametrize("how", ["copy", "deepcopy", "pickle"])
def test_round_trips_keep_the_class_and_the_stored_objects(name, make, fields, how):
    obj = make()
    obj.label = "wall A"
    twin = {"copy": copy.copy, "deepcopy": copy.deepcopy, "pickle": pickled}[how](obj)
    assert type(twin) is type(obj) and twin is not obj
    assert twin.label == "wall A"
    for f in fields:
        a, b = getattr(obj, f), getattr(twin, f)
        assert (a.x, a.y) == (b.x, b.y) and type(a) is type(b)
        assert (a is b) == (how == "copy")


def test_a_deep_copy_or_a_pickle_keeps_shared_points_shared():
    corner = Point(1, 1)
    walls = [Segment(Point(0, 0), corner), Segment(corner, Point(2, 0))]
    ray = Ray(corner, Vector(0, 1))
    for twin in (copy.deepcopy([walls, ray]), pickled([walls, ray])):
        (w1, w2), r = twin
        assert w1.end is w2.start is r.origin
        assert w1.end is not corner


def test_stored_objects_keep_their_python_type():
    s = Segment(Duck(1, 2), Duck(3, 4))
    t = pickled(Segment(1, 2))
    assert (t.start, t.end) == (1, 2) and type(t.start) is int
    d = copy.deepcopy(s)
    assert type(d.start) is Duck and d.start.x == 1 and type(d.start.x) is int


def test_a_rays_unit_vector_is_restored_not_recomputed():
    r = Ray(Point(0, 0), Vector(3, 4))
    r.direction = Vector(0, 5)  # the unit vector stays the one taken at construction
    twin = pickled(r)
    assert (twin.unit_vector.x, twin.unit_vector.y) == (0.6, 0.8)
    assert (twin.direction.x, twin.direction.y) == (0.0, 5.0)


class Wall(Segment):
    def __init__(self, start, end, storey):
        super().__init__(start, end)
        self.storey = storey


def test_subclasses_with_extra_attributes_round_trip():
    w = Wall(Point(0, 0), Point(4, 0), storey=2)
    for twin in (copy.copy(w), copy.deepcopy(w), pickled(w)):
        assert type(twin) is Wall and twin.storey == 2 and twin == w


def test_a_collection_round_trips_with_its_marks_and_walk_state():
    c = SegmentCollection([seg(0, 0, 2, 0), seg(2, 0, 0, 2), seg(0, 2, 0, 0), seg(0, 0, 2, 2)])
    c.get_connections()
    for twin in (copy.deepcopy(c), pickled(c)):
        assert type(twin) is SegmentCollection
        assert [ends(s) for s in twin.segments] == [ends(s) for s in c.segments]
        assert list(twin.dict.values()) == list(c.dict.values())
        # The marks' keys are the very pieces of the list.
        assert all(any(k is s for s in twin.segments) for k in twin.dict)
        assert twin.current_seg is None
        assert [[ends(s) for s in loop] for loop in twin.get_polygons(split=False)] == \
            [[ends(s) for s in loop] for loop in copy.deepcopy(c).get_polygons(split=False)]
    shallow = copy.copy(c)
    assert shallow.segments is c.segments and shallow.dict is c.dict


# ----------------------------------------------- rooms in another process

def floor_plan():
    """Outer walls of an L-shaped floor with two partitions, in metres."""
    outline = [(0, 0), (12, 0), (12, 6), (7, 6), (7, 10), (0, 10)]
    walls = [((*outline[i],), (*outline[(i + 1) % len(outline)],)) for i in range(len(outline))]
    walls += [((5, -1), (5, 11)), ((-1, 4), (13, 4))]
    return [Segment(Point(*a), Point(*b)) for a, b in walls]


def rooms_of(segments):
    return SegmentCollection(segments).get_polygons()


def picture(rooms):
    return sorted(sorted(ends(s) for s in room) for room in rooms)


def test_rooms_split_in_a_worker_process_come_back_equal():
    local = rooms_of(floor_plan())
    context = multiprocessing.get_context("spawn")
    with concurrent.futures.ProcessPoolExecutor(max_workers=2, mp_context=context) as pool:
        remote = list(pool.map(rooms_of, [floor_plan(), floor_plan()]))
    assert local
    for rooms in remote:
        assert all(type(s) is Segment and type(s.start) is Point for room in rooms for s in room)
        assert picture(rooms) == picture(local)
