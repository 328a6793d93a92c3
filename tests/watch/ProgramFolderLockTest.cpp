#include "watch/ProgramFolderLock.h"

#include "tests/support/Files.h"
#include "tests/support/TestPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Status = ProgramFolderLockResult::Status;

TEST(ProgramFolderLock, ASecondOnTheSameFolderIsRefusedUntilTheFirstEnds)
{
    QTemporaryDir programDir;
    auto first = std::make_unique<ProgramFolderLock>(programDir.path());
    ASSERT_TRUE(first->lock());
    ASSERT_TRUE(QFile::exists(programDir.filePath(QStringLiteral("tavrel.lock"))));

    ProgramFolderLock second(programDir.path());
    const ProgramFolderLockResult refused = second.lock();
    EXPECT_EQ(refused.status, Status::HeldByAnother);
    EXPECT_EQ(refused.message, QStringLiteral("DWX Tavrel Translator is already running for ") +
                                   QDir::toNativeSeparators(programDir.path()) + QStringLiteral(" (process ") +
                                   QString::number(QCoreApplication::applicationPid()) + QStringLiteral(" on ") +
                                   ProgramFolderLock::hostName() + QStringLiteral("). Close it first."));

    first.reset();
    EXPECT_FALSE(QFile::exists(programDir.filePath(QStringLiteral("tavrel.lock"))));
    EXPECT_TRUE(second.lock());
}

// After a restart a new process can get the number of the one that left the file behind; no other is taken over.
TEST(ProgramFolderLock, OnlyALockLeftWithThisProcesssOwnNumberIsTakenOver)
{
    QTemporaryDir heldDir, leftDir, otherDir;
    ProgramFolderLock held(heldDir.path());
    ASSERT_TRUE(held.lock());
    // Read as QLockFile reads a held lock, which Windows allows while the holder has it open.
    WriteBytes(leftDir.filePath(QStringLiteral("tavrel.lock")),
               ReadBytes(heldDir.filePath(QStringLiteral("tavrel.lock"))));
    ProgramFolderLock next(leftDir.path());
    EXPECT_TRUE(next.lock());

    // Another running program's lock is left, even where the system would let it be removed (nobody holds it).
    const OtherProcess other = ParentProcess();
    if (other.program.isEmpty())
        GTEST_SKIP() << "no other running program to name";
    QList<QByteArray> lines = ReadBytes(heldDir.filePath(QStringLiteral("tavrel.lock"))).split('\n');
    lines[0] = QByteArray::number(other.pid);
    lines[1] = QFile::encodeName(other.program);
    WriteBytes(otherDir.filePath(QStringLiteral("tavrel.lock")), lines.join('\n'));
    ProgramFolderLock another(otherDir.path());
    EXPECT_EQ(another.lock().status, Status::HeldByAnother);
}

TEST(ProgramFolderLock, AFolderWhereNoLockCanBeMadeIsNamedWithTheReason)
{
    QTemporaryDir parent;
    const QString missing = parent.filePath(QStringLiteral("gone"));
    ProgramFolderLock lock(missing);
    const ProgramFolderLockResult result = lock.lock();
    EXPECT_EQ(result.status, Status::NotLockable);
    EXPECT_EQ(result.message, QStringLiteral("DWX Tavrel Translator cannot lock ") + QDir::toNativeSeparators(missing) +
                                  QStringLiteral(" (cannot write tavrel.lock): another program on this folder would "
                                                 "go unnoticed."));
}

} // namespace
