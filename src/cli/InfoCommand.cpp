#include "CliContext.h"
#include "DeviceInfoCenter.h"
#include "RuntimeState.h"

using namespace Qt::StringLiterals;

QList<CliCommand> infoCommands()
{
    CliCommand info{u"info"_s, u"info"_s, [](CliContext &ctx, const QStringList &args) {
                        if (!args.isEmpty())
                            return 2;
                        const auto text = [](const std::optional<QString> &v) {
                            return v ? QVariant(*v) : QVariant::fromValue(nullptr);
                        };
                        ctx.print({
                            {u"deviceId"_s, DeviceInfoCenter::getDeviceId()},
                            {u"loginUA"_s, DeviceInfoCenter::getLoginUA()},
                            {u"authUA"_s, DeviceInfoCenter::getAuthUA()},
                            {u"httpUA"_s, DeviceInfoCenter::getHttpRequestUA()},
                            {u"ssid"_s, text(DeviceInfoCenter::getCurrentSSID())},
                            {u"wifiAddress"_s, text(DeviceInfoCenter::getLocalWiFiIPAddress())},
                            {u"pcAddress"_s, text(DeviceInfoCenter::getServerWiFiIPAddress())},
                            {u"status"_s, RuntimeState::sharedInstance()->status()},
                            {u"statistics"_s, DeviceInfoCenter::getStatisticsString()},
                        });
                        return 0;
                    }};
    return {info};
}
