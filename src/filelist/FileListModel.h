#pragma once
// The file list: paths in display order, positions counted from 1, duplicates
// allowed, texts stored verbatim. Uniform one-column rows so a million entries
// stay fast.
#include <QAbstractListModel>
#include <QStringList>
#include <vector>

namespace quorvane {

// How many characters of an entry are shown at most: a path of a million
// characters would make every repaint of the list measure all of them.
inline constexpr qsizetype kShownEntryLength = 320;

// text as the list shows it: whole when it has at most kShownEntryLength
// characters, else its start and its end (where the file name is) with "…"
// between them, kShownEntryLength characters in all.
QString ShownEntryText(const QString& text);

class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(QObject* parent = nullptr);

    int count() const { return int(m_entries.size()); }
    // Text at 1-based position; throws Failure when the position does not exist.
    QString entryText(int position) const;
    void addEntry(const QString& text);
    // Appends many entries with one row insertion.
    void addEntries(const QStringList& texts);
    // Removes the entry at 1-based position; throws Failure when it does not exist.
    void removeEntry(int position);
    // Removes the given 1-based positions, which must be ascending and exist,
    // from the last to the first.
    void removePositions(const std::vector<int>& ascending);
    void clear();
    // Exchanges the texts at two 1-based positions.
    void exchange(int a, int b);
    // True when some entry equals path exactly (case-sensitive, whole text).
    bool contains(const QString& path) const;
    const QStringList& entries() const { return m_entries; }

    // DisplayRole gives the ShownEntryText of an entry, EditRole its whole text.

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setHeader(const QString& header);

    // True while a long operation (ListOperation) holds the list.
    bool operationRunning() const { return m_operationRunning; }

private:
    friend class ListOperation;
    // Above this many separate runs, removePositions rebuilds the list in one reset.
    static constexpr std::size_t kMaxRemovalRuns = 64;
    QStringList m_entries;
    QString m_header;
    bool m_operationRunning = false;
};

// Holds the list for one long operation that yields (a name filter, a folder
// scan, a list load, a drop), so that none starts while another is under way:
// a filter's collected positions stay the entries it examined. Holds nothing,
// and converts to false, when another operation already holds the list.
class ListOperation {
public:
    explicit ListOperation(FileListModel& list)
        : m_list(list), m_held(!list.m_operationRunning)
    {
        list.m_operationRunning = true;
    }
    ~ListOperation()
    {
        if (m_held)
            m_list.m_operationRunning = false;
    }
    ListOperation(const ListOperation&) = delete;
    ListOperation& operator=(const ListOperation&) = delete;
    explicit operator bool() const { return m_held; }

private:
    FileListModel& m_list;
    bool m_held;
};

} // namespace quorvane
