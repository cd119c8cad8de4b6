#include "ui/immediate/import_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/immediate/import_job.h"

namespace {

constexpr int kProgressMs = 250;

}  // namespace

ImportDialog::ImportDialog(ImportJob& job, PlaylistModel& playlist, QWidget* parent)
    : QDialog(parent), job_(job), playlist_(playlist) {
    setWindowTitle(QStringLiteral("正在导入..."));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("正在导入音乐..."), this));
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("progress"));
    layout->addWidget(progress_);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, [this] { job_.cancel(); });
    connect(&timer_, &QTimer::timeout, this, &ImportDialog::showProgress);
    connect(&job_, &ImportJob::finished, this, &ImportDialog::workerEnded);
    timer_.start(kProgressMs);
    showProgress();
    if (!job_.isRunning()) {
        // Ended before the dialog could listen.
        QTimer::singleShot(0, this, &ImportDialog::workerEnded);
    }
}

void ImportDialog::showProgress() {
    progress_->setText(QStringLiteral("%1/%2").arg(job_.progress()).arg(job_.candidates()));
}

void ImportDialog::workerEnded() {
    if (ended_) {
        return;
    }
    ended_ = true;
    timer_.stop();
    showProgress();
    const bool added = job_.deliver(playlist_, this);
    done(added ? QDialog::Accepted : QDialog::Rejected);
}

void ImportDialog::reject() {
    // Escape and the close button ask the worker to stop, like "取消".
    job_.cancel();
}

void ImportDialog::closeEvent(QCloseEvent* event) {
    job_.cancel();
    event->ignore();
}
