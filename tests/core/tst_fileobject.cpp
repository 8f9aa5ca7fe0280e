#include "FileObject.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFileObject : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void entryOfTheUsualKinds()
    {
        const FileObject f(QVariantMap{{u"type"_s, qlonglong(1)},
                                       {u"time"_s, qlonglong(1700000000)},
                                       {u"size"_s, qlonglong(4294967296)},
                                       {u"remotePath"_s, u"ignored"_s}});
        QCOMPARE(f.type, quint64(FileObject::Folder));
        QCOMPARE(f.last_modify, quint64(1700000000));
        QCOMPARE(f.size, quint64(4294967296));
        QVERIFY(f.remotePath.isEmpty());
    }

    void otherKindsConvertAndMissingFieldsStayEmpty()
    {
        const FileObject f(QVariantMap{{u"name"_s, qlonglong(12)},
                                       {u"type"_s, u"3"_s},
                                       {u"time"_s, 1.7e9},
                                       {u"size"_s, u"lots"_s}});
        QCOMPARE(f.name, u"12"_s);
        QVERIFY(f.path.isEmpty());
        QCOMPARE(f.type, quint64(FileObject::DriveOther));
        QCOMPARE(f.time, quint64(1700000000));
        QCOMPARE(f.last_modify, quint64(1700000000));
        QCOMPARE(f.size, quint64(0));
        QVERIFY(f.desc.isEmpty());
    }

    void typesAreThirtyTwoBitAndNegativeSizesAreNone()
    {
        const FileObject wrapped(
            QVariantMap{{u"type"_s, qlonglong(4294967298)}, {u"size"_s, qlonglong(-5)}});
        QCOMPARE(wrapped.type, quint64(FileObject::Drive));
        QCOMPARE(wrapped.size, quint64(0));
        const FileObject negative(QVariantMap{{u"type"_s, qlonglong(-1)}});
        QCOMPARE(negative.type, ~quint64(0));
    }

    void anythingButAnObjectIsAnEmptyFile()
    {
        for (const QVariant &v : {QVariant(), QVariant(u"x"_s), QVariant(QVariantList{1})}) {
            const FileObject f(v);
            QVERIFY(f.name.isEmpty());
            QCOMPARE(f.type, quint64(FileObject::File));
            QCOMPARE(f.size, quint64(0));
        }
    }

    // Names and paths from the PC are written as they are, markers like "%1" included.
    void descriptionKeepsTextsAsTheyAre()
    {
        FileObject f(QVariantMap{{u"name"_s, u"50%1 off %2.txt"_s},
                                 {u"path"_s, u"D:\\%4\\%10"_s},
                                 {u"type"_s, qlonglong(0)},
                                 {u"time"_s, qlonglong(17)},
                                 {u"size"_s, qlonglong(4096)},
                                 {u"desc"_s, u"%9"_s}});
        f.asset = u"asset"_s;
        QCOMPARE(f.description(), u"FileObject: name=50%1 off %2.txt path=D:\\%4\\%10 remotePath= "
                                  "type=0 time=17 last_modify=17 size=4096 desc=%9 thumb= "
                                  "asset=asset"_s);
    }
};

QTEST_GUILESS_MAIN(TestFileObject)
#include "tst_fileobject.moc"
