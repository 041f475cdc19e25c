// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/RichTextFormats.h"

#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QHash>

#include <algorithm>
#include <cmath>

namespace tolvane {

namespace {

constexpr qreal kMaxPointSize = 1000.0;

// Metric-compatible faces of the common Windows fonts, as fontconfig
// aliases them; used when the named face itself is not installed.
const char* const kMetricAliases[][2] = {
    {"arial", "Liberation Sans"},
    {"helvetica", "Liberation Sans"},
    {"arial narrow", "Liberation Sans Narrow"},
    {"times new roman", "Liberation Serif"},
    {"times", "Liberation Serif"},
    {"courier new", "Liberation Mono"},
    {"courier", "Liberation Mono"},
};

QString installedFamily(const QString& name) {
    static QHash<QString, QString> cache;
    const QString key = name.toLower();
    auto found = cache.constFind(key);
    if (found != cache.constEnd()) {
        return *found;
    }
    QString family;
    if (!name.isEmpty() && QFontDatabase::hasFamily(name)) {
        family = name;
    } else {
        for (const auto& alias : kMetricAliases) {
            if (key == QLatin1String(alias[0]) &&
                QFontDatabase::hasFamily(QLatin1String(alias[1]))) {
                family = QLatin1String(alias[1]);
                break;
            }
        }
    }
    cache.insert(key, family);
    return family;
}

QString genericFamily(rtf::FontFamily family, QFont::StyleHint* hint) {
    switch (family) {
    case rtf::FontFamily::Roman:
        *hint = QFont::Serif;
        return QStringLiteral("serif");
    case rtf::FontFamily::Swiss:
        *hint = QFont::SansSerif;
        return QStringLiteral("sans-serif");
    case rtf::FontFamily::Modern:
        *hint = QFont::Monospace;
        return QStringLiteral("monospace");
    case rtf::FontFamily::Script:
        *hint = QFont::Cursive;
        return QStringLiteral("cursive");
    case rtf::FontFamily::Decor:
        *hint = QFont::Fantasy;
        return QStringLiteral("fantasy");
    default:
        *hint = QFont::AnyStyle;
        return QString();
    }
}

QColor toQColor(const rtf::Color& color) {
    return QColor(color.red, color.green, color.blue);
}

bool sameParaFormat(const rtf::ParaFormat& a, const rtf::ParaFormat& b) {
    if (a.alignment != b.alignment || a.leftIndentTwips != b.leftIndentTwips ||
        a.rightIndentTwips != b.rightIndentTwips || a.firstIndentTwips != b.firstIndentTwips ||
        a.spaceBeforeTwips != b.spaceBeforeTwips || a.spaceAfterTwips != b.spaceAfterTwips ||
        a.lineSpacingTwips != b.lineSpacingTwips ||
        a.lineSpacingMultiple != b.lineSpacingMultiple || a.borders != b.borders ||
        a.shading != b.shading || a.tabs.size() != b.tabs.size()) {
        return false;
    }
    for (size_t i = 0; i < a.tabs.size(); ++i) {
        if (a.tabs[i].positionTwips != b.tabs[i].positionTwips ||
            a.tabs[i].alignment != b.tabs[i].alignment || a.tabs[i].leader != b.tabs[i].leader) {
            return false;
        }
    }
    return true;
}

} // namespace

size_t RichTextFormats::FormatHash::operator()(const rtf::CharFormat& f) const {
    size_t h = size_t(uint32_t(f.font)) * 1000003u;
    h ^= size_t(uint32_t(f.sizeHalfPoints)) * 7919u;
    h ^= size_t(uint32_t(f.foreground)) << 8;
    h ^= size_t(uint32_t(f.background)) << 16;
    h ^= size_t(uint32_t(f.offsetHalfPoints)) * 31u;
    h ^= (size_t(f.vertical) << 1) ^ (size_t(f.underline) << 3) ^ (size_t(f.bold) << 7) ^
         (size_t(f.italic) << 9) ^ (size_t(f.strike) << 11) ^ (size_t(f.caps) << 12) ^
         (size_t(f.smallCaps) << 13) ^ (size_t(f.concealed) << 5) ^
         (size_t(uint32_t(f.spacingTwips)) << 14);
    return h;
}

RichTextFormats::RichTextFormats(const rtf::RichDocument& document, qreal dpi, qreal zoom,
                                 QColor readableOn)
    : m_document(document), m_dpi(dpi * zoom), m_zoom(zoom), m_readableOn(readableOn) {
    resolveFonts();
}

double RichTextFormats::contrastRatio(const QColor& a, const QColor& b) {
    // Relative luminance (sRGB), 0 for black to 1 for white.
    const auto luminance = [](const QColor& colour) {
        const auto channel = [](double c) {
            return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
               0.0722 * channel(colour.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor RichTextFormats::readableVariant(const QColor& colour, const QColor& page, double ratio) {
    if (contrastRatio(colour, page) >= ratio)
        return colour;
    float hue = 0, saturation = 0, lightness = 0;
    colour.getHslF(&hue, &saturation, &lightness);
    // Lighter by steps of 1 %: at most a hundred tries.
    for (int step = int(lightness * 100.0f) + 1; step <= 100; ++step) {
        const QColor lighter = QColor::fromHslF(hue, saturation, float(step) / 100.0f);
        if (contrastRatio(lighter, page) >= ratio)
            return lighter;
    }
    return QColor(Qt::white);
}

QTextBlockFormat RichTextFormats::blockFormat(const rtf::ParaFormat& format) {
    // Neighbouring paragraphs mostly share their format.
    if (m_hasLastBlock && sameParaFormat(format, m_lastParaFormat)) {
        return m_lastBlockFormat;
    }
    auto clampPixels = [this](int32_t twips) {
        return std::clamp(twipsToPixels(twips, m_dpi), -10000.0, 10000.0);
    };
    QTextBlockFormat block;
    // In the order of rtf::Alignment; left and right stay left and right
    // whatever the layout direction.
    static const Qt::Alignment kAlignments[] = {Qt::AlignLeft | Qt::AlignAbsolute, Qt::AlignHCenter,
                                                Qt::AlignRight | Qt::AlignAbsolute,
                                                Qt::AlignJustify};
    block.setAlignment(kAlignments[static_cast<size_t>(format.alignment)]);
    block.setLeftMargin(std::max(0.0, clampPixels(format.leftIndentTwips)));
    block.setRightMargin(std::max(0.0, clampPixels(format.rightIndentTwips)));
    block.setTextIndent(clampPixels(format.firstIndentTwips));
    block.setTopMargin(std::max(0.0, clampPixels(format.spaceBeforeTwips)));
    block.setBottomMargin(std::max(0.0, clampPixels(format.spaceAfterTwips)));
    const int32_t spacing = format.lineSpacingTwips;
    if (spacing != 0 && spacing != INT32_MIN) {
        if (format.lineSpacingMultiple) {
            // 240 stands for one line.
            block.setLineHeight(std::clamp(qreal(std::abs(spacing)) * 100.0 / 240.0, 10.0, 1000.0),
                                QTextBlockFormat::ProportionalHeight);
        } else if (spacing > 0) {
            block.setLineHeight(std::min(twipsToPixels(spacing, m_dpi), 2000.0),
                                QTextBlockFormat::MinimumHeight);
        } else {
            block.setLineHeight(std::min(twipsToPixels(-spacing, m_dpi), 2000.0),
                                QTextBlockFormat::FixedHeight);
        }
    }
    // RTF measures stops from the margin, Qt from where the first line
    // starts (left indent plus first-line indent). A paragraph with a hanging
    // indent has an implicit stop at its left indent, so that "bullet, tab,
    // text" lines the text up with the lines that follow.
    const int64_t firstLineTwips =
        std::max<int64_t>(0, int64_t(format.leftIndentTwips) + format.firstIndentTwips);
    const bool hanging = format.firstIndentTwips < 0 && format.leftIndentTwips > 0;
    if (format.borders != 0) {
        block.setProperty(kBorderSidesProperty, int(format.borders));
    }
    const auto& colors = m_document.colors;
    if (format.shading >= 0 && size_t(format.shading) < colors.size()) {
        block.setBackground(toQColor(colors[size_t(format.shading)]));
    }
    if (!format.tabs.empty() || hanging) {
        QList<QTextOption::Tab> tabs;
        QList<QVariant> leaders;
        tabs.reserve(qsizetype(format.tabs.size()) + 1);
        if (hanging)
            tabs.append(QTextOption::Tab(
                twipsToPixels(int32_t(format.leftIndentTwips - firstLineTwips), m_dpi),
                QTextOption::LeftTab));
        for (const rtf::TabStop& stop : format.tabs) {
            QTextOption::Tab tab;
            const int64_t fromLineStart = int64_t(stop.positionTwips) - firstLineTwips;
            if (fromLineStart <= 0)
                continue;
            tab.position = std::clamp(
                twipsToPixels(int32_t(std::min<int64_t>(fromLineStart, INT32_MAX)), m_dpi), 0.0,
                20000.0);
            switch (stop.alignment) {
            case rtf::TabAlignment::Left:
                tab.type = QTextOption::LeftTab;
                break;
            case rtf::TabAlignment::Center:
                tab.type = QTextOption::CenterTab;
                break;
            case rtf::TabAlignment::Right:
                tab.type = QTextOption::RightTab;
                break;
            case rtf::TabAlignment::Decimal:
                tab.type = QTextOption::DelimiterTab;
                tab.delimiter = QLatin1Char(',');
                break;
            }
            tabs.append(tab);
            if (stop.leader != rtf::TabLeader::None) {
                leaders.append(QPointF(tab.position, qreal(int(stop.leader))));
            }
        }
        if (!leaders.isEmpty()) {
            block.setProperty(kTabLeadersProperty, leaders);
        }
        // Stops are looked for in order of position, whatever order the
        // article gave them in.
        std::stable_sort(tabs.begin(), tabs.end(),
                         [](const QTextOption::Tab& a, const QTextOption::Tab& b) {
                             return a.position < b.position;
                         });
        block.setTabPositions(tabs);
    }
    m_lastParaFormat = format;
    m_lastBlockFormat = block;
    m_hasLastBlock = true;
    return block;
}

void RichTextFormats::resolveFonts() {
    m_fontFamilies.clear();
    m_fontHints.clear();
    for (const rtf::FontInfo& font : m_document.fonts) {
        QFont::StyleHint hint = QFont::AnyStyle;
        const QString generic = genericFamily(font.family, &hint);
        const QString installed = installedFamily(QString::fromUtf8(font.name));
        QStringList families;
        if (!installed.isEmpty()) {
            families.append(installed);
        } else if (!generic.isEmpty()) {
            families.append(generic);
        }
        m_fontFamilies.push_back(families);
        m_fontHints.push_back(hint);
    }
}

const QTextCharFormat& RichTextFormats::charFormat(const rtf::CharFormat& format) {
    auto found = m_charFormats.find(format);
    if (found == m_charFormats.end()) {
        found = m_charFormats.emplace(format, makeCharFormat(format)).first;
    }
    return found->second;
}

QTextCharFormat RichTextFormats::makeCharFormat(const rtf::CharFormat& format) const {
    QTextCharFormat out;
    const int32_t font = format.font >= 0 ? format.font : m_document.defaultFont;
    if (font >= 0 && size_t(font) < m_fontFamilies.size()) {
        if (!m_fontFamilies[size_t(font)].isEmpty()) {
            out.setFontFamilies(m_fontFamilies[size_t(font)]);
        }
        out.setFontStyleHint(QFont::StyleHint(m_fontHints[size_t(font)]));
    }
    const qreal points =
        std::clamp(qreal(format.sizeHalfPoints) / 2.0 * m_zoom, 1.0, kMaxPointSize);
    out.setFontPointSize(points);
    if (format.bold) {
        out.setFontWeight(QFont::Bold);
    }
    if (format.italic) {
        out.setFontItalic(true);
    }
    // In the order of rtf::UnderlineStyle; thick and word-only lines are drawn
    // as single ones, and a double line's second line is the view's to draw.
    static const QTextCharFormat::UnderlineStyle kUnderlines[] = {
        QTextCharFormat::NoUnderline,     QTextCharFormat::SingleUnderline,
        QTextCharFormat::SingleUnderline, QTextCharFormat::DotLine,
        QTextCharFormat::DashUnderline,   QTextCharFormat::WaveUnderline,
        QTextCharFormat::SingleUnderline, QTextCharFormat::SingleUnderline};
    if (format.underline != rtf::UnderlineStyle::None) {
        out.setUnderlineStyle(kUnderlines[static_cast<size_t>(format.underline)]);
        if (format.underline == rtf::UnderlineStyle::Double)
            out.setProperty(kDoubleUnderlineProperty, true);
    }
    if (format.strike) {
        out.setFontStrikeOut(true);
    }
    if (format.caps) {
        out.setFontCapitalization(QFont::AllUppercase);
    } else if (format.smallCaps) {
        out.setFontCapitalization(QFont::SmallCaps);
    }
    if (format.spacingTwips != 0) {
        out.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        out.setFontLetterSpacing(
            std::clamp(twipsToPixels(format.spacingTwips, m_dpi), -50.0, 50.0));
    }
    const auto& colors = m_document.colors;
    if (format.foreground >= 0 && size_t(format.foreground) < colors.size()) {
        QColor foreground = toQColor(colors[size_t(format.foreground)]);
        const bool ownBackground =
            format.background >= 0 && size_t(format.background) < colors.size();
        if (m_readableOn.isValid() && !ownBackground)
            foreground = readableVariant(foreground, m_readableOn, kReadableContrast);
        out.setForeground(foreground);
    }
    if (format.background >= 0 && size_t(format.background) < colors.size()) {
        out.setBackground(toQColor(colors[size_t(format.background)]));
    }
    if (format.vertical == rtf::VerticalAlign::Superscript) {
        out.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    } else if (format.vertical == rtf::VerticalAlign::Subscript) {
        out.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    }
    if (format.offsetHalfPoints != 0 && format.sizeHalfPoints > 0) {
        // The offset is given in half points; Qt wants a share of the height.
        const qreal percent = qreal(format.offsetHalfPoints) * 100.0 / qreal(format.sizeHalfPoints);
        out.setBaselineOffset(std::clamp(percent, -200.0, 200.0));
    }
    return out;
}

} // namespace tolvane
