// Undo and redo: what moves between the stacks, what gets dropped, and what a failing command
// leaves behind.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "commands/command_history.hpp"

namespace brontile {
namespace {

// A value owner whose every write is logged, so tests can see which snapshot went back in.
struct Owner {
    int value = 0;
    std::vector<int> writes;

    std::shared_ptr<UndoableCommand> change(const std::string& name, int to) {
        const int from = std::exchange(value, to);
        return std::make_shared<SnapshotCommand<int>>(name, from, to, [this](const int& v) {
            value = v;
            writes.push_back(v);
        });
    }
};

class Faulty final : public UndoableCommand {
public:
    bool failPerform = false;
    bool failUndo = false;

    [[nodiscard]] std::string name() const override { return "Faulty"; }
    void perform() override {
        if (failPerform) throw std::runtime_error("perform failed");
    }
    void undo() override {
        if (failUndo) throw std::runtime_error("undo failed");
    }
};

TEST(CommandHistory, StacksMoveAndNamesFollowTheirTops) {
    Owner owner;
    CommandHistory history;
    EXPECT_NO_THROW(history.undo());
    EXPECT_NO_THROW(history.redo());
    for (const char* name : {"A", "B", "C"}) history.execute(owner.change(name, owner.value + 1));
    EXPECT_EQ(owner.writes, (std::vector<int>{1, 2, 3}));
    owner.writes.clear();
    history.undo();
    EXPECT_EQ(history.undoActionName(), "B");
    EXPECT_EQ(history.redoActionName(), "C");
    history.redo();
    EXPECT_EQ(owner.writes, (std::vector<int>{2, 3}));  // before, then after
    EXPECT_EQ(history.undoDepth(), 3u);
    EXPECT_EQ(history.redoActionName(), std::nullopt);

    history.undo();
    history.execute(owner.change("D", 9));
    EXPECT_FALSE(history.canRedo());
    history.clear();
    EXPECT_FALSE(history.canUndo());
}

TEST(CommandHistory, FullOrLoweredLimitsDropOnlyTheOldestChanges) {
    Owner owner;
    CommandHistory history;
    for (int i = 1; i <= 501; ++i) history.execute(owner.change("Step", i));
    EXPECT_EQ(history.undoDepth(), 500u);
    while (history.canUndo()) history.undo();
    EXPECT_EQ(owner.value, 1);  // the first change is beyond reach

    // A lowered limit trims one oldest change per later execute.
    Owner lowered;
    CommandHistory trimmed;
    for (int i = 1; i <= 5; ++i) trimmed.execute(lowered.change("Step", i));
    trimmed.setLimit(2);
    trimmed.execute(lowered.change("Step", 6));
    trimmed.execute(lowered.change("Step", 7));
    EXPECT_EQ(trimmed.undoDepth(), 5u);
    while (trimmed.canUndo()) trimmed.undo();
    EXPECT_EQ(lowered.value, 2);
}

TEST(CommandHistory, FailuresAreNotRecordedAndKeepTheirPlace) {
    Owner owner;
    CommandHistory history;
    history.execute(owner.change("A", 1));
    history.undo();
    auto refused = std::make_shared<Faulty>();
    refused->failPerform = true;
    EXPECT_THROW(history.execute(refused), std::runtime_error);
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history.redoActionName(), "A");
    // A failing undo or redo keeps its step where it was, to be tried again once it can run.
    auto faulty = std::make_shared<Faulty>();
    for (bool failInUndo : {true, false}) {
        CommandHistory fresh;
        faulty->failPerform = faulty->failUndo = false;
        fresh.execute(faulty);
        if (!failInUndo) fresh.undo();
        (failInUndo ? faulty->failUndo : faulty->failPerform) = true;
        EXPECT_THROW(failInUndo ? fresh.undo() : fresh.redo(), std::runtime_error);
        EXPECT_EQ(fresh.canUndo(), failInUndo);
        EXPECT_EQ(fresh.canRedo(), !failInUndo);
        faulty->failPerform = faulty->failUndo = false;
        failInUndo ? fresh.undo() : fresh.redo();
        EXPECT_EQ(fresh.canUndo(), !failInUndo);
    }
}

}  // namespace
}  // namespace brontile
