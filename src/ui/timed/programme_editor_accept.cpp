// What the editor's OK button checks, in order, and how it builds the programme.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

#include "core/support/field_checks.h"
#include "core/support/music_files.h"
#include "core/support/text.h"
#include "ui/timed/programme_editor.h"

bool ProgrammeEditor::refuse(MessageIcon icon, const QString& text, QLineEdit* field) {
    showMessage(icon, text, this);
    field->setFocus();
    field->selectAll();
    return false;
}

Programme ProgrammeEditor::buildProgramme() const {
    Programme p = blankProgramme();
    const bool file = fileRadio_->isChecked();
    setProgrammeName(p, trimProgrammeName(name_->text()));
    p.volume = static_cast<qint32>(readIntegerField(volume_->text(), false));
    p.singleFile = file ? 1 : 0;
    setProgrammePath(p, trimMusicPath(file ? filePath_->text() : folderPath_->text(), file));
    p.sequential = sequential_->isChecked() ? 1 : 0;
    p.startCount = static_cast<qint32>(qMin<qsizetype>(startTimes_.size(), kMaxStartTimes));
    for (int i = 0; i < p.startCount; ++i) {
        p.startTimes[i] = startTimes_[i];
    }
    p.countByTracks = tracksRadio_->isChecked() ? 1 : 0;
    // The box of the other mode is kept as it reads, 0 when it does not read as a number.
    p.trackCount = static_cast<qint32>(readIntegerField(tracks_->text(), false));
    p.secondsCount = static_cast<qint32>(readIntegerField(seconds_->text(), false));
    p.lastStartTime = neverDateTime();
    p.byWeekday = days_.byWeekday ? 1 : 0;
    std::copy(std::begin(days_.weekdays), std::end(days_.weekdays), p.weekdays);
    std::copy(std::begin(days_.monthDays), std::end(days_.monthDays), p.monthDays);
    p.dateRange = range_;
    p.queueWhenBusy = mayDelay_->isChecked() ? 1 : 0;
    p.disabled = disabled_->isChecked() ? 1 : 0;
    return p;
}

void ProgrammeEditor::accept() {
    const QString name = trimProgrammeName(name_->text());
    if (name.isEmpty()) {
        refuse(MessageIcon::Information, QStringLiteral("请输入节目名称"), name_);
        return;
    }
    const int found = programmes_.table().findByName(name);
    if (found >= 0 && found != index_) {
        refuse(MessageIcon::Warning, QStringLiteral("该节目已存在"), name_);
        return;
    }
    if (!checkIntegerField(volume_->text(), {false, 25, 100})) {
        refuse(MessageIcon::Warning, QStringLiteral("音量输入无效"), volume_);
        return;
    }
    const bool file = fileRadio_->isChecked();
    QLineEdit* pathEdit = file ? filePath_ : folderPath_;
    const QString path = trimMusicPath(pathEdit->text(), file);
    if (path.isEmpty()) {
        refuse(MessageIcon::Information,
               file ? QStringLiteral("请选取音乐文件") : QStringLiteral("请选取音乐文件夹"),
               pathEdit);
        return;
    }
    QString problem;
    if (!validateMusicPath(path, file ? QStringLiteral("音乐文件") : QStringLiteral("音乐文件夹"),
                           !file, problem)) {
        refuse(MessageIcon::Warning, problem, pathEdit);
        return;
    }
    if (startTimes_.isEmpty()) {
        refuse(MessageIcon::Warning, QStringLiteral("请指定开始时间"), startTimesText_);
        return;
    }
    const IntegerCheck atLeastOne{false, 1, INT32_MAX};
    if (secondsRadio_->isChecked() && !checkIntegerField(seconds_->text(), atLeastOne)) {
        refuse(MessageIcon::Warning, QStringLiteral("播 n 秒，输入无效"), seconds_);
        return;
    }
    if (tracksRadio_->isChecked() && !checkIntegerField(tracks_->text(), atLeastOne)) {
        refuse(MessageIcon::Warning, QStringLiteral("播 n 首，输入无效"), tracks_);
        return;
    }
    if (daysText_->text().size() < 4) {
        refuse(MessageIcon::Warning, QStringLiteral("请指定周几或几号"), daysText_);
        return;
    }

    const Programme programme = buildProgramme();
    QString message;
    if (index_ < 0) {
        if (!programmes_.add(programme, message)) {
            showMessage(MessageIcon::Warning, message, this);
            return;
        }
        QDialog::accept();
        return;
    }
    const EditResult result = programmes_.replace(
        index_, programme, runs_,
        [this](const QString& question) { return askYesNo(MessageIcon::Warning, question, this); },
        message);
    if (result == EditResult::Refused) {
        showMessage(MessageIcon::Warning, message, this);
        return;
    }
    if (result == EditResult::Replaced) {
        QDialog::accept();
    }
}
