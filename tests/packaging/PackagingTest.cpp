// What the install gives a user of the shell and of the desktop: completion of
// quorvane-batch's options and values, and a Debian package that holds both
// programs, their man pages, the completion, a valid desktop entry and
// metainfo, the licence and the changelog, and that lintian accepts.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kBatch = QStringLiteral(QUORVANE_BATCH);
const QString kSource = QStringLiteral(QUORVANE_SOURCE_DIR);

struct Ran {
    int status = -1;
    QString out;
};

// Runs program to its end in folder, with the variables of environment
// ("NAME=value") set; stdout and stderr together.
Ran RunProgram(const QString& program, const QStringList& arguments, const QString& folder = {},
               const QStringList& environment = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : environment)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    process.setProcessEnvironment(env);
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

// The content of a gzip file.
QByteArray Gunzipped(const QString& path)
{
    QProcess gzip;
    gzip.start("gzip", {"-dc", path});
    return gzip.waitForFinished(30000) && gzip.exitCode() == 0 ? gzip.readAllStandardOutput()
                                                              : QByteArray("<not gzip>");
}

// The package CPack makes of the build, made once for the tests that look at it.
struct Package {
    QTemporaryDir dir;
    QString deb;     // empty when CPack failed
    QString root;    // the package's files, unpacked
    QString log;
};

const Package& BuiltPackage()
{
    static Package* const package = [] {
        auto* p = new Package;
        Ran ran = RunProgram(QStringLiteral(QUORVANE_CPACK),
                             {"-G", "DEB", "--config", QUORVANE_BUILD_DIR "/CPackConfig.cmake", "-B", p->dir.path()},
                             QStringLiteral(QUORVANE_BUILD_DIR));
        p->log = ran.out;
        const QStringList debs = QDir(p->dir.path()).entryList({"quorvane_" QUORVANE_VERSION "_*.deb"}, QDir::Files);
        if (ran.status != 0 || debs.size() != 1)
            return p;
        p->deb = p->dir.path() + "/" + debs.first();
        p->root = p->dir.path() + "/root";
        if (RunProgram("dpkg-deb", {"-x", p->deb, p->root}).status != 0)
            p->deb.clear();
        return p;
    }();
    return *package;
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
        {{"--ver"}, "--verbose\n--version"},
        {{"--folder", ""}, "sub folder"},
        {{"--output-folder", "="}, "sub folder"},   // --output-folder=
        {{"--output-folder", "=", "s"}, "sub folder"},
        {{"--sets", ""}, "list.txt\nsub folder"},
        {{"--list", "l"}, "list.txt"},
        {{"--find", ""}, ""},
        {{"--separator", "="}, ""},
        {{"--dry-run", "l"}, "list.txt"},
        {{"l"}, "list.txt"},
        {{"--undo", ""}, "%1"},     // the run made below
        {{"--undo", "="}, "%1"},
        {{"--undo", "-"}, ""},      // options, completed as after any word
    };
    // A run whose backups --undo could put back, in a store of this test's own
    // (apart from dir, whose names are completed).
    QTemporaryDir runs;
    ASSERT_TRUE(runs.isValid());
    const QString store = "XDG_DATA_HOME=" + runs.path() + "/data";
    QFile changed(runs.path() + "/f.txt");
    ASSERT_TRUE(changed.open(QIODevice::WriteOnly) && changed.write("a") == 1);
    changed.close();
    ASSERT_EQ(RunProgram(kBatch, {"--find", "a", "--replace", "b", "--in-place", "f.txt"}, runs.path(), {store}).status,
              0);
    const Ran listed = RunProgram(kBatch, {"--list-runs"}, runs.path(), {store});
    const QString run = listed.out.section('\t', 0, 0);
    ASSERT_FALSE(run.isEmpty()) << qPrintable(listed.out);
    for (const Case& c : cases) {
        const QString script =
            "source \"$1\"; shift; COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _quorvane_batch;"
            " printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort";
        Ran ran = RunProgram("bash", QStringList{"-c", script, "bash", kSource + "/dist/completion/quorvane-batch",
                                          kBatch} + c.words, dir.path(), {store});
        EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
        const QString expected = c.expected.contains("%1") ? c.expected.arg(run) : c.expected;
        if (c.words.first() == "--undo" && c.words.last() == "-")
            EXPECT_TRUE(ran.out.startsWith("--backup-runs\n")) << qPrintable(ran.out);
        else
            EXPECT_EQ(ran.out.trimmed(), expected) << qPrintable(c.words.join(' '));
    }
}

TEST(Packaging, DebHoldsBothProgramsTheirManPagesCompletionLicenceAndValidDesktopFiles)
{
    const Package& package = BuiltPackage();
    ASSERT_FALSE(package.deb.isEmpty()) << qPrintable(package.log);
    const QString& deb = package.deb;
    const QString& root = package.root;

    Ran ran = RunProgram("dpkg-deb", {"-c", deb});
    ASSERT_EQ(ran.status, 0) << qPrintable(ran.out);
    QStringList files;
    for (const QString& line : ran.out.split('\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith('d'))
            files.append(line.mid(line.indexOf(" ./") + 2));
    }
    for (const char* path : {"/usr/bin/quorvane", "/usr/bin/quorvane-batch",
                             "/usr/share/man/man1/quorvane.1.gz",
                             "/usr/share/man/man1/quorvane-batch.1.gz",
                             "/usr/share/doc/quorvane/copyright",
                             "/usr/share/doc/quorvane/changelog.gz",
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
    EXPECT_EQ(RunProgram("dpkg-deb", {"-f", deb, "Recommends"}).out, "bash-completion\n");

    // Each program's man page: its name line, and the command line's three
    // synopses as three (not run into the description), then its examples.
    const QByteArray window = Gunzipped(root + "/usr/share/man/man1/quorvane.1.gz");
    EXPECT_TRUE(window.contains("\"quorvane " QUORVANE_VERSION "\" \"User Commands\"")) << window.constData();
    EXPECT_TRUE(window.contains("\n.SH NAME\nquorvane \\- window for exact find-and-replace over a batch of text "
                                "files\n")) << window.constData();
    const QByteArray man = Gunzipped(root + "/usr/share/man/man1/quorvane-batch.1.gz");
    EXPECT_TRUE(man.contains("\"quorvane-batch " QUORVANE_VERSION "\" \"User Commands\"")) << man.constData();
    EXPECT_TRUE(man.contains("\n.SH NAME\nquorvane-batch \\- exact find-and-replace over a batch of text files\n"))
        << man.constData();
    const QByteArray synopsis = man.mid(man.indexOf(".SH SYNOPSIS"), man.indexOf(".SH DESCRIPTION")
                                                                         - man.indexOf(".SH SYNOPSIS"));
    EXPECT_EQ(synopsis.count(".B quorvane-batch\n"), 4) << synopsis.constData();
    EXPECT_TRUE(synopsis.contains("\n.br\n.B quorvane-batch\n\\fI\\,--list-runs\\/\\fR\n")) << synopsis.constData();
    EXPECT_LT(man.indexOf(".SH OPTIONS"), man.indexOf(".SH EXAMPLES"));
    EXPECT_TRUE(man.contains("\n.SH EXAMPLES\n.TP\n.B quorvane\\-batch \\-\\-find colour \\-\\-replace color "
                             "\\-\\-in\\-place notes/*.txt\n")) << man.constData();

    // The licence in Debian's machine-readable form, and a changelog of this version.
    const QByteArray copyright = ReadAll(root + "/usr/share/doc/quorvane/copyright");
    EXPECT_TRUE(copyright.startsWith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
    EXPECT_TRUE(copyright.contains("\nFiles: *\nCopyright: 2026 The Quorvane developers\nLicense: MIT\n Permission "
                                   "is hereby granted, free of charge,")) << copyright.constData();
    EXPECT_TRUE(Gunzipped(root + "/usr/share/doc/quorvane/changelog.gz")
                    .startsWith("quorvane (" QUORVANE_VERSION ") unstable; urgency=medium\n"));
    EXPECT_TRUE(ReadAll(kSource + "/LICENSE").contains("\nCopyright (c) 2026 The Quorvane developers\n"));
    EXPECT_TRUE(ReadAll(root + "/usr/share/metainfo/app.quorvane.Quorvane.metainfo.xml")
                    .contains("<project_license>MIT</project_license>"));

    // The tree's validation also checks that the metainfo's launchable names
    // the desktop entry the package holds.
    ran = RunProgram("desktop-file-validate", {root + "/usr/share/applications/quorvane.desktop"});
    EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
    ran = RunProgram("appstreamcli", {"validate-tree", "--no-net", "--strict", root});
    EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
}

TEST(Packaging, LintianFindsNoErrorOrWarningInTheDeb)
{
    if (QStandardPaths::findExecutable("lintian").isEmpty())
        GTEST_SKIP() << "lintian is not installed (scripts/test installs it)";
    const Package& package = BuiltPackage();
    ASSERT_FALSE(package.deb.isEmpty()) << qPrintable(package.log);
    const Ran ran = RunProgram("lintian", {"--tag-display-limit", "0", package.deb});
    QStringList complaints;
    for (const QString& line : ran.out.split('\n', Qt::SkipEmptyParts))
        if (line.startsWith("E: ") || line.startsWith("W: "))
            complaints.append(line);
    EXPECT_EQ(complaints, QStringList()) << qPrintable(ran.out);
    EXPECT_EQ(ran.status, 0) << qPrintable(ran.out);
}
