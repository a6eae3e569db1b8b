// Renders the room window offscreen and writes a PNG, so anyone can look at the room
// without a display:
//
//   pondsill-snapshot [--size 1440x900] [--home DIR] [--state NAME]... [--hold SECONDS]
//                     --out room.png
//
// With --hold the room runs for that long before the picture is taken (run it on a real
// display, e.g. under xvfb-run with QT_QPA_PLATFORM=xcb) and the processor time it used in
// that while is printed: the way to measure what the room costs when idle or in fire mode.
//
// States: lamp-off, fire, picker, card:<clock|calendar|monitor|mail|whatsapp|trash|guitar|
// acoustic-guitar|quennet-plaque|tolvane-plaque|photo-N>, and slots (outlines every piece
// of furniture that has no view yet, to check the layout).
#include "app/interactive_desktop_window.h"
#include "kit/colors.h"
#include "kit/room_item.h"
#include "kit/units.h"
#include "room/asset_loader.h"
#include "room/room_pieces.h"
#include "room/room_view.h"
#include "state/app_state.h"
#include "state/floor_interaction_state.h"
#include "storage/storage_manager.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace {
// A furniture slot's frame, outlined and named.
class SlotOutline : public RoomItem {
public:
    explicit SlotOutline(QString name) : m_name(std::move(name)) {}
    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->fillRect(rect(), Colors::white(0.18));
        painter->setPen(QPen(Colors::srgb(0.9, 1, 0.37), 1.5, Qt::DashLine));
        painter->drawRect(rect().adjusted(0.75, 0.75, -0.75, -0.75));
        painter->setPen(Qt::white);
        painter->setFont(Units::systemFont(10, QFont::Bold));
        painter->drawText(rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap,
                          m_name);
    }

private:
    QString m_name;
};

const char* const kFurnitureNames[kFurnitureCount] = {
    "shelf",  "portrait", "clock", "portrait", "corkboard", "plant",    "desk",  "monitor", "lamp",
    "plaque", "plaque",   "radio", "gallery",  "guitar",    "acoustic", "trash", "sandals",
};

bool applyCard(AppState& state, const QString& name)
{
    using V = ActiveDesktopQuickView;
    static const std::map<QString, std::function<V()>> cards = {
        {QStringLiteral("clock"), &V::clock},
        {QStringLiteral("calendar"), &V::calendar},
        {QStringLiteral("monitor"), &V::monitor},
        {QStringLiteral("mail"), &V::mail},
        {QStringLiteral("whatsapp"), &V::whatsapp},
        {QStringLiteral("trash"), &V::trash},
        {QStringLiteral("guitar"), &V::guitar},
        {QStringLiteral("acoustic-guitar"), &V::acousticGuitar},
        {QStringLiteral("quennet-plaque"), &V::quennetPlaque},
        {QStringLiteral("tolvane-plaque"), &V::tolvanePlaque},
    };
    if (name.startsWith(QLatin1String("photo-"))) {
        bool ok = false;
        const int slot = name.mid(6).toInt(&ok);
        if (!ok)
            return false;
        state.setActiveQuickView(V::photo(slot));
        return true;
    }
    auto it = cards.find(name);
    if (it == cards.end())
        return false;
    state.setActiveQuickView(it->second());
    return true;
}

bool applyState(AppState& state, const QString& name)
{
    if (name == QLatin1String("lamp-off")) {
        state.setLampOn(false);
        return true;
    }
    if (name == QLatin1String("fire")) {
        state.setFireModeActive(true);
        return true;
    }
    if (name == QLatin1String("picker")) {
        state.setShowThemePicker(true);
        return true;
    }
    if (name.startsWith(QLatin1String("card:")))
        return applyCard(state, name.mid(5));
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    // The home folder must be chosen before anything reads it.
    QString home;
    for (int i = 1; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == "--home")
            home = QString::fromLocal8Bit(argv[i + 1]);
    }
    QTemporaryDir scratch;
    if (home.isEmpty())
        home = scratch.path();
    home = QDir(home).absolutePath();
    QDir().mkpath(home);
    ::setenv("HOME", QFile::encodeName(home).constData(), 1);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(home + QStringLiteral("/.config")).constData(),
             1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")).constData(),
             1);

    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the Pondsill room to a PNG."));
    parser.addHelpOption();
    QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Window size WxH."),
                                  QStringLiteral("WxH"), QStringLiteral("1440x900"));
    QCommandLineOption homeOption(QStringLiteral("home"), QStringLiteral("Home folder to use."),
                                  QStringLiteral("dir"));
    QCommandLineOption stateOption(QStringLiteral("state"), QStringLiteral("A room state."),
                                   QStringLiteral("name"));
    QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("PNG to write."),
                                 QStringLiteral("file"), QStringLiteral("room.png"));
    QCommandLineOption holdOption(QStringLiteral("hold"),
                                  QStringLiteral("Run the room this long before the picture."),
                                  QStringLiteral("seconds"), QStringLiteral("0"));
    parser.addOptions({sizeOption, homeOption, stateOption, outOption, holdOption});
    parser.process(app);

    const QStringList size = parser.value(sizeOption).split(QLatin1Char('x'));
    const int width = size.value(0).toInt();
    const int height = size.value(1).toInt();
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "pondsill-snapshot: bad size\n");
        return 2;
    }

    QSettings settings(home + QStringLiteral("/.config/Pondsill/Pondsill.conf"),
                       QSettings::IniFormat);
    AppState state(&settings);
    bool outlineSlots = false;
    for (const QString& name : parser.values(stateOption)) {
        if (name == QLatin1String("slots")) {
            outlineSlots = true;
            continue;
        }
        if (!applyState(state, name)) {
            std::fprintf(stderr, "pondsill-snapshot: unknown state %s\n", qPrintable(name));
            return 2;
        }
    }

    InteractiveDesktopWindow window;
    RoomPieces pieces = RoomPieces::standard(state);
    if (outlineSlots) {
        for (int i = 0; i < kFurnitureCount; ++i) {
            if (!pieces.furniture[size_t(i)]) {
                pieces.furniture[size_t(i)] = [i] {
                    return new SlotOutline(QString::fromLatin1(kFurnitureNames[i]));
                };
            }
        }
    }
    window.setContent(new RoomView(state, FloorInteractionState::shared(),
                                   &StorageManager::shared(), AssetLoader::shared(),
                                   std::move(pieces)));
    window.resize(width, height);
    window.show();
    // Let layout and any entrance animation settle.
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
    const double hold = parser.value(holdOption).toDouble();
    if (hold > 0) {
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        QTimer::singleShot(int(hold * 1000), &app, &QCoreApplication::quit);
        app.exec();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);
        const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
        const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) +
                           seconds(after.ru_stime) - seconds(before.ru_stime);
        std::printf("cpu %.2f s over %.1f s (%.1f %% of one core)\n", cpu, hold, 100 * cpu / hold);
    }
    const QImage image = window.grab().toImage();
    if (!image.save(parser.value(outOption))) {
        std::fprintf(stderr, "pondsill-snapshot: cannot write %s\n",
                     qPrintable(parser.value(outOption)));
        return 1;
    }
    return 0;
}
