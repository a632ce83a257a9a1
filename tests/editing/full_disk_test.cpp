// Exports and copies onto a small tmpfs that fills up. Mounting needs root; the
// mount is made in a mount namespace of this test process only, so nothing is
// left mounted if the test dies.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include "editing/export.h"
#include "editing/subject_copy.h"
#include "editing_test_support.h"

namespace tavelo {
namespace {

using test::AddSubjects;
using test::ListFolder;
using test::ReadFile;
using test::RecordingObserver;
using test::ScratchFolder;
using test::WriteFile;
using Messages = std::vector<std::pair<std::string, MessageLook>>;

std::string Pattern(std::size_t size, char seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + static_cast<char>(i % 97));
    return bytes;
}

class FullDiskTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a small tmpfs needs root";
        if (::unshare(CLONE_NEWNS) != 0)
            GTEST_SKIP() << "no private mount namespace: " << std::strerror(errno);
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            GTEST_SKIP() << "cannot make mounts private: " << std::strerror(errno);
        if (::mount("tmpfs", disk.Path().c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)
            GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
        m_mounted = true;
    }
    void TearDown() override
    {
        if (m_mounted)
            ::umount2(disk.Path().c_str(), MNT_DETACH);
    }

    std::string Doc(const std::string& name, const std::string& bytes)
    {
        WriteFile(docs / name, bytes);
        return docs / name;
    }

    ScratchFolder docs;
    ScratchFolder disk; // 64 pages of 4 KiB once mounted
    SubjectBook book;
    RecordingObserver ui;

private:
    bool m_mounted = false;
};

TEST_F(FullDiskTest, ExportReportsEveryFailedCopyAndLeavesNoTruncatedFile)
{
    const std::vector<std::pair<std::string, std::string>> files = {
        {"a.pdf", Pattern(100000, 'a')}, {"b.pdf", Pattern(100000, 'b')}, {"c.pdf", Pattern(100000, 'c')},
        {"d.pdf", Pattern(100000, 'd')}, {"e.txt", Pattern(10000, 'e')},
    };
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : files)
        paths.push_back(Doc(name, bytes));
    AddSubjects(book, {{"T", "un", {paths[0], paths[1]}, ""}, {"T", "deux", {paths[2], paths[3], paths[4]}, ""}});

    const ExportResult r = ExportBook(book, "Maison", disk.Path(), ui);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::Finished);
    EXPECT_EQ(r.failed, 2);
    EXPECT_EQ(ui.Messages(),
              (Messages{{"Attention le fichier c.pdf n'a pas pu être copié, vous devez le faire manuellement",
                         MessageLook::Exclamation},
                        {"Attention le fichier d.pdf n'a pas pu être copié, vous devez le faire manuellement",
                         MessageLook::Exclamation},
                        {"Il existe des erreurs \n Vous pouvez consulter le fichier de compte-rendu pour les connaitre",
                         MessageLook::Exclamation}}));
    const std::string copied = " a \xE9t\xE9 copi\xE9 \r\n";
    const std::string notCopied = " n'a pas \xE9t\xE9 copi\xE9, vous devez le faire manuellement \r\n";
    EXPECT_EQ(ReadFile(disk / "Compte_rendu.txt"), "Le fichier a.pdf" + copied + "Le fichier b.pdf" + copied
                                                       + "Le fichier c.pdf" + notCopied + "Le fichier d.pdf"
                                                       + notCopied + "Le fichier e.txt" + copied);
    // Every file under its final name is whole; no temporary file is left.
    EXPECT_EQ(ListFolder(disk / "Maison"), (std::vector<std::string>{"a.pdf", "b.pdf", "e.txt"}));
    EXPECT_EQ(ListFolder(disk.Path()), (std::vector<std::string>{"Compte_rendu.txt", "Maison", "Maison.tvo"}));
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(ReadFile(docs / name), bytes) << name;
        if (name != "c.pdf" && name != "d.pdf") {
            EXPECT_EQ(ReadFile(disk / ("Maison/" + name)), bytes) << name;
        }
    }
}

TEST_F(FullDiskTest, FullDiskBeforeTheBookStopsWithTheFilesMessage)
{
    std::string filler(64 * 4096, 'x');
    WriteFile(disk / "filler", filler.substr(0, 60 * 4096));
    // Take what is left, byte by byte, until the disk refuses.
    for (std::size_t chunk = 4096; chunk > 0; chunk /= 2) {
        try {
            for (int i = 0;; ++i)
                WriteFile(disk / ("more" + std::to_string(chunk) + "_" + std::to_string(i)), std::string(chunk, 'y'));
        } catch (const std::runtime_error&) {
        }
    }
    AddSubjects(book, {{"T", "un", {Doc("a.pdf", "a")}, std::string(5000, 'z')}});
    const auto before = ListFolder(disk.Path());

    const ExportResult r = ExportBook(book, "Maison", disk.Path(), ui);

    EXPECT_EQ(r.outcome, ExportResult::Outcome::BookNotCreated);
    EXPECT_EQ(ui.Messages(),
              (Messages{{"Impossible de créer les fichiers \n Assurez-vous d'avoir les droits", MessageLook::Stop}}));
    // The folder it made is gone again: the disk is as the export found it.
    EXPECT_EQ(ListFolder(disk.Path()), before);
}

TEST_F(FullDiskTest, SubjectCopyOntoAFullDiskTellsTheMissingDocumentsAndExpectedText)
{
    const std::string big = Doc("big.pdf", Pattern(300000, 'g'));
    const std::string small = Doc("small.pdf", Pattern(250000, 's'));
    AddSubjects(book, {{"T", "s", {small, big}, std::string(20000, 'z')}});

    const SubjectCopyResult r = CopySubject(*book.GetSubject(0), disk.Path(), ui);

    EXPECT_EQ(r.failed, 1);
    EXPECT_FALSE(r.expectedWritten);
    EXPECT_EQ(ui.Messages(),
              (Messages{{"Impossible de créer le fichier Attendu.txt dans le dossier spécifié", MessageLook::Exclamation},
                        {"Il existe au moins un document qui n'a pas été copié correctementé",
                         MessageLook::Exclamation}}));
    EXPECT_EQ(ListFolder(disk.Path()), std::vector<std::string>{"small.pdf"});
    EXPECT_EQ(ReadFile(disk / "small.pdf"), Pattern(250000, 's'));
    EXPECT_EQ(ReadFile(big), Pattern(300000, 'g'));
}

} // namespace
} // namespace tavelo
