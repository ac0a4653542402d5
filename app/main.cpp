#include "art.h"
#include "bestpartcommand.h"
#include "frmmain.h"
#include "frmsplash.h"
#include "language.h"
#include "looks.h"
#include "ringtonesession.h"
#include "messageboxprompt.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

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
    const QString language = Language::choose(QLocale::system().uiLanguages());
    Language::setCurrent(language);
    Art::setLanguage(language);
    QTranslator translator;
    if (Language::load(translator, language))
        QCoreApplication::installTranslator(&translator);
    // The program ends only through the main window's confirmed exit.
    QApplication::setQuitOnLastWindowClosed(false);

    // "kesmarin FILE" (the desktop entry's Exec line) opens FILE once the
    // main window is up.
    const QStringList arguments = QApplication::arguments();
    const QString startFile = arguments.size() > 1 ? arguments.at(1) : QString();

    MessageBoxPrompt prompt;
    std::unique_ptr<frmMain> mainWindow;
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
