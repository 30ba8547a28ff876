#include "app/print/Printers.h"

#include <QApplication>

#include "app/toolkit/Services.h"
#include "app/print/QtPrinters.h"

namespace velmora {

namespace {

// Created on first use and never destroyed: its printers must not be torn down after the application object.
Printers& PlatformPrinters() {
    static Printers* const platform = new QtPrinters(AskForPdfFile);
    return *platform;
}

Printers* current = nullptr;

}  // namespace

std::optional<QString> AskForPdfFile(const QString& suggestedName) {
    const QString path =
        Toolkit().SaveFileName(QApplication::activeWindow(), suggestedName, QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
}

Printers& CurrentPrinters() { return current ? *current : PlatformPrinters(); }

ScopedPrinters::ScopedPrinters(Printers& printers) : previous_(current) { current = &printers; }

ScopedPrinters::~ScopedPrinters() { current = previous_; }

}  // namespace velmora
