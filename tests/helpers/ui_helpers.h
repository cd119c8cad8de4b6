#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QList>
#include <QString>
#include <functional>

#include "core/support/messages.h"

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

// A widget of a dialog or page found by its object name, as a user finds it by its place; a
// test failure when there is none.
template <class W, class Parent>
W* child(const Parent& parent, const char* name) {
    W* found = parent->template findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << "no " << name;
    return found;
}
