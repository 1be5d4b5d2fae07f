// Runs a long operation of a window on a worker thread while the window's
// thread keeps the windows alive: it shows the operation's message boxes
// (the worker waits for the answers), keeps the hourglass, shows a progress
// dialog once the work takes a while, and passes a Cancel on to the worker.
#pragma once

#include "platform/prompter.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class QElapsedTimer;
class QTimer;
class QWidget;

namespace dorvik::widgets {

class ProgressDialog;

class OperationRunner : public QObject {
    Q_OBJECT
public:
    // An operation of `window`, made and run on the window's thread.
    explicit OperationRunner(QWidget *window);
    ~OperationRunner() override;

    // Runs `work` on a worker thread and returns when it has ended; an
    // exception it throws is thrown on here. Meanwhile this thread's events
    // are processed (the windows repaint and can be moved), the window takes
    // no keyboard or mouse input (its close box still reaches it), each
    // question `work` asks through the prompter it is given is shown here by
    // messageBox() over the window, modal, in the order asked, while the
    // worker waits for the answer, and once the work has gone on for
    // showDelay() without a question the progress dialog appears. The
    // refresh function is called here at most 20 times a second, before each
    // question and at the end. Not reentrant.
    void run(const std::function<void(platform::Prompter &)> &work);
    bool isRunning() const { return running_; }

    // Asks the work to stop (any thread); stopRequested() turns true.
    void requestStop();
    bool stopRequested() const { return stop_.load(); }

    // Hourglass on (true) or off, callable from the worker: the window's
    // thread sets it. Lifted while a message box is open; while the progress
    // dialog is shown it covers the window only.
    std::function<void(bool)> busyCallback();
    // Runs `f` on the window's thread and waits for it (called from the
    // worker; on the window's thread it simply calls f).
    void callOnWindowThread(const std::function<void()> &f);

    // Brings the dialog up to date with the work; called on the window's
    // thread (see run()).
    void setRefresh(std::function<void(ProgressDialog &)> refresh);
    // The dialog of the run in progress (hidden until it is due); null
    // outside run().
    ProgressDialog *dialog() const { return dialog_; }

    // How long an operation runs before its progress dialog appears, counted
    // again after each message box. Default 500 ms.
    static void setShowDelay(std::chrono::milliseconds delay);
    static std::chrono::milliseconds showDelay();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class WorkerPrompter;
    platform::Answer askHere(const platform::Message &message);
    void tick();
    void refreshNow();
    void setBusy(bool on);
    void updatePointer();

    QPointer<QWidget> window_;
    std::unique_ptr<ProgressDialog> dialog_storage_;
    ProgressDialog *dialog_ = nullptr;
    std::function<void(ProgressDialog &)> refresh_;
    std::unique_ptr<QTimer> ticker_;
    std::unique_ptr<QElapsedTimer> stretch_; // since the start or the last message box
    std::atomic<bool> stop_{false};
    bool running_ = false;
    bool busy_ = false;
    bool boxOpen_ = false;
    bool overrideSet_ = false;
    bool windowPointerSet_ = false;
};

} // namespace dorvik::widgets
