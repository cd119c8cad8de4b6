#include "ui/settings/zones_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/support/messages.h"
#include "core/zones/zone_list_model.h"
#include "ui/settings/zone_dialog.h"
#include "ui/widgets/dialog_buttons.h"

ZonesDialog::ZonesDialog(const ZoneSetup& zones, ZoneChange change, OutputDevices& devices,
                         QWidget* parent)
    : QDialog(parent), zones_(zones), change_(std::move(change)), devices_(devices) {
    setWindowTitle(QStringLiteral("分区"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral(
            "分区各有自己的音频输出设备；同一分区同时只播一个节目，不同分区可同时播放。\n"
            "节目在节目属性里选分区，不选分区的节目在总输出设备上播放。"),
        this));
    model_ = new ZoneListModel(zones_, this);
    list_ = new QTreeView(this);
    list_->setObjectName(QStringLiteral("zoneList"));
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setAllColumnsShowFocus(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->header()->setSectionsMovable(false);
    list_->header()->resizeSection(ZoneListModel::Name, 140);
    list_->header()->resizeSection(ZoneListModel::Device, 200);
    list_->setMinimumSize(480, 200);
    connect(list_, &QTreeView::doubleClicked, this, &ZonesDialog::changeZone);

    auto* commands = new QHBoxLayout();
    const std::pair<const char16_t*, void (ZonesDialog::*)()> buttons[] = {
        {u"添加…", &ZonesDialog::addZone},
        {u"修改…", &ZonesDialog::changeZone},
        {u"删除", &ZonesDialog::deleteZone}};
    for (const auto& [text, command] : buttons) {
        auto* button = new QPushButton(QString::fromUtf16(text), this);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, command);
        commands->addWidget(button);
    }
    commands->addStretch();
    layout->addWidget(list_, 1);
    layout->addLayout(commands);
    layout->addWidget(okCancelButtons(this, QStringLiteral("关闭"), false));
}

ZonesDialog::~ZonesDialog() = default;

void ZonesDialog::refill() {
    const int row = selectedRow();
    model_->reload();
    if (row >= 0 && row < model_->rowCount()) {
        list_->setCurrentIndex(model_->index(row, 0));
    }
}

int ZonesDialog::selectedRow() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

bool ZonesDialog::apply(const ZoneSetup& next) {
    QString message;
    if (!change_(next, message)) {
        showMessage(MessageIcon::Error, message, this);
        return false;
    }
    refill();
    return true;
}

void ZonesDialog::addZone() {
    if (zones_.zones.size() >= static_cast<size_t>(kMaxZones)) {
        showMessage(MessageIcon::Warning, QStringLiteral("最多 %1 个分区").arg(kMaxZones), this);
        return;
    }
    ZoneDialog dialog(
        {}, devices_,
        [this](const Zone& zone) {
            ZoneSetup next = zones_;
            next.zones.push_back(zone);
            return zoneSetupProblem(next);
        },
        this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    ZoneSetup next = zones_;
    next.zones.push_back(dialog.zone());
    if (apply(next)) {
        list_->setCurrentIndex(model_->index(model_->rowCount() - 1, 0));
    }
}

void ZonesDialog::changeZone() {
    const int row = selectedRow();
    if (row < 0 || row >= static_cast<int>(zones_.zones.size())) {
        showMessage(MessageIcon::Information, QStringLiteral("修改 - 请先选中分区"), this);
        return;
    }
    const Zone before = zones_.zones[static_cast<size_t>(row)];
    // The zone changed in place, its programmes and immediate play following a new name.
    const auto changed = [this, row, before](const Zone& zone) {
        ZoneSetup next = zones_;
        renameZone(next, before.name, zone.name);
        next.zones[static_cast<size_t>(row)] = zone;
        return next;
    };
    ZoneDialog dialog(
        before, devices_, [&](const Zone& zone) { return zoneSetupProblem(changed(zone)); }, this);
    if (dialog.exec() == QDialog::Accepted) {
        apply(changed(dialog.zone()));
    }
}

void ZonesDialog::deleteZone() {
    const int row = selectedRow();
    if (row < 0 || row >= static_cast<int>(zones_.zones.size())) {
        showMessage(MessageIcon::Information, QStringLiteral("删除 - 请先选中分区"), this);
        return;
    }
    const QString name = zones_.zones[static_cast<size_t>(row)].name;
    const QStringList programmes = programmesOnZone(zones_, name);
    QString question = QStringLiteral("确定删除分区 %1？").arg(name);
    if (!programmes.isEmpty()) {
        question += QStringLiteral("\n\n这些节目不再在该分区播放：\n%1")
                        .arg(programmes.join(QStringLiteral("、")));
    }
    if (!askYesNo(MessageIcon::Question, question, this)) {
        return;
    }
    ZoneSetup next = zones_;
    removeZone(next, name);
    apply(next);
}
