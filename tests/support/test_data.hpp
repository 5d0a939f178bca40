// Files under tests/data, the fixtures and golden files the tests read, and how two texts part.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace brontile::test {

// Where tests/data/<name> lives in the source tree.
std::filesystem::path testDataPath(const std::string& name);

// The whole file tests/data/<name>; throws std::runtime_error when it cannot be read, so a
// missing fixture fails the test instead of passing on empty input.
std::string readTestData(const std::string& name);

// Where `actual` first departs from `expected`: the byte offset and line, and a short excerpt of
// each side with unprintable bytes as \xNN, so binary files can be compared too.
std::string describeFirstDifference(std::string_view expected, std::string_view actual);

// Whether `actual` equals tests/data/<name> byte for byte. With BRONTILE_UPDATE_GOLDEN=1 in the
// environment it writes `actual` there instead and passes: the only way golden files change,
// done on purpose after a deliberate change to a writer, and reviewed in the diff.
testing::AssertionResult matchesGoldenFile(const std::string& name, std::string_view actual);

}  // namespace brontile::test
