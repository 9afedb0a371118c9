// The region of an arrangement's faces chosen by winding number: the faces
// walked from half-edges, each component nested in the face around it by a
// ray cast over a grid of cells, and the kept faces' boundaries as shells
// and holes.
#include "core/planar/arrangement.hpp"

#include "core/basics/line_segment_ray.hpp"
#include "core/planar/arrangement_nodes.hpp"
#include "core/planar/scratch.hpp"
#include "core/planar/union_find.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <unordered_map>

namespace geom::arrangement {

using detail::none;

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
