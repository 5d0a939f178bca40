#include "viewport/scene_cache.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <optional>
#include <variant>

#include "viewport/scene_builder.hpp"
#include "viewport/scene_parts.hpp"

namespace brontile {
namespace {

using SceneParts::IdBits;

// Recycled vertex lists keep their memory unless they are this many times larger than needed.
constexpr std::size_t kKeptOversize = 2;

// Empties a list for refilling. Memory already mapped is kept: faulting in fresh pages costs more
// than writing the vertices, so a large body rebuilt every frame while a tool drags it would
// otherwise spend most of each frame there.
template <class T>
void refill(std::vector<T>& list, std::size_t need) {
    if (list.capacity() > kKeptOversize * need) list = std::vector<T>();
    list.clear();
    list.reserve(need);
}

}  // namespace

// Face indices of one mesh by face id: open addressing with linear probing, each slot holding a
// face index plus one (zero is empty). Ids are compared against the mesh's own faces, so the table
// stays four bytes a slot; at most half the slots are used, keeping probe runs short. Ids repeated
// within a mesh are all found, as the flat builder colours every face that carries the id.
class SceneCache::FaceLookup {
public:
    explicit FaceLookup(const std::vector<SolidFace>& faces)
        : slots_(std::bit_ceil(std::max<std::size_t>(2 * faces.size(), 2)), 0),
          shift_(64 - std::countr_zero(slots_.size())) {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = 0; i < faces.size(); ++i) {
            std::size_t slot = slotOf(IdBits(faces[i].id));
            while (slots_[slot] != 0) slot = (slot + 1) & mask;
            slots_[slot] = static_cast<std::uint32_t>(i + 1);
        }
    }

    // Calls visit(index) for every face of `faces` (the list it was made from) with the id.
    template <class Visit>
    void find(const std::vector<SolidFace>& faces, const FaceID& id, Visit&& visit) const {
        const IdBits bits(id);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = slotOf(bits); slots_[slot] != 0; slot = (slot + 1) & mask) {
            const std::uint32_t index = slots_[slot] - 1;
            if (IdBits(faces[index].id) == bits) visit(index);
        }
    }

private:
    // Random ids are already well mixed; the multiplication spreads ids made any other way.
    [[nodiscard]] std::size_t slotOf(const IdBits& bits) const {
        return static_cast<std::size_t>(((bits.high ^ bits.low) * 0x9E3779B97F4A7C15ull) >> shift_);
    }

    std::vector<std::uint32_t> slots_;
    int shift_;
};

void SceneCache::rebuild(const SceneInput& input, RenderScene& scene) {
    ++calls_;
    // Dropped first, so that a chunk the renderer no longer holds either can lend its memory to
    // its replacement.
    scene.bodies.clear();
    scene.highlights.clear();
    scene.highlightLines.clear();
    scene.groundLines.clear();
    scene.rest.shaded.clear();
    scene.rest.lines.clear();
    scene.rest.overlayLines.clear();
    scene.rest.overlayShaded.clear();
    scene.rest.throughShaded.clear();
    scene.rest.labels.clear();

    scene.section = input.section;
    SceneParts::Writer writer(input);
    if (input.document.showGrid) SceneBuilder::appendGrid(scene.groundLines);
    collectFaceRequests(input);
    for (const Body& body : input.document.bodies) {
        if (!body.isVisible) {
            const auto found = entries_.find(body.id);
            if (found != entries_.end()) found->second.seenInCall = calls_;
            continue;
        }
        Entry& entry = entries_[body.id];
        entry.seenInCall = calls_;
        refresh(entry, writer, body, SceneParts::drawnMesh(input, body));
        BodyDraw& draw = scene.bodies.emplace_back();
        draw.chunk = entry.chunk;
        const bool selected = input.selection.contains(body.id);
        draw.capColor = SceneParts::capColor(body, selected);
        if (selected) {
            draw.shadedColor = SceneParts::bodyColor(body, true);
            draw.lineColor = SceneParts::bodyEdgeColor(true);
        }
        addRecolors(entry, body, selected, draw, scene);
    }
    std::erase_if(entries_, [this](const auto& item) { return item.second.seenInCall != calls_; });

    writer.reserve(scene.rest, {});
    writer.writeRest(scene.rest);
}

void SceneCache::refresh(Entry& entry, SceneParts::Writer& writer, const Body& body,
                         const SolidMesh& mesh) {
    const bool sameMesh = entry.mesh.sharesStorageWith(mesh);
    if (entry.chunk && sameMesh && entry.colorIndex == body.colorIndex) return;
    if (!sameMesh) {
        entry.mesh = mesh;
        entry.faces.reset();
    }
    entry.colorIndex = body.colorIndex;

    // The scene was cleared, so a chunk held here alone is seen by nobody and can be refilled.
    std::shared_ptr<BodyChunk> chunk = std::move(entry.chunk);
    if (!chunk || chunk.use_count() != 1) chunk = std::make_shared<BodyChunk>();
    SceneParts::VertexCounts counts;
    SceneParts::addMeshCounts(mesh, counts);
    refill(chunk->shaded, counts.shaded);
    refill(chunk->lines, counts.lines);
    refill(chunk->faceStarts, mesh.faces().size() + 1);
    chunk->body = body.id;
    chunk->revision = nextRevision_++;
    const SceneParts::FaceColors plain(Selection::empty, std::nullopt, body.id,
                                       SceneParts::bodyColor(body, false));
    writer.writeBody(mesh, plain, SceneParts::bodyEdgeColor(false), chunk->shaded, chunk->lines,
                     &chunk->faceStarts);
    entry.chunk = std::move(chunk);
}

void SceneCache::collectFaceRequests(const SceneInput& input) {
    requests_.clear();
    for (const FaceRef& ref : input.selection.faces) {
        requests_.push_back({ref.body, ref.face, true, false});
    }
    const FaceRef* hover = input.hover ? std::get_if<FaceRef>(&*input.hover) : nullptr;
    if (hover) requests_.push_back({hover->body, hover->face, false, true});
    std::sort(requests_.begin(), requests_.end(),
              [](const FaceRequest& p, const FaceRequest& q) { return p.body < q.body; });
}

void SceneCache::addRecolors(Entry& entry, const Body& body, bool selected, BodyDraw& draw,
                             RenderScene& scene) {
    const auto byBody = [](const FaceRequest& p, const FaceRequest& q) { return p.body < q.body; };
    const auto [first, last] =
        std::equal_range(requests_.begin(), requests_.end(), FaceRequest{body.id, {}}, byBody);
    draw.highlightStart = scene.highlights.size();
    if (first == last) return;

    const std::vector<SolidFace>& faces = entry.mesh.faces();
    if (!entry.faces) entry.faces = std::make_shared<const FaceLookup>(faces);
    found_.clear();
    for (auto it = first; it != last; ++it) {
        entry.faces->find(faces, it->face, [&](std::uint32_t index) {
            found_.push_back({index, it->selected, it->hovered});
        });
    }
    // A face both selected and hovered is named twice: once for each.
    std::sort(found_.begin(), found_.end(),
              [](const FoundFace& p, const FoundFace& q) { return p.index < q.index; });
    const RGBA base = SceneParts::bodyColor(body, selected);
    const BodyChunk& chunk = *entry.chunk;
    for (std::size_t i = 0; i < found_.size();) {
        FoundFace face = found_[i];
        for (++i; i < found_.size() && found_[i].index == face.index; ++i) {
            face.selected = face.selected || found_[i].selected;
            face.hovered = face.hovered || found_[i].hovered;
        }
        const std::uint32_t start = chunk.faceStarts[face.index];
        const std::uint32_t count = chunk.faceStarts[face.index + 1] - start;
        // A face with no area has no triangles to draw again.
        if (count == 0) continue;
        const RGBA color = SceneParts::faceColor(base, face.selected, face.hovered);
        draw.recolors.push_back({start, count, color});
        outlineEmitter_.appendEdges(
            entry.mesh.vertices(), faces[face.index],
            SceneParts::VertexStyle(Vec3::zero, SceneParts::kMarkedFaceOutline),
            scene.highlightLines);
        const Float4 simd = color.simd();
        for (std::uint32_t k = start; k < start + count; ++k) {
            RenderVertex vertex = chunk.shaded[k];
            vertex.color = simd;
            scene.highlights.push_back(vertex);
        }
    }
    draw.highlightCount = scene.highlights.size() - draw.highlightStart;
}

}  // namespace brontile
