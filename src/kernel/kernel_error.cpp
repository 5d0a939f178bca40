#include "kernel/kernel_error.hpp"

namespace brontile {

KernelError KernelError::unavailable(const std::string& reason) {
    return {Kind::unavailable, "Geometry kernel unavailable: " + reason, reason};
}

KernelError KernelError::invalidProfile() {
    return {Kind::invalidProfile, "The selected region is not a closed profile."};
}

KernelError KernelError::degenerateResult() {
    return {Kind::degenerateResult, "The operation produced no solid geometry."};
}

KernelError KernelError::faceNotFound() {
    return {Kind::faceNotFound, "The face no longer exists."};
}

KernelError KernelError::outOfRange() {
    return {Kind::outOfRange, "The geometry lies too far from the origin for this operation."};
}

KernelError KernelError::openOperand() {
    return {Kind::openOperand,
            "The body is not closed: its surface has a gap, so it has no inside to work with."};
}

KernelError KernelError::flatOperand() {
    return {Kind::flatOperand, "The body encloses no volume."};
}

KernelError KernelError::workBound() {
    return {Kind::workBound, "The operation could not produce a closed solid."};
}

KernelError KernelError::openResult() {
    return {Kind::openResult,
            "The operation would leave a gap in the surface of its result, so it was not done."};
}

}  // namespace brontile
