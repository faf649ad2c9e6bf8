#include "qt_application.h"

#include <QStyleFactory>
#include <QtGlobal>
#include <cstdlib>

#include "../../core/product_identity.h"

namespace {

QtMessageHandler qtMessageOutput = nullptr;  // Qt's own handler, which prints

void exitOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    qtMessageOutput(type, context, message);
    if (type == QtFatalMsg) std::_Exit(1);
}

}  // namespace

bool displayConfigured() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return true;
    }
    return false;
}

void exitOnFatalMessages(bool on) {
    if (on) qtMessageOutput = qInstallMessageHandler(exitOnFatalMessage);
    else qInstallMessageHandler(qtMessageOutput);
}

void prepareApplication() {
    QApplication::setApplicationName(QString::fromUtf8(kWindowClassName));
    QApplication::setDesktopFileName(QString::fromUtf8(kDesktopApplicationId));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}
