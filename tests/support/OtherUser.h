#pragma once
// Tests of what another user may do. A test program run as root runs such a test row again in a
// child process of itself, which gives up root before the row runs.

namespace tarvik::testing {

// True when the running test row has just been run, and checked, as another user in a child
// process: the caller returns. False when the caller is to run the row itself: in that child, once
// it has given up root, or when the program does not run as root.
bool RanAsOtherUser();

} // namespace tarvik::testing
