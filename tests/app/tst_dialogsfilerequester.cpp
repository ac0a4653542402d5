#include "../dialogs/modalwatch.h"
#include "ccommondialogs.h"
#include "dialogsfilerequester.h"
#include "filetypelist.h"
#include "opencontroller.h"
#include "exportcontroller.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TestDialogsFileRequester : public QObject
{
    Q_OBJECT
private slots:
    void openFilterEndsWithEveryType_data();
    void openFilterEndsWithEveryType();
    void saveComesBackOnLastType();
};

void TestDialogsFileRequester::openFilterEndsWithEveryType_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"a.mp3", "a.wma", "a.wav", "a.amr", "a.wmv", "a.avi", "a.mpg", "a.m4a",
                             "a.aac", "a.flac", "a.ogg", "a.opus", "a.webm", "a.mkv", "a.mp4",
                             "a.mov", "LOUD.FLAC", "Song 1.Opus", "ring.m4r"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestDialogsFileRequester::openFilterEndsWithEveryType()
{
    QFETCH(QString, name);
    const QString spec = OpenController::dialogFilter();
    const FileTypeList types(DialogsFileRequester::withEveryOpenedType(spec));
    const FileTypeList kept(spec);
    // The given entries stay first and in order, so the dialog still starts on MP3.
    QCOMPARE(types.types().size(), kept.types().size() + 1);
    QCOMPARE(types.nameFilters().mid(0, kept.types().size()), kept.nameFilters());
    bool matched = false;
    for (const QString &pattern : types.types().last().patterns) {
        QVERIFY(pattern != QLatin1String("*.*"));
        const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                    QRegularExpression::CaseInsensitiveOption);
        matched = matched || re.match(name).hasMatch();
    }
    QVERIFY(matched);
}

void TestDialogsFileRequester::saveComesBackOnLastType()
{
    QTemporaryDir dir;
    QWidget owner;
    owner.show();
    CCommonDialogs dialogs;
    dialogs.Init(&owner);
    DialogsFileRequester files(dialogs);
    const QString filter = ExportController::dialogFilter();

    // What the dialog shows when it opens; then it is confirmed on OGG, or cancelled.
    QString startName, startType;
    const auto watch = [&](bool pickOgg) {
        return [&, pickOgg](QFileDialog *dialog) {
            auto *combo = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            startName = name->text();
            startType = combo->currentText();
            // As a user picks it: the dialog renames only on a user's choice.
            while (pickOgg && combo->currentText() != QStringLiteral("OGG 文件(*.ogg)") &&
                   combo->currentIndex() + 1 < combo->count())
                QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(pickOgg ? static_cast<QWidget *>(name) : dialog,
                            pickOgg ? Qt::Key_Return : Qt::Key_Escape);
        };
    };
    ModalWatch<QFileDialog> first(watch(true));
    QCOMPARE(files.askSave(QString(), filter, QStringLiteral("Song 铃声.mp3"), dir.path()),
             std::optional<QString>(dir.filePath(QStringLiteral("Song 铃声.ogg"))));
    QCOMPARE(startName, QStringLiteral("Song 铃声.mp3"));
    QCOMPARE(startType, QStringLiteral("MP3 文件(*.mp3)"));
    ModalWatch<QFileDialog> second(watch(false));
    QVERIFY(!files.askSave(QString(), filter, QStringLiteral("Other 铃声.mp3"), dir.path()));
    QCOMPARE(startName, QStringLiteral("Other 铃声.ogg"));
    QCOMPARE(startType, QStringLiteral("OGG 文件(*.ogg)"));
}

QTEST_MAIN(TestDialogsFileRequester)
#include "tst_dialogsfilerequester.moc"
