#include "CliContext.h"
#include "CliPc.h"
#include "CliSession.h"
#include "ControlDatagram.h"
#include "HttpRequestCenter.h"
#include "JsonUtils.h"
#include "NotificationNames.h"
#include "PhotoAsset.h"
#include "RuntimeState.h"
#include "TCPFileUploadCenter.h"
#include "UDPCenter.h"
#include "UploadWire.h"
#include "Utils.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>

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
        return ctx.fail(
            u"cannot bind the control channel's UDP port %1"_s.arg(ctx.core().config().udpPort));
    return 0;
}

using Message = std::function<std::optional<QVariantMap>(const QStringList &)>;

/// A command that sends one control message after logging in and prints what was sent.
CliCommand sender(const QString &name, const QString &usage, const QString &description,
                  int minArgs, int maxArgs, const Message &message,
                  const std::function<bool(UDPCenter *, const QVariantMap &)> &send)
{
    return {.name = name,
            .usage = usage,
            .description = description,
            .minArgs = minArgs,
            .maxArgs = maxArgs,
            .check =
                [message](const CliArgs &a) {
                    return message(a.positional) ? QString()
                                                 : u"not valid: "_s + a.positional.join(u' ');
                },
            .run =
                [message, send](CliContext &ctx, const CliArgs &a) {
                    const QVariantMap what = *message(a.positional);
                    UDPCenter *center = nullptr;
                    if (const int status = attach(ctx, &center))
                        return status;
                    if (!send(center, what))
                        return ctx.fail(u"the message could not be sent to the PC"_s);
                    ctx.print(what);
                    return 0;
                }};
}

int listen(CliContext &ctx, const CliArgs &a)
{
    const int seconds = a.has(u"seconds"_s) ? a.value(u"seconds"_s).toInt() : -1;
    UDPCenter *center = nullptr;
    if (const int status = attach(ctx, &center))
        return status;
    // The PC learns where to push from what the phone sends.
    center->sendEcho();

    QObject owner;
    QString toast;
    QObject::connect(center, &UDPCenter::toastRequested, &owner,
                     [&toast](const QString &text, int) { toast = text; });
    QObject::connect(center, &UDPCenter::pushReceived, &owner, [&](int cm, const QVariantMap &dt) {
        const quint64 status = ctx.core().runtimeState()->status();
        QVariantMap line{{u"cm"_s, cm}, {u"dt"_s, dt}, {u"status"_s, status}};
        if (!toast.isEmpty())
            line.insert(u"toast"_s, toast);
        if (ctx.json())
            ctx.print(line);
        else
            ctx.printLines({QStringList{QString::number(cm), JsonUtils::objectToString(dt),
                                        CliSession::statusText(status), toast}
                                .join(u"  "_s)
                                .trimmed()});
        toast.clear();
    });
    QEventLoop loop;
    if (seconds >= 0)
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return 0;
}

int upload(CliContext &ctx, const CliArgs &a)
{
    const QString destination = a.value(u"to"_s);
    QList<TCPFileUploadCenter::Item> items;
    qint64 total = 0;
    for (const QString &file : a.positional) {
        const auto asset = PhotoAsset::fromFile(file);
        if (!asset)
            return ctx.fail(u"cannot read the file %1"_s.arg(file));
        items << TCPFileUploadCenter::Item{asset, destination};
        total += asset->size;
    }
    if (const int status = CliSession::loginAndAuthorise(ctx))
        return status;
    auto *uploads = TCPFileUploadCenter::sharedInstance();
    QObject owner;
    qint64 confirmed = 0;
    qsizetype confirmedItems = 0;
    qsizetype queued = 0;
    QObject::connect(uploads, &TCPFileUploadCenter::uploadProgress, &owner,
                     [&](qint64 sent, qint64 size, qsizetype left) {
                         // Items before the one in flight have been confirmed.
                         while (confirmedItems < queued - left) {
                             confirmed += items[confirmedItems].asset->size;
                             ++confirmedItems;
                         }
                         const qint64 done = confirmed + std::min(sent, size);
                         ctx.progress(u"uploading: %1 of %2 done, %3 / %4 (%5%)"_s.arg(
                                          QString::number(confirmedItems), QString::number(queued),
                                          Utils::getSizeString(quint64(done)),
                                          Utils::getSizeString(quint64(total)),
                                          QString::number(total ? done * 100 / total : 100)),
                                      sent >= size);
                     });
    QStringList refused;
    const auto outcome =
        ctx.waitForAny({Notifications::UploadFileSuccessed, Notifications::UploadFileAborted},
                       kUploadOutcomeMs, [&] {
                           refused = uploads->uploadAssets(items);
                           // Refused items are left out of the queue; sizes are counted for those
                           // sent.
                           if (!refused.isEmpty()) {
                               QList<TCPFileUploadCenter::Item> kept;
                               total = 0;
                               for (const auto &item : items)
                                   if (item.asset->size < UploadWire::SizeLimit) {
                                       kept << item;
                                       total += item.asset->size;
                                   }
                               items = kept;
                           }
                           queued = items.size();
                       });
    ctx.endProgress();
    for (const QString &why : std::as_const(refused))
        ctx.fail(why);
    if (queued == 0)
        return ctx.fail(u"nothing to upload"_s);
    if (!outcome || outcome->value(u"name"_s) != Notifications::UploadFileSuccessed)
        return ctx.fail(u"the upload was interrupted"_s);
    ctx.print({{u"uploaded"_s, queued}, {u"refused"_s, refused.size()}, {u"to"_s, destination}});
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

std::optional<QVariantMap> volumeToSet(const QStringList &a)
{
    const auto n = a.size() == 2 && a[0] == u"set"_s ? number(a[1]) : std::nullopt;
    if (!n || *n < 0 || *n > 100)
        return std::nullopt;
    return QVariantMap{{u"volume"_s, int(*n)}};
}

int volume(CliContext &ctx, const CliArgs &a)
{
    // "volume set" goes over the control channel, "volume get" asks the PC over HTTP.
    if (a.positional[0] == u"set"_s) {
        UDPCenter *center = nullptr;
        if (const int status = attach(ctx, &center))
            return status;
        const QVariantMap what = *volumeToSet(a.positional);
        if (!center->sendVolume(what[u"volume"_s].toInt()))
            return ctx.fail(u"the message could not be sent to the PC"_s);
        ctx.print(what);
        return 0;
    }
    if (const int status = CliSession::loginAndAuthorise(ctx))
        return status;
    const auto answer = CliPc::ask(ctx, Notifications::GetVolumeFinished,
                                   [] { HttpRequestCenter::sharedInstance()->getVolume(); });
    if (answer && !answer->contains(u"volume"_s))
        return ctx.fail(u"the PC did not tell its volume"_s);
    return CliPc::report(ctx, answer, {}, {});
}
} // namespace

QList<CliCommand> controlCommands()
{
    QList<CliCommand> commands;
    commands << CliCommand{.name = u"upload"_s,
                           .usage = u"upload FILE... --to DIR"_s,
                           .description = u"Uploads local files into a PC folder."_s,
                           .options = {{u"to"_s, u"DIR"_s, u"the PC folder they go to"_s}},
                           .minArgs = 1,
                           .maxArgs = -1,
                           .check =
                               [](const CliArgs &a) {
                                   return a.value(u"to"_s).isEmpty() ? u"--to DIR is required"_s
                                                                     : QString();
                               },
                           .run = upload};
    commands << CliCommand{.name = u"listen"_s,
                           .usage = u"listen [--seconds N]"_s,
                           .description = u"Prints the PC's pushes and changes of standing "
                                          u"received on the control channel."_s,
                           .options = {{u"seconds"_s, u"N"_s, u"stop after N seconds"_s}},
                           .check =
                               [](const CliArgs &a) {
                                   bool ok = true;
                                   const int n =
                                       a.has(u"seconds"_s) ? a.value(u"seconds"_s).toInt(&ok) : 0;
                                   return ok && n >= 0 ? QString() : u"--seconds takes N ≥ 0"_s;
                               },
                           .run = listen};

    commands << sender(
        u"mouse"_s, u"mouse move DX DY | mouse click left|right|double"_s,
        u"Moves the PC's pointer (DX and DY in percent of the pad) or clicks."_s, 2, 3,
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
        u"Presses a key on the PC."_s, 1, 1,
        [](const QStringList &a) -> std::optional<QVariantMap> {
            if (!keyCodes().contains(a[0]))
                return std::nullopt;
            return QVariantMap{{u"action"_s, int(ControlDatagram::KeyPress)},
                               {u"key"_s, keyCodes()[a[0]]},
                               {u"ext"_s, 0}};
        },
        [](UDPCenter *c, const QVariantMap &m) {
            return c->sendKeyboardAction(m[u"action"_s].toInt(), m[u"key"_s].toInt(), 0);
        });

    commands << sender(
        u"text"_s, u"text TEXT"_s, u"Types a text on the PC."_s, 1, 1,
        [](const QStringList &a) -> std::optional<QVariantMap> {
            if (a[0].isEmpty())
                return std::nullopt;
            return QVariantMap{{u"text"_s, a[0]}};
        },
        [](UDPCenter *c, const QVariantMap &m) { return c->sendText(m[u"text"_s].toString()); });

    commands << CliCommand{.name = u"volume"_s,
                           .usage = u"volume get | volume set N"_s,
                           .description = u"Tells the PC's volume (0.0 to 1.0) or sets it (0 to "
                                          u"100)."_s,
                           .minArgs = 1,
                           .maxArgs = 2,
                           .check =
                               [](const CliArgs &a) {
                                   if (a.positional == QStringList{u"get"_s} ||
                                       volumeToSet(a.positional))
                                       return QString();
                                   return u"give get, or set N with N from 0 to 100"_s;
                               },
                           .run = volume};
    return commands;
}
