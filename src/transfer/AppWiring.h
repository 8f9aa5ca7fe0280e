#pragma once

#include "AppCore.h"

/// The one place that creates and wires the long-lived services, shared by the window and the
/// command line. It stands on the highest service layer (transfer), so both front-ends link it
/// without any screen library.
namespace AppWiring {
/// The start-up hooks: every service created in order on the main thread with what it needs,
/// the store opened on the "initQueue", the daily statistics report.
[[nodiscard]] AppCore::Hooks startupHooks();
} // namespace AppWiring
