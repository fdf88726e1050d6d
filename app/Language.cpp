#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace Language {

namespace {
QTranslator* g_english = nullptr;
QTranslator* g_qtChinese = nullptr;

// Qt's own texts (standard buttons, file dialogs) follow the interface: its source texts are
// English, so only the Chinese interface needs a translation. Without the package the
// standard texts stay English.
void UseQtChinese(bool chinese) {
    if (!chinese) {
        if (g_qtChinese != nullptr) {
            QCoreApplication::removeTranslator(g_qtChinese);
        }
        return;
    }
    if (g_qtChinese == nullptr) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete translator;
            return;
        }
        g_qtChinese = translator;
    }
    QCoreApplication::installTranslator(g_qtChinese);
}
} // namespace

bool UseEnglishForms(bool english) {
    UseQtChinese(!english);
    if (!english) {
        if (g_english != nullptr) {
            QCoreApplication::removeTranslator(g_english);
        }
        return true;
    }
    if (g_english == nullptr) {
        // Owned by the application object, so it goes with it.
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (!translator->load(QStringLiteral(":/i18n/orvconf_en.qm"))) {
            delete translator;
            return false;
        }
        g_english = translator;
    }
    return QCoreApplication::installTranslator(g_english);
}

} // namespace Language
