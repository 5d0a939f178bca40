// Fresh identities: version 4 from the system, or a repeatable sequence while a seed is in scope.
#include <gtest/gtest.h>

#include "base/uuid.hpp"

namespace brontile {
namespace {

std::vector<Uuid> draw(std::size_t count) {
    std::vector<Uuid> ids;
    for (std::size_t i = 0; i < count; ++i) ids.push_back(Uuid::random());
    const auto batch = Uuid::random(count);
    ids.insert(ids.end(), batch.begin(), batch.end());
    return ids;
}

TEST(Uuid, ASeedRepeatsItsSequenceAndLeavingItRestoresTheSystemsRandomness) {
    std::vector<Uuid> first;
    {
        const ScopedUuidSeed seed(42);
        first = draw(3);
        {
            const ScopedUuidSeed inner(7);
            EXPECT_NE(Uuid::random(), first.front());
        }
    }
    std::vector<Uuid> again;
    {
        const ScopedUuidSeed seed(42);
        again = draw(3);
    }
    EXPECT_EQ(first, again);
    EXPECT_NE(draw(3), first);
    for (const Uuid& id : first) {
        // Version 4, RFC 4122 variant.
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
        EXPECT_EQ(id.bytes()[8] >> 6, 2);
    }
}

}  // namespace
}  // namespace brontile
