#pragma once
// The `zembra` command line: the same core as the application, no GUI.

namespace zembra::cli {

// Exit status: 0 done, 1 something could not be removed (or was not found),
// 2 usage, 3 the application is running.
int run(int argc, char **argv);

} // namespace zembra::cli
