// The recovery store: where it lives, slots held by the living, what an ended process leaves,
// and copies that cannot be read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "io/atomic_file.hpp"
#include "io/recovery_store.hpp"
#include "support/document_fixtures.hpp"
#include "support/scratch_directory.hpp"

namespace brontile {
namespace {

namespace fs = std::filesystem;

RecoveryManifest manifestAt(int second, std::optional<fs::path> file = std::nullopt) {
    return {RecoveryManifest::currentFormatVersion, std::move(file),
            "Part " + std::to_string(second),
            DateTime{} + std::chrono::hours(24 * 365 * 56) + std::chrono::seconds(second), 4242};
}

// What a process killed mid-work leaves: its slot's folder, with nobody holding the lock.
fs::path leftBehind(const RecoverySlot& slot, const fs::path& root, const std::string& name) {
    const fs::path copy = root / name;
    fs::copy(slot.folder(), copy, fs::copy_options::recursive);
    return copy;
}

TEST(RecoveryStore, LivesWhereTheEnvironmentSays) {
    const auto rootWith = [](std::map<std::string, std::string> values) {
        return RecoveryStore::defaultRoot([&](const char* name) -> const char* {
            const auto found = values.find(name);
            return found == values.end() ? nullptr : found->second.c_str();
        });
    };
    EXPECT_EQ(rootWith({{"HOME", "/home/ana"}}),
              fs::path("/home/ana/.local/state/brontile/recovery"));
    EXPECT_EQ(rootWith({{"HOME", "/home/ana"}, {"XDG_STATE_HOME", "/s"}}),
              fs::path("/s/brontile/recovery"));
    EXPECT_EQ(rootWith({{"XDG_STATE_HOME", "/s"}, {"BRONTILE_RECOVERY_DIR", "/r"}}),
              fs::path("/r"));
    EXPECT_EQ(rootWith({{"XDG_STATE_HOME", ""}}), std::nullopt);
}

// A living slot is never offered; what an ended process left is, newest first, with its file and
// title; cleared and empty folders offer nothing; a clean end removes the folder.
TEST(RecoveryStore, OffersWhatEndedProcessesLeftNewestFirst) {
    test::ScratchDirectory scratch;
    const RecoveryStore store(scratch.path() / "recovery");
    const CADDocument document = test::richDocument();
    fs::path living;
    {
        RecoverySlot slot(store);
        living = slot.folder();
        slot.write(document, manifestAt(10, "/home/ana/part.brontdoc"));
        EXPECT_TRUE(store.leftovers().empty()) << "held by a living slot";
        leftBehind(slot, store.root(), "1-older");
        slot.write(document, manifestAt(20));
        leftBehind(slot, store.root(), "2-newer");
        slot.clear();
        leftBehind(slot, store.root(), "3-cleared");
    }
    EXPECT_FALSE(fs::exists(living)) << "a clean end removes the folder";
    const auto entries = store.leftovers();
    ASSERT_EQ(entries.size(), 2U);
    EXPECT_EQ(entries[0].manifest, manifestAt(20));
    EXPECT_EQ(entries[1].manifest, manifestAt(10, "/home/ana/part.brontdoc"));
    EXPECT_FALSE(entries[0].damage);
    EXPECT_EQ(store.load(entries[0].folder).bodies.size(), document.bodies.size());
    EXPECT_FALSE(fs::exists(store.root() / "3-cleared")) << "nothing to offer, so removed";
    store.discard(entries[1].folder);
    EXPECT_EQ(store.leftovers().size(), 1U);
}

// A copy that cannot be read is named with the reason, and set aside is never offered again. A
// copy whose manifest was lost (a crash between the two) is still offered, titled from itself.
TEST(RecoveryStore, NamesDamageSetsItAsideAndOffersACopyWithoutItsManifest) {
    test::ScratchDirectory scratch;
    const RecoveryStore store(scratch.path());
    RecoverySlot slot(store);
    slot.write(test::richDocument(), manifestAt(5));
    const fs::path damaged = leftBehind(slot, store.root(), "7-damaged");
    writeFileAtomically(damaged / RecoveryStore::packageName / "document.json", "{ not json");
    const fs::path bare = leftBehind(slot, store.root(), "8-bare");
    fs::remove(bare / RecoveryStore::manifestName);

    auto entries = store.leftovers();
    ASSERT_EQ(entries.size(), 2U);
    const auto& broken = entries[0].folder == damaged ? entries[0] : entries[1];
    const auto& plain = entries[0].folder == damaged ? entries[1] : entries[0];
    ASSERT_TRUE(broken.damage);
    EXPECT_FALSE(plain.damage);
    EXPECT_EQ(plain.manifest.title, test::richDocument().metadata.title);
    EXPECT_FALSE(plain.manifest.file);
    store.setAside(damaged);
    entries = store.leftovers();
    ASSERT_EQ(entries.size(), 1U);
    EXPECT_EQ(entries[0].folder, bare);
    EXPECT_TRUE(fs::exists(store.root() / "7-damaged.damaged"));
}

}  // namespace
}  // namespace brontile
