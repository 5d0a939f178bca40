// brontile-cli: the modeller without its window. Replays scripts of user actions against a
// document session, and reads, checks and exports document packages.
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "cli/package_commands.hpp"
#include "cli/recover_commands.hpp"
#include "replay/headless_target.hpp"
#include "replay/replayer.hpp"

namespace {

constexpr std::string_view kUsage =
    "usage: brontile-cli replay SCRIPT.json\n"
    "       brontile-cli info FILE.brontdoc [--json]\n"
    "       brontile-cli check FILE.brontdoc\n"
    "       brontile-cli export FILE.brontdoc OUT.(stl|obj|3mf|step|stp|iges|igs)\n"
    "       brontile-cli import PART.(stl|obj|3mf|step|stp|iges|igs) OUT.brontdoc [--unit mm|in]\n"
    "       brontile-cli recover --list [--json]\n"
    "       brontile-cli recover FOLDER OUT.brontdoc\n"
    "       brontile-cli --help\n"
    "\n"
    "  replay   play a script of user actions against a document session; one JSON line of\n"
    "           session state per step on stdout (exit 0 ran to its end, 2 bad script, 1 failed)\n"
    "  info     what a package holds: bodies (triangles, faces, volume, bounds, closed or not)\n"
    "           and sketches (entities, constraints, whether they solve); --json for JSON\n"
    "  check    whether every visible body is a closed solid, as JSON (exit 0 all closed,\n"
    "           1 a visible body is open, 2 a missing or damaged package)\n"
    "  export   write the visible bodies in the format the extension names (any letter case):\n"
    "           meshes as STL, OBJ or 3MF; solids with planar faces as STEP or IGES; open\n"
    "           bodies are exported too and named on stderr (exit 0 on success, 2 otherwise)\n"
    "  import   a part file's solids as the bodies of a new package, one line per body saying\n"
    "           whether it is closed; --unit says what STL and OBJ numbers are in (default mm);\n"
    "           info, check and export read part files too (exit 0 on success, 2 otherwise)\n"
    "  recover  the documents left by a Brontile that ended without closing them (the store is\n"
    "           $BRONTILE_RECOVERY_DIR, else $XDG_STATE_HOME/brontile/recovery, else\n"
    "           ~/.local/state/brontile/recovery): --list names them, --json as JSON; with a\n"
    "           FOLDER (a path, or a name the list shows) writes that one out as a package\n";

// brontile-cli recover …, its arguments from argv[2] on.
int recover(int argc, char** argv) {
    const auto root = brontile::RecoveryStore::defaultRoot(std::getenv);
    if (!root) {
        std::cerr << "brontile-cli: no recovery store: set BRONTILE_RECOVERY_DIR or HOME\n";
        return brontile::replay::kBadScript;
    }
    const brontile::RecoveryStore store(*root);
    const std::string_view first = argv[2];
    if (first == "--list" && (argc == 3 || (argc == 4 && std::string_view(argv[3]) == "--json"))) {
        return brontile::cli::recoverList(store, argc == 4, std::cout);
    }
    if (argc == 4 && !first.starts_with("--")) {
        return brontile::cli::recoverOne(store, argv[2], argv[3], std::cerr);
    }
    std::cerr << kUsage;
    return brontile::replay::kBadScript;
}

// brontile-cli import PART OUT [--unit mm|in].
int importCommand(int argc, char** argv) {
    auto unit = brontile::ImportUnit::millimeters;
    if (argc == 6) {
        const std::string_view flag = argv[4];
        const std::string_view value = argv[5];
        if (flag != "--unit" || (value != "mm" && value != "in")) {
            std::cerr << kUsage;
            return brontile::replay::kBadScript;
        }
        if (value == "in") unit = brontile::ImportUnit::inches;
    }
    return brontile::cli::importPart(argv[2], argv[3], unit, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace brontile::cli;
    namespace replay = brontile::replay;
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "replay" && argc == 3) return replay::replayFile(argv[2], std::cout, std::cerr);
    if (command == "info" && (argc == 3 || (argc == 4 && std::string_view(argv[3]) == "--json"))) {
        return info(argv[2], argc == 4, std::cout, std::cerr);
    }
    if (command == "check" && argc == 3) return check(argv[2], std::cout, std::cerr);
    if (command == "export" && argc == 4) return exportPackage(argv[2], argv[3], std::cerr);
    if (command == "import" && (argc == 4 || argc == 6)) return importCommand(argc, argv);
    if (command == "recover" && argc >= 3) return recover(argc, argv);
    std::cerr << kUsage;
    return replay::kBadScript;
}
