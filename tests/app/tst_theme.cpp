// Colours: the dark palette the viewer can start with, and the page an
// article is shown on under a dark palette (its own colours kept).

#include "core/rtf/RtfReader.h"
#include "ui/base/Theme.h"
#include "ui/view/RichTextEdit.h"

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

using namespace tolvane;

namespace {

rtf::RichDocument readRtf(const std::string& body) {
    return rtf::RtfReader::read("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
                                "{\\colortbl;\\red0\\green0\\blue128;\\red255\\green255\\blue128;"
                                "\\red255\\green255\\blue0;\\red0\\green0\\blue0;}" +
                                body + "}");
}

QPalette lightPalette() {
    QPalette p;
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    return p;
}

} // namespace

class TestTheme : public QObject {
    Q_OBJECT

private slots:
    void themeVariableAndDarkPalette();
    void lightPageOnlyWhereColoursWouldNotRead_data();
    void lightPageOnlyWhereColoursWouldNotRead();
    void viewFollowsThePaletteAndItsArticle();
};

void TestTheme::themeVariableAndDarkPalette() {
    QVERIFY(WantsDarkTheme(QStringLiteral("sombre")));
    QVERIFY(WantsDarkTheme(QStringLiteral(" Dark ")));
    QVERIFY(!WantsDarkTheme(QString()));
    QVERIFY(!WantsDarkTheme(QStringLiteral("clair")));
    const QPalette dark = DarkPalette();
    // Text, buttons and selection read well on the dark palette.
    for (auto [fg, bg] : {std::pair{QPalette::Text, QPalette::Base},
                          std::pair{QPalette::WindowText, QPalette::Window},
                          std::pair{QPalette::ButtonText, QPalette::Button},
                          std::pair{QPalette::HighlightedText, QPalette::Highlight},
                          std::pair{QPalette::ToolTipText, QPalette::ToolTipBase}})
        QVERIFY(RichTextEdit::ContrastRatio(dark.color(fg), dark.color(bg)) >= 4.5);
    QVERIFY(dark.color(QPalette::Base).lightness() < dark.color(QPalette::Text).lightness());
    QCOMPARE(RichTextEdit::ContrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(RichTextEdit::ContrastRatio(Qt::red, Qt::red), 1.0);
}

void TestTheme::lightPageOnlyWhereColoursWouldNotRead_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<bool>("light");
    QTest::newRow("no colours, dark palette") << "Texte.\\par" << true << false;
    QTest::newRow("navy text, dark palette") << "{\\cf1 Titre}\\par" << true << true;
    QTest::newRow("navy text, light palette") << "{\\cf1 Titre}\\par" << false << false;
    QTest::newRow("pale yellow text reads on dark") << "{\\cf2 Titre}\\par" << true << false;
    QTest::newRow("black given explicitly") << "{\\cf4 Texte}\\par" << true << true;
    QTest::newRow("navy on spaces only") << "A{\\cf1    }B\\par" << true << false;
    QTest::newRow("highlighted text of no colour")
        << "{\\highlight3 Attention}\\par" << true << true;
    QTest::newRow("navy on a highlight: the author's pair")
        << "{\\cf1\\highlight3 Note}\\par" << true << false;
    QTest::newRow("hidden navy text does not count") << "A{\\v\\cf1 cache}\\par" << true << false;
}

void TestTheme::lightPageOnlyWhereColoursWouldNotRead() {
    QFETCH(QString, body);
    QFETCH(bool, dark);
    QFETCH(bool, light);
    const QPalette palette = dark ? DarkPalette() : lightPalette();
    QCOMPARE(RichTextEdit::NeedsLightPage(readRtf(body.toStdString()), palette), light);
}

void TestTheme::viewFollowsThePaletteAndItsArticle() {
    QWidget window;
    window.setPalette(DarkPalette());
    auto* edit = new RichTextEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(edit);
    window.show();

    edit->loadDocument(readRtf("Texte.\\par"));
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), DarkPalette().color(QPalette::Base));
    QCOMPARE(edit->palette().color(QPalette::Text), DarkPalette().color(QPalette::Text));

    edit->loadDocument(readRtf("{\\cf1 Titre} et texte.\\par"));
    QVERIFY(edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));
    // The rest of the palette stays the desktop's.
    QCOMPARE(edit->palette().color(QPalette::Highlight), DarkPalette().color(QPalette::Highlight));

    // The desktop turns light: the page is the palette's again.
    window.setPalette(lightPalette());
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
    // And dark again: the navy article gets its white page back.
    window.setPalette(DarkPalette());
    QVERIFY(edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));

    edit->loadDocument(readRtf("Texte.\\par"));
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), DarkPalette().color(QPalette::Base));
}

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
