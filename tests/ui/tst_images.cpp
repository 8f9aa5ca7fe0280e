#include "TestCore.h"

#include "RuntimeState.h"
#include "SaveMemoryImageLoader.h"

#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

namespace {
// Holds every picture-loading thread until the guard ends, so that no image load ends and
// every token stays live; then the held threads and the queued loads run to their end.
auto holdPool()
{
    auto held = std::make_shared<QSemaphore>();
    const int threads = SaveMemoryImageLoader::pool()->maxThreadCount();
    for (int i = 0; i < threads; ++i)
        SaveMemoryImageLoader::pool()->start([held] { held->acquire(); });
    return qScopeGuard([held, threads] {
        held->release(threads);
        SaveMemoryImageLoader::pool()->waitForDone();
    });
}
} // namespace

class TestImages : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { m_core = std::make_unique<TestCore>(); }
    void cleanup()
    {
        SaveMemoryImageLoader::pool()->waitForDone();
        m_core.reset();
    }

    // A picture is scaled once into a thumbnail that later showings read, also once the full
    // file is gone; a missing file shows nothing.
    void loaderScalesOnceIntoAThumbnail()
    {
        const QString lib = m_core->library();
        auto r = QuickTransferObject::createWithPath(u"C:/big.png"_s);
        QImage big(400, 300, QImage::Format_RGB32);
        big.fill(Qt::blue);
        QDir().mkpath(QFileInfo(r->downloadPath(lib)).absolutePath());
        QVERIFY(big.save(r->downloadPath(lib)));
        r->size = r->finishedSize = 10;
        SaveMemoryImageLoader loader(QSize(100, 75), *state(), lib);

        QSignalSpy loaded(&loader, &SaveMemoryImageLoader::imageLoaded);
        const QString token = loader.load(*r);
        QTRY_COMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().at(0).toString(), token);
        QCOMPARE(loaded.first().at(1).value<QImage>().size(), QSize(100, 75));
        QVERIFY(!state()->containsSavingMemoryBlockUUID(token));
        QVERIFY(QFile::remove(r->downloadPath(lib)));
        loader.load(*r, 30);
        QTRY_COMPARE(loaded.size(), 2);
        QCOMPARE(loaded.last().at(1).value<QImage>().size(), QSize(40, 30));

        QSignalSpy skipped(&loader, &SaveMemoryImageLoader::loadSkipped);
        const auto none = QuickTransferObject::createWithPath(u"C:/none.png"_s);
        loader.load(*none);
        QTRY_COMPARE(skipped.size(), 1);
    }

    // Loaders working from two threads at once share the one cap of live loads.
    void liveLoadsAreCappedForAllLoadersTogether()
    {
        const auto record = QuickTransferObject::createWithPath(u"C:/none.png"_s);
        SaveMemoryImageLoader list(QSize(100, 75), *state(), m_core->library());
        SaveMemoryImageLoader viewer(QSize(100, 75), *state(), m_core->library());
        {
            const auto hold = holdPool();
            // Each round both threads start a load at the same moment: they spin until both
            // have arrived, rather than sleep and wake one after the other.
            constexpr int Rounds = 2000;
            std::atomic<int> arrived = 0;
            const auto loadInRounds = [&](SaveMemoryImageLoader *loader) {
                for (int n = 1; n <= Rounds; ++n) {
                    arrived.fetch_add(1);
                    while (arrived.load() < 2 * n)
                        std::this_thread::yield();
                    (void)loader->load(*record);
                }
            };
            std::thread first(loadInRounds, &list);
            std::thread second(loadInRounds, &viewer);
            first.join();
            second.join();
            QCOMPARE(state()->savingMemoryBlockUUIDArray().size(),
                     qsizetype(SaveMemoryImageLoader::kMaxLiveLoads));
        }
        QTRY_VERIFY(state()->savingMemoryBlockUUIDArray().isEmpty());

        // One load past the cap drops the oldest token and keeps the newest.
        const auto hold = holdPool();
        QStringList tokens;
        for (int i = 0; i <= SaveMemoryImageLoader::kMaxLiveLoads; ++i)
            tokens << list.load(*record);
        QCOMPARE(state()->savingMemoryBlockUUIDArray(), tokens.mid(1));
    }

private:
    RuntimeState *state() const { return m_core->core->runtimeState(); }
    std::unique_ptr<TestCore> m_core;
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
