#pragma once

#include <functional>

namespace karte {

// Runs work that takes a while (deriving a protected set's key) on a thread of its own, while this thread shows the
// busy cursor and goes on painting the windows; what the user does meanwhile waits until the work is done. work
// must not touch the windows. Returns when it is done; work itself throws nothing.
void runWhileBusy(const std::function<void()>& work);

// Has the card engine derive keys this way.
void deriveKeysWhileBusy();

} // namespace karte
