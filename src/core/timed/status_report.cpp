#include "core/timed/status_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "core/support/date_text.h"

QByteArray statusJson(const ProgramStatus& status) {
    QJsonArray playing;
    for (const ProgramStatus::Playing& run : status.playing) {
        playing.append(
            QJsonObject{{QStringLiteral("programme"), run.programme},
                        {QStringLiteral("since"), formatTimestamp(run.since)},
                        {QStringLiteral("zones"), QJsonArray::fromStringList(run.zones)}});
    }
    QJsonArray problems;
    for (const StartProblem& p : status.problems) {
        problems.append(QJsonObject{{QStringLiteral("time"), formatTimestamp(p.start)},
                                    {QStringLiteral("programme"), p.name},
                                    {QStringLiteral("text"), p.problem}});
    }
    QJsonObject object{
        {QStringLiteral("version"), status.version},
        {QStringLiteral("now"), formatTimestamp(status.now)},
        {QStringLiteral("playing"), playing},
        {QStringLiteral("next"), QJsonValue::Null},
        {QStringLiteral("problems"), problems},
        {QStringLiteral("immediate"),
         QJsonObject{{QStringLiteral("playing"), status.immediatePlaying},
                     {QStringLiteral("track"), status.immediateTrack}}},
    };
    object.insert(
        QStringLiteral("emergency"),
        QJsonObject{{QStringLiteral("sounding"), status.emergencySince.has_value()},
                    {QStringLiteral("since"),
                     status.emergencySince ? QJsonValue(formatTimestamp(*status.emergencySince))
                                           : QJsonValue(QJsonValue::Null)}});
    if (status.next) {
        object.insert(QStringLiteral("next"),
                      QJsonObject{{QStringLiteral("time"), formatTimestamp(status.next->time)},
                                  {QStringLiteral("programme"), status.next->programme}});
    }
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}
