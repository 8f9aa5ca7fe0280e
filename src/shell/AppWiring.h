#pragma once

#include "AppCore.h"

/// The one place that names every long-lived service: what the GUI and the command line plug
/// into the core's start-up sequence.
namespace AppWiring {
/// The services in their creation order, and the store opened on the start-up queue.
[[nodiscard]] AppCore::Hooks startupHooks();
} // namespace AppWiring
