#pragma once

namespace tremolex {

// Tells whether another copy of the program runs. The first copy holds the lock for
// its whole run; a copy that crashed does not hold it.
class InstanceLock {
public:
    virtual ~InstanceLock() = default;

    // True when this copy now holds the lock (or already did); false when another
    // running copy holds it.
    virtual bool tryLock() = 0;
};

}  // namespace tremolex
