#include "ui/timed/today_dialog.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/timed/today_model.h"
#include "ui/widgets/colour_delegate.h"

TodayDialog::TodayDialog(TodayModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("今天的节目"));
    setObjectName(QStringLiteral("todayDialog"));
    auto* layout = new QVBoxLayout(this);
    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("todayNote"));
    QFont bold = note_->font();
    bold.setBold(true);
    note_->setFont(bold);
    layout->addWidget(note_);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("todaySummary"));
    layout->addWidget(summary_);
    list_ = new QTreeView(this);
    list_->setObjectName(QStringLiteral("todayList"));
    list_->setModel(&model_);
    list_->setItemDelegate(new ColourDelegate(list_));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setSectionsMovable(false);
    list_->header()->resizeSection(TodayModel::Start, 90);
    list_->header()->resizeSection(TodayModel::Name, 190);
    list_->header()->resizeSection(TodayModel::State, 120);
    layout->addWidget(list_, 1);
    connect(&model_, &QAbstractItemModel::dataChanged, this, &TodayDialog::updateSummary);
    connect(&model_, &QAbstractItemModel::modelReset, this, &TodayDialog::updateSummary);
    connect(&model_, &TodayModel::nextStartChanged, this, &TodayDialog::updateSummary);
    updateSummary();
    resize(820, 480);
}

void TodayDialog::updateSummary() {
    note_->setText(model_.dayNote());
    note_->setVisible(!model_.dayNote().isEmpty());
    int done = 0;
    int failed = 0;
    int troubled = 0;
    for (const TodayModel::Entry& e : model_.entries()) {
        done += e.state == StartState::Played ? 1 : 0;
        failed += e.state == StartState::Failed ? 1 : 0;
        troubled += !e.problem.isEmpty() && e.state == StartState::ToCome ? 1 : 0;
    }
    QString text = QStringLiteral("今天共 %1 次播放，已播 %2 次").arg(model_.rowCount()).arg(done);
    if (failed > 0) {
        text += QStringLiteral("，失败 %1 次").arg(failed);
    }
    if (troubled > 0) {
        text += QStringLiteral("，%1 次检查发现问题").arg(troubled);
    }
    const QString next = model_.nextStartText();
    summary_->setText(next.isEmpty() ? text : text + QStringLiteral("。  ") + next);
}
