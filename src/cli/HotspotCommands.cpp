#include "CliContext.h"
#include "CliPc.h"
#include "ClientListText.h"
#include "ClientRules.h"
#include "HttpRequestCenter.h"
#include "JsonUtils.h"
#include "LimitRate.h"
#include "NotificationNames.h"
#include "RuntimeState.h"

#include <limits>

using namespace Qt::StringLiterals;
using CliPc::ask;
using CliPc::report;

namespace {
HttpRequestCenter *api()
{
    return HttpRequestCenter::sharedInstance();
}

std::optional<QVariantMap> clientList(CliContext &ctx)
{
    const auto answer =
        ask(ctx, Notifications::GetClientListFinished, [] { api()->getClientList(); });
    if (!answer || !answer->value(u"result"_s).toBool())
        return std::nullopt;
    return answer;
}

QString macCheck(const CliArgs &a)
{
    return ClientRules::isMacAddress(a.positional[0]) ? QString()
                                                      : u"not a MAC address: "_s + a.positional[0];
}

QString limitText(const QVariant &limit)
{
    return LimitRate::labelForLimit(JsonUtils::integerValue(limit));
}

void printClients(CliContext &ctx, const QVariantMap &answer)
{
    if (ctx.json()) {
        ctx.print(answer);
        return;
    }
    const QVariantList clients = answer.value(u"client"_s).toList();
    QStringList lines{ClientListText::title(int(clients.size()))};
    CliTable table({u"NAME"_s, u"MAC"_s, u"IP"_s, u"RATE"_s, u"ONLINE"_s, u"DOWN LIMIT"_s,
                    u"UP LIMIT"_s, u""_s},
                   {CliTable::Left, CliTable::Left, CliTable::Left, CliTable::Right});
    for (const QVariant &v : clients) {
        const QVariantMap entry = v.toMap();
        QStringList marks;
        if (ClientRules::isAdministrator(entry))
            marks << ClientListText::administratorText();
        if (ClientRules::isLimited(entry))
            marks << ClientListText::limitedText();
        table.addRow({entry.value(u"name"_s).toString(), entry.value(u"mac"_s).toString(),
                      entry.value(u"ip"_s).toString(), ClientListText::rateText(entry),
                      ClientListText::onlineTimeText(entry),
                      limitText(entry.value(u"down_limit"_s)),
                      limitText(entry.value(u"up_limit"_s)), marks.join(u' ')});
    }
    lines << table.lines();
    const QVariantList blocks = answer.value(u"block"_s).toList();
    if (!blocks.isEmpty()) {
        lines << QString() << u"黑名单"_s;
        CliTable blocked({u"NAME"_s, u"MAC"_s}, {}, false);
        for (const QVariant &v : blocks)
            blocked.addRow(
                {v.toMap().value(u"name"_s).toString(), ClientListText::macAddressText(v.toMap())});
        lines << blocked.lines();
    }
    ctx.printLines(lines);
}

int clients(CliContext &ctx, const CliArgs &)
{
    const auto answer =
        ask(ctx, Notifications::GetClientListFinished, [] { api()->getClientList(); });
    if (!answer)
        return ctx.fail(u"no answer from the PC"_s);
    if (!answer->value(u"result"_s).toBool())
        return ctx.fail(u"cannot read the client list"_s);
    printClients(ctx, *answer);
    return 0;
}

// The connected client with @p mac that may be operated on; on failure the message has been
// printed and *status holds the exit status.
std::optional<QVariantMap> operableClient(CliContext &ctx, const QString &mac,
                                          const QString &refusal, int *status)
{
    const auto list = clientList(ctx);
    if (!list) {
        *status = ctx.fail(u"cannot read the client list"_s);
        return std::nullopt;
    }
    QVariantMap entry = ClientRules::entryByMac(list->value(u"client"_s).toList(), mac);
    if (entry.isEmpty()) {
        *status = ctx.fail(u"no connected client has the address "_s + mac);
        return std::nullopt;
    }
    if (!ClientRules::canOperate(entry)) {
        *status = ctx.fail(refusal);
        return std::nullopt;
    }
    return entry;
}

int block(CliContext &ctx, const CliArgs &a)
{
    int status = 1;
    const auto found = operableClient(
        ctx, a.positional[0], u"the hotspot's administrator cannot be blacklisted"_s, &status);
    if (!found)
        return status;
    const QVariantMap &entry = *found;
    const auto answer = ask(ctx, Notifications::OperateClientFinished, [&] {
        api()->operateClient(ClientRules::addToBlacklistParameters(entry));
    });
    return report(ctx, answer, u"result"_s, u"the PC did not blacklist it"_s);
}

int unblock(CliContext &ctx, const CliArgs &a)
{
    const QString mac = a.positional[0];
    const auto list = clientList(ctx);
    if (!list)
        return ctx.fail(u"cannot read the blacklist"_s);
    const QVariantList blocks = list->value(u"block"_s).toList();
    if (ClientRules::entryByMac(blocks, mac).isEmpty())
        return ctx.fail(u"the blacklist holds no client "_s + mac);
    const auto answer = ask(ctx, Notifications::OperateClientFinished, [&] {
        api()->operateClient(ClientRules::removeFromBlacklistParameters(blocks, mac));
    });
    return report(ctx, answer, u"result"_s, u"the PC did not release it"_s);
}

QString limitCheck(const CliArgs &a)
{
    if (const QString e = macCheck(a); !e.isEmpty())
        return e;
    if (!a.has(u"up"_s) && !a.has(u"down"_s))
        return u"give --up N, --down N or both"_s;
    for (const QString &o : {u"up"_s, u"down"_s})
        if (a.has(o) && !ClientRules::parseLimit(a.value(o)))
            return u"--%1 takes bytes per second (0 to 2147483647) or none"_s.arg(o);
    return {};
}

int limit(CliContext &ctx, const CliArgs &a)
{
    int status = 1;
    const auto found = operableClient(ctx, a.positional[0],
                                      u"the hotspot's administrator cannot be limited"_s, &status);
    if (!found)
        return status;
    const QVariantMap &entry = *found;
    // A direction not given keeps its current limit.
    const auto chosen = [&](const QString &option, const QString &key) {
        if (a.has(option))
            return *ClientRules::parseLimit(a.value(option));
        return qint32(std::clamp<qint64>(JsonUtils::integerValue(entry.value(key)),
                                         std::numeric_limits<qint32>::min(),
                                         std::numeric_limits<qint32>::max()));
    };
    const qint32 up = chosen(u"up"_s, u"up_limit"_s);
    const qint32 down = chosen(u"down"_s, u"down_limit"_s);
    if (ClientRules::limitsUnchanged(entry, up, down)) {
        ctx.print({{u"result"_s, true}, {u"changed"_s, false}});
        return 0;
    }
    const auto answer = ask(ctx, Notifications::UpdateLimitRateFinished, [&] {
        api()->updateRateLimit(
            ClientRules::rateLimitParameters(entry.value(u"mac"_s).toString(), up, down));
    });
    return report(ctx, answer, u"result"_s, u"the PC did not set the limits"_s);
}
} // namespace

QList<CliCommand> hotspotCommands()
{
    const CliOption up{u"up"_s, u"N"_s, u"upload limit in bytes per second, or none"_s};
    const CliOption down{u"down"_s, u"N"_s, u"download limit in bytes per second, or none"_s};
    return {
        CliPc::command({.name = u"clients"_s,
                        .usage = u"clients"_s,
                        .description = u"Lists the hotspot's clients with their rates, online "
                                       u"times and limits, and the blacklist."_s,
                        .run = clients}),
        CliPc::command({.name = u"block"_s,
                        .usage = u"block MAC"_s,
                        .description = u"Puts a connected client on the blacklist."_s,
                        .minArgs = 1,
                        .maxArgs = 1,
                        .check = macCheck,
                        .run = block}),
        CliPc::command({.name = u"unblock"_s,
                        .usage = u"unblock MAC"_s,
                        .description = u"Takes a client off the blacklist."_s,
                        .minArgs = 1,
                        .maxArgs = 1,
                        .check = macCheck,
                        .run = unblock}),
        CliPc::command({.name = u"limit"_s,
                        .usage = u"limit MAC [--up N] [--down N]"_s,
                        .description = u"Limits a client's rates; a direction left out keeps its "
                                       u"limit."_s,
                        .options = {up, down},
                        .minArgs = 1,
                        .maxArgs = 1,
                        .check = limitCheck,
                        .run = limit}),
    };
}
