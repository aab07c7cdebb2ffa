#include "platform/qt/qtinstancelock.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

namespace tremolex {
namespace {

// A first copy of the program in a process of its own: it takes the lock, says whether it
// got it, and then keeps computing until it is killed.
class FirstCopy {
public:
    FirstCopy() {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            return;
        }
        m_pid = fork();
        if (m_pid == 0) {
            close(pipeEnds[0]);
            QtInstanceLock lock;
            const char got = lock.tryLock() ? 'y' : 'n';
            (void)!write(pipeEnds[1], &got, 1);
            volatile unsigned long work = 0;
            for (;;) {
                work = work + 1;
            }
        }
        close(pipeEnds[1]);
        char got = 'n';
        m_locked = m_pid > 0 && read(pipeEnds[0], &got, 1) == 1 && got == 'y';
        close(pipeEnds[0]);
    }
    ~FirstCopy() { killHard(); }
    FirstCopy(const FirstCopy&) = delete;
    FirstCopy& operator=(const FirstCopy&) = delete;

    bool locked() const { return m_locked; }

    // Ends it the way a crash or `kill -9` does: the lock file stays behind.
    void killHard() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

TEST(QtInstanceLock, SecondCopyIsRefusedWhileTheFirstIsBusy) {
    FirstCopy first;
    ASSERT_TRUE(first.locked());
    QtInstanceLock second;
    EXPECT_FALSE(second.tryLock());
    EXPECT_FALSE(second.tryLock());  // asking again steals nothing
}

TEST(QtInstanceLock, LockOfAKilledCopyIsTakenOverAtOnce) {
    FirstCopy first;
    ASSERT_TRUE(first.locked());
    first.killHard();
    QtInstanceLock next;
    EXPECT_TRUE(next.tryLock());
    EXPECT_TRUE(next.tryLock());  // still its own
    QtInstanceLock another;
    EXPECT_FALSE(another.tryLock());
}

// Nothing can be locked under a file: a failure of that kind is no other copy.
TEST(QtInstanceLock, LockThatCannotBeMadeDoesNotStopTheProgram) {
    const QString notAFolder = qEnvironmentVariable("XDG_RUNTIME_DIR") + "/file";
    QFile(notAFolder).open(QIODevice::WriteOnly);
    QtInstanceLock lock(notAFolder + "/Bramwick Tremolex.lock");
    EXPECT_TRUE(lock.tryLock());
}

}  // namespace
}  // namespace tremolex
