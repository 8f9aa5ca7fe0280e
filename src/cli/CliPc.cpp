#include "CliPc.h"

#include "CliSession.h"

using namespace Qt::StringLiterals;

namespace CliPc {

CliCommand command(CliCommand command)
{
    command.run = [run = command.run](CliContext &ctx, const CliArgs &args) {
        if (const int status = CliSession::loginAndAuthorise(ctx))
            return status;
        return run(ctx, args);
    };
    return command;
}

std::optional<QVariantMap> ask(CliContext &ctx, const QString &answer,
                               const std::function<void()> &request)
{
    auto result = ctx.waitForNotification(answer, AnswerMs, request);
    if (result)
        result->remove(u"name"_s);
    return result;
}

int report(CliContext &ctx, const std::optional<QVariantMap> &answer, const QString &okKey,
           const QString &message)
{
    if (!answer)
        return ctx.fail(u"no answer from the PC"_s);
    if (!okKey.isEmpty() && !answer->value(okKey).toBool())
        return ctx.fail(message);
    ctx.print(*answer);
    return 0;
}

} // namespace CliPc
