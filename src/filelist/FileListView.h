#pragma once
// The file list's view: one column of paths, removal by double-click and
// Delete, reordering by dragging an entry, and files or folders dropped from
// outside. A drop-in QTreeView whose objectName is "ListView1".
#include "filelist/FolderScan.h"

#include <QCursor>
#include <QPersistentModelIndex>
#include <QTreeView>
#include <optional>

class QMimeData;

namespace quorvane {

class FileListModel;
class PointerHost;
class Prompts;

class FileListView : public QTreeView {
    Q_OBJECT
public:
    explicit FileListView(QWidget* parent = nullptr);

    // The window whose hourglass blocks removal and whose pointer a move over
    // the list restores. Unset, the top-level window is used when it is a
    // PointerHost; without one, nothing is blocked.
    void setPointerHost(PointerHost* host) { m_pointerHost = host; }
    // Where failures of a dropped folder's scan are reported; may be null.
    void setPrompts(Prompts* prompts) { m_prompts = prompts; }
    // Runs during a dropped folder's scan; defaults to processing window events.
    // It may throw OperationAbandoned to end the drop where it stands.
    void setYield(Yield yield) { m_yield = std::move(yield); }

    // The list's own event handlers; the view routes its events to them.
    void listMouseDown();
    // Starts dragging the selected entry.
    void listItemClick();
    // Reorders while a button is held: pos is in viewport coordinates.
    void listMouseMove(const QPoint& pos);
    void listMouseUp();
    // Removes the selected entry (double-click, Delete).
    void removeSelectedEntry();
    // True for data holding a list of local files or folders.
    static bool acceptsDropData(const QMimeData* data);
    // Appends the local paths of dropped data (see AddDroppedPaths).
    void dropData(const QMimeData* mime);

    bool isListMouseDown() const { return m_listMouseDown; }
    // Row of the entry being dragged, -1 when none.
    int dragRow() const { return m_dragItem.isValid() ? m_dragItem.row() : -1; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    FileListModel* fileList() const;
    PointerHost* pointerHost() const;
    // Droppable data, while no other list operation holds the list.
    bool canTakeDrop(const QMimeData* mime) const;
    QModelIndex selectedEntry() const;
    void scrollNearEdges(const QPoint& pos, int hoverRow);
    std::optional<QCursor> dragCursor();

    PointerHost* m_pointerHost = nullptr;
    Prompts* m_prompts = nullptr;
    Yield m_yield;
    bool m_listMouseDown = false;
    QPersistentModelIndex m_dragItem;
    QString m_dragCursorPath;
    std::optional<QCursor> m_dragCursor;
};

} // namespace quorvane
