#include "sketch/sketch_names.hpp"

#include <algorithm>
#include <vector>

#include "geometry/unit_formatter.hpp"

namespace brontile::SketchNames {
namespace {

using Outcome = ConstraintVerdict::Outcome;

std::string_view kindWord(const SketchEntity& e) {
    if (e.isLine()) return "Line";
    return std::holds_alternative<SketchArc>(e.geometry) ? "Arc" : "Circle";
}

// Past this many, a refusal names the first ones and counts the rest.
constexpr std::size_t kMostNamed = 5;

// "A", "A and B", "A, B and C", "A, B, C, D, E and 3 others".
std::string listed(std::vector<std::string> names) {
    if (names.size() > kMostNamed + 1) {
        const std::size_t rest = names.size() - kMostNamed;
        names.resize(kMostNamed);
        names.push_back(std::to_string(rest) + " others");
    }
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

std::vector<std::string> involvedNames(const ConstraintVerdict& verdict, const Sketch& trial,
                                       LengthUnit units) {
    std::vector<std::string> names;
    for (const SketchConstraintID& id : verdict.involved) {
        if (const auto c = trial.constraint(id)) names.push_back(constraint(trial, *c, units));
    }
    return names;
}

}  // namespace

std::string entity(const Sketch& sketch, const SketchEntityID& id) {
    const auto found =
        std::ranges::find_if(sketch.entities, [&](const SketchEntity& e) { return e.id == id; });
    if (found == sketch.entities.end()) return "Curve";
    const std::string_view word = kindWord(*found);
    const auto rank = std::count_if(sketch.entities.begin(), found + 1,
                                    [&](const SketchEntity& e) { return kindWord(e) == word; });
    std::string name(word);
    name += ' ';
    name += std::to_string(rank);
    return name;
}

std::string constraint(const Sketch& sketch, const SketchConstraint& c, LengthUnit units) {
    std::string text(displayName(c.kind));
    if (c.isDimension() && c.value) {
        text += ' ';
        text += UnitFormatter::string(*c.value, units);
    }
    std::vector<SketchEntityID> seen;
    std::vector<std::string> curves;
    for (const SketchGeomRef& ref : c.refs) {
        if (std::ranges::find(seen, ref.entity) != seen.end()) continue;
        seen.push_back(ref.entity);
        curves.push_back(entity(sketch, ref.entity));
    }
    if (curves.empty()) return text;
    text += " (";
    for (std::size_t i = 0; i < curves.size(); ++i) {
        if (i > 0) text += ", ";
        text += curves[i];
    }
    text += ')';
    return text;
}

std::string refusal(const ConstraintVerdict& verdict, const Sketch& trial,
                    const SketchConstraint& subject, LengthUnit units) {
    const std::string others = listed(involvedNames(verdict, trial, units));
    std::string text;
    switch (verdict.outcome) {
        case Outcome::accepted: return {};
        case Outcome::redundant:
            text = "Already fixed by ";
            text += others;
            break;
        case Outcome::conflicting:
            if (others.empty()) return "Constraints could not be solved.";
            text = "Conflicts with ";
            text += others;
            break;
        case Outcome::collapsing: {
            text = displayName(subject.kind);
            text += " would collapse ";
            text += entity(trial, verdict.collapsed.value_or(SketchEntityID{}));
            text += " to a point";
            if (!others.empty()) {
                text += ": it conflicts with ";
                text += others;
            }
            break;
        }
    }
    text += '.';
    return text;
}

}  // namespace brontile::SketchNames
