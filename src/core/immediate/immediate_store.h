#pragma once

#include <QObject>

#include "core/immediate/playlist.h"

// The immediate-play settings of the whole run and their file. Every change is written at
// once; a failed write leaves the change in memory.
class ImmediateStore : public QObject {
    Q_OBJECT
  public:
    ImmediateStore(const QString& dataFolder, const QString& musicFolder,
                   QObject* parent = nullptr);

    ImmediateSettings& settings() { return settings_; }
    const ImmediateSettings& settings() const { return settings_; }
    const QString& dataFolder() const { return dataFolder_; }
    // Whose messages the failures are.
    void setMessageOwner(QObject* owner) { owner_ = owner; }

    // Reads the file, leaving one current entry; false with the message on failure.
    bool load(QString& message);
    // Writes the file; a failure is shown only when asked for.
    bool save(bool showErrors);

  signals:
    void saved(bool ok);

  private:
    QString dataFolder_;
    QString musicFolder_;
    ImmediateSettings settings_;
    QObject* owner_ = nullptr;
};
