#include "art.h"
#include "bestpartcommand.h"
#include "frmmain.h"
#include "frmsplash.h"
#include "language.h"
#include "looks.h"
#include "ringtonesession.h"
#include "messageboxprompt.h"
#include "stopsignals.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[])
{
    // A console command that needs no window nor display.
    if (BestPartCommand::isCommand(argc, argv))
        return BestPartCommand::main(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kesmarin"));
    QApplication::setApplicationDisplayName(QStringLiteral("Kesmarin"));
    QApplication::setApplicationVersion(QStringLiteral(KESMARIN_VERSION));
    QApplication::setWindowIcon(Art::appIcon());
    // Message boxes and Qt's dialogs in the skins' colours, beside the skins.
    QApplication::setPalette(Looks::palette());

    // A Chinese desktop reads the program's own texts and pictures; every
    // other language reads English ones.
    const QString language = Language::start(QLocale::system().uiLanguages());
    Art::setLanguage(language);
    // The program ends only through the main window's confirmed exit.
    QApplication::setQuitOnLastWindowClosed(false);

    // "kesmarin FILE" (the desktop entry's Exec line) opens FILE once the
    // main window is up. Its bytes, not Qt's text for them: a name that is
    // not UTF-8 would name nothing as text.
    const QByteArray startFile = argc > 1 ? QByteArray(argv[1]) : QByteArray();

    MessageBoxPrompt prompt;
    std::unique_ptr<frmMain> mainWindow;
    // A logout or Ctrl+C ends the jobs and removes the working folder as the
    // confirmed exit does.
    StopSignals stopSignals;
    QObject::connect(&stopSignals, &StopSignals::stopRequested, &app, [&mainWindow] {
        if (mainWindow)
            mainWindow->endNow();
        else
            QCoreApplication::exit(0);
    });
    auto *splash = new frmSplash([&]() -> QWidget * {
        frmMain::Environment environment;
        environment.prompt = &prompt;
        mainWindow = std::make_unique<frmMain>(std::move(environment));
        prompt.setParent(mainWindow.get());
        if (!startFile.isEmpty()) {
            frmMain *window = mainWindow.get();
            QTimer::singleShot(0, window, [window, startFile] {
                window->session().openPath(startFile);
            });
        }
        return mainWindow.get();
    });
    splash->show();
    return app.exec();
}
