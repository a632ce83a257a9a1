#pragma once
// The freedesktop association of *.tvo books with the program: a shared-mime-info
// package ("Tavelo Document"), a desktop entry and an icon, under the user's data
// folder. Written on every start; failures are ignored.

#include <QString>

namespace tavelo::gui {

inline constexpr const char* kBookMimeType = "application/x-tavelo";

// Writes the files under `dataFolder` (the user's data folder when empty) for
// the program at `executable`. False when something could not be written.
bool WriteDesktopAssociation(const QString& executable, const QString& dataFolder = QString());

} // namespace tavelo::gui
