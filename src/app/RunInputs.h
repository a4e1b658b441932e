#pragma once
// The window's find and replace texts, its set list and its matching options
// as a run reads them. A run reads them again for every file, so an edit made
// while it yields applies to the files after it; the pairs are made ready
// again only when a box, the set list or an option changes, never per file.
#include "app/MatchBoxes.h"
#include "engine/RunPairs.h"

#include <QObject>
#include <QString>
#include <memory>

class QComboBox;
class QPlainTextEdit;

namespace quorvane {

class SetList;

class RunInputs : public QObject {
    Q_OBJECT
public:
    // sets binds finds and replaces; their models' changes make the set pairs
    // anew. Every pair is matched as match shows, its boxes' toggles making
    // both kinds of pairs anew.
    RunInputs(QPlainTextEdit* findText, QPlainTextEdit* replaceText, const SetList& sets, QComboBox* finds,
              QComboBox* replaces, const MatchControls& match, QObject* parent = nullptr);

    // Single mode: the message a run stops with before a file ("The number of
    // lines of Find What and Replace With must be the same.", "You forgot to
    // input find what."), or empty when the texts pass.
    QString singleProblem();
    // Single mode: find line k with replace line k; a find line without a
    // partner (the replace text is empty) is deleted.
    std::shared_ptr<const RunPairs> singlePairs();
    // Sets mode: set k is (find item k, replace item k).
    // Pairs of either kind may hold a refused pattern or replacement
    // (RunPairs::problem()), for the run to tell before it takes them.
    std::shared_ptr<const RunPairs> setPairs();

private:
    void readTexts();

    QPlainTextEdit* m_findText;
    QPlainTextEdit* m_replaceText;
    const SetList& m_setList;
    MatchControls m_match;
    // Made on first use after a change; null while stale.
    QString m_problem;
    std::shared_ptr<const RunPairs> m_single;
    std::shared_ptr<const RunPairs> m_sets;
};

} // namespace quorvane
