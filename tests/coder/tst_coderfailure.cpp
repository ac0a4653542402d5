#include "coderfailure.h"
#include "language.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

using Job = CoderFailure::Job;
Q_DECLARE_METATYPE(CoderFailure::Job)

class TestCoderFailure : public QObject
{
    Q_OBJECT
private slots:
    void plainWords_data();
    void plainWords();
    void englishSession();
};

void TestCoderFailure::plainWords_data()
{
    QTest::addColumn<Job>("job");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("says"); // the words that tell this failure from the others

    const QString noSound = QStringLiteral("没有 Kesmarin 能读的声音");
    QTest::newRow("random bytes") << Job::Open << "coder: /m/x.mp3: no audio stream" << noSound;
    QTest::newRow("damaged MP3")
        << Job::Open << "coder: /m/broken.mp3: Invalid data found when processing input" << noSound;
    QTest::newRow("refused input") << Job::Open << "coder: /m/broken.mp3: Invalid argument" << noSound;
    QTest::newRow("audio undecodable")
        << Job::Open << "coder: /m/a.wma: cannot decode its audio: Invalid data found when processing input"
        << noSound;
    QTest::newRow("empty file") << Job::Open << "coder: /m/a.mp3: the file is empty" << "是空的";
    QTest::newRow("gone") << Job::Open << "coder: /m/a.mp3: No such file or directory" << "找不到这个文件";
    QTest::newRow("not readable") << Job::Open << "coder: /m/a.mp3: Permission denied" << "读取这个文件的权限";
    QTest::newRow("folder") << Job::Open << "coder: /m/a.mp3: is a folder" << "不是一个普通文件";
    QTest::newRow("FIFO") << Job::Open << "coder: /m/a.mp3: is a pipe (FIFO), not a file" << "不是一个普通文件";
    QTest::newRow("socket") << Job::Open << "coder: /m/a.mp3: is a socket, not a file" << "不是一个普通文件";
    QTest::newRow("device") << Job::Open << "coder: /dev/sda: is a device, not a file" << "不是一个普通文件";
    QTest::newRow("playlist")
        << Job::Open << "coder: /m/a.mp3: is a playlist or a list of other files (hls), not a sound file"
        << "播放列表";
    QTest::newRow("protocol") << Job::Open << "coder: /m/a.sdp: Protocol not found" << "播放列表";
    QTest::newRow("working file too large")
        << Job::Open
        << "coder: /c/open.wav: needs about 11.0 GB but only 2.5 GB are free on its disk"
        << "需要大约 11.0 GB，只剩 2.5 GB";
    QTest::newRow("bad sector") << Job::Open << "coder: /m/a.mp3: read error: Input/output error"
                                << "读取这个文件时出错";
    QTest::newRow("unknown reason") << Job::Open << "coder: /m/a.mp3: something new" << "无法打开这个文件";
    QTest::newRow("not a coder line") << Job::Open << QStringLiteral("转码程序意外结束。")
                                      << "无法打开这个文件";
    // A song whose name holds a reason is not taken for it.
    QTest::newRow("reason in the path")
        << Job::Open << "coder: /m/no audio stream/is a folder/a.mp3: the file is empty" << "是空的";

    QTest::newRow("target folder gone")
        << Job::Export << "coder: /gone/t.mp3: No such file or directory" << "文件夹不存在";
    QTest::newRow("target not writable") << Job::Export << "coder: /ro/t.mp3: Permission denied"
                                         << "写入权限";
    QTest::newRow("target is a folder") << Job::Export << "coder: /m/t.mp3: is a folder" << "文件夹占用";
    QTest::newRow("disk full")
        << Job::Export << "coder: /m/t.wav: write error: No space left on device" << "磁盘空间不够";
    QTest::newRow("too large for free space")
        << Job::Export << "coder: /m/t.wav: needs about 2.1 GB but only 300.0 MB are free on its disk"
        << "需要大约 2.1 GB，只剩 300.0 MB";
    QTest::newRow("small output, less room")
        << Job::Export << "coder: /m/t.wav: needs about 2.1 MB but only 1.5 MB are free on its disk"
        << "需要大约 2.1 MB，只剩 1.5 MB";
    QTest::newRow("encoder does not open")
        << Job::Export << "coder: /m/t.mp3: cannot open the libmp3lame encoder: Invalid argument"
        << "编码成这种格式";
    QTest::newRow("AMR encoder") << Job::Export << "coder: /m/t.amr: AMR-NB encoding failed"
                                 << "编码成这种格式";
    QTest::newRow("read-back mismatch")
        << Job::Export
        << "coder: /m/t.ogg: reads back as 1286320 samples at 44100 Hz, but 1323000 at 44100 Hz were written"
        << "读回来时和写入的不一致";
    QTest::newRow("read-back unreadable")
        << Job::Export << "coder: /m/t.m4r: cannot read it back: Invalid data found when processing input"
        << "读回来时和写入的不一致";
    QTest::newRow("past the end")
        << Job::Export << "coder: /c/open.wav: nothing to write: the start lies past the end" << "结束之后";
    QTest::newRow("over the song") << Job::Export
                                   << "coder: /m/a.wav: is the input file; it cannot be written over"
                                   << "正在编辑的文件";
    QTest::newRow("unknown format") << Job::Export << "coder: /m/t.xyz: unknown output format \".xyz\""
                                    << "不支持这种铃声格式";
    QTest::newRow("working file damaged")
        << Job::Export << "coder: /c/open.wav: Invalid data found when processing input" << "工作副本";
    QTest::newRow("stopped") << Job::Export << "coder: /m/t.mp3: stopped by a signal" << "中断";
    QTest::newRow("transcoder crashed") << Job::Export << QStringLiteral("转码程序意外结束。")
                                        << "详细信息";
}

void TestCoderFailure::plainWords()
{
    QFETCH(Job, job);
    QFETCH(QString, line);
    QFETCH(QString, says);
    const QString text = CoderFailure::plainText(job, line);
    QVERIFY2(text.contains(says), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("coder:")) && !text.contains(line), qPrintable(text));
    if (job == Job::Export)
        QVERIFY(text.startsWith(QStringLiteral("铃声没有保存成功。\n")));
}

void TestCoderFailure::englishSession()
{
    QTranslator english;
    QVERIFY(Language::load(english, QStringLiteral("en")));
    QCoreApplication::installTranslator(&english);
    QCOMPARE(CoderFailure::plainText(Job::Open, QStringLiteral("coder: /m/x.mp3: no audio stream")),
             QStringLiteral("This file has no sound Kesmarin can read. It may be damaged, or not an "
                            "audio or video file."));
    QCOMPARE(CoderFailure::plainText(Job::Export, QStringLiteral("coder: /m/t.wav: write error: No space left on device")),
             QStringLiteral("The ringtone was not saved.\nThere is not enough room on the disk. Free "
                            "some space, or save on another disk."));
    QCoreApplication::removeTranslator(&english);
}

QTEST_GUILESS_MAIN(TestCoderFailure)
#include "tst_coderfailure.moc"
