#pragma once
// The "Load Sets" dialog: picks a text file and a separator and appends the
// sets found in the file to the main window's set list.
#include <QCursor>
#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvane {

class Prompts;
class PointerHost;
class SetList;

class Form2 : public QDialog {
    Q_OBJECT
public:
    // Builds the dialog and runs Form_Load. pointerHost (may be null) tells
    // whether the main window shows the hourglass, which the hover rule respects.
    Form2(Prompts& prompts, SetList& sets, PointerHost* pointerHost = nullptr,
          QWidget* parent = nullptr);

    // "Load Sets" on the main window: shows the dialog modally and returns when
    // it closes. Failures are reported under "Form1.PushButton2_Click".
    static void RunModal(QWidget* parent, Prompts& prompts, SetList& sets,
                                        PointerHost* pointerHost = nullptr);

    // Icon, hover cursor, and the separator from the settings store; Text1 empty.
    void Form_Load();
    // "...": open dialog titled "Select Text File"; a chosen file goes to Text1.
    void PushButton16_Click();
    // "?": the separator help text.
    void PushButton3_Click();
    // "Load": checks separator and path, appends the file's sets (a notice
    // names the lines left out for not being UTF-8), closes.
    void PushButton1_Click();
    // "Cancel": closes; the set list stays as it was.
    void PushButton2_Click();
    // Stores Text2's whole text under "Form2.Text2".
    void Text2_Change();

    // The "?" text, lines joined by CR LF.
    static QString SeparatorHelpText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();

    Prompts& m_prompts;
    SetList& m_sets;
    PointerHost* m_pointerHost;
    std::optional<QCursor> m_hand;

    QLabel* m_label1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_label2 = nullptr;
    QLineEdit* m_text2 = nullptr;
    QPushButton* m_help = nullptr;
    QPushButton* m_load = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace quorvane
