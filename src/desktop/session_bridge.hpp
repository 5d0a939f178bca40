// The session's change notices as a Qt signal, so that widgets can listen without outliving
// what they listen to: Qt drops a connection when either side is destroyed, while the session's
// own observers stay for its whole life.
#pragma once

#include <QObject>

#include "session/document_session.hpp"

namespace brontile::desktop {

class SessionBridge final : public QObject {
    Q_OBJECT
public:
    // Listens to `session` for the rest of the session's life; the bridge must be destroyed no
    // later than the session (it is then simply no longer told).
    explicit SessionBridge(DocumentSession& session, QObject* parent = nullptr);
    ~SessionBridge() override;

    [[nodiscard]] DocumentSession& session() const { return session_; }

signals:
    void changed(brontile::SessionProperty property);

private:
    DocumentSession& session_;
    // Shared with the observer installed in the session, which outlives the bridge.
    std::shared_ptr<SessionBridge*> self_;
};

}  // namespace brontile::desktop
