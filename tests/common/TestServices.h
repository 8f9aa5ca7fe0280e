#pragma once

// Every service of a test's core, created and wired as the start-up does, with the store open.

#include "AppWiring.h"
#include "TestCore.h"

inline void createServices(TestCore &t, bool openStore = true)
{
    const AppCore::Hooks hooks = AppWiring::startupHooks();
    hooks.createServices(*t.core);
    if (openStore)
        hooks.openStore(*t.core);
}
