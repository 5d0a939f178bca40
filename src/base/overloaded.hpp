// Lets std::visit take one lambda per variant case.
#pragma once

namespace brontile {

template <class... Cases>
struct Overloaded : Cases... {
    using Cases::operator()...;
};

}  // namespace brontile
