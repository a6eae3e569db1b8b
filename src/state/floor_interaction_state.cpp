#include "state/floor_interaction_state.h"

#include <QCoreApplication>

FloorInteractionState::FloorInteractionState(QObject* parent) : QObject(parent) {}

FloorInteractionState& FloorInteractionState::shared()
{
    static FloorInteractionState* instance =
        new FloorInteractionState(QCoreApplication::instance());
    return *instance;
}

void FloorInteractionState::clearSelection()
{
    setSelectedFileNames({});
    setMarqueeSelecting(false);
    setMarqueeStart(std::nullopt);
    setMarqueeCurrent(std::nullopt);
}

void FloorInteractionState::setSelectedFileNames(const QSet<QString>& names)
{
    QStringList added;
    QStringList removed;
    for (const QString& name : names) {
        if (!m_selectedFileNames.contains(name))
            added << name;
    }
    for (const QString& name : std::as_const(m_selectedFileNames)) {
        if (!names.contains(name))
            removed << name;
    }
    if (added.isEmpty() && removed.isEmpty())
        return;
    m_selectedFileNames = names;
    m_selectionAdded = std::move(added);
    m_selectionRemoved = std::move(removed);
    Q_EMIT selectedFileNamesChanged();
}

void FloorInteractionState::changeSelection(const QStringList& added, const QStringList& removed)
{
    // Changed in place: copying a selection of thousands at each step of a marquee would cost
    // more than the step.
    QStringList in;
    QStringList out;
    for (const QString& name : removed) {
        if (m_selectedFileNames.remove(name))
            out << name;
    }
    for (const QString& name : added) {
        if (!m_selectedFileNames.contains(name)) {
            m_selectedFileNames.insert(name);
            in << name;
        }
    }
    if (in.isEmpty() && out.isEmpty())
        return;
    m_selectionAdded = std::move(in);
    m_selectionRemoved = std::move(out);
    Q_EMIT selectedFileNamesChanged();
}

void FloorInteractionState::toggleSelection(const QString& name)
{
    if (m_selectedFileNames.contains(name))
        changeSelection({}, {name});
    else
        changeSelection({name}, {});
}
