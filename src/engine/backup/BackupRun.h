#pragma once
// One run's part of the backup store (see engine/backup/BackupStore.h): a
// folder holding the old files the run replaced and its manifest. Attached to
// the run's commit group (CommitGroup::setBackup), it keeps each file just
// before a result replaces it, as a hard link where the store shares the
// file's file system and as a copy otherwise. The folder is made at the first
// file kept, so a run that replaces nothing leaves none behind. Finishing, with
// or without files kept, makes it the store's last run (engine/backup/LastRun.h);
// a run kept by no group so records a run without backups.
#include "engine/backup/Manifest.h"
#include "engine/write/GroupBackup.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <atomic>
#include <functional>

namespace quorvane {

class BackupRun final : public GroupBackup {
public:
    ~BackupRun() override;   // finishes
    BackupRun(const BackupRun&) = delete;
    BackupRun& operator=(const BackupRun&) = delete;

    // The run's name in the store, sortable by the time it began.
    const QString& id() const { return m_id; }
    // Files recorded and not dropped so far.
    int files() const { return m_files; }
    // True once a result is in place with its file recorded: the run will
    // stay in the store. From any thread.
    bool lasting() const { return m_lasting.load(std::memory_order_acquire); }
    // Bytes of the old files kept for results now in place, and those long
    // results being written expect to have kept (expect()). From any thread.
    qint64 keepingBytes() const
    {
        return m_landedBytes.load(std::memory_order_acquire) + m_expectedBytes.load(std::memory_order_acquire);
    }
    // grown is called, on the thread that tells, each time a long result
    // being written expects bytes kept. Set it before the run's first file.
    void setOnExpect(std::function<void()> grown) { m_grown = std::move(grown); }
    // After the group's last flush: puts the rest of the manifest on disk and
    // lets go of the run; a run with no file recorded is removed with its
    // folder. Then notes the run as the store's last.
    void finish();

    HashKind hashKind() const override;
    qint64 keep(const QString& target, qint64 size, const QByteArray& hash, int& error) override;
    bool sync(int& error) override;
    void drop(qint64 key) override;
    void landed() override;
    void expect(qint64 bytes) override;

private:
    friend class BackupStore;
    BackupRun(QString id, QString folder, QDateTime started, QString description, BackupRunMode mode);
    bool open(int& error);
    void close();
    bool writePending(int& error);

    QString m_id;
    QString m_folder;
    QDateTime m_started;
    QString m_description;
    BackupRunMode m_mode;
    int m_dirFd = -1;        // holds the run's lock while it goes
    int m_manifestFd = -1;
    QByteArray m_head;       // the manifest's first line
    QByteArray m_pending;    // manifest lines not yet written
    qint64 m_last = 0;       // number of the last record
    int m_files = 0;
    std::atomic<bool> m_lasting{false};
    std::atomic<qint64> m_landedBytes{0};
    std::atomic<qint64> m_expectedBytes{0};
    std::function<void()> m_grown;
    qint64 m_keptBytes = 0;          // of the files recorded and not dropped
    QHash<qint64, qint64> m_keptOf;  // record number -> its old file's bytes, for drop
    QHash<qint64, QString> m_pathOf; // record number -> its path, for the run's folder
    bool m_noted = false;    // the store's last-run note is up to date
    bool m_copied = false;   // a copy was made since the last sync
    bool m_named = false;    // a file was added to the folder since the last sync
};

} // namespace quorvane
