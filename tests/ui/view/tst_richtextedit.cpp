// SPDX-License-Identifier: GPL-3.0-or-later
#include "../../../fuzz/RtfTableSeeds.h"
#include "core/common/InputFile.h"
#include "ui/view/RichTextEdit.h"
#include "ui/view/RichTextFormats.h"

#include <QBuffer>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

#include <string>

using tolvane::RichTextEdit;
namespace rtf = tolvane::rtf;

namespace {

std::string rtfDocument(const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times "
           "New Roman;}{\\f2\\fmodern Courier New;}}{\\colortbl;\\red255\\green0\\blue0;}"
           "\\pard\\f0\\fs24 " +
           body + "}";
}

std::string pngPicture(int widthTwips, int heightTwips) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return "{\\pict\\pngblip\\picw8\\pich8\\picwgoal" + std::to_string(widthTwips) + "\\pichgoal" +
           std::to_string(heightTwips) + " " + bytes.toHex().toStdString() + "}";
}

std::string manyParagraphs(int count) {
    std::string body;
    for (int i = 0; i < count; ++i) {
        body += "Ligne " + std::to_string(i) + "\\par ";
    }
    return body;
}

// The numbering position of the first occurrence of a text.
int positionOf(const RichTextEdit& edit, const std::u16string& text, size_t from = 0) {
    return int(edit.richDocument().text.find(text, from));
}

bool isDisplayed(char16_t c) {
    return c != u'\r' && c != u'\n';
}

std::string goldenFile(const char* name) {
    std::string bytes;
    tolvane::InputFile::readAll(std::string(TOLVANE_SOURCE_DIR) + "/tests/core/rtf/golden/" + name,
                                bytes);
    return bytes;
}

// The tables of a frame, in order, and those inside them.
void collectTables(QTextFrame* frame, QList<QTextTable*>& tables) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            tables.append(table);
        }
        collectTables(child, tables);
    }
}

QList<QTextTable*> tablesOf(const RichTextEdit& edit) {
    QList<QTextTable*> tables;
    collectTables(edit.document()->rootFrame(), tables);
    return tables;
}

// A paragraph of a hand-built document: [begin, end), its mark, and one
// segment over it unless segments are given.
rtf::Paragraph paragraph(uint32_t begin, uint32_t end, rtf::MarkKind mark,
                         std::vector<rtf::Segment> segments = {}) {
    rtf::Paragraph p;
    p.begin = begin;
    p.end = end;
    p.mark = mark;
    p.segments = segments.empty() ? std::vector<rtf::Segment>{{begin, end, {}, -1}} : segments;
    return p;
}

// The golden file loaded into edit; its table when it has exactly one.
QTextTable* onlyTable(RichTextEdit& edit, const char* file) {
    edit.loadRtf(goldenFile(file));
    const QList<QTextTable*> tables = tablesOf(edit);
    return tables.size() == 1 ? tables[0] : nullptr;
}

QString cellText(QTextTable* table, int row, int column) {
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor(table->document());
    cursor.setPosition(cell.firstPosition());
    cursor.setPosition(cell.lastPosition(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

// Every displayed character of the article stands at its place in the
// widget's document, and maps back to its own position.
void checkPositions(const RichTextEdit& edit) {
    const std::u16string& text = edit.richDocument().text;
    const QTextDocument* doc = edit.document();
    int previousWidget = -1;
    for (int p = 0; p < int(text.size()); ++p) {
        const int widget = edit.toWidgetPosition(p);
        QVERIFY2(widget >= previousWidget, qPrintable(QStringLiteral("position %1").arg(p)));
        previousWidget = widget;
        if (!isDisplayed(text[size_t(p)])) {
            continue;
        }
        const bool cellMark = text[size_t(p)] == u'\t' && doc->characterAt(widget) != u'\t';
        if (!cellMark) {
            QCOMPARE(doc->characterAt(widget), QChar(text[size_t(p)]));
        }
        // The mark of a cell covered by a merged one shares the place of
        // the mark before it.
        if (!cellMark || p == 0 || edit.toWidgetPosition(p - 1) != widget) {
            QCOMPARE(edit.toNumberingPosition(widget), p);
        }
    }
}

// Rows of dark pixels met going down a column of an image, from y0 to y1.
int darkRuns(const QImage& image, int x, int y0, int y1) {
    int runs = 0;
    bool dark = false;
    for (int y = std::max(y0, 0); y < std::min(y1, image.height()); ++y) {
        const bool now = qGray(image.pixel(x, y)) < 128;
        runs += now && !dark ? 1 : 0;
        dark = now;
    }
    return runs;
}

} // namespace

class RichTextEditTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void positions_data();
    void positions();
    void goldenPositions_data();
    void goldenPositions();
    void hiddenCellMarksEndTheirCells();
    void tableGridsMergesAndShading();
    void nestedTableDrawnNested();
    void doubleUnderlineDrawnTwice();
    void formatsQtHasNoWordFor();
    void continuousSectionDrawsNoLine();
    void unnumberedListLevelShowsNothing();
    void notesShownWithoutPositions();
    void fieldsWithoutResultShowTheirValue();
    void drawingObjectPictureShown();
    void costlyTablesStayBounded();
    void hitTestOnBothHalves_data();
    void hitTestOnBothHalves();
    void hitTestRoundTripOverEveryCharacter();
    void pointBeyondLineEndGivesLastCharacter();
    void posFromCharPastTheEnd();
    void lineQueriesAndScrollRoundTrip();
    void wrappedLines();
    void find_data();
    void find();
    void findNextStepsThenFails();
    void selectAll();
    void loadReplacesEverything();
    void formats();
    void pictures();
    void handBuiltDocument();
    void inconsistentModelIsShownSafely();
    void hiddenControlMeasuresAtItsNewWidth();

private:
    RichTextEdit* m_edit = nullptr;
};

void RichTextEditTest::init() {
    m_edit = new RichTextEdit;
    m_edit->resize(500, 300);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit));
}

void RichTextEditTest::cleanup() {
    delete m_edit;
    m_edit = nullptr;
}

void RichTextEditTest::positions_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("length");
    QTest::newRow("paragraphs") << QByteArray("Un\\par Deux\\par\\par Trois") << 17;
    QTest::newRow("line") << QByteArray("Un\\line Deux\\line\\line Trois\\par") << 19;
    QTest::newRow("tabs") << QByteArray("A\\tab B\\tab\\tab C\\par D") << 9;
    QTest::newRow("table") << QByteArray("Avant\\par\\trowd\\cellx2000\\cellx4000 Un\\cell "
                                         "Deux\\cell\\row\\trowd\\cellx2000\\cellx4000 "
                                         "Trois\\cell Quatre\\cell\\row Apr\\'e8s\\par")
                           << 39;
    QTest::newRow("picture") << QByteArray(("Image " + pngPicture(720, 720) + " fin\\par").c_str())
                             << 13;
    QTest::newRow("hidden") << QByteArray("Vu{\\v cach\\'e9}vu\\par") << 6;
    QTest::newRow("table first, paragraphs in a cell")
        << QByteArray("\\trowd\\cellx2000\\cellx4000 A\\par B\\line C\\cell D\\cell\\row Fin")
        << 15;
}

void RichTextEditTest::positions() {
    QFETCH(QByteArray, body);
    QFETCH(int, length);
    m_edit->loadRtf(rtfDocument(body.toStdString()));
    QCOMPARE(m_edit->textLength(), length);
    checkPositions(*m_edit);
}

void RichTextEditTest::goldenPositions_data() {
    QTest::addColumn<QString>("file");
    for (const char* name : {"hidden-marks.rtf", "table-grids.rtf", "nested-table.rtf",
                             "bad-tables.rtf", "sections.rtf", "para-borders.rtf",
                             "char-formats.rtf", "table.rtf", "nested-unterminated.rtf",
                             "list-levels.rtf", "notes.rtf", "fields-computed.rtf", "shapes.rtf"}) {
        QTest::newRow(name) << QString::fromLatin1(name);
    }
}

void RichTextEditTest::goldenPositions() {
    QFETCH(QString, file);
    const std::string rtf = goldenFile(file.toLatin1().constData());
    QVERIFY(!rtf.empty());
    m_edit->loadRtf(rtf);
    QVERIFY(m_edit->textLength() > 0);
    checkPositions(*m_edit);
}

void RichTextEditTest::hiddenCellMarksEndTheirCells() {
    // Help authors end a cell right after a link's hidden target.
    QTextTable* table = onlyTable(*m_edit, "hidden-marks.rtf");
    QVERIFY(table != nullptr);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(cellText(table, 0, 1), QStringLiteral("Edit|Copy"));
    QCOMPARE(cellText(table, 0, 2), QStringLiteral("Copie la s\u00e9lection."));
    QCOMPARE(cellText(table, 1, 0), QStringLiteral("{bmc EditPast.bmp}"));
    QCOMPARE(cellText(table, 1, 2), QStringLiteral("Colle."));
    // \brdrnone on every side: no border at all.
    for (int c = 0; c < 3; ++c) {
        const QTextTableCellFormat format = table->cellAt(0, c).format().toTableCellFormat();
        QCOMPARE(format.topBorder(), 0.0);
        QCOMPARE(format.leftBorder(), 0.0);
    }
}

void RichTextEditTest::tableGridsMergesAndShading() {
    QTextTable* table = onlyTable(*m_edit, "table-grids.rtf");
    QVERIFY(table != nullptr);
    // The rows' edges together: -108, 0, 1000, 2000, 3000, 4000, 6000, 65532.
    QCOMPARE(table->rows(), 3);
    QCOMPARE(table->columns(), 7);
    // First row: a cell over two (-108 to 4000), then one over two rows.
    QCOMPARE(table->cellAt(0, 0).columnSpan(), 5);
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("Titre sur deux"));
    QCOMPARE(table->cellAt(0, 5).rowSpan(), 2);
    QCOMPARE(table->cellAt(1, 5).row(), 0);
    QCOMPARE(cellText(table, 0, 5), QStringLiteral("Haut"));
    // Second row on its own edges.
    QCOMPARE(table->cellAt(1, 0).columnSpan(), 2);
    QCOMPARE(cellText(table, 1, 0), QStringLiteral("A"));
    QCOMPARE(table->cellAt(1, 2).columnSpan(), 3);
    QCOMPARE(cellText(table, 1, 2), QStringLiteral("B"));
    // Third row: 0 to 3000, then to 65532, fitted to the view.
    QCOMPARE(table->cellAt(2, 1).column(), 1);
    QCOMPARE(table->cellAt(2, 1).columnSpan(), 3);
    QCOMPARE(cellText(table, 2, 4), QStringLiteral("Jusqu'au bord"));
    const QTextTableFormat format = table->format();
    QCOMPARE(format.width().type(), QTextLength::PercentageLength);
    QCOMPARE(format.columnWidthConstraints().at(6).type(), QTextLength::VariableLength);
    QCOMPARE(format.columnWidthConstraints().at(0).type(), QTextLength::FixedLength);
    QVERIFY(m_edit->document()->size().width() <= m_edit->viewport()->width() + 1);
    // Shading and borders as declared.
    const QTextTableCellFormat first = table->cellAt(0, 0).format().toTableCellFormat();
    QCOMPARE(first.background().color(), QColor(204, 204, 204));
    QCOMPARE(first.topBorder(), 1.0);
    const QTextTableCellFormat last = table->cellAt(2, 4).format().toTableCellFormat();
    QCOMPARE(last.background().color(), QColor(255, 0, 0));
    QCOMPARE(table->cellAt(0, 5).format().toTableCellFormat().topBorder(), 0.0);
}

void RichTextEditTest::nestedTableDrawnNested() {
    m_edit->loadRtf(goldenFile("nested-table.rtf"));
    const QList<QTextTable*> outer = tablesOf(*m_edit);
    QCOMPARE(outer.size(), 2);
    QTextTable* table = outer[0];
    QTextTable* nested = outer[1];
    QCOMPARE(table->rows(), 1);
    QCOMPARE(table->columns(), 2);
    QCOMPARE(nested->parentFrame(), table);
    QCOMPARE(nested->rows(), 2);
    QCOMPARE(nested->columns(), 2);
    QCOMPARE(cellText(nested, 0, 0), QStringLiteral("N1"));
    QCOMPARE(cellText(nested, 1, 1), QStringLiteral("N4"));
    QCOMPARE(nested->cellAt(0, 0).format().background().color(), QColor(255, 255, 0));
    // The nested table stands in the outer row's second cell, before "fin".
    const QTextTableCell holder = table->cellAt(0, 1);
    QVERIFY(nested->firstPosition() > holder.firstPosition());
    QVERIFY(nested->lastPosition() < holder.lastPosition());
    QVERIFY(cellText(table, 0, 1).endsWith(QStringLiteral("fin")));
    QCOMPARE(cellText(table, 0, 0), QStringLiteral("Externe"));

    // Rows whose definitions were lost still end where a reader without
    // nested tables would break the line.
    m_edit->loadRtf(goldenFile("nested-unterminated.rtf"));
    const QList<QTextTable*> tables = tablesOf(*m_edit);
    QCOMPARE(tables.size(), 2);
    QCOMPARE(tables[1]->parentFrame(), tables[0]);
    QCOMPARE(tables[1]->rows(), 2);
    QCOMPARE(tables[1]->columns(), 2);
    QCOMPARE(cellText(tables[1], 1, 0), QStringLiteral("B1"));
    QCOMPARE(cellText(tables[0], 0, 1), QStringLiteral("Texte"));
}

void RichTextEditTest::doubleUnderlineDrawnTwice() {
    m_edit->resize(600, 200);
    m_edit->loadRtf(rtfDocument("\\fs48 {\\uldb nnnnnnnn}\\par {\\ul nnnnnnnn}\\par"));
    const QImage image = m_edit->viewport()->grab().toImage();
    const int top1 = m_edit->posFromChar(0).y();
    const int top2 = m_edit->posFromChar(positionOf(*m_edit, u"nnnnnnnn", 3)).y();
    const int bottom2 = top2 + (top2 - top1);
    QVERIFY(top2 - top1 > 20);
    // Down the middle of a letter n: its arch, then one line or two.
    const int x = (m_edit->posFromChar(1).x() + m_edit->posFromChar(2).x()) / 2;
    const int doubled = darkRuns(image, x, top1, top2);
    const int single = darkRuns(image, x, top2, bottom2);
    QVERIFY2(single == 2 && doubled == 3,
             qPrintable(QStringLiteral("%1 %2").arg(doubled).arg(single)));
}

void RichTextEditTest::formatsQtHasNoWordFor() {
    m_edit->loadRtf(goldenFile("char-formats.rtf"));
    const auto formatAt = [this](const std::u16string& text) {
        QTextCursor cursor(m_edit->document());
        cursor.setPosition(m_edit->toWidgetPosition(positionOf(*m_edit, text)) + 1);
        return cursor.charFormat();
    };
    QCOMPARE(formatAt(u"Petites").fontCapitalization(), QFont::SmallCaps);
    QCOMPARE(formatAt(u"tout en").fontCapitalization(), QFont::AllUppercase);
    QCOMPARE(formatAt(u"normal").fontCapitalization(), QFont::MixedCase);
    QCOMPARE(formatAt(u"large").fontLetterSpacingType(), QFont::AbsoluteSpacing);
    QVERIFY(formatAt(u"large").fontLetterSpacing() > 0);
    QVERIFY(formatAt(u"serr").fontLetterSpacing() < 0);
    // Words-only underline leaves the spaces between words alone.
    QVERIFY(formatAt(u"mots").fontUnderline());
    QVERIFY(!formatAt(u" seuls").fontUnderline());
    QVERIFY(formatAt(u"double").boolProperty(tolvane::kDoubleUnderlineProperty));
    QVERIFY(!formatAt(u"simple").boolProperty(tolvane::kDoubleUnderlineProperty));

    m_edit->loadRtf(goldenFile("para-borders.rtf"));
    const qreal dpi = m_edit->logicalDpiY();
    QCOMPARE(m_edit->document()->defaultTextOption().tabStopDistance(), 1134 * dpi / 1440);
    const auto blockAt = [this](const std::u16string& text) {
        return m_edit->document()
            ->findBlock(m_edit->toWidgetPosition(positionOf(*m_edit, text)))
            .blockFormat();
    };
    QCOMPARE(blockAt(u"code 2").intProperty(tolvane::kBorderSidesProperty), 15);
    QCOMPARE(blockAt(u"code 2").background().color(), QColor(230, 230, 230));
    QCOMPARE(blockAt(u"Haut").intProperty(tolvane::kBorderSidesProperty),
             int(rtf::kBorderTop | rtf::kBorderLeft));
    QCOMPARE(blockAt(u"cellule").intProperty(tolvane::kBorderSidesProperty), 0);
    const QList<QVariant> leaders =
        blockAt(u"Chapitre").property(tolvane::kTabLeadersProperty).toList();
    QCOMPARE(leaders.size(), 3);
    QCOMPARE(int(leaders[0].toPointF().y()), int(rtf::TabLeader::Dots));
    QCOMPARE(int(leaders[1].toPointF().y()), int(rtf::TabLeader::Hyphens));
    QCOMPARE(leaders[0].toPointF().x(), 3000 * dpi / 1440);
}

void RichTextEditTest::continuousSectionDrawsNoLine() {
    // The same text, once with a continuous break and once with a page
    // break: one block less, the positions alike.
    m_edit->loadRtf(rtfDocument("Un\\par\\sect\\sectd\\sbknone Deux\\par"));
    const int continuous = m_edit->document()->blockCount();
    const int deux = positionOf(*m_edit, u"Deux");
    checkPositions(*m_edit);
    m_edit->loadRtf(rtfDocument("Un\\par\\sect\\sectd\\sbkpage Deux\\par"));
    QCOMPARE(m_edit->document()->blockCount(), continuous + 1);
    QCOMPARE(positionOf(*m_edit, u"Deux"), deux);
}

void RichTextEditTest::unnumberedListLevelShowsNothing() {
    // LibreOffice's headings: a list level with no number, its tab still
    // written; counted, not drawn. A numbered level's tab is drawn.
    m_edit->loadRtf(goldenFile("list-levels.rtf"));
    const int titre = positionOf(*m_edit, u"Titre");
    QCOMPARE(titre, 1);
    QCOMPARE(m_edit->posFromChar(titre).x(), m_edit->posFromChar(0).x());
    const int number = positionOf(*m_edit, u"1.");
    const int sous = positionOf(*m_edit, u"Sous");
    QVERIFY(m_edit->posFromChar(sous).x() - m_edit->posFromChar(number).x() > 20);
    checkPositions(*m_edit);
}

void RichTextEditTest::notesShownWithoutPositions() {
    m_edit->loadRtf(goldenFile("notes.rtf"));
    // The body's positions are those of its text alone.
    QCOMPARE(m_edit->textLength(), 29);
    checkPositions(*m_edit);
    const QString shown = m_edit->document()->toPlainText();
    // Automatic numbers drawn as marks; a mark of the text's own stays.
    QVERIFY2(shown.startsWith(QStringLiteral("Un texte1 qui cite* et2.")), qPrintable(shown));
    // The notes after the text, footnotes first, the one in hidden text and
    // the one inside a note left out.
    const int first = shown.indexOf(QStringLiteral("1 Premi\u00e8re note,"));
    const int second = shown.indexOf(QStringLiteral("* Note \u00e0 marque propre."));
    const int last = shown.indexOf(QStringLiteral("3 Derni\u00e8re."));
    const int endnote = shown.indexOf(QStringLiteral("2 Note de fin \u20ac."));
    QVERIFY(first > 0 && second > first && last > second && endnote > last);
    QVERIFY(!shown.contains(QStringLiteral("invisible")));
    QVERIFY(!shown.contains(QStringLiteral("dedans")));
    // Each mark gives its note's text where it is drawn; the text around does
    // not.
    const int texte = positionOf(*m_edit, u"texte");
    const QPoint before = m_edit->posFromChar(texte + 4);
    const QPoint after = m_edit->posFromChar(texte + 5);
    const QPoint mark((before.x() + after.x()) / 2, before.y() + 2);
    QVERIFY(after.x() - before.x() > 8); // the last letter and the mark
    QString found;
    for (int x = before.x(); x < after.x() && found.isEmpty(); ++x) {
        found = m_edit->noteAt(QPoint(x, mark.y()));
    }
    QVERIFY2(found.startsWith(QStringLiteral("1 Premi\u00e8re note,")), qPrintable(found));
    QVERIFY(m_edit->noteAt(m_edit->posFromChar(1) + QPoint(1, 2)).isEmpty());
    // A hit on the mark is on the character after it.
    QCOMPARE(m_edit->charFromPos(QPoint(after.x() - 1, mark.y())), texte + 5);
}

void RichTextEditTest::fieldsWithoutResultShowTheirValue() {
    m_edit->setArticleTitle(QStringLiteral("Mon article"));
    m_edit->setClock([] { return QDateTime(QDate(2026, 3, 5), QTime(14, 7)); });
    m_edit->loadRtf(goldenFile("fields-computed.rtf"));
    // No page in a view; the date in its picture, the time, the title; a
    // field with a result keeps it, one of another kind shows nothing.
    QCOMPARE(m_edit->document()->toPlainText(),
             QStringLiteral("Page  sur , le 5 mars 2026 \u00e0 14:07.\n"
                            "Mon article ; avec r\u00e9sultat : 01/01/2001 ; inconnu : ."));
    // Values take no position: the text keeps its numbering.
    QCOMPARE(m_edit->textLength(), 66);
    checkPositions(*m_edit);
    const int avec = positionOf(*m_edit, u" ; avec");
    const QPoint at = m_edit->posFromChar(avec + 3);
    QCOMPARE(m_edit->charFromPos(at + QPoint(1, 3)), avec + 3);
    m_edit->setClock(nullptr);
    m_edit->setArticleTitle(QString());
}

void RichTextEditTest::drawingObjectPictureShown() {
    // A drawing object whose result shows nothing: its picture (pib), with
    // no position; one with a result: the result only.
    m_edit->loadRtf(goldenFile("shapes.rtf"));
    QCOMPARE(m_edit->textLength(), 66);
    checkPositions(*m_edit);
    QList<int> images;
    for (QTextBlock block = m_edit->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            if (it.fragment().charFormat().isImageFormat()) {
                images.append(it.fragment().position());
            }
        }
    }
    QCOMPARE(images.size(), 2);
    QCOMPARE(images[0], m_edit->toWidgetPosition(6) - 1);
    QCOMPARE(m_edit->document()->characterAt(images[0] - 1), QLatin1Char(' '));
    QCOMPARE(m_edit->document()->characterAt(images[0] + 1), QLatin1Char(' '));
}

void RichTextEditTest::costlyTablesStayBounded() {
    for (const auto& [name, rtf] : tolvane::fuzz::RtfTableSeeds()) {
        m_edit->loadRtf(rtf);
        QVERIFY2(m_edit->textLength() > 0, name.c_str());
        for (QTextTable* table : tablesOf(*m_edit)) {
            QVERIFY2(table->columns() <= 64, name.c_str());
            QVERIFY2(qint64(table->rows()) * table->columns() <= 8 * 20000, name.c_str());
        }
        m_edit->viewport()->grab();
        QVERIFY(m_edit->charFromPos(QPoint(10, 10)) >= 0);
    }
}

void RichTextEditTest::hitTestOnBothHalves_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::newRow("first paragraph") << QByteArray("Voir le motif ici\\par fin");
    QTest::newRow("after marks") << QByteArray("Un\\par\\par Deux\\line\\tab Voir le motif ici");
    QTest::newRow("bold anchor") << QByteArray("Voir le {\\b\\ul motif} ici");
    QTest::newRow("in a table") << QByteArray("\\trowd\\cellx3000\\cellx6000 A\\cell Voir le "
                                              "motif ici\\cell\\row");
}

void RichTextEditTest::hitTestOnBothHalves() {
    QFETCH(QByteArray, body);
    m_edit->loadRtf(rtfDocument(body.toStdString()));
    const int word = positionOf(*m_edit, u"motif");
    QVERIFY(word > 0);
    // The first and the last character of the word, and the one after it.
    for (int p : {word, word + 4, word + 5}) {
        const QPoint left = m_edit->posFromChar(p);
        const QPoint right = m_edit->posFromChar(p + 1);
        QCOMPARE(left.y(), right.y());
        QVERIFY(right.x() - left.x() >= 4);
        const int y = left.y() + 4;
        QCOMPARE(m_edit->charFromPos(QPoint(left.x() + 1, y)), p);
        QCOMPARE(m_edit->charFromPos(QPoint((left.x() + right.x()) / 2 - 1, y)), p);
        QCOMPARE(m_edit->charFromPos(QPoint((left.x() + right.x()) / 2 + 1, y)), p);
        QCOMPARE(m_edit->charFromPos(QPoint(right.x() - 2, y)), p);
    }
}

void RichTextEditTest::hitTestRoundTripOverEveryCharacter() {
    m_edit->loadRtf(rtfDocument(
        "Titre {\\b gras} et {\\i italique}\\par\\pard\\qc Centr\\'e9\\tab x\\line suite\\par"
        "\\trowd\\cellx2500\\cellx5000 Cellule une\\cell Cellule deux\\cell\\row\\pard "
        "Image " +
        pngPicture(600, 300) + " apr\\'e8s\\par"));
    const std::u16string& text = m_edit->richDocument().text;
    int checked = 0;
    for (int p = 0; p + 1 < int(text.size()); ++p) {
        if (!isDisplayed(text[size_t(p)]) || text[size_t(p)] == u'\t') {
            continue;
        }
        const QPoint left = m_edit->posFromChar(p);
        const QPoint right = m_edit->posFromChar(p + 1);
        if (left.y() != right.y() || right.x() - left.x() < 3) {
            continue;
        }
        QCOMPARE(m_edit->charFromPos(QPoint(left.x() + 1, left.y() + 3)), p);
        QCOMPARE(m_edit->charFromPos(QPoint(right.x() - 1, left.y() + 3)), p);
        ++checked;
    }
    QVERIFY(checked > 40);
}

void RichTextEditTest::pointBeyondLineEndGivesLastCharacter() {
    m_edit->loadRtf(rtfDocument("Court\\par Ligne\\line suite\\par"));
    const QPoint first = m_edit->posFromChar(0);
    QCOMPARE(m_edit->charFromPos(QPoint(450, first.y() + 3)), 4);
    const int ligne = positionOf(*m_edit, u"Ligne");
    const QPoint second = m_edit->posFromChar(ligne);
    QCOMPARE(m_edit->charFromPos(QPoint(450, second.y() + 3)), ligne + 4);
    QCOMPARE(m_edit->charFromPos(QPoint(-5, second.y() + 3)), ligne);
    // Below the text: its last character.
    QCOMPARE(m_edit->charFromPos(QPoint(450, 290)), m_edit->textLength() - 3);
}

void RichTextEditTest::posFromCharPastTheEnd() {
    m_edit->loadRtf(rtfDocument("Un\\par Deux\\par Trois"));
    const int last = m_edit->textLength() - 1;
    QVERIFY(m_edit->posFromChar(last).y() > m_edit->posFromChar(0).y());
    QCOMPARE(m_edit->posFromChar(32000).y(), m_edit->posFromChar(last).y());
    m_edit->loadRtf(rtfDocument("Seul"));
    QCOMPARE(m_edit->posFromChar(32000).y(), m_edit->posFromChar(0).y());
    QCOMPARE(m_edit->posFromChar(32000).x(), m_edit->posFromChar(4).x());
    m_edit->loadDocument(rtf::RichDocument{});
    QCOMPARE(m_edit->charFromPos(QPoint(10, 10)), -1);
    QVERIFY(m_edit->posFromChar(32000).y() < 20);
}

void RichTextEditTest::lineQueriesAndScrollRoundTrip() {
    m_edit->loadRtf(rtfDocument(manyParagraphs(200)));
    QVERIFY(m_edit->lineCount() >= 200);
    QCOMPARE(m_edit->firstVisibleLine(), 0);
    const int p120 = positionOf(*m_edit, u"Ligne 120");
    QCOMPARE(m_edit->lineFromChar(p120), 120);
    QCOMPARE(m_edit->lineFromChar(p120 + 4), 120);
    // Both positions of the mark before it belong to the line they end.
    QCOMPARE(m_edit->lineFromChar(p120 - 2), 119);
    QCOMPARE(m_edit->lineFromChar(p120 - 1), 119);
    QCOMPARE(m_edit->lineIndex(120), p120);
    QCOMPARE(m_edit->lineIndex(100000), -1);

    // What the history does: leave at a line, come back to it.
    m_edit->lineScroll(m_edit->lineFromChar(p120 + 3));
    QCOMPARE(m_edit->firstVisibleLine(), 120);
    QCOMPARE(m_edit->lineIndex(m_edit->firstVisibleLine()), p120);
    QCOMPARE(m_edit->charFromPos(QPoint(10, 3)), p120);
    m_edit->lineScroll(-20);
    QCOMPARE(m_edit->firstVisibleLine(), 100);
    m_edit->lineScroll(5);
    QCOMPARE(m_edit->firstVisibleLine(), 105);

    // Far into a long article, before the lazy layout has reached it.
    m_edit->loadRtf(rtfDocument(manyParagraphs(5000)));
    const int p4900 = positionOf(*m_edit, u"Ligne 4900");
    QCOMPARE(m_edit->lineFromChar(p4900), 4900);
    m_edit->lineScroll(m_edit->lineFromChar(p4900));
    QCOMPARE(m_edit->firstVisibleLine(), 4900);
    QCOMPARE(m_edit->lineIndex(m_edit->firstVisibleLine()), p4900);
    QCOMPARE(m_edit->lineCount(), 5000);
}

void RichTextEditTest::wrappedLines() {
    std::string words;
    for (int i = 0; i < 150; ++i) {
        words += "mot" + std::to_string(i) + " ";
    }
    m_edit->loadRtf(rtfDocument("Titre\\par " + words + "\\par Fin\\par " + manyParagraphs(30)));
    const int fin = positionOf(*m_edit, u"Fin");
    const int wrapped = m_edit->lineFromChar(fin) - 1;
    QVERIFY(wrapped > 3);
    int previousStart = 0;
    for (int line = 1; line <= wrapped + 1; ++line) {
        const int start = m_edit->lineIndex(line);
        QVERIFY(start > previousStart);
        QCOMPARE(m_edit->lineFromChar(start), line);
        QCOMPARE(m_edit->lineFromChar(start - 1), line - 1);
        previousStart = start;
    }
    m_edit->lineScroll(m_edit->lineFromChar(m_edit->lineIndex(3) + 2));
    QCOMPARE(m_edit->firstVisibleLine(), 3);
    QCOMPARE(m_edit->lineIndex(m_edit->firstVisibleLine()), m_edit->lineIndex(3));
}

void RichTextEditTest::find_data() {
    QTest::addColumn<QString>("needle");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("expectedBefore");
    // Text: "Le motif, le mot\r\nde l'ÉCOLE."
    QTest::newRow("mot anywhere") << u"mot"_qs << false << false << 0 << u"Le "_qs;
    QTest::newRow("mot whole word") << u"mot"_qs << false << true << 0 << u"Le motif, le "_qs;
    QTest::newRow("case differs") << u"le"_qs << true << false << 0 << u"Le motif, "_qs;
    QTest::newRow("accent case pair")
        << u"école"_qs << false << false << 0 << u"Le motif, le mot\r\nde l'"_qs;
    QTest::newRow("accent match case") << u"école"_qs << true << false << 0 << QString();
    QTest::newRow("accent kept") << u"ecole"_qs << false << false << 0 << QString();
    QTest::newRow("from after") << u"motif"_qs << false << false << 4 << QString();
    QTest::newRow("from past the end") << u"mot"_qs << false << false << 1000 << QString();
    QTest::newRow("across mark") << u"mot\r\nde"_qs << false << false << 0 << u"Le motif, le "_qs;
}

void RichTextEditTest::find() {
    QFETCH(QString, needle);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(int, from);
    QFETCH(QString, expectedBefore);
    m_edit->loadRtf(rtfDocument("Le motif, le mot\\par de l'\\'c9COLE."));
    const int expected = expectedBefore.isNull() ? -1 : int(expectedBefore.size());
    QCOMPARE(m_edit->findInRange(needle.toStdU16String(), matchCase, wholeWord, from, -1),
             expected);
}

void RichTextEditTest::findNextStepsThenFails() {
    m_edit->loadRtf(rtfDocument(manyParagraphs(100) + "le mot\\par le motif\\par un mot."));
    QCOMPARE(m_edit->verticalScrollBar()->value(), 0);
    const int first = positionOf(*m_edit, u"mot");
    const int second = positionOf(*m_edit, u"mot.");
    QCOMPARE(m_edit->findNext(u"MOT", false, true), first);
    QCOMPARE(m_edit->selection(), std::make_pair(first, first + 3));
    QCOMPARE(m_edit->textCursor().selectedText(), u"mot"_qs);
    QVERIFY(m_edit->verticalScrollBar()->value() > 0);
    QCOMPARE(m_edit->findNext(u"MOT", false, true), second);
    QCOMPARE(m_edit->findNext(u"MOT", false, true), -1);
    QCOMPARE(m_edit->selection(), std::make_pair(second, second + 3));
    QCOMPARE(m_edit->findNext(u"mot", false, false), -1);
}

void RichTextEditTest::selectAll() {
    m_edit->loadRtf(rtfDocument("Un\\par Deux\\par"));
    m_edit->setSelection(0, -1);
    QCOMPARE(m_edit->selection(), std::make_pair(0, m_edit->textLength()));
    QVERIFY(m_edit->textCursor().selectedText().startsWith(u"Un"_qs));
    m_edit->setSelection(4, 6);
    QCOMPARE(m_edit->selection(), std::make_pair(4, 6));
    QCOMPARE(m_edit->textCursor().selectedText(), u"De"_qs);
}

void RichTextEditTest::loadReplacesEverything() {
    m_edit->loadRtf(rtfDocument(manyParagraphs(300)));
    m_edit->lineScroll(150);
    m_edit->setSelection(10, 20);
    QVERIFY(m_edit->verticalScrollBar()->value() > 0);
    m_edit->loadRtf(rtfDocument("Nouveau texte"));
    QCOMPARE(m_edit->textLength(), 13);
    QCOMPARE(m_edit->document()->toPlainText(), u"Nouveau texte"_qs);
    QCOMPARE(m_edit->verticalScrollBar()->value(), 0);
    QCOMPARE(m_edit->firstVisibleLine(), 0);
    QCOMPARE(m_edit->lineCount(), 1);
    QCOMPARE(m_edit->selection(), std::make_pair(0, 0));
    QCOMPARE(m_edit->charFromPos(m_edit->posFromChar(0) + QPoint(1, 3)), 0);
}

void RichTextEditTest::formats() {
    m_edit->loadRtf(rtfDocument(
        "n {\\b b} {\\i i} {\\ul u} {\\uld d} {\\ulwave w} {\\strike s} {\\cf1 r} {\\super e} "
        "{\\sub x} {\\f1 t} {\\f2\\fs32 c}"));
    auto formatAt = [this](char16_t c) {
        const int p = int(m_edit->richDocument().text.find(c));
        QTextCursor cursor(m_edit->document());
        cursor.setPosition(m_edit->toWidgetPosition(p) + 1);
        return cursor.charFormat();
    };
    QCOMPARE(formatAt(u'n').fontWeight(), int(QFont::Normal));
    QCOMPARE(formatAt(u'n').fontPointSize(), 12.0);
    QVERIFY(!formatAt(u'n').hasProperty(QTextFormat::ForegroundBrush));
    QCOMPARE(formatAt(u'b').fontWeight(), int(QFont::Bold));
    QVERIFY(formatAt(u'i').fontItalic());
    QCOMPARE(formatAt(u'u').underlineStyle(), QTextCharFormat::SingleUnderline);
    QCOMPARE(formatAt(u'd').underlineStyle(), QTextCharFormat::DotLine);
    QCOMPARE(formatAt(u'w').underlineStyle(), QTextCharFormat::WaveUnderline);
    QVERIFY(formatAt(u's').fontStrikeOut());
    QCOMPARE(formatAt(u'r').foreground().color(), QColor(255, 0, 0));
    QCOMPARE(formatAt(u'e').verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(formatAt(u'x').verticalAlignment(), QTextCharFormat::AlignSubScript);
    QCOMPARE(formatAt(u'c').fontPointSize(), 16.0);
    if (QFontDatabase::hasFamily(u"Liberation Sans"_qs)) {
        QCOMPARE(formatAt(u'n').fontFamilies().toStringList(), QStringList{u"Liberation Sans"_qs});
        QCOMPARE(formatAt(u't').fontFamilies().toStringList(), QStringList{u"Liberation Serif"_qs});
        QCOMPARE(formatAt(u'c').fontFamilies().toStringList(), QStringList{u"Liberation Mono"_qs});
    }

    // Paragraph format; tab stops sorted by position and measured from the
    // start of the first line (720 twips here), with the implicit stop at the
    // hanging indent.
    m_edit->loadRtf(rtfDocument("\\pard\\qc\\li1440\\fi-720\\sb240\\tqr\\tx4000\\tx1000 a\\par"));
    const QTextBlockFormat block = m_edit->document()->firstBlock().blockFormat();
    const qreal inch = m_edit->logicalDpiY();
    QCOMPARE(block.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    QCOMPARE(block.leftMargin(), inch);
    QCOMPARE(block.textIndent(), -inch / 2);
    QCOMPARE(block.topMargin(), inch / 6);
    const QList<QTextOption::Tab> tabs = block.tabPositions();
    QCOMPARE(tabs.size(), 3);
    QCOMPARE(tabs[0].type, QTextOption::LeftTab);
    QCOMPARE(tabs[0].position, (1000 - 720) * inch / 1440);
    QCOMPARE(tabs[1].type, QTextOption::LeftTab);
    QCOMPARE(tabs[1].position, (1440 - 720) * inch / 1440);
    QCOMPARE(tabs[2].type, QTextOption::RightTab);
    QCOMPARE(tabs[2].position, (4000 - 720) * inch / 1440);
}

void RichTextEditTest::pictures() {
    m_edit->loadRtf(rtfDocument("A" + pngPicture(1440, 720) +
                                "B{\\pict\\wmetafile8\\picwgoal720\\pichgoal360 0100}C"));
    QCOMPARE(m_edit->richDocument().text, std::u16string(u"A\uFFFCB\uFFFCC"));
    const qreal dpi = m_edit->logicalDpiY();
    for (auto [position, width, height] : {std::tuple{1, 1.0, 0.5}, std::tuple{3, 0.5, 0.25}}) {
        QTextCursor cursor(m_edit->document());
        cursor.setPosition(m_edit->toWidgetPosition(position) + 1);
        const QTextImageFormat format = cursor.charFormat().toImageFormat();
        QVERIFY(format.isValid());
        QCOMPARE(qRound(format.width()), qRound(width * dpi));
        QCOMPARE(qRound(format.height()), qRound(height * dpi));
        const QVariant image =
            m_edit->document()->resource(QTextDocument::ImageResource, QUrl(format.name()));
        QVERIFY(!image.value<QImage>().isNull());
    }
    const QPoint b = m_edit->posFromChar(2);
    QCOMPARE(m_edit->charFromPos(b + QPoint(-5, 3)), 1);
}

void RichTextEditTest::handBuiltDocument() {
    // Two paragraphs, the second indented, with a segment per format.
    rtf::RichDocument document;
    document.text = u"Un mot\r\nDeux";
    rtf::Paragraph first =
        paragraph(0, 6, rtf::MarkKind::Paragraph, {{0, 3, {}, -1}, {3, 6, {}, -1}});
    first.segments[1].format.bold = true;
    rtf::Paragraph second = paragraph(8, 12, rtf::MarkKind::None);
    second.format.leftIndentTwips = 1440;
    document.paragraphs = {first, second};
    m_edit->loadDocument(document);
    QCOMPARE(m_edit->document()->blockCount(), 2);
    QCOMPARE(m_edit->toWidgetPosition(8), 7);
    QCOMPARE(m_edit->toNumberingPosition(7), 8);
    QCOMPARE(m_edit->toNumberingPosition(6), 6);
    QCOMPARE(m_edit->document()->lastBlock().blockFormat().leftMargin(), m_edit->logicalDpiY());
    const QPoint deux = m_edit->posFromChar(8);
    QVERIFY(deux.x() >= m_edit->logicalDpiY());
    QCOMPARE(m_edit->charFromPos(deux + QPoint(2, 3)), 8);
    QCOMPARE(m_edit->lineFromChar(7), 0);
    QCOMPARE(m_edit->lineFromChar(8), 1);
}

void RichTextEditTest::inconsistentModelIsShownSafely() {
    rtf::RichDocument document;
    document.text = u"abcdef\r\nghi\tjk";
    // Overlapping, reversed, past the end, and a picture that does not exist.
    rtf::Paragraph p = paragraph(
        0, 6, rtf::MarkKind::Paragraph,
        {{0, 4, {}, -1}, {2, 6, {}, -1}, {5, 3, {}, -1}, {4, 5, {}, 7}, {6, 999, {}, -1}});
    p.segments[0].format.font = 12;
    p.segments[1].format.foreground = 40;
    p.segments[1].format.sizeHalfPoints = -5;
    rtf::Paragraph cell = paragraph(8, 11, rtf::MarkKind::Cell);
    cell.tableRow = 0; // a row that declares far more cells than it has
    cell.cell = INT32_MAX;
    rtf::Paragraph last = paragraph(12, 14, rtf::MarkKind::None);
    last.tableRow = 3;
    last.cell = -4;
    document.paragraphs = {p, cell, last};
    document.rows.resize(1);
    document.rows[0].cells.resize(100000);
    m_edit->loadDocument(document);
    QCOMPARE(m_edit->textLength(), 14);
    for (int position = -2; position < 20; ++position) {
        const int widget = m_edit->toWidgetPosition(position);
        QVERIFY(widget >= 0);
        m_edit->setSelection(position, position + 1);
        m_edit->lineFromChar(position);
        m_edit->posFromChar(position);
    }
    QVERIFY(m_edit->charFromPos(QPoint(5, 5)) >= 0);
    QVERIFY(m_edit->lineCount() > 0);
}

void RichTextEditTest::hiddenControlMeasuresAtItsNewWidth() {
    // The popup sizes its control before showing it: the text height must
    // follow each new width.
    RichTextEdit hidden;
    hidden.resize(600, 1000);
    std::string words;
    for (int i = 0; i < 60; ++i) {
        words += "mot ";
    }
    hidden.loadRtf(rtfDocument(words));
    const int wide = hidden.posFromChar(32000).y();
    hidden.resize(200, 1000);
    const int narrow = hidden.posFromChar(32000).y();
    QVERIFY2(narrow > wide, qPrintable(QStringLiteral("%1 %2").arg(narrow).arg(wide)));
    hidden.resize(600, 1000);
    QCOMPARE(hidden.posFromChar(32000).y(), wide);
}

QTEST_MAIN(RichTextEditTest)
#include "tst_richtextedit.moc"
