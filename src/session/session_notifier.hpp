// How the parts of a session tell each other and the window what changed: one notice per change
// of a property a view or the scene depends on.
#pragma once

#include <functional>
#include <vector>

namespace brontile {

enum class SessionProperty {
    document,
    selection,
    activeSketchID,
    hud,
    hudEditing,
    statusHint,
    statusMessage,
    errorMessage,
    isDirty,
    fileURL,
    activeToolID,
    showSection,
    historyVersion,
    // Not shown by any panel; the scene draws them.
    hover,
    overlay,
    // A long operation started or ended.
    busy,
};

class SessionNotifier {
public:
    using Observer = std::function<void(SessionProperty)>;

    SessionNotifier() = default;
    SessionNotifier(const SessionNotifier&) = delete;
    SessionNotifier& operator=(const SessionNotifier&) = delete;

    // Observers are told in the order they came, for the notifier's whole life.
    void observe(Observer observer) { observers_.push_back(std::move(observer)); }
    void notify(SessionProperty property) const {
        for (const Observer& observer : observers_) observer(property);
    }

    // Stores a published field and tells the observers.
    template <class T>
    void publish(T& field, T value, SessionProperty property) const {
        field = std::move(value);
        notify(property);
    }

private:
    std::vector<Observer> observers_;
};

}  // namespace brontile
