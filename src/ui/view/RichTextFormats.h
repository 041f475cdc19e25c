// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/rtf/RichDocument.h"

#include <QColor>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <unordered_map>
#include <vector>

namespace tolvane {

// The pixels of a length in twips (1/1440 inch) at a resolution.
inline qreal twipsToPixels(int32_t twips, qreal dpi) {
    return qreal(twips) * dpi / 1440.0;
}

// What Qt formats cannot say, kept in their properties for the view to
// draw: a double underline (bool, on characters), the border sides of a
// paragraph (rtf::BorderSide bits, on blocks), and the leaders of its tab
// stops (on blocks: a list of QPointF, x the stop's position in pixels as
// the block's tab positions give it, y its rtf::TabLeader).
enum RichTextProperty {
    kDoubleUnderlineProperty = QTextFormat::UserProperty + 1,
    kBorderSidesProperty = QTextFormat::UserProperty + 2,
    kTabLeadersProperty = QTextFormat::UserProperty + 3,
    // On a note's mark: the index of the note in the document, plus one.
    kNoteProperty = QTextFormat::UserProperty + 4,
};

// The Qt formats of one document's character and paragraph formats, at one
// resolution and one text size: fonts mapped to installed families by name,
// then by family kind; automatic colours left to the palette. zoom scales
// font sizes and lengths alike (1.0: the sizes the article gives). Each
// distinct format is converted once.
class RichTextFormats {
public:
    // readableOn: the dark page the text is shown on, or an invalid colour
    // to keep every colour as the article gives it (a light page, paper).
    // On a dark page a colour the article gives its text (not on a
    // background of its own) that reads at less than kReadableContrast is
    // made lighter, hue kept, until it does: the green of links, notably.
    RichTextFormats(const rtf::RichDocument& document, qreal dpi, qreal zoom = 1.0,
                    QColor readableOn = QColor());

    static constexpr double kReadableContrast = 4.5;
    // WCAG contrast ratio of two colours, 1 to 21.
    static double contrastRatio(const QColor& a, const QColor& b);
    // colour, or the lightest needed of its lighter shades of the same hue,
    // so that it reads at ratio on page (white when none does).
    static QColor readableVariant(const QColor& colour, const QColor& page, double ratio);

    const QTextCharFormat& charFormat(const rtf::CharFormat& format);
    QTextBlockFormat blockFormat(const rtf::ParaFormat& format);

private:
    struct FormatHash {
        size_t operator()(const rtf::CharFormat& f) const;
    };

    QTextCharFormat makeCharFormat(const rtf::CharFormat& format) const;
    void resolveFonts();

    const rtf::RichDocument& m_document;
    qreal m_dpi;
    qreal m_zoom;
    QColor m_readableOn;
    std::unordered_map<rtf::CharFormat, QTextCharFormat, FormatHash> m_charFormats;
    std::vector<QStringList> m_fontFamilies;
    std::vector<int> m_fontHints;
    // Neighbouring paragraphs mostly share their format.
    rtf::ParaFormat m_lastParaFormat;
    QTextBlockFormat m_lastBlockFormat;
    bool m_hasLastBlock = false;
};

} // namespace tolvane
