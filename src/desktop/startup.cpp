#include "desktop/startup.hpp"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QTimer>

#include "desktop/key_mapping.hpp"
#include "desktop/main_window.hpp"
#include "desktop/qt_platform.hpp"
#include "desktop/theme.hpp"
#include "desktop/window_replay.hpp"
#include "io/recovery_store.hpp"
#include "replay/headless_target.hpp"
#include "replay/replayer.hpp"

namespace brontile::desktop {
namespace {

constexpr std::string_view kUsage =
    "usage: brontile [FILE.brontdoc]\n"
    "       brontile --replay SCRIPT.json [--trace OUT.jsonl] [--screenshot OUT.png]\n"
    "\n"
    "Opens the Brontile modeller, with the document package FILE.brontdoc if one is given.\n"
    "\n"
    "  --replay SCRIPT.json   play a script of user actions (the format of brontile-cli replay)\n"
    "                         against the window, then quit\n"
    "  --trace OUT.jsonl      write the replay's trace lines to OUT.jsonl instead of stdout\n"
    "  --screenshot OUT.png   save a picture of the window after the script's last step\n"
    "  --recover FOLDER       open the unsaved work kept in FOLDER of the recovery store\n"
    "  --help                 show this text\n";

constexpr std::string_view kNoDisplay =
    "brontile: there is no display to open a window on (neither DISPLAY nor WAYLAND_DISPLAY is "
    "set).\n"
    "Brontile is a desktop program: start it from a graphical session. On a machine without a "
    "screen, give it a virtual one:\n"
    "    scripts/with-display scripts/run [FILE.brontdoc]   (from a Brontile checkout)\n"
    "    xvfb-run -a -s '-screen 0 1600x1000x24' brontile [FILE.brontdoc]\n"
    "For work without a window, use brontile-cli.\n";

struct Arguments {
    std::optional<std::filesystem::path> document;
    std::optional<std::filesystem::path> replay;
    std::optional<std::filesystem::path> trace;
    std::optional<std::filesystem::path> screenshot;
    // A folder of the recovery store to open, for a copy the first window handed on.
    std::optional<std::filesystem::path> recover;
    bool help = false;
};

// Nothing, after saying why, for arguments the program does not take.
std::optional<Arguments> parseArguments(int argc, char** argv) {
    Arguments parsed;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const auto value = [&](std::optional<std::filesystem::path>& into) {
            if (i + 1 >= argc) {
                std::cerr << "brontile: " << argument << " needs a file name\n";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
        } else if (argument == "--replay") {
            if (!value(parsed.replay)) return std::nullopt;
        } else if (argument == "--trace") {
            if (!value(parsed.trace)) return std::nullopt;
        } else if (argument == "--screenshot") {
            if (!value(parsed.screenshot)) return std::nullopt;
        } else if (argument == "--recover") {
            if (!value(parsed.recover)) return std::nullopt;
        } else if (argument.starts_with("-")) {
            std::cerr << "brontile: unknown option " << argument << "\n\n" << kUsage;
            return std::nullopt;
        } else if (parsed.document) {
            std::cerr << "brontile: opens one document at a time\n\n" << kUsage;
            return std::nullopt;
        } else {
            parsed.document = std::filesystem::path(argument);
        }
    }
    if ((parsed.trace || parsed.screenshot) && !parsed.replay) {
        std::cerr << "brontile: --trace and --screenshot go with --replay\n";
        return std::nullopt;
    }
    if (parsed.recover && (parsed.replay || parsed.document)) {
        std::cerr << "brontile: --recover opens one recovered document on its own\n";
        return std::nullopt;
    }
    if (parsed.replay && parsed.document) {
        std::cerr << "brontile: a replay starts from an empty document; open one in the script\n";
        return std::nullopt;
    }
    return parsed;
}

// Unsaved work is copied where a crash cannot take it; a replay's only where it is told to.
void useRecoveryStore(DocumentSession& session, bool replaying) {
    if (replaying) return replay::useRecoveryStoreIfAsked(session);
    if (const auto root = RecoveryStore::defaultRoot(std::getenv)) {
        session.files().recovery().useStore(RecoveryStore(*root));
    }
}

// Asks once about what a crash left; the copies beyond the one this window opens each get a
// window of their own, as a program of one document per window must.
void offerRecovery(DocumentSession& session) {
    for (const RecoveryEntry& other : session.files().offerRecovery()) {
        QProcess::startDetached(
            QCoreApplication::applicationFilePath(),
            {QStringLiteral("--recover"), QString::fromStdString(other.folder.string())});
    }
}

bool hasDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    // A platform chosen by hand (offscreen, a test's) knows what it needs.
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// Qt ends the process when its window system cannot be reached (a display that went away);
// say so in plain words instead of an abort and a core file.
QtMessageHandler previousHandler = nullptr;

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs("brontile: the window system could not be used: ", stderr);
        std::fputs(message.toLocal8Bit().constData(), stderr);
        std::fputs("\n", stderr);
        std::fputs(kNoDisplay.data(), stderr);
        std::_Exit(1);
    }
    if (previousHandler != nullptr) previousHandler(type, context, message);
}

// The application's icon, drawn so that it needs no image files at run time.
QIcon applicationIcon() {
    QPixmap pixmap(256, 256);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x20, 0x23, 0x2a));
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 52, 52);
    const auto face = [&](std::initializer_list<QPointF> corners, QColor color) {
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(corners)));
        path.closeSubpath();
        painter.fillPath(path, color);
    };
    face({{128, 44}, {204, 88}, {128, 132}, {52, 88}}, QColor(0x6a, 0xa3, 0xf5));
    face({{52, 88}, {128, 132}, {128, 216}, {52, 172}}, QColor(0x2f, 0x6f, 0xd6));
    face({{128, 132}, {204, 88}, {204, 172}, {128, 216}}, QColor(0x1f, 0x4f, 0x9e));
    return QIcon(pixmap);
}

}  // namespace

void keepGraphicsDriverForLeakReports() {
#if defined(__SANITIZE_ADDRESS__)
    for (const char* library :
         {"libGLX_mesa.so.0", "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so"}) {
        dlopen(library, RTLD_NOW | RTLD_NODELETE | RTLD_GLOBAL);
    }
#endif
}

int runDesktop(int argc, char** argv) {
    const auto arguments = parseArguments(argc, argv);
    if (!arguments) return replay::kBadScript;
    if (arguments->help) {
        std::cout << kUsage;
        return 0;
    }
    if (!hasDisplay()) {
        std::cerr << kNoDisplay;
        return 1;
    }
    keepGraphicsDriverForLeakReports();
    previousHandler = qInstallMessageHandler(messageHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Brontile");
    QApplication::setApplicationDisplayName("Brontile");
    QApplication::setDesktopFileName("brontile");
    QApplication::setWindowIcon(applicationIcon());
    applyTheme(app);

    // A replay names everything and dates its files as brontile-cli does.
    std::optional<ScopedUuidSeed> seed;
    if (arguments->replay) seed.emplace(replay::kReplaySeed);
    QtPlatform platform;
    if (arguments->replay) platform.startClockAt(replay::kReplayStart);
    DocumentSession session(platform);
    useRecoveryStore(session, arguments->replay.has_value());
    if (const auto& problem = session.keymapProblem()) {
        std::cerr << "brontile: " << platformText(*problem).toStdString() << '\n';
    }
    MainWindow window(session, platform);
    window.show();
    // Without a window manager (a virtual display) nothing would make the window active, and
    // an inactive window gives no widget the keyboard.
    window.activateWindow();

    if (arguments->document) {
        QTimer::singleShot(0, &window, [&session, path = *arguments->document] {
            session.files().openDocumentAt(path);
        });
    }
    if (arguments->recover) {
        QTimer::singleShot(0, &window, [&session, folder = *arguments->recover] {
            static_cast<void>(session.files().recover(folder));
        });
    } else if (!arguments->replay) {
        QTimer::singleShot(0, &window, [&session] { offerRecovery(session); });
    }
    if (arguments->replay) {
        QTimer::singleShot(0, &window, [&] {
            const int code = replayInWindow(window, platform, *arguments->replay, arguments->trace,
                                            arguments->screenshot);
            QApplication::exit(code);
        });
    }
    return QApplication::exec();
}

}  // namespace brontile::desktop
