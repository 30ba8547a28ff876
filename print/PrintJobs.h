#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Hands the finished PDF file at `pdfPath` to the printing system (CUPS) as one job named `title` on `queue`
// ("printer" or "printer/instance"), on paper `media` (empty: the queue's default). Nothing when the system
// created the job and took the document; otherwise why not: a queue the system no longer lists, a scheduler
// that does not answer, or the system's own description of a job it refused, such as a queue that accepts no
// jobs. `jobId`, when given, receives the number of the job taken.
std::optional<std::string> SubmitPdfJob(const std::string& queue, const std::string& title,
                                        const std::string& pdfPath, const std::string& media, int* jobId = nullptr);

// Writes a PDF handed over in pieces (as WriteFileAtomically takes them) into a scratch file that has no name
// where the system allows, so a killed program leaves none behind, and submits it with SubmitPdfJob. Nothing
// when the job was taken (its number in `jobId`, when given), the reason otherwise.
std::optional<std::string> PrintPdf(const std::string& queue, const std::string& title, const std::string& media,
                                    const std::function<std::string_view()>& nextPiece, int* jobId = nullptr);

}  // namespace velmora
