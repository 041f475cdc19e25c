// SPDX-License-Identifier: GPL-3.0-or-later
// Colours: the dark palette the viewer can start with, and the page an
// article is shown on under a dark palette (its own colours kept).

#include "core/articles/ArticleStore.h"
#include "core/articles/DataSourcePaths.h"
#include "core/rtf/RtfReader.h"
#include "ui/base/AppServices.h"
#include "ui/base/CSash.h"
#include "ui/base/Theme.h"
#include "ui/view/RichTextEdit.h"
#include "ui/view/RichTextFormats.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QVBoxLayout>

using namespace tolvane;

namespace {

rtf::RichDocument readRtf(const std::string& body) {
    return rtf::RtfReader::read(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
        "{\\colortbl;\\red0\\green0\\blue128;\\red255\\green255\\blue128;"
        "\\red255\\green255\\blue0;\\red0\\green0\\blue0;\\red0\\green128\\blue0;}" +
        body + "}");
}

// A shown window in the dark palette holding nothing but a rich-text view.
struct DarkWindow : QWidget {
    RichTextEdit* edit = nullptr;
    DarkWindow() {
        setPalette(darkPalette());
        edit = new RichTextEdit(this);
        (new QVBoxLayout(this))->addWidget(edit);
        show();
    }
};

QPalette lightPalette() {
    QPalette p;
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    return p;
}

// The colours the text of a built document is drawn in, with their
// background when they have one of their own.
QList<std::pair<QColor, bool>> textColours(const QTextDocument& document) {
    QList<std::pair<QColor, bool>> colours;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.hasProperty(QTextFormat::ForegroundBrush) &&
                !it.fragment().text().trimmed().isEmpty())
                colours.append({format.foreground().color(),
                                format.hasProperty(QTextFormat::BackgroundBrush)});
        }
    }
    return colours;
}

// The stroke colours an SVG file draws with.
QList<QColor> strokes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString svg = QString::fromUtf8(file.readAll());
    QList<QColor> colours;
    static const QRegularExpression stroke(QStringLiteral("stroke=\"(#[0-9a-fA-F]{6})\""));
    for (auto it = stroke.globalMatch(svg); it.hasNext();)
        colours << QColor(it.next().captured(1));
    return colours;
}

} // namespace

class TestTheme : public QObject {
    Q_OBJECT

private slots:
    void themeVariableAndDarkPalette();
    void lightPageOnlyWhereColoursWouldNotRead_data();
    void lightPageOnlyWhereColoursWouldNotRead();
    void viewFollowsThePaletteAndItsArticle();
    void iconsReadOnTheDarkBars();
    void sashesDrawnInThePalettesColours();
    void linksReadOnTheDarkPage();
    void guideReadsOnTheDarkPalette();
};

void TestTheme::themeVariableAndDarkPalette() {
    QVERIFY(wantsDarkTheme(QStringLiteral("sombre")));
    QVERIFY(wantsDarkTheme(QStringLiteral(" Dark ")));
    QVERIFY(!wantsDarkTheme(QString()));
    QVERIFY(!wantsDarkTheme(QStringLiteral("clair")));
    const QPalette dark = darkPalette();
    // Text, buttons and selection read well on the dark palette.
    for (auto [fg, bg] : {std::pair{QPalette::Text, QPalette::Base},
                          std::pair{QPalette::WindowText, QPalette::Window},
                          std::pair{QPalette::ButtonText, QPalette::Button},
                          std::pair{QPalette::HighlightedText, QPalette::Highlight},
                          std::pair{QPalette::ToolTipText, QPalette::ToolTipBase}})
        QVERIFY(RichTextEdit::contrastRatio(dark.color(fg), dark.color(bg)) >= 4.5);
    QVERIFY(dark.color(QPalette::Base).lightness() < dark.color(QPalette::Text).lightness());
    QCOMPARE(RichTextEdit::contrastRatio(Qt::black, Qt::white), 21.0);
    QCOMPARE(RichTextEdit::contrastRatio(Qt::red, Qt::red), 1.0);
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
    const QPalette palette = dark ? darkPalette() : lightPalette();
    QCOMPARE(RichTextEdit::needsLightPage(readRtf(body.toStdString()), palette), light);
}

void TestTheme::viewFollowsThePaletteAndItsArticle() {
    DarkWindow window;
    RichTextEdit* edit = window.edit;

    edit->loadDocument(readRtf("Texte.\\par"));
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), darkPalette().color(QPalette::Base));
    QCOMPARE(edit->palette().color(QPalette::Text), darkPalette().color(QPalette::Text));

    edit->loadDocument(readRtf("{\\cf1 Titre} et texte.\\par"));
    QVERIFY(edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
    QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));
    // The rest of the palette stays the desktop's.
    QCOMPARE(edit->palette().color(QPalette::Highlight), darkPalette().color(QPalette::Highlight));

    // The desktop turns light: the page is the palette's again.
    window.setPalette(lightPalette());
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(Qt::white));
    // And dark again: the navy article gets its white page back.
    window.setPalette(darkPalette());
    QVERIFY(edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));

    edit->loadDocument(readRtf("Texte.\\par"));
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->palette().color(QPalette::Base), darkPalette().color(QPalette::Base));
}

void TestTheme::iconsReadOnTheDarkBars() {
    const QColor bar = darkPalette().color(QPalette::Window);
    const QStringList names =
        QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files);
    QVERIFY(names.size() >= 12);
    for (QString name : names) {
        name.chop(4);
        // The program's own icon keeps its colours everywhere.
        if (name == QLatin1String("tolvane"))
            continue;
        const QString path = themedIconPath(name, true);
        const QList<QColor> colours = strokes(path);
        for (const QColor& colour : colours)
            QVERIFY2(RichTextEdit::contrastRatio(colour, bar) >= 4.5,
                     qPrintable(path + QLatin1Char(' ') + colour.name()));
    }
    // The windows take the variants their services were told of.
    AppServices services;
    services.setDarkIcons(true);
    for (const char* name : {"home", "sync", "find"})
        QCOMPARE(services.iconPath(QLatin1String(name)),
                 QStringLiteral(":/icons/sombre/%1.svg").arg(QLatin1String(name)));
    services.setDarkIcons(false);
    QCOMPARE(services.iconPath(QStringLiteral("home")), QStringLiteral(":/icons/home.svg"));
    // The light variants keep their dark strokes: the home's roof, notably.
    QVERIFY(RichTextEdit::contrastRatio(strokes(QStringLiteral(":/icons/home.svg")).first(),
                                        Qt::white) >= 4.5);
}

void TestTheme::sashesDrawnInThePalettesColours() {
    for (bool dark : {true, false}) {
        QPalette palette = dark ? darkPalette() : lightPalette();
        if (!dark) {
            palette.setColor(QPalette::Button, QColor(240, 240, 240));
            palette.setColor(QPalette::Light, Qt::white);
        }
        CSash sash;
        sash.setPalette(palette);
        sash.resize(CSash::kThickness, 40);
        const QImage image = sash.grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        QCOMPARE(image.pixelColor(QPoint(int(1.5 * ratio), 20)), palette.color(QPalette::Light));
        QCOMPARE(image.pixelColor(QPoint(int(3.5 * ratio), 20)), palette.color(QPalette::Button));
        // No bright line across a dark window.
        if (dark)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY(RichTextEdit::contrastRatio(image.pixelColor(x, 20),
                                                    palette.color(QPalette::Window)) < 3.0);
    }
}

void TestTheme::linksReadOnTheDarkPage() {
    // A green link (the builder's colour for jumps) reads at just above 3:1
    // on the dark page: it is shown lighter, in its hue; the same green on
    // a highlight of its own, on a light page and on paper stays as given.
    const QColor green(0, 128, 0);
    const QColor page = darkPalette().color(QPalette::Base);
    QVERIFY(RichTextEdit::contrastRatio(green, page) > 3.0);
    QVERIFY(RichTextEdit::contrastRatio(green, page) < 4.5);
    DarkWindow window;
    RichTextEdit* edit = window.edit;
    edit->loadDocument(readRtf("Voir {\\cf5\\ul le lien} et {\\cf5\\highlight2 celui-ci}.\\par"));
    QVERIFY(!edit->showsLightPage());
    QCOMPARE(edit->readableOn(), page);
    auto colours = textColours(*edit->document());
    QCOMPARE(colours.size(), 2);
    QVERIFY(RichTextEdit::contrastRatio(colours[0].first, page) >= 4.5);
    QVERIFY(RichTextEdit::contrastRatio(colours[0].first, page) < 5.0);
    QCOMPARE(colours[0].first.hslHue(), green.hslHue());
    QCOMPARE(colours[1].first, green);
    QVERIFY(colours[1].second);
    // Printed: the article's own colours.
    const auto printed = edit->buildDocument(100);
    QCOMPARE(textColours(*printed).first().first, green);
    // The desktop turns light: built again with the green as given.
    window.setPalette(lightPalette());
    QVERIFY(!edit->readableOn().isValid());
    colours = textColours(*edit->document());
    QCOMPARE(colours.first().first, green);

    // Colours that read already, and the lightening's end.
    QCOMPARE(RichTextFormats::readableVariant(QColor(255, 255, 128), page, 4.5),
             QColor(255, 255, 128));
    QVERIFY(RichTextEdit::contrastRatio(RichTextFormats::readableVariant(Qt::black, page, 4.5),
                                        page) >= 4.5);
    QCOMPARE(RichTextFormats::readableVariant(Qt::red, Qt::white, 30.0), QColor(Qt::white));
}

void TestTheme::guideReadsOnTheDarkPalette() {
    // Every article of the bundled guide, shown under the dark palette: on
    // the white page, or with all of its coloured text at 4.5:1.
    const std::string base = TOLVANE_BINARY_DIR "/GUIDE";
    if (!QFile::exists(QString::fromStdString(base + ".PGD")))
        QSKIP("the guide is not built");
    ArticleIndex index;
    ArticleStore store(DataSourcePaths::fromBase(base), index);
    QVERIFY(store.LoadIndex() > 20);
    DarkWindow window;
    RichTextEdit* edit = window.edit;
    const QColor page = darkPalette().color(QPalette::Base);
    int articles = 0;
    store.ForEachArticle(
        [&](ArticleNumber, const std::string& title, ArticleStore::BodyReader& body) {
            edit->loadRtf(body.body());
            ++articles;
            if (edit->showsLightPage())
                return true;
            for (const auto& [colour, ownBackground] : textColours(*edit->document()))
                if (!ownBackground && RichTextEdit::contrastRatio(colour, page) < 4.5) {
                    qWarning() << title.c_str() << colour.name();
                    return false;
                }
            return true;
        });
    QCOMPARE(articles, int(index.size()));
}

QTEST_MAIN(TestTheme)
#include "tst_theme.moc"
