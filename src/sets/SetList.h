#pragma once
// The set list: two parallel combo boxes, find texts and replace texts, kept
// the same length and sharing one selected index.
#include <QObject>
#include <QStringList>

class QComboBox;

namespace quorvane {

class Prompts;

class SetList : public QObject {
    Q_OBJECT
public:
    // Binds the two boxes (owned by the window) and installs the mirroring rule:
    // selecting an item in one box selects the same index in the other.
    SetList(QComboBox* find, QComboBox* replace, QObject* parent = nullptr);

    // Number of sets (items of the find box).
    int count() const;
    // Items of each box in list order; what the batch run and the writer read.
    QStringList finds() const;
    QStringList replaces() const;

    // Adds find to the end of the find box, then replace to the replace box.
    // The selection stays as it was; the new set is not selected.
    void append(const QString& find, const QString& replace);
    // Appends the pairs in order; extra items of the longer list are ignored.
    void appendAll(const QStringList& finds, const QStringList& replaces);
    // Removes each box's item at its own selected index (read just before its
    // own removal) without mirroring; leaves nothing selected.
    void removeSelected();
    // Empties the find box, then the replace box.
    void clear();

    // "Add Set": asks for "find::replace" and appends pieces 0 and 1. Failures
    // are reported under "Form1.PushButton7_Click".
    void addSetClicked(Prompts& prompts);
    // "Remove Selected Set", trapped under "Form1.PushButton6_Click".
    void removeSelectedClicked(Prompts& prompts);
    // "Clear All Sets", trapped under "Form1.PushButton4_Click".
    void clearAllClicked(Prompts& prompts);
    // "Save Sets": save dialog, then WriteSetsFile; trapped under "Form1.PushButton5_Click".
    void saveSetsClicked(Prompts& prompts);

private:
    void mirror(QComboBox* from, QComboBox* to);
    // Adds one item at the end of box without selecting it or mirroring.
    void appendTo(QComboBox* box, const QString& text);
    // Runs a change of the boxes with mirroring switched off.
    template <typename F> void quietly(F&& change);

    QComboBox* m_find;
    QComboBox* m_replace;
    bool m_quiet = false;
};

} // namespace quorvane
