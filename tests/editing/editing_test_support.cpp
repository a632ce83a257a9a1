#include "editing_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tavelo::test {

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tavelo-editing-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> ListFolder(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void AddSubjects(SubjectBook& book, const std::vector<SubjectSpec>& subjects)
{
    for (const auto& wanted : subjects) {
        auto subject = std::make_unique<CTenorels>(wanted.generalTitle, wanted.name, CTenorels::kOpen);
        for (const auto& d : wanted.documents)
            subject->AddDocumentPath(d);
        subject->SetExpectedText(wanted.expected);
        book.AppendSubject(std::move(subject));
    }
}

void RecordingObserver::Message(const std::string& text, MessageLook look)
{
    events.push_back({Event::Kind::Message, text, look, 0});
}

bool RecordingObserver::AskYesNo(const std::string& text)
{
    events.push_back({Event::Kind::Question, text, MessageLook::None, 0});
    return m_nextAnswer < answers.size() && answers[m_nextAnswer++];
}

std::string RecordingObserver::ChooseFolder()
{
    events.push_back({Event::Kind::ChooseFolder, {}, MessageLook::None, 0});
    return folderToChoose;
}

void RecordingObserver::ProgressOpen(const std::string& title, const std::string& topText, int maximum)
{
    events.push_back({Event::Kind::ProgressOpen, title + "|" + topText, MessageLook::None, maximum});
}

void RecordingObserver::ProgressText(const std::string& secondText)
{
    events.push_back({Event::Kind::ProgressText, secondText, MessageLook::None, 0});
}

void RecordingObserver::ProgressStep()
{
    events.push_back({Event::Kind::ProgressStep, {}, MessageLook::None, 0});
}

void RecordingObserver::ProgressClose()
{
    events.push_back({Event::Kind::ProgressClose, {}, MessageLook::None, 0});
}

std::vector<std::pair<std::string, MessageLook>> RecordingObserver::Messages() const
{
    std::vector<std::pair<std::string, MessageLook>> out;
    for (const auto& e : events) {
        if (e.kind == Event::Kind::Message)
            out.emplace_back(e.text, e.look);
    }
    return out;
}

std::vector<std::string> RecordingObserver::Questions() const
{
    std::vector<std::string> out;
    for (const auto& e : events) {
        if (e.kind == Event::Kind::Question)
            out.push_back(e.text);
    }
    return out;
}

int RecordingObserver::Count(Event::Kind kind) const
{
    return static_cast<int>(std::count_if(events.begin(), events.end(), [&](const Event& e) { return e.kind == kind; }));
}

} // namespace tavelo::test
