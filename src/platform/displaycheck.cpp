#include "platform/displaycheck.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

struct Held {
    QtMsgType type;
    QByteArray category;
    QString text;
};

struct Watch {
    QtMessageHandler previous = nullptr;
    QByteArray line;
    int exitCode = 0;
    QList<Held> held;
};
Watch *watch = nullptr;

void letHeldThrough()
{
    for (const Held &held : std::exchange(watch->held, {}))
        watch->previous(held.type, QMessageLogContext(nullptr, 0, nullptr, held.category.constData()), held.text);
}

// The X and Wayland plugins name the display they could not reach; a platform that
// is not there at all, or one that fails for another reason, does not.
bool forWantOfADisplay()
{
    return std::any_of(watch->held.cbegin(), watch->held.cend(), [](const Held &held) {
        return held.text.contains(QLatin1String("display"), Qt::CaseInsensitive);
    });
}

void onMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const QByteArray category(context.category ? context.category : "");
    if (type == QtFatalMsg && forWantOfADisplay()) {
        std::fprintf(stderr, "%s\n", watch->line.constData());
        std::_Exit(watch->exitCode);
    }
    if (type != QtFatalMsg && category.startsWith("qt.qpa")) {
        watch->held.append({type, category, text});
        return;
    }
    letHeldThrough();
    watch->previous(type, context, text);
}

} // namespace

DisplayCheck::DisplayCheck(QByteArray line, int exitCode)
{
    watch = new Watch{nullptr, std::move(line), exitCode, {}};
    watch->previous = qInstallMessageHandler(onMessage);
}

DisplayCheck::~DisplayCheck()
{
    qInstallMessageHandler(watch->previous);
    letHeldThrough();
    delete std::exchange(watch, nullptr);
}

} // namespace platform
