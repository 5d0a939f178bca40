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

}  // namespace brontile
