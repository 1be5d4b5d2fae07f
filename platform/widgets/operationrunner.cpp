#include "platform/widgets/operationrunner.h"

#include "platform/widgets/messagebox.h"
#include "platform/widgets/progressdialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>

namespace dorvik::widgets {

namespace {

std::atomic<std::int64_t> showDelayMs{500};

// How often the dialog is brought up to date: 20 times a second.
constexpr int kRefreshMs = 50;

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter: // a file dropped on the window would change its fields
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

// The prompter the work is given: each question goes to the window's thread
// and the worker waits there for the answer.
class OperationRunner::WorkerPrompter : public platform::Prompter {
public:
    explicit WorkerPrompter(OperationRunner &runner) : runner_(runner) {}
    platform::Answer ask(const platform::Message &message) override {
        platform::Answer answer = platform::Answer::Cancel;
        runner_.callOnWindowThread([&] { answer = runner_.askHere(message); });
        return answer;
    }

private:
    OperationRunner &runner_;
};

OperationRunner::OperationRunner(QWidget *window)
    : window_(window), ticker_(std::make_unique<QTimer>()),
      stretch_(std::make_unique<QElapsedTimer>()) {
    ticker_->setInterval(kRefreshMs);
    connect(ticker_.get(), &QTimer::timeout, this, &OperationRunner::tick);
}

OperationRunner::~OperationRunner() {
    busy_ = false;
    boxOpen_ = false;
    dialog_ = nullptr;
    updatePointer();
}

void OperationRunner::setShowDelay(std::chrono::milliseconds delay) {
    showDelayMs.store(delay.count());
}

std::chrono::milliseconds OperationRunner::showDelay() {
    return std::chrono::milliseconds(showDelayMs.load());
}

void OperationRunner::requestStop() {
    stop_.store(true);
}

void OperationRunner::setRefresh(std::function<void(ProgressDialog &)> refresh) {
    refresh_ = std::move(refresh);
}

std::function<void(bool)> OperationRunner::busyCallback() {
    return [this](bool on) { callOnWindowThread([this, on] { setBusy(on); }); };
}

void OperationRunner::callOnWindowThread(const std::function<void()> &f) {
    if (QThread::currentThread() == thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(
        this, [&f] { f(); }, Qt::BlockingQueuedConnection);
}

void OperationRunner::run(const std::function<void(platform::Prompter &)> &work) {
    running_ = true;
    stop_.store(false);
    dialog_storage_ = std::make_unique<ProgressDialog>(window_);
    dialog_ = dialog_storage_.get();
    connect(dialog_, &ProgressDialog::stopRequested, this, &OperationRunner::requestStop);
    qApp->installEventFilter(this);
    stretch_->start();
    ticker_->start();

    bool finished = false;
    std::exception_ptr failure;
    QEventLoop loop;
    WorkerPrompter prompter(*this);
    std::thread worker([&] {
        try {
            work(prompter);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this,
            [&] {
                finished = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    loop.exec();
    // Should the loop have been left early (the application asked to
    // quit), the worker still has to be served until it is done.
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worker.join();

    ticker_->stop();
    refreshNow();
    qApp->removeEventFilter(this);
    busy_ = false;
    dialog_->hide();
    updatePointer();
    dialog_ = nullptr;
    dialog_storage_.reset();
    running_ = false;
    if (failure)
        std::rethrow_exception(failure);
}

bool OperationRunner::eventFilter(QObject *watched, QEvent *event) {
    if (running_ && window_ && isUserInput(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == window_)
        return true;
    return QObject::eventFilter(watched, event);
}

platform::Answer OperationRunner::askHere(const platform::Message &message) {
    refreshNow();
    boxOpen_ = true;
    if (dialog_)
        dialog_->hide();
    updatePointer();
    const platform::Answer answer = messageBox(window_, message);
    boxOpen_ = false;
    stretch_->restart();
    updatePointer();
    return answer;
}

void OperationRunner::tick() {
    refreshNow();
    if (dialog_ && !boxOpen_ && !dialog_->isVisible() &&
        stretch_->elapsed() >= showDelayMs.load()) {
        dialog_->show();
        dialog_->raise();
        updatePointer();
    }
}

void OperationRunner::refreshNow() {
    if (refresh_ && dialog_)
        refresh_(*dialog_);
}

void OperationRunner::setBusy(bool on) {
    busy_ = on;
    updatePointer();
}

void OperationRunner::updatePointer() {
    // The hourglass covers the whole program until the dialog is up; then,
    // as a progress dialog does it, the window alone, so that the dialog's
    // Cancel is pointed at with the ordinary pointer.
    const bool shown = dialog_ && dialog_->isVisible();
    const bool wantOverride = busy_ && !boxOpen_ && !shown;
    const bool wantWindow = busy_ && !boxOpen_ && shown;
    if (wantOverride != overrideSet_) {
        if (wantOverride)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
        overrideSet_ = wantOverride;
    }
    if (wantWindow != windowPointerSet_ && window_) {
        if (wantWindow)
            window_->setCursor(Qt::WaitCursor);
        else
            window_->unsetCursor();
        windowPointerSet_ = wantWindow;
    }
}

} // namespace dorvik::widgets
