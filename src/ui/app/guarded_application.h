#pragma once

#include <QApplication>
#include <functional>

// The last-resort guard: anything thrown out of an event handler ends up here, is shown as
// "软件异常 (0x%08x)" and ends the program.
class GuardedApplication : public QApplication {
    Q_OBJECT
  public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Called first, so nothing new starts while the message is open.
    void setBeforeMessage(std::function<void()> action) { beforeMessage_ = std::move(action); }
    bool failed() const { return failed_; }
    // The help page the message points to.
    void setHelpIndex(const QString& path) { helpIndex_ = path; }

    static QString failureText(quint32 code, const QString& helpIndex);

  private:
    void fail(quint32 code);
    std::function<void()> beforeMessage_;
    QString helpIndex_;
    bool failed_ = false;
};
