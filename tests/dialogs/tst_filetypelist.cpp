#include "filetypelist.h"

#include <QTest>

class TestFileTypeList : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
};

void TestFileTypeList::parse_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("nameFilters");
    QTest::addColumn<QStringList>("suffixes");

    QTest::newRow("two pairs") << QStringLiteral("MP3 Files(*.mp3)|*.mp3|All Files(*.*)|*.*")
                               << QStringList{QStringLiteral("MP3 Files(*.mp3) (*.mp3)"),
                                              QStringLiteral("All Files(*.*) (*)")}
                               << QStringList{QStringLiteral("mp3"), QString()};
    QTest::newRow("empty") << QString() << QStringList() << QStringList();
    // A description without its pattern matches nothing and is left out.
    QTest::newRow("description left over")
        << QStringLiteral("WAV|*.wav|Orphan") << QStringList{QStringLiteral("WAV (*.wav)")}
        << QStringList{QStringLiteral("wav")};
    QTest::newRow("several patterns, first decides")
        << QStringLiteral("Audio|*.wav; *.mp3")
        << QStringList{QStringLiteral("Audio (*.wav *.mp3)")} << QStringList{QStringLiteral("wav")};
    QTest::newRow("wildcard extensions give none")
        << QStringLiteral("A|*.m?3|B|*|C|tone.*|D|*.[ab]")
        << QStringList{QStringLiteral("A (*.m?3)"), QStringLiteral("B (*)"),
                       QStringLiteral("C (tone.*)"), QStringLiteral("D (*.[ab])")}
        << QStringList{QString(), QString(), QString(), QString()};
    QTest::newRow("empty pattern matches all")
        << QStringLiteral("Any|") << QStringList{QStringLiteral("Any (*)")}
        << QStringList{QString()};
    QTest::newRow("double extension")
        << QStringLiteral("Archive|*.tar.gz") << QStringList{QStringLiteral("Archive (*.tar.gz)")}
        << QStringList{QStringLiteral("gz")};
}

void TestFileTypeList::parse()
{
    QFETCH(QString, filter);
    QFETCH(QStringList, nameFilters);
    QFETCH(QStringList, suffixes);

    const FileTypeList types(filter);
    QCOMPARE(types.nameFilters(), nameFilters);
    QStringList gotSuffixes;
    for (int i = 0; i < types.types().size(); ++i) {
        gotSuffixes.append(types.suffixOf(i));
        QCOMPARE(types.indexOfNameFilter(nameFilters.at(i)), i);
    }
    QCOMPARE(gotSuffixes, suffixes);
    QCOMPARE(types.suffixOf(int(types.types().size())), QString());
}

QTEST_GUILESS_MAIN(TestFileTypeList)
#include "tst_filetypelist.moc"
