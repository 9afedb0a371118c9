#include "core/arrangement.hpp"

#include "core/exact_predicates.hpp"
#include "core/pair_map.hpp"
#include "core/scratch.hpp"
#include "core/line_segment_ray.hpp"
#include "core/union_find.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
#include <unordered_map>

namespace geom::arrangement {

namespace {

constexpr std::uint32_t none = ~std::uint32_t{0};

// Rounds of crossing and routing before the arrangement is called settled.
constexpr int max_rounds = 16;

inline double squared_distance(Vec2 a, Vec2 b) {
    double dx = a.x - b.x, dy = a.y - b.y;
    return dx * dx + dy * dy;
}

// Squared distance from p to the segment a-b, and where its foot lies along
// it (0 at a, 1 at b, clamped).
inline double squared_distance_to_segment(Vec2 a, Vec2 b, Vec2 p, double &t) {
    Vec2 d = b - a;
    double len2 = dot(d, d);
    t = len2 > 0 ? std::clamp(dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
    return squared_distance(p, a + d * t);
}

inline std::int64_t bits(double v) {
    if (v == 0)
        v = 0;  // -0.0 and 0.0 are one key
    std::int64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Points within `snap` of one another, found through cells sixteen times
// `snap` wide, so that most points need only their own cell.  With snap 0,
// points with equal coordinates (the cell is the coordinate pair itself).
// Open addressing from a cell to the head of a chain of node numbers; a
// slot holds only the head, whose point tells the cell.
class NodeIndex {
public:
    // Room for about `expected` points before the table grows.
    NodeIndex(double snap, std::size_t expected) : snap_(snap), snap2_(snap * snap), width_(16 * snap) {
        inverse_ = 1 / width_;
        if (!(inverse_ < INFINITY))
            inverse_ = 0;  // divide instead
        std::size_t capacity = 64;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.resize(capacity);
        next_.reserve(expected);
    }

    // Calls f(q) for every indexed q whose point pts[q] lies within snap of
    // p.  `pts` holds the points of all numbers indexed.
    template <class F>
    void near(std::span<const Vec2> pts, Vec2 p, F &&f) const {
        if (snap_ <= 0) {
            for (std::uint32_t q = head(pts, key(p)); q != none; q = next_[q])
                f(q);  // the cell is the point
            return;
        }
        Key lo = key({p.x - snap_, p.y - snap_}), hi = key({p.x + snap_, p.y + snap_});
        for (std::int64_t i = lo.x; i <= hi.x; ++i)
            for (std::int64_t j = lo.y; j <= hi.y; ++j)
                for (std::uint32_t q = head(pts, {i, j}); q != none; q = next_[q])
                    if (squared_distance(pts[q], p) <= snap2_)
                        f(q);
    }

    // Indexes number q at its point pts[q].
    void insert(std::span<const Vec2> pts, std::uint32_t q) {
        if (next_.size() <= q)
            next_.resize(q + 1, none);
        if (2 * (used_ + 1) > slots_.size())
            grow(pts);
        Key k = key(pts[q]);
        Slot &slot = slots_[place(pts, k)];
        used_ += slot.head == none;
        next_[q] = slot.head;
        slot = {q, static_cast<std::uint32_t>(hash(k) >> 32)};
    }

private:
    struct Key {
        std::int64_t x, y;
        bool operator==(const Key &o) const { return x == o.x && y == o.y; }
    };

    Key key(Vec2 p) const {
        if (snap_ <= 0)
            return {bits(p.x), bits(p.y)};
        return {cell(p.x), cell(p.y)};
    }
    // Cells past +-2^62 are clamped: points there share a cell, and the
    // distance test still tells them apart.
    std::int64_t cell(double v) const {
        double c = std::clamp(std::floor(inverse_ > 0 ? v * inverse_ : v / width_), -0x1p62, 0x1p62);
        return static_cast<std::int64_t>(c);
    }
    static std::uint64_t hash(const Key &k) {
        // Cells in a row differ in their low bits only: mixed to spread.
        std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(k.y);
        h = (h ^ (h >> 31)) * 0xBF58476D1CE4E5B9ULL;
        h = (h ^ (h >> 27)) * 0x94D049BB133111EBULL;
        return h ^ (h >> 31);
    }
    // The slot of the cell, or the free slot where it would go.  A slot's
    // tag (the hash's high bits) spares most comparisons of cells.
    std::size_t place(std::span<const Vec2> pts, const Key &k) const {
        std::uint64_t h = hash(k);
        std::uint32_t tag = static_cast<std::uint32_t>(h >> 32);
        for (std::size_t i = h & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1))
            if (slots_[i].head == none || (slots_[i].tag == tag && key(pts[slots_[i].head]) == k))
                return i;
    }
    std::uint32_t head(std::span<const Vec2> pts, const Key &k) const { return slots_[place(pts, k)].head; }
    void grow(std::span<const Vec2> pts) {
        scratch_vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot &s : old)
            if (s.head != none)
                slots_[place(pts, key(pts[s.head]))] = s;
    }

    struct Slot {
        std::uint32_t head = none, tag = 0;
    };
    double snap_, snap2_, width_, inverse_;
    scratch_vector<Slot> slots_;
    std::size_t used_ = 0;
    scratch_vector<std::uint32_t> next_;
};

// The numbers 0 .. n - 1 whose value(i) is a number, ordered by it and
// then by number: a stable radix sort on the values rounded to floats
// (which keeps their order, ties aside), then the runs of equal floats
// sorted by the values themselves.
template <class V>
scratch_vector<std::uint32_t> ordered_by(std::size_t n, V &&value) {
    scratch_vector<std::uint32_t> key, key2, order, order2;
    key.reserve(n);
    order.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        double v = value(i);
        if (std::isnan(v))
            continue;
        float f = v == 0 ? 0.0f : static_cast<float>(v);  // -0.0 and 0.0 are one value
        std::uint32_t b;
        std::memcpy(&b, &f, sizeof b);
        key.push_back(b >> 31 ? ~b : b | (std::uint32_t{1} << 31));  // ordered as the floats are
        order.push_back(i);
    }
    auto by_value = [&](std::uint32_t a, std::uint32_t b) { return value(a) < value(b); };
    if (key.size() < 256) {  // too few for the buckets to pay
        std::stable_sort(order.begin(), order.end(), by_value);
        return order;
    }
    constexpr int digit = 11;
    constexpr std::size_t buckets = std::size_t{1} << digit;
    key2.resize(key.size());
    order2.resize(order.size());
    scratch_vector<std::uint32_t> count(buckets);
    for (int shift = 0; shift < 32; shift += digit) {
        std::fill(count.begin(), count.end(), 0);
        for (std::uint32_t k : key)
            ++count[(k >> shift) & (buckets - 1)];
        if (!key.empty() && count[(key[0] >> shift) & (buckets - 1)] == key.size())
            continue;  // one digit for all: nothing moves
        std::uint32_t sum = 0;
        for (std::uint32_t &c : count)
            sum += std::exchange(c, sum);
        for (std::size_t i = 0; i < key.size(); ++i) {
            std::uint32_t at = count[(key[i] >> shift) & (buckets - 1)]++;
            key2[at] = key[i];
            order2[at] = order[i];
        }
        key.swap(key2);
        order.swap(order2);
    }
    for (std::size_t i = 0, j; i < key.size(); i = j) {
        for (j = i + 1; j < key.size() && key[j] == key[i];)
            ++j;
        if (j - i > 1 && !std::is_sorted(order.begin() + i, order.begin() + j, by_value))
            std::stable_sort(order.begin() + i, order.begin() + j, by_value);
    }
    return order;
}

// How many points a window of the sweeps below may hold before they give
// way to the cells (points crowded on a line across the sweep).
constexpr std::size_t crowd = 64;

// Joins every two points within snap of each other: a sweep along x over
// the points in x order.  False, with nothing joined, when the points
// crowd.
bool join_near(std::span<const Vec2> points, const scratch_vector<std::uint32_t> &by_x, double snap, Groups &groups,
               const Interrupt &stop) {
    const double snap2 = snap * snap;
    scratch_vector<std::pair<std::uint32_t, std::uint32_t>> pairs;
    for (std::size_t k = 0, w = 0; k < by_x.size(); ++k) {
        stop.tick();
        Vec2 p = points[by_x[k]];
        while (points[by_x[w]].x < p.x - snap)
            ++w;
        if (k - w > crowd)
            return false;
        for (std::size_t m = w; m < k; ++m)
            if (squared_distance(points[by_x[m]], p) <= snap2)
                pairs.push_back({by_x[m], by_x[k]});
    }
    for (auto [a, b] : pairs)
        groups.join(a, b);
    return true;
}

// The nodes near a point: those of the first rounds by a binary search in
// their x order, later ones (and all, once they crowd) through cells.
class NearNodes {
public:
    NearNodes(double snap, scratch_vector<std::uint32_t> by_x)
        : snap_(snap), by_x_(std::move(by_x)), recent_(snap, 64) {}

    template <class F>
    void near(std::span<const Vec2> pts, Vec2 p, F &&f) {
        if (!crowded_) {
            auto at = std::lower_bound(by_x_.begin(), by_x_.end(), p.x - snap_,
                                       [&](std::uint32_t q, double x) { return pts[q].x < x; });
            std::size_t seen = 0;
            for (; at != by_x_.end() && pts[*at].x <= p.x + snap_; ++at)
                ++seen;
            if (seen <= crowd) {
                const double snap2 = snap_ * snap_;
                for (at -= static_cast<std::ptrdiff_t>(seen); seen > 0; --seen, ++at)
                    if (squared_distance(pts[*at], p) <= snap2)
                        f(*at);
            } else {
                crowded_ = true;  // all into the cells from here on
                for (std::uint32_t q : by_x_)
                    recent_.insert(pts, q);
                by_x_.clear();
            }
        }
        recent_.near(pts, p, f);
    }
    void insert(std::span<const Vec2> pts, std::uint32_t q) { recent_.insert(pts, q); }

private:
    double snap_;
    scratch_vector<std::uint32_t> by_x_;
    NodeIndex recent_;
    bool crowded_ = false;
};

// Calls f(i, j), i < j, for every pair of boxes that overlap once widened by
// `reach` and, if `fresh_only`, of which one at least is marked in `fresh`
// (boxes with a NaN side meet none): a sweep along x over the boxes ordered
// by their left side, with lists of the fresh and of the other boxes still
// open.
template <class F>
void overlapping(const scratch_vector<Box> &boxes, const scratch_vector<char> &fresh, double reach, bool fresh_only,
                 const Interrupt &stop, F &&f) {
    // An open box with its sides widened, kept at hand for the scans.
    struct Open {
        double right, low, high;
        std::uint32_t box;
    };
    scratch_vector<Open> open[2];  // the fresh ones, the others
    for (std::uint32_t i : ordered_by(boxes.size(), [&](std::uint32_t k) { return boxes[k].min_x; })) {
        const Box &b = boxes[i];
        const double left = b.min_x - reach, low = b.min_y - reach, high = b.max_y + reach;
        for (int list = 0; list < (fresh[i] || !fresh_only ? 2 : 1); ++list) {
            scratch_vector<Open> &o = open[list];
            std::size_t kept = 0;
            for (const Open &a : o) {
                stop.tick();
                if (a.right < left)
                    continue;  // closed for good: every later box starts farther right
                o[kept++] = a;
                if (a.low <= high && low <= a.high)
                    f(std::min(a.box, i), std::max(a.box, i));
            }
            o.resize(kept);
        }
        open[fresh[i] ? 0 : 1].push_back({b.max_x + reach, low, high, i});
    }
}

// Whether the boxes overlap once widened by `reach`.
inline bool meet(const Box &p, const Box &q, double reach) {
    return p.min_x - reach <= q.max_x + reach && q.min_x - reach <= p.max_x + reach &&
           p.min_y - reach <= q.max_y + reach && q.min_y - reach <= p.max_y + reach;
}

// A working segment: a piece of input edge `edge` between two nodes.
struct Seg {
    std::uint32_t a, b, edge;
    std::uint32_t root;  // the segment of the first round it is a piece of
};

// Where a segment is to be cut: at `node`, `t` along it.
struct Cut {
    std::uint32_t seg, node;
    double t;
};

// The crossing of a-b with c-d when each pair of ends lies strictly on
// opposite sides of the other's line (exact signs); t along a-b.
bool proper_crossing(Vec2 a, Vec2 b, Vec2 c, Vec2 d, double &t) {
    if (exact::orient(a, b, c) * exact::orient(a, b, d) >= 0 || exact::orient(c, d, a) * exact::orient(c, d, b) >= 0)
        return false;
    double o3 = cross(d - c, a - c), o4 = cross(d - c, b - c);
    t = o3 == o4 ? 0.5 : std::clamp(o3 / (o3 - o4), 0.0, 1.0);
    return true;
}

}  // namespace

Noded node(std::span<const Vec2> points, std::span<const Edge> edges, double snap, const Interrupt &stop) {
    Noded out;
    const std::size_t n = points.size();
    // Clusters of input points, each led by its first point.
    Groups groups(n);
    scratch_vector<std::uint32_t> by_x = ordered_by(n, [&](std::uint32_t k) { return points[k].x; });
    if (!join_near(points, by_x, snap, groups, stop)) {
        NodeIndex index(snap, n);
        for (std::size_t i = 0; i < n; ++i) {
            stop.tick();
            index.near(points, points[i], [&](std::uint32_t q) { groups.join(q, static_cast<std::uint32_t>(i)); });
            index.insert(points, static_cast<std::uint32_t>(i));
        }
    }
    out.node_of_point.assign(n, none);
    for (std::size_t i = 0; i < n; ++i) {
        std::uint32_t lead = groups.find(static_cast<std::uint32_t>(i));
        if (out.node_of_point[lead] == none) {
            out.node_of_point[lead] = static_cast<std::uint32_t>(out.nodes.size());
            out.nodes.push_back(points[lead]);
        }
        out.node_of_point[i] = out.node_of_point[lead];
    }
    const std::size_t input_nodes = out.nodes.size();
    // The nodes in x order: the points' order already when no points merged.
    if (input_nodes != n)
        by_x = ordered_by(input_nodes, [&](std::uint32_t k) { return out.nodes[k].x; });
    NearNodes nodes(snap, std::move(by_x));

    scratch_vector<Seg> segs;
    segs.reserve(edges.size());
    for (std::size_t e = 0; e < edges.size(); ++e) {
        std::uint32_t a = out.node_of_point[edges[e].from], b = out.node_of_point[edges[e].to];
        if (a != b)
            segs.push_back({a, b, static_cast<std::uint32_t>(e), static_cast<std::uint32_t>(segs.size())});
    }

    // Which segments and nodes the last round made or moved: only pairs
    // with one of them in can change anything.  A piece cut from a segment
    // only at older nodes that lie exactly on it is a part of that segment,
    // and was looked at with it.
    const std::size_t roots = segs.size();
    scratch_vector<char> fresh_seg(roots, 1);
    std::size_t fresh_nodes_from = 0;
    // The first round notes which segments lie near each other, a little
    // farther than snap: the second looks only at the pieces of segments
    // near one that moved, unless a cut moved a piece farther than that.
    double magnitude = 0;
    for (Vec2 p : out.nodes)
        magnitude = std::max(magnitude, std::max(std::fabs(p.x), std::fabs(p.y)));
    const double slack = 2 * snap + 16 * std::numeric_limits<double>::epsilon() * magnitude;
    scratch_vector<std::pair<std::uint32_t, std::uint32_t>> near_pairs;
    double bend = 0;  // how far the cuts of the last round moved pieces off their segments' boxes
    const double snap2 = snap * snap;
    out.planar = false;
    for (int round = 0; round < max_rounds; ++round) {
        const std::size_t ns = segs.size(), nn = out.nodes.size();
        if (std::find(fresh_seg.begin(), fresh_seg.end(), 1) == fresh_seg.end() && fresh_nodes_from == nn) {
            out.planar = true;
            break;
        }
        // The segments taken: all, or in the second round those from a
        // first-round segment that moved or lay near one that did.
        scratch_vector<std::uint32_t> items;
        items.reserve(ns);
        if (round == 1 && bend <= slack) {
            scratch_vector<char> moved(roots, 0), taken;
            for (std::size_t s = 0; s < ns; ++s)
                if (fresh_seg[s])
                    moved[segs[s].root] = 1;
            taken = moved;
            for (auto [p, q] : near_pairs) {
                if (moved[p])
                    taken[q] = 1;
                if (moved[q])
                    taken[p] = 1;
            }
            for (std::uint32_t s = 0; s < ns; ++s)
                if (taken[segs[s].root])
                    items.push_back(s);
        } else {
            for (std::uint32_t s = 0; s < ns; ++s)
                items.push_back(s);
        }
        near_pairs.clear();
        const std::size_t ni = items.size();
        if (round == 0)
            near_pairs.reserve(2 * ni);
        // One pass over the boxes of those segments and of the nodes that
        // end no segment.  A crossing gets a node, or the node already
        // within snap of it; a node within snap of a segment it does not
        // end at is routed through.  Nodes made here are routed in the next
        // round.
        scratch_vector<char> ends(nn, 0);
        for (const Seg &sg : segs)
            ends[sg.a] = ends[sg.b] = 1;
        scratch_vector<Box> boxes(ni);
        scratch_vector<char> fresh(ni);
        for (std::size_t i = 0; i < ni; ++i) {
            const Seg &sg = segs[items[i]];
            boxes[i] = segment_bound(out.nodes[sg.a], out.nodes[sg.b]);
            fresh[i] = fresh_seg[items[i]];
        }
        scratch_vector<std::uint32_t> lone;
        for (std::uint32_t k = 0; k < nn; ++k)
            if (!ends[k]) {
                lone.push_back(k);
                boxes.push_back(Box{out.nodes[k].x, out.nodes[k].x, out.nodes[k].y, out.nodes[k].y});
                fresh.push_back(k >= fresh_nodes_from);
            }
        scratch_vector<Cut> cuts;
        // Cuts segment s at node k, unless k ends it.
        auto cut = [&](std::uint32_t s, std::uint32_t k) {
            double t;
            if (k != segs[s].a && k != segs[s].b) {
                squared_distance_to_segment(out.nodes[segs[s].a], out.nodes[segs[s].b], out.nodes[k], t);
                cuts.push_back({s, k, t});
            }
        };
        // Routes segment s through node k when k lies within snap of it.
        auto route = [&](std::uint32_t s, const Box &box, std::uint32_t k) {
            if (k == segs[s].a || k == segs[s].b || !in_box(box, out.nodes[k], snap))
                return;
            double t;
            if (squared_distance_to_segment(out.nodes[segs[s].a], out.nodes[segs[s].b], out.nodes[k], t) <= snap2)
                cuts.push_back({s, k, t});
        };
        const bool note = round == 0;
        overlapping(boxes, fresh, note ? slack : snap, !note, stop, [&](std::size_t i, std::size_t j) {
            if (i >= ni)
                return;  // node with node
            if (note && !meet(boxes[i], boxes[j], snap)) {
                if (j < ni)
                    near_pairs.push_back({segs[items[i]].root, segs[items[j]].root});
                return;
            }
            if (j >= ni) {
                route(items[i], boxes[i], lone[j - ni]);
                return;
            }
            std::uint32_t si = items[i], sj = items[j];
            if (note)
                near_pairs.push_back({segs[si].root, segs[sj].root});
            const Seg &p = segs[si], &q = segs[sj];
            route(si, boxes[i], q.a);
            route(si, boxes[i], q.b);
            route(sj, boxes[j], p.a);
            route(sj, boxes[j], p.b);
            if (p.a == q.a || p.a == q.b || p.b == q.a || p.b == q.b)
                return;  // a shared end: they can only overlap, which routing mends
            Vec2 a = out.nodes[p.a], b = out.nodes[p.b], c = out.nodes[q.a], d = out.nodes[q.b];
            double t;
            if (!proper_crossing(a, b, c, d, t))
                return;
            Vec2 x = a + (b - a) * t;
            std::uint32_t at = none;
            double best = INFINITY;
            nodes.near(out.nodes, x, [&](std::uint32_t k) {
                double d2 = squared_distance(out.nodes[k], x);
                if (d2 < best || (d2 == best && k < at)) {
                    best = d2;
                    at = k;
                }
            });
            if (at == none) {
                at = static_cast<std::uint32_t>(out.nodes.size());
                out.nodes.push_back(x);
                nodes.insert(out.nodes, at);
            }
            cut(si, at);
            cut(sj, at);
        });
        fresh_nodes_from = nn;
        if (cuts.empty()) {
            out.planar = true;
            break;
        }
        // Each cut segment replaced by its pieces, in order along it (a node
        // found twice cuts once).
        std::sort(cuts.begin(), cuts.end(), [](const Cut &x, const Cut &y) {
            return x.seg < y.seg || (x.seg == y.seg && (x.t < y.t || (x.t == y.t && x.node < y.node)));
        });
        scratch_vector<Seg> next;
        scratch_vector<char> next_fresh;
        next.reserve(segs.size() + cuts.size());
        next_fresh.reserve(segs.size() + cuts.size());
        bend = 0;
        std::size_t c = 0;
        for (std::size_t s = 0; s < segs.size(); ++s) {
            const Seg &sg = segs[s];
            std::uint32_t from = sg.a;
            bool moved = false;
            for (; c < cuts.size() && cuts[c].seg == s; ++c) {
                std::uint32_t k = cuts[c].node;
                if (k == from)
                    continue;
                Vec2 a = out.nodes[sg.a], b = out.nodes[sg.b], x = out.nodes[k];
                moved = moved || k >= nn || exact::orient(a, b, x) != 0;
                bend = std::max({bend, std::min(a.x, b.x) - x.x, x.x - std::max(a.x, b.x), std::min(a.y, b.y) - x.y,
                                 x.y - std::max(a.y, b.y)});
                next.push_back({from, k, sg.edge, sg.root});
                from = k;
            }
            if (from != sg.b)
                next.push_back({from, sg.b, sg.edge, sg.root});
            next_fresh.resize(next.size(), moved ? 1 : 0);
        }
        segs.swap(next);
        fresh_seg.swap(next_fresh);
    }

    out.crossing_nodes = out.nodes.size() - input_nodes;
    out.first_piece.assign(edges.size() + 1, 0);
    for (const Seg &s : segs)
        ++out.first_piece[s.edge + 1];
    for (std::size_t e = 0; e < edges.size(); ++e)
        out.first_piece[e + 1] += out.first_piece[e];
    out.pieces.reserve(segs.size());
    for (const Seg &s : segs)
        out.pieces.push_back({s.a, s.b});
    return out;
}

scratch_vector<Link> links(const Noded &noded, std::span<const Edge> edges, bool keep_zero,
                           scratch_vector<std::uint32_t> *link_of_piece) {
    scratch_vector<Link> out;
    PairMap seen(noded.pieces.size());
    if (link_of_piece)
        link_of_piece->resize(noded.pieces.size());
    for (std::size_t e = 0; e < edges.size(); ++e)
        for (std::uint32_t p = noded.first_piece[e]; p < noded.first_piece[e + 1]; ++p) {
            const Piece &piece = noded.pieces[p];
            auto [at, fresh] = seen.emplace(piece.from, piece.to, static_cast<std::uint32_t>(out.size()));
            if (fresh)
                out.push_back({piece.from, piece.to, 0});
            Link &l = out[at];
            l.weight += l.from == piece.from ? edges[e].weight : -std::int64_t{edges[e].weight};
            if (link_of_piece)
                (*link_of_piece)[p] = at;
        }
    if (keep_zero)
        return out;
    scratch_vector<std::uint32_t> renumbered(out.size(), none);
    std::size_t kept = 0;
    for (std::size_t k = 0; k < out.size(); ++k)
        if (out[k].weight != 0) {
            renumbered[k] = static_cast<std::uint32_t>(kept);
            out[kept++] = out[k];
        }
    out.resize(kept);
    if (link_of_piece)
        for (std::uint32_t &k : *link_of_piece)
            k = renumbered[k];
    return out;
}

double twice_area(std::span<const Vec2> nodes, std::span<const std::uint32_t> ring) {
    double sum = 0;
    if (ring.empty())
        return 0;
    Vec2 o = nodes[ring[0]];
    for (std::size_t i = 1; i + 1 < ring.size(); ++i)
        sum += cross(nodes[ring[i]] - o, nodes[ring[i + 1]] - o);
    return sum;
}

namespace {

// A number that orders directions as their angle from +x does over
// (-pi, pi], without a trigonometric call: at most 0 where the angle is.
inline double pseudo_angle(Vec2 d) {
    double p = d.y / (std::fabs(d.x) + std::fabs(d.y));
    if (d.x >= 0)
        return p;
    return d.y >= 0 ? 2 - p : -2 - p;
}

// Half-edges of the links: 2k runs from links[k].from to links[k].to, 2k + 1
// back.  Around each node the outgoing half-edges are sorted
// counter-clockwise, and next(h) is the half-edge that follows h with the
// same face on its left.
struct HalfEdges {
    std::span<const Vec2> nodes;
    std::span<const Link> links;
    scratch_vector<std::uint32_t> order;    // outgoing half-edges, grouped by node
    scratch_vector<std::uint32_t> first;    // node -> start of its group in order
    scratch_vector<std::uint32_t> after;    // half-edge -> next(half-edge)

    HalfEdges(std::span<const Vec2> nodes_, std::span<const Link> links_) : nodes(nodes_), links(links_) {
        const std::size_t nh = 2 * links.size();
        first.assign(nodes.size() + 1, 0);
        for (std::uint32_t h = 0; h < nh; ++h)
            ++first[origin(h) + 1];
        for (std::size_t v = 0; v < nodes.size(); ++v)
            first[v + 1] += first[v];
        order.resize(nh);
        scratch_vector<std::uint32_t> fill(first.begin(), first.end() - 1);
        for (std::uint32_t h = 0; h < nh; ++h)
            order[fill[origin(h)]++] = h;
        scratch_vector<double> angle(nh);
        for (std::uint32_t h = 0; h < nh; ++h) {
            Vec2 d = nodes[target(h)] - nodes[origin(h)];
            angle[h] = pseudo_angle(d);
        }
        scratch_vector<std::uint32_t> slot(nh);  // half-edge -> its place in order
        auto less = [&](std::uint32_t x, std::uint32_t y) { return angle[x] < angle[y] || (angle[x] == angle[y] && x < y); };
        for (std::size_t v = 0; v < nodes.size(); ++v) {
            auto b = order.begin() + first[v], e = order.begin() + first[v + 1];
            if (e - b == 2) {
                if (less(b[1], b[0]))
                    std::swap(b[0], b[1]);
            } else if (e - b > 2) {
                std::sort(b, e, less);
            }
            for (std::uint32_t i = first[v]; i < first[v + 1]; ++i)
                slot[order[i]] = i;
        }
        after.resize(nh);
        for (std::uint32_t h = 0; h < nh; ++h) {
            std::uint32_t v = target(h), s = slot[twin(h)];
            after[h] = order[s == first[v] ? first[v + 1] - 1 : s - 1];
        }
    }

    std::uint32_t origin(std::uint32_t h) const { return h & 1 ? links[h >> 1].to : links[h >> 1].from; }
    std::uint32_t target(std::uint32_t h) const { return h & 1 ? links[h >> 1].from : links[h >> 1].to; }
    static std::uint32_t twin(std::uint32_t h) { return h ^ 1; }
    std::int64_t weight(std::uint32_t h) const { return h & 1 ? -links[h >> 1].weight : links[h >> 1].weight; }

    // The outgoing half-edge at h's target next clockwise from h's twin.
    std::uint32_t next(std::uint32_t h) const { return after[h]; }
};

// The links on a grid of cells, each link listed in every cell its box
// reaches, so that a ray cast leftwards meets the links of the cells it
// passes, nearest first.  Cells are shaped after the links' extent and made
// coarser until the lists hold at most a few times the number of links.
class Cells {
public:
    Cells(std::span<const Vec2> nodes, std::span<const Link> links, bool needed) {
        if (!needed || links.empty())
            return;
        double hx = -INFINITY, hy = -INFINITY;
        x0_ = y0_ = INFINITY;
        for (const Link &l : links) {
            Box b = segment_bound(nodes[l.from], nodes[l.to]);
            x0_ = std::min(x0_, b.min_x);
            y0_ = std::min(y0_, b.min_y);
            hx = std::max(hx, b.max_x);
            hy = std::max(hy, b.max_y);
        }
        double n = static_cast<double>(links.size()), w = hx - x0_, h = hy - y0_;
        double fx = w > 0 && h > 0 ? std::sqrt(n * w / h) : (w > 0 ? n : 1);
        double fy = w > 0 && h > 0 ? std::sqrt(n * h / w) : (h > 0 ? n : 1);
        scratch_vector<std::array<std::uint32_t, 4>> ranges(links.size());  // columns and rows of each link
        for (;; fx /= 2, fy /= 2) {
            nx_ = static_cast<std::size_t>(std::clamp(fx, 1.0, std::min(n, 65536.0)));
            ny_ = static_cast<std::size_t>(std::clamp(fy, 1.0, std::min(n, 65536.0)));
            wx_ = w / static_cast<double>(nx_);
            wy_ = h / static_cast<double>(ny_);
            std::size_t total = 0;
            for (std::size_t k = 0; k < links.size(); ++k) {
                auto [c0, c1, r0, r1] = ranges[k] = cells_of(segment_bound(nodes[links[k].from], nodes[links[k].to]));
                total += (c1 - c0 + 1) * (r1 - r0 + 1);
            }
            if (total <= 8 * links.size() || (nx_ == 1 && ny_ == 1))
                break;
        }
        first_.assign(nx_ * ny_ + 1, 0);
        auto each = [&](auto &&f) {
            for (std::uint32_t k = 0; k < links.size(); ++k) {
                auto [c0, c1, r0, r1] = ranges[k];
                for (std::size_t r = r0; r <= r1; ++r)
                    for (std::size_t c = c0; c <= c1; ++c)
                        f(r * nx_ + c, k);
            }
        };
        each([&](std::size_t cell, std::uint32_t) { ++first_[cell + 1]; });
        for (std::size_t i = 0; i < nx_ * ny_; ++i)
            first_[i + 1] += first_[i];
        list_.resize(first_.back());
        scratch_vector<std::uint32_t> fill(first_.begin(), first_.end() - 1);
        each([&](std::size_t cell, std::uint32_t k) { list_[fill[cell]++] = k; });
    }

    // Calls f(link) for the links of the cells from p's leftwards until
    // `done(col)` says the nearest hit lies in column col or to its right.
    template <class F, class D>
    void leftwards(Vec2 p, F &&f, D &&done) const {
        if (list_.empty())
            return;
        std::size_t r = index(p.y, y0_, wy_, ny_);
        for (std::size_t c = index(p.x, x0_, wx_, nx_) + 1; c-- > 0;) {
            std::size_t cell = r * nx_ + c;
            for (std::uint32_t i = first_[cell]; i < first_[cell + 1]; ++i)
                f(list_[i]);
            if (done(c))
                return;
        }
    }

    std::size_t column(double x) const { return index(x, x0_, wx_, nx_); }

private:
    // Monotone in v, so a link whose range holds v is in v's cell.
    static std::size_t index(double v, double lo, double width, std::size_t count) {
        if (count <= 1 || !(width > 0))
            return 0;
        double i = std::floor((v - lo) / width);
        return i <= 0 ? 0 : std::min(count - 1, static_cast<std::size_t>(i));
    }
    std::array<std::uint32_t, 4> cells_of(const Box &b) const {
        auto at = [](double v, double lo, double width, std::size_t count) {
            return static_cast<std::uint32_t>(index(v, lo, width, count));
        };
        return {at(b.min_x, x0_, wx_, nx_), at(b.max_x, x0_, wx_, nx_), at(b.min_y, y0_, wy_, ny_),
                at(b.max_y, y0_, wy_, ny_)};
    }

    double x0_ = 0, y0_ = 0, wx_ = 0, wy_ = 0;
    std::size_t nx_ = 1, ny_ = 1;
    scratch_vector<std::uint32_t> first_, list_;
};

}  // namespace

Region region(std::span<const Vec2> nodes, std::span<const Link> links,
              const std::function<bool(std::int64_t)> &keep, const Interrupt &stop) {
    Region out;
    HalfEdges he(nodes, links);
    const std::uint32_t nh = static_cast<std::uint32_t>(2 * links.size());

    // Faces: the cycles of next.
    scratch_vector<std::uint32_t> face(nh, none);
    scratch_vector<double> face_area;
    scratch_vector<std::uint32_t> face_start;
    for (std::uint32_t h = 0; h < nh; ++h) {
        if (face[h] != none)
            continue;
        std::uint32_t f = static_cast<std::uint32_t>(face_area.size());
        double sum = 0;
        Vec2 o = nodes[he.origin(h)];
        std::uint32_t g = h;
        do {
            stop.tick();
            face[g] = f;
            sum += cross(nodes[he.origin(g)] - o, nodes[he.target(g)] - o);
            g = he.next(g);
        } while (g != h);
        face_area.push_back(sum);
        face_start.push_back(h);
    }
    const std::size_t nf = face_area.size();

    // Components joined by links; each has one outer face, the one of least
    // area (the only face of a component that encloses nothing).
    Groups comp(nodes.size());
    for (const Link &l : links)
        comp.join(l.from, l.to);
    scratch_vector<std::uint32_t> outer_of(nodes.size(), none);  // by component lead
    scratch_vector<std::uint32_t> leftmost(nodes.size(), none);
    for (std::uint32_t f = 0; f < nf; ++f) {
        std::uint32_t c = comp.find(he.origin(face_start[f]));
        if (outer_of[c] == none || face_area[f] < face_area[outer_of[c]])
            outer_of[c] = f;
    }
    scratch_vector<std::uint32_t> comps;
    for (std::uint32_t v = 0; v < nodes.size(); ++v) {
        if (he.first[v] == he.first[v + 1])
            continue;  // on no link
        std::uint32_t c = comp.find(v);
        if (leftmost[c] == none)
            comps.push_back(c);
        if (leftmost[c] == none || nodes[v].x < nodes[leftmost[c]].x ||
            (nodes[v].x == nodes[leftmost[c]].x && nodes[v].y < nodes[leftmost[c]].y))
            leftmost[c] = v;
    }
    std::sort(comps.begin(), comps.end(), [&](std::uint32_t a, std::uint32_t b) {
        Vec2 p = nodes[leftmost[a]], q = nodes[leftmost[b]];
        return p.x < q.x || (p.x == q.x && (p.y < q.y || (p.y == q.y && a < b)));
    });

    // Windings, component by component from the left: a component's outer
    // face lies in the face met by a ray cast leftwards from its leftmost
    // node (none met: the unbounded face, winding 0).  Faces in one region
    // part are joined in `part`, the outer face of a component with the face
    // that holds it.
    scratch_vector<std::int64_t> winding(nf, 0);
    scratch_vector<char> known(nf, 0);
    Cells cells(nodes, links, comps.size() > 1);
    Groups part(nf);
    scratch_vector<std::uint32_t> queue;
    for (std::uint32_t c : comps) {
        Vec2 p = nodes[leftmost[c]];
        // The ray runs just above p: an end on it counts as below, so a link
        // with an end on the ray is met only when it rises from there, and
        // meeting it at that end means meeting the node.
        std::uint32_t hit = none, hit_node = none;
        double hit_x = -INFINITY;
        cells.leftwards(
            p,
            [&](std::uint32_t k) {
                stop.tick();
                if (comp.find(links[k].from) == c)
                    return;
                Vec2 a = nodes[links[k].from], b = nodes[links[k].to];
                if ((a.y <= p.y) == (b.y <= p.y))
                    return;
                std::uint32_t at = a.y == p.y ? links[k].from : (b.y == p.y ? links[k].to : none);
                double x = at != none ? nodes[at].x : a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x);
                if (x < p.x && (x > hit_x || (x == hit_x && k < hit))) {
                    hit_x = x;
                    hit = k;
                    hit_node = at;
                }
            },
            [&](std::size_t col) { return hit != none && cells.column(hit_x) >= col; });
        std::uint32_t outer = outer_of[c];
        if (hit != none) {
            std::uint32_t holder;
            if (hit_node != none) {
                // The face of the wedge at the node that holds the direction
                // just above +x: left of the last outgoing half-edge whose
                // angle is at most 0 (or of the last one of all).
                std::uint32_t lo = he.first[hit_node], hi = he.first[hit_node + 1], pick = hi - 1;
                for (std::uint32_t i = lo; i < hi; ++i) {
                    Vec2 d = nodes[he.target(he.order[i])] - nodes[hit_node];
                    if (pseudo_angle(d) <= 0)
                        pick = i;
                }
                holder = face[he.order[pick]];
            } else {
                std::uint32_t h = 2 * hit;
                Vec2 a = nodes[he.origin(h)], b = nodes[he.target(h)];
                holder = cross(b - a, p - a) > 0 ? face[h] : face[HalfEdges::twin(h)];
            }
            winding[outer] = winding[holder];
            part.join(outer, holder);
        }
        known[outer] = 1;
        queue.assign(1, outer);
        while (!queue.empty()) {
            std::uint32_t f = queue.back();
            queue.pop_back();
            std::uint32_t g = face_start[f];
            do {
                std::uint32_t t = HalfEdges::twin(g), other = face[t];
                if (!known[other]) {
                    // Crossing t from its right (face f) to its left.
                    winding[other] = winding[f] + he.weight(t);
                    known[other] = 1;
                    queue.push_back(other);
                }
                g = he.next(g);
            } while (g != face_start[f]);
        }
    }

    scratch_vector<char> in(nf);
    for (std::uint32_t f = 0; f < nf; ++f)
        in[f] = keep(winding[f]) ? 1 : 0;
    auto boundary = [&](std::uint32_t h) { return in[face[h]] && !in[face[HalfEdges::twin(h)]]; };
    for (std::uint32_t h = 0; h < nh; ++h)
        if (in[face[h]] && in[face[HalfEdges::twin(h)]])
            part.join(face[h], face[HalfEdges::twin(h)]);

    // Boundary rings, the region on their left; at a node where the region
    // touches itself each ring keeps to its own wedge.
    scratch_vector<char> used(nh, 0);
    struct Raw {
        std::vector<std::uint32_t> ring, steps;
        std::uint32_t part;
        double area;
    };
    std::vector<Raw> raws;
    scratch_vector<std::uint32_t> path, halves, stack_nodes, stack_halves;
    scratch_vector<std::uint32_t> at(nodes.size(), none);  // a node's place on the stack
    for (std::uint32_t h = 0; h < nh; ++h) {
        if (used[h] || !boundary(h))
            continue;
        path.clear();
        halves.clear();
        std::uint32_t g = h;
        do {
            stop.tick();
            used[g] = 1;
            path.push_back(he.origin(g));
            halves.push_back(g);
            g = he.next(g);
            while (!boundary(g))
                g = he.next(HalfEdges::twin(g));
        } while (g != h);
        // Split where a node repeats: each closed sub-walk is a ring.
        stack_nodes.clear();
        stack_halves.clear();
        // The nodes and half-edges of the stack from s on, as a ring.
        auto emit = [&](std::size_t s) {
            auto from = static_cast<std::ptrdiff_t>(s);
            Raw r{{stack_nodes.begin() + from, stack_nodes.end()}, {}, part.find(face[stack_halves[s]]), 0};
            r.area = twice_area(nodes, r.ring);
            for (std::size_t k = s; k < stack_halves.size(); ++k)
                r.steps.push_back(stack_halves[k] >> 1);
            raws.push_back(std::move(r));
        };
        for (std::size_t i = 0; i < path.size(); ++i) {
            std::uint32_t v = path[i];
            if (at[v] != none) {
                std::size_t s = at[v];
                emit(s);
                for (std::size_t k = s; k < stack_nodes.size(); ++k)
                    at[stack_nodes[k]] = none;
                stack_nodes.resize(s);
                stack_halves.resize(s);
            }
            at[v] = static_cast<std::uint32_t>(stack_nodes.size());
            stack_nodes.push_back(v);
            stack_halves.push_back(halves[i]);
        }
        for (std::uint32_t v : stack_nodes)
            at[v] = none;
        if (!stack_nodes.empty())
            emit(0);
    }

    // Each ring from its lowest node; shells by their lowest node, each
    // followed by the holes of its part.
    for (Raw &r : raws) {
        auto low = std::min_element(r.ring.begin(), r.ring.end()) - r.ring.begin();
        std::rotate(r.ring.begin(), r.ring.begin() + low, r.ring.end());
        std::rotate(r.steps.begin(), r.steps.begin() + low, r.steps.end());
    }
    std::vector<std::size_t> shells, holes;
    for (std::size_t i = 0; i < raws.size(); ++i)
        (raws[i].area > 0 ? shells : holes).push_back(i);
    auto by_low = [&](std::size_t a, std::size_t b) { return raws[a].ring[0] < raws[b].ring[0]; };
    std::sort(shells.begin(), shells.end(), by_low);
    std::sort(holes.begin(), holes.end(), by_low);
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> holes_of_part;
    for (std::size_t k : holes)
        holes_of_part[raws[k].part].push_back(k);
    for (std::size_t s : shells) {
        std::int32_t me = static_cast<std::int32_t>(out.rings.size());
        out.rings.push_back(raws[s].ring);
        out.steps.push_back(raws[s].steps);
        out.shell_of.push_back(-1);
        auto it = holes_of_part.find(raws[s].part);
        if (it == holes_of_part.end())
            continue;
        for (std::size_t k : it->second) {
            out.rings.push_back(raws[k].ring);
            out.steps.push_back(raws[k].steps);
            out.shell_of.push_back(me);
        }
    }
    return out;
}

}  // namespace geom::arrangement
