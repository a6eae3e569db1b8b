#include "move_test_support.h"

#include "platform/extended_attributes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool RefusingTrash::moveToTrash(const QString&, QString* error)
{
    if (error)
        *error = QStringLiteral("refused");
    return false;
}

QStringList FakePrompts::chooseItems(const OpenPanel& panel)
{
    panels.append(panel);
    return answer;
}

std::optional<QList<DesktopIcon>> FakeDesktopIcons::icons(QString* error)
{
    if (!listed && error)
        *error = listError;
    return listed;
}

bool FakeDesktopIcons::moveIcon(const QString& name, const QPoint& position)
{
    QMutexLocker lock(&m_mutex);
    m_moves.append({name, position});
    return true;
}

bool FakeDesktopIcons::setIconsShown(bool value)
{
    switchedTo.append(value);
    if (acceptsSwitch)
        shown = value;
    return acceptsSwitch;
}

QList<DesktopIconMove> FakeDesktopIcons::moves() const
{
    QMutexLocker lock(&m_mutex);
    return m_moves;
}

MoveFixture::MoveFixture() : storage(home.start())
{
    storage->setEventSounds(&sounds);
    storage->setUserPrompts(&prompts);
}

QString MoveFixture::userFile(const QString& relativePath, const QByteArray& content) const
{
    const QString path = home.home() + QLatin1Char('/') + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
    return path;
}

QString MoveFixture::trashRoot() const
{
    return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Trash");
}

FloorPositions MoveFixture::storedPositions() const
{
    const auto layout = decodeFloorLayout(home.read(QStringLiteral("floor_positions.json")));
    return layout ? layout->itemPositions : FloorPositions{};
}

QString originOf(const QString& path)
{
    return StorageManager::readOriginAttribute(QUrl::fromLocalFile(path)).value_or(QString());
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
