#pragma once
#include <optional>

#include <QString>

namespace velmora {

// Hands the finished PDF file at `pdfPath` to the printing system (CUPS) as one job named `title` on `queue`
// ("printer" or "printer/instance"), on paper `media` (empty: the queue's default). Nothing when the system
// created the job and took the document; otherwise why not: a queue the system no longer lists, a scheduler
// that does not answer, or the system's own description of a job it refused, such as a queue that accepts no
// jobs.
std::optional<QString> SubmitPdfJob(const QString& queue, const QString& title, const QString& pdfPath,
                                    const QString& media);

}  // namespace velmora
