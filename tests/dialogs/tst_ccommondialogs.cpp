#include "ccommondialogs.h"
#include "dialogerror.h"
#include "modalwatch.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

namespace
{

QLineEdit *nameEdit(QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

QComboBox *typeCombo(QFileDialog *dialog)
{
    return dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
}

QStringList comboTexts(QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts.append(combo->itemText(i));
    return texts;
}

void typeInto(QLineEdit *edit, const QString &text)
{
    // As for a user, the dialog has the focus; Qt's file dialog treats a name
    // box without focus as one to fill from the file list.
    QWidget *window = edit->window();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        qWarning("the dialog did not become active");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(edit, c.toLatin1());
        } else {
            // keyClick() takes Latin-1 only; a key carrying the text stands in for an input method.
            QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Clicks the button that confirms the dialog (Open, Save, OK), as a user
// would; it returns only when anything the click opened has closed.
void clickAccept(QDialog *dialog)
{
    auto *box = dialog->findChild<QDialogButtonBox *>();
    for (QAbstractButton *button : box->buttons()) {
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
            button->click();
            return;
        }
    }
}

// Makes a file; the dialogs only need it to exist.
void touch(const QString &path, const QByteArray &content = "x")
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

} // namespace

class TestCCommonDialogs : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void readersCutAtNul_data();
    void readersCutAtNul();
    void showBeforeInitRaises_data();
    void showBeforeInitRaises();
    void ownerGoneRaises();

    void showOpenChoosesFile_data();
    void showOpenChoosesFile();
    void showOpenFileInRoot();
    void showOpenOffersTypesAndStartName();
    void showOpenCancelKeepsProperties();
    void showOpenLongFileName_data();
    void showOpenLongFileName();

    void showSaveFolderEvenOnCancel_data();
    void showSaveFolderEvenOnCancel();
    void showSaveAppendsTypeExtension_data();
    void showSaveAppendsTypeExtension();
    void showSaveAsksBeforeReplacing();

    void showFolder_data();
    void showFolder();
    void showColor();
    void showColorCancelKeepsColor();
    void showFont();
    void wholePoints_data();
    void wholePoints();
    void showFontCancelKeepsFont();
    void printersWithoutDefaultPrinter();

private:
    std::optional<QTemporaryDir> m_dir;
    std::optional<QWidget> m_owner;
    CCommonDialogs m_dialogs;
    QString m_appFolder;

    QString inDir(const QString &name) const { return m_dir->filePath(name); }
};

void TestCCommonDialogs::init()
{
    m_dir.emplace();
    QVERIFY(m_dir->isValid());
    m_appFolder = inDir(QStringLiteral("app"));
    QVERIFY(QDir().mkpath(m_appFolder));
    m_owner.emplace();
    m_dialogs = CCommonDialogs();
    m_dialogs.setApplicationFolder(m_appFolder);
    m_dialogs.Init(&*m_owner);
}

void TestCCommonDialogs::readersCutAtNul_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("cut");

    QTest::newRow("no NUL") << QStringLiteral("/home/a/b.mp3") << QStringLiteral("/home/a/b.mp3");
    QTest::newRow("NUL in the middle")
        << QString::fromUtf16(u"/a/b.mp3\0junk", 13) << QStringLiteral("/a/b.mp3");
    QTest::newRow("trailing NULs")
        << QString::fromUtf16(u"b.mp3\0\0\0", 8) << QStringLiteral("b.mp3");
    QTest::newRow("NUL first") << QString::fromUtf16(u"\0b", 2) << QString();
}

void TestCCommonDialogs::readersCutAtNul()
{
    QFETCH(QString, written);
    QFETCH(QString, cut);

    CCommonDialogs d;
    d.setTitle(written);
    d.setPath(written);
    d.setFileTitle(written);
    d.setFileName(written);
    d.setFilter(written);
    d.setDefExt(written);
    d.setFontName(written);
    QCOMPARE(d.Title(), cut);
    QCOMPARE(d.Path(), cut);
    QCOMPARE(d.FileTitle(), cut);
    QCOMPARE(d.FileName(), cut);
    // The other texts come back as written.
    QCOMPARE(d.Filter(), written);
    QCOMPARE(d.DefExt(), written);
    QCOMPARE(d.FontName(), written);
}

void TestCCommonDialogs::showBeforeInitRaises_data()
{
    QTest::addColumn<int>("operation");
    QTest::newRow("ShowOpen") << 0;
    QTest::newRow("ShowSave") << 1;
    QTest::newRow("ShowFolder") << 2;
    QTest::newRow("ShowColor") << 3;
    QTest::newRow("ShowPrinter") << 4;
}

void TestCCommonDialogs::showBeforeInitRaises()
{
    QFETCH(int, operation);

    CCommonDialogs d;
    d.setApplicationFolder(m_appFolder);
    d.setFileName(QStringLiteral("keep.mp3"));
    d.setColor(0x123456);
    ModalWatch<QDialog> watch([](QDialog *dialog) { dialog->reject(); }, 300);
    std::optional<DialogError::Kind> raised;
    try {
        switch (operation) {
        case 0:
            d.ShowOpen();
            break;
        case 1:
            d.ShowSave();
            break;
        case 2:
            d.ShowFolder();
            break;
        case 3:
            d.ShowColor(true);
            break;
        case 4:
            d.ShowPrinter();
            break;
        }
    } catch (const DialogError &error) {
        raised = error.kind();
    }
    QVERIFY(raised.has_value());
    QCOMPARE(*raised, DialogError::Kind::ObjectNotSet);
    QVERIFY(!watch.seen());
    QCOMPARE(d.FileName(), QStringLiteral("keep.mp3"));
    QCOMPARE(d.Color(), 0x123456u);
}

void TestCCommonDialogs::ownerGoneRaises()
{
    auto *owner = new QWidget;
    CCommonDialogs d;
    d.Init(owner);
    delete owner;
    QVERIFY_THROWS_EXCEPTION(DialogError, d.ShowOpen());
}

void TestCCommonDialogs::showOpenChoosesFile_data()
{
    QTest::addColumn<QString>("defExt");
    QTest::addColumn<QString>("typed");  // relative names are in the test folder
    QTest::addColumn<QString>("chosen"); // relative to the test folder

    QTest::newRow("full path typed")
        << QString() << QStringLiteral("<dir>/a/b.mp3") << QStringLiteral("a/b.mp3");
    // The dialog starts in the process's current folder, not in Path.
    QTest::newRow("name in current folder")
        << QString() << QStringLiteral("c.wav") << QStringLiteral("c.wav");
    QTest::newRow("default extension")
        << QStringLiteral("wav") << QStringLiteral("c") << QStringLiteral("c.wav");
    QTest::newRow("blank in the name")
        << QString() << QStringLiteral("<dir>/a/my song.mp3") << QStringLiteral("a/my song.mp3");
}

void TestCCommonDialogs::showOpenChoosesFile()
{
    QFETCH(QString, defExt);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);

    QVERIFY(QDir().mkpath(inDir(QStringLiteral("a"))));
    touch(inDir(QStringLiteral("a/b.mp3")));
    touch(inDir(QStringLiteral("a/my song.mp3")));
    touch(inDir(QStringLiteral("c.wav")));
    const QString before = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    auto restore = qScopeGuard([&] { QDir::setCurrent(before); });

    m_dialogs.setPath(QStringLiteral("/nowhere"));
    m_dialogs.setDefExt(defExt);
    m_dialogs.setFilter(QStringLiteral("All Files(*.*)|*.*"));
    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        typeInto(nameEdit(dialog), QString(typed).replace(QStringLiteral("<dir>"), m_dir->path()));
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowOpen());
    QVERIFY(watch.seen());

    const QString expected = inDir(chosen);
    QCOMPARE(m_dialogs.FileName(), expected);
    QCOMPARE(m_dialogs.Path(), QFileInfo(expected).path());
    QCOMPARE(m_dialogs.FileTitle(), QFileInfo(expected).fileName());
}

void TestCCommonDialogs::showOpenFileInRoot()
{
    if (!QFileInfo(QStringLiteral("/")).isWritable())
        QSKIP("needs a file of our own in /, which is not writable here");
    const QString name =
        QStringLiteral("kesmarin-dialogs-%1.mp3").arg(QCoreApplication::applicationPid());
    const QString file = QStringLiteral("/") + name;
    touch(file);
    auto remove = qScopeGuard([&] { QFile::remove(file); });

    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        typeInto(nameEdit(dialog), file);
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowOpen());
    QCOMPARE(m_dialogs.FileName(), file);
    // Nothing stands before the last "/".
    QCOMPARE(m_dialogs.Path(), QString());
    QCOMPARE(m_dialogs.FileTitle(), name);
}

void TestCCommonDialogs::showOpenOffersTypesAndStartName()
{
    QVERIFY(QDir().mkpath(inDir(QStringLiteral("a"))));
    touch(inDir(QStringLiteral("a/b.mp3")));
    touch(inDir(QStringLiteral("a/b.txt")));
    m_dialogs.setTitle(QStringLiteral("打开文件"));
    m_dialogs.setFilter(QStringLiteral("MP3 Files(*.mp3)|*.mp3|All Files(*.*)|*.*"));
    m_dialogs.setFileName(inDir(QStringLiteral("a/b.mp3")));

    QString caption, startName, startFolder;
    QStringList types;
    bool openEnabledForMissing = true;
    bool modalOverOwner = false;
    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        modalOverOwner =
            dialog->parentWidget() == &*m_owner && dialog->windowModality() == Qt::WindowModal;
        caption = dialog->windowTitle();
        startName = nameEdit(dialog)->text();
        startFolder = dialog->directory().absolutePath();
        types = comboTexts(typeCombo(dialog));
        // The file must exist: a missing name cannot be confirmed.
        typeInto(nameEdit(dialog), inDir(QStringLiteral("a/missing.mp3")));
        clickAccept(dialog);
        openEnabledForMissing = dialog->isHidden();
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(!m_dialogs.ShowOpen());
    QVERIFY(modalOverOwner);
    QCOMPARE(caption, QStringLiteral("打开文件"));
    QCOMPARE(startName, QStringLiteral("b.mp3"));
    QCOMPARE(startFolder, inDir(QStringLiteral("a")));
    QCOMPARE(types,
             (QStringList{QStringLiteral("MP3 Files(*.mp3)"), QStringLiteral("All Files(*.*)")}));
    QVERIFY(!openEnabledForMissing);
}

void TestCCommonDialogs::showOpenCancelKeepsProperties()
{
    m_dialogs.setFileName(QStringLiteral("/x/y.mp3"));
    m_dialogs.setPath(QStringLiteral("/x"));
    m_dialogs.setFileTitle(QStringLiteral("y.mp3"));
    m_dialogs.setFilter(QString());
    QStringList types;
    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        types = comboTexts(typeCombo(dialog));
        dialog->reject();
    });
    QVERIFY(!m_dialogs.ShowOpen());
    QVERIFY(watch.seen());
    QVERIFY(types.isEmpty());
    QCOMPARE(m_dialogs.FileName(), QStringLiteral("/x/y.mp3"));
    QCOMPARE(m_dialogs.Path(), QStringLiteral("/x"));
    QCOMPARE(m_dialogs.FileTitle(), QStringLiteral("y.mp3"));
}

void TestCCommonDialogs::showOpenLongFileName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("raises");

    QTest::newRow("260 characters") << QString(260, u'a') << false;
    QTest::newRow("261 characters") << QString(261, u'a') << true;
    // Two bytes each on disk: 131 of them are 262 bytes.
    QTest::newRow("131 two-byte characters") << QString(131, u'é') << true;
    QTest::newRow("long only after a NUL")
        << QStringLiteral("a") + QChar(u'\0') + QString(300, u'a') << false;
}

void TestCCommonDialogs::showOpenLongFileName()
{
    QFETCH(QString, fileName);
    QFETCH(bool, raises);

    m_dialogs.setFileName(fileName);
    ModalWatch<QFileDialog> watch([](QFileDialog *dialog) { dialog->reject(); },
                                  raises ? 300 : 5000);
    bool raised = false;
    try {
        QVERIFY(!m_dialogs.ShowOpen());
    } catch (const DialogError &error) {
        raised = error.kind() == DialogError::Kind::InvalidArgument;
    }
    QCOMPARE(raised, raises);
    // An invalid name is refused before any dialog shows.
    QCOMPARE(watch.seen(), !raises);
}

void TestCCommonDialogs::showSaveFolderEvenOnCancel_data()
{
    QTest::addColumn<QString>("path"); // "<dir>" is the test folder, "<app>" the program's
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QStringLiteral("<app>");
    QTest::newRow("blanks") << QStringLiteral("  \t ") << QStringLiteral("<app>");
    QTest::newRow("folder without slash")
        << QStringLiteral("<dir>/out") << QStringLiteral("<dir>/out/");
    QTest::newRow("folder with slash")
        << QStringLiteral("<dir>/out/") << QStringLiteral("<dir>/out/");
    QTest::newRow("folder with blank")
        << QStringLiteral("<dir>/my out") << QStringLiteral("<dir>/my out/");
    QTest::newRow("missing folder") << QStringLiteral("<dir>/gone") << QStringLiteral("<app>");
    QTest::newRow("a file, not a folder")
        << QStringLiteral("<dir>/out/f.mp3") << QStringLiteral("<app>");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
}

void TestCCommonDialogs::showSaveFolderEvenOnCancel()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    const auto expand = [&](QString text) {
        return text.replace(QStringLiteral("<dir>"), m_dir->path())
            .replace(QStringLiteral("<app>"), m_appFolder);
    };
    QVERIFY(QDir().mkpath(inDir(QStringLiteral("out"))));
    QVERIFY(QDir().mkpath(inDir(QStringLiteral("my out"))));
    touch(inDir(QStringLiteral("out/f.mp3")));

    m_dialogs.setPath(expand(path));
    m_dialogs.setTitle(QStringLiteral("另存为"));
    m_dialogs.setFileName(QStringLiteral("ringtone.mp3"));
    m_dialogs.setFilter(QStringLiteral("MP3 文件(*.mp3)|*.mp3"));
    QString caption, startName, startFolder;
    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        caption = dialog->windowTitle();
        startName = nameEdit(dialog)->text();
        startFolder = dialog->directory().absolutePath();
        dialog->reject();
    });
    QVERIFY(!m_dialogs.ShowSave());
    QVERIFY(watch.seen());
    QCOMPARE(m_dialogs.Path(), expand(expected));
    QCOMPARE(startFolder, QDir(expand(expected)).absolutePath());
    QCOMPARE(caption, QStringLiteral("保存"));
    QCOMPARE(startName, QString());
    QCOMPARE(m_dialogs.FileName(), QStringLiteral("ringtone.mp3"));
}

void TestCCommonDialogs::showSaveAppendsTypeExtension_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("typeIndex");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("types");
    QTest::addColumn<QString>("saved");

    const QString ringtones = QStringLiteral(
        "MP3 文件(*.mp3)|*.mp3|WMA 文件(*.wma)|*.wma|WAV 文件(*.wav)|*.wav|AMR 文件(*.amr)|*.amr");
    const QStringList ringtoneTypes{
        QStringLiteral("MP3 文件(*.mp3)"), QStringLiteral("WMA 文件(*.wma)"),
        QStringLiteral("WAV 文件(*.wav)"), QStringLiteral("AMR 文件(*.amr)")};
    QTest::newRow("first type") << ringtones << 0 << QStringLiteral("tone") << ringtoneTypes
                                << QStringLiteral("tone.mp3");
    QTest::newRow("third type chosen")
        << ringtones << 2 << QStringLiteral("tone") << ringtoneTypes << QStringLiteral("tone.wav");
    QTest::newRow("extension typed") << ringtones << 0 << QStringLiteral("tone.amr")
                                     << ringtoneTypes << QStringLiteral("tone.amr");
    QTest::newRow("several patterns")
        << QStringLiteral("Audio|*.wav;*.mp3") << 0 << QStringLiteral("tone")
        << QStringList{QStringLiteral("Audio")} << QStringLiteral("tone.wav");
    QTest::newRow("empty filter") << QString() << 0 << QStringLiteral("tone")
                                  << QStringList{QStringLiteral("*.*")} << QStringLiteral("tone");
    QTest::newRow("blank filter") << QStringLiteral("   ") << 0 << QStringLiteral("tone")
                                  << QStringList{QStringLiteral("*.*")} << QStringLiteral("tone");
    QTest::newRow("non-ASCII name")
        << ringtones << 3 << QStringLiteral("铃声") << ringtoneTypes << QStringLiteral("铃声.amr");
}

void TestCCommonDialogs::showSaveAppendsTypeExtension()
{
    QFETCH(QString, filter);
    QFETCH(int, typeIndex);
    QFETCH(QString, typed);
    QFETCH(QStringList, types);
    QFETCH(QString, saved);

    m_dialogs.setPath(m_dir->path());
    m_dialogs.setFilter(filter);
    QStringList offered;
    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        QComboBox *combo = typeCombo(dialog);
        offered = comboTexts(combo);
        for (int i = 0; i < typeIndex; ++i)
            QTest::keyClick(combo, Qt::Key_Down);
        typeInto(nameEdit(dialog), typed);
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowSave());
    QCOMPARE(offered, types);
    QCOMPARE(m_dialogs.FileName(), inDir(saved));
    QCOMPARE(m_dialogs.FileTitle(), saved);
    QCOMPARE(m_dialogs.Path(), m_dir->path());
}

void TestCCommonDialogs::showSaveAsksBeforeReplacing()
{
    const QString existing = inDir(QStringLiteral("tone.mp3"));
    touch(existing, "old ringtone");
    m_dialogs.setPath(m_dir->path());
    m_dialogs.setFilter(QStringLiteral("MP3 文件(*.mp3)|*.mp3"));
    m_dialogs.setFileName(QStringLiteral("ringtone.mp3"));

    QStringList asked;
    bool openAfterNo = false;
    ModalWatch<QFileDialog> watch([&](QFileDialog *dialog) {
        typeInto(nameEdit(dialog), QStringLiteral("tone"));
        {
            ModalWatch<QMessageBox> no([&](QMessageBox *box) {
                asked.append(box->text());
                box->button(QMessageBox::No)->click();
            });
            clickAccept(dialog);
        }
        openAfterNo = dialog->isVisible();
        ModalWatch<QMessageBox> yes([&](QMessageBox *box) {
            asked.append(box->text());
            box->button(QMessageBox::Yes)->click();
        });
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowSave());
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked.first().contains(QStringLiteral("tone.mp3")), qPrintable(asked.first()));
    QVERIFY(openAfterNo);
    QCOMPARE(m_dialogs.FileName(), existing);

    // A new name is taken without a question.
    asked.clear();
    ModalWatch<QMessageBox> unexpected([&](QMessageBox *box) {
        asked.append(box->text());
        box->button(QMessageBox::Yes)->click();
    });
    ModalWatch<QFileDialog> fresh([&](QFileDialog *dialog) {
        typeInto(nameEdit(dialog), QStringLiteral("new"));
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowSave());
    QVERIFY(asked.isEmpty());
    QCOMPARE(m_dialogs.FileName(), inDir(QStringLiteral("new.mp3")));
}

void TestCCommonDialogs::showFolder_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    QTest::newRow("folder") << QStringLiteral("<dir>/out") << QStringLiteral("<dir>/out");
    QTest::newRow("folder typed with slash")
        << QStringLiteral("<dir>/out/") << QStringLiteral("<dir>/out");
    QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
}

void TestCCommonDialogs::showFolder()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QVERIFY(QDir().mkpath(inDir(QStringLiteral("out"))));
    m_dialogs.setFileName(QStringLiteral("/x/y.mp3"));
    m_dialogs.setFileTitle(QStringLiteral("y.mp3"));

    // A cancel changes nothing.
    ModalWatch<QFileDialog> cancel([](QFileDialog *dialog) { dialog->reject(); });
    m_dialogs.setPath(QStringLiteral("before"));
    QVERIFY(!m_dialogs.ShowFolder());
    QCOMPARE(m_dialogs.Path(), QStringLiteral("before"));
    QCOMPARE(m_dialogs.FileName(), QStringLiteral("/x/y.mp3"));

    ModalWatch<QFileDialog> choose([&](QFileDialog *dialog) {
        typeInto(nameEdit(dialog), QString(typed).replace(QStringLiteral("<dir>"), m_dir->path()));
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowFolder());
    QCOMPARE(m_dialogs.Path(), QString(expected).replace(QStringLiteral("<dir>"), m_dir->path()));
    QCOMPARE(m_dialogs.FileName(), QString());
    QCOMPARE(m_dialogs.FileTitle(), QString());
}

namespace
{

// The HTML colour box of Qt's colour dialog: the one line edit outside a spin box.
QLineEdit *htmlEdit(QColorDialog *dialog)
{
    for (QLineEdit *edit : dialog->findChildren<QLineEdit *>()) {
        if (!qobject_cast<QAbstractSpinBox *>(edit->parentWidget()))
            return edit;
    }
    return nullptr;
}

} // namespace

void TestCCommonDialogs::showColor()
{
    QColorDialog::setCustomColor(3, QColor(Qt::red));
    m_dialogs.setColor(0x00563412); // red 0x12, green 0x34, blue 0x56
    QColor start;
    QColor custom;
    bool modalOverOwner = false;
    ModalWatch<QColorDialog> watch([&](QColorDialog *dialog) {
        modalOverOwner =
            dialog->parentWidget() == &*m_owner && dialog->windowModality() == Qt::WindowModal;
        start = dialog->currentColor();
        custom = QColorDialog::customColor(3);
        typeInto(htmlEdit(dialog), QStringLiteral("#abcdef"));
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowColor(false));
    QVERIFY(modalOverOwner);
    QCOMPARE(start, QColor(0x12, 0x34, 0x56));
    QCOMPARE(custom, QColor(Qt::black));
    QCOMPARE(m_dialogs.Color(), 0x00efcdabu);
}

void TestCCommonDialogs::showColorCancelKeepsColor()
{
    m_dialogs.setColor(0x00112233);
    ModalWatch<QColorDialog> watch([&](QColorDialog *dialog) {
        typeInto(htmlEdit(dialog), QStringLiteral("#abcdef"));
        dialog->reject();
    });
    QVERIFY(!m_dialogs.ShowColor(true));
    QVERIFY(watch.seen());
    QCOMPARE(m_dialogs.Color(), 0x00112233u);
}

namespace
{

// Family, style and size boxes, in that order.
QList<QLineEdit *> fontEdits(QFontDialog *dialog)
{
    QList<QLineEdit *> edits;
    for (QLineEdit *edit : dialog->findChildren<QLineEdit *>()) {
        if (edit->parentWidget() == dialog)
            edits.append(edit);
    }
    return edits;
}

} // namespace

void TestCCommonDialogs::showFont()
{
    m_dialogs.setFontName(QStringLiteral("DejaVu Sans"));
    m_dialogs.setFontSize(10);
    m_dialogs.setFontBold(true);
    m_dialogs.setFontItalic(false);
    m_dialogs.setFontUnderline(true);
    m_dialogs.setColor(0x00123456);

    QFont start;
    bool effectsShown = true;
    ModalWatch<QFontDialog> watch([&](QFontDialog *dialog) {
        start = dialog->currentFont();
        effectsShown = false;
        for (QCheckBox *box : dialog->findChildren<QCheckBox *>())
            effectsShown = effectsShown || box->isVisibleTo(dialog);
        const QList<QLineEdit *> edits = fontEdits(dialog);
        if (edits.size() == 3)
            typeInto(edits.at(2), QStringLiteral("14"));
        clickAccept(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    QVERIFY(m_dialogs.ShowFont());
    QCOMPARE(start.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(start.pointSize(), 10);
    QVERIFY(start.bold());
    QVERIFY(!effectsShown);

    QCOMPARE(m_dialogs.FontName(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(m_dialogs.FontSize(), qint16(14));
    QVERIFY(m_dialogs.FontBold());
    QVERIFY(!m_dialogs.FontItalic());
    QVERIFY(m_dialogs.FontUnderline());
    QCOMPARE(m_dialogs.Color(), 0x00123456u);
}

void TestCCommonDialogs::wholePoints_data()
{
    QTest::addColumn<qreal>("points");
    QTest::addColumn<int>("whole");

    QTest::newRow("whole") << 12.0 << 12;
    QTest::newRow("half dropped") << 12.5 << 12;
    QTest::newRow("nine tenths dropped") << 9.9 << 9;
    // Sizes come in tenths: 12.96 is 13.0 before the fraction goes.
    QTest::newRow("hundredths round to tenths") << 12.96 << 13;
    QTest::newRow("too large for 16 bits") << 40000.0 << 32767;
}

void TestCCommonDialogs::wholePoints()
{
    QFETCH(qreal, points);
    QFETCH(int, whole);
    QCOMPARE(int(CCommonDialogs::wholePoints(points)), whole);
}

void TestCCommonDialogs::showFontCancelKeepsFont()
{
    // The font dialog needs no owner.
    CCommonDialogs d;
    d.setFontName(QStringLiteral("DejaVu Sans"));
    d.setFontSize(9);
    ModalWatch<QFontDialog> watch([&](QFontDialog *dialog) {
        const QList<QLineEdit *> edits = fontEdits(dialog);
        if (edits.size() == 3)
            typeInto(edits.at(2), QStringLiteral("20"));
        dialog->reject();
    });
    QVERIFY(!d.ShowFont());
    QVERIFY(watch.seen());
    QCOMPARE(d.FontSize(), qint16(9));
    QCOMPARE(d.FontName(), QStringLiteral("DejaVu Sans"));
}

void TestCCommonDialogs::printersWithoutDefaultPrinter()
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("a default printer exists here; this covers the machine without one");
    ModalWatch<QDialog> watch([](QDialog *dialog) { dialog->reject(); }, 300);
    QCOMPARE(m_dialogs.ShowPrinter(), false);
    // Neither needs an owner, nor raises.
    CCommonDialogs unbound;
    QCOMPARE(unbound.ShowPrinterProperties(), false);
    QVERIFY(!watch.seen());
}

QTEST_MAIN(TestCCommonDialogs)
#include "tst_ccommondialogs.moc"
