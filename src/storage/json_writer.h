#pragma once

#include "storage/json_file.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QThreadPool>

#include <functional>
#include <optional>

// Writes the room's JSON files on a worker thread, one at a time in the order they were
// asked for, each whole and atomically (JsonFile::write, which waits until the disk has the
// bytes): a save at the end of a drag or a drop costs the GUI thread nothing, however slow
// the disk is. Every write asked for is made, also when the writer goes away.
class JsonWriter : public QObject {
    Q_OBJECT
public:
    // Called on the thread the writer lives in, once the bytes are on disk (true) or were
    // refused.
    using Done = std::function<void(bool written)>;

    explicit JsonWriter(QObject* parent = nullptr);
    ~JsonWriter() override;

    void write(const QString& path, const QByteArray& bytes, const JsonFile::Validator& decodes,
               const Done& done);
    // The same with the bytes made on the worker too (a large layout takes a while to
    // encode); `done` is handed them. Nothing is written when `encode` gives nothing.
    using Encode = std::function<std::optional<QByteArray>()>;
    using DoneWithBytes = std::function<void(bool written, const QByteArray& bytes)>;
    void write(const QString& path, const Encode& encode, const JsonFile::Validator& decodes,
               const DoneWithBytes& done);
    // Whether a write to `path` has not been reported yet: the file may still hold older
    // bytes than the room's.
    bool isWriting(const QString& path) const { return m_pending.value(path) > 0; }
    // Waits for every write asked for so far and reports them.
    void flush();

private:
    struct Finished {
        QString path;
        bool written = false;
        Done done;
        DoneWithBytes doneWithBytes;
        QByteArray bytes;
    };
    void report();

    QThreadPool m_pool;
    QMutex m_mutex;
    QList<Finished> m_finished; // under m_mutex
    QHash<QString, int> m_pending;
};
