#include "AppWiring.h"

#include "DataBaseCenter.h"
#include "DeviceInfoCenter.h"
#include "HttpFileDownloadCenter.h"
#include "HttpRequestCenter.h"
#include "LoginAndAuthCenter.h"
#include "UDPCenter.h"

namespace AppWiring {

AppCore::Hooks startupHooks()
{
    AppCore::Hooks hooks;
    hooks.createServices = {
        [] { (void)LoginAndAuthCenter::sharedInstance(); },
        [] { (void)HttpRequestCenter::sharedInstance(); },
        [] { (void)DeviceInfoCenter::sharedInstance(); },
        [] { (void)UDPCenter::sharedInstance(); },
        [] { (void)HttpFileDownloadCenter::sharedInstance(); },
    };
    hooks.openStore = [] { DataBaseCenter::sharedInstance()->open(); };
    hooks.commitStatistics = [] { HttpRequestCenter::commitStatisticsIfDue(); };
    return hooks;
}

} // namespace AppWiring
