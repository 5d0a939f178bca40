#include "support/test_data.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "support/scratch_directory.hpp"

namespace brontile::test {
namespace {

// Up to 40 bytes from `from`, line breaks and bytes outside printable ASCII escaped.
std::string excerpt(std::string_view text, std::size_t from) {
    std::string out;
    for (const char c : text.substr(from, 40)) {
        const auto byte = static_cast<unsigned char>(c);
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
        out += c == '\n' ? "\\n" : byte >= 0x20 && byte < 0x7f ? std::string(1, c) : escaped;
    }
    return out;
}

bool updatingGoldenFiles() {
    const char* value = std::getenv("BRONTILE_UPDATE_GOLDEN");
    return value != nullptr && std::string_view(value) == "1";
}

}  // namespace

std::filesystem::path testDataPath(const std::string& name) {
    return std::filesystem::path(BRONTILE_TEST_DATA_DIR) / name;
}

std::string readTestData(const std::string& name) {
    const std::filesystem::path path = testDataPath(name);
    if (!std::filesystem::is_regular_file(path)) {
        throw std::runtime_error("cannot read test data " + path.string());
    }
    return readBytes(path);
}

std::string describeFirstDifference(std::string_view expected, std::string_view actual) {
    const auto at =
        static_cast<std::size_t>(std::ranges::mismatch(expected, actual).in1 - expected.begin());
    if (at == expected.size() && at == actual.size()) return "no difference";
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(expected.begin(), expected.begin() + at, '\n'));
    // A little context before the difference, from the start of its line at most.
    const std::size_t lineStart = at == 0 ? 0 : expected.rfind('\n', at - 1) + 1;
    const std::size_t from = std::max(lineStart, at < 16 ? 0 : at - 16);
    std::ostringstream out;
    out << "first difference at byte " << at << " (line " << line << "); expected "
        << expected.size() << " bytes, got " << actual.size() << "\n  expected: \""
        << excerpt(expected, from) << "\"\n  actual:   \"" << excerpt(actual, from) << "\"";
    return out.str();
}

testing::AssertionResult matchesGoldenFile(const std::string& name, std::string_view actual) {
    const std::filesystem::path path = testDataPath(name);
    if (updatingGoldenFiles()) {
        std::filesystem::create_directories(path.parent_path());
        writeBytes(path, actual);
        return testing::AssertionSuccess();
    }
    const std::string expected = readTestData(name);
    if (expected == actual) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << path.string()
           << " differs from what is written today: " << describeFirstDifference(expected, actual)
           << "\nIf the writer changed on purpose, regenerate with BRONTILE_UPDATE_GOLDEN=1.";
}

}  // namespace brontile::test
