#pragma once

#include <QString>

namespace platform {

// Tells a running instance of the program from a second launch. The running instance holds the
// lock for its whole run and the system releases it when the process ends, however it ends;
// whatever else is found in the lock's place (a file left behind, junk, a folder) is taken over.
class InstanceLock final {
public:
    enum class Outcome {
        Taken,         // this process is the one instance
        HeldElsewhere, // a live process holds it
        Unavailable,   // nothing can be locked here (an unwritable folder, say)
    };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The path names a file in a folder of the user's own (on Windows, it names the lock).
    Outcome take(const QString& path);
    void release();

#ifdef _WIN32
    // The lock on Windows is a named mutex in the user's session, named after the path's file
    // name ("Local\\tolvy-sarnavel.lock"). Whoever wants to see whether a program holds it (a
    // test, the installer) looks for this name.
    static QString mutexName(const QString& path);
#endif

private:
    QString lockPath;
#ifdef _WIN32
    void* handle = nullptr;
#else
    int fd = -1;
#endif
};

} // namespace platform
