#include "PlatformGui.h"

#include "LinuxClipboard.h"
#include "LinuxComposer.h"
#include "LinuxMotion.h"

void addGuiServices(Platform &platform)
{
    platform.motion = std::make_unique<LinuxMotion>();
    platform.clipboard = std::make_unique<LinuxClipboard>();
    platform.composer = std::make_unique<LinuxComposer>();
}
