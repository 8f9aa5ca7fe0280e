#include "CliContext.h"
#include "CliPc.h"
#include "CliRecords.h"
#include "CliSession.h"
#include "HttpRequestCenter.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

#include <QEventLoop>
#include <QTimer>

using namespace Qt::StringLiterals;
using CliPc::ask;
using CliPc::report;

namespace {
HttpRequestCenter *api()
{
    return HttpRequestCenter::sharedInstance();
}

const CliOption kIn{u"in"_s, u"DIR"_s, u"the PC folder that holds them"_s};

QString needsIn(const CliArgs &a)
{
    return a.has(u"in"_s) ? QString() : u"--in DIR is required"_s;
}

int login(CliContext &ctx, const CliArgs &)
{
    RuntimeState *state = ctx.core().runtimeState();
    if (ctx.json()) {
        ctx.print({{u"status"_s, state->status()},
                   {u"api"_s, state->api()},
                   {u"pcName"_s, state->pcName()},
                   {u"clientCount"_s, state->clientCount()}});
        return 0;
    }
    CliTable table({u"key"_s, u"value"_s}, {}, false);
    table.addRow({u"status:"_s, u"%1 (%2)"_s.arg(QString::number(state->status()),
                                                 CliSession::statusText(state->status()))});
    table.addRow({u"api:"_s, state->api()});
    table.addRow({u"pcName:"_s, state->pcName()});
    table.addRow({u"clientCount:"_s, QString::number(state->clientCount())});
    ctx.printTable(table);
    return 0;
}

int ls(CliContext &ctx, const CliArgs &a)
{
    const QString path = a.positional.first();
    const auto answer =
        ask(ctx, Notifications::GetDirectoryListFinished, [&] { api()->getDirectoryList(path); });
    if (!answer)
        return ctx.fail(u"no answer from the PC"_s);
    if (!answer->value(u"result"_s).toBool())
        return ctx.fail(u"cannot list "_s + path);
    QList<FileObjectPtr> files;
    for (const QVariant &v : answer->value(u"array"_s).toList())
        if (const auto f = v.value<FileObjectPtr>())
            files << f;
    CliRecords::printListing(ctx, files, *answer);
    return 0;
}

int rm(CliContext &ctx, const CliArgs &a)
{
    const auto answer = ask(ctx, Notifications::DeleteFileFinished,
                            [&] { api()->deleteFile(a.positional, a.value(u"in"_s)); });
    return report(ctx, answer, u"result"_s, u"the PC did not delete them"_s);
}

int mv(CliContext &ctx, const CliArgs &a)
{
    const auto answer = ask(ctx, Notifications::MoveFileFinished, [&] {
        api()->moveFile(a.positional, a.value(u"to"_s), a.value(u"in"_s));
    });
    return report(ctx, answer, u"result"_s, u"the PC did not move them"_s);
}

int renameEntry(CliContext &ctx, const CliArgs &a)
{
    const auto answer = ask(ctx, Notifications::RenameFileFinished, [&] {
        api()->renameFile(a.positional[0], a.positional[1], a.value(u"in"_s));
    });
    return report(ctx, answer, u"result"_s, u"the PC did not rename it"_s);
}

int ppt(CliContext &ctx, const CliArgs &)
{
    // A failed query posts nothing on the hub: the coordinator's signal ends the wait.
    QObject owner;
    QEventLoop loop;
    std::optional<bool> running;
    bool answered = false;
    ctx.core().notificationCenter()->addObserver(
        &owner, Notifications::GetIsPptExistFinished,
        [&](const QVariantMap &info) { running = info.value(u"ppt"_s).toBool(); });
    QObject::connect(api(), &HttpRequestCenter::isPptOpenFinished, &owner, [&] {
        answered = true;
        loop.quit();
    });
    QTimer::singleShot(CliPc::AnswerMs, &loop, &QEventLoop::quit);
    api()->getIsPptOpen();
    if (!answered)
        loop.exec();
    if (!answered)
        return ctx.fail(u"no answer from the PC"_s);
    if (!running)
        return ctx.fail(u"the PC did not tell whether a presentation runs"_s);
    ctx.print({{u"ppt"_s, *running}});
    return 0;
}

int lock(CliContext &ctx, const CliArgs &)
{
    const auto answer = ask(ctx, Notifications::LockScreenFinished, [] { api()->lockScreen(); });
    return report(ctx, answer, u"isScreenLocked"_s, u"the PC did not lock its screen"_s);
}

int shutdown(CliContext &ctx, const CliArgs &a)
{
    const auto answer = ask(ctx, Notifications::ShutdownPcFinished,
                            [&] { api()->shutdownPCAfter(a.positional[0].toLongLong()); });
    return report(ctx, answer, u"isSuccessed"_s, u"the PC refused the shutdown"_s);
}

int feedback(CliContext &ctx, const CliArgs &a)
{
    const auto answer = ask(ctx, Notifications::SubmitFeedbackFinished, [&] {
        api()->submitFeedbackText(a.positional[0], a.value(u"contact"_s));
    });
    if (answer && !answer->value(u"isSuccess"_s).toBool())
        return ctx.fail(answer->value(u"message"_s).toString());
    return report(ctx, answer, {}, {});
}
} // namespace

QList<CliCommand> apiCommands()
{
    return {
        CliPc::command({.name = u"login"_s,
                        .usage = u"login"_s,
                        .description = u"Logs in and authorises; prints the final status and "
                                       u"what the PC reported."_s,
                        .run = login}),
        CliPc::command({.name = u"ls"_s,
                        .usage = u"ls PATH"_s,
                        .description = u"Lists a folder of the PC (\"/\" lists the disks and "
                                       u"the desktop)."_s,
                        .minArgs = 1,
                        .maxArgs = 1,
                        .run = ls}),
        CliPc::command({.name = u"rm"_s,
                        .usage = u"rm PATH... --in DIR"_s,
                        .description = u"Moves PC files or folders into the PC's recycle bin."_s,
                        .options = {kIn},
                        .minArgs = 1,
                        .maxArgs = -1,
                        .check = needsIn,
                        .run = rm}),
        CliPc::command({.name = u"mv"_s,
                        .usage = u"mv PATH... --to DEST --in DIR"_s,
                        .description = u"Moves PC files into another PC folder."_s,
                        .options = {{u"to"_s, u"DEST"_s, u"the PC folder they go to"_s}, kIn},
                        .minArgs = 1,
                        .maxArgs = -1,
                        .check =
                            [](const CliArgs &a) {
                                return a.has(u"to"_s) ? needsIn(a) : u"--to DEST is required"_s;
                            },
                        .run = mv}),
        CliPc::command({.name = u"rename"_s,
                        .usage = u"rename PATH NEWNAME --in DIR"_s,
                        .description = u"Renames a PC file or folder; NEWNAME is its new last "
                                       u"path component."_s,
                        .options = {kIn},
                        .minArgs = 2,
                        .maxArgs = 2,
                        .check =
                            [](const CliArgs &a) {
                                return a.positional[1].isEmpty() ? u"NEWNAME is empty"_s
                                                                 : needsIn(a);
                            },
                        .run = renameEntry}),
        CliPc::command({.name = u"ppt"_s,
                        .usage = u"ppt"_s,
                        .description = u"Tells whether a presentation program runs on the PC."_s,
                        .run = ppt}),
        CliPc::command({.name = u"lock"_s,
                        .usage = u"lock"_s,
                        .description = u"Locks the PC's screen."_s,
                        .run = lock}),
        CliPc::command({.name = u"shutdown"_s,
                        .usage = u"shutdown SECONDS"_s,
                        .description = u"Shuts the PC down after SECONDS seconds."_s,
                        .minArgs = 1,
                        .maxArgs = 1,
                        .check =
                            [](const CliArgs &a) {
                                bool ok = false;
                                const qint64 seconds = a.positional[0].toLongLong(&ok);
                                return ok && seconds >= 0 ? QString()
                                                          : u"SECONDS must be a whole number ≥ 0"_s;
                            },
                        .run = shutdown}),
        // Feedback goes to the outside service, not to the PC: no login.
        {.name = u"feedback"_s,
         .usage = u"feedback TEXT [--contact C]"_s,
         .description = u"Sends feedback to the feedback service."_s,
         .options = {{u"contact"_s, u"C"_s, u"how to reach you"_s}},
         .minArgs = 1,
         .maxArgs = 1,
         .run = feedback},
    };
}
