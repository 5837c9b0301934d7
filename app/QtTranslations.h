#pragma once
// Qt's own texts (the file, colour and print dialogs, the standard buttons) in Japanese, to match
// the rest of the window whatever the desktop's language.
class QCoreApplication;

namespace qv {

/// @brief Loads Qt's Japanese translations into app; false when they are not installed (Qt's
/// dialogs then speak English).
bool installQtTranslations(QCoreApplication& app);

} // namespace qv
