#include "ui/timed/log_viewer_dialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStringListModel>
#include <QThreadPool>
#include <QVBoxLayout>

#include "core/timed/play_log.h"

LogViewerDialog::LogViewerDialog(const QString& path, QWidget* parent)
    : QDialog(parent), path_(path) {
    setWindowTitle(QStringLiteral("定时播日志 - ") + kPlayLogFileName);
    setObjectName(QStringLiteral("logViewer"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout();
    top->addWidget(new QLabel(QStringLiteral("节目名称:"), this));
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("logFilter"));
    filter_->setPlaceholderText(QStringLiteral("只显示含此名称的行"));
    filter_->setClearButtonEnabled(true);
    top->addWidget(filter_, 1);
    auto* refresh = new QPushButton(QStringLiteral("刷新"), this);
    refresh->setAutoDefault(false);
    top->addWidget(refresh);
    layout->addLayout(top);
    model_ = new QStringListModel(this);
    filtered_ = new QSortFilterProxyModel(this);
    filtered_->setSourceModel(model_);
    filtered_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    view_ = new QListView(this);
    view_->setObjectName(QStringLiteral("logLines"));
    view_->setModel(filtered_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setUniformItemSizes(true);
    layout->addWidget(view_, 1);
    status_ = new QLabel(QStringLiteral("正在读取…"), this);
    layout->addWidget(status_);
    connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filtered_->setFilterFixedString(text.trimmed());
        view_->scrollToBottom();
    });
    connect(refresh, &QPushButton::clicked, this, &LogViewerDialog::reload);
    resize(900, 560);
    reload();
}

void LogViewerDialog::reload() {
    QPointer<LogViewerDialog> self(this);
    const QString path = path_;
    QThreadPool::globalInstance()->start([self, path] {
        QStringList lines;
        QString error;
        readPlayLogLines(path, lines, error);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, lines, error] {
                if (self) {
                    self->showLines(lines, error);
                }
            },
            Qt::QueuedConnection);
    });
}

void LogViewerDialog::showLines(const QStringList& lines, const QString& error) {
    model_->setStringList(lines);
    status_->setText(error.isEmpty() ? QStringLiteral("共 %1 行").arg(lines.size())
                                     : QStringLiteral("无法读取日志文件: %1").arg(error));
    view_->scrollToBottom();
    loaded_ = true;
    emit loaded();
}
