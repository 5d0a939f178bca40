// Files under tests/data, the fixtures and golden texts the tests read.
#pragma once

#include <string>

namespace brontile::test {

// The whole file tests/data/<name>; throws std::runtime_error when it cannot be read, so a
// missing fixture fails the test instead of passing on empty input.
std::string readTestData(const std::string& name);

}  // namespace brontile::test
