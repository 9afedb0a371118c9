// Which segments of a network are isolated or open, by how many segments
// meet at each of their end points.
#include "core/network/segment_network.hpp"

namespace geom {

// --------------------------------------------------- weights and cleaning

namespace {
std::vector<std::uint32_t> weights_of(std::span<const EndIds> segs, std::size_t n_points) {
    std::vector<std::uint32_t> w(n_points, 0);
    for (const EndIds &s : segs) {
        ++w[s.start];
        ++w[s.end];
    }
    return w;
}
}  // namespace

std::vector<char> isolated_segments(std::span<const EndIds> segs, std::size_t n_points) {
    std::vector<std::uint32_t> w = weights_of(segs, n_points);
    std::vector<char> out(segs.size(), 0);
    for (std::size_t i = 0; i < segs.size(); ++i)
        out[i] = w[segs[i].start] == 1 && w[segs[i].end] == 1;
    return out;
}

std::vector<char> open_segments(std::span<const EndIds> segs, std::size_t n_points) {
    std::vector<std::uint32_t> w = weights_of(segs, n_points);
    std::vector<char> out(segs.size(), 0);
    for (std::size_t i = 0; i < segs.size(); ++i)
        out[i] = w[segs[i].start] != 2 || w[segs[i].end] != 2;
    return out;
}

std::vector<char> open_segments_repeated(std::span<const EndIds> segs, std::size_t n_points) {
    const std::size_t n = segs.size();
    std::vector<std::uint32_t> w = weights_of(segs, n_points);
    // Segments by end point, in compressed rows.
    std::vector<std::uint32_t> row(n_points + 1, 0), col(2 * n);
    for (const EndIds &s : segs) {
        ++row[s.start + 1];
        ++row[s.end + 1];
    }
    for (std::size_t p = 0; p < n_points; ++p)
        row[p + 1] += row[p];
    std::vector<std::uint32_t> fill(row.begin(), row.end() - 1);
    for (std::size_t i = 0; i < n; ++i) {
        col[fill[segs[i].start]++] = static_cast<std::uint32_t>(i);
        col[fill[segs[i].end]++] = static_cast<std::uint32_t>(i);
    }

    std::vector<char> removed(n, 0), queued(n, 0);
    std::vector<std::uint32_t> look(n);
    for (std::size_t i = 0; i < n; ++i)
        look[i] = static_cast<std::uint32_t>(i);
    std::vector<std::uint32_t> pass, touched;
    while (!look.empty()) {
        // Every weight of this pass is read before any segment goes.
        pass.clear();
        for (std::uint32_t i : look) {
            queued[i] = 0;
            if (!removed[i] && (w[segs[i].start] != 2 || w[segs[i].end] != 2))
                pass.push_back(i);
        }
        if (pass.empty())
            break;
        touched.clear();
        for (std::uint32_t i : pass) {
            removed[i] = 1;
            --w[segs[i].start];
            --w[segs[i].end];
            touched.push_back(segs[i].start);
            touched.push_back(segs[i].end);
        }
        look.clear();
        for (std::uint32_t p : touched)
            for (std::uint32_t k = row[p]; k < row[p + 1]; ++k) {
                std::uint32_t i = col[k];
                if (!removed[i] && !queued[i]) {
                    queued[i] = 1;
                    look.push_back(i);
                }
            }
    }
    return removed;
}

}  // namespace geom
