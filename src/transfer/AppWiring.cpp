#include "AppWiring.h"

#include "DataBaseCenter.h"
#include "HttpFileDownloadCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "QuickTransferRegistry.h"
#include "RuntimeState.h"
#include "TCPFileUploadCenter.h"
#include "UDPCenter.h"

#include <QNetworkAccessManager>

using namespace Qt::StringLiterals;

namespace AppWiring {

namespace {
void createServices(AppCore &core)
{
    NotificationCenter &hub = *core.notificationCenter();
    RuntimeState &state = *core.runtimeState();
    const AppConfig &config = core.config();
    UserDefaults &defaults = core.userDefaults();

    auto *network = core.adopt(std::make_unique<QNetworkAccessManager>());
    core.adopt(std::make_unique<LoginAndAuthCenter>(hub, state, defaults, config.pcPort));
    core.adopt(std::make_unique<HttpRequestCenter>(hub, state, defaults, *network,
                                                   config.feedbackUrl, config.statsUrl));
    core.adopt(std::make_unique<UDPCenter>(hub, state, config.udpPort, config.pcPort))->start();
    core.adopt(std::make_unique<HttpFileDownloadCenter>(hub, core.libraryPath(),
                                                        *core.queue(u"writeDataQueue"_s)));
    core.adopt(std::make_unique<TCPFileUploadCenter>(hub, config.pcPort));
    auto *registry = core.adopt(std::make_unique<QuickTransferRegistry>(hub));
    core.adopt(std::make_unique<DataBaseCenter>(hub, core.libraryPath(), registry,
                                                core.platform().folderAccess.get()));
}
} // namespace

AppCore::Hooks startupHooks()
{
    AppCore::Hooks hooks;
    hooks.createServices = createServices;
    hooks.openStore = [](AppCore &core) {
        if (auto *store = core.service<DataBaseCenter>())
            store->open();
    };
    hooks.commitStatistics = [] { HttpRequestCenter::commitStatisticsIfDue(); };
    return hooks;
}

} // namespace AppWiring
