#pragma once
// The changes a run would make to one file, shown as a diff: hunks with old and
// new line numbers, removed lines red and added ones green, what changed within
// a line darker. The diff is worked out off the window's thread.
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
    void showChanges(const QString& source, const QString& output, std::vector<Pair> pairs);
    // Shows nothing and abandons any file in hand.
    void clear();

    // At most this many changes of a file are shown.
    static constexpr qint64 kMaxChanges = 1000;

signals:
    void changesShown();

private:
    struct Work;
    void abandon();
    void present(const FileDiff& diff);

    QLabel* m_summary;
    QPlainTextEdit* m_text;
    std::shared_ptr<Work> m_work;        // the file in hand
    std::vector<QThread*> m_threads;     // running, the abandoned ones included
};

} // namespace quorvane
