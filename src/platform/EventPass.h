#pragma once
// One pass of the window's pending events, made many times a second while a rule changes a lot of
// plans, at as little cost as the event loop allows.

namespace tarvik {

namespace EventPass {

// Prepares the cheap pass where the event loop runs on glib; nothing elsewhere. Needs the
// application object; may be called any number of times.
void Install();

// Processes the pending events once, without blocking.
void Run();

} // namespace EventPass

} // namespace tarvik
