#include "sketch/variable_pack.hpp"

#include <algorithm>

#include "base/invariant.hpp"
#include "base/overloaded.hpp"

namespace brontile {
namespace {

struct Unknown {
    double value;
    SlotKind kind;
};

std::vector<Unknown> unknownsOf(const SketchGeometry& geometry) {
    using K = SlotKind;
    return std::visit(Overloaded{
                          [](const SketchLine& l) -> std::vector<Unknown> {
                              return {{l.start.x, K::coordinate},
                                      {l.start.y, K::coordinate},
                                      {l.end.x, K::coordinate},
                                      {l.end.y, K::coordinate}};
                          },
                          [](const SketchCircle& c) -> std::vector<Unknown> {
                              return {{c.center.x, K::coordinate},
                                      {c.center.y, K::coordinate},
                                      {c.radius, K::radius}};
                          },
                          [](const SketchArc& a) -> std::vector<Unknown> {
                              return {{a.center.x, K::coordinate},
                                      {a.center.y, K::coordinate},
                                      {a.radius, K::radius},
                                      {a.startAngle, K::angle},
                                      {a.endAngle, K::angle}};
                          },
                      },
                      geometry);
}

double solvedRadius(double r) { return std::max(r, kMinimumSolvedRadius); }

}  // namespace

VariablePack VariablePack::pack(std::span<const SketchEntity> entities) {
    VariablePack pack;
    pack.entities.assign(entities.begin(), entities.end());
    for (std::size_t e = 0; e < entities.size(); ++e) {
        const std::size_t start = pack.values.size();
        const auto unknowns = unknownsOf(entities[e].geometry);
        for (const Unknown& u : unknowns) {
            pack.slots.push_back({e, pack.values.size(), u.kind});
            pack.values.push_back(u.value);
        }
        pack.layouts.push_back({e, start, unknowns.size()});
    }
    return pack;
}

SketchEntity VariablePack::entity(std::size_t entityIndex, std::span<const double> state) const {
    BRONTILE_INVARIANT(entityIndex < layouts.size() && entityIndex < entities.size(),
                       "an entity outside the packed sketch");
    const EntityLayout& layout = layouts[entityIndex];
    // A state of another pack's length would rebuild geometry from someone else's values.
    BRONTILE_INVARIANT(layout.start + layout.count <= state.size(),
                       "a solver state shorter than the packed unknowns");
    SketchEntity rebuilt = entities[entityIndex];
    const double* v = state.data() + layout.start;
    std::visit(Overloaded{
                   [&](SketchLine& l) {
                       l = {{v[0], v[1]}, {v[2], v[3]}};
                   },
                   [&](SketchCircle& c) {
                       c = {{v[0], v[1]}, solvedRadius(v[2])};
                   },
                   [&](SketchArc& a) {
                       a = {{v[0], v[1]}, solvedRadius(v[2]), v[3], v[4]};
                   },
               },
               rebuilt.geometry);
    return rebuilt;
}

std::vector<SketchEntity> VariablePack::entitiesFrom(std::span<const double> state) const {
    std::vector<SketchEntity> rebuilt;
    rebuilt.reserve(layouts.size());
    for (std::size_t e = 0; e < layouts.size(); ++e) rebuilt.push_back(entity(e, state));
    return rebuilt;
}

}  // namespace brontile
