#include "AppWiring.h"

#include "DeviceInfoCenter.h"

namespace AppWiring {

AppCore::Hooks startupHooks()
{
    AppCore::Hooks hooks;
    hooks.createServices = {
        [] { (void)DeviceInfoCenter::sharedInstance(); },
    };
    return hooks;
}

} // namespace AppWiring
