#pragma once

#include <QLockFile>
#include <QString>

#include "platform/instancelock.h"

namespace tremolex {

// A lock file in the user's runtime folder (XDG_RUNTIME_DIR, else the temporary folder).
// The file names the holder's process, so the lock of a crashed copy is taken over.
class QtInstanceLock final : public InstanceLock {
public:
    QtInstanceLock();
    explicit QtInstanceLock(const QString& file) : m_lock(file) {}

    // A lock file that cannot be made at all (no runtime folder, a full disk) tells nothing
    // of another copy: the program runs rather than end without a word.
    bool tryLock() override {
        return m_lock.isLocked() || m_lock.tryLock(0) ||
               m_lock.error() != QLockFile::LockFailedError;
    }

private:
    QLockFile m_lock;
};

}  // namespace tremolex
