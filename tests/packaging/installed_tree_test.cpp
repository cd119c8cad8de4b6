#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "packaging/installed_tree.h"

namespace {

class InstalledFiles : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(tree.ok()) << tree.error().toStdString(); }
    InstalledTree tree;
};

QString desktopValue(const QString& file, const QString& key) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return QString();
    }
    for (const QString& line : QString::fromUtf8(f.readAll()).split(u'\n')) {
        if (line.startsWith(key + u'=')) {
            return line.mid(key.size() + 1);
        }
    }
    return QString();
}

// The text of the first element of that name, or a null string.
QString metainfoElement(const QString& file, const QString& name) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return QString();
    }
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == name) {
            return xml.readElementText(QXmlStreamReader::IncludeChildElements);
        }
    }
    return QString();
}

const QString kMetainfo = QStringLiteral("share/metainfo/org.kelvora.broadcasting.metainfo.xml");
const QString kDesktop = QStringLiteral("share/applications/kelvora-broadcasting.desktop");
const QString kUnit = QStringLiteral("lib/systemd/user/kelvora-broadcasting.service");

}  // namespace

TEST_F(InstalledFiles, HoldTheProgramItsPagesMusicIconsAndManual) {
    EXPECT_TRUE(QFileInfo(tree.program()).isExecutable());
    for (const char* file : {"welcome.htm", "help/index.html", "music/铃声/上课铃.ogg",
                             "music/铃声/下课铃.ogg", "music/警报/紧急警报.ogg"}) {
        EXPECT_TRUE(QFileInfo(tree.resources() + u'/' + QString::fromUtf8(file)).isFile()) << file;
    }
    EXPECT_TRUE(QFileInfo(tree.path(QStringLiteral(
                              "share/icons/hicolor/scalable/apps/kelvora-broadcasting.svg")))
                    .isFile());
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImageReader png(tree.path(
            QStringLiteral("share/icons/hicolor/%1x%1/apps/kelvora-broadcasting.png").arg(size)));
        EXPECT_EQ(png.format(), "png") << size;
        EXPECT_EQ(png.size(), QSize(size, size)) << size;
        const QImage image = png.read();
        // Drawn on a tile with rounded corners: transparent corners, an opaque middle.
        EXPECT_LT(qAlpha(image.pixel(0, 0)), 32) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
    EXPECT_TRUE(
        QFileInfo(tree.path(QStringLiteral("share/doc/kelvora-broadcasting/copyright"))).isFile());

    // The manual page renders without a warning and says where the data lives.
    const QString man = tree.path(QStringLiteral("share/man/man1/kelvora-broadcasting.1.gz"));
    ASSERT_TRUE(QFileInfo(man).isFile());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MANWIDTH"), QStringLiteral("100"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    const ToolResult page = runTool(QStringLiteral("man"),
                                    {QStringLiteral("--warnings"), QStringLiteral("-l"), man}, env);
    EXPECT_EQ(page.exitCode, 0);
    EXPECT_TRUE(page.err.isEmpty()) << page.err.toStdString();
    for (const char* text : {"--headless", "--preview", "--help", "--version",
                             "KelvoraBroadcasting9", "loginctl enable-linger", "EXIT STATUS"}) {
        EXPECT_TRUE(page.out.contains(QString::fromUtf8(text))) << text;
    }
}

TEST_F(InstalledFiles, DesktopEntryAndMetainfoValidateAndPointAtEachOther) {
    const QString desktop = tree.path(kDesktop);
    const ToolResult entry = runTool(QStringLiteral("desktop-file-validate"), {desktop});
    EXPECT_EQ(entry.exitCode, 0) << entry.out.toStdString() << entry.err.toStdString();
    EXPECT_FALSE(entry.out.contains(QStringLiteral("error:"))) << entry.out.toStdString();
    EXPECT_EQ(desktopValue(desktop, QStringLiteral("Name")),
              QStringLiteral("澜川校园定时广播系统"));
    const QString icon = desktopValue(desktop, QStringLiteral("Icon"));
    EXPECT_TRUE(QFileInfo::exists(
        tree.path(QStringLiteral("share/icons/hicolor/scalable/apps/%1.svg").arg(icon))));
    const QStringList exec = desktopValue(desktop, QStringLiteral("Exec")).split(u' ');
    EXPECT_TRUE(QFileInfo(tree.path(QStringLiteral("bin/") + exec.first())).isExecutable());
    EXPECT_FALSE(exec.join(u' ').contains(u'%'));
    const QStringList categories = desktopValue(desktop, QStringLiteral("Categories")).split(u';');
    EXPECT_TRUE(categories.contains(QStringLiteral("Audio")));
    EXPECT_TRUE(categories.contains(QStringLiteral("Education")));

    const QString metainfo = tree.path(kMetainfo);
    const ToolResult appstream = runTool(QStringLiteral("appstreamcli"),
                                         {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                          QStringLiteral("--no-color"), metainfo});
    EXPECT_EQ(appstream.exitCode, 0) << appstream.out.toStdString() << appstream.err.toStdString();
    EXPECT_EQ(metainfoElement(metainfo, QStringLiteral("launchable")),
              QFileInfo(desktop).fileName());
    EXPECT_EQ(metainfoElement(metainfo, QStringLiteral("id")) + QStringLiteral(".metainfo.xml"),
              QFileInfo(metainfo).fileName());
    EXPECT_TRUE(
        metainfoElement(metainfo, QStringLiteral("image")).startsWith(QStringLiteral("https://")));
}

TEST_F(InstalledFiles, UserUnitRunsTheInstalledProgramHeadlessAndVerifies) {
    const QString unit = tree.path(kUnit);
    const QString exec = desktopValue(unit, QStringLiteral("ExecStart"));
    EXPECT_EQ(exec, tree.systemPath(QStringLiteral("bin/kelvora-broadcasting --headless")));
    EXPECT_EQ(desktopValue(unit, QStringLiteral("Restart")), QStringLiteral("on-failure"));
    EXPECT_TRUE(desktopValue(unit, QStringLiteral("After")).contains(QStringLiteral("pulseaudio")));

    // systemd checks that the program and the manual page exist; outside a real root they
    // are found in the scratch root.
    QTemporaryDir scratch;
    QFile original(unit);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    QByteArray text = original.readAll();
    text.replace(tree.systemPath(QStringLiteral("bin/")).toUtf8(),
                 tree.path(QStringLiteral("bin/")).toUtf8());
    const QString copy = scratch.filePath(QStringLiteral("kelvora-broadcasting.service"));
    QFile out(copy);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();
    QDir(scratch.path()).mkdir(QStringLiteral("run"));
    QFile::setPermissions(scratch.filePath(QStringLiteral("run")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), scratch.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("MANPATH"), tree.path(QStringLiteral("share/man")));
    const ToolResult verified =
        runTool(QStringLiteral("systemd-analyze"),
                {QStringLiteral("--user"), QStringLiteral("verify"), copy}, env);
    EXPECT_EQ(verified.exitCode, 0) << verified.err.toStdString();
    EXPECT_TRUE(verified.err.isEmpty()) << verified.err.toStdString();
}
