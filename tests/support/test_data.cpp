#include "support/test_data.hpp"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace brontile::test {

std::string readTestData(const std::string& name) {
    const std::string path = std::string(BRONTILE_TEST_DATA_DIR) + "/" + name;
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read test data " + path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace brontile::test
