#include "CliContext.h"
#include "CliSession.h"
#include "HttpRequestCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

using namespace Qt::StringLiterals;

namespace {
// Requests time out after 30 s; the answer notification follows at once.
constexpr int kAnswerMs = 35000;

struct Args
{
    QStringList positional;
    QMap<QString, QString> options;
    bool ok = true;
};

// Words after the command; the given options each take one value.
Args parse(const QStringList &words, const QStringList &optionNames)
{
    Args a;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (optionNames.contains(words[i])) {
            if (i + 1 >= words.size() || a.options.contains(words[i])) {
                a.ok = false;
                return a;
            }
            a.options.insert(words[i], words[i + 1]);
            ++i;
        } else if (words[i].startsWith(u"--"_s)) {
            a.ok = false;
            return a;
        } else {
            a.positional << words[i];
        }
    }
    return a;
}

std::optional<QVariantMap> ask(CliContext &ctx, const QString &answer,
                               const std::function<void()> &request)
{
    return ctx.waitForNotification(answer, kAnswerMs, request);
}

// Prints the payload (without the hub's "name") and returns 0, or fails with @p message.
int report(CliContext &ctx, const std::optional<QVariantMap> &answer, const QString &okKey,
           const QString &message)
{
    if (!answer)
        return ctx.fail(u"no answer from the PC"_s);
    QVariantMap payload = *answer;
    payload.remove(u"name"_s);
    if (!okKey.isEmpty() && !payload.value(okKey).toBool())
        return ctx.fail(message);
    ctx.print(payload);
    return 0;
}

std::optional<QVariantMap> clientList(CliContext &ctx)
{
    const auto answer = ask(ctx, Notifications::GetClientListFinished,
                            [] { HttpRequestCenter::sharedInstance()->getClientList(); });
    if (!answer || !answer->value(u"result"_s).toBool())
        return std::nullopt;
    return answer;
}

QVariantMap findByMac(const QVariantList &entries, const QString &mac)
{
    for (const QVariant &entry : entries)
        if (entry.toMap().value(u"mac"_s).toString().compare(mac, Qt::CaseInsensitive) == 0)
            return entry.toMap();
    return {};
}

using Run = std::function<int(CliContext &, const Args &)>;

// A command that logs in and authorises before it runs.
CliCommand pcCommand(const QString &name, const QString &usage, const QStringList &options,
                     const std::function<bool(const Args &)> &valid, Run run)
{
    return {name, usage, [options, valid, run](CliContext &ctx, const QStringList &words) {
                const Args args = parse(words, options);
                if (!args.ok || !valid(args))
                    return 2;
                if (const int status = CliSession::loginAndAuthorise(ctx))
                    return status;
                return run(ctx, args);
            }};
}

HttpRequestCenter *api()
{
    return HttpRequestCenter::sharedInstance();
}
} // namespace

QList<CliCommand> apiCommands()
{
    const auto count = [](qsizetype n) { return [n](const Args &a) {
        return a.positional.size() == n; }; };
    QList<CliCommand> commands;

    commands << pcCommand(u"login"_s, u"login"_s, {}, count(0), [](CliContext &ctx, const Args &) {
        RuntimeState *state = ctx.core().runtimeState();
        ctx.print({{u"status"_s, state->status()},
                   {u"api"_s, state->api()},
                   {u"pcName"_s, state->pcName()},
                   {u"clientCount"_s, state->clientCount()}});
        return 0;
    });

    commands << pcCommand(u"ls"_s, u"ls PATH"_s, {}, count(1), [](CliContext &ctx, const Args &a) {
        const QString path = a.positional.first();
        const auto answer = ask(ctx, Notifications::GetDirectoryListFinished,
                                [&] { api()->getDirectoryList(path); });
        return report(ctx, answer, u"result"_s, u"cannot list "_s + path);
    });

    commands << pcCommand(
        u"rm"_s, u"rm PATH... --in DIR"_s, {u"--in"_s},
        [](const Args &a) { return !a.positional.isEmpty() && a.options.contains(u"--in"_s); },
        [](CliContext &ctx, const Args &a) {
            const auto answer = ask(ctx, Notifications::DeleteFileFinished, [&] {
                api()->deleteFile(a.positional, a.options.value(u"--in"_s));
            });
            return report(ctx, answer, u"result"_s, u"the PC did not delete them"_s);
        });

    commands << pcCommand(
        u"mv"_s, u"mv PATH... --to DEST --in DIR"_s, {u"--to"_s, u"--in"_s},
        [](const Args &a) {
            return !a.positional.isEmpty() && a.options.contains(u"--to"_s) &&
                   a.options.contains(u"--in"_s);
        },
        [](CliContext &ctx, const Args &a) {
            const auto answer = ask(ctx, Notifications::MoveFileFinished, [&] {
                api()->moveFile(a.positional, a.options.value(u"--to"_s),
                                a.options.value(u"--in"_s));
            });
            return report(ctx, answer, u"result"_s, u"the PC did not move them"_s);
        });

    commands << pcCommand(
        u"rename"_s, u"rename PATH NEWNAME --in DIR"_s, {u"--in"_s},
        [](const Args &a) { return a.positional.size() == 2 && a.options.contains(u"--in"_s); },
        [](CliContext &ctx, const Args &a) {
            const auto answer = ask(ctx, Notifications::RenameFileFinished, [&] {
                api()->renameFile(a.positional[0], a.positional[1], a.options.value(u"--in"_s));
            });
            return report(ctx, answer, u"result"_s, u"the PC did not rename it"_s);
        });

    commands << pcCommand(
        u"volume"_s, u"volume get"_s, {},
        [](const Args &a) { return a.positional == QStringList{u"get"_s}; },
        [](CliContext &ctx, const Args &) {
            const auto answer =
                ask(ctx, Notifications::GetVolumeFinished, [] { api()->getVolume(); });
            if (answer && !answer->contains(u"volume"_s))
                return ctx.fail(u"the PC did not tell its volume"_s);
            return report(ctx, answer, {}, {});
        });

    commands << pcCommand(u"ppt"_s, u"ppt"_s, {}, count(0), [](CliContext &ctx, const Args &) {
        const auto answer =
            ask(ctx, Notifications::GetIsPptExistFinished, [] { api()->getIsPptOpen(); });
        return report(ctx, answer, {}, {});
    });

    commands << pcCommand(u"lock"_s, u"lock"_s, {}, count(0), [](CliContext &ctx, const Args &) {
        const auto answer =
            ask(ctx, Notifications::LockScreenFinished, [] { api()->lockScreen(); });
        return report(ctx, answer, u"isScreenLocked"_s, u"the PC did not lock its screen"_s);
    });

    commands << pcCommand(
        u"shutdown"_s, u"shutdown SECONDS"_s, {},
        [](const Args &a) {
            bool ok = false;
            return a.positional.size() == 1 && a.positional[0].toLongLong(&ok) >= 0 && ok;
        },
        [](CliContext &ctx, const Args &a) {
            const auto answer = ask(ctx, Notifications::ShutdownPcFinished, [&] {
                api()->shutdownPCAfter(a.positional[0].toLongLong());
            });
            return report(ctx, answer, u"isSuccessed"_s, u"the PC refused the shutdown"_s);
        });

    commands << pcCommand(u"clients"_s, u"clients"_s, {}, count(0),
                          [](CliContext &ctx, const Args &) {
                              const auto answer = ask(ctx, Notifications::GetClientListFinished,
                                                      [] { api()->getClientList(); });
                              return report(ctx, answer, u"result"_s,
                                            u"cannot read the client list"_s);
                          });

    commands << pcCommand(
        u"block"_s, u"block MAC"_s, {}, count(1), [](CliContext &ctx, const Args &a) {
            const auto list = clientList(ctx);
            if (!list)
                return ctx.fail(u"cannot read the client list"_s);
            const QVariantMap entry =
                findByMac(list->value(u"client"_s).toList(), a.positional[0]);
            if (entry.isEmpty())
                return ctx.fail(u"no connected client has the address "_s + a.positional[0]);
            const QVariantMap params{{u"type"_s, 2},
                                     {u"mac"_s, entry.value(u"mac"_s)},
                                     {u"ip"_s, entry.value(u"ip"_s)},
                                     {u"name"_s, entry.value(u"name"_s)}};
            const auto answer = ask(ctx, Notifications::OperateClientFinished,
                                    [&] { api()->operateClient(params); });
            return report(ctx, answer, u"result"_s, u"the PC did not blacklist it"_s);
        });

    commands << pcCommand(
        u"unblock"_s, u"unblock MAC"_s, {}, count(1), [](CliContext &ctx, const Args &a) {
            const auto list = clientList(ctx);
            if (!list)
                return ctx.fail(u"cannot read the blacklist"_s);
            const QVariantMap entry =
                findByMac(list->value(u"block"_s).toList(), a.positional[0]);
            if (entry.isEmpty())
                return ctx.fail(u"the blacklist holds no client "_s + a.positional[0]);
            const QVariantMap params{{u"type"_s, 3},
                                     {u"mac"_s, entry.value(u"mac"_s)},
                                     {u"ip"_s, u" "_s},
                                     {u"name"_s, entry.value(u"name"_s)}};
            const auto answer = ask(ctx, Notifications::OperateClientFinished,
                                    [&] { api()->operateClient(params); });
            return report(ctx, answer, u"result"_s, u"the PC did not release it"_s);
        });

    commands << pcCommand(
        u"limit"_s, u"limit MAC --up N --down N"_s, {u"--up"_s, u"--down"_s},
        [](const Args &a) {
            bool up = false;
            bool down = false;
            a.options.value(u"--up"_s).toUInt(&up);
            a.options.value(u"--down"_s).toUInt(&down);
            return a.positional.size() == 1 && up && down;
        },
        [](CliContext &ctx, const Args &a) {
            const QVariantMap params{{u"mac"_s, a.positional[0]},
                                     {u"up_limit"_s, a.options.value(u"--up"_s).toUInt()},
                                     {u"down_limit"_s, a.options.value(u"--down"_s).toUInt()}};
            const auto answer = ask(ctx, Notifications::UpdateLimitRateFinished,
                                    [&] { api()->updateRateLimit(params); });
            return report(ctx, answer, u"result"_s, u"the PC did not set the limits"_s);
        });

    // Feedback goes to the outside service, not to the PC: no login.
    commands << CliCommand{
        u"feedback"_s, u"feedback TEXT [--contact C]"_s,
        [](CliContext &ctx, const QStringList &words) {
            const Args a = parse(words, {u"--contact"_s});
            if (!a.ok || a.positional.size() != 1)
                return 2;
            const auto answer = ask(ctx, Notifications::SubmitFeedbackFinished, [&] {
                api()->submitFeedbackText(a.positional[0], a.options.value(u"--contact"_s));
            });
            if (answer && !answer->value(u"isSuccess"_s).toBool())
                return ctx.fail(answer->value(u"message"_s).toString());
            return report(ctx, answer, {}, {});
        }};
    return commands;
}
