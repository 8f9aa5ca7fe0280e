#include "CliContext.h"
#include "DeviceInfoCenter.h"
#include "RuntimeState.h"

using namespace Qt::StringLiterals;

namespace {
// Long enough for a secret service that is slow to answer, and for NetworkManager.
constexpr int kSettleMs = 6000;
} // namespace

QList<CliCommand> infoCommands()
{
    CliCommand info{.name = u"info"_s,
                    .usage = u"info"_s,
                    .description =
                        u"Shows the device id, UA strings, WiFi name, addresses, status and "
                        u"statistics text."_s,
                    .run = [](CliContext &ctx, const CliArgs &) {
                        ctx.waitUntilSettled(kSettleMs);
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
