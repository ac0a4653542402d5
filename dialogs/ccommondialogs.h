#pragma once

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QWidget>

class QFileDialog;

// The open, save, folder, colour, font, print and printer-properties dialogs
// behind one set of properties. A caller writes the properties that describe
// the request, calls one Show operation, tests its result and reads the
// properties the dialog filled in. Every Show is modal over the owner bound
// with Init() and returns when the user closes the dialog; true means the user
// confirmed it, false that it was cancelled or could not be shown, and then
// the properties the operation would fill keep their values.
//
// ShowOpen, ShowSave, ShowFolder, ShowColor and ShowPrinter throw DialogError
// (dialogerror.h) when no owner is bound; ShowOpen also for a FileName longer
// than 260 characters. ShowFont and ShowPrinterProperties never throw.
class CCommonDialogs
{
    Q_DECLARE_TR_FUNCTIONS(CCommonDialogs)

public:
    // Readers of Title, Path, FileTitle and FileName stop at the first NUL;
    // every other reader returns what was written.
    bool FontUnderline() const { return m_fontUnderline; }
    void setFontUnderline(bool value) { m_fontUnderline = value; }
    bool FontItalic() const { return m_fontItalic; }
    void setFontItalic(bool value) { m_fontItalic = value; }
    bool FontBold() const { return m_fontBold; }
    void setFontBold(bool value) { m_fontBold = value; }
    qint16 FontSize() const { return m_fontSize; }
    void setFontSize(qint16 value) { m_fontSize = value; }
    QString FontName() const { return m_fontName; }
    void setFontName(const QString &value) { m_fontName = value; }
    // 0x00BBGGRR: red in the low byte.
    quint32 Color() const { return m_color; }
    void setColor(quint32 value) { m_color = value; }
    QString DefExt() const { return m_defExt; }
    void setDefExt(const QString &value) { m_defExt = value; }
    QString Title() const;
    void setTitle(const QString &value) { m_title = value; }
    QString Path() const;
    void setPath(const QString &value) { m_path = value; }
    QString FileTitle() const;
    void setFileTitle(const QString &value) { m_fileTitle = value; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString &value) { m_filter = value; }
    QString FileName() const;
    void setFileName(const QString &value) { m_fileName = value; }
    // The save dialog's file type, counted from 1: the one selected when it
    // opens (0 or beyond the list: the first), then the one it was confirmed
    // on. The open dialog always starts on the first.
    int FilterIndex() const { return m_filterIndex; }
    void setFilterIndex(int value) { m_filterIndex = value; }
    // The name the save dialog's name box starts with; empty leaves it empty
    // (FileName is never used for it).
    QString SuggestedName() const { return m_suggestedName; }
    void setSuggestedName(const QString &value) { m_suggestedName = value; }

    // Binds the window every dialog is modal over.
    void Init(QWidget *owner) { m_owner = owner; }

    bool ShowPrinter();
    bool ShowFolder();
    // Qt's colour dialog always shows its full panel; FullOpen is taken for
    // the callers' sake and changes nothing.
    bool ShowColor(bool FullOpen);
    bool ShowFont();
    bool ShowOpen();
    bool ShowPrinterProperties();
    bool ShowSave();

    // A font size as FontSize keeps it: whole points, the fraction dropped.
    static qint16 wholePoints(qreal pointSize);

    // The folder ShowSave falls back on; the program's own folder unless set.
    QString applicationFolder() const;
    void setApplicationFolder(const QString &folder) { m_applicationFolder = folder; }

private:
    QWidget *boundOwner(const char *operation) const;
    void takeChosenFile(const QString &fileName);
    // Shows a file dialog and takes its one chosen file; false on cancel.
    bool runFileDialog(QFileDialog &dialog);
    void normaliseSaveFolder();

    QString m_fileTitle;
    QString m_path;
    QString m_filter;
    QString m_fileName;
    quint32 m_color = 0;
    QString m_title;
    QPointer<QWidget> m_owner;
    QString m_defExt;
    QString m_fontName;
    qint16 m_fontSize = 0;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontUnderline = false;

    QString m_applicationFolder;
    int m_filterIndex = 0;
    QString m_suggestedName;
};
