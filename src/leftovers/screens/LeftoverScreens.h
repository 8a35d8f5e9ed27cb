#pragma once
// Registers the leftover screens, sheets and popovers by identifier: "Remainder",
// "Remove", "Launched", "CantRemove", and the rating prompts "RateApp" and
// "RateAppCount" that the outcome screen offers.

#include "leftovers/Removal.h"

namespace zembra {

class AppDelegate;
class ScreenRegistry;

// `removal`: the services the review's removal runs on (the platform's by default; tests
// and benchmarks pass their own sound or deletion).
void registerLeftoverScreens(ScreenRegistry &registry, AppDelegate &app,
                             leftovers::RemovalServices removal = {});

} // namespace zembra
