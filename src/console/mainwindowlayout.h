#pragma once

#include "console/formlayout.h"

#include <span>

// Every control of the main window as it stands at design time.
std::span<const formlayout::Control> mainWindowControls();
