#include "AppWiring.h"

#include "DataBaseCenter.h"
#include "DeviceInfoCenter.h"

namespace AppWiring {

AppCore::Hooks startupHooks()
{
    AppCore::Hooks hooks;
    hooks.createServices = {
        [] { (void)DeviceInfoCenter::sharedInstance(); },
    };
    hooks.openStore = [] { DataBaseCenter::sharedInstance()->open(); };
    return hooks;
}

} // namespace AppWiring
