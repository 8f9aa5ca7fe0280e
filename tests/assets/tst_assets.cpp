// The application's pictures and pages as the screens get them from the resources, and the tool
// that renders the pictures at build time.
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kPages = {u"agreement.html"_s, u"help.html"_s, u"privacy.html"_s};

bool hasVisiblePixel(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                return true;
    return false;
}

// The tool's exit status (-1 when it crashed or hung) and what it wrote on stderr.
std::pair<int, QString> runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("ZEPHYR_SVG2PNG_BIN"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, {}};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray svgOpen(const char *attributes)
{
    return QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" ") + attributes + '>';
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyImageAtEveryDensity_data()
    {
        QTest::addColumn<QString>("name");
        for (QDirIterator it(u":/images"_s, QDir::Files); it.hasNext();) {
            const QString file = it.nextFileInfo().fileName();
            if (!file.contains(u'@'))
                QTest::newRow(qPrintable(file)) << file.chopped(4);
        }
    }

    // Qt Quick picks NAME@2x.png and NAME@3x.png beside NAME.png on dense screens and lays them
    // out at the 1x size, so each must be there and exactly that many times larger. (A picture
    // a screen names and that is missing fails the window and view tests that show it: a QML
    // warning.)
    void everyImageAtEveryDensity()
    {
        QFETCH(QString, name);
        const QImage one(u":/images/%1.png"_s.arg(name));
        const QImage two(u":/images/%1@2x.png"_s.arg(name));
        const QImage three(u":/images/%1@3x.png"_s.arg(name));
        QVERIFY2(!one.isNull() && !two.isNull() && !three.isNull(), "a density is missing");
        QCOMPARE(two.size(), one.size() * 2);
        QCOMPARE(three.size(), one.size() * 3);
        QVERIFY2(hasVisiblePixel(one), "fully transparent");
        QVERIFY2(hasVisiblePixel(three), "fully transparent at 3x");
    }

    void noStrayFilesAmongTheImages()
    {
        static const QRegularExpression file(u"^[a-z0-9_]+(@[23]x)?\\.png$"_s);
        int files = 0, names = 0;
        for (QDirIterator it(u":/images"_s, QDir::Files); it.hasNext(); ++files) {
            const QString fileName = it.nextFileInfo().fileName();
            QVERIFY2(file.match(fileName).hasMatch(), qPrintable(fileName));
            names += !fileName.contains(u'@');
        }
        QVERIFY(names > 100);
        QCOMPARE(files, names * 3);
    }

    // The pages open in the web screen and the guide's rich text: UTF-8 Chinese, one look, and
    // nothing fetched from elsewhere.
    void pagesAreSelfContained()
    {
        QStringList pages;
        for (QDirIterator it(u":/html"_s, QDir::Files); it.hasNext();)
            pages << it.nextFileInfo().fileName();
        pages.sort();
        QCOMPARE(pages, kPages);
        static const QRegularExpression remote(u"(src|href)\\s*=|url\\(|@import|://|<script"_s,
                                               QRegularExpression::CaseInsensitiveOption);
        for (const QString &page : kPages) {
            QFile file(u":/html/"_s + page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const QString text = QString::fromUtf8(bytes);
            QCOMPARE(text.toUtf8(), bytes);
            QVERIFY2(text.contains(u"<meta charset=\"utf-8\">"_s), qPrintable(page));
            QVERIFY2(text.contains(u"width=device-width"_s), qPrintable(page));
            QVERIFY2(!remote.match(text).hasMatch(),
                     qPrintable(page + remote.match(text).captured()));
        }
    }

    // One drawing at the three densities: a 2-point line on whole coordinates covers whole
    // pixels at every density, and nothing beside it.
    void toolRendersAtThreeDensities()
    {
        QTemporaryDir dir;
        const QString svg = dir.filePath(u"bar.svg"_s);
        QVERIFY(
            writeFile(svg, svgOpen("width=\"8\" height=\"6\"") +
                               "<path d=\"M1 3h6\" stroke=\"#5D93EA\" stroke-width=\"2\"/></svg>"));
        const auto [status, err] = runTool({svg, dir.filePath(u"out/bar"_s)});
        QCOMPARE(status, 0);
        QVERIFY(err.isEmpty());
        for (const int scale : {1, 2, 3}) {
            const QString path = scale == 1 ? dir.filePath(u"out/bar.png"_s)
                                            : dir.filePath(u"out/bar@%1x.png"_s.arg(scale));
            QImage image(path);
            QVERIFY2(!image.isNull(), qPrintable(path));
            QCOMPARE(image.size(), QSize(8, 6) * scale);
            image = image.convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.pixel(4 * scale, 2 * scale), qRgba(0x5D, 0x93, 0xEA, 0xFF));
            QCOMPARE(image.pixel(4 * scale, 4 * scale - 1), qRgba(0x5D, 0x93, 0xEA, 0xFF));
            QCOMPARE(qAlpha(image.pixel(4 * scale, 2 * scale - 1)), 0);
            QCOMPARE(qAlpha(image.pixel(4 * scale, 4 * scale)), 0);
        }
    }

    // A drawing the tool cannot render whole, or none, fails the build with a message and leaves
    // no file.
    void toolRefusesBadDrawings_data()
    {
        QTest::addColumn<QByteArray>("drawing");
        QTest::addColumn<QString>("message");
        QTest::newRow("not XML") << QByteArray("not a drawing") << u"line 1"_s;
        QTest::newRow("cut short")
            << svgOpen("width=\"8\" height=\"8\"") + "<path d=\"M0 0h" << u"understands"_s;
        QTest::newRow("huge") << svgOpen("width=\"100000\" height=\"8\"") + "</svg>"
                              << u"whole points"_s;
        QTest::newRow("half points")
            << svgOpen("width=\"27.5\" height=\"8\"") + "</svg>" << u"whole points"_s;
        QTest::newRow("unknown paint")
            << svgOpen("width=\"8\" height=\"8\"") +
                   "<rect width=\"4\" height=\"4\" fill=\"url(#nowhere)\"/></svg>"
            << u"#nowhere"_s;
        QTest::newRow("missing") << QByteArray() << u"no such file"_s;
    }
    void toolRefusesBadDrawings()
    {
        QFETCH(QByteArray, drawing);
        QFETCH(QString, message);
        QTemporaryDir dir;
        if (!drawing.isEmpty())
            QVERIFY(writeFile(dir.filePath(u"bad.svg"_s), drawing));
        const auto [status, err] = runTool({dir.filePath(u"bad.svg"_s), dir.filePath(u"bad"_s)});
        QCOMPARE(status, 1);
        QVERIFY2(err.contains(message), qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath(u"bad.png"_s)));
    }
};

QTEST_GUILESS_MAIN(TestAssets)
#include "tst_assets.moc"
