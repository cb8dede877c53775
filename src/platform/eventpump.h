// All long work runs on the one GUI thread and keeps the windows alive by
// processing pending events while it waits.
#pragma once

#include <functional>

// Processes the events that are pending now.
void processPendingEvents();
// Waits ms milliseconds while processing events.
void sleepPumping(int ms);
// Waits until cond() holds or ms milliseconds have passed, processing events
// meanwhile; returns cond() at the end. Returns as soon as cond() holds.
bool waitUntil(const std::function<bool()>& cond, int ms);
