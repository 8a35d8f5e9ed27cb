#pragma once
// A pid file that proves its owner is alive: the owner keeps an exclusive lock on it for
// as long as it runs, so a file left behind by a process that died (or a pid reused by
// another program) is never taken for a running one. The watcher holds one in the
// settings folder; the preferences find and stop the watcher through it, never by name.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace zembra::platform {

class PidFile {
public:
    // Takes the file for this process and writes its pid; null when another live process
    // holds it, or when it cannot be made: then `problem` says why ("" when held). A link
    // or a FIFO in its place is never opened through nor blocked on.
    static std::unique_ptr<PidFile> acquire(const std::filesystem::path &file,
                                            std::string *problem = nullptr);
    ~PidFile();
    PidFile(const PidFile &) = delete;
    PidFile &operator=(const PidFile &) = delete;

    // The pid of the live process that holds `file`; nothing when no process holds it.
    static std::optional<long> holder(const std::filesystem::path &file);
    // Asks the holder to end (SIGTERM) and waits up to `timeoutMs` for its lock to go;
    // true when no process holds the file any more. Blocks: never on the GUI thread.
    static bool stopHolder(const std::filesystem::path &file, int timeoutMs = 3000);
    // Asks the holder to end (SIGTERM) and returns at once; false when none holds it.
    static bool askHolderToStop(const std::filesystem::path &file);

private:
    static int lockedFile(const std::filesystem::path &file);
    PidFile(std::filesystem::path file, int fd) : m_file(std::move(file)), m_fd(fd) {}
    std::filesystem::path m_file;
    int m_fd;
};

} // namespace zembra::platform
