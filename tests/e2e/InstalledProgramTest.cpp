// The installed program as a user meets it: files in their standard places, and
// the real executable started under Xvfb on a fresh profile.
#include "tests/e2e/XScreen.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <set>
#include <utility>

using quorvane::test::XScreen;

namespace {

const QString kPrefix = QStringLiteral(QUORVANE_E2E_PREFIX);
const QString kScreenshot = QStringLiteral(QUORVANE_E2E_SCREENSHOT);

const QStringList kSampleNames = {"Greetings (UTF-16).txt", "Meeting notes (UTF-8 with mark).txt",
                                  "Packing list.txt"};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A screenshot taken before the first paint is one flat colour.
int DistinctColours(const QImage& image)
{
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width() && seen.size() < 16; x += 4)
            seen.insert(image.pixel(x, y));
    return int(seen.size());
}

} // namespace

TEST(InstalledProgram, PutsProgramsResourcesDesktopEntryAndIconInTheirPlaces)
{
    const QString data = kPrefix + "/share/quorvane";
    for (const QString& exe : {QString("/bin/quorvane"), QString("/bin/quorvane-batch")}) {
        const QFileInfo info(kPrefix + exe);
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << qPrintable(info.filePath());
    }
    for (const QString& name : kSampleNames)
        EXPECT_EQ(ReadAll(data + "/Samples/" + name),
                  ReadAll(QStringLiteral(QUORVANE_SOURCE_DIR "/dist/Samples/") + name))
            << qPrintable(name);
    EXPECT_EQ(QDir(data + "/Samples").entryList(QDir::Files).size(), kSampleNames.size());

    const QByteArray entry = ReadAll(kPrefix + "/share/applications/quorvane.desktop");
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n")) << entry.constData();
    for (const char* line : {"\nName=Quorvane\n", "\nExec=quorvane %F\n", "\nIcon=quorvane\n",
                             "\nType=Application\n", "\nCategories=Utility;TextTools;\n"})
        EXPECT_TRUE(entry.contains(line)) << line;

    // The program's own resources and the icon the desktop's menu shows.
    EXPECT_EQ(ReadAll(data + "/HAND-M.CUR"), ReadAll(QStringLiteral(QUORVANE_SOURCE_DIR "/resources/HAND-M.CUR")));
    EXPECT_EQ(ReadAll(data + "/drag.ico"), ReadAll(QStringLiteral(QUORVANE_SOURCE_DIR "/src/filelist/drag.ico")));
    // Files installed as they are in the source tree.
    const QString source = QStringLiteral(QUORVANE_SOURCE_DIR);
    const std::pair<QString, QString> copies[] = {
        {"/share/icons/hicolor/scalable/apps/quorvane.svg", "/resources/quorvane.svg"},
        {"/share/metainfo/app.quorvane.Quorvane.metainfo.xml", "/dist/app.quorvane.Quorvane.metainfo.xml"},
        {"/share/bash-completion/completions/quorvane-batch", "/dist/completion/quorvane-batch"},
    };
    for (const auto& copy : copies)
        EXPECT_EQ(ReadAll(kPrefix + copy.first), ReadAll(source + copy.second)) << qPrintable(copy.first);
    // The man pages, compressed, with the licence and the changelog beside.
    for (const char* page : {"quorvane", "quorvane-batch"}) {
        QProcess gzip;
        gzip.start("gzip", {"-dc", kPrefix + "/share/man/man1/" + page + ".1.gz"});
        ASSERT_TRUE(gzip.waitForFinished(30000));
        EXPECT_TRUE(gzip.readAllStandardOutput().contains("\n.SH NAME\n" + QByteArray(page) + " \\-")) << page;
    }
    EXPECT_TRUE(ReadAll(kPrefix + "/share/doc/quorvane/copyright").contains("\nLicense: MIT\n"));
    EXPECT_TRUE(QFileInfo(kPrefix + "/share/doc/quorvane/changelog.gz").isFile());
    for (int size : {32, 64, 128}) {
        const QImage icon(QString("%1/share/icons/hicolor/%2x%2/apps/quorvane.png").arg(kPrefix).arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size)) << size;
    }
}

TEST(InstalledProgram, StartsOnAFreshProfileStoresTheDesktopFolderAndClosesCleanly)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "no X display: xvfb-run is missing, so the real window cannot be started";

    XScreen screen;
    ASSERT_TRUE(screen.connected()) << "cannot connect to " << qPrintable(qgetenv("DISPLAY"));
    ASSERT_EQ(screen.findViewableWindow("Quorvane"), 0ul) << "another Quorvane window is already shown";

    QTemporaryDir sandbox;
    ASSERT_TRUE(sandbox.isValid());
    const QString home = sandbox.path() + "/home";
    const QString config = sandbox.path() + "/config";
    QDir().mkpath(home);
    QDir().mkpath(config);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("XDG_DATA_HOME", sandbox.path() + "/data");
    env.insert("XDG_CACHE_HOME", sandbox.path() + "/cache");
    env.remove("XDG_DESKTOP_DIR");
    env.insert("QT_QPA_PLATFORM", "xcb");

    QProcess program;
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::SeparateChannels);
    program.start(kPrefix + "/bin/quorvane", {});
    ASSERT_TRUE(program.waitForStarted(10000)) << qPrintable(program.errorString());

    const unsigned long window = screen.waitForWindow("Quorvane", 30000);
    if (!window) {
        program.kill();
        program.waitForFinished(5000);
        FAIL() << "no window titled \"Quorvane\" appeared; program output:\n"
               << program.readAllStandardError().constData();
    }

    // Give the first paint a moment to reach the server.
    QImage shot;
    for (int attempt = 0; attempt < 30; ++attempt) {
        QThread::msleep(200);
        shot = screen.grab(window);
        if (!shot.isNull() && DistinctColours(shot) > 8)
            break;
    }
    ASSERT_FALSE(shot.isNull());
    EXPECT_GT(DistinctColours(shot), 8) << "the window shows no drawing";
    EXPECT_GE(shot.width(), 600);
    EXPECT_GE(shot.height(), 300);
    QDir().mkpath(QFileInfo(kScreenshot).absolutePath());
    EXPECT_TRUE(shot.save(kScreenshot, "PNG")) << qPrintable(kScreenshot);

    // Start-up has written the fresh profile's choices before showing the window.
    const QString store = config + "/Plenmark/Quorvane.conf";
    ASSERT_TRUE(QFileInfo::exists(store)) << qPrintable(store);
    QSettings settings(store, QSettings::IniFormat);
    // A fresh home has no desktop folder, so the home folder is the default.
    EXPECT_EQ(settings.value("Output Folder").toString(), home + "/");
    // The installed program finds its samples under share/quorvane.
    const QString samples = QFileInfo(kPrefix).canonicalFilePath() + "/share/quorvane/Samples/";
    EXPECT_EQ(settings.value("Snapshot").toString(),
              samples + kSampleNames.join("|" + samples));

    screen.requestClose(window);
    const bool ended = program.waitForFinished(15000);
    if (!ended) {
        program.kill();
        program.waitForFinished(5000);
    }
    EXPECT_TRUE(ended) << "the program did not end after its window was closed";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().constData();
}
