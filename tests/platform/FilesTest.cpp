// Safe writes and folder copies: what reaches the disk, and what is left when
// a write breaks off.

#include "platform/Files.h"
#include "support/ProgramDirectory.h"
#include "support/Scoped.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

namespace {

TEST(Files, ReplacingWriteIsAllOrNothing) {
    ProgramDirectory dir;
    const QString path = dir.FilePath(QStringLiteral("data.htm"));
    ASSERT_TRUE(WriteFileReplacing(path, QByteArray("old")));
    ASSERT_TRUE(WriteFileReplacing(path, QByteArray("new")));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("data.htm")), QByteArray("new"));
    {
        // The write breaks off half-way, as on a full disk.
        ScopedWriteFailure full;
        EXPECT_FALSE(WriteFileReplacing(path, QByteArray("lost bytes")));
    }
    EXPECT_EQ(dir.ReadFile(QStringLiteral("data.htm")), QByteArray("new"));
    // No temporary file is left beside the document.
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files), QStringList{QStringLiteral("data.htm")});
}

TEST(Files, BytesTheSystemRefusesLeaveTheOldFileInPlace) {
    ProgramDirectory dir;
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("report.txt"), "old report"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("picture.jpg"), "old picture"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("source.jpg"), QByteArray(200000, 'p')));
    {
        ScopedFileSizeLimit full(4096);
        // Small enough to wait in the write buffer until the end, and larger
        // than the buffer, written straight through.
        // Each failure keeps the system's reason for the message the rider sees.
        EXPECT_FALSE(WriteFileReplacing(dir.FilePath(QStringLiteral("report.txt")), QByteArray(6000, 'r')));
        EXPECT_EQ(LastFileError(), EFBIG);
        EXPECT_TRUE(WriteFileReplacing(dir.FilePath(QStringLiteral("small.txt")), QByteArray("s")));
        EXPECT_EQ(LastFileError(), 0);
        EXPECT_FALSE(WriteFileReplacing(dir.FilePath(QStringLiteral("report.txt")), QByteArray(100000, 'r')));
        EXPECT_EQ(LastFileError(), EFBIG);
        EXPECT_FALSE(CopyFileReplacing(dir.FilePath(QStringLiteral("source.jpg")),
                                       dir.FilePath(QStringLiteral("picture.jpg"))));
        EXPECT_EQ(LastFileError(), EFBIG);
    }
    EXPECT_EQ(dir.ReadFile(QStringLiteral("report.txt")), QByteArray("old report"));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("picture.jpg")), QByteArray("old picture"));
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files).size(), 4);
}

TEST(Files, NewFilesAreWrittenWholeOrNotAtAll) {
    ProgramDirectory dir;
    const QString path = dir.FilePath(QStringLiteral("track.png"));
    ASSERT_TRUE(WriteNewFile(path, QByteArray("picture")));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("track.png")), QByteArray("picture"));
    // A file that is there already is never written into.
    EXPECT_FALSE(WriteNewFile(path, QByteArray("other")));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("track.png")), QByteArray("picture"));
    {
        ScopedWriteFailure full;
        EXPECT_FALSE(WriteNewFile(dir.FilePath(QStringLiteral("data.htm")), QByteArray("half of this")));
    }
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("data.htm"))));
    EXPECT_FALSE(WriteNewFile(dir.FilePath(QStringLiteral("missing/data.htm")), QByteArray("x")));

    EXPECT_TRUE(SyncFileSystem(dir.Path()));
    EXPECT_FALSE(SyncFileSystem(dir.FilePath(QStringLiteral("missing"))));
}

TEST(Files, CopyFileReplacingCopiesWholeOrNotAtAll) {
    ProgramDirectory dir;
    QByteArray picture(3 * 1024 * 1024 + 17, '\0');
    for (int i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>(i * 31);
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("source.jpg"), picture));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("target.jpg"), "old"));
    const QString source = dir.FilePath(QStringLiteral("source.jpg"));
    const QString target = dir.FilePath(QStringLiteral("target.jpg"));
    {
        ScopedWriteFailure full;
        EXPECT_FALSE(CopyFileReplacing(source, target));
    }
    EXPECT_EQ(dir.ReadFile(QStringLiteral("target.jpg")), QByteArray("old"));
    ASSERT_TRUE(CopyFileReplacing(source, target));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("target.jpg")), picture);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files).size(), 2);
    // A folder or a missing file is nothing to copy.
    EXPECT_FALSE(CopyFileReplacing(dir.Path(), target));
    EXPECT_FALSE(CopyFileReplacing(dir.FilePath(QStringLiteral("missing")), target));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("target.jpg")), picture);
}

TEST(Files, CopyFolderCopiesTreesAndOverwrites) {
    ProgramDirectory dir;
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("from/data.htm"), "new"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("from/data.files/a.jpg"), "picture"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("to/data.htm"), "old"));
    ASSERT_TRUE(CopyFolder(dir.FilePath(QStringLiteral("from")), dir.FilePath(QStringLiteral("to"))));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("to/data.htm")), "new");
    EXPECT_EQ(dir.ReadFile(QStringLiteral("to/data.files/a.jpg")), "picture");

    EXPECT_FALSE(
        CopyFolder(dir.FilePath(QStringLiteral("missing")), dir.FilePath(QStringLiteral("elsewhere"))));
    EXPECT_FALSE(QDir(dir.FilePath(QStringLiteral("elsewhere"))).exists());

    EXPECT_TRUE(DeleteFolder(dir.FilePath(QStringLiteral("to"))));
    EXPECT_FALSE(QDir(dir.FilePath(QStringLiteral("to"))).exists());
    EXPECT_TRUE(QDir(dir.FilePath(QStringLiteral("from"))).exists());
    EXPECT_FALSE(DeleteFolder(QString()));
}

TEST(Files, DeleteFolderNeverFollowsALinkOutOfIt) {
    ProgramDirectory dir;
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("keep/photo.jpg"), "precious"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("Rides/3/data.htm"), "memo"));
    ASSERT_TRUE(QFile::link(dir.FilePath(QStringLiteral("keep")),
                            dir.FilePath(QStringLiteral("Rides/3/data.files"))));
    EXPECT_TRUE(DeleteFolder(dir.FilePath(QStringLiteral("Rides/3"))));
    EXPECT_FALSE(QFileInfo::exists(dir.FilePath(QStringLiteral("Rides/3"))));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("keep/photo.jpg")), QByteArray("precious"));
}

TEST(Files, EmptyFolderKeepsTheFolderAndWhatLinksPointTo) {
    ProgramDirectory dir;
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("keep/photo.jpg"), "precious"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("Rides/3/data.htm"), "memo"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("Rides/3/data.files/a.jpg"), "picture"));
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("Rides/stray.txt"), "x"));
    ASSERT_TRUE(
        QFile::link(dir.FilePath(QStringLiteral("keep")), dir.FilePath(QStringLiteral("Rides/linked"))));
    EXPECT_TRUE(EmptyFolder(dir.FilePath(QStringLiteral("Rides"))));
    EXPECT_TRUE(QDir(dir.FilePath(QStringLiteral("Rides")))
                    .isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("keep/photo.jpg")), QByteArray("precious"));

    // A missing folder is made; a file in its place is left alone.
    EXPECT_TRUE(EmptyFolder(dir.FilePath(QStringLiteral("Maintenance"))));
    EXPECT_TRUE(QFileInfo(dir.FilePath(QStringLiteral("Maintenance"))).isDir());
    ASSERT_TRUE(dir.WriteFile(QStringLiteral("notes"), "text"));
    EXPECT_FALSE(EmptyFolder(dir.FilePath(QStringLiteral("notes"))));
    EXPECT_EQ(dir.ReadFile(QStringLiteral("notes")), QByteArray("text"));
    EXPECT_FALSE(EmptyFolder(QString()));
}

// What lies outside the folders a copy is given, and must stay out of it and untouched.
class CopyFolderLinks : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.WriteFile(QStringLiteral("outside/secret.txt"), "outside"));
        ASSERT_TRUE(m_dir.WriteFile(QStringLiteral("from/1/data.htm"), "memo"));
    }
    QString Path(const char* relative) const { return m_dir.FilePath(QString::fromLatin1(relative)); }
    void Link(const char* target, const char* link) const {
        ASSERT_TRUE(QFile::link(Path(target), Path(link))) << link;
    }
    ProgramDirectory m_dir;
};

TEST_F(CopyFolderLinks, LinksAndSpecialFilesInTheSourceAreSkipped) {
    Link("outside", "from/1/pictures");
    Link("outside/secret.txt", "from/1/photo.jpg");
    Link("outside", "from/2");  // as a link to "/" would, were it followed
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("from/1/pipe")).constData(), 0600), 0);
    ASSERT_TRUE(CopyFolder(Path("from"), Path("to")));
    EXPECT_EQ(m_dir.ReadFile(QStringLiteral("to/1/data.htm")), "memo");
    EXPECT_EQ(
        QDir(Path("to")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        QStringList{QStringLiteral("1")});
    EXPECT_EQ(
        QDir(Path("to/1")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
        QStringList{QStringLiteral("data.htm")});

    // A source that is itself a link is no folder to copy.
    Link("outside", "linked");
    EXPECT_FALSE(CopyFolder(Path("linked"), Path("elsewhere")));
    EXPECT_FALSE(QFileInfo::exists(Path("elsewhere")));
}

TEST_F(CopyFolderLinks, ALinkInTheTargetIsNeverWrittenThrough) {
    struct Case {
        const char* what;
        const char* linkTarget;
        const char* link;
        const char* to;
    };
    for (const Case& c : {Case{"file", "outside/secret.txt", "toFile/1/data.htm", "toFile"},
                          Case{"folder below", "outside", "toFolder/1", "toFolder"},
                          Case{"target itself", "outside", "linkedTo", "linkedTo"}}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(Path(c.link)).path()));
        Link(c.linkTarget, c.link);
        EXPECT_FALSE(CopyFolder(Path("from"), Path(c.to))) << c.what;
        EXPECT_TRUE(QFileInfo(Path(c.link)).isSymLink()) << c.what;
        EXPECT_EQ(m_dir.ReadFile(QStringLiteral("outside/secret.txt")), "outside") << c.what;
        EXPECT_EQ(QDir(Path("outside")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList{QStringLiteral("secret.txt")})
            << c.what;
    }
}

TEST_F(CopyFolderLinks, ACopyIntoTheFolderItCopiesIsRefused) {
    for (const char* to : {"from", "from/1", "from/1/inner/deeper"}) {
        EXPECT_FALSE(CopyFolder(Path("from"), Path(to))) << to;
    }
    EXPECT_FALSE(QFileInfo::exists(Path("from/1/inner")));
    // Also when the way into it leads through a link.
    Link("from", "door");
    EXPECT_FALSE(CopyFolder(Path("from"), Path("door/copy")));
    EXPECT_FALSE(QFileInfo::exists(Path("from/copy")));
}

}  // namespace
