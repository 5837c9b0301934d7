#pragma once
// The values the text entry dialog exchanges with the editor: filled before the dialog opens,
// read back when it closes with Yes.
#include <QString>
#include <cstdint>

namespace qv {

struct TextDialogValues {
    QString dialogText;             // lines separated by CR LF
    bool dialogVertical = false;
    QString dialogFace;             // face name without the vertical "@"
    int32_t dialogLineSpacing = 0;  // page units
    int32_t dialogCharSize = 0;     // page units
    bool directionToggled = false;  // the user switched between horizontal and vertical
    bool editing = false;           // opened for an existing item rather than a new one
};

} // namespace qv
