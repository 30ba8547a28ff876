#include "app/print/PrintJobs.h"

#include <cups/cups.h>

#include <QFile>

namespace velmora {

std::optional<QString> SubmitPdfJob(const QString& queue, const QString& title, const QString& pdfPath,
                                    const QString& media) {
    const QByteArray printer = queue.section(QLatin1Char('/'), 0, 0).toUtf8();
    const QByteArray instance = queue.section(QLatin1Char('/'), 1).toUtf8();
    cups_dest_t* dests = nullptr;
    const int destCount = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const cups_dest_t* dest =
        cupsGetDest(printer.constData(), instance.isEmpty() ? nullptr : instance.constData(), destCount, dests);
    if (!dest) {
        // Looked up first: CUPS reports a job for a printer it does not know, or sent while no scheduler
        // answers, only as "No such file or directory".
        const ipp_status_t status = cupsLastError();
        cupsFreeDests(destCount, dests);
        if (destCount == 0 && status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
            return QStringLiteral("\"%1\" cannot take the print job: the printing system does not answer (%2).")
                .arg(queue, QString::fromUtf8(ippErrorString(status)));
        return QStringLiteral("The printer \"%1\" is not installed any more.").arg(queue);
    }
    // An instance is the printer with the options saved for it (lpoptions); the job carries them.
    int optionCount = 0;
    cups_option_t* options = nullptr;
    for (int i = 0; i < dest->num_options; ++i)
        optionCount = cupsAddOption(dest->options[i].name, dest->options[i].value, optionCount, &options);
    cupsFreeDests(destCount, dests);
    if (!media.isEmpty()) optionCount = cupsAddOption("media", media.toUtf8().constData(), optionCount, &options);
    const int job = cupsPrintFile(printer.constData(), QFile::encodeName(pdfPath).constData(),
                                  title.toUtf8().constData(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job == 0) {
        const QString reason = QString::fromUtf8(cupsLastErrorString());
        return QStringLiteral("\"%1\" did not take the print job: %2").arg(queue, reason);
    }
    return std::nullopt;
}

}  // namespace velmora
