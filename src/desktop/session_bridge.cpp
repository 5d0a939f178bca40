#include "desktop/session_bridge.hpp"

namespace brontile::desktop {

SessionBridge::SessionBridge(DocumentSession& session, QObject* parent)
    : QObject(parent), session_(session), self_(std::make_shared<SessionBridge*>(this)) {
    session.observe([weak = std::weak_ptr<SessionBridge*>(self_)](SessionProperty property) {
        if (const auto self = weak.lock(); self && *self) emit(*self)->changed(property);
    });
}

SessionBridge::~SessionBridge() { *self_ = nullptr; }

}  // namespace brontile::desktop
