#include "app/ConfApp.h"

#include "app/Language.h"
#include "app/MainDlg.h"
#include "base/Version.h"

CConfApp::CConfApp(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("ORVCONF"));
    setApplicationVersion(QString::fromLatin1(kOrvconfVersion));
}

int CConfApp::Run(std::optional<bool> english) {
    int status = 0;
    {
        // The program starts in Chinese, Qt's own texts too; the language commands re-create
        // the window inside the host.
        CMainWindowHost host;
        host.Translations().UseEnglishForms(false);
        if (english) {
            host.ChooseLanguage(*english);
        } else {
            host.Create();
        }
        status = exec();
    }
    return status;
}
