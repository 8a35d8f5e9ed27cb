#pragma once
// Every test program runs with its own home and configuration folder: HOME and the XDG
// folders point into a temporary folder before the first test, so that nothing under
// test (a store, a removal mark, the watcher it starts) can reach the user's own. The
// user's configuration folder of the application is fingerprinted before and after, and
// a change fails the run.

namespace zembra::test {

// Registers the environment with GoogleTest; call it after InitGoogleTest.
void isolateUserFolders();

} // namespace zembra::test
