#pragma once
// Start-up of the main window (Form_Load) and the helpers it runs: the skin,
// the occasional visit to the maker's site, the application title, the
// desktop folder, and the files and folders given on the command line.
#include <QString>
#include <QStringList>

class QWidget;

namespace quorvane {

class Form1;
class Prompts;

inline constexpr const char* kProductName = "Quorvane";
inline constexpr int kTitleLimit = 40;

// The whole start-up, steps 100 to 144, trapped as "Form1.Form_Load".
void RunFormLoad(Form1& form);

// Applies the style sheet "x/o.cjs" of the program's folder to window when the
// file exists; throws Failure when it exists but cannot be read.
void ApplySkin(QWidget& window);

// Opens the maker's site when a draw from 1 to 100 gives 7.
void OpenMakerSiteByChance(Prompts& prompts);

// The product name cut before its last space at least once, then again while
// longer than kTitleLimit; a name without a space stays whole.
QString CutApplicationTitle(const QString& productName);

// The default output folder: the user's desktop folder followed by '/', or
// the home folder followed by '/' when there is no desktop folder.
QString DesktopFolderPath();

// The tab change: stores "TabSel" = the index as text.
void StoreSelectedTab(int index);

// Files and folders named on the program's command line.
struct StartupPaths {
    QStringList paths;   // the names that are valid UTF-8, decoded
    QStringList refused; // the others, each byte outside UTF-8 shown as \xE9
};

// Reads argv[1] to argv[argc - 1] (the names, without options) as bytes:
// the file list holds paths as texts, and a name that is not UTF-8 would turn
// into another name.
StartupPaths ReadStartupPaths(int argc, const char* const* argv);

// Adds the given paths to the window's file list as a drop of them would (a
// folder as the files of its whole tree), a relative path taken from the
// working folder; the refused names are listed in one notice.
void AddStartupPaths(Form1& form, const StartupPaths& given);

} // namespace quorvane
