// Opening a song with the real coder: the song shows while it decodes, what
// is decoded can be used, and closing it midway leaves nothing behind.
#include "../../analysis/songsynth.h"
#include "childprocesses.h"
#include "sessionfakes.h"
#include "timelineeditor.h"

#include <QTest>

class TestGrowingOpen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void songShowsBeforeItsDecodeEnds();
    void closingMidwayLeavesNothing_data();
    void closingMidwayLeavesNothing();

private:
    struct Rig {
        Rig()
        {
            QDir(program.path()).mkpath(QStringLiteral("data"));
            QFile::link(QStringLiteral(KESMARIN_CODER), program.filePath("data/coder"));
            RingtoneSession::Services services;
            services.prompt = &prompt;
            services.files = &files;
            services.desktop = &desktop;
            services.sound = &sound;
            services.setupPath = home.filePath("setup.ini");
            services.cacheBase = home.filePath("cache");
            services.appFolder = program.path();
            services.peakColumns = 50;
            session = std::make_unique<RingtoneSession>(services);
            session->editor().controller().Timer2().stop();
            window.watch(*session);
        }
        QStringList leftInWorkingFolder() const
        {
            return QDir(session->workingFolder())
                .entryList({"*.wav", "*.part"}, QDir::Files | QDir::Hidden);
        }
        QTemporaryDir home;
        QTemporaryDir program;
        ScriptedPrompt prompt;
        ScriptedFiles files;
        RecordingDesktopOpener desktop;
        SoundLog sound;
        WindowLog window;
        std::unique_ptr<RingtoneSession> session;
    };
    QTemporaryDir m_media;
    QString m_song; // five minutes: long enough for runs on every thread
};

void TestGrowingOpen::initTestCase()
{
    m_song = m_media.filePath("long song.wav");
    QVERIFY(SongSynth::writeWav(m_song, SongSynth::ambient(300.0, 7, 22050), 22050));
    QVERIFY(SongSynth::writeWav(m_media.filePath("next.wav"), SongSynth::ambient(20.0, 8, 22050), 22050));
}

void TestGrowingOpen::songShowsBeforeItsDecodeEnds()
{
    Rig rig;
    TimelineEditor &editor = rig.session->editor();
    const QString target = m_media.filePath("ring.wav");
    QFile::remove(target);
    rig.files.answers << target;
    // At the first stretch decoded the song is shown, its length known and
    // the decode still under way: an undecoded stretch is refused, a decoded
    // one is saved at once.
    bool tried = false;
    qint64 shownLength = 0;
    QStringList statusWhileDecoding;
    connect(rig.session.get(), &RingtoneSession::fileOpened, this, [&] {
        if (!shownLength)
            shownLength = editor.model().lengthMs();
    });
    connect(&editor, &TimelineEditor::decodedMapChanged, this, [&] {
        const auto decoded = editor.decodedMs();
        if (tried || !editor.isGrowing() || decoded.isEmpty() ||
            decoded.first().second - decoded.first().first < 50)
            return;
        tried = true;
        QVERIFY(rig.session->openController().isDecoding());
        const auto [begin, end] = decoded.first();
        const qint64 gapBegin = begin > 0 ? 0 : end;
        const qint64 gapEnd = begin > 0 ? begin : decoded.size() > 1 ? decoded[1].first : shownLength;
        QVERIFY(gapEnd - gapBegin > 2);
        QCOMPARE(editor.selectStretch(gapBegin + 1, gapEnd - 1), SelectionEditor::Outcome::Done);
        QVERIFY(!rig.session->trigger(Command::Save));
        statusWhileDecoding << rig.session->statusText();
        QCOMPARE(editor.selectStretch(begin + 1, begin + 41), SelectionEditor::Outcome::Done);
        QVERIFY(rig.session->trigger(Command::Save));
    });
    rig.session->openPath(m_song);

    QVERIFY(tried);
    QVERIFY(rig.session->hasFile());
    QVERIFY(editor.decodedMap().isComplete());
    // Shown (with no waveform yet) and measured before the end, once; the
    // whole waveform is the one filled in piece by piece.
    QCOMPARE(rig.window.filtered("opened"), QStringList{"opened 0"});
    QTRY_VERIFY(editor.growingPyramid() == nullptr && editor.holdsPeaks());
    QVERIFY(editor.pyramid()->piecesRead().isComplete());
    QVERIFY(rig.window.log.indexOf("opened 0") < rig.window.log.indexOf("panel off"));
    QVERIFY(qAbs(shownLength - 300000) < 1000);
    QCOMPARE(editor.model().lengthMs(), qint64(300000));
    QCOMPARE(statusWhileDecoding, QStringList{"所选片段还没有解码，请稍候。"});
    // The Save's word stays after the decode's end.
    QVERIFY2(rig.session->statusText().startsWith("已保存 ring.wav"), qPrintable(rig.session->statusText()));
    QVERIFY(QFileInfo(target).size() > 44);
    QVERIFY(rig.prompt.shown().isEmpty());
}

void TestGrowingOpen::closingMidwayLeavesNothing_data()
{
    QTest::addColumn<int>("how"); // 0: the Open command, 1: the window's Cancel, 2: a dropped file
    QTest::newRow("Open closes the song") << 0;
    QTest::newRow("Cancel") << 1;
    QTest::newRow("a dropped song replaces it") << 2;
}

void TestGrowingOpen::closingMidwayLeavesNothing()
{
    QFETCH(int, how);
    Rig rig;
    const QString next = m_media.filePath("next.wav");
    bool closed = false;
    connect(&rig.session->editor(), &TimelineEditor::decodedMapChanged, this, [&] {
        if (closed || rig.session->editor().decodedMap().isEmpty())
            return;
        closed = true;
        rig.prompt.queueAnswer(true);
        if (how == 0)
            QVERIFY(rig.session->trigger(Command::Open));
        else if (how == 1)
            rig.session->cancel();
        else
            rig.session->openPath(next);
    });
    rig.session->openPath(m_song);
    QVERIFY(closed);
    QVERIFY(!rig.session->isBusy());
    QVERIFY(coderChildren().isEmpty());
    // The one message was the close question: a cancel is no failure.
    QCOMPARE(rig.prompt.shown().size(), how == 1 ? 0 : 1);
    QVERIFY(rig.window.log.indexOf("closed") > rig.window.log.indexOf("opened 0"));
    if (how == 2) {
        // The next song decoded after the first one's decode ended.
        QCOMPARE(rig.session->openController().sourcePath(), next);
        QVERIFY(rig.session->editor().decodedMap().isComplete());
        // Shown as it decoded, its waveform the pieces read meanwhile.
        QCOMPARE(rig.window.filtered("opened"), (QStringList{"opened 0", "opened 0"}));
        QTRY_VERIFY(rig.session->editor().holdsPeaks());
        QCOMPARE(rig.leftInWorkingFolder(), QStringList{"open.wav"});
        return;
    }
    QVERIFY(!rig.session->hasFile());
    QVERIFY(rig.session->editor().decodedMap().isEmpty());
    QCOMPARE(rig.window.filtered("opened"), QStringList{"opened 0"});
    QCOMPARE(rig.leftInWorkingFolder(), QStringList{});
}

QTEST_GUILESS_MAIN(TestGrowingOpen)
#include "tst_growingopen.moc"
