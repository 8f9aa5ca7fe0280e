// The application's pictures as the screens get them from the resources.
#include <QImage>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Every picture a screen names, and the frames between the named ends of the two animations.
const QStringList kImages =
    QString::fromLatin1(
        "about_help about_privacy about_service about_weibo about_weixin about_wifi "
        "client_add_blacklist client_blacklist_remove client_icon client_limit_rate "
        "client_limited_rate client_manager client_no_blacklist client_other disk_normal "
        "file_default file_default_big file_doc file_doc_big file_folder file_image file_music "
        "file_none file_normal file_select file_video file_zip file_zip_big guide_check "
        "guide_check_selected guide_files_icon guide_text guide_top icon_back introduce_example0 "
        "introduce_example1 introduce_example2 introduce_example3 limitrate_arrow_download "
        "limitrate_arrow_upload limitrate_slider_thumb limitrate_slider_thumb_max loading_gray1 "
        "loading_gray2 loading_green1 loading_green2 loading_purple1 loading_purple2 "
        "loading_white1 loading_white2 loading_white_small1 loading_white_small2 login_icon_shake "
        "login_icon_wifi login_pc_unauth main_icon_notconnected main_icon_popover main_mycomputer "
        "main_mycomputer_login main_mycomputer_login_hl main_popover_all main_popover_doc "
        "main_popover_image main_popover_music main_popover_text main_popover_url "
        "main_popover_video main_qt_airplane0 main_qt_airplane1 main_qt_airplane2 "
        "main_qt_airplane3 main_qt_airplane4 main_qt_airplane5 main_qt_airplane6 "
        "main_qt_airplane7 main_qt_airplane8 main_qt_airplane9 main_qt_airplane10 "
        "main_qt_airplane11 main_qt_failed main_qt_fire0 main_qt_fire1 main_qt_fire2 "
        "main_qt_icon_doc main_qt_icon_folder main_qt_icon_url main_qt_pc main_remotecontrol "
        "main_remotecontrol_login main_remotecontrol_login_hl menu_about menu_feedback "
        "menu_icon_auth menu_icon_connect menu_icon_disconnect menu_introduce menu_upload "
        "menu_wifi nav_color_gradient nav_help nav_menu nav_more qt_background qt_background_hl "
        "qt_icon_all_selected qt_icon_all_unselected qt_icon_doc qt_icon_folder qt_icon_image "
        "qt_icon_link qt_icon_music qt_icon_selected qt_icon_text qt_icon_unselected "
        "qt_icon_video qt_music qt_no_quicktransfer0 qt_no_quicktransfer1 qt_no_quicktransfer2 "
        "qt_video upload_folder_select upload_folder_unselect upload_photo_select "
        "upload_photo_unselect")
        .split(u' ');

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
        QVERIFY2(!one.isNull() && !two.isNull() && !three.isNull(), "a density is missing");
        QCOMPARE(two.size(), one.size() * 2);
        QCOMPARE(three.size(), one.size() * 3);
        QImage clear(three.size(), QImage::Format_Alpha8);
        clear.fill(0);
        QVERIFY2(three.convertToFormat(QImage::Format_Alpha8) != clear, "fully transparent");
    }
};

QTEST_GUILESS_MAIN(TestAssets)
#include "tst_assets.moc"
