// The shell opens a transfer panel for each fetch and routes what the panel asks for.

#include "AppShell.h"
#include "NotificationNames.h"
#include "QuickTransferAnimationViewController.h"
#include "TestCore.h"
#include "TextViewController.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using Panel = QuickTransferAnimationViewController;

class TestTransferPanelRouting : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestCore> m_core;
    std::unique_ptr<AppShell> m_shell;

    // The panel on screen, its opening started as its view starts it.
    Panel *openPanel()
    {
        const auto screens = m_shell->router()->openScreens();
        auto *panel = screens.isEmpty() ? nullptr : qobject_cast<Panel *>(screens.last());
        if (panel)
            panel->showInView();
        return panel;
    }

    // The panel's closing animation, as its view plays it.
    void closeFinished(Panel *panel)
    {
        QVERIFY(panel->isClosing());
        panel->closeFinished();
    }

private Q_SLOTS:
    void init()
    {
        m_core = std::make_unique<TestCore>();
        m_shell = std::make_unique<AppShell>(*m_core->core);
        m_core->core->runtimeState()->setStatus(AppStatusAuthorized);
    }
    void cleanup()
    {
        m_shell.reset();
        m_core.reset();
    }

    void aFetchOpensThePanelOverTheMainScreen()
    {
        m_shell->main()->getQuickTransfer();
        Panel *panel = openPanel();
        QVERIFY(panel);
        QVERIFY(m_shell->main()->isSubScreenOpen());
        panel->tappedCloseButton();
        closeFinished(panel);
        QCOMPARE(m_shell->router()->openCount(), 0);
        QVERIFY(!m_shell->main()->isSubScreenOpen());
    }

    void retryOpensANewPanelOnceTheOldOneHasGone()
    {
        m_shell->main()->getQuickTransfer();
        Panel *first = openPanel();
        m_core->hub()->post(Notifications::GetQuickTransferFailed, {{u"isUnknown"_s, false}});
        QTRY_COMPARE_WITH_TIMEOUT(first->stage(), Panel::Failed, 4000);
        first->tappedRetryButton();
        closeFinished(first);
        QTRY_COMPARE(m_shell->router()->openCount(), 1);
        QVERIFY(openPanel() != first);
    }

    void aTextOpensTheTextScreenAfterThePanelHasGone()
    {
        m_shell->main()->getQuickTransfer();
        Panel *panel = openPanel();
        auto record = QuickTransferObject::create();
        record->type = QuickTransferTypeText;
        record->dt = u"会议纪要"_s;
        m_core->hub()->post(Notifications::GetNewQuickTransfer,
                            {{u"object"_s, QVariant::fromValue(record)}});
        QTRY_COMPARE_WITH_TIMEOUT(panel->stage(), Panel::Result, 4000);
        panel->tappedContentButton();
        QCOMPARE(m_shell->router()->openCount(), 1);
        closeFinished(panel);
        QTRY_COMPARE(m_shell->router()->openCount(), 1);
        auto *screen = qobject_cast<TextViewController *>(m_shell->router()->openScreens().last());
        QVERIFY(screen);
        QCOMPARE(screen->text(), u"会议纪要"_s);
    }

    void aLinkOpensTheWebPageOverThePanelUntilItCloses()
    {
        m_shell->main()->getQuickTransfer();
        Panel *panel = openPanel();
        auto record = QuickTransferObject::create();
        record->type = QuickTransferTypeLink;
        record->url = u"http://example.org/"_s;
        m_core->hub()->post(Notifications::GetNewQuickTransfer,
                            {{u"object"_s, QVariant::fromValue(record)}});
        QTRY_COMPARE_WITH_TIMEOUT(panel->stage(), Panel::Result, 4000);
        panel->tappedContentButton();
        QCOMPARE(m_shell->router()->openCount(), 2);
        ScreenController *web = m_shell->router()->openScreens().last();
        QVERIFY(web != panel);
        QVERIFY(panel->isSelfViewConvered());
        web->back();
        web->closeFinished();
        QVERIFY(!panel->isSelfViewConvered());
    }

    void aPictureRequestNoScreenAnswersLeavesThePanelFree()
    {
        m_shell->main()->getQuickTransfer();
        Panel *panel = openPanel();
        auto record = QuickTransferObject::create();
        record->type = QuickTransferTypeImage;
        record->localPath = u"photo.jpg"_s;
        const QVariantMap object{{u"object"_s, QVariant::fromValue(record)}};
        m_core->hub()->post(Notifications::GetNewQuickTransfer, object);
        m_core->hub()->post(Notifications::DownloadFileFinished, object);
        QTRY_COMPARE_WITH_TIMEOUT(panel->stage(), Panel::Result, 4000);
        panel->tappedContentButton();
        QVERIFY(!panel->isSelfViewConvered());

        QSignalSpy picture(m_shell.get(), &AppShell::openPictureRequested);
        panel->tappedContentButton();
        QCOMPARE(picture.count(), 1);
        QVERIFY(panel->isSelfViewConvered());
    }
};

QTEST_GUILESS_MAIN(TestTransferPanelRouting)
#include "tst_transfer_panel_routing.moc"
