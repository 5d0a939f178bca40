#include "desktop/window_replay.hpp"

#include <fstream>
#include <iostream>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPushButton>
#include <QTimer>

#include "base/overloaded.hpp"
#include "desktop/command_palette.hpp"
#include "desktop/hud_panel.hpp"
#include "desktop/key_mapping.hpp"
#include "desktop/shortcut_sheet.hpp"
#include "desktop/viewport_widget.hpp"
#include "replay/replayer.hpp"

namespace brontile::desktop {
namespace {

constexpr int kFrameWaitMs = 1000;
constexpr int kBusyWaitMs = 20;
constexpr double kMinimumPinchFactor = 0.25;

QPointF qPoint(const Vec2& at) { return {at.x, at.y}; }

void sendMouse(QWidget& widget, QEvent::Type type, const QPointF& at, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(&widget, &event);
}

// A key as a keyboard gives it: first offered to the focused widget as a shortcut override,
// then to the window's shortcuts, then pressed and released on the widget.
void sendKey(QWidget& window, QWidget& target, int key, Qt::KeyboardModifiers modifiers,
             const QString& text) {
    QKeyEvent override(QEvent::ShortcutOverride, key, modifiers, text);
    override.ignore();
    QApplication::sendEvent(&target, &override);
    if (!override.isAccepted()) {
        const QKeySequence sequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
        for (QAction* action : window.findChildren<QAction*>()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() &&
                action->shortcut() == sequence) {
                action->trigger();
                return;
            }
        }
    }
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&target, &release);
}

}  // namespace

WindowReplayTarget::WindowReplayTarget(MainWindow& window, QtPlatform& platform)
    : window_(window), platform_(platform), clockStart_(platform.monotonicSeconds()) {
    platform_.setDialogHook(
        [this](QDialog& dialog, const Request& request) { answer(dialog, request); });
}

void WindowReplayTarget::setViewportSize(double width, double height) {
    QWidget& viewport = window_.viewport();
    const QSize extra = window_.size() - viewport.size();
    window_.resize(static_cast<int>(width) + extra.width(),
                   static_cast<int>(height) + extra.height());
    settle();
}

void WindowReplayTarget::pointer(PointerPhase phase, const Vec2& at, ModifierSet modifiers,
                                 int clicks) {
    QWidget& viewport = window_.viewport();
    const Qt::KeyboardModifiers mods = qtModifiers(modifiers);
    switch (phase) {
        case PointerPhase::move:
        case PointerPhase::drag:
            sendMouse(viewport, QEvent::MouseMove, qPoint(at), Qt::NoButton,
                      leftHeld_ ? Qt::LeftButton : Qt::NoButton, mods);
            return;
        case PointerPhase::down:
            leftHeld_ = true;
            sendMouse(viewport,
                      clicks >= 2 ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
                      qPoint(at), Qt::LeftButton, Qt::LeftButton, mods);
            return;
        case PointerPhase::up:
            leftHeld_ = false;
            sendMouse(viewport, QEvent::MouseButtonRelease, qPoint(at), Qt::LeftButton,
                      Qt::NoButton, mods);
            return;
    }
}

void WindowReplayTarget::key(const KeyPress& press) {
    QWidget* focused = QApplication::focusWidget();
    QWidget& target = focused != nullptr && focused->window() == &window_
                          ? *focused
                          : static_cast<QWidget&>(window_.viewport());
    const QtKeyStroke stroke = qtKeyStroke(press);
    if (stroke.key == 0) return;
    sendKey(window_, target, stroke.key, stroke.modifiers, stroke.text);
}

void WindowReplayTarget::type(const std::string& text) {
    // Tab opens the field; a field still open from a refused value takes the text again.
    if (!session().hudEditing()) {
        key(KeyPress{"tab", {}});
        settle();
    }
    if (!session().hudEditing()) return;
    QLineEdit* field = window_.hud().field();
    if (field == nullptr) return;
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    for (const QChar character : QString::fromStdString(text)) {
        sendKey(window_, *field, 0, Qt::NoModifier, QString(character));
    }
    sendKey(window_, *field, Qt::Key_Return, Qt::NoModifier, "\r");
}

void WindowReplayTarget::command(const CommandID& id) {
    const QString raw = QString::fromStdString(id.rawValue);
    for (QAction* action : window_.findChildren<QAction*>()) {
        if (action->data().toString() == raw) {
            action->trigger();
            return;
        }
    }
    // Commands no menu lists (Escape's cancel, the HUD's edit) go straight to the session.
    session().dispatch(id);
}

void WindowReplayTarget::cameraDrag(Qt::MouseButton button, double deltaX, double deltaY) {
    QWidget& viewport = window_.viewport();
    const QPointF from(viewport.width() / 2.0, viewport.height() / 2.0);
    const QPointF to = from + QPointF(deltaX, deltaY);
    sendMouse(viewport, QEvent::MouseButtonPress, from, button, button, Qt::NoModifier);
    sendMouse(viewport, QEvent::MouseMove, to, Qt::NoButton, button, Qt::NoModifier);
    sendMouse(viewport, QEvent::MouseButtonRelease, to, button, Qt::NoButton, Qt::NoModifier);
}

void WindowReplayTarget::moveCamera(const CameraMotion& motion) {
    std::visit(Overloaded{
                   [&](const OrbitMotion& m) { cameraDrag(Qt::RightButton, m.deltaX, m.deltaY); },
                   [&](const PanMotion& m) { cameraDrag(Qt::MiddleButton, m.deltaX, m.deltaY); },
                   [&](const ZoomMotion& m) { zoom(m.factor, m.at); },
               },
               motion);
}

replay::PanelsShown WindowReplayTarget::panelsShown() const {
    return {window_.palette().isOpen(), window_.shortcutSheet().isOpen()};
}

void WindowReplayTarget::zoom(double factor, const Vec2& at) {
    // A pinch carries the factor exactly; below the pinch's own floor the viewport's input is
    // given the zoom directly.
    if (factor < kMinimumPinchFactor) return session().input().moveCamera(ZoomMotion{factor, at});
    QWidget& viewport = window_.viewport();
    QNativeGestureEvent event(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2,
                              qPoint(at), qPoint(at), viewport.mapToGlobal(qPoint(at)), 1 - factor,
                              QPointF());
    QApplication::sendEvent(&viewport, &event);
}

double WindowReplayTarget::clock() const { return platform_.monotonicSeconds() - clockStart_; }

void WindowReplayTarget::advanceClock(double seconds) { platform_.advance(seconds); }

void WindowReplayTarget::answer(QDialog& dialog, const Request& request) {
    // The answer is given once the dialog runs, from inside its own event loop.
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        const std::optional<std::string> button = answers_.takeAlert();
        QTimer::singleShot(0, box, [this, box, button] {
            if (button) {
                for (QAbstractButton* candidate : box->buttons()) {
                    if (candidate->text().toStdString() == *button) return candidate->click();
                }
                answers_.noteUnmatched(*button);
            }
            box->done(-1);
        });
        return;
    }
    auto* files = qobject_cast<QFileDialog*>(&dialog);
    if (files == nullptr) return;
    const std::optional<std::filesystem::path> location =
        std::holds_alternative<OpenPanelRequest>(request) ? answers_.takeOpenPanel()
                                                          : answers_.takeSavePanel();
    // Choosing is done as a person's confirmed choice would end the dialog; the dialog's own
    // checks (browsing into folders, asking to overwrite) are the person's to answer, not a
    // script's.
    QTimer::singleShot(0, files, [files, location] {
        if (!location) return static_cast<QDialog*>(files)->done(QDialog::Rejected);
        files->selectFile(QString::fromStdString(std::filesystem::absolute(*location).string()));
        static_cast<QDialog*>(files)->done(QDialog::Accepted);
    });
}

void WindowReplayTarget::settle() {
    QApplication::processEvents();
    // A step's trace line shows where its operation ended, not how far the worker had got.
    while (session().operations().isBusy()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, kBusyWaitMs);
    }
    ViewportWidget& viewport = window_.viewport();
    if (viewport.isDrawing() && viewport.isVisible()) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&viewport, &ViewportWidget::frameDrawn, &loop, &QEventLoop::quit);
        timeout.start(kFrameWaitMs);
        viewport.update();
        loop.exec();
    }
    QApplication::processEvents();
}

int replayInWindow(MainWindow& window, QtPlatform& platform, const std::filesystem::path& script,
                   const std::optional<std::filesystem::path>& tracePath,
                   const std::optional<std::filesystem::path>& screenshotPath) {
    const auto text = replay::readScript(script, std::cerr);
    if (!text) return replay::kBadScript;
    std::ofstream traceFile;
    if (tracePath) {
        traceFile.open(*tracePath, std::ios::binary | std::ios::trunc);
        if (!traceFile) {
            std::cerr << "brontile: cannot write the trace to " << *tracePath << '\n';
            return replay::kFailed;
        }
    }
    std::ostream& out = tracePath ? static_cast<std::ostream&>(traceFile) : std::cout;
    WindowReplayTarget target(window, platform);
    target.settle();
    int result = replay::replay(*text, target, out, std::cerr);
    target.settle();
    if (screenshotPath) {
        const QString path = QString::fromStdString(screenshotPath->string());
        if (!window.grab().save(path, "PNG")) {
            std::cerr << "brontile: cannot save the screenshot to " << *screenshotPath << '\n';
            if (result == replay::kReplayed) result = replay::kFailed;
        }
    }
    platform.setDialogHook(nullptr);
    return result;
}

}  // namespace brontile::desktop
