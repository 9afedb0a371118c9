// core/network: walls to rooms, that is splitting a segment network, its walks, and chains
// of segments.  Includes basics/, planar/ and outline/.
//
// A network of segments: cut at its crossings into pieces that meet only at
// their end points, weighed and cleaned by how many piece ends meet at each
// point, and walked along its outer contour and its closed loops.
//
// Everything here works on coordinates and positions; the binding keeps the
// Python objects (the segment list, the marks dictionary, the pieces) and
// mirrors every in-place change the walks ask for.
//
// Tolerances are passed in, as in line_segment_ray.hpp:
//   * `flat_eps`, the root module's epsilon: tolerant point equality, the
//     lowest-point choice, the vertical test of a line crossing, and the
//     shortest vector that still has a direction;
//   * `eps`, the line module's own epsilon: widened bounds, the zero length of
//     a crossing parameter, and the near-tie margin of the turn choice.
#pragma once

#include "core/planar/cell_grid.hpp"
#include "core/basics/line_segment_ray.hpp"
#include "core/network/split.hpp"
#include "core/basics/rounding.hpp"
#include "core/basics/vec2.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

namespace geom {

// ------------------------------------------------------------ exact keys

// A point's exact coordinates, -0.0 folded to 0.0: the identity under which
// points merge as set members and dictionary keys.
struct PointKey {
    double x = 0.0, y = 0.0;
    bool operator==(const PointKey &o) const { return x == o.x && y == o.y; }
};
PointKey point_key(Vec2 p);
inline bool has_nan(Vec2 p) { return std::isnan(p.x) || std::isnan(p.y); }
inline bool is_finite(Vec2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

struct PointKeyHash {
    std::size_t operator()(const PointKey &k) const;
};

// The unordered pair of a segment's end points: two segments are equal when
// they have the same pair, whatever their directions.  A pair holding a NaN
// is equal to nothing (`valid` false).
struct PairKey {
    PointKey lo, hi;
    bool valid = false;
    bool operator==(const PairKey &o) const { return valid && o.valid && lo == o.lo && hi == o.hi; }
};
PairKey pair_key(Vec2 start, Vec2 end);

struct PairKeyHash {
    std::size_t operator()(const PairKey &k) const;
};

// Ids for end points: equal exact coordinates share an id; a point holding a
// NaN is only the same as itself, told apart by `identity` (one token per
// point object).  Ids count from 0 in order of first appearance.
std::vector<std::uint32_t> point_ids(std::span<const Vec2> points, std::span<const std::uintptr_t> identity);

// Whether a and b lie within node_join of each other on both axes.
inline bool within_node_join(Vec2 a, Vec2 b) {
    return std::fabs(a.x - b.x) <= node_join && std::fabs(a.y - b.y) <= node_join;
}

// Whether a walk standing on `a` is on `b`: equal after rounding to 3
// decimals (compared within flat_eps), or within node_join on both axes, so
// that no node splits across a rounding boundary.
bool points_joined(Vec2 a, Vec2 b, double flat_eps);
// How far apart, on either axis, two points that points_joined takes can
// lie: equal 3-decimal roundings are less than 1e-3 apart, compared within
// flat_eps.
inline double joined_reach(double flat_eps) { return std::max(node_join, 1e-3 + std::fabs(flat_eps)); }

// Whether the closed path through `points` (back to the first from the
// last) encloses a room: its area is more than flat_eps times its length, so
// that it is on average wider than the point tolerance.  A loop out and back
// along its own walls, or along walls that overlap, encloses none.
bool encloses_room(std::span<const Vec2> points, double flat_eps);

// ------------------------------------------------------------ turn rule

// The arc cosine the turn keys are taken with.  The bindings pass numpy's
// own kernel, so that the keys agree with numpy.arccos to the last bit (it
// differs from the C library's for a few percent of inputs).
using ArccosKernel = double (*)(double);

// The compare key of turning from `dir` onto `v`: the unsigned angle a for a
// counter-clockwise turn (or none), 1 / (a - 2 pi) for a clockwise one, so
// the key grows from the sharpest right turn to the reversal.  Empty when
// either vector is no longer than flat_eps.
std::optional<double> turn_key(Vec2 dir, Vec2 v, double flat_eps, ArccosKernel arccos);

enum class Turn { right_most, left_most };

struct TurnChoice {
    std::ptrdiff_t index = -1;  // -1: no candidate
    bool missing_key = false;   // a candidate had no key: the caller raises
};

// Right-most: a candidate replaces the one held when key - held < eps, so
// near-ties go to the later candidate.  Left-most: when key - held > eps, so
// near-ties stay with the earlier one.  The first candidate always counts.
TurnChoice choose_turn(std::span<const Vec2> vectors, Vec2 dir, Turn turn, double flat_eps, double eps,
                       ArccosKernel arccos);

// --------------------------------------------------- weights and cleaning

// Segments as pairs of end point ids (see point_ids); the weight of a point
// is the number of segment ends on it.
struct EndIds {
    std::uint32_t start, end;
};

// Segments both of whose ends have weight 1.
std::vector<char> isolated_segments(std::span<const EndIds> segs, std::size_t n_points);
// One pass: segments with an end whose weight is not 2, all weights taken
// before anything is removed.
std::vector<char> open_segments(std::span<const EndIds> segs, std::size_t n_points);
// Passes of open_segments until one removes nothing: the segments removed in
// any pass.  Only segments touching a point whose weight changed are looked
// at again, and each pass still removes all its segments at once.
std::vector<char> open_segments_repeated(std::span<const EndIds> segs, std::size_t n_points);

// --------------------------------------------------------------- walks

// A piece of the network as the walks see it: its current direction (the
// walks reverse pieces in place) and the keys it is found by.
struct NetworkPiece {
    Vec2 start, end;
};

// The failures of a walk, raised by the binding as the interpreter would.
enum class WalkError {
    none,
    empty,          // no point to start from: IndexError
    dead_end,       // no piece leaves the current point: AttributeError
    missing_key,    // a zero-length piece or direction: TypeError
    does_not_close  // more steps than the network can hold
};

// What a walk asks its caller to do at each step, in order.
class WalkHooks {
public:
    virtual ~WalkHooks() = default;
    // The piece is reversed in place (start and end swapped).
    virtual void reversed(std::uint32_t piece) = 0;
    // The walk takes this entry as its next step.
    virtual void stepped(std::uint32_t entry) = 0;
};

// The network of one segment list: entries are its positions, each holding
// a piece (a list may hold one piece several times).  Entries carry an order
// key (their list order) and can be dropped from the list, so that the walks
// of a polygon extraction can follow the list of still-marked pieces without
// rebuilding it.
class SegmentNetwork {
public:
    // The network of a list whose positions are told apart by identity
    // tokens, one per position (a piece held twice has one token twice):
    // each distinct token is one piece, read once, by `read(i)` at its first
    // position i.  Pieces are numbered in the order of their first positions.
    template <class Read>
    SegmentNetwork(std::span<const std::uintptr_t> identity, Read &&read) {
        std::vector<std::uint32_t> entry_piece = group_by_identity(identity, first_entry_);
        std::vector<NetworkPiece> pieces;
        pieces.reserve(first_entry_.size());
        for (std::uint32_t e : first_entry_)
            pieces.push_back(read(static_cast<std::size_t>(e)));
        init(std::move(pieces), std::move(entry_piece));
    }

    std::size_t entry_count() const { return entry_piece_.size(); }
    std::size_t piece_count() const { return pieces_.size(); }
    // The first list position holding the piece.
    std::uint32_t first_entry(std::uint32_t piece) const { return first_entry_[piece]; }
    std::size_t live_count() const { return live_count_; }
    std::uint32_t piece_of(std::uint32_t entry) const { return entry_piece_[entry]; }
    const NetworkPiece &piece(std::uint32_t p) const { return pieces_[p]; }
    bool live(std::uint32_t entry) const { return live_[entry]; }
    std::uint64_t order(std::uint32_t entry) const { return order_[entry]; }

    // Drop an entry from the list, or move it to a new place in the order.
    void drop(std::uint32_t entry);
    void reorder(std::uint32_t entry, std::uint64_t order);
    // Live entries in list order.
    std::vector<std::uint32_t> live_entries() const;

    // The knots: each distinct end point of the live entries once, by exact
    // coordinates (-0.0 as 0.0), lowest y first, then lowest x; points with a
    // NaN go last.  The lowest point is chosen over this order as a scan that
    // replaces the held point only when it is lower by more than flat_eps (y
    // first, then x).  Empty when the list is.
    std::optional<Vec2> lowest_point(double flat_eps);

    // Live entries touching the knot `pt` (see points_joined), in list
    // order, each once, without the entries whose piece equals `skip`.
    std::vector<std::uint32_t> adjacent(Vec2 pt, const std::optional<PairKey> &skip, double flat_eps);

    // One walk from the lowest point (or from `start`): the contour (every
    // step the right-most turn) or a loop (right-most on its first step,
    // then left-most).  Each step moves to the stored end of the piece taken.
    // The walk closes back at its start point (see points_joined) when its
    // next step would repeat its first piece, or when none leads on; a wall
    // that reaches the start point twice (a tie to a shaft) is walked out
    // and back before the walk closes.  At
    // most `max_steps` steps; the entries walked, in order.  On a dead end,
    // `at` is the point where no piece leads on.  With `path`, the points
    // the walk stood on, from its start to the point it closed on.
    std::vector<std::uint32_t> walk(bool contour, std::optional<PairKey> skip, double flat_eps, double eps,
                                    ArccosKernel arccos, std::size_t max_steps, WalkHooks &hooks, WalkError &error,
                                    Vec2 &at, std::optional<Vec2> start = std::nullopt, const Interrupt &stop = {},
                                    std::vector<Vec2> *path = nullptr);

    // Every adjacency found by scanning every live piece, the indexes left
    // aside: the plain rule they must match, kept for tests to compare with.
    void scan_every_piece() { scan_every_piece_ = true; }

    // Walks from the lowest point tell heights apart down to `cap` at most,
    // whatever the point tolerance: with a coarse one, knots of a fine plan
    // that differ in height by less than it could start a loop walk inside
    // the network rather than on the outside of what is left.
    void cap_start_ties(double cap) { start_ties_ = cap; }

    // Drops every live piece that leads nowhere: one with an end that no
    // other piece reaches (see points_joined), again and again, so that a
    // whole stub of several pieces goes.  The entries dropped, in order.
    std::vector<std::uint32_t> drop_dangling(double flat_eps, const Interrupt &stop = {});

    // The live pieces as a graph whose nodes are end points joined as the
    // walks join them.
    struct Components {
        bool has_cycle = false;                 // some live pieces close a loop
        std::vector<std::uint32_t> of_entry;    // live entry -> component
        std::vector<Vec2> lowest;               // component -> its lowest point
    };
    Components components(double flat_eps) const;

private:
    // The piece of each position, and in `first` the first position of each
    // piece, from the identity tokens.
    static std::vector<std::uint32_t> group_by_identity(std::span<const std::uintptr_t> identity,
                                                        std::vector<std::uint32_t> &first);
    void init(std::vector<NetworkPiece> pieces, std::vector<std::uint32_t> entry_piece);
    // Two pieces are one to the walks when they are one object or have the
    // same two end points.
    bool same_piece(std::uint32_t a, std::uint32_t b) const { return a == b || pair_[a] == pair_[b]; }
    // Whether a walk standing on its start point `pt`, arrived in direction
    // `dir` by the piece `skip`, with `first` the piece of its first step,
    // closes there (see walk).
    bool closes_at(Vec2 pt, Vec2 dir, const std::optional<PairKey> &skip, std::uint32_t first, bool contour,
                   double flat_eps, double eps, ArccosKernel arccos);
    // Whether the entry has an end that points_joined takes for `pt`, whose
    // 3-decimal rounding is `pt_round`.
    bool touches(std::uint32_t entry, Vec2 pt, Vec2 pt_round, double flat_eps) const;
    // Whether near_ can say which entries may touch `pt` at this tolerance,
    // filing the entries anew when the tolerance's reach changed.
    bool near_cells_ready(Vec2 pt, double flat_eps);
    // Appends to `out` every entry filed in near_ with a rounded end in the
    // cells around `pt_round` (an entry may come twice).
    void near_candidates(Vec2 pt_round, std::vector<std::uint32_t> &out) const;
    // Calls f(a, b) for pairs of finite knots (in use, when `in_use`) that
    // may lie within `reach` of each other on both axes; false when no grid
    // can index them.
    template <class F>
    bool for_near_knots(double reach, bool in_use, F &&f) const;

    std::vector<std::uint32_t> first_entry_;
    std::vector<NetworkPiece> pieces_;
    std::vector<PairKey> pair_;
    std::vector<std::uint32_t> entry_piece_;
    std::vector<std::uint64_t> order_;
    std::vector<char> live_;
    std::size_t live_count_ = 0;

    // Rounded end point -> entries touching it, as parallel arrays sorted by
    // key (dropped entries stay and are skipped).
    std::vector<PointKey> rounded_key_;
    std::vector<std::uint32_t> rounded_entry_;
    // Distinct end points in knot order, with the number of live entry ends
    // on each; `first_live_` skips the dropped prefix.  `knot_round_` holds
    // each knot's 3-decimal rounding.
    std::vector<Vec2> knots_;
    std::vector<Vec2> knot_round_;
    std::vector<std::uint32_t> knot_uses_;
    // For each knot, the end of its run of knots on one exact y; and a link
    // towards the next knot in use, valid while the knot is out of use.
    std::vector<std::uint32_t> run_end_;
    std::vector<std::uint32_t> past_unused_;
    // The first knot at or after `k` still in use (or the knot count).
    std::size_t next_in_use(std::size_t k);
    // Whether some knot has points within node_join of it in another
    // rounding cell; without one, a walk (which stands on knots only) finds
    // every piece it touches in the cell of its point.
    bool cross_cell_ = true;
    // No two distinct knots are joined: every knot is a node on its own.
    bool knots_apart_ = false;
    std::optional<double> start_ties_;
    bool scan_every_piece_ = false;
    std::vector<std::uint32_t> entry_knot_[2];
    std::size_t first_live_ = 0;

    // The entries filed by square cells over the rounded keys of their ends,
    // for the tolerances and coordinates where the rounded keys alone do not
    // say which keys to look up (a coarse tolerance, coordinates past 2^42).
    // The cells are twice as wide as `near_reach_`, how far apart the
    // roundings of two ends the walks join can lie; filed at the first query
    // that needs them and again when the tolerance changes the reach.
    struct NearCells {
        std::int64_t kx, ky;
        std::uint32_t entry;
    };
    std::vector<NearCells> near_;
    double near_reach_ = 0.0;
    double near_cell_ = 0.0;
    // No rounded key is larger in size (NaN until first needed).
    double near_bound_ = std::numeric_limits<double>::quiet_NaN();
};

template <class F>
bool SegmentNetwork::for_near_knots(double reach, bool in_use, F &&f) const {
    std::vector<std::uint32_t> ids;
    std::vector<Vec2> at;
    for (std::size_t i = 0; i < knots_.size(); ++i)
        if ((!in_use || knot_uses_[i]) && is_finite(knots_[i])) {
            ids.push_back(static_cast<std::uint32_t>(i));
            at.push_back(knots_[i]);
        }
    return grid::for_near_pairs(std::span<const Vec2>(at), reach,
                                [&](std::size_t q, std::size_t i) { f(ids[q], ids[i]); });
}

}  // namespace geom
