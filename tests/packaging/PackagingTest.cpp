// What the install gives a user of the shell and of the desktop: completion of
// quorvane-batch's options and values, and a Debian package that holds both
// programs, the man page, the completion, a valid desktop entry and metainfo.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kBatch = QStringLiteral(QUORVANE_BATCH);
const QString kSource = QStringLiteral(QUORVANE_SOURCE_DIR);

struct Ran {
    int status = -1;
    QString out;
};

// Runs program to its end in folder; stdout and stderr together.
Ran RunProgram(const QString& program, const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, program + ": " + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

TEST(Packaging, BashCompletionOffersOptionsFromHelpAndValuesByTheirKind)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath("sub folder");
    QFile(dir.path() + "/list.txt").open(QIODevice::WriteOnly);

    // Each case: the words on the line, the last one being completed.
    struct Case {
        QStringList words;
        QString expected; // the completions, sorted, one per line
    };
    const Case cases[] = {
        {{"--fol"}, "--folder\n--follow"},
        {{"--ver"}, "--version"},
        {{"--folder", ""}, "sub folder"},
        {{"--output-folder", "="}, "sub folder"},   // --output-folder=
        {{"--output-folder", "=", "s"}, "sub folder"},
        {{"--sets", ""}, "list.txt\nsub folder"},
        {{"--list", "l"}, "list.txt"},
        {{"--find", ""}, ""},
        {{"--separator", "="}, ""},
        {{"--dry-run", "l"}, "list.txt"},
        {{"l"}, "list.txt"},
    };
    for (const Case& c : cases) {
        const QString script =
            "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _quorvane_batch;"
            " printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort";
        Ran ran = RunProgram("bash", QStringList{"-c", script, "bash", kSource + "/dist/completion/quorvane-batch",
                                          kBatch} + c.words, dir.path());
        EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
        EXPECT_EQ(ran.out.trimmed(), c.expected) << qPrintable(c.words.join(' '));
    }
}

TEST(Packaging, DebHoldsBothProgramsManPageCompletionAndValidDesktopFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Ran ran = RunProgram(QStringLiteral(QUORVANE_CPACK),
                  {"-G", "DEB", "--config", QUORVANE_BUILD_DIR "/CPackConfig.cmake", "-B", dir.path()},
                  QStringLiteral(QUORVANE_BUILD_DIR));
    ASSERT_EQ(ran.status, 0) << qPrintable(ran.out);
    const QStringList debs = QDir(dir.path()).entryList({"quorvane_" QUORVANE_VERSION "_*.deb"}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << qPrintable(ran.out);
    const QString deb = dir.path() + "/" + debs.first();

    ran = RunProgram("dpkg-deb", {"-c", deb});
    ASSERT_EQ(ran.status, 0) << qPrintable(ran.out);
    QStringList files;
    for (const QString& line : ran.out.split('\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith('d'))
            files.append(line.mid(line.indexOf(" ./") + 2));
    }
    for (const char* path : {"/usr/bin/quorvane", "/usr/bin/quorvane-batch",
                             "/usr/share/man/man1/quorvane-batch.1",
                             "/usr/share/bash-completion/completions/quorvane-batch",
                             "/usr/share/applications/quorvane.desktop",
                             "/usr/share/metainfo/app.quorvane.Quorvane.metainfo.xml",
                             "/usr/share/icons/hicolor/scalable/apps/quorvane.svg",
                             "/usr/share/icons/hicolor/128x128/apps/quorvane.png",
                             "/usr/share/quorvane/Samples/Packing list.txt"})
        EXPECT_TRUE(files.contains(path)) << path << "\n" << qPrintable(files.join('\n'));

    // The libraries come from dpkg-shlibdeps, with versions; the platform
    // plugins that Qt loads at run time are named by hand.
    ran = RunProgram("dpkg-deb", {"-f", deb, "Depends"});
    EXPECT_TRUE(ran.out.contains(QRegularExpression("(^|, )libqt6widgets6 \\(>= [0-9.]+\\)"))) << qPrintable(ran.out);
    EXPECT_TRUE(ran.out.contains(QRegularExpression("(^|, )libc6 \\(>= [0-9.]+\\)"))) << qPrintable(ran.out);
    EXPECT_TRUE(ran.out.contains("qt6-qpa-plugins")) << qPrintable(ran.out);

    const QString root = dir.path() + "/root";
    ASSERT_EQ(RunProgram("dpkg-deb", {"-x", deb, root}).status, 0);
    const QByteArray man = ReadAll(root + "/usr/share/man/man1/quorvane-batch.1");
    EXPECT_TRUE(man.contains("\"quorvane-batch " QUORVANE_VERSION "\" \"User Commands\"")) << man.constData();
    EXPECT_TRUE(man.contains("\n.SH NAME\nquorvane-batch \\- exact find-and-replace over a batch of text files\n"))
        << man.constData();
    // The tree's validation also checks that the metainfo's launchable names
    // the desktop entry the package holds.
    ran = RunProgram("desktop-file-validate", {root + "/usr/share/applications/quorvane.desktop"});
    EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
    ran = RunProgram("appstreamcli", {"validate-tree", "--no-net", "--strict", root});
    EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
}
