// The English translation: complete for every text in the sources, faithful to
// each text's placeholders and access keys, built into the program, and chosen
// for every language but Chinese.

#include "language.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

namespace {

struct Entry {
    QString context;
    QString source;
    QString translation;
    QString type; // "", "unfinished", "vanished", "obsolete"
};

QList<Entry> readTs(const QString &path)
{
    QList<Entry> entries;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return entries;
    QXmlStreamReader xml(&f);
    QString context;
    Entry entry;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            entry = Entry{context, {}, {}, {}};
        } else if (xml.name() == u"source") {
            entry.source = xml.readElementText();
        } else if (xml.name() == u"translation") {
            entry.type = xml.attributes().value(QLatin1String("type")).toString();
            entry.translation = xml.readElementText();
            entries.append(entry);
        }
    }
    return entries;
}

// "%1", "%2", ... in a text, sorted: a translation must keep every one.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%\\d+"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

// An access key is "&" before a character other than "&".
bool hasAccessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (text.at(i + 1) != u'&')
                return true;
            ++i;
        }
    }
    return false;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void entryTranslated_data();
    void entryTranslated();
    void noChineseTextBypassesTranslation();
    void compiledIntoProgram_data();
    void compiledIntoProgram();
    void chooseLanguage_data();
    void chooseLanguage();
    void helpPage_data();
    void helpPage();

private:
    QTemporaryDir m_work;
    QList<Entry> m_merged;
};

void TestTranslations::initTestCase()
{
    // lupdate over today's sources, merged into a copy of the kept file: a
    // text new in the sources shows up unfinished, one gone from them vanished.
    QVERIFY(m_work.isValid());
    const QString merged = m_work.filePath(QStringLiteral("merged.ts"));
    QVERIFY(QFile::copy(QStringLiteral(KESMARIN_TS_FILE), merged));
    QFile::setPermissions(merged, QFile::ReadOwner | QFile::WriteOwner);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(KESMARIN_LUPDATE),
                  {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none"),
                   QStringLiteral("@" KESMARIN_TRANSLATED_SOURCES), QStringLiteral("-ts"), merged});
    QVERIFY2(lupdate.waitForFinished(-1), qPrintable(lupdate.errorString()));
    QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0,
             lupdate.readAll().constData());
    m_merged = readTs(merged);
    QVERIFY(!m_merged.isEmpty());
}

void TestTranslations::entryTranslated_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("translation");
    QTest::addColumn<QString>("type");

    for (const Entry &e : std::as_const(m_merged)) {
        const QString row = e.context + QStringLiteral(": ") + e.source.left(40);
        QTest::newRow(qPrintable(row)) << e.source << e.translation << e.type;
    }
}

void TestTranslations::entryTranslated()
{
    QFETCH(QString, source);
    QFETCH(QString, translation);
    QFETCH(QString, type);

    // "unfinished": new in the sources or never translated; "vanished" or
    // "obsolete": kept for a text the sources no longer have.
    QVERIFY2(type.isEmpty(), qPrintable(type));
    QVERIFY(!translation.trimmed().isEmpty());
    QCOMPARE(placeholders(translation), placeholders(source));
    QCOMPARE(hasAccessKey(translation), hasAccessKey(source));
    QCOMPARE(translation.count(u'\n'), source.count(u'\n'));
    // File type lists are "name|pattern|name|pattern...": the patterns must survive.
    const QStringList from = source.split(u'|'), to = translation.split(u'|');
    QCOMPARE(to.size(), from.size());
    for (qsizetype i = 1; i < from.size(); i += 2)
        QCOMPARE(to.at(i), from.at(i));
}

void TestTranslations::noChineseTextBypassesTranslation()
{
    // A Chinese text in a plain string literal never reaches the translation.
    // The dispatcher's command words are the one exception: they are compared,
    // never shown.
    static const QRegularExpression literal(QStringLiteral(R"re(QStringLiteral\("([^"]*[\x{4e00}-\x{9fff}][^"]*)"\))re"));
    const QStringList commandWords{QStringLiteral("关于"), QStringLiteral("退出"), QStringLiteral("设置")};
    QFile list(QStringLiteral(KESMARIN_TRANSLATED_SOURCES));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QStringList bypassing;
    for (const QByteArray &name : list.readAll().split('\n')) {
        QFile source(QString::fromUtf8(name.trimmed()));
        if (name.trimmed().isEmpty() || !source.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(source.readAll());
        for (auto it = literal.globalMatch(text); it.hasNext();) {
            const QString found = it.next().captured(1);
            if (!commandWords.contains(found))
                bypassing << source.fileName() + QStringLiteral(": ") + found;
        }
    }
    QVERIFY2(bypassing.isEmpty(), qPrintable(bypassing.join(u'\n')));
}

void TestTranslations::compiledIntoProgram_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");

    // One text from each library, so a library dropped from the sources
    // list or a stale .qm is caught.
    QTest::newRow("session") << "RingtoneSession" << "警告";
    QTest::newRow("windows") << "frmMain" << "真的要退出?";
    QTest::newRow("dialogs") << "CCommonDialogs" << "保存";
    QTest::newRow("coder") << "ConsoleRunner" << "没有找到文件或命令";
}

void TestTranslations::compiledIntoProgram()
{
    QFETCH(QString, context);
    QFETCH(QString, source);

    QString expected;
    for (const Entry &e : std::as_const(m_merged)) {
        if (e.context == context && e.source == source)
            expected = e.translation;
    }
    QVERIFY2(!expected.isEmpty(), "the text is not in the translation");

    QTranslator translator;
    QVERIFY(Language::load(translator, QStringLiteral("en")));
    QCOMPARE(translator.translate(qPrintable(context), qPrintable(source)), expected);
}

void TestTranslations::chooseLanguage_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<QString>("language");

    QTest::newRow("mainland") << QStringList{"zh-CN", "zh"} << "";
    QTest::newRow("Taiwan") << QStringList{"zh-TW"} << "";
    QTest::newRow("script and region") << QStringList{"zh-Hans-SG"} << "";
    QTest::newRow("bare zh") << QStringList{"zh"} << "";
    QTest::newRow("underscore form") << QStringList{"zh_HK"} << "";
    QTest::newRow("upper case") << QStringList{"ZH-cn"} << "";
    QTest::newRow("English") << QStringList{"en-US", "en"} << "en";
    QTest::newRow("German") << QStringList{"de-DE"} << "en";
    QTest::newRow("first wish decides") << QStringList{"fr-FR", "zh-CN"} << "en";
    QTest::newRow("Chinese first") << QStringList{"zh-CN", "en-US"} << "";
    QTest::newRow("Zhuang is not Chinese") << QStringList{"za-CN"} << "en";
    QTest::newRow("no name starting zh-like") << QStringList{"zha"} << "en";
    QTest::newRow("C locale") << QStringList{"C"} << "en";
    QTest::newRow("nothing") << QStringList{} << "en";
}

void TestTranslations::chooseLanguage()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(QString, language);
    QCOMPARE(Language::choose(uiLanguages), language);

    // The program's own language has no translation to load.
    QTranslator translator;
    QCOMPARE(Language::load(translator, language), !language.isEmpty());
}

void TestTranslations::helpPage_data()
{
    QTest::addColumn<bool>("withEnglishPage");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("page");

    QTest::newRow("Chinese") << true << "" << "/index.html";
    QTest::newRow("English") << true << "en" << "/en/index.html";
    QTest::newRow("English page missing") << false << "en" << "/index.html";
    QTest::newRow("unknown language") << true << "xx" << "/index.html";
}

void TestTranslations::helpPage()
{
    QFETCH(bool, withEnglishPage);
    QFETCH(QString, language);
    QFETCH(QString, page);

    QTemporaryDir help;
    QVERIFY(help.isValid());
    QVERIFY(QDir(help.path()).mkpath(QStringLiteral("en")));
    QFile own(help.filePath(QStringLiteral("index.html")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    if (withEnglishPage) {
        QFile english(help.filePath(QStringLiteral("en/index.html")));
        QVERIFY(english.open(QIODevice::WriteOnly));
    }
    QCOMPARE(Language::helpPage(help.path(), language), help.path() + page);
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
