#pragma once

#include "filetypelist.h"

#include <QFileDialog>

// Qt's own file dialog (never the desktop's) with the file types of a
// FileTypeList. When saving, a name typed without an extension gets the
// selected type's, and an existing file is replaced only after the user
// agreed to it.
class FileDialog : public QFileDialog
{
    Q_OBJECT

public:
    FileDialog(QWidget *owner, QFileDialog::AcceptMode mode);

    void setFileTypes(const FileTypeList &types);

public slots:
    void accept() override;

private:
    bool confirmReplace(const QString &fileName);

    FileTypeList m_types;
};
