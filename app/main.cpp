#include "art.h"
#include "frmmain.h"
#include "frmsplash.h"
#include "messageboxprompt.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kesmarin"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kesmarin"));
    QApplication::setApplicationVersion(QStringLiteral(KESMARIN_VERSION));
    QApplication::setWindowIcon(Art::appIcon());
    // The program ends only through the main window's confirmed exit.
    QApplication::setQuitOnLastWindowClosed(false);

    MessageBoxPrompt prompt;
    std::unique_ptr<frmMain> mainWindow;
    auto *splash = new frmSplash([&]() -> QWidget * {
        frmMain::Environment environment;
        environment.prompt = &prompt;
        mainWindow = std::make_unique<frmMain>(std::move(environment));
        prompt.setParent(mainWindow.get());
        return mainWindow.get();
    });
    splash->show();
    return app.exec();
}
