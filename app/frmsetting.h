#pragma once

#include "screenscale.h"
#include "skinnedwindow.h"

class QComboBox;
class SkinImage;
class StyledButton;

// The settings dialog: the two after-export choices. Confirm stores them in
// memory and in setup.ini and closes; back and the close mark only close.
class frmSetting : public SkinnedWindow
{
    Q_OBJECT
public:
    frmSetting(qint16 &openFolderChoice, qint16 &ringSoundChoice, const QString &setupPath,
               const ScreenScale &scale, QWidget *parent = nullptr);

    QComboBox *cmbOF = nullptr;
    QComboBox *cmbRS = nullptr;
    StyledButton *cmdOK = nullptr;
    StyledButton *cmbBack = nullptr;
    SkinImage *Image1 = nullptr;

    void cmdOK_Click();

private:
    qint16 &m_openFolderChoice;
    qint16 &m_ringSoundChoice;
    QString m_setupPath;
};
