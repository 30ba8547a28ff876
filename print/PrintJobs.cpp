#include "print/PrintJobs.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/AtomicFile.h"

namespace velmora {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

PrintRefusal WriteFailed() { return {PrintRefusal::Kind::WriteFailed, std::strerror(errno)}; }

// Writes every piece to `fd`; the system's reason on failure.
std::optional<PrintRefusal> WriteAll(int fd, const std::function<std::string_view()>& nextPiece) {
    for (std::string_view piece = nextPiece(); !piece.empty(); piece = nextPiece()) {
        while (!piece.empty()) {
            const ssize_t n = ::write(fd, piece.data(), piece.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return WriteFailed();
            piece.remove_prefix(static_cast<std::size_t>(n));
        }
    }
    return std::nullopt;
}

}  // namespace

std::string RefusalText(const PrintRefusal& refusal, const std::string& queue) {
    switch (refusal.kind) {
    case PrintRefusal::Kind::NotInstalled:
        return "The printer " + Quoted(queue) + " is not installed any more.";
    case PrintRefusal::Kind::NoAnswer:
        return Quoted(queue) + " cannot take the print job: the printing system does not answer (" +
               refusal.detail + ").";
    case PrintRefusal::Kind::Refused:
        return Quoted(queue) + " did not take the print job: " + refusal.detail;
    case PrintRefusal::Kind::WriteFailed:
        break;
    }
    return refusal.detail;
}

std::optional<PrintRefusal> SubmitPdfJob(const std::string& queue, const std::string& title,
                                         const std::string& pdfPath, const std::string& media, int* jobId) {
    const std::size_t slash = queue.find('/');
    const std::string printer = queue.substr(0, slash);
    const std::string instance = slash == std::string::npos ? std::string() : queue.substr(slash + 1);
    cups_dest_t* dests = nullptr;
    const int destCount = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const cups_dest_t* dest =
        cupsGetDest(printer.c_str(), instance.empty() ? nullptr : instance.c_str(), destCount, dests);
    if (!dest) {
        // Looked up first: CUPS reports a job for a printer it does not know, or sent while no scheduler
        // answers, only as "No such file or directory".
        const ipp_status_t status = cupsLastError();
        cupsFreeDests(destCount, dests);
        if (destCount == 0 && status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
            return PrintRefusal{PrintRefusal::Kind::NoAnswer, ippErrorString(status)};
        return PrintRefusal{PrintRefusal::Kind::NotInstalled, {}};
    }
    // An instance is the printer with the options saved for it (lpoptions); the job carries them.
    int optionCount = 0;
    cups_option_t* options = nullptr;
    for (int i = 0; i < dest->num_options; ++i)
        optionCount = cupsAddOption(dest->options[i].name, dest->options[i].value, optionCount, &options);
    cupsFreeDests(destCount, dests);
    if (!media.empty()) optionCount = cupsAddOption("media", media.c_str(), optionCount, &options);
    const int job = cupsPrintFile(printer.c_str(), pdfPath.c_str(), title.c_str(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job == 0) return PrintRefusal{PrintRefusal::Kind::Refused, cupsLastErrorString()};
    if (jobId) *jobId = job;
    return std::nullopt;
}

std::optional<PrintRefusal> PrintPdf(const std::string& queue, const std::string& title, const std::string& media,
                                     const std::function<std::string_view()>& nextPiece, int* jobId) {
    const ScratchFile unnamed;
    if (!unnamed.Path().empty()) {
        const int fd = ::open(unnamed.Path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return WriteFailed();
        auto failure = WriteAll(fd, nextPiece);
        ::close(fd);
        if (failure) return failure;
        return SubmitPdfJob(queue, title, unnamed.Path(), media, jobId);
    }
    // No unnamed files here: a named one, removed once the printing system has taken the document.
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder && *folder ? folder : "/tmp") + "/velmora-print-XXXXXX";
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) return WriteFailed();
    auto failure = WriteAll(fd, nextPiece);
    ::close(fd);
    if (!failure) failure = SubmitPdfJob(queue, title, path, media, jobId);
    ::unlink(path.c_str());
    return failure;
}

}  // namespace velmora
