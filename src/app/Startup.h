#pragma once
// Start-up of the main window (Form_Load) and the helpers it runs: the skin,
// the occasional visit to the maker's site, the application title and the
// desktop folder.
#include <QString>

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

} // namespace quorvane
