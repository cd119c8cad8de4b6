#include <gtest/gtest.h>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSemaphore>
#include <QSlider>
#include <QTest>

#include "core/immediate/immediate_file.h"
#include "ui/immediate/page_fixture.h"
#include "ui/widgets/hyper_link.h"

namespace {

// Receives what the page would open in the default way instead of starting a program.
class OpenedUrls : public QObject {
    Q_OBJECT
  public:
    OpenedUrls() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

ImmediateSettings savedSettings(const ImmediatePageFixture& f) {
    ImmediateSettings settings;
    QString message;
    loadImmediateSettings(f.h.timed.folder.path(), QString(), settings, message);
    return settings;
}

void drop(QWidget* target, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) {
        urls.append(QUrl::fromLocalFile(p));
    }
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

}  // namespace

TEST(ImmediatePage, LoadedListShowsTheCurrentTrackVolumeAndMode) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}, 225'645);
    f.h.store.settings().volume = 65;
    f.h.store.settings().playMode = kRandom;
    f.h.model.setCurrent(1);
    f.h.model.setDuration(1, 225'645);
    f.page->showLoaded();
    EXPECT_EQ(f.names(), (QStringList{QStringLiteral("a.mp3"), QStringLiteral("→ b.mp3")}));
    EXPECT_EQ(f.h.model.index(1, 1).data().toString(), QStringLiteral("03:45"));
    EXPECT_EQ(f.page->volumeSlider()->value(), 65);
    EXPECT_EQ(f.page->volumeLabel()->text(), QStringLiteral("音量:65"));
    EXPECT_EQ(f.page->modeSelector()->currentText(), QStringLiteral("随机播放"));
    EXPECT_EQ(f.h.saves, 0) << "showing what was loaded writes nothing";
    EXPECT_FALSE(f.page->remoteLink()->isVisible());
    f.page->showRemoteSessionHint();
    EXPECT_TRUE(f.page->remoteLink()->isVisible());
    EXPECT_FALSE(f.page->stopButton()->isEnabled());
    EXPECT_FALSE(f.page->positionSlider()->isEnabled());
    EXPECT_NEAR(f.list()->columnWidth(0), f.list()->viewport()->width() * 0.75, 1);
}

TEST(ImmediatePage, DoubleClickWhilePlayingStopsMakesTheRowCurrentAndAsks) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    f.h.model.setCurrent(0);
    f.play();
    ASSERT_TRUE(f.h.player.hasAudio());
    EXPECT_FALSE(f.page->startButton()->isEnabled());
    EXPECT_TRUE(f.page->stopButton()->isEnabled());
    const auto playing = f.h.timed.backend.players.back();
    bool limitAsked = false;
    whenModal([&](QWidget* dialog) {
        limitAsked = qobject_cast<LimitDialog*>(dialog) != nullptr &&
                     dialog->windowTitle() == QStringLiteral("立即播");
        EXPECT_FALSE(f.h.player.isActive()) << "stopped before asking";
        static_cast<QDialog*>(dialog)->reject();
    });
    const QPoint row2 = f.list()->visualRect(f.h.model.index(2, 0)).center();
    QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {}, row2);
    QTest::mouseDClick(f.list()->viewport(), Qt::LeftButton, {}, row2);
    EXPECT_TRUE(limitAsked);
    EXPECT_EQ(playing->live, nullptr);
    EXPECT_EQ(playing->volumes.back(), kSilentAttenuation) << "faded out";
    EXPECT_GE(playing->volumes.size(), 50u);
    EXPECT_FALSE(f.h.player.isActive());
    EXPECT_TRUE(f.page->startButton()->isEnabled());
    EXPECT_EQ(f.names()[2], QStringLiteral("→ c.mp3"));
    EXPECT_EQ(savedSettings(f).playlist[2].isCurrent, 1);
    EXPECT_EQ(savedSettings(f).playlist[0].isCurrent, 0);
}

TEST(ImmediatePage, StartOnAnEmptyListOpensTheFileDialogAndCancellingEndsThere) {
    ImmediatePageFixture f;
    QString opened;
    whenModal([&](QWidget* dialog) {
        opened = dialog->metaObject()->className();
        EXPECT_TRUE(qobject_cast<QFileDialog*>(dialog)->nameFilters().first().startsWith(
            QStringLiteral("音乐(*.aac *.ape")));
        static_cast<QDialog*>(dialog)->reject();
    });
    f.page->startButton()->click();
    EXPECT_EQ(opened, QStringLiteral("QFileDialog"));
    pumpEvents(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no limit dialog follows";
    EXPECT_FALSE(f.h.player.isActive());
    EXPECT_EQ(f.h.saves, 0);
    EXPECT_TRUE(f.h.messages.shown.isEmpty());
}

TEST(ImmediatePage, LimitDialogRefusesPaddedAndSignedNumbersAndZeroPlaysOn) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")}, 4'000);
    for (const bool byTracks : {true, false}) {
        for (const QString& bad : {QStringLiteral("05"), QStringLiteral("-1"), QString(" ")}) {
            SCOPED_TRACE(bad.toStdString());
            f.h.messages.shown.clear();
            LimitDialog dialog(true, 3, 60);
            (byTracks ? dialog.tracksButton() : dialog.secondsButton())->click();
            EXPECT_EQ(dialog.tracksEdit()->isEnabled(), byTracks);
            EXPECT_EQ(dialog.secondsEdit()->isEnabled(), !byTracks);
            QLineEdit* field = byTracks ? dialog.tracksEdit() : dialog.secondsEdit();
            field->setText(bad);
            dialog.accept();
            EXPECT_EQ(dialog.result(), QDialog::Rejected) << "stays open";
            ASSERT_EQ(f.h.messages.shown.size(), 1);
            EXPECT_EQ(f.h.messages.shown[0].text, byTracks ? QStringLiteral("播 n 首，输入无效")
                                                           : QStringLiteral("播 n 秒，输入无效"));
            EXPECT_EQ(f.h.messages.shown[0].icon, MessageIcon::Warning);
            EXPECT_EQ(field->selectedText(), bad);
        }
    }
    f.h.messages.shown.clear();
    answerLimitDialog(true, QStringLiteral("0"));
    f.page->startButton()->click();
    EXPECT_TRUE(f.h.player.isActive());
    EXPECT_EQ(f.h.player.limitTracks(), 0);
    EXPECT_EQ(f.h.model.current(), 0) << "the first entry became current";
    f.h.runForSeconds(30);
    EXPECT_TRUE(f.h.player.isActive()) << "0 plays until stopped";
    EXPECT_GE(f.h.immediateTracks().size(), 6);
    EXPECT_EQ(f.h.player.status(), QStringLiteral("第 %1 首").arg(f.h.player.tracksStarted()));
    f.page->stopButton()->click();
    EXPECT_FALSE(f.h.player.isActive());
    EXPECT_TRUE(f.page->statusLabel()->text().isEmpty());
    EXPECT_TRUE(f.h.messages.shown.isEmpty());
}

TEST(ImmediatePage, CommandsWithoutASelectionAskForOne) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3")});
    f.page->deleteSelected();
    f.page->moveUp();
    f.page->moveDown();
    f.page->openContainingFolder();
    EXPECT_EQ(f.h.messages.texts(), (QStringList{QStringLiteral("删除 - 请先选中音乐"),
                                                 QStringLiteral("上移 - 请先选中音乐"),
                                                 QStringLiteral("下移 - 请先选中音乐"),
                                                 QStringLiteral("打开所在文件夹 - 请先选中音乐")}));
    for (const MessageRequest& r : f.h.messages.shown) {
        EXPECT_EQ(r.icon, MessageIcon::Information);
    }
    EXPECT_EQ(f.h.saves, 0);
}

TEST(ImmediatePage, DeletingTheTrackThatPlaysStopsImmediatePlay) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    f.h.model.setCurrent(1);
    f.play();
    f.select({0});
    QTest::keyClick(f.list(), Qt::Key_Delete);
    EXPECT_TRUE(f.h.player.isActive()) << "another row";
    EXPECT_EQ(f.h.saves, 2);
    f.select({0, 1});
    f.page->deleteSelected();
    EXPECT_FALSE(f.h.player.isActive());
    EXPECT_EQ(f.names(), QStringList{});
    EXPECT_EQ(f.h.model.current(), -1);
    EXPECT_TRUE(savedSettings(f).playlist.empty());
}

TEST(ImmediatePage, MovesAndSortsKeepTheArrowOnItsTrackAndEdgesWriteNothing) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("delta.mp3"), QStringLiteral("Bravo.wav"),
                   QStringLiteral("alpha.ogg"), QStringLiteral("charlie.mp3")});
    f.h.model.setCurrent(0);
    f.select({0});
    f.page->moveUp();
    f.select({3});
    f.page->moveDown();
    EXPECT_EQ(f.h.saves, 0);
    EXPECT_FALSE(QFileInfo::exists(f.h.timed.folder.file(kImmediateFileName)));

    f.select({0, 2});
    f.page->moveDown();
    EXPECT_EQ(f.names(), (QStringList{QStringLiteral("Bravo.wav"), QStringLiteral("→ delta.mp3"),
                                      QStringLiteral("charlie.mp3"), QStringLiteral("alpha.ogg")}));
    EXPECT_EQ(f.list()->selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(f.h.saves, 1);

    f.page->sortPlaylist(ImmediatePage::SortOrder::NameAscending);
    EXPECT_EQ(f.names(),
              (QStringList{QStringLiteral("alpha.ogg"), QStringLiteral("Bravo.wav"),
                           QStringLiteral("charlie.mp3"), QStringLiteral("→ delta.mp3")}));
    EXPECT_TRUE(f.list()->selectionModel()->selectedRows().isEmpty());
    f.page->sortPlaylist(ImmediatePage::SortOrder::TypeDescending);
    EXPECT_EQ(f.names().first(), QStringLiteral("Bravo.wav"));
    f.page->sortPlaylist(ImmediatePage::SortOrder::Shuffle);
    EXPECT_TRUE(f.names().contains(QStringLiteral("→ delta.mp3")));
    EXPECT_EQ(f.h.saves, 4);
    EXPECT_EQ(entryFileName(savedSettings(f).playlist[static_cast<size_t>(f.h.model.current())]),
              QStringLiteral("delta.mp3"));
}

TEST(ImmediatePage, ModeChangeAndClearAreSaved) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
    f.h.store.settings().playlist[0].playedThisRound = 1;
    f.page->modeSelector()->setCurrentIndex(2);
    emit f.page->modeSelector()->activated(2);
    EXPECT_EQ(savedSettings(f).playMode, kRandom);
    EXPECT_EQ(f.h.store.settings().playlist[0].playedThisRound, 0);
    f.h.messages.answers = {false, true};
    f.page->clearPlaylist();
    EXPECT_EQ(f.h.model.size(), 2);
    f.page->clearPlaylist();
    EXPECT_EQ(f.h.model.size(), 0);
    EXPECT_EQ(f.h.messages.texts(), QStringList(2, QStringLiteral("确定清空？")));
    EXPECT_TRUE(savedSettings(f).playlist.empty());
}

TEST(ImmediatePage, DropTakesTheFolderMusicAndSkipsOtherFilesUpToThreeHundred) {
    ImmediatePageFixture f;
    TempFolder source;
    const QString folder = source.file(QStringLiteral("songs"));
    QDir().mkpath(folder + QStringLiteral("/deeper"));
    writeSilentWav(folder + QStringLiteral("/one.wav"), 1000);
    writeSilentWav(folder + QStringLiteral("/two.WAV"), 2000);
    writeSilentWav(folder + QStringLiteral("/cover.jpg"), 100);
    writeSilentWav(folder + QStringLiteral("/deeper/three.wav"), 1000);
    writeSilentWav(source.file(QStringLiteral("notes.txt")), 100);
    drop(f.page.get(), {folder, source.file(QStringLiteral("notes.txt"))});
    QStringList names = f.names();
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("one.wav"), QStringLiteral("two.WAV")}));
    EXPECT_EQ(f.h.saves, 1);
    EXPECT_EQ(f.list()->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(f.h.messages.shown.isEmpty());

    std::vector<PlaylistEntry> many(297, makePlaylistEntry(QStringLiteral("/m/x.mp3"), 1));
    f.h.model.append(many);
    drop(f.page.get(), {folder + QStringLiteral("/one.wav")});
    EXPECT_EQ(f.h.model.size(), 300);
    EXPECT_EQ(f.h.saves, 2);
    drop(f.page.get(), {folder});
    EXPECT_EQ(f.h.messages.texts(), QStringList{QStringLiteral("最多添加 300 首歌")});
    EXPECT_EQ(f.h.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(f.h.model.size(), 300);
    EXPECT_EQ(f.h.saves, 2);
}

TEST(ImmediatePage, ImportDialogCountsAndItsCancelAddsNothing) {
    // The worker waits in its first file until the dialog has been cancelled.
    QSemaphore gate;
    ImmediatePageFixture f([&gate](const QString& path) {
        gate.acquire();
        return probeDurationMs(path);
    });
    TempFolder source;
    QStringList paths;
    for (int i = 0; i < 40; ++i) {
        paths.append(source.file(QStringLiteral("t%1.wav").arg(i)));
        writeSilentWav(paths.last(), 300);
    }
    QString caption;
    QString progress;
    whenModal([&](QWidget* dialog) {
        caption = dialog->windowTitle();
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        EXPECT_EQ(cancel->text(), QStringLiteral("取消"));
        progress = dialog->findChild<QLabel*>(QStringLiteral("progress"))->text();
        cancel->click();
        EXPECT_TRUE(dialog->isVisible()) << "open until the worker has stopped";
        gate.release(40);
    });
    drop(f.page.get(), paths);
    EXPECT_EQ(caption, QStringLiteral("正在导入..."));
    EXPECT_EQ(progress, QStringLiteral("0/40"));
    EXPECT_EQ(f.h.model.size(), 0);
    EXPECT_EQ(f.h.saves, 0);
}

TEST(ImmediatePage, OpenFolderShowsTheFileOrItsFolderOrSaysItIsGone) {
    ImmediatePageFixture f;
    OpenedUrls opened;
    f.h.addTracks({QStringLiteral("here.mp3")});
    f.h.model.append({makePlaylistEntry(f.h.timed.folder.file(QStringLiteral("gone.mp3")), 1),
                      makePlaylistEntry(QStringLiteral("/no/such/folder/x.mp3"), 1)});
    // No file manager on the test bus: the folder opens in the default way.
    f.select({0});
    f.page->openContainingFolder();
    for (int i = 0; i < 250 && opened.urls.isEmpty(); ++i) {
        pumpEvents(20);
    }
    f.select({1});
    f.page->openContainingFolder();
    EXPECT_EQ(opened.urls, (QList<QUrl>{QUrl::fromLocalFile(f.h.timed.folder.path()),
                                        QUrl::fromLocalFile(f.h.timed.folder.path())}));
    f.select({2});
    f.page->openContainingFolder();
    EXPECT_EQ(f.h.messages.texts(),
              QStringList{QStringLiteral("音乐不存在：\n/no/such/folder/x.mp3")});
}

TEST(ImmediatePage, PositionSliderSeeksOnReleaseAndStepsNotWhileDragging) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3")}, 200'000);
    f.h.model.setCurrent(0);
    f.play();
    f.h.runForSeconds(1);
    EXPECT_EQ(f.page->positionLabel()->text(), QStringLiteral("00:01 / 03:20"));
    const auto record = f.h.timed.backend.players.back();
    QSlider* slider = f.page->positionSlider();
    slider->setSliderDown(true);
    slider->triggerAction(QAbstractSlider::SliderMove);
    slider->setSliderPosition(50);
    EXPECT_EQ(record->seeks, 0) << "no seek while dragging";
    slider->setSliderDown(false);
    EXPECT_EQ(record->seeks, 1);
    EXPECT_EQ(record->positionBaseMs, 100'000);
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(record->seeks, 2);
    EXPECT_EQ(record->positionBaseMs, 120'000);
    f.page->stopButton()->click();
    EXPECT_EQ(slider->value(), 0);
    EXPECT_TRUE(f.page->positionLabel()->text().isEmpty());
    EXPECT_FALSE(slider->isEnabled());
}

TEST(ImmediatePage, FilesAndFoldersAreChosenInTheMusicDialogs) {
    ImmediatePageFixture f;
    TempFolder source;
    const QString a = source.file(QStringLiteral("a.wav"));
    const QString b = source.file(QStringLiteral("b.wav"));
    writeSilentWav(a, 1000);
    writeSilentWav(b, 2000);
    QDir().mkpath(source.file(QStringLiteral("more")));
    writeSilentWav(source.file(QStringLiteral("more/c.wav")), 3000);
    whenModal([&](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(files, nullptr);
        EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(files->defaultSuffix(), QStringLiteral("mp3"));
        // Typed as a user would (selectFile leaves a focused name field alone).
        files->setDirectory(source.path());
        files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("\"a.wav\" \"b.wav\""));
        static_cast<QDialog*>(files)->accept();
    });
    f.page->addFiles();
    EXPECT_EQ(f.names(), (QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav")}));
    EXPECT_EQ(f.h.model.index(1, 1).data().toString(), QStringLiteral("00:02"));
    whenModal([&](QWidget* dialog) {
        auto* folders = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(folders, nullptr);
        EXPECT_EQ(folders->windowTitle(), QStringLiteral("选音乐文件夹："));
        folders->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(source.file(QStringLiteral("more")));
        static_cast<QDialog*>(folders)->accept();
    });
    f.page->addFolder();
    EXPECT_EQ(f.names().last(), QStringLiteral("c.wav"));
    EXPECT_EQ(f.h.saves, 2);
    EXPECT_TRUE(f.h.messages.shown.isEmpty()) << f.h.messages.texts().join(u' ').toStdString();
}

TEST(ImmediatePage, DraggingOverTheRowsExplainsHowToSelectSeveral) {
    ImmediatePageFixture f;
    f.h.addTracks({QStringLiteral("a.mp3"), QStringLiteral("b.mp3"), QStringLiteral("c.mp3")});
    QWidget* viewport = f.list()->viewport();
    const QPoint from = f.list()->visualRect(f.h.model.index(0, 0)).center();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(0, 40)),
                     viewport->mapToGlobal(QPointF(from + QPoint(0, 40))), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(0, 40));
    ASSERT_EQ(f.h.messages.shown.size(), 1);
    EXPECT_TRUE(f.h.messages.shown[0].text.startsWith(QStringLiteral("选多行方法：")));
    EXPECT_EQ(f.h.messages.shown[0].icon, MessageIcon::Information);
}

#include "immediate_page_test.moc"
