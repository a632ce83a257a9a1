#pragma once
// Helpers of the editing tests: a scratch folder, small files, books and an
// observer that records what the user would have seen.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "book/subject_book.h"
#include "editing/copy_observer.h"

namespace tavelo::test {

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // Path() + "/" + relative
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// Names in a folder, sorted; hidden ones included.
std::vector<std::string> ListFolder(const std::string& path);

struct SubjectSpec {
    std::string generalTitle;
    std::string name;
    std::vector<std::string> documents;
    std::string expected;
};
void AddSubjects(SubjectBook& book, const std::vector<SubjectSpec>& subjects);

struct Event {
    enum class Kind { Message, Question, ChooseFolder, ProgressOpen, ProgressText, ProgressStep, ProgressClose };
    Kind kind;
    std::string text;
    MessageLook look = MessageLook::None;
    int maximum = 0;
};

class RecordingObserver : public CopyObserver {
public:
    std::string folderToChoose;
    std::vector<bool> answers; // consumed in order; "no" when exhausted

    void Message(const std::string& text, MessageLook look) override;
    bool AskYesNo(const std::string& text) override;
    std::string ChooseFolder() override;
    void ProgressOpen(const std::string& title, const std::string& topText, int maximum) override;
    void ProgressText(const std::string& secondText) override;
    void ProgressStep() override;
    void ProgressClose() override;

    std::vector<Event> events;

    std::vector<std::pair<std::string, MessageLook>> Messages() const;
    std::vector<std::string> Questions() const;
    int Count(Event::Kind kind) const;

private:
    std::size_t m_nextAnswer = 0;
};

} // namespace tavelo::test
