#pragma once
// What a commit group needs of the backup its run keeps of the files it
// replaces (engine/backup/BackupRun.h is the real one). The group asks it to
// keep each target just before that target is replaced, has the records made
// durable once per flush before the renames, reports renames that failed, and
// tells when a flush's renames are over. The group's long results tell what
// they will have kept while they are written.
#include "engine/files/ContentHash.h"

#include <QByteArray>
#include <QString>

namespace quorvane {

class GroupBackup {
public:
    virtual ~GroupBackup() = default;

    // How the group's atomic files hash what is written to them.
    virtual HashKind hashKind() const = 0;
    // Keeps the file at target (a resolved write target) that a result of size
    // bytes hashing to hash is about to replace, or records that the result
    // creates it. Returns the record's key (0 when there is nothing to record,
    // as for a target that is not a regular file, whose rename fails anyway),
    // or -1 with error set to the errno that stopped it: that result must then
    // not be renamed.
    virtual qint64 keep(const QString& target, qint64 size, const QByteArray& hash, int& error) = 0;
    // Makes the records and kept files since the last call durable. False with
    // error set: none of those results may be renamed.
    virtual bool sync(int& error) = 0;
    // The result recorded under key was not renamed after all: its record is
    // marked dropped and its kept file removed.
    virtual void drop(qint64 key) = 0;
    // The renames since the last sync are over, each failed one dropped:
    // what is recorded now stays.
    virtual void landed() {}
    // A long result being written will have a file of bytes kept when it
    // lands; negative bytes take that back (it landed or was dropped). From
    // any thread.
    virtual void expect(qint64 /*bytes*/) {}
};

} // namespace quorvane
