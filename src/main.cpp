#include "app/room_start.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    RoomStart room;
    if (const std::optional<int> ended = room.begin())
        return *ended;
    return app.exec();
}
