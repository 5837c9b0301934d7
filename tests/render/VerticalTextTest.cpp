// Vertical writing: which characters stand upright, the vertical forms of Japanese
// punctuation and brackets, letters and digits upright and full-width, and Japanese faces
// that leave no character without a glyph.
#include "TextFixture.h"
#include "TextLayout.h"
#include "TextShaping.h"
#include "VerticalText.h"
#include <QFontDatabase>
#include <QFontInfo>
#include <QRawFont>

using namespace qv;
using namespace qv::test;

namespace {

class VerticalText : public TextFixture {
protected:
    TextShapeCache shapes;
};

// Every text the program shows.
const char16_t* const kProgramTexts[] = {
    u"  文字揃え ", u" 写真は1ページに8枚までレイアウトできます。", u" 写真は1ページに8枚までレイアウトできます。画面をダブルクリックすると文字は隠れます。",
    u" 文字方向 ", u" 行間 ", u" 表紙 ", u"1つ上のフォルダへ", u"BOXの位置指定", u"Qorvaleエディタを終了します",
    u"Qorvaleファイル(*.qvb)|*.qvb", u"Qorvale用のファイルではありません。", u"mm)を超えました。最大サイズに自動的に変更します。",
    u"mmを超える画像は回転できません。", u"「印刷品質」を", u"「用紙の種類」、", u"うら面", u"お問い合わせページを表示します", u"すでに起動しています。",
    u"すべてのフォントを表示", u"その他", u"み", u"やり直し（Ctrl+z）", u"オンラインヘルプを表示します", u"スクロール（F5）", u"セットします。",
    u"タイトル画面に戻ります", u"デザイン中は画像/写真を削除できません。(不要な画像/写真が残っていても問題はありません。)",
    u"データ復元中にエラーが発生しました。作業ファイルを削除し、起動します。", u"バックアップファイルの作成に失敗しました",
    u"ファイル保存先のディスク容量が少なくなっています。このまま作業を続けると、ファイルが保存できなくなる可能性があります。残りディスク容量を確認の上、作業してください。", u"フォント",
    u"フォントの変更", u"フォントを選択してください。", u"プリンタ", u"プリンタがインストールされていません", u"プリンタエラー", u"プレビュー作成中",
    u"ページを印刷します", u"ページを編集・デザインします", u"ページ全体を拡大", u"ページ全体を縮小", u"ページ処理中", u"ページ処理中..",
    u"ボックスのプロパティ設定に失敗しました", u"上下中央揃え(&M)", u"上下均等揃え（&V）", u"上揃え(&T)", u"下揃え(&B)", u"中", u"中央揃え",
    u"丸ツール (F4)", u"使用する写真を選びます", u"保存したデータを開きます", u"保存できませんでした。", u"保存中...", u"偶数", u"写真", u"写真追加",
    u"処理中..", u"分", u"切り取り部分", u"削除 (Del)", u"削除", u"前面に移動 (Ctrl+f)", u"印刷するプリンタ", u"印刷する前に",
    u"印刷に失敗しました。", u"印刷プレビュー作成中...", u"印刷処理中    ", u"印刷処理中.   ", u"印刷処理中..  ", u"印刷処理中... ",
    u"印刷処理中....", u"印刷準備中...", u"右揃え(&R)", u"四角ツール (F3)", u"回転ツール", u"図形", u"大きさ(pt)", u"奇数",
    u"奇数ページか偶数ページを選択してください。", u"左右中央揃え(&C)", u"左右均等揃え(&H)", u"左揃え(&L)", u"巻", u"幅", u"幅または高さが",
    u"後揃え", u"拡大の上限(幅または高さが", u"拡大・縮小", u"指定されたファイルが見つかりません。ファイル名=", u"文字", u"文字の変更",
    u"文字の大きさにマイナス値を入力しないでください。", u"文字の大きさに入力された値は数値として正しくありません。", u"文字の大きさを入力してください。",
    u"文字ツール (F2)", u"新しい文字", u"最大数を超えました", u"本データを保存します", u"用紙をプリンタへ", u"用紙サイズ", u"画像",
    u"画像が保存できませんでした(エラーコード:40)", u"画像が保存できませんでした(エラーコード:41)", u"画像エラー(エラーコード：30)",
    u"画像エラー(エラーコード：31)", u"画像エラー(エラーコード：32)", u"画像エラー(エラーコード：33)", u"画像庫処理中..", u"異なるバージョンのファイルです。",
    u"紙", u"終了する前に保存しますか？", u"給紙方向", u"編集中のデータがある場合、そのデータは失われますがよろしいですか？", u"縦書き",
    u"縦書きに対応していないフォントを利用すると、文字化けする可能性があります。", u"背", u"背面", u"背面に移動 (Ctrl+b)", u"自動選択", u"色",
    u"行間隔(pt)", u"行間隔にマイナス値を入力しないでください。", u"行間隔に入力された値は数値として正しくありません。", u"行間隔を入力してください。", u"表",
    u"表紙", u"裏", u"角度", u"設定します。", u"読み込み中...", u"読込みに失敗しました。", u"込", u"連続印刷", u"選択ツール (F1)", u"部",
    u"頭揃え", u"高", u"ＭＳ ゴシック", u"ＭＳ Ｐゴシック",
};

const char16_t* const kMixedPage[] = {
    u"春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて、紫だちたる雲のほそくたなびきたる。",
    u"カタカナ・ﾊﾝｶｸｶﾀｶﾅ・ひらがな、漢字（かんじ）【重要】※注意：〒100-0001 東京都千代田区",
    u"①②③ ㈱ ♪ ☆★○●◎ △▲▽▼ →←↑↓ ±×÷ 〆々〇 ゝゞヽヾ 「」『』〔〕［］｛｝〈〉《》",
    u"旅行 2024年8月15日（木） 晴れ ～ 曇り… 気温３２℃ 𠮷野家 髙橋 﨑 ¥1,000 € £ α β Ω",
    u"Photo book: \"Summer\" & 'Autumn' (vol.2) #1 100% a+b=c <ok> [x] {y} ~ ^ _ | \\ / @",
};

/// Glyph 0 is the missing-glyph box.
int missingGlyphs(const SizedLine& line)
{
    int missing = 0;
    for (const GlyphPiece& piece : line.shaped->pieces)
        for (quint32 g : piece.run.glyphIndexes())
            missing += g == 0;
    return missing;
}

// Ink shapes of two areas laid over each other by their top-left ink corners: the share
// of inked pixels that only one of them has (0 the same shape, 1 nothing in common).
double shapeMismatch(const QImage& a, QRect areaA, const QImage& b, QRect areaB)
{
    const QRect ia = inkBounds(a, areaA), ib = inkBounds(b, areaB);
    if (ia.isNull() || ib.isNull())
        return 1.0;
    const int w = std::max(ia.width(), ib.width()), h = std::max(ia.height(), ib.height());
    int differ = 0, inked = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool inA = x < ia.width() && y < ia.height() && isInk(a.pixel(ia.x() + x, ia.y() + y));
            const bool inB = x < ib.width() && y < ib.height() && isInk(b.pixel(ib.x() + x, ib.y() + y));
            differ += inA != inB;
            inked += inA || inB;
        }
    return double(differ) / std::max(inked, 1);
}

/// One glyph drawn by itself, upright or turned a quarter clockwise.
QImage glyphAlone(const QRawFont& font, quint32 glyph, bool sideways)
{
    const int size = int(font.pixelSize()) * 3;
    QImage img(size, size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::black);
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes({glyph});
    run.setPositions({QPointF(0, 0)});
    p.translate(size / 3.0, size / 2.0);
    if (sideways)
        p.rotate(90);
    p.drawGlyphRun(QPointF(0, 0), run);
    return img;
}

TEST(ColumnOrientation, JapaneseUprightOthersOnTheirSide)
{
    for (char32_t c : {U'あ', U'漢', U'ア', U'Ａ', U'１', U'！', U'※', U'①', U'〒', U'　', U'𠮷'})
        EXPECT_EQ(columnOrientation(c), ColumnOrientation::Upright) << uint32_t(c);
    for (char32_t c : {U'「', U'」', U'『', U'』', U'（', U'）', U'［', U'］', U'ー', U'～', U'…', U'〜'})
        EXPECT_EQ(columnOrientation(c), ColumnOrientation::UprightIfForm) << uint32_t(c);
    for (char32_t c : {U'A', U'z', U'7', U'-', U'(', U' ', U'!', U'ｱ', U'é', U'→'})
        EXPECT_EQ(columnOrientation(c), ColumnOrientation::Sideways) << uint32_t(c);
    // Punctuation keeps its place upright; the vertical forms move it.
    EXPECT_EQ(columnOrientation(U'、'), ColumnOrientation::Upright);
    EXPECT_EQ(columnOrientation(U'。'), ColumnOrientation::Upright);
}

TEST_F(VerticalText, PunctuationAndBracketsHaveVerticalForms)
{
    const QString marks = QStringLiteral("、。「」『』（）［］ー～…");
    for (const QString& face : {kGothicP, kGothic, kUiGothic}) {
        const auto upright = shapes.vertical().uprightGlyphs(marks, face, false);
        const auto vertical = shapes.vertical().uprightGlyphs(marks, face, true);
        ASSERT_EQ(upright.size(), size_t(marks.size()));
        ASSERT_EQ(vertical.size(), upright.size());
        for (size_t k = 0; k < upright.size(); ++k) {
            EXPECT_NE(upright[k], 0u) << face.toStdString() << " " << QString(marks[k]).toStdString();
            EXPECT_NE(vertical[k], upright[k]) << face.toStdString() << " " << QString(marks[k]).toStdString();
        }
    }
}

TEST_F(VerticalText, ColumnShowsVerticalFormsAndUprightFullWidthLetters)
{
    addTextItem(QStringLiteral("「こんにちは、世界。」ABC123"), QStringLiteral("@") + kGothic);
    item().fontSize = 130; // 50-pixel characters
    drawAlone();
    keep(QStringLiteral("vertical-column"));
    ASSERT_EQ(X(130), 50);
    const int em = emPixelsForCell(kGothic, 50);
    const QRawFont font = QRawFont::fromFont(itemFont(kGothic, em), QFontDatabase::Japanese);
    ASSERT_TRUE(font.isValid());

    // One square cell per character, top to bottom, in a column 50 pixels wide about the centre.
    const QRect all = ink();
    ASSERT_FALSE(all.isNull());
    EXPECT_GE(all.left(), cx - 25);
    EXPECT_LE(all.right(), cx + 25);
    const double top = cy - Y(item().height) / 2.0;
    EXPECT_NEAR(item().height, 17 * emPixelsForCell(kGothic, 130), 1);
    auto cell = [&](int k) { return QRect(cx - 25, int(top) + k * em, 50, em); };

    auto glyphOf = [&](const QString& s, bool forms) { return shapes.vertical().uprightGlyphs(s, kGothic, forms).at(0); };
    struct Bracket {
        int k;
        QString ch;
    };
    for (const Bracket& b : {Bracket{0, "「"}, Bracket{10, "」"}}) {
        const QImage vertical = glyphAlone(font, glyphOf(b.ch, true), false);
        const QImage horizontal = glyphAlone(font, glyphOf(b.ch, false), false);
        EXPECT_LT(shapeMismatch(r.backBuffer, cell(b.k), vertical, vertical.rect()), 0.2) << b.k;
        EXPECT_GT(shapeMismatch(r.backBuffer, cell(b.k), horizontal, horizontal.rect()), 0.4) << b.k;
    }
    // The comma and full stop stand in the upper right of their cells, not the lower left.
    for (int k : {6, 9}) {
        const QRect mark = ink(cell(k));
        ASSERT_FALSE(mark.isNull()) << k;
        EXPECT_GT(mark.center().x(), cell(k).center().x()) << k;
        EXPECT_LT(mark.center().y(), cell(k).center().y()) << k;
    }
    // Letters and digits: full-width and upright, not half-width on their side.
    const QString wide = QStringLiteral("ＡＢＣ１２３"), narrow = QStringLiteral("ABC123");
    for (int j = 0; j < 6; ++j) {
        const QImage upright = glyphAlone(font, glyphOf(wide.mid(j, 1), true), false);
        const QImage turned = glyphAlone(font, font.glyphIndexesForString(narrow.mid(j, 1)).at(0), true);
        const double same = shapeMismatch(r.backBuffer, cell(11 + j), upright, upright.rect());
        EXPECT_LT(same, 0.2) << j;
        EXPECT_GT(shapeMismatch(r.backBuffer, cell(11 + j), turned, turned.rect()), same + 0.2) << j;
    }
}

TEST_F(VerticalText, HalfWidthCharactersLieOnTheirSide)
{
    addTextItem(QStringLiteral("---"), QStringLiteral("@") + kGothic);
    item().fontSize = 100;
    drawAlone();
    const QRect column = ink();
    ASSERT_FALSE(column.isNull());
    EXPECT_GT(column.height(), 3 * column.width());
    EXPECT_NEAR((column.left() + column.right() + 1) / 2.0, cx, 2.0); // on the column's centre line

    item().fontName = kGothic;
    drawAlone();
    const QRect line = ink();
    EXPECT_GT(line.width(), 3 * line.height());
}

TEST_F(VerticalText, ColumnTurnsWithTheItem)
{
    addTextItem(QStringLiteral("■▲"), QStringLiteral("@") + kGothic);
    item().fontSize = 100;
    item().angle = 90; // the column runs to the right, the tops of the letters face left
    drawAlone();
    keep(QStringLiteral("vertical-turned-90"));
    const QRect all = ink();
    ASSERT_FALSE(all.isNull());
    EXPECT_GT(all.width(), all.height() * 3 / 2);
    EXPECT_NEAR((all.top() + all.bottom() + 1) / 2.0, cy, 2.0);
    const QRect square = ink({all.left(), all.top(), all.width() / 2, all.height()});
    const QRect triangle = ink({cx + 1, all.top(), all.right() - cx, all.height()});
    EXPECT_LT(square.right(), triangle.left());
    const int apexSide = inkCount(r.backBuffer, {triangle.left(), triangle.top(), 3, triangle.height()});
    const int baseSide = inkCount(r.backBuffer, {triangle.right() - 2, triangle.top(), 3, triangle.height()});
    EXPECT_LT(apexSide * 2, baseSide);
}

TEST_F(VerticalText, JapaneseFacesLeaveNoCharacterWithoutGlyph)
{
    EXPECT_EQ(QFontInfo(itemFont(kGothicP, 20)).family(), QStringLiteral("IPAPGothic"));
    EXPECT_EQ(QFontInfo(itemFont(kGothic, 20)).family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(QFontInfo(itemFont(kUiGothic, 20)).family(), QStringLiteral("IPAPGothic"));
    const QString missing = QStringLiteral("ＭＳ 明朝");
    ASSERT_FALSE(QFontDatabase::hasFamily(missing));
    const QString stand = QFontInfo(itemFont(missing, 20)).family();
    EXPECT_TRUE(QFontDatabase::writingSystems(stand).contains(QFontDatabase::Japanese)) << stand.toStdString();

    QStringList texts;
    for (const char16_t* t : kProgramTexts)
        texts << QString::fromUtf16(t);
    for (const char16_t* t : kMixedPage)
        texts << QString::fromUtf16(t);
    for (const QString& face : {kGothicP, kGothic, kUiGothic, missing}) {
        for (const QString& text : texts) {
            EXPECT_EQ(missingGlyphs(shapes.line(text, face, 40, false)), 0) << face.toStdString() << ": " << text.toStdString();
            EXPECT_EQ(missingGlyphs(shapes.line(ENumToJNum(text), face, 40, true)), 0)
                << "@" << face.toStdString() << ": " << text.toStdString();
        }
    }

    // Drawing neither changes the stored face nor shapes a line twice.
    addTextItem(QString::fromUtf16(kMixedPage[0]), QStringLiteral("@") + kGothicP);
    drawAlone();
    const qsizetype shaped = r.textShapes->size();
    drawAlone();
    EXPECT_EQ(r.textShapes->size(), shaped);
    EXPECT_EQ(item().fontName, QStringLiteral("@") + kGothicP);
}

} // namespace
