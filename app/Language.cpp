#include "app/Language.h"

#include <QCoreApplication>
#include <QTranslator>

namespace Language {

namespace {
QTranslator* g_english = nullptr;
}

bool UseEnglishForms(bool english) {
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
