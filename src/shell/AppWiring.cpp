#include "AppWiring.h"

#include "DeviceInfoCenter.h"
#include "UDPCenter.h"

namespace AppWiring {

AppCore::Hooks startupHooks()
{
    AppCore::Hooks hooks;
    hooks.createServices = {
        [] { (void)DeviceInfoCenter::sharedInstance(); },
        [] { (void)UDPCenter::sharedInstance(); },
    };
    return hooks;
}

} // namespace AppWiring
