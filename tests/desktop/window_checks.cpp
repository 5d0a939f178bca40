#include "window_checks.hpp"

#include <cmath>
#include <sstream>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "desktop/gl_renderer.hpp"
#include "replay/replayer.hpp"

namespace brontile::test {

WindowTest::WindowTest()
    : platform_(std::make_unique<desktop::QtPlatform>()),
      session_(std::make_unique<DocumentSession>(*platform_)),
      window_(std::make_unique<desktop::MainWindow>(*session_, *platform_)),
      dialogs(*window_, *platform_) {
    window_->show();
    // Xvfb has no window manager to make the window active: ask for it, or nothing has focus.
    window_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    settle();
}

WindowTest::~WindowTest() {
    window_.reset();
    session_.reset();
    platform_.reset();
}

void WindowTest::TearDown() {
    if (!HasFailure()) return;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name =
        std::string("failed-") + info->test_suite_name() + "-" + info->name() + ".png";
    window_->grab().save(QString::fromStdString(name));
    std::cerr << "window picture saved as " << std::filesystem::absolute(name) << '\n';
}

QPoint WindowTest::screenOf(const Vec3& world) {
    settle();
    const ViewportState& state = session_->viewport();
    const auto at = state.camera.viewPoint(world, state.viewSize);
    EXPECT_TRUE(at.has_value());
    return at ? QPoint(static_cast<int>(std::lround(at->x)), static_cast<int>(std::lround(at->y)))
              : QPoint();
}

void WindowTest::play(const std::string& steps) {
    std::ostringstream trace;
    std::ostringstream errors;
    EXPECT_EQ(replay::replay(R"({"steps": [)" + steps + "]}", dialogs, trace, errors), 0)
        << errors.str();
    settle();
}

void WindowTest::press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused != nullptr ? focused : &viewport(), key, modifiers);
    settle();
}

void WindowTest::settle() {
    QApplication::processEvents();
    QTest::qWait(40);
    QApplication::processEvents();
}

QAction* WindowTest::menuAction(const std::string& command) {
    for (QAction* action : window_->findChildren<QAction*>()) {
        if (action->data().toString().toStdString() == command) return action;
    }
    return nullptr;
}

void WindowTest::sketchAndExtrudeBox() {
    viewport().setFocus();
    play(R"({"command": "sketch.new"}, {"key": "r"}, {"click": {"world": [-20, -15, 0]}},
        {"click": {"world": [20, 15, 0]}}, {"key": "e"}, {"click": {"world": [5, 5, 0]}},
        {"type": "20"})");
    ASSERT_EQ(session_->document().bodies.size(), 1u);
}

WindowTest::Patch WindowTest::patchAround(const QPoint& at) {
    settle();
    const QImage image = viewport().grabFrame();
    const double ratio = image.devicePixelRatio();
    const auto channel = [](float value) { return static_cast<int>(std::lround(value * 255)); };
    const int clearColour[3] = {channel(desktop::GLRenderer::kClearRed),
                                channel(desktop::GLRenderer::kClearGreen),
                                channel(desktop::GLRenderer::kClearBlue)};
    int low[3] = {255, 255, 255};
    int high[3] = {0, 0, 0};
    int clear = 0;
    int total = 0;
    long level = 0;
    const QPoint centre(static_cast<int>(at.x() * ratio), static_cast<int>(at.y() * ratio));
    for (int y = centre.y() - 4; y <= centre.y() + 4; ++y) {
        for (int x = centre.x() - 4; x <= centre.x() + 4; ++x) {
            if (!image.valid(x, y)) continue;
            const QColor pixel = image.pixelColor(x, y);
            const int channels[3] = {pixel.red(), pixel.green(), pixel.blue()};
            bool isClear = true;
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], channels[c]);
                high[c] = std::max(high[c], channels[c]);
                isClear = isClear && std::abs(channels[c] - clearColour[c]) <= 3;
            }
            ++total;
            clear += isClear;
            level += (channels[0] + channels[1] + channels[2]) / 3;
        }
    }
    return {total == 0 ? 0 : static_cast<double>(clear) / total,
            std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]}),
            total == 0 ? 0 : static_cast<int>(level / total)};
}

}  // namespace brontile::test
