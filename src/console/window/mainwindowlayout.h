#pragma once

#include "platform/formlayout.h"

#include <span>

// Every control of the main window as it stands at design time.
std::span<const formlayout::Control> mainWindowControls();
