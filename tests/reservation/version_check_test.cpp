// A save never replaces a version of the book that this instance has not seen.

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

#include "book/held_file.h"
#include "test_support.h"

namespace tavelo {
namespace {

void SetModified(const std::string& path, const struct timespec& when)
{
    const struct timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct timespec ModifiedOf(const std::string& path)
{
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

TEST(VersionCheckTest, WhatHappenedBehindTheHoldersBack)
{
    const std::string loaded = WriteSubjectList(test::MakeBook("ancien", 3));
    const std::string sameSize = WriteSubjectList(test::MakeBook("autres", 3)); // same length, other bytes
    ASSERT_EQ(sameSize.size(), loaded.size());
    const std::string mine = WriteSubjectList(test::MakeBook("mien", 4));
    struct Case {
        const char* name;
        std::function<void(const std::string& book)> meanwhile;
        SaveOutcome outcome;
    };
    const Case cases[] = {
        {"nothing", [](const std::string&) {}, SaveOutcome::kSaved},
        {"touched only", [](const std::string& b) { SetModified(b, {1000, 0}); }, SaveOutcome::kSaved},
        {"the same bytes copied back by a restore",
         [&](const std::string& b) {
             test::WriteFileBytes(b + ".restore", loaded);
             std::rename((b + ".restore").c_str(), b.c_str());
         },
         SaveOutcome::kSaved},
        {"removed", [](const std::string& b) { std::remove(b.c_str()); }, SaveOutcome::kSaved},
        {"another machine's save", [](const std::string& b) { test::WriteFileBytes(b, WriteSubjectList(test::MakeBook("salon", 7))); },
         SaveOutcome::kChangedOnDisk},
        {"same size, rewritten in place",
         [&](const std::string& b) {
             const struct timespec before = ModifiedOf(b);
             test::WriteFileBytes(b, sameSize);
             SetModified(b, {before.tv_sec + 1, before.tv_nsec});
         },
         SaveOutcome::kChangedOnDisk},
        // A sync client puts its download in place and gives it the time it had
        // elsewhere: size and time alike, only the bytes tell.
        {"same size and time, another file put in place",
         [&](const std::string& b) {
             const struct timespec before = ModifiedOf(b);
             test::WriteFileBytes(b + ".sync", sameSize);
             SetModified(b + ".sync", before);
             std::rename((b + ".sync").c_str(), b.c_str());
         },
         SaveOutcome::kChangedOnDisk},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        const std::string book = dir.File("Maison.tvo");
        test::WriteFileBytes(book, loaded);
        bool readOnly = true;
        auto held = OpenHeldFile(book, readOnly, false);
        ASSERT_TRUE(held && !readOnly) << c.name;
        EXPECT_EQ(held->Load().View(), loaded) << c.name;
        c.meanwhile(book);
        const std::string onDisk = ::access(book.c_str(), F_OK) == 0 ? test::ReadFileBytes(book) : std::string();
        const SaveResult result = SaveHeldFile(held, readOnly, book, mine);
        EXPECT_EQ(result.outcome, c.outcome) << c.name << ": " << result.message;
        if (c.outcome == SaveOutcome::kChangedOnDisk) {
            EXPECT_EQ(test::ReadFileBytes(book), onDisk) << c.name << ": nothing overwritten";
            EXPECT_NE(result.message.find("a été modifié ailleurs"), std::string::npos) << c.name;
            EXPECT_EQ(held->BaseBytes(), loaded) << c.name << ": the base of the merge";
            // Once the version on disk is read and adopted (after a merge),
            // the save goes through.
            BookVersion version;
            const FileBytes current = held->ReadCurrent(version);
            EXPECT_EQ(current.View(), onDisk) << c.name;
            held->AdoptVersion(version, std::string(current.View()));
            EXPECT_EQ(SaveHeldFile(held, readOnly, book, mine).outcome, SaveOutcome::kSaved) << c.name;
        }
        EXPECT_EQ(test::ReadFileBytes(book), mine) << c.name;
        // Its own save is a version it has seen.
        EXPECT_EQ(held->BaseBytes(), mine) << c.name;
        EXPECT_EQ(held->CheckDisk(), VersionCheck::kSame) << c.name;
        EXPECT_EQ(SaveHeldFile(held, readOnly, book, loaded).outcome, SaveOutcome::kSaved) << c.name;
    }
}

} // namespace
} // namespace tavelo
