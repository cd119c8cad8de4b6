#include "ui/timed/time_field.h"

#include <QRegularExpression>

#include "core/support/messages.h"

TimeField::TimeField(QWidget* parent) : QLineEdit(parent) {
    setMaxLength(8);
    setPlaceholderText(QStringLiteral("hh:mm:ss"));
}

QTime TimeField::time() const {
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2})[:：](\\d{1,2})(?:[:：](\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text());
    if (!m.hasMatch()) {
        return QTime();
    }
    const int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    // QTime(h, m, s) is invalid for hours, minutes or seconds out of range.
    return QTime(hour, minute, second);
}

void TimeField::setTime(const QTime& time) {
    setText(time.toString(QStringLiteral("HH:mm:ss")));
}

void refuseTime(TimeField* field, QWidget* owner) {
    showMessage(MessageIcon::Warning,
                QStringLiteral("时间无效：%1\n（24小时制, 例如 10:08:00）").arg(field->text()),
                owner);
    field->setFocus();
    field->selectAll();
}
