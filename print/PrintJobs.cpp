#include "print/PrintJobs.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/Numbers.h"
#include "files/AtomicFile.h"

namespace velmora {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

PrintRefusal WriteFailed() { return {PrintRefusal::Kind::WriteFailed, std::strerror(errno)}; }

// A connection to the scheduler on which no wait outlasts the deadline: each wait is cut into short ones, and
// once the scheduler has been silent for the whole timeout the request fails. Every answer moves the deadline on,
// so a long document that the scheduler keeps reading is not cut off.
class Scheduler {
public:
    explicit Scheduler(double timeoutSeconds) : timeout_(std::chrono::duration<double>(timeoutSeconds)) {
        Answered();
        int cancel = 0;
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(timeout_).count();
        // A timeout of 0 would mean "do not connect".
        http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                             static_cast<int>(std::clamp<long long>(ms, 1, 1 << 30)), &cancel);
        if (http_) httpSetTimeout(http_, kSliceSeconds, &Scheduler::KeepWaiting, this);
    }
    ~Scheduler() {
        if (http_) httpClose(http_);
    }
    Scheduler(const Scheduler&) = delete;
    Scheduler& operator=(const Scheduler&) = delete;

    http_t* Http() const { return http_; }
    // Asks the scheduler a short question; true when it answered. The lookup of a queue makes several requests,
    // and a silent scheduler should cost one timeout, not one for each of them.
    bool Answers() {
        if (!http_ || silent_) return false;
        ippDelete(cupsDoRequest(http_, ippNewRequest(IPP_OP_CUPS_GET_DEFAULT), "/"));
        if (silent_) return false;
        Answered();
        return true;
    }
    bool Silent() const { return silent_; }
    void Answered() { deadline_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(timeout_); }

    // Why no job can be sent when the scheduler cannot be reached or has gone silent; nothing otherwise.
    std::optional<PrintRefusal> NoAnswer() const {
        if (http_ && !silent_) return std::nullopt;
        return PrintRefusal{PrintRefusal::Kind::NoAnswer,
                            silent_ ? "no answer within " + NumText(timeout_.count()) + " s"
                                    : ippErrorString(IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)};
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr double kSliceSeconds = 0.1;

    static int KeepWaiting(http_t*, void* self) {
        auto& scheduler = *static_cast<Scheduler*>(self);
        if (!scheduler.silent_ && Clock::now() < scheduler.deadline_) return 1;
        scheduler.silent_ = true;
        return 0;
    }

    std::chrono::duration<double> timeout_;
    Clock::time_point deadline_;
    http_t* http_ = nullptr;
    bool silent_ = false;
};

// The queue's options as the scheduler lists it, those saved for an instance (lpoptions) included: nothing and
// the options when it is listed, the reason otherwise.
std::optional<PrintRefusal> FindQueue(Scheduler& scheduler, const std::string& queue, int& optionCount,
                                     cups_option_t*& options) {
    if (!scheduler.Answers()) return scheduler.NoAnswer();
    const std::size_t slash = queue.find('/');
    const std::string printer = queue.substr(0, slash);
    const std::string instance = slash == std::string::npos ? std::string() : queue.substr(slash + 1);
    cups_dest_t* dests = nullptr;
    const int destCount = cupsGetDests2(scheduler.Http(), &dests);
    const cups_dest_t* dest =
        cupsGetDest(printer.c_str(), instance.empty() ? nullptr : instance.c_str(), destCount, dests);
    if (!dest) {
        const ipp_status_t status = cupsLastError();
        cupsFreeDests(destCount, dests);
        if (auto failure = scheduler.NoAnswer()) return failure;
        if (destCount == 0 && status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
            return PrintRefusal{PrintRefusal::Kind::NoAnswer, ippErrorString(status)};
        return PrintRefusal{PrintRefusal::Kind::NotInstalled, {}};
    }
    scheduler.Answered();
    for (int i = 0; i < dest->num_options; ++i)
        optionCount = cupsAddOption(dest->options[i].name, dest->options[i].value, optionCount, &options);
    cupsFreeDests(destCount, dests);
    return std::nullopt;
}

// Sends the file at `pdfPath` as the one document of a new job, whose number goes to `jobId`; the reason when the
// scheduler refuses it.
std::optional<PrintRefusal> SendJob(Scheduler& scheduler, const std::string& queue, const std::string& title,
                                   const std::string& pdfPath, int optionCount, cups_option_t* options, int& jobId) {
    const std::string printer = queue.substr(0, queue.find('/'));
    const int fd = ::open(pdfPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return WriteFailed();
    http_t* http = scheduler.Http();
    const int job = cupsCreateJob(http, printer.c_str(), title.c_str(), optionCount, options);
    std::optional<PrintRefusal> failure;
    if (job == 0) {
        failure = scheduler.NoAnswer();
        if (!failure) failure = PrintRefusal{PrintRefusal::Kind::Refused, cupsLastErrorString()};
        ::close(fd);
        return failure;
    }
    scheduler.Answered();
    http_status_t status =
        cupsStartDocument(http, printer.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1);
    char buffer[65536];
    while (status == HTTP_STATUS_CONTINUE) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            failure = WriteFailed();
            break;
        }
        if (n == 0) break;
        status = cupsWriteRequestData(http, buffer, static_cast<std::size_t>(n));
        scheduler.Answered();
    }
    ::close(fd);
    const bool sent = status == HTTP_STATUS_CONTINUE && !failure;
    // Finishing also reads the scheduler's answer to a document cut short, so the connection is left clean.
    const ipp_status_t finished = cupsFinishDocument(http, printer.c_str());
    if (!failure) failure = scheduler.NoAnswer();
    if (!failure && (!sent || finished > IPP_STATUS_OK_CONFLICTING))
        failure = PrintRefusal{PrintRefusal::Kind::Refused, cupsLastErrorString()};
    if (failure) cupsCancelJob2(http, printer.c_str(), job, 0);
    else jobId = job;
    return failure;
}

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
        return "The printer " + Quoted(queue) + " is not installed.";
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

std::string SentText(const std::string& queue, int job, std::size_t pages) {
    std::string text = "sent to " + queue + ": ";
    if (job > 0) text += "job " + std::to_string(job) + ", ";
    return text + std::to_string(pages) + (pages == 1 ? " page" : " pages");
}

bool PrintingSystemSilent(double timeoutSeconds) {
    Scheduler scheduler(timeoutSeconds);
    return !scheduler.Answers() && scheduler.Silent();
}

std::optional<PrintRefusal> CheckPrintQueue(const std::string& queue, double timeoutSeconds) {
    Scheduler scheduler(timeoutSeconds);
    int optionCount = 0;
    cups_option_t* options = nullptr;
    auto failure = FindQueue(scheduler, queue, optionCount, options);
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", optionCount, options);
    // Worded as the scheduler words the job it then refuses.
    if (!failure && accepting && std::strcmp(accepting, "false") == 0)
        failure = PrintRefusal{PrintRefusal::Kind::Refused,
                               "Destination " + Quoted(queue.substr(0, queue.find('/'))) + " is not accepting jobs."};
    cupsFreeOptions(optionCount, options);
    return failure;
}

std::optional<PrintRefusal> SubmitPdfJob(const std::string& queue, const std::string& title,
                                        const std::string& pdfPath, const std::string& media, double timeoutSeconds,
                                        int* jobId) {
    Scheduler scheduler(timeoutSeconds);
    // Looked up first: CUPS reports a job for a printer it does not know, or sent while no scheduler answers,
    // only as "No such file or directory". An instance is the printer with the options saved for it (lpoptions);
    // the job carries them.
    int optionCount = 0;
    cups_option_t* options = nullptr;
    auto failure = FindQueue(scheduler, queue, optionCount, options);
    if (!failure) {
        if (!media.empty()) optionCount = cupsAddOption("media", media.c_str(), optionCount, &options);
        int job = 0;
        failure = SendJob(scheduler, queue, title, pdfPath, optionCount, options, job);
        if (jobId) *jobId = job;
    }
    cupsFreeOptions(optionCount, options);
    return failure;
}

std::optional<PrintRefusal> PrintPdf(const std::string& queue, const std::string& title, const std::string& media,
                                     const std::function<std::string_view()>& nextPiece, double timeoutSeconds,
                                     int* jobId) {
    // The descriptor is closed, and a named scratch file removed, however the writing ends (an exception from
    // `nextPiece` ends the job before it is submitted and passes on).
    struct Scratch {
        int fd = -1;
        std::string named;
        ~Scratch() {
            if (fd >= 0) ::close(fd);
            if (!named.empty()) ::unlink(named.c_str());
        }
    };
    const ScratchFile unnamed;
    Scratch scratch;
    std::string path = unnamed.Path();
    if (!path.empty()) {
        scratch.fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    } else {
        // No unnamed files here: a named one, removed once the printing system has taken the document.
        const char* folder = std::getenv("TMPDIR");
        path = std::string(folder && *folder ? folder : "/tmp") + "/velmora-print-XXXXXX";
        scratch.fd = ::mkostemp(path.data(), O_CLOEXEC);
        if (scratch.fd >= 0) scratch.named = path;
    }
    if (scratch.fd < 0) return WriteFailed();
    if (auto failure = WriteAll(scratch.fd, nextPiece)) return failure;
    ::close(std::exchange(scratch.fd, -1));
    return SubmitPdfJob(queue, title, path, media, timeoutSeconds, jobId);
}

}  // namespace velmora
