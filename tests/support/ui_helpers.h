#pragma once

#include <QApplication>
#include <QList>
#include <QString>
#include <functional>

#include "support/messages.h"

// Every message the program shows, with the answers the test gives to questions.
class RecordedMessages {
  public:
    RecordedMessages();
    ~RecordedMessages();
    QList<MessageRequest> shown;
    QList<bool> answers;  // taken in turn by Yes/No questions; No when empty
    QStringList texts() const;
    QString last() const { return shown.isEmpty() ? QString() : shown.last().text; }
};

// Runs the action on the next modal dialog once it is open (the caller then opens it).
void whenModal(std::function<void(QWidget*)> action);
// Processes events for a while.
void pumpEvents(int milliseconds);
