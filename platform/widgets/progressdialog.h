// The window a long operation shows while it works: what it is doing, which
// part of it, a bar, how fast it goes and how long it will take, and a
// Cancel button. It never closes itself; its owner hides it.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace dorvik::widgets {

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    // A dialog modal to `window` (its parent), titled like it until the
    // activity is set, then "<activity> - <window's title>". Its controls
    // are named "Activity", "Detail", "Bar", "Rate" and "Cancel"; the dialog
    // itself "Progress".
    explicit ProgressDialog(QWidget *window);

    // The first line: what is being done ("Splitting report.doc into 7 pieces").
    void setActivity(const QString &text);
    // The second line: which part of it ("Piece 3 of 7"); may be empty.
    void setDetail(const QString &text);
    // The bar: `done` of `total` bytes. A total of 0 shows a full bar.
    void setBytes(qint64 done, qint64 total);
    // The third line: speed and time left; empty while not yet known.
    void setRate(const QString &text);
    // Whether Cancel is offered. Escape and the close box follow it.
    void setCancellable(bool cancellable);
    // True once the user asked to stop.
    bool stopAsked() const { return stopAsked_; }

    // Bar positions: the bar runs from 0 to kBarSteps.
    static constexpr int kBarSteps = 1000;

signals:
    // The user pressed Cancel or Escape, or used the close box, while Cancel
    // was offered. Sent once.
    void stopRequested();

public slots:
    // Escape: asks to stop, keeps the dialog open.
    void reject() override;

protected:
    // The close box: asks to stop, keeps the dialog open.
    void closeEvent(QCloseEvent *event) override;

private:
    void askToStop();

    QLabel *activity_;
    QLabel *detail_;
    QProgressBar *bar_;
    QLabel *rate_;
    QPushButton *cancel_;
    QString owner_; // the window's title
    bool cancellable_ = true;
    bool stopAsked_ = false;
};

} // namespace dorvik::widgets
