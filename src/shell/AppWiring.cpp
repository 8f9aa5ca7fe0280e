#include "AppWiring.h"

#include "DeviceInfoCenter.h"
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
    };
    hooks.commitStatistics = [] { HttpRequestCenter::commitStatisticsIfDue(); };
    return hooks;
}

} // namespace AppWiring
