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

void FloorInteractionState::toggleSelection(const QString& name)
{
    QSet<QString> names = m_selectedFileNames;
    if (!names.remove(name))
        names.insert(name);
    setSelectedFileNames(names);
}
