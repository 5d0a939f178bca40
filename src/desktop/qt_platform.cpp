#include "desktop/qt_platform.hpp"

#include <chrono>

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "io/native_package_io.hpp"

namespace brontile::desktop {
namespace {

QString qText(const std::string& text) { return QString::fromStdString(text); }

std::filesystem::path pathFrom(const QString& text) {
    return std::filesystem::path(text.toStdString());
}

bool isPackage(const QString& path, const std::string& extension) {
    return !extension.empty() &&
           QFileInfo(path).suffix().compare(qText(extension), Qt::CaseInsensitive) == 0 &&
           QFileInfo(path).isDir();
}

// Qt's own file dialog, in which a document package (a folder) is picked as one item: entering
// it (a double click) or confirming with it selected chooses it instead of browsing into it.
class PackageFileDialog final : public QFileDialog {
public:
    PackageFileDialog(QWidget* parent, const QString& caption, std::string packageExtension)
        : QFileDialog(parent, caption), packageExtension_(std::move(packageExtension)) {
        setOption(QFileDialog::DontUseNativeDialog);
        connect(this, &QFileDialog::directoryEntered, this, [this](const QString& directory) {
            if (isPackage(directory, packageExtension_)) choose(directory);
        });
    }

    // The package chosen, when one was.
    [[nodiscard]] const std::optional<QString>& package() const { return package_; }

    void accept() override {
        const QStringList selected = selectedFiles();
        if (selected.size() == 1 && isPackage(selected.front(), packageExtension_)) {
            return choose(selected.front());
        }
        QFileDialog::accept();
    }

private:
    void choose(const QString& package) {
        package_ = package;
        done(QDialog::Accepted);
    }

    std::string packageExtension_;
    std::optional<QString> package_;
};

}  // namespace

// A repeating tick driven by a QTimer, and also by the platform when a script moves its clock.
struct QtPlatform::Timer {
    Timer(double every, double start, std::function<void()> action)
        : interval(every), lastFired(start), tick(std::move(action)) {}

    double interval;
    double lastFired;
    std::function<void()> tick;
    QTimer timer;

    void fire(double now) {
        lastFired = now;
        tick();
    }
};

namespace {

class TimerOwner final : public TimerHandle {
public:
    explicit TimerOwner(std::shared_ptr<void> timer) : timer_(std::move(timer)) {}

private:
    std::shared_ptr<void> timer_;
};

}  // namespace

void QtPlatform::advance(double seconds) {
    if (!(seconds > 0)) return;
    offset_ += seconds;
    const double now = monotonicSeconds();
    for (const std::weak_ptr<Timer>& weak : timers_) {
        // A tick may end a timer, so each is looked up again.
        while (const auto timer = weak.lock()) {
            if (timer->lastFired + timer->interval > now) break;
            timer->fire(timer->lastFired + timer->interval);
        }
    }
}

double monotonicSeconds() {
    using Seconds = std::chrono::duration<double>;
    return std::chrono::duration_cast<Seconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::vector<QtPlatform::Request> QtPlatform::takeRequests() { return std::exchange(requests_, {}); }

void QtPlatform::run(QDialog& dialog, const Request& request) {
    requests_.push_back(request);
    if (dialogHook_) dialogHook_(dialog, request);
    dialog.exec();
}

// A plain file of the given kinds, as Import asks for.
std::optional<std::filesystem::path> QtPlatform::openFilePanel(const OpenPanelRequest& request) {
    QFileDialog dialog(window_, qText(request.message));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, qText(request.confirmButton));
    // Both spellings: the file system's name filters tell letter case apart.
    QStringList patterns;
    for (const std::string& extension : request.fileExtensions) {
        patterns << "*." + qText(extension) << "*." + qText(extension).toUpper();
    }
    dialog.setNameFilters(
        {QStringLiteral("Parts (%1)").arg(patterns.join(' ')), QStringLiteral("All files (*)")});
    run(dialog, request);
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return pathFrom(dialog.selectedFiles().front());
}

std::optional<std::filesystem::path> QtPlatform::openPanel(const OpenPanelRequest& request) {
    if (!request.fileExtensions.empty()) return openFilePanel(request);
    PackageFileDialog dialog(window_, qText(request.message), request.packageExtension);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, qText(request.confirmButton));
    dialog.setNameFilters(
        {QStringLiteral("Brontile documents (*.%1)").arg(qText(request.packageExtension)),
         QStringLiteral("All files (*)")});
    run(dialog, request);
    if (const auto& package = dialog.package()) return pathFrom(*package);
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return pathFrom(dialog.selectedFiles().front());
}

std::optional<std::filesystem::path> QtPlatform::savePanel(const SavePanelRequest& request) {
    // A document is saved as a package, which is picked as one item; whether to replace one
    // that is there is the session's question, asked through alert() like every other.
    const bool document = !request.requiredExtension;
    PackageFileDialog dialog(window_, request.message ? qText(*request.message) : QString(),
                             document ? std::string(NativePackageIO::packageExtension) : "");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (document) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (request.requiredExtension) {
        const QString extension = qText(*request.requiredExtension);
        // STEP and IGES files are as often named with their three-letter spellings.
        QString patterns = "*." + extension;
        if (extension == "step") patterns += " *.stp";
        if (extension == "iges") patterns += " *.igs";
        dialog.setNameFilter(QStringLiteral("%1 files (%2)").arg(extension.toUpper(), patterns));
        dialog.setDefaultSuffix(extension);
    }
    dialog.selectFile(qText(request.proposedName));
    run(dialog, request);
    if (const auto& package = dialog.package()) return pathFrom(*package);
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return pathFrom(dialog.selectedFiles().front());
}

std::optional<std::size_t> QtPlatform::alert(const AlertRequest& request) {
    QMessageBox box(window_);
    box.setIcon(QMessageBox::Warning);
    box.setText(qText(request.message));
    if (request.informative) box.setInformativeText(qText(*request.informative));
    std::vector<QPushButton*> buttons;
    for (const std::string& title : request.buttons) {
        const bool cancels = title == "Cancel";
        QPushButton* button = box.addButton(
            qText(title), cancels ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        buttons.push_back(button);
        if (cancels) box.setEscapeButton(button);
    }
    if (!buttons.empty()) box.setDefaultButton(buttons.front());
    run(box, request);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return i;
    }
    return std::nullopt;
}

void QtPlatform::showPanel(WindowPanel panel) {
    if (panelHandler_) panelHandler_(panel);
}

DateTime QtPlatform::now() const {
    if (!dateStart_)
        return currentDateTime() + std::chrono::duration_cast<std::chrono::microseconds>(
                                       std::chrono::duration<double>(offset_));
    const double elapsed = monotonicSeconds() - started_;
    return *dateStart_ + std::chrono::duration_cast<std::chrono::microseconds>(
                             std::chrono::duration<double>(elapsed));
}

double QtPlatform::monotonicSeconds() const { return desktop::monotonicSeconds() + offset_; }

std::unique_ptr<TimerHandle> QtPlatform::repeat(double interval, std::function<void()> tick) {
    auto timer = std::make_shared<Timer>(interval, monotonicSeconds(), std::move(tick));
    timer->timer.setInterval(static_cast<int>(interval * 1000));
    QObject::connect(&timer->timer, &QTimer::timeout,
                     [raw = timer.get(), this] { raw->fire(monotonicSeconds()); });
    timer->timer.start();
    std::erase_if(timers_, [](const std::weak_ptr<Timer>& weak) { return weak.expired(); });
    timers_.push_back(timer);
    return std::make_unique<TimerOwner>(std::move(timer));
}

void QtPlatform::runInBackground(std::function<void()> work, std::function<void()> done) {
    std::erase_if(workers_, [](const Worker& worker) { return worker.ended->load(); });
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::jthread thread(
        [work = std::move(work), done = std::move(done), ended, receiver = receiver_.get()] {
            work();
            QMetaObject::invokeMethod(receiver, done, Qt::QueuedConnection);
            ended->store(true);
        });
    workers_.push_back({std::move(ended), std::move(thread)});
}

void QtPlatform::waitForBackground() { workers_.clear(); }

}  // namespace brontile::desktop
