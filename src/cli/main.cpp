// brontile-cli: the modeller without its window. `replay SCRIPT.json` drives a document session
// from a script of user actions and prints the session's state after every step.
#include <iostream>
#include <string_view>

#include "cli/replay.hpp"

int main(int argc, char** argv) {
    const std::string_view usage = "usage: brontile-cli replay SCRIPT.json\n";
    if (argc != 3 || std::string_view(argv[1]) != "replay") {
        std::cerr << usage;
        return brontile::cli::kBadScript;
    }
    return brontile::cli::replayFile(argv[2], std::cout, std::cerr);
}
