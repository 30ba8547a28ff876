#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// How long the printing system may stay silent over a lookup or a job before it counts as not answering.
constexpr double kPrintTimeoutSeconds = 10;

// Whether the printing system (CUPS) answers within `timeoutSeconds` and lists `queue` ("printer" or
// "printer/instance") as accepting jobs: nothing when it does; otherwise why not, naming the queue. Asked before a job's pages are
// drawn, so a wrong name or a silent scheduler costs no drawing.
std::optional<std::string> CheckPrintQueue(const std::string& queue, double timeoutSeconds = kPrintTimeoutSeconds);

// True when the printing system takes the connection but does not answer within `timeoutSeconds` (a stopped or
// wedged scheduler); false when it answers or cannot be reached at all.
bool PrintingSystemSilent(double timeoutSeconds = kPrintTimeoutSeconds);

// Hands the finished PDF file at `pdfPath` to the printing system as one job named `title` on `queue`, on paper
// `media` (empty: the queue's default). Nothing when the system created the job and took the document; otherwise
// why not: a queue the system no longer lists, a scheduler that does not answer within `timeoutSeconds` (of
// silence), or the system's own description of a job it refused, such as a queue that accepts no jobs.
std::optional<std::string> SubmitPdfJob(const std::string& queue, const std::string& title,
                                        const std::string& pdfPath, const std::string& media,
                                        double timeoutSeconds = kPrintTimeoutSeconds);

// Writes a PDF handed over in pieces (as WriteFileAtomically takes them) into a scratch file that has no name
// where the system allows, so a killed program leaves none behind, and submits it with SubmitPdfJob. Nothing
// when the job was taken, the reason otherwise.
std::optional<std::string> PrintPdf(const std::string& queue, const std::string& title, const std::string& media,
                                    const std::function<std::string_view()>& nextPiece,
                                    double timeoutSeconds = kPrintTimeoutSeconds);

}  // namespace velmora
