#include "ccommondialogs.h"

#include "dialogerror.h"
#include "filedialog.h"
#include "filetypelist.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <limits>

namespace
{

// The longest initial name the open dialog takes, in bytes of its file-system
// form.
constexpr qsizetype MaxFileName = 260;

QString cutAtNul(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

QColor fromColorRef(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 toColorRef(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return quint32(rgb.red()) | quint32(rgb.green()) << 8 | quint32(rgb.blue()) << 16;
}

} // namespace

QString CCommonDialogs::Title() const
{
    return cutAtNul(m_title);
}

QString CCommonDialogs::Path() const
{
    return cutAtNul(m_path);
}

QString CCommonDialogs::FileTitle() const
{
    return cutAtNul(m_fileTitle);
}

QString CCommonDialogs::FileName() const
{
    return cutAtNul(m_fileName);
}

QString CCommonDialogs::applicationFolder() const
{
    return m_applicationFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                         : m_applicationFolder;
}

QWidget *CCommonDialogs::boundOwner(const char *operation) const
{
    if (!m_owner)
        throw DialogError(DialogError::Kind::ObjectNotSet, operation);
    return m_owner;
}

void CCommonDialogs::takeChosenFile(const QString &fileName)
{
    m_fileName = fileName;
    m_fileTitle = QFileInfo(fileName).fileName();
    // The folder without its closing "/"; a file in "/" leaves it empty.
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    m_path = slash < 0 ? QString() : fileName.left(slash);
}

bool CCommonDialogs::runFileDialog(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return false;
    takeChosenFile(files.first());
    return true;
}

void CCommonDialogs::normaliseSaveFolder()
{
    QString folder = Path();
    if (folder.trimmed().isEmpty()) {
        m_path = applicationFolder();
        return;
    }
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QFileInfo info(folder);
    m_path = info.isDir() && info.isReadable() ? folder : applicationFolder();
}

bool CCommonDialogs::ShowOpen()
{
    const QString initial = FileName();
    if (QFile::encodeName(initial).size() > MaxFileName)
        throw DialogError(DialogError::Kind::InvalidArgument, "ShowOpen: FileName too long");
    QWidget *owner = boundOwner("ShowOpen: Init was not called");

    FileDialog dialog(owner, QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFileTypes(FileTypeList(m_filter));
    dialog.setDirectory(QDir::currentPath());
    const QString title = Title();
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    QString suffix = m_defExt;
    while (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    if (!initial.trimmed().isEmpty())
        dialog.selectFile(initial);

    return runFileDialog(dialog);
}

bool CCommonDialogs::ShowSave()
{
    // The folder is settled before anything else, so a cancel keeps it too.
    normaliseSaveFolder();
    QWidget *owner = boundOwner("ShowSave: Init was not called");

    const bool blank = m_filter.trimmed().isEmpty();
    const FileTypeList types(blank ? QStringLiteral("*.*|*.*") : m_filter);
    FileDialog dialog(owner, QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setFileTypes(types);
    dialog.setWindowTitle(tr("保存"));
    dialog.setDirectory(Path());
    const QStringList filters = types.nameFilters();
    if (m_filterIndex >= 1 && m_filterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(m_filterIndex - 1));
    if (!m_suggestedName.isEmpty())
        dialog.selectFile(m_suggestedName);

    if (!runFileDialog(dialog))
        return false;
    m_filterIndex = types.indexOfNameFilter(dialog.selectedNameFilter()) + 1;
    return true;
}

bool CCommonDialogs::ShowFolder()
{
    QWidget *owner = boundOwner("ShowFolder: Init was not called");

    FileDialog dialog(owner, QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    const QString title = Title();
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    dialog.setDirectory(QDir::homePath());

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList folders = dialog.selectedFiles();
    if (folders.isEmpty())
        return false;
    const QFileInfo info(folders.first());
    // Anything that is not a folder on disk counts as a cancel.
    if (!info.isDir())
        return false;
    m_path = QDir::cleanPath(info.absoluteFilePath());
    m_fileName.clear();
    m_fileTitle.clear();
    return true;
}

bool CCommonDialogs::ShowColor(bool FullOpen)
{
    Q_UNUSED(FullOpen);
    QWidget *owner = boundOwner("ShowColor: Init was not called");

    // Each request starts with a fresh, black custom-colour table.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, QColor(Qt::black));

    QColorDialog dialog(fromColorRef(m_color), owner);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    if (!chosen.isValid())
        return false;
    m_color = toColorRef(chosen);
    return true;
}

bool CCommonDialogs::ShowFont()
{
    QFont initial;
    if (!m_fontName.isEmpty())
        initial.setFamily(m_fontName);
    if (m_fontSize > 0)
        initial.setPointSize(m_fontSize);
    initial.setBold(m_fontBold);
    initial.setItalic(m_fontItalic);
    initial.setUnderline(m_fontUnderline);

    // Without an owner the dialog still shows, unowned.
    QFontDialog dialog(initial, m_owner);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    dialog.setWindowModality(Qt::WindowModal);
    // Underline and colour are not the font dialog's to change: hide the
    // effects box.
    for (QGroupBox *box : dialog.findChildren<QGroupBox *>()) {
        if (!box->findChildren<QCheckBox *>().isEmpty())
            box->hide();
    }
    if (dialog.exec() != QDialog::Accepted)
        return false;

    const QFont chosen = dialog.selectedFont();
    m_fontName = chosen.family();
    m_fontBold = chosen.weight() >= QFont::Bold;
    m_fontItalic = chosen.style() != QFont::StyleNormal;
    if (chosen.pointSizeF() > 0)
        m_fontSize = wholePoints(chosen.pointSizeF());
    return true;
}

qint16 CCommonDialogs::wholePoints(qreal pointSize)
{
    // Sizes come in tenths of a point; the fraction is dropped, not rounded.
    const int tenths = qRound(pointSize * 10);
    return qint16(std::clamp(tenths / 10, 0, int(std::numeric_limits<qint16>::max())));
}

bool CCommonDialogs::ShowPrinter()
{
    QWidget *owner = boundOwner("ShowPrinter: Init was not called");

    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return false;
    QPrinter printer(defaultPrinter);
    QPrintDialog dialog(&printer, owner);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec() == QDialog::Accepted;
}

bool CCommonDialogs::ShowPrinterProperties()
{
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return false;
    QPrinter printer(defaultPrinter);
    QPageSetupDialog dialog(&printer, m_owner);
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec() == QDialog::Accepted;
}
