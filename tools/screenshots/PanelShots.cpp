#include "AppShell.h"
#include "PcSim.h"
#include "QuickTransferAnimationViewController.h"
#include "RuntimeState.h"
#include "Shots.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QPainter>
#include <QTest>

using namespace Qt::StringLiterals;
using Panel = QuickTransferAnimationViewController;

namespace {
Panel *openPanel(ShotContext &c)
{
    for (ScreenController *screen : c.shell->router()->openScreens())
        if (auto *panel = qobject_cast<Panel *>(screen))
            return panel;
    return nullptr;
}

// Closes the panel on screen, if any, and waits until it has gone.
void closePanel(ShotContext &c)
{
    if (Panel *panel = openPanel(c))
        panel->tappedCloseButton();
    QElapsedTimer clock;
    clock.start();
    while (openPanel(c) && clock.elapsed() < 5000)
        QTest::qWait(50);
}

// A fresh shake with this selection on the PC.
std::function<void(ShotContext &)> shake(const QJsonObject &selection,
                                         std::function<void(PcSim &)> faults = {})
{
    return [selection, faults](ShotContext &c) {
        closePanel(c);
        c.pc->control(u"fault"_s, {{u"target"_s, u"*"_s}, {u"kind"_s, u"clear"_s}});
        c.pc->control(u"selection"_s, selection);
        if (faults)
            faults(*c.pc);
        c.shell->main()->getQuickTransfer();
    };
}

std::function<bool(ShotContext &)> stageIs(Panel::Stage stage)
{
    return [stage](ShotContext &c) {
        Panel *panel = openPanel(c);
        return panel && panel->stage() == stage;
    };
}

// The PC's files the panel's shots pick: a photo, large media and a large document.
void fillPc(PcSim &pc)
{
    QDir root(pc.rootPath());
    root.mkpath(u"Desktop/旅行照片"_s);
    root.mkpath(u"D:/Videos"_s);
    QImage photo(1200, 800, QImage::Format_RGB32);
    QPainter p(&photo);
    QLinearGradient sky(0, 0, 0, 520);
    sky.setColorAt(0, QColor(0x5D, 0x93, 0xEA));
    sky.setColorAt(1, QColor(0xF7, 0xC9, 0x8B));
    p.fillRect(photo.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xFF, 0xE2, 0x8A));
    p.drawEllipse(QPointF(850, 360), 90, 90);
    p.setBrush(QColor(0x2B, 0x6C, 0x8F));
    p.drawRect(0, 520, 1200, 280);
    p.setBrush(QColor(0x3E, 0x4A, 0x3D));
    p.drawPolygon(QPolygonF({QPointF(0, 520), QPointF(260, 300), QPointF(520, 520)}));
    p.drawPolygon(QPolygonF({QPointF(380, 520), QPointF(640, 360), QPointF(900, 520)}));
    p.end();
    photo.save(root.filePath(u"Desktop/旅行照片/海边日落.jpg"_s), "JPG", 85);
    const auto write = [&](const QString &path, qint64 size) {
        QFile f(root.filePath(path));
        if (f.open(QIODevice::WriteOnly))
            f.resize(size);
    };
    write(u"D:/Videos/毕业旅行纪录片.mp4"_s, 86000000);
    write(u"D:/Music/现场录音-完整版.mp3"_s, 12500000);
    write(u"C:/Users/me/Documents/产品需求说明书-终稿.docx"_s, 7300000);
}
} // namespace

void addPanelShots(std::vector<Shot> &shots)
{
    // The flight and the waiting state: the answer is held back by the PC.
    shots.push_back({u"panel-flight"_s,
                     [](ShotContext &c) {
                         fillPc(*c.pc);
                         // Earlier screens may have left the phone logged out: log in again.
                         c.shell->main()->viewDidLoad();
                         QElapsedTimer clock;
                         clock.start();
                         while (!c.shell->state()->isAuthorized() && clock.elapsed() < 5000)
                             QTest::qWait(50);
                         shake({{u"type"_s, u"text"_s}, {u"text"_s, u"周末见"_s}}, [](PcSim &pc) {
                             pc.fault(u"cgi/pc_shake.mo"_s, u"delay"_s, 6000);
                         })(c);
                     },
                     stageIs(Panel::Flying), 450});
    shots.push_back({u"panel-waiting"_s, [](ShotContext &) {}, stageIs(Panel::Waiting), 700});
    shots.push_back({u"panel-text"_s,
                     shake({{u"type"_s, u"text"_s},
                            {u"text"_s, u"周五下午三点产品评审，地点在三楼大会议室，记得带上样机和"
                                        u"打印好的需求文档。"_s}}),
                     stageIs(Panel::Result)});
    shots.push_back({u"panel-link"_s,
                     shake({{u"type"_s, u"url"_s},
                            {u"url"_s, u"https://news.example.com/tech/2026/12/wifi-7"_s},
                            {u"title"_s, u"WiFi 7 路由器选购指南：这些参数最重要"_s}}),
                     stageIs(Panel::Result)});
    shots.push_back(
        {u"panel-image"_s,
         shake({{u"type"_s, u"file"_s}, {u"path"_s, u"Desktop/旅行照片/海边日落.jpg"_s}}),
         stageIs(Panel::Result)});
    shots.push_back(
        {u"panel-document-small"_s,
         shake({{u"type"_s, u"file"_s}, {u"path"_s, u"C:/Users/me/Documents/季度报告.pdf"_s}}),
         stageIs(Panel::Result)});
    shots.push_back({u"panel-document-large"_s,
                     shake({{u"type"_s, u"file"_s},
                            {u"path"_s, u"C:/Users/me/Documents/产品需求说明书-终稿.docx"_s}}),
                     stageIs(Panel::Result)});
    shots.push_back(
        {u"panel-video-large"_s,
         shake({{u"type"_s, u"file"_s}, {u"path"_s, u"D:/Videos/毕业旅行纪录片.mp4"_s}}),
         stageIs(Panel::Result)});
    shots.push_back(
        {u"panel-music-large"_s,
         shake({{u"type"_s, u"file"_s}, {u"path"_s, u"D:/Music/现场录音-完整版.mp3"_s}}),
         stageIs(Panel::Result)});
    shots.push_back({u"panel-folder"_s,
                     shake({{u"type"_s, u"folder"_s}, {u"path"_s, u"Desktop/旅行照片"_s}}),
                     stageIs(Panel::Result)});
    shots.push_back({u"panel-failed"_s,
                     shake({{u"type"_s, u"text"_s}, {u"text"_s, u"x"_s}},
                           [](PcSim &pc) { pc.fault(u"cgi/pc_shake.mo"_s, u"garbage"_s); }),
                     stageIs(Panel::Failed)});
    shots.push_back({u"panel-unknown"_s,
                     shake({{u"type"_s, u"unknown"_s}},
                           [](PcSim &pc) { pc.fault(u"cgi/pc_screencut.mo"_s, u"delay"_s, 5000); }),
                     stageIs(Panel::Unknown)});
    shots.push_back(
        {u"panel-unknown-screenshot"_s, shake({{u"type"_s, u"unknown"_s}}), [](ShotContext &c) {
             Panel *panel = openPanel(c);
             return panel && panel->stage() == Panel::Unknown && panel->kind() == Panel::ImageKind;
         }});
    shots.push_back({u"panel-closed"_s, [](ShotContext &c) { closePanel(c); }});
}
