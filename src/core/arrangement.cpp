#include "core/arrangement.hpp"

#include "core/exact_predicates.hpp"
#include "core/line_segment_ray.hpp"
#include "core/union_find.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
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

// Points within `snap` of one another, found through cells `snap` wide: two
// such points lie in the same or neighbouring cells.  With snap 0, points
// with equal coordinates (the cell is the coordinate pair itself).  Open
// addressing from a cell to the head of a chain of node numbers.
class NodeIndex {
public:
    // Room for about `expected` cells before the table grows.
    NodeIndex(double snap, std::size_t expected) : snap_(snap), snap2_(snap * snap) {
        std::size_t capacity = 64;
        while (capacity < 2 * expected)
            capacity *= 2;
        slots_.resize(capacity);
    }

    // Calls f(node) for every indexed node within snap of p.
    template <class F>
    void near(Vec2 p, F &&f) const {
        Key c = key(p);
        int reach = snap_ > 0 ? 1 : 0;
        for (int i = -reach; i <= reach; ++i)
            for (int j = -reach; j <= reach; ++j)
                for (std::uint32_t q = find({c.x + i, c.y + j}).head; q != none; q = next_[q])
                    if (squared_distance(points_[q], p) <= snap2_)
                        f(q);
    }

    void insert(Vec2 p, std::uint32_t node) {
        if (points_.size() <= node) {
            points_.resize(node + 1);
            next_.resize(node + 1, none);
        }
        points_[node] = p;
        if (2 * (used_ + 1) > slots_.size())
            grow();
        Slot &slot = place(key(p));
        next_[node] = slot.head;
        slot.head = node;
    }

private:
    struct Key {
        std::int64_t x, y;
        bool operator==(const Key &o) const { return x == o.x && y == o.y; }
    };
    struct Slot {
        Key k{};
        std::uint32_t head = none;  // none: free
    };

    Key key(Vec2 p) const {
        if (snap_ <= 0)
            return {bits(p.x), bits(p.y)};
        return {cell(p.x), cell(p.y)};
    }
    // Cells past +-2^62 are clamped: points there share a cell, and the
    // distance test still tells them apart.
    std::int64_t cell(double v) const {
        double c = std::clamp(std::floor(v / snap_), -0x1p62, 0x1p62);
        return static_cast<std::int64_t>(c);
    }
    std::size_t hash(const Key &k) const {
        std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ULL ^
                          static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4FULL;
        return static_cast<std::size_t>(h ^ (h >> 29)) & (slots_.size() - 1);
    }
    const Slot &find(const Key &k) const {
        static const Slot empty{};
        for (std::size_t i = hash(k);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].head == none)
                return empty;
            if (slots_[i].k == k)
                return slots_[i];
        }
    }
    Slot &place(const Key &k) {
        for (std::size_t i = hash(k);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i].head == none) {
                slots_[i].k = k;
                ++used_;
                return slots_[i];
            }
            if (slots_[i].k == k)
                return slots_[i];
        }
    }
    void grow() {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        for (const Slot &s : old)
            if (s.head != none) {
                for (std::size_t i = hash(s.k);; i = (i + 1) & (slots_.size() - 1))
                    if (slots_[i].head == none) {
                        slots_[i] = s;
                        break;
                    }
            }
    }

    double snap_, snap2_;
    std::vector<Slot> slots_;
    std::size_t used_ = 0;
    std::vector<Vec2> points_;
    std::vector<std::uint32_t> next_;
};

// Calls f(i, j), i < j, for every pair of boxes that overlap once widened by
// `reach` (boxes with a NaN side meet none): a sweep along x over the boxes sorted by their left side, with a
// list of the boxes still open.  Pairs come in the order their later box is
// reached.
template <class F>
void overlapping(const std::vector<Box> &boxes, double reach, const Interrupt &stop, F &&f) {
    std::vector<std::pair<double, std::uint32_t>> order;
    order.reserve(boxes.size());
    for (std::uint32_t i = 0; i < boxes.size(); ++i)
        if (!std::isnan(boxes[i].min_x))  // a NaN box meets nothing (and would break the sort)
            order.push_back({boxes[i].min_x, i});
    std::sort(order.begin(), order.end());
    std::vector<std::uint32_t> open;
    for (const auto &item : order) {
        std::uint32_t i = item.second;
        const Box &b = boxes[i];
        std::size_t kept = 0;
        for (std::uint32_t a : open) {
            stop.tick();
            const Box &o = boxes[a];
            if (o.max_x + reach < b.min_x - reach)
                continue;  // closed for good: every later box starts farther right
            open[kept++] = a;
            if (o.min_y - reach <= b.max_y + reach && b.min_y - reach <= o.max_y + reach)
                f(std::min(a, i), std::max(a, i));
        }
        open.resize(kept);
        open.push_back(i);
    }
}

// A working segment: a piece of input edge `edge` between two nodes.
struct Seg {
    std::uint32_t a, b, edge;
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
    NodeIndex index(snap, n);
    for (std::size_t i = 0; i < n; ++i) {
        stop.tick();
        index.near(points[i], [&](std::uint32_t q) { groups.join(q, static_cast<std::uint32_t>(i)); });
        index.insert(points[i], static_cast<std::uint32_t>(i));
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
    NodeIndex nodes(snap, 2 * out.nodes.size());
    for (std::size_t k = 0; k < out.nodes.size(); ++k)
        nodes.insert(out.nodes[k], static_cast<std::uint32_t>(k));

    std::vector<Seg> segs;
    segs.reserve(edges.size());
    for (std::size_t e = 0; e < edges.size(); ++e) {
        std::uint32_t a = out.node_of_point[edges[e].from], b = out.node_of_point[edges[e].to];
        if (a != b)
            segs.push_back({a, b, static_cast<std::uint32_t>(e)});
    }

    const double snap2 = snap * snap;
    out.planar = false;
    for (int round = 0; round < max_rounds; ++round) {
        std::vector<Cut> cuts;
        // One pass over the boxes of segments and nodes, widened by snap.  A
        // crossing gets a node, or the node already within snap of it; a
        // node within snap of a segment it does not end at is routed
        // through.  Nodes made here are routed in the next round.
        const std::size_t ns = segs.size(), nn = out.nodes.size();
        std::vector<Box> boxes(ns + nn);
        for (std::size_t s = 0; s < ns; ++s)
            boxes[s] = segment_bound(out.nodes[segs[s].a], out.nodes[segs[s].b]);
        for (std::size_t k = 0; k < nn; ++k)
            boxes[ns + k] = Box{out.nodes[k].x, out.nodes[k].x, out.nodes[k].y, out.nodes[k].y};
        auto cut = [&](std::size_t s, std::uint32_t k) {
            double t;
            if (k != segs[s].a && k != segs[s].b) {
                squared_distance_to_segment(out.nodes[segs[s].a], out.nodes[segs[s].b], out.nodes[k], t);
                cuts.push_back({static_cast<std::uint32_t>(s), k, t});
            }
        };
        overlapping(boxes, snap, stop, [&](std::size_t i, std::size_t j) {
            if (i >= ns)
                return;  // node with node
            if (j >= ns) {
                std::uint32_t k = static_cast<std::uint32_t>(j - ns);
                double t;
                if (squared_distance_to_segment(out.nodes[segs[i].a], out.nodes[segs[i].b], out.nodes[k], t) <= snap2)
                    cut(i, k);
                return;
            }
            const Seg &p = segs[i], &q = segs[j];
            if (p.a == q.a || p.a == q.b || p.b == q.a || p.b == q.b)
                return;  // a shared end: they can only overlap, which routing mends
            Vec2 a = out.nodes[p.a], b = out.nodes[p.b], c = out.nodes[q.a], d = out.nodes[q.b];
            double t;
            if (!proper_crossing(a, b, c, d, t))
                return;
            Vec2 x = a + (b - a) * t;
            std::uint32_t at = none;
            double best = INFINITY;
            nodes.near(x, [&](std::uint32_t k) {
                double d2 = squared_distance(out.nodes[k], x);
                if (d2 < best || (d2 == best && k < at)) {
                    best = d2;
                    at = k;
                }
            });
            if (at == none) {
                at = static_cast<std::uint32_t>(out.nodes.size());
                out.nodes.push_back(x);
                nodes.insert(x, at);
            }
            cut(i, at);
            cut(j, at);
        });
        if (cuts.empty()) {
            out.planar = true;
            break;
        }
        // Each cut segment replaced by its pieces, in order along it.
        std::sort(cuts.begin(), cuts.end(), [](const Cut &x, const Cut &y) {
            return x.seg < y.seg || (x.seg == y.seg && (x.t < y.t || (x.t == y.t && x.node < y.node)));
        });
        std::vector<Seg> next;
        next.reserve(segs.size() + cuts.size());
        std::size_t c = 0;
        for (std::size_t s = 0; s < segs.size(); ++s) {
            std::uint32_t from = segs[s].a;
            for (; c < cuts.size() && cuts[c].seg == s; ++c) {
                std::uint32_t k = cuts[c].node;
                if (k == from)
                    continue;
                next.push_back({from, k, segs[s].edge});
                from = k;
            }
            if (from != segs[s].b)
                next.push_back({from, segs[s].b, segs[s].edge});
        }
        segs.swap(next);
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

std::vector<Link> links(const Noded &noded, std::span<const Edge> edges, bool keep_zero) {
    std::vector<Link> out;
    std::unordered_map<std::uint64_t, std::size_t> seen;
    for (std::size_t e = 0; e < edges.size(); ++e)
        for (std::uint32_t p = noded.first_piece[e]; p < noded.first_piece[e + 1]; ++p) {
            const Piece &piece = noded.pieces[p];
            std::uint32_t lo = std::min(piece.from, piece.to), hi = std::max(piece.from, piece.to);
            auto [it, fresh] = seen.emplace((std::uint64_t{lo} << 32) | hi, out.size());
            if (fresh)
                out.push_back({piece.from, piece.to, 0});
            Link &l = out[it->second];
            l.weight += l.from == piece.from ? edges[e].weight : -std::int64_t{edges[e].weight};
        }
    if (!keep_zero)
        std::erase_if(out, [](const Link &l) { return l.weight == 0; });
    return out;
}

double twice_area(const std::vector<Vec2> &nodes, std::span<const std::uint32_t> ring) {
    double sum = 0;
    if (ring.empty())
        return 0;
    Vec2 o = nodes[ring[0]];
    for (std::size_t i = 1; i + 1 < ring.size(); ++i)
        sum += cross(nodes[ring[i]] - o, nodes[ring[i + 1]] - o);
    return sum;
}

namespace {

// Half-edges of the links: 2k runs from links[k].from to links[k].to, 2k + 1
// back.  Around each node the outgoing half-edges are sorted
// counter-clockwise, and next(h) is the half-edge that follows h with the
// same face on its left.
struct HalfEdges {
    const std::vector<Vec2> &nodes;
    std::span<const Link> links;
    std::vector<std::uint32_t> order;    // outgoing half-edges, grouped by node
    std::vector<std::uint32_t> first;    // node -> start of its group in order
    std::vector<std::uint32_t> slot;     // half-edge -> its place in order

    HalfEdges(const std::vector<Vec2> &nodes_, std::span<const Link> links_) : nodes(nodes_), links(links_) {
        const std::size_t nh = 2 * links.size();
        first.assign(nodes.size() + 1, 0);
        for (std::uint32_t h = 0; h < nh; ++h)
            ++first[origin(h) + 1];
        for (std::size_t v = 0; v < nodes.size(); ++v)
            first[v + 1] += first[v];
        order.resize(nh);
        std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
        for (std::uint32_t h = 0; h < nh; ++h)
            order[fill[origin(h)]++] = h;
        std::vector<double> angle(nh);
        for (std::uint32_t h = 0; h < nh; ++h) {
            Vec2 d = nodes[target(h)] - nodes[origin(h)];
            angle[h] = std::atan2(d.y, d.x);
        }
        slot.resize(nh);
        for (std::size_t v = 0; v < nodes.size(); ++v) {
            auto b = order.begin() + first[v], e = order.begin() + first[v + 1];
            std::sort(b, e, [&](std::uint32_t x, std::uint32_t y) { return angle[x] < angle[y] || (angle[x] == angle[y] && x < y); });
            for (std::uint32_t i = first[v]; i < first[v + 1]; ++i)
                slot[order[i]] = i;
        }
    }

    std::uint32_t origin(std::uint32_t h) const { return h & 1 ? links[h >> 1].to : links[h >> 1].from; }
    std::uint32_t target(std::uint32_t h) const { return h & 1 ? links[h >> 1].from : links[h >> 1].to; }
    static std::uint32_t twin(std::uint32_t h) { return h ^ 1; }
    std::int64_t weight(std::uint32_t h) const { return h & 1 ? -links[h >> 1].weight : links[h >> 1].weight; }

    // The outgoing half-edge at h's target next clockwise from h's twin.
    std::uint32_t next(std::uint32_t h) const {
        std::uint32_t v = target(h), s = slot[twin(h)];
        return order[s == first[v] ? first[v + 1] - 1 : s - 1];
    }
};

// The links on a grid of cells, each link listed in every cell its box
// reaches, so that a ray cast leftwards meets the links of the cells it
// passes, nearest first.  Cells are shaped after the links' extent and made
// coarser until the lists hold at most a few times the number of links.
class Cells {
public:
    Cells(const std::vector<Vec2> &nodes, std::span<const Link> links, bool needed) : nodes_(nodes) {
        if (!needed || links.empty())
            return;
        double hx = -INFINITY, hy = -INFINITY;
        x0_ = y0_ = INFINITY;
        for (const Link &l : links)
            for (std::uint32_t v : {l.from, l.to}) {
                x0_ = std::min(x0_, nodes[v].x);
                y0_ = std::min(y0_, nodes[v].y);
                hx = std::max(hx, nodes[v].x);
                hy = std::max(hy, nodes[v].y);
            }
        double n = static_cast<double>(links.size()), w = hx - x0_, h = hy - y0_;
        double fx = w > 0 && h > 0 ? std::sqrt(n * w / h) : (w > 0 ? n : 1);
        double fy = w > 0 && h > 0 ? std::sqrt(n * h / w) : (h > 0 ? n : 1);
        for (;; fx /= 2, fy /= 2) {
            nx_ = static_cast<std::size_t>(std::clamp(fx, 1.0, std::min(n, 65536.0)));
            ny_ = static_cast<std::size_t>(std::clamp(fy, 1.0, std::min(n, 65536.0)));
            wx_ = w / static_cast<double>(nx_);
            wy_ = h / static_cast<double>(ny_);
            std::size_t total = 0;
            for (const Link &l : links) {
                auto [c0, c1, r0, r1] = box(l);
                total += (c1 - c0 + 1) * (r1 - r0 + 1);
            }
            if (total <= 8 * links.size() || (nx_ == 1 && ny_ == 1))
                break;
        }
        first_.assign(nx_ * ny_ + 1, 0);
        auto each = [&](auto &&f) {
            for (std::uint32_t k = 0; k < links.size(); ++k) {
                auto [c0, c1, r0, r1] = box(links[k]);
                for (std::size_t r = r0; r <= r1; ++r)
                    for (std::size_t c = c0; c <= c1; ++c)
                        f(r * nx_ + c, k);
            }
        };
        each([&](std::size_t cell, std::uint32_t) { ++first_[cell + 1]; });
        for (std::size_t i = 0; i < nx_ * ny_; ++i)
            first_[i + 1] += first_[i];
        list_.resize(first_.back());
        std::vector<std::uint32_t> fill(first_.begin(), first_.end() - 1);
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
    std::array<std::size_t, 4> box(const Link &l) const {
        Vec2 a = nodes_[l.from], b = nodes_[l.to];
        return {index(std::min(a.x, b.x), x0_, wx_, nx_), index(std::max(a.x, b.x), x0_, wx_, nx_),
                index(std::min(a.y, b.y), y0_, wy_, ny_), index(std::max(a.y, b.y), y0_, wy_, ny_)};
    }

    const std::vector<Vec2> &nodes_;
    double x0_ = 0, y0_ = 0, wx_ = 0, wy_ = 0;
    std::size_t nx_ = 1, ny_ = 1;
    std::vector<std::uint32_t> first_, list_;
};

}  // namespace

Region region(const std::vector<Vec2> &nodes, std::span<const Link> links,
              const std::function<bool(std::int64_t)> &keep, const Interrupt &stop) {
    Region out;
    HalfEdges he(nodes, links);
    const std::uint32_t nh = static_cast<std::uint32_t>(2 * links.size());

    // Faces: the cycles of next.
    std::vector<std::uint32_t> face(nh, none);
    std::vector<double> face_area;
    std::vector<std::uint32_t> face_start;
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
    std::vector<std::uint32_t> outer_of(nodes.size(), none);  // by component lead
    std::vector<std::uint32_t> leftmost(nodes.size(), none);
    for (std::uint32_t f = 0; f < nf; ++f) {
        std::uint32_t c = comp.find(he.origin(face_start[f]));
        if (outer_of[c] == none || face_area[f] < face_area[outer_of[c]])
            outer_of[c] = f;
    }
    std::vector<std::uint32_t> comps;
    for (std::uint32_t h = 0; h < nh; ++h) {
        std::uint32_t v = he.origin(h), c = comp.find(v);
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
    std::vector<std::int64_t> winding(nf, 0);
    std::vector<char> known(nf, 0);
    Cells cells(nodes, links, comps.size() > 1);
    Groups part(nf);
    std::vector<std::uint32_t> queue;
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
                    if (std::atan2(d.y, d.x) <= 0)
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

    std::vector<char> in(nf);
    for (std::uint32_t f = 0; f < nf; ++f)
        in[f] = keep(winding[f]) ? 1 : 0;
    auto boundary = [&](std::uint32_t h) { return in[face[h]] && !in[face[HalfEdges::twin(h)]]; };
    for (std::uint32_t h = 0; h < nh; ++h)
        if (in[face[h]] && in[face[HalfEdges::twin(h)]])
            part.join(face[h], face[HalfEdges::twin(h)]);

    // Boundary rings, the region on their left; at a node where the region
    // touches itself each ring keeps to its own wedge.
    std::vector<char> used(nh, 0);
    struct Raw {
        std::vector<std::uint32_t> ring;
        std::uint32_t part;
        double area;
    };
    std::vector<Raw> raws;
    std::vector<std::uint32_t> path, halves;
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
        std::unordered_map<std::uint32_t, std::size_t> at;
        std::vector<std::uint32_t> stack_nodes, stack_halves;
        auto emit = [&](std::vector<std::uint32_t> ring, std::uint32_t half) {
            double a = twice_area(nodes, ring);
            raws.push_back({std::move(ring), part.find(face[half]), a});
        };
        for (std::size_t i = 0; i < path.size(); ++i) {
            std::uint32_t v = path[i];
            auto it = at.find(v);
            if (it != at.end()) {
                std::size_t s = it->second;
                std::vector<std::uint32_t> ring(stack_nodes.begin() + static_cast<std::ptrdiff_t>(s), stack_nodes.end());
                std::uint32_t half = stack_halves[s];
                for (std::size_t k = s; k < stack_nodes.size(); ++k)
                    at.erase(stack_nodes[k]);
                stack_nodes.resize(s);
                stack_halves.resize(s);
                emit(std::move(ring), half);
            }
            at[v] = stack_nodes.size();
            stack_nodes.push_back(v);
            stack_halves.push_back(halves[i]);
        }
        if (!stack_nodes.empty())
            emit(std::move(stack_nodes), stack_halves[0]);
    }

    // Each ring from its lowest node; shells by their lowest node, each
    // followed by the holes of its part.
    for (Raw &r : raws)
        std::rotate(r.ring.begin(), std::min_element(r.ring.begin(), r.ring.end()), r.ring.end());
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
        out.shell_of.push_back(-1);
        auto it = holes_of_part.find(raws[s].part);
        if (it == holes_of_part.end())
            continue;
        for (std::size_t k : it->second) {
            out.rings.push_back(raws[k].ring);
            out.shell_of.push_back(me);
        }
    }
    return out;
}

}  // namespace geom::arrangement
