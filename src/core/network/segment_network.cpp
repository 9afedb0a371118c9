#include "core/network/segment_network.hpp"

#include "core/outline/polyline.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

namespace geom {

// ------------------------------------------------------------ exact keys

PointKey point_key(Vec2 p) { return {p.x == 0.0 ? 0.0 : p.x, p.y == 0.0 ? 0.0 : p.y}; }

namespace {
std::uint64_t bits(double v) {
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}
std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdULL;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ULL;
    h ^= h >> 33;
    return h;
}
bool key_less(const PointKey &a, const PointKey &b) { return a.x < b.x || (a.x == b.x && a.y < b.y); }
}  // namespace

std::size_t PointKeyHash::operator()(const PointKey &k) const {
    return static_cast<std::size_t>(mix(bits(k.x) * 31 + mix(bits(k.y))));
}

PairKey pair_key(Vec2 start, Vec2 end) {
    PairKey k;
    if (has_nan(start) || has_nan(end))
        return k;
    PointKey a = point_key(start), b = point_key(end);
    if (key_less(b, a))
        std::swap(a, b);
    k.lo = a;
    k.hi = b;
    k.valid = true;
    return k;
}

std::size_t PairKeyHash::operator()(const PairKey &k) const {
    PointKeyHash h;
    return h(k.lo) * 0x9e3779b97f4a7c15ULL + h(k.hi);
}

std::vector<std::uint32_t> point_ids(std::span<const Vec2> points, std::span<const std::uintptr_t> identity) {
    std::vector<std::uint32_t> ids(points.size());
    std::unordered_map<PointKey, std::uint32_t, PointKeyHash> by_key;
    std::unordered_map<std::uintptr_t, std::uint32_t> by_identity;
    by_key.reserve(points.size());
    std::uint32_t next = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (has_nan(points[i])) {
            auto [it, fresh] = by_identity.try_emplace(identity[i], next);
            next += fresh;
            ids[i] = it->second;
        } else {
            auto [it, fresh] = by_key.try_emplace(point_key(points[i]), next);
            next += fresh;
            ids[i] = it->second;
        }
    }
    return ids;
}

bool encloses_room(std::span<const Vec2> points, double flat_eps) {
    if (points.size() < 3)
        return false;
    // Taken from the first point: far from the origin the products of the
    // plain shoelace would swamp a small room.
    double twice_area = twice_area_from_first(points), length = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i)
        length += magnitude(points[(i + 1) % points.size()] - points[i]);
    // A NaN or an infinity gives no answer here: such a loop is kept.
    if (!std::isfinite(twice_area) || !std::isfinite(length))
        return true;
    return std::fabs(twice_area) / 2 > std::fabs(flat_eps) * length;
}

// ------------------------------------------------------------ turn rule

std::optional<double> turn_key(Vec2 dir, Vec2 v, double flat_eps, ArccosKernel arccos) {
    double m1 = magnitude(dir), m2 = magnitude(v);
    if (std::fabs(m1) <= flat_eps || std::fabs(m2) <= flat_eps)
        return std::nullopt;
    double c = dot(dir, v) / (m1 * m2);
    // Clamped upper bound first; a NaN passes through.
    if (1 < c)
        c = 1;
    else if (-1 > c)
        c = -1;
    double a = arccos(c);
    if (cross(dir, v) >= 0)
        return a;
    return 1 / (a - std::numbers::pi * 2);
}

TurnChoice choose_turn(std::span<const Vec2> vectors, Vec2 dir, Turn turn, double flat_eps, double eps,
                       ArccosKernel arccos) {
    TurnChoice choice;
    const bool right = turn == Turn::right_most;
    double held = right ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
    for (std::size_t i = 0; i < vectors.size(); ++i) {
        std::optional<double> key = turn_key(dir, vectors[i], flat_eps, arccos);
        if (!key) {
            choice.missing_key = true;
            return choice;
        }
        if (right ? (*key - held < eps) : (*key - held > eps)) {
            held = *key;
            choice.index = static_cast<std::ptrdiff_t>(i);
        }
    }
    return choice;
}

// --------------------------------------------------------------- walks

namespace {
bool knot_less(Vec2 a, Vec2 b) { return a.y < b.y || (a.y == b.y && a.x < b.x); }

Vec2 rounded(Vec2 p) { return {round3(p.x), round3(p.y)}; }

// The key of a point rounded to 3 decimals.
std::optional<PointKey> rounded_key(Vec2 r) {
    if (!is_finite(r))
        return std::nullopt;  // inf - inf is NaN: such a point equals nothing
    return point_key(r);
}

// Rounded points compared tolerantly: within eps per axis.  Below this
// tolerance two distinct values rounded to 3 decimals are never within eps of
// each other, and equality of the rounded keys decides.
constexpr double exact_key_eps = 1e-4;
bool key_index_exact(double flat_eps) { return flat_eps >= 0 && flat_eps < exact_key_eps; }
// Up to this tolerance a rounded point is within it only of the rounded
// values one step (1e-3) on either side, up to 2^42, where the rounding step
// is still wider than the spacing of doubles.
constexpr double neighbour_key_eps = 1e-3;
constexpr double neighbour_key_limit = 0x1p42;
bool key_index_neighbours(double flat_eps, Vec2 p) {
    return flat_eps >= exact_key_eps && flat_eps <= neighbour_key_eps && std::fabs(p.x) < neighbour_key_limit &&
           std::fabs(p.y) < neighbour_key_limit;
}

// The farthest value on one side of v that points_joined still takes.
double join_reach(double v, int side) {
    double r = v + side * node_join;
    while (std::fabs(r - v) > node_join)
        r = std::nextafter(r, v);
    return r;
}

}  // namespace

std::vector<std::uint32_t> SegmentNetwork::group_by_identity(std::span<const std::uintptr_t> identity,
                                                             std::vector<std::uint32_t> &first) {
    const std::size_t n = identity.size();
    std::vector<std::pair<std::uintptr_t, std::uint32_t>> by_token(n);
    for (std::size_t i = 0; i < n; ++i)
        by_token[i] = {identity[i], static_cast<std::uint32_t>(i)};
    std::sort(by_token.begin(), by_token.end());  // a group's first position leads it
    std::vector<std::uint32_t> lead(n);  // first position of each position's group
    for (std::size_t k = 0; k < n; ++k)
        lead[by_token[k].second] =
            k > 0 && by_token[k - 1].first == by_token[k].first ? lead[by_token[k - 1].second] : by_token[k].second;
    std::vector<std::uint32_t> entry_piece(n);
    first.clear();
    for (std::size_t i = 0; i < n; ++i) {
        if (lead[i] == i) {
            entry_piece[i] = static_cast<std::uint32_t>(first.size());
            first.push_back(static_cast<std::uint32_t>(i));
        } else {
            entry_piece[i] = entry_piece[lead[i]];  // lead[i] < i: already numbered
        }
    }
    return entry_piece;
}

void SegmentNetwork::init(std::vector<NetworkPiece> pieces, std::vector<std::uint32_t> entry_piece) {
    pieces_ = std::move(pieces);
    entry_piece_ = std::move(entry_piece);
    const std::size_t n = entry_piece_.size();
    pair_.resize(pieces_.size());
    for (std::size_t p = 0; p < pieces_.size(); ++p)
        pair_[p] = pair_key(pieces_[p].start, pieces_[p].end);
    order_.resize(n);
    live_.assign(n, 1);
    live_count_ = n;
    for (std::size_t i = 0; i < n; ++i)
        order_[i] = i;

    // Knots: distinct end points by exact coordinates (-0.0 as 0.0), sorted;
    // a point with a NaN is only the same as itself (the same end of the
    // same piece) and goes last.
    struct End {
        Vec2 p;
        std::uint32_t entry;
        std::uint8_t end;
    };
    std::vector<End> ends, nan_ends;
    ends.reserve(2 * n);
    for (std::size_t i = 0; i < n; ++i) {
        const NetworkPiece &pc = pieces_[entry_piece_[i]];
        for (std::uint8_t end = 0; end < 2; ++end) {
            Vec2 v = end ? pc.end : pc.start;
            if (has_nan(v)) {
                nan_ends.push_back({v, static_cast<std::uint32_t>(i), end});
            } else {
                PointKey k = point_key(v);
                ends.push_back({{k.x, k.y}, static_cast<std::uint32_t>(i), end});
            }
        }
    }
    std::sort(ends.begin(), ends.end(), [](const End &a, const End &b) { return knot_less(a.p, b.p); });
    entry_knot_[0].resize(n);
    entry_knot_[1].resize(n);
    for (std::size_t k = 0; k < ends.size(); ++k) {
        if (k == 0 || knot_less(ends[k - 1].p, ends[k].p))
            knots_.push_back(ends[k].p);
        entry_knot_[ends[k].end][ends[k].entry] = static_cast<std::uint32_t>(knots_.size() - 1);
    }
    std::unordered_map<std::uint64_t, std::uint32_t> nan_knot;
    for (const End &e : nan_ends) {
        std::uint64_t id = (std::uint64_t(entry_piece_[e.entry]) << 1) | e.end;
        auto [it, fresh] = nan_knot.try_emplace(id, static_cast<std::uint32_t>(knots_.size()));
        if (fresh)
            knots_.push_back(e.p);
        entry_knot_[e.end][e.entry] = it->second;
    }
    knot_round_.resize(knots_.size());
    for (std::size_t k = 0; k < knots_.size(); ++k)
        knot_round_[k] = rounded(knots_[k]);
    cross_cell_ = false;
    bool indexed = for_near_knots(node_join, false, [&](std::uint32_t a, std::uint32_t b) {
        Vec2 p = knots_[a], q = knots_[b];
        Vec2 rp = knot_round_[a], rq = knot_round_[b];
        if (std::fabs(p.x - q.x) <= node_join && std::fabs(p.y - q.y) <= node_join && !(rp.x == rq.x && rp.y == rq.y))
            cross_cell_ = true;
    });
    cross_cell_ = cross_cell_ || !indexed;
    knot_uses_.assign(knots_.size(), 0);
    for (std::size_t i = 0; i < n; ++i) {
        ++knot_uses_[entry_knot_[0][i]];
        ++knot_uses_[entry_knot_[1][i]];
    }
    // Runs of knots on one exact y (a row of a grid, a long wall), and the
    // links that lead past knots no longer in use.
    const std::size_t n_knots = knots_.size();
    run_end_.resize(n_knots);
    for (std::size_t k = n_knots; k-- > 0;)
        run_end_[k] = static_cast<std::uint32_t>(
            k + 1 < n_knots && !has_nan(knots_[k]) && knots_[k + 1].y == knots_[k].y ? run_end_[k + 1] : k + 1);
    past_unused_.resize(n_knots);
    for (std::size_t k = 0; k < n_knots; ++k)
        past_unused_[k] = static_cast<std::uint32_t>(k + 1);

    // Adjacency index: each entry under the rounded keys of its two ends.
    struct Keyed {
        PointKey key;
        std::uint32_t entry, knot;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(2 * n);
    // Whether no two distinct knots are joined: none straddles a rounding
    // cell, and no cell holds two of them.
    knots_apart_ = !cross_cell_ && nan_ends.empty();
    for (std::size_t i = 0; i < n; ++i) {
        // A knot holds a piece end's exact coordinates, -0.0 as 0.0, or the
        // end itself when it has a NaN: the same rounded key.
        std::optional<PointKey> a = rounded_key(knot_round_[entry_knot_[0][i]]),
                                b = rounded_key(knot_round_[entry_knot_[1][i]]);
        auto e = static_cast<std::uint32_t>(i);
        if (a)
            keyed.push_back({*a, e, entry_knot_[0][i]});
        if (b && !(a && *a == *b))
            keyed.push_back({*b, e, entry_knot_[1][i]});
        else if (a && b && entry_knot_[0][i] != entry_knot_[1][i])
            knots_apart_ = false;
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        return key_less(a.key, b.key) || (a.key == b.key && a.entry < b.entry);
    });
    rounded_key_.resize(keyed.size());
    rounded_entry_.resize(keyed.size());
    for (std::size_t k = 0; k < keyed.size(); ++k) {
        rounded_key_[k] = keyed[k].key;
        rounded_entry_[k] = keyed[k].entry;
        if (k > 0 && keyed[k].key == keyed[k - 1].key && keyed[k].knot != keyed[k - 1].knot)
            knots_apart_ = false;
    }
}

void SegmentNetwork::drop(std::uint32_t entry) {
    if (!live_[entry])
        return;
    live_[entry] = 0;
    --live_count_;
    --knot_uses_[entry_knot_[0][entry]];
    --knot_uses_[entry_knot_[1][entry]];
}

void SegmentNetwork::reorder(std::uint32_t entry, std::uint64_t order) { order_[entry] = order; }

std::vector<std::uint32_t> SegmentNetwork::live_entries() const {
    std::vector<std::uint32_t> out;
    out.reserve(live_count_);
    for (std::size_t i = 0; i < entry_piece_.size(); ++i)
        if (live_[i])
            out.push_back(static_cast<std::uint32_t>(i));
    std::stable_sort(out.begin(), out.end(), [&](std::uint32_t a, std::uint32_t b) { return order_[a] < order_[b]; });
    return out;
}

std::size_t SegmentNetwork::next_in_use(std::size_t k) {
    std::size_t r = k;
    while (r < knots_.size() && !knot_uses_[r])
        r = past_unused_[r];
    // Every knot passed links straight to the one found: knots only ever
    // fall out of use.
    while (k < r) {
        std::size_t next = past_unused_[k];
        past_unused_[k] = static_cast<std::uint32_t>(r);
        k = next;
    }
    return r;
}

std::optional<Vec2> SegmentNetwork::lowest_point(double flat_eps) {
    first_live_ = next_in_use(first_live_);
    if (first_live_ == knots_.size())
        return std::nullopt;
    Vec2 held = knots_[first_live_];
    // Knots come by ascending y: once one lies above the held point by more
    // than the tolerance, no later one can replace it.
    const bool bounded = std::isfinite(flat_eps);
    const double reach = std::fabs(flat_eps);
    // Within a run on one exact y the knots come by ascending x, so with a
    // tolerance that is not negative only the run's first knot in use can
    // replace the held point, and none after it can replace that one.
    const bool by_runs = !(flat_eps < 0);
    for (std::size_t k = by_runs ? run_end_[first_live_] : first_live_ + 1;; k = by_runs ? run_end_[k] : k + 1) {
        k = next_in_use(k);
        if (k == knots_.size())
            break;
        Vec2 p = knots_[k];
        if (has_nan(p))
            break;  // compares with nothing, and only NaN points follow
        if (bounded && p.y - held.y > reach)
            break;
        if (tolerant_less(p, held, flat_eps))
            held = p;
    }
    return held;
}

bool points_joined(Vec2 a, Vec2 b, double flat_eps) {
    if (within_node_join(a, b))
        return true;
    return tolerant_equal(Vec2{round3(a.x), round3(a.y)}, Vec2{round3(b.x), round3(b.y)}, flat_eps);
}

bool SegmentNetwork::touches(std::uint32_t e, Vec2 pt, Vec2 pt_round, double flat_eps) const {
    // points_joined, with the ends' roundings taken from their knots (a
    // piece turned in place keeps its two knots).
    for (const std::vector<std::uint32_t> &end : entry_knot_) {
        const std::uint32_t k = end[e];
        if (within_node_join(pt, knots_[k]) || tolerant_equal(pt_round, knot_round_[k], flat_eps))
            return true;
    }
    return false;
}

std::vector<std::uint32_t> SegmentNetwork::adjacent(Vec2 pt, const std::optional<PairKey> &skip,
                                                    double flat_eps) {
    std::vector<std::uint32_t> out;
    auto skipped = [&](std::uint32_t e) { return skip && pair_[entry_piece_[e]] == *skip; };
    const Vec2 pt_round = rounded(pt);
    auto touches = [&](std::uint32_t e) { return this->touches(e, pt, pt_round, flat_eps); };
    auto in_list_order = [&] {
        std::sort(out.begin(), out.end(), [&](std::uint32_t a, std::uint32_t b) {
            return order_[a] < order_[b] || (order_[a] == order_[b] && a < b);
        });
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return std::move(out);
    };
    const bool neighbours = !scan_every_piece_ && key_index_neighbours(flat_eps, pt);
    if (!scan_every_piece_ && (key_index_exact(flat_eps) || neighbours)) {
        std::optional<PointKey> key = rounded_key(pt_round);
        if (!key)
            return out;
        // The cell of the point and, where some knots straddle cells (or the
        // tolerance reaches the next rounded values), the cells that points
        // joined to it round to.
        double xs[5] = {key->x, key->x, key->x, key->x, key->x}, ys[5] = {key->y, key->y, key->y, key->y, key->y};
        if (cross_cell_ || neighbours) {
            xs[1] = round3(join_reach(pt.x, -1));
            xs[2] = round3(join_reach(pt.x, 1));
            ys[1] = round3(join_reach(pt.y, -1));
            ys[2] = round3(join_reach(pt.y, 1));
        }
        if (neighbours) {
            xs[3] = round3(key->x - neighbour_key_eps);
            xs[4] = round3(key->x + neighbour_key_eps);
            ys[3] = round3(key->y - neighbour_key_eps);
            ys[4] = round3(key->y + neighbour_key_eps);
        }
        auto repeats = [](const double *v, int i) { return std::find(v, v + i, v[i]) != v + i; };
        for (int i = 0; i < 5; ++i) {
            if (repeats(xs, i))
                continue;
            for (int j = 0; j < 5; ++j) {
                if (repeats(ys, j))
                    continue;
                PointKey cell = point_key({xs[i], ys[j]});
                auto first = std::lower_bound(rounded_key_.begin(), rounded_key_.end(), cell, key_less);
                for (auto it = first; it != rounded_key_.end() && *it == cell; ++it) {
                    std::uint32_t e = rounded_entry_[static_cast<std::size_t>(it - rounded_key_.begin())];
                    if (live_[e] && !skipped(e) && (i + j == 0 || touches(e)))
                        out.push_back(e);
                }
            }
        }
        return in_list_order();
    }
    // Any other tolerance or coordinates: the cells over the rounded ends.
    if (!scan_every_piece_ && near_cells_ready(pt, flat_eps)) {
        near_candidates(pt_round, out);
        std::erase_if(out, [&](std::uint32_t e) { return !live_[e] || skipped(e) || !touches(e); });
        return in_list_order();
    }
    // A point beyond every end, or an infinite tolerance: the plain scan,
    // by the rule itself.
    for (std::uint32_t e : live_entries()) {
        const NetworkPiece &pc = pieces_[entry_piece_[e]];
        if (!skipped(e) && (points_joined(pt, pc.start, flat_eps) || points_joined(pt, pc.end, flat_eps)))
            out.push_back(e);
    }
    return out;
}

std::vector<std::uint32_t> SegmentNetwork::walk(bool contour, std::optional<PairKey> skip, double flat_eps,
                                                double eps, ArccosKernel arccos, std::size_t max_steps,
                                                WalkHooks &hooks, WalkError &error, Vec2 &at,
                                                std::optional<Vec2> start, const Interrupt &stop,
                                                std::vector<Vec2> *path) {
    std::vector<std::uint32_t> walked;
    error = WalkError::none;
    std::optional<Vec2> lowest = start ? start : lowest_point(start_ties_ ? std::min(flat_eps, *start_ties_) : flat_eps);
    if (path)
        path->clear();
    if (!lowest) {
        error = WalkError::empty;
        return walked;
    }
    const Vec2 bottom = *lowest;
    if (path)
        path->push_back(bottom);
    Vec2 pt = bottom, dir{1.0, 0.0};
    std::vector<Vec2> vectors;
    while (true) {
        stop.tick();
        if (walked.size() >= max_steps) {
            error = WalkError::does_not_close;
            return walked;
        }
        std::vector<std::uint32_t> adj = adjacent(pt, skip, flat_eps);  // a walk stands on knots only
        // Every adjacent piece is turned to leave the current point.
        vectors.clear();
        for (std::uint32_t e : adj) {
            std::uint32_t p = entry_piece_[e];
            NetworkPiece &pc = pieces_[p];
            if (distance(pc.start, pt) > distance(pc.end, pt)) {
                std::swap(pc.start, pc.end);
                hooks.reversed(p);
            }
            vectors.push_back(pc.end - pc.start);
        }
        Turn turn = (contour || walked.empty()) ? Turn::right_most : Turn::left_most;
        TurnChoice choice = choose_turn(vectors, dir, turn, flat_eps, eps, arccos);
        if (choice.missing_key) {
            error = WalkError::missing_key;
            return walked;
        }
        if (choice.index < 0) {
            error = WalkError::dead_end;
            at = pt;
            return walked;
        }
        std::uint32_t e = adj[static_cast<std::size_t>(choice.index)];
        walked.push_back(e);
        hooks.stepped(e);
        const NetworkPiece &pc = pieces_[entry_piece_[e]];
        dir = pc.end - pc.start;
        // On to the stored end of the piece: a sum of the vectors walked
        // would drift by rounding.
        pt = pc.end;
        if (path)
            path->push_back(pt);
        skip = pair_[entry_piece_[e]];
        if (!points_joined(pt, bottom, flat_eps))
            continue;
        // Where no two knots are joined, a start that only the piece walked
        // in and the first piece reach closes without weighing a turn.
        const std::uint32_t first = entry_piece_[walked.front()];
        if (knots_apart_ && key_index_exact(flat_eps) && !same_piece(entry_piece_[e], first)) {
            PointKey k = point_key(pt);
            std::uint32_t knot = entry_knot_[0][e];
            if (!(PointKey{knots_[knot].x, knots_[knot].y} == k))
                knot = entry_knot_[1][e];
            if (knot_uses_[knot] == 2)
                return walked;
        }
        if (closes_at(pt, dir, skip, first, contour, flat_eps, eps, arccos))
            return walked;
    }
}

bool SegmentNetwork::closes_at(Vec2 pt, Vec2 dir, const std::optional<PairKey> &skip, std::uint32_t first,
                               bool contour, double flat_eps, double eps, ArccosKernel arccos) {
    // The next step as the walk would take it, the pieces turned to leave
    // the point only in thought: nothing is reversed when the walk closes.
    std::vector<std::uint32_t> adj = adjacent(pt, skip, flat_eps);
    // A start where the walk can only go on by its first piece (or by
    // nothing): no turn to weigh.
    auto is_first = [&](std::uint32_t e) { return same_piece(entry_piece_[e], first); };
    if (std::all_of(adj.begin(), adj.end(), is_first))
        return true;
    std::vector<Vec2> vectors;
    vectors.reserve(adj.size());
    for (std::uint32_t e : adj) {
        const NetworkPiece &pc = pieces_[entry_piece_[e]];
        bool turned = distance(pc.start, pt) > distance(pc.end, pt);
        vectors.push_back(turned ? pc.start - pc.end : pc.end - pc.start);
    }
    TurnChoice choice = choose_turn(vectors, dir, contour ? Turn::right_most : Turn::left_most, flat_eps, eps, arccos);
    if (choice.missing_key || choice.index < 0)
        return true;
    return is_first(adj[static_cast<std::size_t>(choice.index)]);
}

std::vector<std::uint32_t> SegmentNetwork::drop_dangling(double flat_eps, const Interrupt &stop) {
    std::vector<std::uint32_t> dropped, queue;
    // Every dangling end is a knot that one entry end alone lands on
    // exactly; a knot that others are joined to is looked at, not dropped.
    for (std::size_t k = 0; k < knots_.size(); ++k)
        if (knot_uses_[k] == 1)
            queue.push_back(static_cast<std::uint32_t>(k));
    while (!queue.empty()) {
        stop.tick();
        std::uint32_t k = queue.back();
        queue.pop_back();
        std::vector<std::uint32_t> adj = adjacent(knots_[k], std::nullopt, flat_eps);
        // Pieces equal to one another reach a point as one piece.
        bool one = !adj.empty();
        for (std::size_t a = 1; a < adj.size() && one; ++a)
            one = same_piece(entry_piece_[adj[a]], entry_piece_[adj[0]]);
        if (!one)
            continue;
        for (std::uint32_t e : adj) {
            drop(e);
            dropped.push_back(e);
            queue.push_back(entry_knot_[0][e]);
            queue.push_back(entry_knot_[1][e]);
        }
    }
    std::sort(dropped.begin(), dropped.end());
    return dropped;
}

}  // namespace geom
