#pragma once
// The text entry dialog's values: filled from a text item before the dialog opens, written back
// when it closes with Yes, and the dialog's own checks and proposals (no widgets here).
#include "TextDialogValues.h"
#include "Unit2.h"
#include <optional>

namespace qv {

inline const QString kSizeOther = QStringLiteral("その他");
inline const QString kMsgSizeEmpty = QStringLiteral("文字の大きさを入力してください。");
inline const QString kMsgSizeNotNumber = QStringLiteral("文字の大きさに入力された値は数値として正しくありません。");
inline const QString kMsgSizeNegative = QStringLiteral("文字の大きさにマイナス値を入力しないでください。");
inline const QString kMsgSpacingEmpty = QStringLiteral("行間隔を入力してください。");
inline const QString kMsgSpacingNotNumber = QStringLiteral("行間隔に入力された値は数値として正しくありません。");
inline const QString kMsgSpacingNegative = QStringLiteral("行間隔にマイナス値を入力しないでください。");
inline const QString kMsgNoFace = QStringLiteral("フォントを選択してください。");
inline const QString kMsgUnstorablePrefix =
    QStringLiteral("次の文字はページに保存できません。削除するか、ほかの文字に置き換えてください：");

/// @brief The exchange values for editing text item `index` (opened for editing).
TextDialogValues textDialogValuesFor(const TItemStatus& item);

/// @brief Writes what the dialog returned with Yes into text item `index`; an empty text
/// deletes the item (it alone is selected first). Returns false when the item was deleted.
bool applyTextDialogValues(TForm2& doc, int index, const TextDialogValues& values);

/// @brief Row of the size box for a size in page units: an entry of the size list, or the
/// last row, "その他", for any other size.
int sizeRowFor(int32_t charSizeUnits);

/// What the dialog's fields hold when it is checked.
struct TextDialogInput {
    QString text;      // as the text field gives it, lines separated by LF
    QString size;      // the size box's text
    QString spacing;   // the spacing field's text
    QString face;      // chosen face, empty when none
    bool vertical = false;
};

/// @brief The first failing check's message, or empty when the input can be stored.
QString checkTextDialog(const TextDialogInput& in);

/// @brief The message naming the characters of the text that a page file cannot hold (each
/// as 「c」), or empty when it can hold them all, look-alike twins included.
QString checkTextStorable(const QString& text);

/// @brief The line spacing (points) proposed when the size box changes: 1.5 times the size.
/// A typed size also becomes the dialog's current size. Nothing when the checks fail (the
/// message is shown).
std::optional<int> proposeSpacing(const TextDialogInput& in, TextDialogValues& values);

/// @brief Stores checked input into the values (text with CR LF line breaks, look-alike
/// characters as the twins a page file holds).
void storeTextDialog(const TextDialogInput& in, TextDialogValues& values);

} // namespace qv
