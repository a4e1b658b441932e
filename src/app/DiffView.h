#pragma once
// The changes a run would make to one file, shown as a diff: hunks with old and
// new line numbers, removed lines red and added ones green, what changed within
// a line darker. The diff is worked out off the window's thread.
#include "app/ApprovedRun.h"
#include "engine/FileReplace.h"

#include <QWidget>
#include <memory>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QThread;

namespace quorvane {

struct FileDiff;

class DiffView : public QWidget {
    Q_OBJECT
public:
    explicit DiffView(QWidget* parent = nullptr);
    ~DiffView() override;

    // Starts working out what pairs would change in source written to output
    // (in place when equal), abandoning the file shown before; meanwhile the
    // view says so. changesShown() follows once the changes are shown.
    // leftOut: the changes shown unchecked (approving only). Null pairs change nothing.
    void showChanges(const QString& source, const QString& output, std::shared_ptr<const RunPairs> pairs,
                     std::vector<LeftOut> leftOut = {});
    // The same with exact pairs.
    void showChanges(const QString& source, const QString& output, std::vector<Pair> pairs,
                     std::vector<LeftOut> leftOut = {});
    // Shows nothing and abandons any file in hand.
    void clear();

    // Approving: each change's header carries a check box ("[x] ", "[ ] "),
    // checked at first; Space toggles the change at the cursor, as does a
    // click on its box.
    void setApproving(bool on) { m_approving = on; }
    int changeCount() const { return int(m_hunks.size()); }
    bool isChecked(int change) const { return m_hunks.at(size_t(change)).checked; }
    void setChecked(int change, bool checked);
    // The unchecked changes of the file shown, in order.
    std::vector<LeftOut> leftOut() const;

    // At most this many changes of a file are shown.
    static constexpr qint64 kMaxChanges = 1000;

signals:
    void changesShown();
    // A change was checked or unchecked by the user.
    void checksChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Work;
    struct Shown {
        LeftOut lines;
        int block = 0;   // its header's
        bool checked = true;
    };
    void abandon();
    void present(const FileDiff& diff);
    int changeAt(int block) const;
    void toggle(int change);

    QLabel* m_summary;
    QPlainTextEdit* m_text;
    std::shared_ptr<Work> m_work;        // the file in hand
    bool m_approving = false;
    std::vector<LeftOut> m_leftOut;      // of the file in hand
    std::vector<Shown> m_hunks;          // of the file shown
    std::vector<QThread*> m_threads;     // running, the abandoned ones included
};

} // namespace quorvane
