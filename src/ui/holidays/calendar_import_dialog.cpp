#include "ui/holidays/calendar_import_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/holidays/holiday_list_model.h"
#include "core/holidays/proposed_day_list_model.h"
#include "ui/widgets/dialog_buttons.h"
#include "ui/widgets/refusal.h"

namespace {

QTreeView* proposalView(const QString& name, QAbstractItemModel* model, QWidget* parent) {
    auto* view = new QTreeView(parent);
    view->setObjectName(name);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setAllColumnsShowFocus(true);
    view->header()->setSectionsClickable(false);
    view->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return view;
}

}  // namespace

CalendarImportDialog::CalendarImportDialog(const CalendarImport& proposal, QWidget* parent)
    : QDialog(parent), additions_(proposal.additions) {
    setWindowTitle(QStringLiteral("从日历文件导入"));
    holidayModel_ = new HolidayListModel(additions_, this);
    adjustedDayModel_ = new ProposedDayListModel(additions_, this);
    holidayList_ = proposalView(QStringLiteral("holidayList"), holidayModel_, this);
    holidayList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    adjustedDayList_ = proposalView(QStringLiteral("adjustedDayList"), adjustedDayModel_, this);
    adjustedDayList_->setEditTriggers(QAbstractItemView::DoubleClicked |
                                      QAbstractItemView::EditKeyPressed);

    auto* layout = new QVBoxLayout(this);
    auto* counts = new QLabel(
        QStringLiteral("要添加: 节假日 %1 个, 调休 %2 个 (已有的跳过: 节假日 %3 个, 调休 %4 个)")
            .arg(additions_.holidays.size())
            .arg(additions_.adjustedDays.size())
            .arg(proposal.skippedHolidays)
            .arg(proposal.skippedAdjustedDays),
        this);
    counts->setObjectName(QStringLiteral("counts"));
    layout->addWidget(counts);
    layout->addWidget(new QLabel(QStringLiteral("节假日不播放:"), this));
    layout->addWidget(holidayList_, 1);
    layout->addWidget(new QLabel(
        QStringLiteral("调休, a日期按b日期来播 (b日期按所补的节假日推算, 双击可改):"), this));
    layout->addWidget(adjustedDayList_, 1);
    QDialogButtonBox* buttons = okCancelButtons(this);
    ok_ = okButtonOf(buttons);
    layout->addWidget(buttons);
    resize(640, 480);
}

void CalendarImportDialog::accept() {
    for (int row = 0; row < adjustedDayModel_->rowCount(); ++row) {
        const AdjustedDay& day = adjustedDayModel_->at(row);
        if (day.dateA == day.dateB) {
            adjustedDayList_->setCurrentIndex(
                adjustedDayModel_->index(row, AdjustedDayListModel::DateBColumn));
            refuseInput(this, MessageIcon::Warning, QStringLiteral("要求：\na日期  ≠  b日期"),
                        adjustedDayList_);
            return;
        }
    }
    QDialog::accept();
}
