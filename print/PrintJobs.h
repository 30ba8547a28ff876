#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Why the printing system did not take a job.
struct PrintRefusal {
    enum class Kind {
        NotInstalled,  // a queue the system no longer lists
        NoAnswer,      // a scheduler that does not answer; `detail` is its status
        Refused,       // the system refused the job; `detail` is its own description, such as a queue that
                       // accepts no jobs
        WriteFailed,   // the document could not be written for the system; `detail` is the error
    };
    Kind kind;
    std::string detail;
};

// The refusal of a job for `queue` in English, as velmora-render prints it.
std::string RefusalText(const PrintRefusal& refusal, const std::string& queue);

// Hands the finished PDF file at `pdfPath` to the printing system (CUPS) as one job named `title` on `queue`
// ("printer" or "printer/instance"), on paper `media` (empty: the queue's default). Nothing when the system
// created the job and took the document (its number in `jobId`, when given); otherwise why not.
std::optional<PrintRefusal> SubmitPdfJob(const std::string& queue, const std::string& title,
                                         const std::string& pdfPath, const std::string& media, int* jobId = nullptr);

// Writes a PDF handed over in pieces (as WriteFileAtomically takes them) into a scratch file that has no name
// where the system allows, so a killed program leaves none behind, and submits it with SubmitPdfJob. Nothing
// when the job was taken (its number in `jobId`, when given), the reason otherwise.
std::optional<PrintRefusal> PrintPdf(const std::string& queue, const std::string& title, const std::string& media,
                                     const std::function<std::string_view()>& nextPiece, int* jobId = nullptr);

}  // namespace velmora
