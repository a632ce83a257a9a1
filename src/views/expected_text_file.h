#pragma once
// Temp.txt, the file through which the preview shows a subject's expected text.
// It lives in a private temporary folder of the running program, so that two
// programs, or a current folder the user cannot write to, never get in the way.

#include <QByteArray>
#include <QString>
#include <string>

namespace tavelo::gui {

class ExpectedTextFile {
public:
    // The file's full path, or empty when no private folder could be made.
    static QString Path();
    // Writes the text as UTF-8 after a byte-order mark (an empty text as an
    // empty file), whatever its characters, so that reading it back never has to guess its encoding
    // (Windows-1252 bytes can read as valid UTF-8); false when the file
    // cannot be written.
    static bool Write(const std::string& utf8Text);
    // The text of the file's bytes, as Write wrote them.
    static QString Decode(const QByteArray& bytes);
    static void Remove();
};

} // namespace tavelo::gui
