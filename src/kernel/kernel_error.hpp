// Why a modelling operation produced no solid. The description is the sentence the window shows.
#pragma once

#include <string>

#include "base/error.hpp"

namespace brontile {

class KernelError : public Error {
public:
    enum class Kind {
        unavailable,
        invalidProfile,
        degenerateResult,
        faceNotFound,
        outOfRange,
        openOperand,
        flatOperand,
        openResult,
        workBound,
    };

    // "Geometry kernel unavailable: " followed by the reason.
    [[nodiscard]] static KernelError unavailable(const std::string& reason);
    // "The selected region is not a closed profile."
    [[nodiscard]] static KernelError invalidProfile();
    // "The operation produced no solid geometry."
    [[nodiscard]] static KernelError degenerateResult();
    // "The face no longer exists."
    [[nodiscard]] static KernelError faceNotFound();
    // Geometry so far from the origin (or not finite) that the kernel's integer vertex and plane
    // keys cannot hold it.
    [[nodiscard]] static KernelError outOfRange();
    // A body whose surface has a gap, so that it has no inside to combine or cut.
    [[nodiscard]] static KernelError openOperand();
    // A body whose surface encloses no volume (a box of zero height).
    [[nodiscard]] static KernelError flatOperand();
    // A result whose surface the kernel could not close: it would have no inside either.
    [[nodiscard]] static KernelError openResult();
    // A pass that reached the bound its input size sets on its work instead of settling:
    // "The operation could not produce a closed solid."
    [[nodiscard]] static KernelError workBound();

    [[nodiscard]] Kind kind() const { return kind_; }
    // The reason given to `unavailable`; empty for every other kind.
    [[nodiscard]] const std::string& reason() const { return reason_; }

private:
    KernelError(Kind kind, const std::string& description, std::string reason = {})
        : Error(description), kind_(kind), reason_(std::move(reason)) {}

    Kind kind_;
    std::string reason_;
};

}  // namespace brontile
