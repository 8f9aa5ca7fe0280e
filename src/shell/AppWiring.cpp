#include "AppWiring.h"

#include "DeviceInfoCenter.h"
#include "LoginAndAuthCenter.h"

namespace AppWiring {

AppCore::Hooks startupHooks()
{
    AppCore::Hooks hooks;
    hooks.createServices = {
        [] { (void)LoginAndAuthCenter::sharedInstance(); },
        [] { (void)DeviceInfoCenter::sharedInstance(); },
    };
    return hooks;
}

} // namespace AppWiring
