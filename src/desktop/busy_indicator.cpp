#include "desktop/busy_indicator.hpp"

#include <cmath>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>

#include "desktop/theme.hpp"

namespace brontile::desktop {
namespace {

constexpr int kBarSteps = 1000;
constexpr int kBarWidth = 120;

}  // namespace

BusyIndicator::BusyIndicator(SessionBridge& bridge, QWidget* parent)
    : QFrame(parent),
      session_(bridge.session()),
      phase_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QToolButton(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    theme::setTextRole(*phase_, theme::TextRole::secondary);
    row->addWidget(phase_);
    bar_->setRange(0, kBarSteps);
    bar_->setTextVisible(false);
    bar_->setFixedWidth(kBarWidth);
    bar_->setMaximumHeight(phase_->sizeHint().height() / 2 + 2);
    row->addWidget(bar_);
    cancel_->setText(QStringLiteral("Cancel"));
    cancel_->setToolTip(QStringLiteral("Stop the operation (Escape)"));
    cancel_->setFocusPolicy(Qt::NoFocus);
    cancel_->setCursor(Qt::PointingHandCursor);
    connect(cancel_, &QToolButton::clicked, this, [this] { session_.operations().cancel(); });
    row->addWidget(cancel_);
    QSizePolicy policy = sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    setSizePolicy(policy);
    hide();

    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, &BusyIndicator::appear);
    connect(&refreshTimer_, &QTimer::timeout, this, &BusyIndicator::refresh);
    connect(&bridge, &SessionBridge::changed, this, [this](SessionProperty property) {
        if (property == SessionProperty::busy) busyChanged();
    });
}

BusyIndicator::~BusyIndicator() { setBusyPointer(false); }

void BusyIndicator::busyChanged() {
    if (session_.operations().isBusy()) {
        if (!isVisible() && !showTimer_.isActive()) showTimer_.start(kShowAfterMs);
        return;
    }
    showTimer_.stop();
    refreshTimer_.stop();
    setBusyPointer(false);
    hide();
}

void BusyIndicator::appear() {
    if (!session_.operations().isBusy()) return;
    refresh();
    show();
    setBusyPointer(true);
    refreshTimer_.start(kRefreshMs);
}

void BusyIndicator::refresh() {
    const OperationRunner& operations = session_.operations();
    phase_->setText(QString::fromStdString(operations.phase().value_or("")) + QStringLiteral("…"));
    bar_->setValue(static_cast<int>(std::lround(operations.fraction() * kBarSteps)));
}

void BusyIndicator::setBusyPointer(bool on) {
    if (on == pointerSet_) return;
    pointerSet_ = on;
    // The arrow with a spinner: the window is working, and still takes clicks.
    if (on) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace brontile::desktop
