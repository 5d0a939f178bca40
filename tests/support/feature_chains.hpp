// Random chains of modelling operations on random parts, seeded and the same on every standard
// library: the kernel's stress harness. Each chain starts from a block, a post, an L-shape or a
// ring at a scale from 0.01 mm to 10 000 mm, then fillets, chamfers, shells, patterns, revolves
// and combines it with boxes, posts and balls placed about it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "geometry/mesh_closure.hpp"
#include "kernel/kernel_error.hpp"
#include "kernel/poly_kernel.hpp"
#include "support/mesh_fixtures.hpp"

namespace brontile::test {

// One operation of a chain as it ran: what it was, the triangles of the part it started from,
// how long it took and how it ended.
struct ChainStep {
    std::string operation;
    std::size_t triangles = 0;
    double milliseconds = 0;
    // The result's surface is closed; false for a refusal.
    bool closed = false;
    std::optional<KernelError::Kind> refusal;
};

class FeatureChain {
public:
    explicit FeatureChain(std::uint32_t seed) : random_(seed) {}

    // `length` operations on one random part; a refused operation leaves the part as it was.
    std::vector<ChainStep> run(int length) {
        static const double kScales[] = {0.01, 0.1, 1, 10, 100, 1000, 10000};
        scale_ = kScales[below(7)];
        part_ = startingPart();
        std::vector<ChainStep> steps;
        for (int i = 0; i < length; ++i) steps.push_back(step());
        return steps;
    }

private:
    // Uniform in [0, 1), and below n, straight from the engine.
    double unit() { return static_cast<double>(random_() >> 5) / 134217728.0; }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(unit() * n); }
    double between(double low, double high) { return low + (high - low) * unit(); }
    Vec3 scaled(double x, double y, double z) const { return Vec3{x, y, z} * scale_; }

    SolidMesh startingPart() {
        switch (below(4)) {
            case 0:
                return boxMesh({0, 0, 0}, scaled(between(5, 30), between(5, 30), between(2, 20)));
            case 1:
                return cylinderMesh({}, 10 * scale_, between(3, 20) * scale_,
                                    16 + static_cast<int>(below(49)));
            case 2:
                return kernel_.boolean(boxMesh({0, 0, 0}, scaled(30, 10, 8)),
                                       boxMesh({0, 0, 0}, scaled(10, 25, 8)), BooleanOp::unite);
            default: return ring(scaled(0, 0, 0), 6 * scale_, 12 * scale_, 5 * scale_);
        }
    }

    SolidMesh ring(const Vec3& centre, double inner, double outer, double height) const {
        const SketchPlane upright(centre, Vec3::unitX, Vec3::unitZ);
        const Profile section{
            upright, {{inner, 0}, {outer, 0}, {outer, height}, {inner, height}}, {}, {}};
        return kernel_.revolve(section, centre, Vec3::unitZ, 2 * std::numbers::pi);
    }

    // A box, post or ball about the part's box, sized by it.
    SolidMesh tool() {
        const AABB box = part_.bounds().value_or(AABB{});
        const Vec3 size = box.size();
        const Vec3 at{between(box.min.x, box.max.x), between(box.min.y, box.max.y),
                      between(box.min.z, box.max.z)};
        const double r = std::max(size.length() * between(0.05, 0.3), scale_ * 0.01);
        switch (below(3)) {
            case 0: return boxMesh(at - Vec3{r, r, r}, at + Vec3{r, r * 1.3, r * 0.7});
            case 1:
                return cylinderMesh(at - Vec3{0, 0, size.z}, r, size.z * 3 + r,
                                    12 + static_cast<int>(below(53)));
            default:
                return sphereMesh(at, r, 12 + static_cast<int>(below(29)),
                                  6 + static_cast<int>(below(15)));
        }
    }

    FaceID someFace() {
        const auto& faces = part_.faces();
        return faces[below(faces.size())].id;
    }

    ChainStep step() {
        const double size = part_.bounds().value_or(AABB{}).size().length();
        const std::size_t kind = below(8);
        static const char* const kNames[] = {"fillet",   "chamfer",   "shell",   "unite",
                                             "subtract", "intersect", "pattern", "revolve"};
        ChainStep step{kNames[kind], part_.triangleCount(), 0, false, std::nullopt};
        const auto started = std::chrono::steady_clock::now();
        try {
            SolidMesh result = apply(kind, size);
            step.closed = isClosed(result);
            if (step.closed) part_ = std::move(result);
        } catch (const KernelError& error) {
            step.refusal = error.kind();
        }
        step.milliseconds =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
                .count();
        return step;
    }

    SolidMesh apply(std::size_t kind, double size) {
        switch (kind) {
            case 0: return kernel_.fillet(part_, someFace(), size * between(0.005, 0.08));
            case 1: return kernel_.chamfer(part_, someFace(), size * between(0.005, 0.08));
            case 2: return kernel_.shell(part_, size * between(0.005, 0.05));
            case 3: return kernel_.boolean(part_, tool(), BooleanOp::unite);
            case 4: return kernel_.boolean(part_, tool(), BooleanOp::subtract);
            case 5: return kernel_.boolean(part_, tool(), BooleanOp::intersect);
            case 6: {
                const Vec3 step = Vec3{size * between(0.2, 0.6), 0, 0};
                SolidMesh result = part_;
                for (int i = 1; i < 3; ++i) {
                    result = kernel_.boolean(result, part_.translated(step * i), BooleanOp::unite);
                }
                return result;
            }
            default: {
                const AABB box = part_.bounds().value_or(AABB{});
                const Vec3 centre{box.center().x, box.center().y, box.min.z};
                const double r = std::max(box.size().x, box.size().y) * between(0.3, 0.8);
                return kernel_.boolean(part_, ring(centre, r, r * 1.3, box.size().z * 0.5),
                                       BooleanOp::unite);
            }
        }
    }

    std::mt19937 random_;
    PolyKernel kernel_;
    double scale_ = 1;
    SolidMesh part_;
};

}  // namespace brontile::test
