#include "kernel/bsp_tree.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "kernel/kernel_error.hpp"
#include "kernel/plane_split.hpp"

// Each polygon is pushed down the tree on its own, its vertices kept in a small scratch buffer,
// instead of handing whole lists from node to node: on the chain-shaped trees of convex solids a
// polygon crosses thousands of nodes, and only the plane test is left per node. Where the order
// of the results matters, the walk records enough to restore the order that list-by-list
// processing gives, so results are the same polygons in the same order.

namespace brontile::csg_detail {
namespace {

// Far above the relative rounding of a dot product of doubles: margins scaled by it keep the
// bounding-box test on the safe side of every per-vertex test.
constexpr double kRelativeRounding = 1e-12;

// The most nodes or pieces a walk over `count` polygons may make. Real solids stay far below it;
// splitting that runs away (pieces that keep landing on planes they do not lie on) reaches it
// and ends the operation instead of filling memory.
std::size_t workBound(std::size_t count) { return 64 * count + (std::size_t{1} << 16); }

// A polygon, or a piece of one, on its way down the tree.
struct Piece {
    std::uint32_t first = 0;  // in the walk's scratch vertices
    std::uint32_t count = 0;
    std::int32_t node = 0;
    std::uint32_t depth = 0;
    // The nodes, newest first, where the piece lay in the node's plane (an index into the
    // clipper's history, or -1).
    std::int32_t history = -1;
    // Still the whole input polygon: it can be passed on without copying its vertices.
    bool whole = true;
    // The box around the vertices: most plane tests are decided by its centre and half size.
    Vec3 center;
    Vec3 halfSize;
    // Room for the rounding of per-vertex plane tests, which grows with the size of the numbers
    // involved.
    double rounding = 0;
};

// Scratch vertices of one input polygon and its pieces.
class PieceStore {
public:
    Piece reset(const PolygonSoup& soup, const SoupPolygon& polygon) {
        vertices_.clear();
        for (std::size_t i = 0; i < polygon.count; ++i) {
            vertices_.push_back(soup.vertex(polygon, i));
        }
        Piece piece{0, polygon.count, 0, 0, -1, true, {}, {}, 0};
        enclose(piece);
        return piece;
    }

    // The side of the plane the piece lies on, exactly as testing every vertex would say. When
    // the piece's box clears the on-plane band by more than the rounding of those tests can
    // matter, every vertex lies on the side of the box's centre.
    [[nodiscard]] PlaneSide side(const BspTree::Node& node, const Piece& piece) const {
        // A polygon without vertices counts as lying in every plane.
        if (piece.count == 0) return kCoplanar;
        const Vec3& n = node.plane.normal;
        const double t = n.dot(piece.center) - node.plane.w;
        const double reach = std::abs(n.x) * piece.halfSize.x + std::abs(n.y) * piece.halfSize.y +
                             std::abs(n.z) * piece.halfSize.z;
        const double clearance = node.band + reach + node.normalLength * piece.rounding;
        if (t < -clearance) return kBack;
        if (t > clearance) return kFront;
        const Vec3* v = vertices_.data() + piece.first;
        return sideUnion(node.plane, piece.count,
                         [v](std::size_t i) -> const Vec3& { return v[i]; });
    }

    // The front and back pieces of a spanning piece; a piece under three vertices is dropped.
    std::pair<std::optional<Piece>, std::optional<Piece>> split(const CSGPlane& plane,
                                                                const Piece& piece) {
        const Vec3* v = vertices_.data() + piece.first;
        const auto vertexAt = [v](std::size_t i) -> const Vec3& { return v[i]; };
        static_cast<void>(classify(plane, piece.count, vertexAt, sides_));
        cutSpanning(plane, piece.count, vertexAt, sides_, front_, back_);
        return {keep(front_, piece), keep(back_, piece)};
    }

    [[nodiscard]] std::span<const Vec3> vertices(const Piece& piece) const {
        return {vertices_.data() + piece.first, piece.count};
    }

    // The piece as a polygon of the soup: the input polygon itself while it is whole.
    SoupPolygon store(PolygonSoup& soup, const Piece& piece, const SoupPolygon& input) const {
        return piece.whole ? input : soup.add(vertices(piece), input.plane);
    }

private:
    std::optional<Piece> keep(const std::vector<Vec3>& points, const Piece& parent) {
        if (points.size() < 3) return std::nullopt;
        Piece piece = parent;
        piece.first = static_cast<std::uint32_t>(vertices_.size());
        piece.count = static_cast<std::uint32_t>(points.size());
        piece.whole = false;
        vertices_.insert(vertices_.end(), points.begin(), points.end());
        enclose(piece);
        return piece;
    }

    void enclose(Piece& piece) const {
        const auto points = vertices(piece);
        if (points.empty()) return;
        Vec3 lo = points.front();
        Vec3 hi = points.front();
        for (const Vec3& p : points) {
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        piece.center = (lo + hi) * 0.5;
        piece.halfSize = (hi - lo) * 0.5;
        piece.rounding = kRelativeRounding * (piece.center.length() + piece.halfSize.length());
    }

    std::vector<Vec3> vertices_;
    std::vector<std::uint8_t> sides_;
    std::vector<Vec3> front_;
    std::vector<Vec3> back_;
};

}  // namespace

// Clips polygons against one tree. List-by-list clipping returns, node by node in pre-order, the
// pieces that leave the tree at that node; within one node, pieces that lay in a plane on the way
// come after those that did not, judged from the deepest such plane upwards, and ties keep the
// input order. The sort at the end restores exactly that.
class Clipper {
public:
    Clipper(PolygonSoup& soup, const BspTree& tree)
        : soup_(soup), tree_(tree), preorder_(tree.preorder()) {}

    std::vector<SoupPolygon> clip(const std::vector<SoupPolygon>& polygons) {
        emitted_.clear();
        history_.clear();
        for (std::size_t i = 0; i < polygons.size(); ++i) {
            walk(static_cast<std::uint32_t>(i), polygons[i]);
        }
        std::sort(emitted_.begin(), emitted_.end(),
                  [this](const Emitted& a, const Emitted& b) { return before(a, b); });
        std::vector<SoupPolygon> result;
        result.reserve(emitted_.size());
        for (const Emitted& e : emitted_) result.push_back(e.polygon);
        return result;
    }

private:
    struct Emitted {
        std::uint32_t preorder;
        std::int32_t history;
        std::uint32_t input;
        SoupPolygon polygon;
    };
    struct HistoryEntry {
        std::uint32_t depth;
        std::int32_t older;
    };

    void walk(std::uint32_t input, const SoupPolygon& polygon) {
        pieces_.clear();
        pieces_.push_back(store_.reset(soup_, polygon));
        while (!pieces_.empty()) {
            Piece piece = pieces_.back();
            pieces_.pop_back();
            follow(piece, input, polygon);
        }
    }

    void follow(Piece piece, std::uint32_t input, const SoupPolygon& polygon) {
        for (;;) {
            const BspTree::Node& node = tree_.nodes_[static_cast<std::size_t>(piece.node)];
            if (!node.hasPlane) return emit(piece, input, polygon);
            PlaneSide side = store_.side(node, piece);
            if (side == kCoplanar) {
                history_.push_back({piece.depth, piece.history});
                piece.history = static_cast<std::int32_t>(history_.size() - 1);
                side = node.plane.normal.dot(polygon.plane.normal) > 0 ? kFront : kBack;
            } else if (side == kSpanning) {
                auto [front, back] = store_.split(node.plane, piece);
                if (back && node.back != BspTree::kNone) {
                    back->node = node.back;
                    ++back->depth;
                    pieces_.push_back(*back);
                }
                if (!front) return;
                piece = *front;
                side = kFront;
            }
            const std::int32_t next = side == kFront ? node.front : node.back;
            if (next == BspTree::kNone) {
                // Behind a leaf lies the solid's inside: dropped.
                if (side == kFront) emit(piece, input, polygon);
                return;
            }
            piece.node = next;
            ++piece.depth;
        }
    }

    void emit(const Piece& piece, std::uint32_t input, const SoupPolygon& polygon) {
        emitted_.push_back({preorder_[static_cast<std::size_t>(piece.node)], piece.history, input,
                            store_.store(soup_, piece, polygon)});
    }

    [[nodiscard]] bool before(const Emitted& a, const Emitted& b) const {
        if (a.preorder != b.preorder) return a.preorder < b.preorder;
        std::int32_t ha = a.history;
        std::int32_t hb = b.history;
        while (ha >= 0 && hb >= 0) {
            const HistoryEntry& ea = history_[static_cast<std::size_t>(ha)];
            const HistoryEntry& eb = history_[static_cast<std::size_t>(hb)];
            if (ea.depth != eb.depth) return ea.depth < eb.depth;
            ha = ea.older;
            hb = eb.older;
        }
        if (ha >= 0 || hb >= 0) return hb >= 0;
        return a.input < b.input;
    }

    PolygonSoup& soup_;
    const BspTree& tree_;
    std::vector<std::uint32_t> preorder_;
    PieceStore store_;
    std::vector<Piece> pieces_;
    std::vector<Emitted> emitted_;
    std::vector<HistoryEntry> history_;
};

// Cuts polygons along every plane of the tree that crosses them, without judging which side of
// the tree's surface the pieces lie on. A piece lying in a node's plane is cut by the node's
// front subtree and then, each of those pieces, by its back subtree: faces on both sides of the
// plane may end inside it.
class Cutter {
public:
    Cutter(PolygonSoup& soup, const BspTree& tree, WorkPacer* pacer)
        : soup_(soup), tree_(tree), pacer_(pacer) {}

    BspTree::Cut cut(const std::vector<SoupPolygon>& polygons) {
        BspTree::Cut result;
        result.start.reserve(polygons.size() + 1);
        const std::size_t bound = workBound(polygons.size() + tree_.nodes_.size());
        for (const SoupPolygon& polygon : polygons) {
            if (pacer_ != nullptr) pacer_->step();
            if (result.pieces.size() > bound) throw KernelError::workBound();
            result.start.push_back(static_cast<std::uint32_t>(result.pieces.size()));
            resumes_.clear();
            pieces_.clear();
            pieces_.push_back(store_.reset(soup_, polygon));
            while (!pieces_.empty()) {
                Piece piece = pieces_.back();
                pieces_.pop_back();
                follow(piece, polygon, result.pieces);
            }
        }
        result.start.push_back(static_cast<std::uint32_t>(result.pieces.size()));
        return result;
    }

private:
    struct Resume {
        std::int32_t node;
        std::int32_t older;
    };

    // A piece's `history` is here the chain of back subtrees it still has to pass.
    void follow(Piece piece, const SoupPolygon& polygon, std::vector<SoupPolygon>& result) {
        for (;;) {
            if (piece.node == BspTree::kNone ||
                !tree_.nodes_[static_cast<std::size_t>(piece.node)].hasPlane) {
                if (piece.history < 0) {
                    result.push_back(store_.store(soup_, piece, polygon));
                    return;
                }
                const Resume& resume = resumes_[static_cast<std::size_t>(piece.history)];
                piece.node = resume.node;
                piece.history = resume.older;
                continue;
            }
            const BspTree::Node& node = tree_.nodes_[static_cast<std::size_t>(piece.node)];
            switch (store_.side(node, piece)) {
                case kCoplanar:
                    resumes_.push_back({node.back, piece.history});
                    piece.history = static_cast<std::int32_t>(resumes_.size() - 1);
                    piece.node = node.front;
                    break;
                case kFront: piece.node = node.front; break;
                case kBack: piece.node = node.back; break;
                case kSpanning: {
                    auto [front, back] = store_.split(node.plane, piece);
                    if (back) {
                        back->node = node.back;
                        pieces_.push_back(*back);
                    }
                    if (!front) return;
                    piece = *front;
                    piece.node = node.front;
                    break;
                }
            }
        }
    }

    PolygonSoup& soup_;
    const BspTree& tree_;
    WorkPacer* pacer_;
    PieceStore store_;
    std::vector<Piece> pieces_;
    std::vector<Resume> resumes_;
};

// Builds polygons into a tree one at a time, in input order. A node's plane comes from the first
// piece to reach it, as from the first polygon of the list handed to it; the polygons lying in a
// node's plane are appended at the end, those facing the plane's way first, each in input order.
class Builder {
public:
    Builder(PolygonSoup& soup, BspTree& tree, WorkPacer* pacer)
        : soup_(soup), tree_(tree), pacer_(pacer) {}

    void build(const std::vector<SoupPolygon>& polygons) {
        nodeBound_ = tree_.nodes_.size() + workBound(polygons.size());
        for (const SoupPolygon& polygon : polygons) {
            if (pacer_ != nullptr) pacer_->step();
            walk(polygon);
        }
        std::stable_sort(
            coplanar_.begin(), coplanar_.end(), [](const Coplanar& a, const Coplanar& b) {
                return a.node != b.node ? a.node < b.node : a.facingBack < b.facingBack;
            });
        for (const Coplanar& c : coplanar_) {
            tree_.polygons_[static_cast<std::size_t>(c.node)].push_back(c.polygon);
        }
    }

private:
    struct Coplanar {
        std::int32_t node;
        bool facingBack;
        SoupPolygon polygon;
    };

    void walk(const SoupPolygon& polygon) {
        pieces_.clear();
        pieces_.push_back(store_.reset(soup_, polygon));
        while (!pieces_.empty()) {
            Piece piece = pieces_.back();
            pieces_.pop_back();
            follow(piece, polygon);
        }
    }

    void follow(Piece piece, const SoupPolygon& polygon) {
        for (;;) {
            BspTree::Node& node = tree_.nodes_[static_cast<std::size_t>(piece.node)];
            const bool fresh = !node.hasPlane;
            if (fresh) {
                node.plane = polygon.plane;
                node.normalLength = polygon.plane.normal.length();
                node.band = CSGPlane::kEpsilon + kRelativeRounding * (1 + std::abs(node.plane.w));
                node.hasPlane = true;
            }
            // The piece lies in the plane it gives, untested: a face joins polygons whose planes
            // agree only on the plane grid, and a face drawn a little off flat is taken as it
            // is, so a piece may stray from its own plane by more than the on-plane tolerance; it
            // would then be sent on to a new node of that same plane, level after level, without
            // end.
            PlaneSide side = fresh ? kCoplanar : store_.side(node, piece);
            if (side == kCoplanar) {
                const bool facingBack = !(node.plane.normal.dot(polygon.plane.normal) > 0);
                coplanar_.push_back({piece.node, facingBack, store_.store(soup_, piece, polygon)});
                return;
            }
            if (side == kSpanning) {
                const CSGPlane plane = node.plane;
                auto [front, back] = store_.split(plane, piece);
                if (back) {
                    back->node = child(piece.node, kBack);
                    pieces_.push_back(*back);
                }
                if (!front) return;
                piece = *front;
                side = kFront;
            }
            piece.node = child(piece.node, side);
        }
    }

    // The node's front or back child, created when missing.
    std::int32_t child(std::int32_t parent, PlaneSide side) {
        const auto index = static_cast<std::size_t>(parent);
        const std::int32_t existing =
            side == kFront ? tree_.nodes_[index].front : tree_.nodes_[index].back;
        if (existing != BspTree::kNone) return existing;
        if (tree_.nodes_.size() >= nodeBound_) throw KernelError::workBound();
        // Adding a node may move the array: look the parent up again afterwards.
        const std::int32_t created = tree_.addNode();
        (side == kFront ? tree_.nodes_[index].front : tree_.nodes_[index].back) = created;
        return created;
    }

    PolygonSoup& soup_;
    BspTree& tree_;
    WorkPacer* pacer_;
    std::size_t nodeBound_ = 0;
    PieceStore store_;
    std::vector<Piece> pieces_;
    std::vector<Coplanar> coplanar_;
};

BspTree::BspTree() {
    nodes_.emplace_back();
    polygons_.emplace_back();
}

std::int32_t BspTree::addNode() {
    if (nodes_.size() >= static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw KernelError::outOfRange();
    }
    nodes_.emplace_back();
    polygons_.emplace_back();
    return static_cast<std::int32_t>(nodes_.size() - 1);
}

void BspTree::build(PolygonSoup& soup, const std::vector<SoupPolygon>& polygons, WorkPacer* pacer) {
    if (polygons.empty()) return;
    Builder(soup, *this, pacer).build(polygons);
}

void BspTree::invert() {
    for (auto& polygons : polygons_) {
        for (SoupPolygon& p : polygons) p = p.flipped();
    }
    for (Node& node : nodes_) {
        node.plane = node.plane.flipped();
        std::swap(node.front, node.back);
    }
}

std::vector<SoupPolygon> BspTree::clipPolygons(PolygonSoup& soup,
                                               const std::vector<SoupPolygon>& polygons) const {
    return Clipper(soup, *this).clip(polygons);
}

BspTree::Cut BspTree::cutPolygons(PolygonSoup& soup, const std::vector<SoupPolygon>& polygons,
                                  WorkPacer* pacer) const {
    return Cutter(soup, *this, pacer).cut(polygons);
}

void BspTree::clipTo(PolygonSoup& soup, const BspTree& other) {
    Clipper clipper(soup, other);
    for (auto& polygons : polygons_) {
        if (!polygons.empty()) polygons = clipper.clip(polygons);
    }
}

std::vector<std::uint32_t> BspTree::preorder() const {
    std::vector<std::uint32_t> order(nodes_.size(), 0);
    std::uint32_t next = 0;
    std::vector<std::int32_t> stack{0};
    while (!stack.empty()) {
        const std::int32_t index = stack.back();
        stack.pop_back();
        order[static_cast<std::size_t>(index)] = next++;
        const Node& node = nodes_[static_cast<std::size_t>(index)];
        if (node.back != kNone) stack.push_back(node.back);
        if (node.front != kNone) stack.push_back(node.front);
    }
    return order;
}

std::vector<SoupPolygon> BspTree::allPolygons() const {
    std::vector<SoupPolygon> result;
    std::vector<std::int32_t> stack{0};
    while (!stack.empty()) {
        const auto index = static_cast<std::size_t>(stack.back());
        stack.pop_back();
        result.insert(result.end(), polygons_[index].begin(), polygons_[index].end());
        const Node& node = nodes_[index];
        if (node.back != kNone) stack.push_back(node.back);
        if (node.front != kNone) stack.push_back(node.front);
    }
    return result;
}

}  // namespace brontile::csg_detail
