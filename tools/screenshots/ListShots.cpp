#include "AppCore.h"
#include "AppShell.h"
#include "NotificationCenter.h"
#include "NotificationNames.h"
#include "Shots.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

// A picture as a phone's camera might have taken it: sky, hills and a sun.
void drawPicture(const QString &path, int seed)
{
    QImage image(960, 720, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient sky(0, 0, 0, 720);
    sky.setColorAt(0, QColor::fromHsv((200 + seed * 35) % 360, 120, 240));
    sky.setColorAt(1, QColor::fromHsv((220 + seed * 35) % 360, 40, 255));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 90));
    p.drawEllipse(QPointF(700 - seed * 60, 200), 70, 70);
    p.setBrush(QColor::fromHsv((100 + seed * 20) % 360, 140, 150));
    p.drawEllipse(QPointF(200 + seed * 50, 780), 520, 300);
    p.setBrush(QColor::fromHsv((120 + seed * 20) % 360, 160, 120));
    p.drawEllipse(QPointF(820 - seed * 30, 820), 480, 320);
    p.end();
    image.save(path, "JPG", 85);
}

QuickTransferObjectPtr make(quint64 type, const QString &path, quint64 size, quint64 finished)
{
    auto r = QuickTransferObject::create();
    r->type = type;
    r->path = path;
    r->size = size;
    r->finishedSize = finished;
    return r;
}

// The history a person would have after a few days: saved through the hub as the PC's answers
// are, oldest first.
void seedHistory(AppShell *shell)
{
    NotificationCenter *hub = NotificationCenter::defaultCenter();
    AppCore *core = AppCore::current();
    const QString library = core->libraryPath();
    QDir().mkpath(core->libraryPath(u"qt"_s));
    auto save = [&](const QuickTransferObjectPtr &r) {
        r->applyLocalFileNameRule();
        hub->post(Notifications::SaveQuickTransfer, {{u"object"_s, QVariant::fromValue(r)}});
        return r->identifier;
    };
    auto picture = [&](const QString &path, int seed, quint64 firstId) {
        auto r = make(QuickTransferTypeImage, path, 0, 0);
        r->md5 = QString::number(0xabc000 + seed, 16).rightJustified(32, u'0');
        r->first_id = firstId;
        r->applyLocalFileNameRule();
        drawPicture(r->downloadPath(library), seed);
        r->size = r->finishedSize = quint64(QFileInfo(r->downloadPath(library)).size());
        return save(r);
    };

    auto music = make(QuickTransferTypeMusic, u"D:\\Music\\夜曲.mp3"_s, 3600000, 3600000);
    save(music);
    auto video = make(QuickTransferTypeVideo, u"D:\\Videos\\发布会回放.mp4"_s, 48000000, 0);
    video->url = u"http://192.168.23.1:8360/pc/D:/Videos/发布会回放.mp4"_s;
    save(video);
    auto folder = QuickTransferObject::create();
    folder->type = QuickTransferTypeFolder;
    folder->dt = u"C:\\Users\\me\\Documents\\项目资料"_s;
    save(folder);
    const quint64 head = picture(u"Desktop/旅行照片/海边.jpg"_s, 1, 0);
    picture(u"Desktop/旅行照片/山顶.jpg"_s, 2, head);
    picture(u"Desktop/旅行照片/日落.jpg"_s, 3, head);
    picture(u"Desktop/旅行照片/晚餐.jpg"_s, 4, head);
    auto longText = QuickTransferObject::create();
    longText->type = QuickTransferTypeText;
    QString body;
    for (int i = 1; i <= 60; ++i)
        body +=
            u"%1. 周五下午三点产品评审，请带上样机和测试报告；评审结束后整理意见，下周一前发给大家。\n"_s
                .arg(i);
    longText->dt = body;
    save(longText);
    auto link = QuickTransferObject::create();
    link->type = QuickTransferTypeLink;
    link->title = u"ZephyrWiFi 使用帮助 — 快传、遥控与热点管理"_s;
    link->url = u"https://www.zephyrwifi.com/help/quick-transfer"_s;
    save(link);
    auto untitled = QuickTransferObject::create();
    untitled->type = QuickTransferTypeLink;
    untitled->url = u"https://example.org/articles/2026/12/07/a-very-long-address-of-a-page"_s;
    save(untitled);
    picture(u"Desktop/截图.jpg"_s, 5, 0);
    auto doc = make(QuickTransferTypeDocument, u"C:\\Users\\me\\Documents\\季度报告.pdf"_s, 420000,
                    420000);
    save(doc);
    auto text = QuickTransferObject::create();
    text->type = QuickTransferTypeText;
    text->dt = u"周五下午三点产品评审，带上样机。"_s;
    save(text);
    auto rtl = QuickTransferObject::create();
    rtl->type = QuickTransferTypeText;
    rtl->dt = u"مرحبا! نلتقي غدا في المكتب 👋🎉"_s;
    save(rtl);
    // A download in progress, newest.
    auto downloading =
        make(QuickTransferTypeDocument, u"D:\\安装包\\设计稿合集.zip"_s, 8600000, 3870000);
    save(downloading);
    // What the download has written so far.
    QFile part(downloading->partialPath(library));
    QDir().mkpath(QFileInfo(part.fileName()).absolutePath());
    if (part.open(QIODevice::WriteOnly))
        part.write(QByteArray(3870000, 'z'));
    hub->post(Notifications::RefreshQuickTransferList);
    Q_UNUSED(shell);
}

int rowOfKind(AppShell *shell, QuickTransferListModel::Kind kind, int skip = 0)
{
    QuickTransferListModel *model = shell->main()->listModel();
    for (int i = 0; i < model->recordRowCount(); ++i)
        if (model->kindAt(i) == kind && skip-- == 0)
            return i;
    return -1;
}

void closeScreens(AppShell *shell)
{
    for (ScreenController *screen : shell->router()->openScreens())
        screen->back();
}

} // namespace

void addListShots(std::vector<Shot> &shots)
{
    // Every filter's empty list, before anything was received.
    for (int i = 0; i < 7; ++i)
        shots.push_back(
            {u"list-empty-%1"_s.arg(i), [i](ShotContext &c) { c.shell->main()->chooseFilter(i); }});
    shots.push_back({u"list"_s,
                     [](ShotContext &c) {
                         c.shell->main()->chooseFilter(0);
                         seedHistory(c.shell);
                     },
                     [](ShotContext &c) { return !c.shell->main()->isEmpty(); }, 1500});
    shots.push_back({u"list-scrolled"_s,
                     [](ShotContext &c) {
                         Q_EMIT c.shell->main()->scrollToRow(
                             rowOfKind(c.shell, QuickTransferListModel::Kind::ImageGroup));
                     },
                     [](ShotContext &) { return true; }, 1200});
    shots.push_back({u"list-scrolled-end"_s, [](ShotContext &c) {
                         Q_EMIT c.shell->main()->scrollToRow(
                             c.shell->main()->listModel()->recordRowCount() - 3);
                     }});
    shots.push_back({u"list-filter-menu"_s, [](ShotContext &c) {
                         Q_EMIT c.shell->main()->scrollToRow(0);
                         c.shell->main()->setFilterMenuOpen(true);
                     }});
    shots.push_back(
        {u"list-filtered-images"_s, [](ShotContext &c) { c.shell->main()->chooseFilter(1); }});
    shots.push_back({u"list-selection"_s, [](ShotContext &c) {
                         c.shell->main()->showAllQuickTransferWithoutFilter();
                         c.shell->main()->edit();
                         c.shell->main()->tappedRowContent(1);
                         c.shell->main()->tappedRowContent(3);
                     }});
    shots.push_back(
        {u"list-delete-alert"_s, [](ShotContext &c) { c.shell->main()->deleteSelected(); }});
    shots.push_back({u"text-short"_s,
                     [](ShotContext &c) {
                         c.shell->dialogs()->choose(0);
                         c.shell->main()->edit();
                         c.shell->main()->tappedRowContent(
                             rowOfKind(c.shell, QuickTransferListModel::Kind::Text, 1));
                     },
                     [](ShotContext &c) { return c.shell->router()->openCount() > 0; }, 800});
    shots.push_back({u"text-long"_s,
                     [](ShotContext &c) {
                         closeScreens(c.shell);
                         c.shell->main()->tappedRowContent(
                             rowOfKind(c.shell, QuickTransferListModel::Kind::Text, 2));
                     },
                     [](ShotContext &c) { return c.shell->router()->openCount() == 1; }, 1000});
    shots.push_back({u"share-sheet"_s, [](ShotContext &c) {
                         closeScreens(c.shell);
                         c.shell->shareTextSheet()->showShareTextStringActionSheet(
                             u"https://www.zephyrwifi.com/help/quick-transfer"_s);
                     }});
    shots.push_back({u"list-after"_s, [](ShotContext &c) { c.shell->dialogs()->dismiss(); }});
}
