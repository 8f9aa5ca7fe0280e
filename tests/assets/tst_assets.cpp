// The application's pictures and pages as the screens get them from the resources, and the tool
// that renders the pictures at build time.
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every picture a screen names, and the frames between the named ends of the two animations.
const QStringList kImages = {
    u"about_help"_s,
    u"about_privacy"_s,
    u"about_service"_s,
    u"about_weibo"_s,
    u"about_weixin"_s,
    u"about_wifi"_s,
    u"client_add_blacklist"_s,
    u"client_blacklist_remove"_s,
    u"client_icon"_s,
    u"client_limit_rate"_s,
    u"client_limited_rate"_s,
    u"client_manager"_s,
    u"client_no_blacklist"_s,
    u"client_other"_s,
    u"disk_normal"_s,
    u"file_default"_s,
    u"file_default_big"_s,
    u"file_doc"_s,
    u"file_doc_big"_s,
    u"file_folder"_s,
    u"file_image"_s,
    u"file_music"_s,
    u"file_none"_s,
    u"file_normal"_s,
    u"file_select"_s,
    u"file_video"_s,
    u"file_zip"_s,
    u"file_zip_big"_s,
    u"guide_check"_s,
    u"guide_check_selected"_s,
    u"guide_files_icon"_s,
    u"guide_text"_s,
    u"guide_top"_s,
    u"icon_back"_s,
    u"introduce_example0"_s,
    u"introduce_example1"_s,
    u"introduce_example2"_s,
    u"introduce_example3"_s,
    u"limitrate_arrow_download"_s,
    u"limitrate_arrow_upload"_s,
    u"limitrate_slider_thumb"_s,
    u"limitrate_slider_thumb_max"_s,
    u"loading_gray1"_s,
    u"loading_gray2"_s,
    u"loading_green1"_s,
    u"loading_green2"_s,
    u"loading_purple1"_s,
    u"loading_purple2"_s,
    u"loading_white1"_s,
    u"loading_white2"_s,
    u"loading_white_small1"_s,
    u"loading_white_small2"_s,
    u"login_icon_shake"_s,
    u"login_icon_wifi"_s,
    u"login_pc_unauth"_s,
    u"main_icon_notconnected"_s,
    u"main_icon_popover"_s,
    u"main_mycomputer"_s,
    u"main_mycomputer_login"_s,
    u"main_mycomputer_login_hl"_s,
    u"main_popover_all"_s,
    u"main_popover_doc"_s,
    u"main_popover_image"_s,
    u"main_popover_music"_s,
    u"main_popover_text"_s,
    u"main_popover_url"_s,
    u"main_popover_video"_s,
    u"main_qt_airplane0"_s,
    u"main_qt_airplane1"_s,
    u"main_qt_airplane2"_s,
    u"main_qt_airplane3"_s,
    u"main_qt_airplane4"_s,
    u"main_qt_airplane5"_s,
    u"main_qt_airplane6"_s,
    u"main_qt_airplane7"_s,
    u"main_qt_airplane8"_s,
    u"main_qt_airplane9"_s,
    u"main_qt_airplane10"_s,
    u"main_qt_airplane11"_s,
    u"main_qt_failed"_s,
    u"main_qt_fire0"_s,
    u"main_qt_fire1"_s,
    u"main_qt_fire2"_s,
    u"main_qt_icon_doc"_s,
    u"main_qt_icon_folder"_s,
    u"main_qt_icon_url"_s,
    u"main_qt_pc"_s,
    u"main_remotecontrol"_s,
    u"main_remotecontrol_login"_s,
    u"main_remotecontrol_login_hl"_s,
    u"menu_about"_s,
    u"menu_feedback"_s,
    u"menu_icon_auth"_s,
    u"menu_icon_connect"_s,
    u"menu_icon_disconnect"_s,
    u"menu_introduce"_s,
    u"menu_upload"_s,
    u"menu_wifi"_s,
    u"nav_color_gradient"_s,
    u"nav_help"_s,
    u"nav_menu"_s,
    u"nav_more"_s,
    u"qt_background"_s,
    u"qt_background_hl"_s,
    u"qt_icon_all_selected"_s,
    u"qt_icon_all_unselected"_s,
    u"qt_icon_doc"_s,
    u"qt_icon_folder"_s,
    u"qt_icon_image"_s,
    u"qt_icon_link"_s,
    u"qt_icon_music"_s,
    u"qt_icon_selected"_s,
    u"qt_icon_text"_s,
    u"qt_icon_unselected"_s,
    u"qt_icon_video"_s,
    u"qt_music"_s,
    u"qt_no_quicktransfer0"_s,
    u"qt_no_quicktransfer1"_s,
    u"qt_no_quicktransfer2"_s,
    u"qt_video"_s,
    u"upload_folder_select"_s,
    u"upload_folder_unselect"_s,
    u"upload_photo_select"_s,
    u"upload_photo_unselect"_s,
};

const QStringList kPages = {u"agreement.html"_s, u"help.html"_s, u"privacy.html"_s};

bool hasVisiblePixel(const QImage &image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(line[x]) > 0)
                return true;
    }
    return false;
}

struct ToolRun
{
    int status = -1;
    QString err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(qEnvironmentVariable("ZEPHYR_SVG2PNG_BIN"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyImageAtEveryDensity_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : kImages)
            QTest::newRow(qPrintable(name)) << name;
    }

    // Qt Quick picks NAME@2x.png and NAME@3x.png beside NAME.png on dense screens and lays them
    // out at the 1x size, so each must be exactly that many times larger.
    void everyImageAtEveryDensity()
    {
        QFETCH(QString, name);
        const QImage one(u":/images/%1.png"_s.arg(name));
        const QImage two(u":/images/%1@2x.png"_s.arg(name));
        const QImage three(u":/images/%1@3x.png"_s.arg(name));
        QVERIFY2(!one.isNull(), "1x missing");
        QVERIFY2(!two.isNull(), "2x missing");
        QVERIFY2(!three.isNull(), "3x missing");
        QCOMPARE(two.size(), one.size() * 2);
        QCOMPARE(three.size(), one.size() * 3);
        QVERIFY2(hasVisiblePixel(one), "fully transparent");
        QVERIFY2(hasVisiblePixel(three), "fully transparent at 3x");
    }

    // A drawing nobody names would ship unseen; a new one belongs in the list above.
    void noImageOutsideTheList()
    {
        const QSet<QString> listed(kImages.cbegin(), kImages.cend());
        static const QRegularExpression file(u"^(.+?)(@[23]x)?\\.png$"_s);
        int files = 0;
        for (QDirIterator it(u":/images"_s, QDir::Files); it.hasNext();) {
            const QString fileName = it.nextFileInfo().fileName();
            const QRegularExpressionMatch match = file.match(fileName);
            QVERIFY2(match.hasMatch(), qPrintable(fileName));
            QVERIFY2(listed.contains(match.captured(1)), qPrintable(fileName));
            ++files;
        }
        QCOMPARE(files, kImages.size() * 3);
    }

    // The pages open in the web screen and the guide's rich text: UTF-8 Chinese, one look, and
    // nothing fetched from elsewhere.
    void pagesAreSelfContained_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        QTest::newRow("agreement") << u"agreement.html"_s << u"用户协议"_s;
        QTest::newRow("help") << u"help.html"_s << u"常见问题"_s;
        QTest::newRow("privacy") << u"privacy.html"_s << u"隐私保护说明书"_s;
    }
    void pagesAreSelfContained()
    {
        QFETCH(QString, page);
        QFETCH(QString, title);
        QFile file(u":/html/"_s + page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf8(bytes);
        QCOMPARE(text.toUtf8(), bytes);
        QVERIFY(text.contains(u"<meta charset=\"utf-8\">"_s));
        QVERIFY(text.contains(u"width=device-width"_s));
        static const QRegularExpression titleTag(u"<title>([^<]*)</title>"_s);
        QVERIFY(titleTag.match(text).captured(1).contains(title));
        QVERIFY(text.contains(u"ZephyrWiFi"_s));
        QVERIFY(!text.contains(u"<script"_s, Qt::CaseInsensitive));
        static const QRegularExpression remote(u"(src|href)\\s*=|url\\(|@import"_s,
                                               QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(!remote.match(text).hasMatch(), qPrintable(remote.match(text).captured()));
        QVERIFY(!text.contains(u"://"_s));
    }

    void noPageOutsideTheList()
    {
        QStringList pages;
        for (QDirIterator it(u":/html"_s, QDir::Files); it.hasNext();)
            pages << it.nextFileInfo().fileName();
        pages.sort();
        QCOMPARE(pages, kPages);
    }

    // One drawing at the three densities: a 2-point line on whole coordinates covers whole
    // pixels at every density, and nothing beside it.
    void toolRendersAtThreeDensities()
    {
        QTemporaryDir dir;
        const QString svg = dir.filePath(u"bar.svg"_s);
        QVERIFY(writeFile(svg, "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" "
                               "height=\"6\"><path d=\"M1 3h6\" stroke=\"#5D93EA\" "
                               "stroke-width=\"2\"/></svg>"));
        const ToolRun run = runTool({svg, dir.filePath(u"out/bar"_s)});
        QCOMPARE(run.status, 0);
        QVERIFY(run.err.isEmpty());
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
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        }
    }

    // A drawing the tool cannot render whole fails the build with a message and leaves no file.
    void toolRefusesBadDrawings_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("not XML") << QByteArray("not a drawing") << u"line 1"_s;
        QTest::newRow("cut short") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                                 "width=\"8\" height=\"8\"><path d=\"M0 0h")
                                   << u"understands"_s;
        QTest::newRow("no size") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\">"
                                               "<rect width=\"4\" height=\"4\"/></svg>")
                                 << u"whole points"_s;
        QTest::newRow("huge") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                            "width=\"100000\" height=\"8\"/>")
                              << u"whole points"_s;
        QTest::newRow("half points") << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" "
                                                   "width=\"27.5\" height=\"8\"/>")
                                     << u"whole points"_s;
        QTest::newRow("unknown paint")
            << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"8\" height=\"8\">"
                          "<rect width=\"4\" height=\"4\" fill=\"url(#nowhere)\"/></svg>")
            << u"#nowhere"_s;
    }
    void toolRefusesBadDrawings()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString svg = dir.filePath(u"bad.svg"_s);
        QVERIFY(writeFile(svg, content));
        const ToolRun run = runTool({svg, dir.filePath(u"bad"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QVERIFY(!QFile::exists(dir.filePath(u"bad.png"_s)));
    }

    void toolFailsOnMissingFilesAndWords()
    {
        QTemporaryDir dir;
        ToolRun run = runTool({dir.filePath(u"none.svg"_s), dir.filePath(u"none"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"no such file"_s));
        QCOMPARE(runTool({}).status, 2);
        QCOMPARE(runTool({u"--help"_s, u"x"_s}).status, 2);
        run = runTool({u"--contact-sheet"_s, dir.filePath(u"s.png"_s), dir.filePath(u"nowhere"_s)});
        QCOMPARE(run.status, 1);
        QVERIFY(run.err.contains(u"no such folder"_s));
    }

    // The contact sheet lays out what a folder of rendered pictures holds.
    void contactSheetOfRenderedPictures()
    {
        QTemporaryDir dir;
        for (const QString &name : {u"a"_s, u"b"_s}) {
            QImage image(QSize(40, 20), QImage::Format_ARGB32);
            image.fill(QColor(0x5D, 0x93, 0xEA));
            QVERIFY(image.save(dir.filePath(u"%1@2x.png"_s.arg(name))));
        }
        const QString sheetPath = dir.filePath(u"shots/assets.png"_s);
        const ToolRun run = runTool({u"--contact-sheet"_s, sheetPath, dir.path()});
        QCOMPARE(run.status, 0);
        const QImage sheet(sheetPath);
        QVERIFY(!sheet.isNull());
        // Each picture twice, once on the light and once on the dark background.
        int accent = 0;
        const QImage argb = sheet.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < argb.height(); ++y)
            for (int x = 0; x < argb.width(); ++x)
                accent += argb.pixel(x, y) == qRgb(0x5D, 0x93, 0xEA);
        QCOMPARE(accent, 2 * 2 * 40 * 20);
    }
};

QTEST_GUILESS_MAIN(TestAssets)
#include "tst_assets.moc"
