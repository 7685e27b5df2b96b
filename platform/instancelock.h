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

    // The lock is the file at the path, in a folder of the user's own; on Windows it is the
    // named mutex of the user's session instead.
    Outcome take(const QString& path, const QString& mutexName);
    void release();

private:
    QString lockPath;
#ifdef _WIN32
    void* handle = nullptr;
#else
    int fd = -1;
#endif
};

} // namespace platform
