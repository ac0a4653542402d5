#include "filedialog.h"

#include <QFileInfo>
#include <QMessageBox>

FileDialog::FileDialog(QWidget *owner, QFileDialog::AcceptMode mode) : QFileDialog(owner)
{
    setOption(QFileDialog::DontUseNativeDialog);
    // Only the descriptions are shown, as the caller wrote them.
    setOption(QFileDialog::HideNameFilterDetails);
    // accept() asks itself, after the extension has been settled.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(mode);
    setWindowModality(Qt::WindowModal);
}

void FileDialog::setFileTypes(const FileTypeList &types)
{
    m_types = types;
    setNameFilters(types.nameFilters());
}

void FileDialog::accept()
{
    if (fileMode() == QFileDialog::ExistingFile) {
        // Typing a path selects in the list each folder it passes through;
        // with one file to choose, the name typed last is the choice.
        const QStringList files = selectedFiles();
        if (files.size() > 1)
            selectFile(files.last());
    }
    if (acceptMode() == QFileDialog::AcceptSave) {
        setDefaultSuffix(m_types.suffixOf(m_types.indexOfNameFilter(selectedNameFilter())));
        const QStringList files = selectedFiles();
        if (!files.isEmpty()) {
            const QFileInfo info(files.first());
            if (info.exists() && !info.isDir() && !confirmReplace(info.fileName()))
                return;
        }
    }
    QFileDialog::accept();
}

bool FileDialog::confirmReplace(const QString &fileName)
{
    QMessageBox box(QMessageBox::Warning, windowTitle(),
                    tr("%1 已存在。\n要替换它吗？").arg(fileName),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    box.setWindowModality(Qt::WindowModal);
    return box.exec() == QMessageBox::Yes;
}
