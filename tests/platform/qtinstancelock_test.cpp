#include "platform/qt/qtinstancelock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

namespace tremolex {

// A copy that crashed or was killed left its lock file behind. (A live one keeps the lock:
// the window's and the real program's tests start a second copy.)
TEST(QtInstanceLock, LockLeftByADeadCopyIsTakenOverAtOnce) {
    const pid_t first = fork();
    if (first == 0) {
        QtInstanceLock lock;
        _exit(lock.tryLock() ? 0 : 1);  // as a crash ends it: nothing unlocks
    }
    int status = -1;
    ASSERT_TRUE(waitpid(first, &status, 0) == first && status == 0);
    ASSERT_TRUE(QFile::exists(qEnvironmentVariable("XDG_RUNTIME_DIR") + "/Bramwick Tremolex.lock"));
    QtInstanceLock next;
    EXPECT_TRUE(next.tryLock());
    EXPECT_FALSE(QtInstanceLock().tryLock());
}

// Nothing can be locked under a file: a failure of that kind is no other copy.
TEST(QtInstanceLock, LockThatCannotBeMadeDoesNotStopTheProgram) {
    const QString notAFolder = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/file";
    QFile(notAFolder).open(QIODevice::WriteOnly);
    EXPECT_TRUE(QtInstanceLock(notAFolder + "/Bramwick Tremolex.lock").tryLock());
}

}  // namespace tremolex
