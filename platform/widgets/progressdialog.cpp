#include "platform/widgets/progressdialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace dorvik::widgets {

namespace {

QLabel *line(QWidget *parent, const char *name) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

ProgressDialog::ProgressDialog(QWidget *window) : QDialog(window) {
    setObjectName(QStringLiteral("Progress"));
    owner_ = window ? window->windowTitle() : QString();
    setWindowTitle(owner_);
    setWindowModality(Qt::WindowModal);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setMinimumWidth(380);

    activity_ = line(this, "Activity");
    detail_ = line(this, "Detail");
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("Bar"));
    bar_->setRange(0, kBarSteps);
    bar_->setValue(0);
    bar_->setAccessibleName(tr("Progress"));
    rate_ = line(this, "Rate");
    cancel_ = new QPushButton(tr("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));
    cancel_->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(activity_);
    layout->addWidget(detail_);
    layout->addWidget(bar_);
    layout->addWidget(rate_);
    layout->addLayout(buttons);

    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::askToStop);
}

void ProgressDialog::setActivity(const QString &text) {
    if (activity_->text() == text)
        return;
    activity_->setText(text);
    // The title says what is being done, for the task bar and a screen reader.
    setWindowTitle(owner_.isEmpty() ? text : tr("%1 - %2").arg(text, owner_));
    bar_->setAccessibleDescription(text);
}

void ProgressDialog::setDetail(const QString &text) {
    if (detail_->text() != text)
        detail_->setText(text);
}

void ProgressDialog::setBytes(qint64 done, qint64 total) {
    int value = kBarSteps;
    if (total > 0 && done < total)
        value = static_cast<int>(static_cast<double>(done < 0 ? 0 : done) * kBarSteps / total);
    bar_->setValue(value);
}

void ProgressDialog::setRate(const QString &text) {
    if (!stopAsked_ && rate_->text() != text)
        rate_->setText(text);
}

void ProgressDialog::setCancellable(bool cancellable) {
    cancellable_ = cancellable;
    cancel_->setEnabled(cancellable && !stopAsked_);
}

void ProgressDialog::reject() {
    askToStop();
}

void ProgressDialog::closeEvent(QCloseEvent *event) {
    event->ignore();
    askToStop();
}

void ProgressDialog::askToStop() {
    if (!cancellable_ || stopAsked_)
        return;
    stopAsked_ = true;
    cancel_->setEnabled(false);
    rate_->setText(tr("Stopping..."));
    emit stopRequested();
}

} // namespace dorvik::widgets
