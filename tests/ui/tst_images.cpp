#include "TestCore.h"

#include "ImageFiles.h"
#include "LocalFiles.h"
#include "RuntimeState.h"
#include "SaveMemoryImageLoader.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace Qt::StringLiterals;

class TestImages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_core = std::make_unique<TestCore>(); }
    void cleanup()
    {
        QThreadPool::globalInstance()->waitForDone();
        m_core.reset();
    }

    void loaderScalesOnceAndCapsLiveLoads()
    {
        const QString lib = m_core->core->libraryPath();
        auto r = QuickTransferObject::createWithPath(u"C:/big.png"_s);
        QImage big(400, 300, QImage::Format_RGB32);
        big.fill(Qt::blue);
        QDir().mkpath(QFileInfo(r->downloadPath(lib)).absolutePath());
        QVERIFY(big.save(r->downloadPath(lib)));
        r->size = 10;
        r->finishedSize = 9;
        RuntimeState *state = m_core->core->runtimeState();
        SaveMemoryImageLoader loader(QSize(100, 75), *state, lib);
        QVERIFY(loader.load(*r).isEmpty()); // not complete yet
        r->finishedSize = 10;

        // Eleven loads already live: the oldest is pushed out.
        for (int i = 0; i < 11; ++i)
            state->addSavingMemoryBlockUUID(u"t"_s + QString::number(i));
        QSignalSpy loaded(&loader, &SaveMemoryImageLoader::imageLoaded);
        const QString token = loader.load(*r);
        QVERIFY(!token.isEmpty());
        QTRY_COMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().at(0).toString(), token);
        QCOMPARE(loaded.first().at(1).value<QImage>().size(), QSize(100, 75));
        QVERIFY(!state->containsSavingMemoryBlockUUID(u"t0"_s));
        QVERIFY(state->containsSavingMemoryBlockUUID(u"t1"_s));
        QVERIFY(!state->containsSavingMemoryBlockUUID(token));
        QVERIFY(QFileInfo::exists(r->thumbnailPath(lib)));

        // Later showings read the thumbnail, even once the full file is gone.
        QFile::remove(r->downloadPath(lib));
        loader.load(*r);
        QTRY_COMPARE(loaded.size(), 2);
        QCOMPARE(loaded.last().at(1).value<QImage>().size(), QSize(100, 75));

        // A missing file shows nothing.
        QSignalSpy skipped(&loader, &SaveMemoryImageLoader::loadSkipped);
        auto none = QuickTransferObject::createWithPath(u"C:/none.png"_s);
        loader.load(*none);
        QTRY_COMPARE(skipped.size(), 1);
    }

    void savesImagesWithTheirDate()
    {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QString path = m_core->core->libraryPath(u"image/deep/p.jpg"_s);
        const QDateTime date = QDateTime::fromSecsSinceEpoch(1600000000, Qt::UTC);
        QVERIFY(ImageFiles::saveImage(image, path, date));
        QCOMPARE(QImage(path).size(), QSize(8, 6));
        QCOMPARE(*LocalFiles::creationDate(path), date);
        QVERIFY(!ImageFiles::saveImage(QImage(), path, date));
        QVERIFY(!ImageFiles::saveImage(image, QString(), date));
    }

private:
    std::unique_ptr<TestCore> m_core;
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
