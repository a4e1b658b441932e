#include "filelist/FileListView.h"

#include "filelist/FileListActions.h"
#include "filelist/FileListModel.h"
#include "shell/Pointer.h"
#include "shell/ProgramFolder.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>

namespace quorvane {

FileListView::FileListView(QWidget* parent) : QTreeView(parent), m_yield(WindowYield())
{
    setObjectName("ListView1");
    setToolTip(tr("Drag and drop files here. Double-click item to remove it. Move | line to right "
                  "and out of window to reveal full names."));
    // Uniform rows and no decoration keep a million entries fast to show and scroll.
    setUniformRowHeights(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    // Reordering is done by our own mouse handling, so Qt's item dragging stays
    // off; drops from outside are decided by our handlers alone.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    header()->setStretchLastSection(false);
}

FileListModel* FileListView::fileList() const
{
    return qobject_cast<FileListModel*>(model());
}

PointerHost* FileListView::pointerHost() const
{
    return m_pointerHost ? m_pointerHost : dynamic_cast<PointerHost*>(window());
}

QModelIndex FileListView::selectedEntry() const
{
    return SelectedEntry(*this);
}

std::optional<QCursor> FileListView::dragCursor()
{
    // Loaded once per program folder; a missing picture is looked for again next time.
    const QString path = ProgramFolder() + QStringLiteral("/drag.ico");
    if (path != m_dragCursorPath || !m_dragCursor) {
        m_dragCursorPath = path;
        m_dragCursor.reset();
        QPixmap picture;
        if (QFileInfo(path).isFile() && picture.load(path))
            m_dragCursor = QCursor(picture, 0, 0);
    }
    return m_dragCursor;
}

void FileListView::listMouseDown() { m_listMouseDown = true; }

void FileListView::listItemClick()
{
    // Without the picture the drag works the same with the normal pointer.
    if (const std::optional<QCursor> cursor = dragCursor())
        viewport()->setCursor(*cursor);
    m_dragItem = selectedEntry();
}

void FileListView::listMouseMove(const QPoint& pos)
{
    PointerHost* host = pointerHost();
    if (host && !host->busy() && host->pointer() != PointerStyle::Default)
        host->setPointer(PointerStyle::Default);
    if (!m_listMouseDown)
        return;
    FileListModel* list = fileList();
    const QModelIndex hover = indexAt(pos);
    // A running filter holds positions it has examined: entries keep their places.
    if (!list || list->operationRunning() || !hover.isValid() || !m_dragItem.isValid())
        return;
    const int dragRow = m_dragItem.row();
    const int hoverRow = hover.row();
    // Only the dragged entry and the one under the pointer trade places, even
    // when the pointer skipped rows between two moves.
    if (list->entryText(dragRow + 1) == list->entryText(hoverRow + 1))
        return;
    list->exchange(dragRow + 1, hoverRow + 1);
    const QModelIndex target = list->index(hoverRow);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_dragItem = target;
    scrollNearEdges(pos, hoverRow);
}

void FileListView::scrollNearEdges(const QPoint& pos, int hoverRow)
{
    // The band is one row high at the list's own top and bottom edges.
    const int band = qMax(sizeHintForRow(0), 1);
    if (pos.y() < band && hoverRow > 0)
        scrollTo(model()->index(hoverRow - 1, 0));
    else if (pos.y() >= viewport()->height() - band && hoverRow + 1 < model()->rowCount())
        scrollTo(model()->index(hoverRow + 1, 0));
}

void FileListView::listMouseUp()
{
    m_listMouseDown = false;
    viewport()->setCursor(Qt::ArrowCursor);
}

void FileListView::removeSelectedEntry()
{
    if (FileListModel* list = fileList())
        RemoveSelectedEntry(*this, *list, pointerHost());
}

bool FileListView::acceptsDropData(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return false;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return false;
    }
    return true;
}

void FileListView::dropData(const QMimeData* mime)
{
    FileListModel* list = fileList();
    if (!list || !acceptsDropData(mime))
        return;
    QStringList paths;
    for (const QUrl& url : mime->urls())
        paths.append(url.toLocalFile());
    // Nothing that goes wrong with a dropped path may end the program; a drop
    // abandoned because the window closes simply ends.
    try {
        AddDroppedPaths(*list, paths, m_prompts, m_yield);
    } catch (const std::exception&) {
    } catch (const OperationAbandoned&) {
    }
}

void FileListView::mousePressEvent(QMouseEvent* event)
{
    listMouseDown();
    QTreeView::mousePressEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        listItemClick();
}

void FileListView::mouseMoveEvent(QMouseEvent* event)
{
    listMouseMove(event->position().toPoint());
    // While reordering, Qt's own selection sweep and item drag must stay out.
    if (!m_listMouseDown)
        QTreeView::mouseMoveEvent(event);
}

void FileListView::mouseReleaseEvent(QMouseEvent* event)
{
    listMouseUp();
    QTreeView::mouseReleaseEvent(event);
}

void FileListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    listMouseDown();
    QTreeView::mouseDoubleClickEvent(event);
    removeSelectedEntry();
}

void FileListView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete) {
        removeSelectedEntry();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

bool FileListView::canTakeDrop(const QMimeData* mime) const
{
    const FileListModel* list = fileList();
    return acceptsDropData(mime) && !(list && list->operationRunning());
}

void FileListView::dragEnterEvent(QDragEnterEvent* event)
{
    if (canTakeDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileListView::dragMoveEvent(QDragMoveEvent* event)
{
    if (canTakeDrop(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void FileListView::dropEvent(QDropEvent* event)
{
    if (!canTakeDrop(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dropData(event->mimeData());
}

} // namespace quorvane
