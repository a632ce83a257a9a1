// Reading another book to merge it into the open one.

#include <gtest/gtest.h>

#include "book/held_file.h"
#include "book/lock_file.h"
#include "book/merge.h"
#include "book/subject_book.h"
#include "test_support.h"

namespace tavelo {
namespace {

class MergeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        other = dir.File("Autre.tvo");
        test::WriteFileBytes(other, WriteSubjectList(test::MakeBook("autre", 3)));
    }
    test::TempDir dir;
    std::string other;
};

TEST_F(MergeTest, AFreeBookIsReadInFileOrderAndAppendedWithoutDuplicateCheck)
{
    SubjectBook book;
    book.AppendSubjects(test::MakeBook("autre", 2)); // the same subjects as the other file's first two
    MergeRead read = ReadBookForMerge(other);
    ASSERT_EQ(read.outcome, MergeReadOutcome::kRead) << read.message;
    const SubjectList expected = test::MakeBook("autre", 3);
    ASSERT_EQ(read.subjects.size(), expected.size());
    AppendMergedSubjects(book, std::move(read.subjects));
    ASSERT_EQ(book.GetSubjectCount(), 5u);
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_EQ(*book.GetSubject(2 + i), *expected[i]);
    EXPECT_EQ(*book.GetSubject(0), *book.GetSubject(2));
    EXPECT_TRUE(book.IsModified());
}

TEST_F(MergeTest, AnOpenBookIsRefusedWhoeverHasIt)
{
    bool readOnly = false;
    auto held = OpenHeldFile(other, readOnly, false);
    ASSERT_TRUE(held);
    MergeRead read = ReadBookForMerge(other);
    EXPECT_EQ(read.outcome, MergeReadOutcome::kRefused);
    EXPECT_EQ(read.message, "Le fichier devant être fusionné n'a pas pu être ouvert");
    EXPECT_TRUE(read.subjects.empty());

    // A reader alone is enough to refuse it, as in an instance that opened it read-only.
    bool secondReadOnly = false;
    auto reader = OpenHeldFile(other, secondReadOnly, false);
    ASSERT_TRUE(reader);
    ReleaseHeldFile(held);
    EXPECT_EQ(ReadBookForMerge(other).outcome, MergeReadOutcome::kRefused);
    ReleaseHeldFile(reader);
    EXPECT_EQ(ReadBookForMerge(other).outcome, MergeReadOutcome::kRead);
    EXPECT_EQ(ReadBookForMerge(dir.File("absent.tvo")).outcome, MergeReadOutcome::kRefused);
}

TEST_F(MergeTest, EmptyAndSchemaOneBooksMergeAndDamagedOnesAddNothing)
{
    const std::string empty = dir.File("vide.tvo");
    test::WriteFileBytes(empty, std::string("\0\0", 2));
    SubjectBook book;
    MergeRead read = ReadBookForMerge(empty);
    ASSERT_EQ(read.outcome, MergeReadOutcome::kRead);
    AppendMergedSubjects(book, std::move(read.subjects));
    EXPECT_EQ(book.GetSubjectCount(), 0u);
    EXPECT_TRUE(book.IsModified());

    const std::string old = dir.File("ancien.tvo");
    test::WriteFileBytes(old, std::string("\x01\x00\xFF\xFF\x01\x00\x09\x00" "CTenorels" "\x01T\x01N\x01\x00\x00\x00\x01\x00\x01p", 29));
    read = ReadBookForMerge(old);
    ASSERT_EQ(read.outcome, MergeReadOutcome::kRead) << read.message;
    ASSERT_EQ(read.subjects.size(), 1u);
    EXPECT_EQ(read.subjects[0]->GetExpectedText(), "");
    EXPECT_EQ(read.subjects[0]->GetDocumentPath(0), "p");

    const std::string damaged = dir.File("abime.tvo");
    const std::string bytes = WriteSubjectList(test::MakeBook("x", 4));
    test::WriteFileBytes(damaged, bytes.substr(0, bytes.size() - 3));
    read = ReadBookForMerge(damaged);
    EXPECT_EQ(read.outcome, MergeReadOutcome::kDamaged);
    EXPECT_TRUE(read.subjects.empty());
    EXPECT_NE(read.message.find("tronqué"), std::string::npos) << read.message;

    int notices = 0;
    const std::string future = dir.File("futur.tvo");
    test::WriteFileBytes(future, std::string("\x01\x00\xFF\xFF\x03\x00\x09\x00" "CTenorels" "\x01T\x01N\x00\x00\x00\x00\x00\x00\x00", 28));
    read = ReadBookForMerge(future, [&](std::string_view) { ++notices; });
    EXPECT_EQ(read.outcome, MergeReadOutcome::kDamaged);
    EXPECT_EQ(notices, 1);
}

TEST_F(MergeTest, ReadsTheLastWholeBookNeverATornOne)
{
    // What an interrupted rewriting in place leaves: the backup holds the
    // whole book and the book itself is torn. Readers take the backup.
    const std::string whole = WriteSubjectList(test::MakeBook("entier", 6));
    test::WriteFileBytes(BackupFilePath(other), whole);
    test::WriteFileBytes(other, whole.substr(0, whole.size() / 2));
    EXPECT_TRUE(test::SameBook(ReadBookForMerge(other).subjects, test::MakeBook("entier", 6)));
}

} // namespace
} // namespace tavelo
