#include "window_checks.hpp"

#include <cmath>

#include <QAction>
#include <QApplication>
#include <QTest>

#include "desktop/gl_renderer.hpp"

namespace brontile::test {

WindowTest::WindowTest()
    : scratch(std::filesystem::temp_directory_path() /
              ("brontile-window-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())),
      platform_(std::make_unique<desktop::QtPlatform>()),
      session_(std::make_unique<DocumentSession>(*platform_)),
      window_(std::make_unique<desktop::MainWindow>(*session_, *platform_)),
      dialogs(*window_, *platform_) {
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch);
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
    std::filesystem::remove_all(scratch);
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

void WindowTest::hover(const Vec3& world) {
    QTest::mouseMove(&viewport(), screenOf(world));
    settle();
}

void WindowTest::click(const Vec3& world, Qt::KeyboardModifiers modifiers) {
    const QPoint at = screenOf(world);
    QTest::mouseMove(&viewport(), at);
    QTest::mouseClick(&viewport(), Qt::LeftButton, modifiers, at);
    settle();
}

void WindowTest::press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focused = QApplication::focusWidget();
    QTest::keyClick(focused != nullptr ? focused : &viewport(), key, modifiers);
    settle();
}

void WindowTest::typeText(const QString& text) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClicks(focused, text);
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
    menuAction("sketch.new")->trigger();
    settle();
    press(Qt::Key_R);
    click({-20, -15, 0});
    click({20, 15, 0});
    ASSERT_EQ(session_->document().sketches.size(), 1u);
    press(Qt::Key_E);
    click({5, 5, 0});
    press(Qt::Key_Tab);
    ASSERT_TRUE(session_->hudEditing());
    QWidget* field = QApplication::focusWidget();
    ASSERT_NE(field, nullptr);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    typeText("20");
    press(Qt::Key_Return);
    ASSERT_EQ(session_->document().bodies.size(), 1u);
}

QImage WindowTest::frame() {
    settle();
    return viewport().grabFrame();
}

double WindowTest::clearShareAround(const Vec3& world) { return clearShareAround(screenOf(world)); }

int WindowTest::colourSpreadAround(const Vec3& world) {
    const QImage image = frame();
    const QPoint at = screenOf(world);
    int low[3] = {255, 255, 255};
    int high[3] = {0, 0, 0};
    for (int y = at.y() - 4; y <= at.y() + 4; ++y) {
        for (int x = at.x() - 4; x <= at.x() + 4; ++x) {
            if (!image.valid(x, y)) continue;
            const QColor pixel = image.pixelColor(x, y);
            const int channels[3] = {pixel.red(), pixel.green(), pixel.blue()};
            for (int c = 0; c < 3; ++c) {
                low[c] = std::min(low[c], channels[c]);
                high[c] = std::max(high[c], channels[c]);
            }
        }
    }
    return std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
}

double WindowTest::clearShareAround(const QPoint& at) {
    const QImage image = frame();
    const double ratio = image.devicePixelRatio();
    const int cx = static_cast<int>(at.x() * ratio);
    const int cy = static_cast<int>(at.y() * ratio);
    const auto channel = [](float value) { return static_cast<int>(std::lround(value * 255)); };
    int clear = 0;
    int total = 0;
    for (int y = cy - 4; y <= cy + 4; ++y) {
        for (int x = cx - 4; x <= cx + 4; ++x) {
            if (!image.valid(x, y)) continue;
            const QColor pixel = image.pixelColor(x, y);
            ++total;
            clear += std::abs(pixel.red() - channel(desktop::GLRenderer::kClearRed)) <= 3 &&
                     std::abs(pixel.green() - channel(desktop::GLRenderer::kClearGreen)) <= 3 &&
                     std::abs(pixel.blue() - channel(desktop::GLRenderer::kClearBlue)) <= 3;
        }
    }
    return total == 0 ? 0 : static_cast<double>(clear) / total;
}

}  // namespace brontile::test
