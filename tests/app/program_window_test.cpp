#include <gtest/gtest.h>
#include <QPushButton>
#include <QRadioButton>

#include "app/guarded_application.h"
#include "app/main_window.h"
#include "app/program.h"
#include "support/temp_folder.h"
#include "support/ui_helpers.h"
#include "timed/programme_file.h"

namespace {

QStringList logLines(const QString& path) {
    const QByteArray bytes = readBytes(path);
    if (bytes.size() < 2) {
        return {};
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                              (bytes.size() - 2) / 2)
        .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
}

class Thrower : public QObject {
  public:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) {
            throw std::runtime_error("broken handler");
        }
        return QObject::event(e);
    }
};

}  // namespace

TEST(ProgramWindow, CloseDialogExitRunsTheOrderlyExit) {
    RecordedMessages messages;
    TempFolder folder;
    const AppPaths paths = AppPaths::forFolders(folder.path(), folder.path());
    Program program(paths, false);
    ASSERT_TRUE(program.initialise({}));
    ASSERT_NE(program.window(), nullptr);
    EXPECT_TRUE(program.window()->isVisible());
    EXPECT_EQ(program.window()->currentTab(), MainWindow::kIntroTab);
    bool finished = false;
    QObject::connect(&program, &Program::finished, [&] { finished = true; });
    whenModal([](QWidget* dialog) {
        for (QRadioButton* radio : dialog->findChildren<QRadioButton*>()) {
            if (radio->text() == QStringLiteral("退出程序")) {
                radio->click();
            }
        }
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QStringLiteral("确定")) {
                button->click();
            }
        }
    });
    program.window()->close();
    EXPECT_TRUE(finished);
    EXPECT_TRUE(program.isShutDown());
    EXPECT_FALSE(program.window()->isVisible());
    const QStringList lines = logLines(paths.dataFile(QStringLiteral("定时播日志t.txt")));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("软件启动")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("软件关闭")));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.last().toStdString();
}

TEST(ProgramWindow, AnExceptionIsShownAndStopsNewStarts) {
    RecordedMessages messages;
    auto* app = qobject_cast<GuardedApplication*>(qApp);
    ASSERT_NE(app, nullptr);
    bool disabled = false;
    app->setBeforeMessage([&] { disabled = true; });
    Thrower thrower;
    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(app->failed());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.last().startsWith(QStringLiteral("软件异常 (0xe06d7363)")));
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_TRUE(messages.shown[0].topmost);
}
