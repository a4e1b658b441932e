#include "app/Startup.h"

#include "app/AppIcon.h"
#include "app/Form1.h"
#include "app/OutputLocation.h"
#include "app/Samples.h"
#include "engine/files/PathHelpers.h"
#include "engine/text/TextCodec.h"
#include "filelist/FileListActions.h"
#include "filelist/FolderListing.h"
#include "shell/Chance.h"
#include "shell/CursorFile.h"
#include "shell/ErrorReport.h"
#include "shell/ProgramFolder.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTreeView>
#include <QUrl>

namespace quorvane {

namespace {
constexpr int kListColumnWidth = 467; // 7000 twips at 96 dots per inch

bool SnapshotMissing() { return ReadSetting(QStringLiteral("Snapshot"), QString()).isEmpty(); }

} // namespace

void ApplySkin(QWidget& window)
{
    const QString path = ProgramFolder() + QStringLiteral("/x/o.cjs");
    if (!QFileInfo::exists(path))
        return;
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw Failure(QCoreApplication::translate("quorvane::ErrorReport", "Permission denied"));
    window.setStyleSheet(QString::fromUtf8(file.readAll()));
}

void OpenMakerSiteByChance(Prompts& prompts)
{
    const int n = int(RandomFraction() * 100) + 1;
    if (n == 7)
        prompts.openUrl(QUrl(QString::fromLatin1(kMakerSite)));
}

QString CutApplicationTitle(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype space = title.lastIndexOf(u' ');
        if (space < 0)
            break;
        title.truncate(space);
    } while (title.size() > kTitleLimit);
    return title;
}

QString DesktopFolderPath()
{
    // A fresh account often has no desktop folder; a default naming a missing
    // folder would refuse the first run.
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty() || !QFileInfo(desktop).isDir())
        return WithTrailingSlash(QDir::homePath());
    return WithTrailingSlash(desktop);
}

void StoreSelectedTab(int index)
{
    // The tab change has no report of its own.
    try {
        WriteSetting(QStringLiteral("TabSel"), QString::number(index));
    } catch (const Failure&) {
    }
}

void RunFormLoad(Form1& form)
{
    StepTrap trap(form.prompts(), "Form1.Form_Load");
    const QString cursorPath = ProgramFolder() + QStringLiteral("/HAND-M.CUR");

    trap.step(100, [&] { ApplySkin(form); });
    bool cursorThere = true;
    trap.step(102, [&] { cursorThere = FileExists(cursorPath); });
    if (cursorThere)
        trap.step(104, [&] { form.setHandCursor(ReadCursorFile(cursorPath)); });
    trap.step(106, [&] { OpenMakerSiteByChance(form.prompts()); });
    trap.step(106, [&] {
        if (SnapshotMissing())
            RecordSampleSnapshot();
    });
    // A samples folder that held nothing is looked at once more.
    trap.step(124, [&] {
        if (SnapshotMissing())
            RecordSampleSnapshot();
    });
    trap.step(126, [&] {
        const QString product = QLatin1String(kProductName);
        form.setWindowTitle(product);
        QApplication::setWindowIcon(ApplicationIcon());
        form.setWindowIcon(ApplicationIcon());
        SetApplicationTitleText(CutApplicationTitle(product));
    });
    trap.step(128, [&] { form.fileList().setHeader(Form1::tr("File(s)")); });
    trap.step(130, [&] { form.listView()->setColumnWidth(0, kListColumnWidth); });
    trap.step(132, [&] {
        form.tabs()->setCurrentIndex(ReadWholeNumber(ReadSetting(QStringLiteral("TabSel"), QStringLiteral("0"))));
    });
    // The default is worked out first, also when a folder is stored.
    trap.step(134, [&] {
        const QString fallback = DesktopFolderPath();
        form.outputFolderText()->setText(ReadSetting(QStringLiteral("Output Folder"), fallback));
    });
    trap.step(136, [&] {
        form.option1()->setChecked(ReadTruth(ReadSetting(QStringLiteral("Option1"), QStringLiteral("1"))));
    });
    trap.step(138, [&] {
        form.option2()->setChecked(ReadTruth(ReadSetting(QStringLiteral("Option2"), QStringLiteral("0"))));
    });
    bool option1 = true;
    trap.step(140, [&] { option1 = form.option1()->isChecked(); });
    if (option1)
        trap.step(142, [&] { form.frame1()->setEnabled(true); });
    else
        trap.step(144, [&] { form.frame1()->setEnabled(false); });
}

StartupPaths ReadStartupPaths(int argc, const char* const* argv)
{
    StartupPaths given;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView name(argv[i]);
        if (IsUtf8Name(name))
            given.paths.append(Utf8Text(name));
        else
            given.refused.append(EscapedName(name));
    }
    return given;
}

void AddStartupPaths(Form1& form, const StartupPaths& given)
{
    QStringList paths;
    for (const QString& path : given.paths)
        paths.append(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    // As with a drop, nothing that goes wrong with a path may end the program,
    // and closing the window during a folder's scan simply ends it.
    try {
        AddDroppedPaths(form.fileList(), paths, &form.prompts(), form.listYield());
    } catch (const std::exception&) {
    } catch (const OperationAbandoned&) {
    }
    if (given.refused.isEmpty())
        return;
    // One file has a sentence of its own: the English is the source text, with
    // no catalogue to give its plural forms.
    QString text = given.refused.size() == 1
        ? Form1::tr("This file given at start-up was not added: its name is not valid UTF-8.")
        : Form1::tr("These files given at start-up were not added: their names are not valid UTF-8.", nullptr,
                    int(given.refused.size()));
    text += u'\r';
    for (const QString& name : given.refused)
        text += u'\r' + name;
    form.prompts().notice(text, ApplicationTitle());
}

} // namespace quorvane
