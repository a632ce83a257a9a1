// tavelo-cli create --force leaves alone a book that an instance holds.

#include <gtest/gtest.h>

#include <sstream>

#include "book/held_file.h"
#include "cli/commands.h"
#include "test_support.h"

namespace tavelo {
namespace {

TEST(CliCreateTest, ForceRefusesAHeldBookAndReplacesAFreeOne)
{
    test::TempDir dir;
    const std::string json = dir.File("livre.json");
    const std::string book = dir.File("Maison.tvo");
    test::WriteFileBytes(json, R"({"subjects":[]})");
    const std::string oldBytes = WriteSubjectList(test::MakeBook("ancien", 2));
    test::WriteFileBytes(book, oldBytes);

    bool readOnly = true;
    auto held = OpenHeldFile(book, readOnly, false);
    ASSERT_FALSE(readOnly);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(cli::RunCreate({json, book, "--force"}, {out, err}), 1);
    EXPECT_NE(err.str().find("il n'est pas remplacé"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("Réservé par"), std::string::npos) << err.str();
    EXPECT_EQ(test::ReadFileBytes(book), oldBytes);

    ReleaseHeldFile(held);
    std::ostringstream err2;
    EXPECT_EQ(cli::RunCreate({json, book, "--force"}, {out, err2}), 0) << err2.str();
    EXPECT_EQ(test::ReadFileBytes(book), std::string("\0\0", 2));
    EXPECT_FALSE(IsBookHeld(book));
}

} // namespace
} // namespace tavelo
