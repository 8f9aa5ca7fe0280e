#include "TestCore.h"

#include "QuickTransferUtils.h"
#include "RuntimeState.h"
#include "SaveMemoryImageLoader.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace Qt::StringLiterals;

class TestQuickTransferUtils : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_core = std::make_unique<TestCore>(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        m_core.reset();
    }

    void rowHeights()
    {
        QCOMPARE(QuickTransferUtils::textRowHeight(40.2), 80);
        QCOMPARE(QuickTransferUtils::textRowHeight(94.5), 134);
        QCOMPARE(QuickTransferUtils::textRowHeight(95), 134);
        QCOMPARE(QuickTransferUtils::textRowHeight(300), 134);
        auto r = QuickTransferObject::createWithPath(u"a.mp4"_s);
        QCOMPARE(QuickTransferUtils::getCellHeight(*r), 210);
        r->type = QuickTransferTypeMusic;
        QCOMPARE(QuickTransferUtils::getCellHeight(*r), 103);
        r->type = QuickTransferTypeOldDocument;
        QCOMPARE(QuickTransferUtils::getCellHeight(*r), 0);
        auto img = QuickTransferObject::createWithPath(u"a.png"_s);
        QCOMPARE(QuickTransferUtils::getCellHeight({img}), 176);
        QCOMPARE(QuickTransferUtils::getCellHeight({img, img}), 149);
        QCOMPARE(QuickTransferUtils::getCellHeight({img, img, img}), 112);
        QCOMPARE(QuickTransferUtils::getCellHeight(QList<QuickTransferObjectPtr>{}), 0);

        auto text = QuickTransferObject::createWithDictionary(u"短"_s, u"text"_s);
        const int one = QuickTransferUtils::getCellHeight(*text);
        QVERIFY(one > 39 && one < 134);
        text->dt = QString(2000, u'字');
        QCOMPARE(QuickTransferUtils::getCellHeight(*text), 134);
    }

    void loaderScalesOnceAndCapsLiveLoads()
    {
        auto r = QuickTransferObject::createWithPath(u"C:/big.png"_s);
        QImage big(400, 300, QImage::Format_RGB32);
        big.fill(Qt::blue);
        QDir().mkpath(QFileInfo(r->downloadPath()).absolutePath());
        QVERIFY(big.save(r->downloadPath()));
        r->size = 10;
        r->finishedSize = 9;
        SaveMemoryImageLoader loader(QSize(100, 75));
        QVERIFY(loader.load(*r).isEmpty()); // not complete yet
        r->finishedSize = 10;

        // Eleven loads already live: the oldest is pushed out.
        auto *state = RuntimeState::sharedInstance();
        for (int i = 0; i < 11; ++i)
            state->addSavingMemoryBlockUUID(u"t%1"_s.arg(i));
        QSignalSpy loaded(&loader, &SaveMemoryImageLoader::imageLoaded);
        const QString token = loader.load(*r);
        QVERIFY(!token.isEmpty());
        QTRY_COMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().at(0).toString(), token);
        QCOMPARE(loaded.first().at(1).value<QImage>().size(), QSize(100, 75));
        QVERIFY(!state->containsSavingMemoryBlockUUID(u"t0"_s));
        QVERIFY(state->containsSavingMemoryBlockUUID(u"t1"_s));
        QVERIFY(!state->containsSavingMemoryBlockUUID(token));
        QVERIFY(QFileInfo::exists(r->thumbnailPath()));

        // Later showings read the thumbnail, even once the full file is gone.
        QFile::remove(r->downloadPath());
        loader.load(*r);
        QTRY_COMPARE(loaded.size(), 2);
        QCOMPARE(loaded.last().at(1).value<QImage>().size(), QSize(100, 75));

        // A missing file shows nothing.
        QSignalSpy skipped(&loader, &SaveMemoryImageLoader::loadSkipped);
        auto none = QuickTransferObject::createWithPath(u"C:/none.png"_s);
        loader.load(*none);
        QTRY_COMPARE(skipped.size(), 1);
    }

private:
    std::unique_ptr<TestCore> m_core;
};

QTEST_MAIN(TestQuickTransferUtils)
#include "tst_quicktransferutils.moc"
