#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// How long the printing system may stay silent over a lookup or a job before it counts as not answering.
constexpr double kPrintTimeoutSeconds = 10;

// Why the printing system did not take a job.
struct PrintRefusal {
    enum class Kind {
        NotInstalled,  // a queue the system does not list
        NoAnswer,      // a scheduler that cannot be reached or does not answer in time; `detail` says which
        Refused,       // the system refused the job; `detail` is its own description, such as a queue that
                       // accepts no jobs
        WriteFailed,   // the document could not be written for the system; `detail` is the error
    };
    Kind kind;
    std::string detail;
};

// The refusal of a job for `queue` in English, as velmora-render prints it.
std::string RefusalText(const PrintRefusal& refusal, const std::string& queue);

// The line on a job taken, in English, as velmora-render prints it: "sent to QUEUE: job 12, 2 pages" (without
// the job when the system gave no number).
std::string SentText(const std::string& queue, int job, std::size_t pages);

// Whether the printing system (CUPS) answers within `timeoutSeconds` and lists `queue` ("printer" or
// "printer/instance") as accepting jobs: nothing when it does, why not otherwise. Asked before a job's pages are
// drawn, so a wrong name or a silent scheduler costs no drawing.
std::optional<PrintRefusal> CheckPrintQueue(const std::string& queue, double timeoutSeconds = kPrintTimeoutSeconds);

// True when the printing system takes the connection but does not answer within `timeoutSeconds` (a stopped or
// wedged scheduler); false when it answers or cannot be reached at all.
bool PrintingSystemSilent(double timeoutSeconds = kPrintTimeoutSeconds);

// Hands the finished PDF file at `pdfPath` to the printing system as one job named `title` on `queue`, on paper
// `media` (empty: the queue's default). Nothing when the system created the job and took the document (the job's
// number in `jobId`, when given); otherwise why not. Every wait on the scheduler ends once it has been silent
// for `timeoutSeconds`.
std::optional<PrintRefusal> SubmitPdfJob(const std::string& queue, const std::string& title,
                                         const std::string& pdfPath, const std::string& media,
                                         double timeoutSeconds = kPrintTimeoutSeconds, int* jobId = nullptr);

// Writes a PDF handed over in pieces (as WriteFileAtomically takes them) into a scratch file that has no name
// where the system allows, so a killed program leaves none behind, and submits it with SubmitPdfJob. Nothing
// when the job was taken (its number in `jobId`, when given), the reason otherwise.
std::optional<PrintRefusal> PrintPdf(const std::string& queue, const std::string& title, const std::string& media,
                                     const std::function<std::string_view()>& nextPiece,
                                     double timeoutSeconds = kPrintTimeoutSeconds, int* jobId = nullptr);

}  // namespace velmora
