#pragma once

#include "Platform.h"

/// Gives @p platform the services of a window on this machine: the motion sensor, the clipboard
/// and the composer. Needs the QGuiApplication.
void addGuiServices(Platform &platform);
