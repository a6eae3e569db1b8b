#include "storage/json_writer.h"

#include "platform/background_work.h"

#include <QMutexLocker>

JsonWriter::JsonWriter(QObject* parent) : QObject(parent)
{
    // One thread: the writes land in the order they were asked for.
    m_pool.setMaxThreadCount(1);
    BackgroundWork::track(&m_pool);
}

JsonWriter::~JsonWriter()
{
    // What is reported no longer matters, but every write is made.
    BackgroundWork::untrack(&m_pool);
    m_pool.waitForDone();
}

void JsonWriter::write(const QString& path, const QByteArray& bytes,
                       const JsonFile::Validator& decodes, const Done& done)
{
    ++m_pending[path];
    m_pool.start([this, path, bytes, decodes, done] {
        const bool written = JsonFile::write(path, bytes, decodes);
        {
            const QMutexLocker lock(&m_mutex);
            m_finished.append(Finished{path, written, done});
        }
        QMetaObject::invokeMethod(this, &JsonWriter::report, Qt::QueuedConnection);
    });
}

void JsonWriter::write(const QString& path, const Encode& encode,
                       const JsonFile::Validator& decodes, const DoneWithBytes& done)
{
    ++m_pending[path];
    m_pool.start([this, path, encode, decodes, done] {
        const std::optional<QByteArray> bytes = encode();
        const bool written = bytes && JsonFile::write(path, *bytes, decodes);
        {
            const QMutexLocker lock(&m_mutex);
            m_finished.append(Finished{path, written, {}, done, bytes.value_or(QByteArray())});
        }
        QMetaObject::invokeMethod(this, &JsonWriter::report, Qt::QueuedConnection);
    });
}

void JsonWriter::flush()
{
    m_pool.waitForDone();
    report();
}

void JsonWriter::report()
{
    QList<Finished> finished;
    {
        const QMutexLocker lock(&m_mutex);
        finished.swap(m_finished);
    }
    for (const Finished& f : finished) {
        if (--m_pending[f.path] <= 0)
            m_pending.remove(f.path);
        if (f.done)
            f.done(f.written);
        if (f.doneWithBytes)
            f.doneWithBytes(f.written, f.bytes);
    }
}
