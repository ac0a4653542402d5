// The Debian package as a user gets it: built by cpack from this build folder,
// read back with dpkg-deb, installed into a private root and purged again.

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    Run r;
    if (!p.waitForStarted(-1)) {
        r.output = program + QStringLiteral(": ") + p.errorString();
        return r;
    }
    p.waitForFinished(-1);
    r.output = QString::fromUtf8(p.readAll());
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QString architecture()
{
    return run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).output.trimmed();
}

} // namespace

class TestDebianPackage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void entriesPassValidators_data();
    void entriesPassValidators();
    void controlField_data();
    void controlField();
    void packagedFile_data();
    void packagedFile();
    void everythingUnderUsrAndOwnedByRoot();
    void installsAndPurgesWithoutTrace();

private:
    QTemporaryDir m_work;
    QString m_deb;
    QMap<QString, QString> m_listing; // path -> "mode -> link target"
};

void TestDebianPackage::initTestCase()
{
    QVERIFY(m_work.isValid());
    const QString out = m_work.filePath(QStringLiteral("out"));
    const Run cpack = run(QStringLiteral(KESMARIN_CPACK),
                          {QStringLiteral("-G"), QStringLiteral("DEB"),
                           QStringLiteral("--config"), QStringLiteral(KESMARIN_BUILD_DIR "/CPackConfig.cmake"),
                           QStringLiteral("-B"), out});
    QVERIFY2(cpack.exitCode == 0, qPrintable(cpack.output));

    // The name a user expects to find: package_version_architecture.deb.
    m_deb = out + QStringLiteral("/kesmarin_" KESMARIN_VERSION "_") + architecture() + QStringLiteral(".deb");
    QVERIFY2(QFileInfo::exists(m_deb), qPrintable(m_deb + QStringLiteral(" missing; cpack said:\n") + cpack.output));

    const Run contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), m_deb});
    QVERIFY2(contents.exitCode == 0, qPrintable(contents.output));
    // "-rwxr-xr-x root/root 123 2026-01-01 00:00 ./usr/bin/x -> target"
    static const QRegularExpression line(
        QStringLiteral(R"(^(\S+)\s+(\S+)\s+\d+\s+\S+\s+\S+\s+(\.\S*?)(?: -> (\S+))?$)"));
    for (const QString &row : contents.output.split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = line.match(row);
        QVERIFY2(m.hasMatch(), qPrintable(row));
        QString path = m.captured(3);
        if (path.size() > 2 && path.endsWith(u'/'))
            path.chop(1);
        m_listing.insert(path, m.captured(1) + u' ' + m.captured(2) + u' ' + m.captured(4));
    }
}

void TestDebianPackage::entriesPassValidators_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("desktop entry")
        << QStringLiteral("desktop-file-validate") << QStringList{QStringLiteral(KESMARIN_DESKTOP_FILE)};
    QTest::newRow("metainfo")
        << QStringLiteral("appstreamcli")
        << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
                       QStringLiteral(KESMARIN_METAINFO)};
}

void TestDebianPackage::entriesPassValidators()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const Run r = run(program, arguments);
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    // Both tools pass files with complaints they only print.
    QVERIFY2(!r.output.contains(QStringLiteral("error"), Qt::CaseInsensitive)
                 && !r.output.contains(QStringLiteral("warning"), Qt::CaseInsensitive),
             qPrintable(r.output));
}

void TestDebianPackage::controlField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pattern");

    QTest::newRow("name") << "Package" << "^kesmarin$";
    QTest::newRow("version") << "Version" << "^" KESMARIN_VERSION "$";
    QTest::newRow("architecture") << "Architecture" << QString(u'^' + architecture() + u'$');
    QTest::newRow("maintainer with address") << "Maintainer" << "^[^<]+ <[^@>]+@[^>]+>$";
    QTest::newRow("section") << "Section" << "^sound$";
    QTest::newRow("summary and body") << "Description" << "^ringtone maker.*\\n .*MP3";
    QTest::newRow("homepage") << "Homepage" << "^https://";
    QTest::newRow("installed size") << "Installed-Size" << "^[1-9][0-9]*$";
    // Found in the program by shlibdeps: Qt and the C++ runtime.
    QTest::newRow("Qt widgets") << "Depends" << "\\blibqt6widgets6 \\(>= 6";
    QTest::newRow("Qt multimedia") << "Depends" << "\\blibqt6multimedia6\\b";
    QTest::newRow("C++ runtime") << "Depends" << "\\blibstdc\\+\\+6 \\(>=";
    // Found in the transcoder: FFmpeg and the AMR encoder.
    QTest::newRow("FFmpeg formats") << "Depends" << "\\blibavformat\\d+\\b";
    QTest::newRow("FFmpeg resampler") << "Depends" << "\\blibswresample\\d+\\b";
    QTest::newRow("AMR encoder") << "Depends" << "\\blibopencore-amrnb0\\b";
    // What no binary tells.
    QTest::newRow("CJK font") << "Depends" << "\\bfonts-wqy-microhei\\b";
    QTest::newRow("condensed font of the time grid") << "Depends" << "\\bfonts-dejavu-extra\\b";
    QTest::newRow("xdg-open") << "Depends" << "\\bxdg-utils\\b";
    QTest::newRow("X11 platform plugin") << "Depends" << "\\bqt6-qpa-plugins\\b";
    QTest::newRow("Qt's own Chinese texts") << "Depends" << "\\bqt6-translations-l10n\\b";
}

void TestDebianPackage::controlField()
{
    QFETCH(QString, field);
    QFETCH(QString, pattern);
    const Run r = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), m_deb, field});
    QCOMPARE(r.exitCode, 0);
    const QString value = r.output.trimmed();
    QVERIFY2(QRegularExpression(pattern).match(value).hasMatch(),
             qPrintable(field + QStringLiteral(": ") + value));
}

void TestDebianPackage::packagedFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected"); // "mode owner link-target", as a pattern

    const QString exec = QStringLiteral("^-rwxr-xr-x root/root $");
    const QString data = QStringLiteral("^-rw-r--r-- root/root $");
    // The program folder, as the program looks for its companions.
    QTest::newRow("program") << "./usr/lib/kesmarin/kesmarin" << exec;
    QTest::newRow("transcoder") << "./usr/lib/kesmarin/data/coder" << exec;
    QTest::newRow("chime") << "./usr/lib/kesmarin/sound.wav" << data;
    QTest::newRow("help page") << "./usr/lib/kesmarin/help/index.html" << data;
    QTest::newRow("English help page") << "./usr/lib/kesmarin/help/en/index.html" << data;
    // A relative link, so the package can be unpacked anywhere.
    QTest::newRow("command") << "./usr/bin/kesmarin" << "^lrwxrwxrwx root/root \\.\\./lib/kesmarin/kesmarin$";
    QTest::newRow("desktop entry") << "./usr/share/applications/kesmarin.desktop" << data;
    QTest::newRow("metainfo") << "./usr/share/metainfo/com.example.kesmarin.metainfo.xml" << data;
    QTest::newRow("small icon") << "./usr/share/icons/hicolor/16x16/apps/kesmarin.png" << data;
    QTest::newRow("large icon") << "./usr/share/icons/hicolor/256x256/apps/kesmarin.png" << data;
    QTest::newRow("scalable icon") << "./usr/share/icons/hicolor/scalable/apps/kesmarin.svg" << data;
}

void TestDebianPackage::packagedFile()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QVERIFY2(m_listing.contains(path), qPrintable(path + QStringLiteral(" is not in the package")));
    const QString entry = m_listing.value(path);
    QVERIFY2(QRegularExpression(expected).match(entry).hasMatch(), qPrintable(path + QStringLiteral(": ") + entry));
}

void TestDebianPackage::everythingUnderUsrAndOwnedByRoot()
{
    QVERIFY(!m_listing.isEmpty());
    for (auto it = m_listing.cbegin(); it != m_listing.cend(); ++it) {
        const bool placed = it.key() == u"." || it.key() == u"./usr" || it.key().startsWith(u"./usr/");
        QVERIFY2(placed, qPrintable(it.key()));
        QVERIFY2(!it.key().startsWith(u"./usr/local"), qPrintable(it.key()));
        QVERIFY2(it.value().section(u' ', 1, 1) == u"root/root", qPrintable(it.key() + u' ' + it.value()));
    }
}

void TestDebianPackage::installsAndPurgesWithoutTrace()
{
    if (::geteuid() != 0)
        QSKIP("dpkg installs only as root (CI runs as root)");

    // A private root with its own dpkg database: the machine's stays untouched.
    const QString root = m_work.filePath(QStringLiteral("root"));
    const QString admin = root + QStringLiteral("/var/lib/dpkg");
    for (const char *dir : {"info", "updates", "triggers"})
        QVERIFY(QDir().mkpath(admin + u'/' + QLatin1String(dir)));
    for (const char *file : {"status", "available"}) {
        QFile f(admin + u'/' + QLatin1String(file));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QStringList dpkg{QStringLiteral("--root=") + root, QStringLiteral("--force-depends"),
                           QStringLiteral("--force-script-chrootless")};

    Run r = run(QStringLiteral("dpkg"), dpkg + QStringList{QStringLiteral("-i"), m_deb});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));
    const QFileInfo command(root + QStringLiteral("/usr/bin/kesmarin"));
    QVERIFY(command.isSymLink());
    const QFileInfo program(command.canonicalFilePath());
    QCOMPARE(program.absoluteFilePath(), QFileInfo(root + QStringLiteral("/usr/lib/kesmarin/kesmarin")).absoluteFilePath());
    QVERIFY(program.isExecutable());

    r = run(QStringLiteral("dpkg"), dpkg + QStringList{QStringLiteral("--purge"), QStringLiteral("kesmarin")});
    QVERIFY2(r.exitCode == 0, qPrintable(r.output));

    // Only dpkg's own database may remain, and it no longer knows the package.
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    QStringList left;
    while (it.hasNext()) {
        const QString path = it.next().mid(root.size());
        if (path != u"/var" && path != u"/var/lib" && !path.startsWith(u"/var/lib/dpkg"))
            left << path;
        else if (path.contains(QStringLiteral("kesmarin")))
            left << path;
    }
    QVERIFY2(left.isEmpty(), qPrintable(left.join(u'\n')));
    r = run(QStringLiteral("dpkg-query"), {QStringLiteral("--admindir=") + admin, QStringLiteral("-W"),
                                           QStringLiteral("-f=${Status}"), QStringLiteral("kesmarin")});
    QVERIFY2(!r.output.contains(QStringLiteral("installed")) || r.output.contains(QStringLiteral("not-installed")),
             qPrintable(r.output));
}

QTEST_GUILESS_MAIN(TestDebianPackage)
#include "tst_debianpackage.moc"
