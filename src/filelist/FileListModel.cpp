#include "filelist/FileListModel.h"

#include "shell/Failure.h"

namespace quorvane {

QString ShownEntryText(const QString& text)
{
    if (text.size() <= kShownEntryLength)
        return text;
    qsizetype head = (kShownEntryLength - 1) / 2;
    qsizetype tail = kShownEntryLength - 1 - head;
    // Never cut a character in two: a pair that an edge would split is left out.
    if (text.at(head - 1).isHighSurrogate())
        --head;
    if (text.at(text.size() - tail).isLowSurrogate())
        --tail;
    return text.first(head) + QChar(0x2026) + text.last(tail);
}

FileListModel::FileListModel(QObject* parent) : QAbstractListModel(parent) {}

QString FileListModel::entryText(int position) const
{
    if (position < 1 || position > count())
        throw Failure(tr("Index out of bounds"));
    return m_entries.at(position - 1);
}

void FileListModel::addEntry(const QString& text)
{
    beginInsertRows(QModelIndex(), count(), count());
    m_entries.append(text);
    endInsertRows();
}

void FileListModel::addEntries(const QStringList& texts)
{
    if (texts.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(texts.size()) - 1);
    m_entries.append(texts);
    endInsertRows();
}

void FileListModel::removeEntry(int position)
{
    if (position < 1 || position > count())
        throw Failure(tr("Index out of bounds"));
    beginRemoveRows(QModelIndex(), position - 1, position - 1);
    m_entries.removeAt(position - 1);
    endRemoveRows();
}

void FileListModel::removePositions(const std::vector<int>& ascending)
{
    if (ascending.empty())
        return;
    std::size_t runs = 1;
    for (std::size_t i = 1; i < ascending.size(); ++i)
        runs += ascending[i] != ascending[i - 1] + 1;
    // Each removal moves the rows after it and makes the view re-lay them out,
    // so a scattered removal over a long list is done as one rebuild instead.
    if (runs > kMaxRemovalRuns) {
        QStringList kept;
        kept.reserve(m_entries.size() - qsizetype(ascending.size()));
        std::size_t next = 0;
        for (int row = 0; row < count(); ++row) {
            if (next < ascending.size() && ascending[next] == row + 1)
                ++next;
            else
                kept.append(m_entries.at(row));
        }
        beginResetModel();
        m_entries = std::move(kept);
        endResetModel();
        return;
    }
    // Runs of neighbouring positions go in one removal each, last run first, so
    // earlier positions stay valid.
    std::size_t end = ascending.size();
    while (end > 0) {
        std::size_t begin = end - 1;
        while (begin > 0 && ascending[begin - 1] == ascending[begin] - 1)
            --begin;
        const int first = ascending[begin] - 1;
        const int last = ascending[end - 1] - 1;
        beginRemoveRows(QModelIndex(), first, last);
        m_entries.remove(first, last - first + 1);
        endRemoveRows();
        end = begin;
    }
}

void FileListModel::clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

void FileListModel::exchange(int a, int b)
{
    if (a == b)
        return;
    m_entries.swapItemsAt(a - 1, b - 1);
    emit dataChanged(index(a - 1), index(a - 1));
    emit dataChanged(index(b - 1), index(b - 1));
}

bool FileListModel::contains(const QString& path) const
{
    bool found = false;
    for (const QString& e : m_entries)
        found = found || e == path;
    return found;
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    if (role == Qt::DisplayRole)
        return ShownEntryText(m_entries.at(index.row()));
    if (role == Qt::EditRole)
        return m_entries.at(index.row());
    return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_header;
    return {};
}

Qt::ItemFlags FileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

void FileListModel::setHeader(const QString& header)
{
    m_header = header;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

} // namespace quorvane
