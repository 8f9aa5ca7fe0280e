#include "CliContext.h"
#include "CliSession.h"
#include "ControlDatagram.h"
#include "NotificationNames.h"
#include "PhotoAsset.h"
#include "RuntimeState.h"
#include "TCPFileUploadCenter.h"
#include "UDPCenter.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {
// The upload ends by itself when the PC stops answering, so its outcome always comes.
constexpr int kUploadOutcomeMs = 24 * 3600 * 1000;

std::optional<double> number(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

/// Logs in and authorises, then makes sure the control channel is bound.
int attach(CliContext &ctx, UDPCenter **center)
{
    if (const int status = CliSession::loginAndAuthorise(ctx))
        return status;
    *center = UDPCenter::sharedInstance();
    if (!(*center)->isBound())
        return ctx.fail(u"cannot bind the control channel's UDP port %1"_s.arg(
            ctx.core().config().udpPort));
    return 0;
}

/// Sends one control message after logging in; prints what was sent.
CliCommand sender(const QString &name, const QString &usage,
                  const std::function<std::optional<QVariantMap>(const QStringList &)> &parse,
                  const std::function<bool(UDPCenter *, const QVariantMap &)> &send)
{
    return {name, usage, [parse, send](CliContext &ctx, const QStringList &args) {
                const auto what = parse(args);
                if (!what)
                    return 2;
                UDPCenter *center = nullptr;
                if (const int status = attach(ctx, &center))
                    return status;
                if (!send(center, *what))
                    return ctx.fail(u"the message could not be sent to the PC"_s);
                ctx.print(*what);
                return 0;
            }};
}

int listen(CliContext &ctx, const QStringList &args)
{
    int seconds = -1;
    if (args.size() == 2 && args[0] == u"--seconds"_s) {
        bool ok = false;
        seconds = args[1].toInt(&ok);
        if (!ok || seconds < 0)
            return 2;
    } else if (!args.isEmpty()) {
        return 2;
    }
    UDPCenter *center = nullptr;
    if (const int status = attach(ctx, &center))
        return status;
    // The PC learns where to push from what the phone sends.
    center->sendEcho();

    QObject owner;
    QString toast;
    QObject::connect(center, &UDPCenter::toastRequested, &owner,
                     [&toast](const QString &text, int) { toast = text; });
    QObject::connect(center, &UDPCenter::pushReceived, &owner,
                     [&](int cm, const QVariantMap &dt) {
                         QVariantMap line{{u"cm"_s, cm},
                                          {u"dt"_s, dt},
                                          {u"status"_s, ctx.core().runtimeState()->status()}};
                         if (!toast.isEmpty())
                             line.insert(u"toast"_s, toast);
                         toast.clear();
                         ctx.print(line);
                     });
    QEventLoop loop;
    if (seconds >= 0)
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return 0;
}

int upload(CliContext &ctx, const QStringList &args)
{
    const qsizetype to = args.indexOf(u"--to"_s);
    if (to < 1 || to != args.size() - 2 || args.count(u"--to"_s) != 1 || args.last().isEmpty())
        return 2;
    QList<TCPFileUploadCenter::Item> items;
    for (const QString &file : args.mid(0, to)) {
        const auto asset = PhotoAsset::fromFile(file);
        if (!asset)
            return ctx.fail(u"cannot read the file %1"_s.arg(file));
        items << TCPFileUploadCenter::Item{asset, args.last()};
    }
    if (const int status = CliSession::loginAndAuthorise(ctx))
        return status;
    QStringList refused;
    const auto outcome = ctx.waitForAny(
        {Notifications::UploadFileSuccessed, Notifications::UploadFileAborted},
        kUploadOutcomeMs,
        [&] { refused = TCPFileUploadCenter::sharedInstance()->uploadAssets(items); });
    for (const QString &why : refused)
        std::fputs(qPrintable(u"zephyr-cli: "_s + why + u'\n'), stderr);
    if (refused.size() == items.size())
        return ctx.fail(u"nothing to upload"_s);
    if (!outcome || outcome->value(u"name"_s) != Notifications::UploadFileSuccessed)
        return ctx.fail(u"the upload was interrupted"_s);
    ctx.print({{u"uploaded"_s, items.size() - refused.size()},
               {u"refused"_s, refused.size()},
               {u"to"_s, args.last()}});
    return refused.isEmpty() ? 0 : 1;
}

const QMap<QString, int> &keyCodes()
{
    static const QMap<QString, int> codes{
        {u"up"_s, ControlDatagram::KeyUp},         {u"down"_s, ControlDatagram::KeyDown},
        {u"left"_s, ControlDatagram::KeyLeft},     {u"right"_s, ControlDatagram::KeyRight},
        {u"enter"_s, ControlDatagram::KeyEnter},   {u"start"_s, ControlDatagram::KeyStart},
        {u"esc"_s, ControlDatagram::KeyEscape},    {u"backspace"_s, ControlDatagram::KeyBackspace},
        {u"delete"_s, ControlDatagram::KeyDelete},
    };
    return codes;
}
} // namespace

QList<CliCommand> controlCommands(const QList<CliCommand> &others)
{
    QList<CliCommand> commands;
    commands << CliCommand{u"listen"_s, u"listen [--seconds N]"_s, listen};
    commands << CliCommand{u"upload"_s, u"upload FILE... --to DIR"_s, upload};

    commands << sender(
        u"mouse"_s, u"mouse move DX DY | mouse click left|right|double"_s,
        [](const QStringList &a) -> std::optional<QVariantMap> {
            static const QMap<QString, int> clicks{{u"left"_s, ControlDatagram::LeftClick},
                                                   {u"right"_s, ControlDatagram::RightClick},
                                                   {u"double"_s, ControlDatagram::DoubleClick}};
            if (a.size() == 3 && a[0] == u"move"_s && number(a[1]) && number(a[2]))
                return QVariantMap{
                    {u"action"_s, int(ControlDatagram::MouseMove)},
                    {u"data"_s, ControlDatagram::motionData(*number(a[1]), *number(a[2]))}};
            if (a.size() == 2 && a[0] == u"click"_s && clicks.contains(a[1]))
                return QVariantMap{{u"action"_s, clicks[a[1]]}, {u"data"_s, QString()}};
            return std::nullopt;
        },
        [](UDPCenter *c, const QVariantMap &m) {
            return c->sendMouseAction(m[u"action"_s].toInt(), m[u"data"_s].toString());
        });

    commands << sender(
        u"key"_s, u"key up|down|left|right|enter|start|esc|backspace|delete"_s,
        [](const QStringList &a) -> std::optional<QVariantMap> {
            if (a.size() != 1 || !keyCodes().contains(a[0]))
                return std::nullopt;
            return QVariantMap{{u"action"_s, int(ControlDatagram::KeyPress)},
                               {u"key"_s, keyCodes()[a[0]]},
                               {u"ext"_s, 0}};
        },
        [](UDPCenter *c, const QVariantMap &m) {
            return c->sendKeyboardAction(m[u"action"_s].toInt(), m[u"key"_s].toInt(), 0);
        });

    commands << sender(
        u"text"_s, u"text TEXT"_s,
        [](const QStringList &a) -> std::optional<QVariantMap> {
            if (a.size() != 1 || a[0].isEmpty())
                return std::nullopt;
            return QVariantMap{{u"text"_s, a[0]}};
        },
        [](UDPCenter *c, const QVariantMap &m) { return c->sendText(m[u"text"_s].toString()); });

    // "volume get" asks the PC over HTTP (the command of that name among the others); "volume
    // set" goes over the control channel.
    const auto get = std::find_if(others.cbegin(), others.cend(),
                                  [](const CliCommand &c) { return c.name == u"volume"_s; });
    const CliCommand volumeGet = get != others.cend() ? *get : CliCommand{};
    const CliCommand volumeSet = sender(
        u"volume"_s, {},
        [](const QStringList &a) -> std::optional<QVariantMap> {
            const auto n = a.size() == 2 && a[0] == u"set"_s ? number(a[1]) : std::nullopt;
            if (!n || *n < 0 || *n > 100)
                return std::nullopt;
            return QVariantMap{{u"volume"_s, int(*n)}};
        },
        [](UDPCenter *c, const QVariantMap &m) { return c->sendVolume(m[u"volume"_s].toInt()); });
    commands << CliCommand{u"volume"_s,
                           volumeGet.run ? u"volume get | volume set N"_s : u"volume set N"_s,
                           [volumeGet, volumeSet](CliContext &ctx, const QStringList &args) {
                               if (!args.isEmpty() && args[0] == u"set"_s)
                                   return volumeSet.run(ctx, args);
                               return volumeGet.run ? volumeGet.run(ctx, args) : 2;
                           }};
    return commands;
}
