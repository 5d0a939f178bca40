// Reversible changes as the undo history sees them, and the one kind the program uses: swapping
// whole before/after snapshots of a value back into its owner.
#pragma once

#include <functional>
#include <string>
#include <utility>

namespace brontile {

class UndoableCommand {
public:
    virtual ~UndoableCommand() = default;

    // The label of the change as the user reads it ("Extrude"); the caller adds "Undo "/"Redo ".
    [[nodiscard]] virtual std::string name() const = 0;
    // Does, or redoes, the change. May throw; the history passes the exception on unchanged.
    virtual void perform() = 0;
    // Reverses the change. May throw, like perform().
    virtual void undo() = 0;

protected:
    UndoableCommand() = default;
    UndoableCommand(const UndoableCommand&) = default;
    UndoableCommand& operator=(const UndoableCommand&) = default;
};

// Undo and redo write a stored snapshot back through `apply`. The command keeps whatever `apply`
// captures alive, so owners that must not be kept alive by their history capture a weak_ptr.
template <class S>
class SnapshotCommand final : public UndoableCommand {
public:
    SnapshotCommand(std::string name, S before, S after, std::function<void(const S&)> apply)
        : name_(std::move(name)),
          before_(std::move(before)),
          after_(std::move(after)),
          apply_(std::move(apply)) {}

    [[nodiscard]] std::string name() const override { return name_; }
    // Writes `after`. An empty `apply` makes both directions do nothing rather than throw.
    void perform() override {
        if (apply_) apply_(after_);
    }
    // Writes `before`.
    void undo() override {
        if (apply_) apply_(before_);
    }

    [[nodiscard]] const S& before() const { return before_; }
    [[nodiscard]] const S& after() const { return after_; }

private:
    std::string name_;
    S before_;
    S after_;
    std::function<void(const S&)> apply_;
};

}  // namespace brontile
