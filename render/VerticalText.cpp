#include "VerticalText.h"
#include "FontSetup.h"
#include <QFontDatabase>
#include <QHash>
#include <hb-ot.h>
#include <hb.h>
#include <algorithm>
#include <iterator>

namespace qv {

namespace {

struct Range {
    char32_t first, last;
};

// Characters that stand upright in a Japanese column as they are (or with the small
// position change the vertical forms give punctuation): the CJK blocks, kana, full-width
// forms and the symbols Japanese fonts draw square.
constexpr Range kUpright[] = {
    {0x00A7, 0x00A7}, {0x00A9, 0x00A9}, {0x00AE, 0x00AE}, {0x00B1, 0x00B1}, {0x00BC, 0x00BE},
    {0x00D7, 0x00D7}, {0x00F7, 0x00F7}, {0x02EA, 0x02EB}, {0x1100, 0x11FF}, {0x2016, 0x2016},
    {0x2020, 0x2021}, {0x2030, 0x2031}, {0x203B, 0x203C}, {0x2042, 0x2042}, {0x2047, 0x2049},
    {0x2051, 0x2051}, {0x20DD, 0x20E0}, {0x20E2, 0x20E4}, {0x2100, 0x2101}, {0x2103, 0x2109},
    {0x210F, 0x210F}, {0x2113, 0x2114}, {0x2116, 0x2117}, {0x211E, 0x2123}, {0x2125, 0x2125},
    {0x2127, 0x2127}, {0x2129, 0x2129}, {0x212E, 0x212E}, {0x2135, 0x213F}, {0x2145, 0x214A},
    {0x214C, 0x214D}, {0x214F, 0x2189}, {0x218C, 0x218F}, {0x221E, 0x221E}, {0x2234, 0x2235},
    {0x2300, 0x2307}, {0x230C, 0x231F}, {0x2322, 0x2328}, {0x232B, 0x232B}, {0x237D, 0x239A},
    {0x23BE, 0x23CD}, {0x23CF, 0x23CF}, {0x23D1, 0x23DB}, {0x23E2, 0x2422}, {0x2424, 0x24FF},
    {0x25A0, 0x2619}, {0x2620, 0x2767}, {0x2776, 0x2793}, {0x2B12, 0x2B2F}, {0x2B50, 0x2B59},
    {0x2BB8, 0x2BFF}, {0x2E80, 0xA4CF}, {0xA960, 0xA97F}, {0xAC00, 0xD7FF}, {0xE000, 0xFAFF},
    {0xFE10, 0xFE1F}, {0xFE30, 0xFE6F}, {0xFF01, 0xFF60}, {0xFFE0, 0xFFE7}, {0x1F000, 0x1FAFF},
    {0x20000, 0x3FFFD},
};

// Brackets, dashes, long vowel marks and the like: upright in a vertical form where the
// font has one, otherwise turned on their side, which shows them the same way round.
constexpr Range kVerticalForm[] = {
    {0x2014, 0x2015}, {0x2025, 0x2026}, {0x2329, 0x232A}, {0x3008, 0x3011}, {0x3014, 0x301F},
    {0x3030, 0x3030}, {0x30A0, 0x30A0}, {0x30FC, 0x30FC}, {0xFE59, 0xFE5E}, {0xFF08, 0xFF09},
    {0xFF0D, 0xFF0D}, {0xFF1A, 0xFF1E}, {0xFF3B, 0xFF3B}, {0xFF3D, 0xFF3D}, {0xFF3F, 0xFF3F},
    {0xFF5B, 0xFF60}, {0xFFE3, 0xFFE3},
};

template <size_t N>
bool inRanges(const Range (&ranges)[N], char32_t c)
{
    const Range* it = std::upper_bound(std::begin(ranges), std::end(ranges), c,
                                       [](char32_t v, const Range& r) { return v < r.first; });
    return it != std::begin(ranges) && c <= std::prev(it)->last;
}

hb_language_t japanese()
{
    static const hb_language_t ja = hb_language_from_string("ja", -1);
    return ja;
}

const hb_feature_t kVerticalFeatures[] = {
    {HB_TAG('v', 'e', 'r', 't'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('v', 'r', 't', '2'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
};
const hb_feature_t kNoVerticalFeatures[] = {
    {HB_TAG('v', 'e', 'r', 't'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('v', 'r', 't', '2'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
};

// HarfBuzz reads the font's tables straight from Qt's copy of the font.
hb_blob_t* referenceTable(hb_face_t*, hb_tag_t tag, void* user)
{
    const auto* raw = static_cast<const QRawFont*>(user);
    const char name[4] = {char(tag >> 24), char(tag >> 16), char(tag >> 8), char(tag)};
    auto* bytes = new QByteArray(raw->fontTable(name));
    if (bytes->isEmpty()) {
        delete bytes;
        return nullptr;
    }
    return hb_blob_create(bytes->constData(), static_cast<unsigned>(bytes->size()), HB_MEMORY_MODE_READONLY,
                          bytes, [](void* p) { delete static_cast<QByteArray*>(p); });
}

// Characters that belong to the one before them (marks, joiners, variation selectors).
bool joinsPrevious(char32_t c)
{
    const auto cat = QChar::category(c);
    return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing ||
           c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF);
}

// Fonts are looked up per face and size; a long session with many sizes starts afresh.
constexpr size_t kMaxFontSets = 64;

} // namespace

ColumnOrientation columnOrientation(char32_t c)
{
    if (inRanges(kVerticalForm, c))
        return ColumnOrientation::UprightIfForm;
    if (inRanges(kUpright, c))
        return ColumnOrientation::Upright;
    return ColumnOrientation::Sideways;
}

struct VerticalShaper::HbFont {
    explicit HbFont(const QRawFont& font) : raw(font)
    {
        face = hb_face_create_for_tables(referenceTable, &raw, nullptr);
        font_ = hb_font_create(face);
        upem = std::max(1u, hb_face_get_upem(face));
        hb_position_t centre = 0;
        hb_ot_layout_get_baseline_with_fallback(font_, HB_OT_LAYOUT_BASELINE_TAG_IDEO_EMBOX_CENTRAL,
                                                HB_DIRECTION_LTR, HB_TAG('h', 'a', 'n', 'i'),
                                                HB_TAG('J', 'A', 'N', ' '), &centre);
        emBoxCentre = centre;
    }
    ~HbFont()
    {
        hb_font_destroy(font_);
        hb_face_destroy(face);
    }
    HbFont(const HbFont&) = delete;
    HbFont& operator=(const HbFont&) = delete;

    QRawFont raw; // keeps the tables that the face reads
    hb_face_t* face = nullptr;
    hb_font_t* font_ = nullptr;
    unsigned upem = 1000;
    double emBoxCentre = 0;          // font units above the baseline
    QHash<char32_t, bool> hasForm;   // memo of hasVerticalForm
};

struct VerticalShaper::Run {
    qsizetype start = 0, length = 0; // UTF-16 units of the line
    const QRawFont* font = nullptr;
    bool upright = true;
};

VerticalShaper::VerticalShaper() = default;
VerticalShaper::~VerticalShaper() = default;

const std::vector<QRawFont>& VerticalShaper::fontsFor(const QString& face, int emPx)
{
    const QString key = face + QLatin1Char('/') + QString::number(emPx);
    auto found = fontSets.find(key);
    if (found != fontSets.end())
        return found->second;
    if (fontSets.size() >= kMaxFontSets)
        fontSets.clear();
    // The face's own Japanese font (Qt picks a fallback face when the face has no Japanese),
    // then the fallback faces for the characters it lacks.
    std::vector<QRawFont> fonts;
    QStringList faces{face};
    faces += japaneseFallbackFaces();
    for (const QString& f : faces) {
        QRawFont raw = QRawFont::fromFont(itemFont(f, emPx), QFontDatabase::Japanese);
        const bool known = std::any_of(fonts.begin(), fonts.end(), [&](const QRawFont& r) {
            return r.familyName() == raw.familyName() && r.styleName() == raw.styleName();
        });
        if (raw.isValid() && !known)
            fonts.push_back(raw);
    }
    return fontSets.emplace(key, std::move(fonts)).first->second;
}

VerticalShaper::HbFont& VerticalShaper::hbFont(const QRawFont& raw)
{
    const QString key = raw.familyName() + QLatin1Char('|') + raw.styleName();
    auto& slot = hbFonts[key];
    if (!slot)
        slot = std::make_unique<HbFont>(raw);
    return *slot;
}

bool VerticalShaper::hasVerticalForm(HbFont& f, char32_t c)
{
    const auto memo = f.hasForm.constFind(c);
    if (memo != f.hasForm.constEnd())
        return memo.value();
    hb_codepoint_t glyph[2] = {0, 0};
    for (int pass = 0; pass < 2; ++pass) {
        hb_buffer_t* buf = hb_buffer_create();
        const uint32_t cp = c;
        hb_buffer_add_utf32(buf, &cp, 1, 0, 1);
        hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
        hb_buffer_set_language(buf, japanese());
        hb_buffer_guess_segment_properties(buf);
        hb_shape(f.font_, buf, pass == 0 ? kVerticalFeatures : kNoVerticalFeatures, 2);
        unsigned n = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
        glyph[pass] = n > 0 ? info[0].codepoint : 0;
        hb_buffer_destroy(buf);
    }
    const bool form = glyph[0] != 0 && glyph[0] != glyph[1];
    f.hasForm.insert(c, form);
    return form;
}

std::vector<VerticalShaper::Run> VerticalShaper::splitRuns(const QString& text, const std::vector<QRawFont>& fonts)
{
    std::vector<Run> runs;
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text.at(i).unicode();
        qsizetype units = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            units = 2;
        }
        if (!runs.empty() && joinsPrevious(c)) {
            runs.back().length += units;
            i += units;
            continue;
        }
        // The first font that has the character; the face's own when none has it.
        const auto has =
            std::find_if(fonts.begin(), fonts.end(), [c](const QRawFont& f) { return f.supportsCharacter(c); });
        const QRawFont* font = has != fonts.end() ? &*has : &fonts.front();
        const ColumnOrientation o = columnOrientation(c);
        const bool upright = o == ColumnOrientation::Upright ||
                             (o == ColumnOrientation::UprightIfForm && hasVerticalForm(hbFont(*font), c));
        if (!runs.empty() && runs.back().font == font && runs.back().upright == upright)
            runs.back().length += units;
        else
            runs.push_back({i, units, font, upright});
        i += units;
    }
    return runs;
}

void VerticalShaper::placeRun(ShapedLine& line, const Run& run, const QString& text, double cellPx, double& penY)
{
    HbFont& f = hbFont(*run.font);
    hb_buffer_t* buf = hb_buffer_create();
    hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()), unsigned(run.start),
                        int(run.length));
    if (run.upright)
        hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
    hb_buffer_set_language(buf, japanese());
    hb_buffer_guess_segment_properties(buf); // a sideways run keeps its script's own direction
    hb_shape(f.font_, buf, run.upright ? kVerticalFeatures : nullptr, run.upright ? 2 : 0);

    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buf, &n);
    const double k = run.font->pixelSize() / f.upem;
    QList<quint32> glyphs;
    QList<QPointF> points;
    glyphs.reserve(n);
    points.reserve(n);
    const double startY = penY;
    double penX = 0;
    for (unsigned g = 0; g < n; ++g) {
        glyphs.append(info[g].codepoint);
        if (run.upright) {
            // Offsets lead from the pen on the column's centre line to the glyph's own origin.
            points.append({pos[g].x_offset * k, penY - pos[g].y_offset * k});
            penY -= pos[g].y_advance * k;
        } else {
            points.append({penX + pos[g].x_offset * k, -pos[g].y_offset * k});
            penX += pos[g].x_advance * k;
        }
    }
    hb_buffer_destroy(buf);

    GlyphPiece piece;
    piece.run.setRawFont(*run.font);
    piece.run.setGlyphIndexes(glyphs);
    piece.run.setPositions(points);
    if (run.upright) {
        piece.place = QTransform::fromTranslate(-cellPx / 2, 0);
    } else {
        // Turned a quarter clockwise, the em box centred on the column's centre line.
        piece.place = QTransform::fromTranslate(-cellPx / 2 - f.emBoxCentre * k, startY).rotate(90);
        penY += penX;
    }
    line.pieces.append(piece);
}

ShapedLine VerticalShaper::shape(const QString& text, const QString& face, int emPx, int cellPx)
{
    ShapedLine line;
    const std::vector<QRawFont>& fonts = fontsFor(face, emPx);
    if (fonts.empty() || text.isEmpty())
        return line;
    double penY = 0;
    for (const Run& run : splitRuns(text, fonts))
        placeRun(line, run, text, cellPx, penY);
    line.advance = penY;
    return line;
}

std::vector<quint32> VerticalShaper::uprightGlyphs(const QString& text, const QString& face, bool verticalForms)
{
    std::vector<quint32> ids;
    const std::vector<QRawFont>& fonts = fontsFor(face, 64);
    if (fonts.empty())
        return ids;
    HbFont& f = hbFont(fonts.front());
    hb_buffer_t* buf = hb_buffer_create();
    hb_buffer_add_utf16(buf, reinterpret_cast<const uint16_t*>(text.utf16()), int(text.size()), 0, int(text.size()));
    hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
    hb_buffer_set_language(buf, japanese());
    hb_buffer_guess_segment_properties(buf);
    hb_shape(f.font_, buf, verticalForms ? kVerticalFeatures : kNoVerticalFeatures, 2);
    unsigned n = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &n);
    for (unsigned g = 0; g < n; ++g)
        ids.push_back(info[g].codepoint);
    hb_buffer_destroy(buf);
    return ids;
}

} // namespace qv
