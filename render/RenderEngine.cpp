#include "render/RenderEngine.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "common/HugePages.h"
#include "render/CalcBas.h"
#include "render/SimdKernels.h"

namespace velmora {

namespace {

// Points the lane kernels get per block: enough that the slow last points of
// a block hardly matter, small enough that the first column comes quickly.
constexpr int kBlockPoints = 8192;

// Worker threads compute blocks of columns in walk order into a ring of
// slots while the reader takes them in the same order. A block is claimed
// only when its slot is free, which bounds the memory to the ring: about one
// pass, never the whole picture.
class ThreadedEngine final : public CountEngine {
public:
    explicit ThreadedEngine(int threads) : threads_(threads) {}
    ~ThreadedEngine() override { End(); }

    void Begin(const RenderParams& params) override {
        End();
        params_ = params;
        rows_ = params.Rows();
        columns_ = params.Columns();
        blockColumns_ = std::clamp(kBlockPoints / std::max(rows_, 1), 1, std::max(columns_, 1));
        blocksPerPass_ = (columns_ + blockColumns_ - 1) / blockColumns_;
        blockCount_ = static_cast<std::int64_t>(blocksPerPass_) * params.PassCount();
        slotSize_ = static_cast<std::size_t>(blockColumns_) * static_cast<std::size_t>(rows_);
        if (!params.UsesKernel() || blockCount_ == 0 || rows_ == 0) {
            // No kernel runs: every count is 0.
            zeros_.assign(static_cast<std::size_t>(std::max(rows_, 1)), 0);
            return;
        }
        slots_ = std::max(2 * threads_ + 2, blocksPerPass_);
        buffer_ = HugePageBuffer(static_cast<std::size_t>(slots_) * slotSize_);
        slotBlock_.assign(static_cast<std::size_t>(slots_), -1);
        slotBusy_.assign(static_cast<std::size_t>(slots_), false);
        nextBlock_ = 0;
        reading_ = 0;
        readyBlock_ = -1;
        stopping_ = false;
        try {
            for (int t = 0; t < threads_; ++t) workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // Fewer threads than asked for: the reader computes what is missing.
        }
    }

    const std::uint8_t* Column(int passIndex, int column) override {
        if (!zeros_.empty()) return zeros_.data();
        const std::int64_t block = static_cast<std::int64_t>(passIndex) * blocksPerPass_ + column / blockColumns_;
        const std::size_t slot = static_cast<std::size_t>(block % slots_);
        const std::size_t offset = slot * slotSize_ + static_cast<std::size_t>(column % blockColumns_) * rows_;
        // The block being read stays in its slot until the reader moves on, so
        // its further columns need no lock.
        if (block == readyBlock_) return Counts() + offset;
        std::unique_lock lock(mutex_);
        if (block > reading_) {
            // Blocks before this one are read or skipped: their slots take
            // new work, and skipped blocks nobody has started are never computed.
            reading_ = block;
            nextBlock_ = std::max(nextBlock_, block);
            workAvailable_.notify_all();
        }
        while (slotBlock_[slot] != block) {
            if (nextBlock_ <= block && Claimable()) {
                // Nobody has started the wanted block yet: compute it here.
                ComputeClaimed(lock, readerScratch_);
            } else {
                blockDone_.wait(lock);
            }
        }
        readyBlock_ = block;
        return Counts() + offset;
    }

    void End() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        workAvailable_.notify_all();
        for (std::thread& worker : workers_) worker.join();
        workers_.clear();
        buffer_ = HugePageBuffer();
        std::vector<std::int64_t>().swap(slotBlock_);
        std::vector<bool>().swap(slotBusy_);
        std::vector<std::uint8_t>().swap(zeros_);
        readerScratch_ = Scratch();
    }

private:
    // Per-thread inputs of one block: x, y, a and b one after another.
    struct Scratch {
        HugePageBuffer floats;
    };

    std::uint8_t* Counts() const { return static_cast<std::uint8_t*>(buffer_.data()); }

    // A slot still being written by a skipped block takes no new block
    // until that one is done.
    bool Claimable() const {
        return nextBlock_ < blockCount_ && nextBlock_ < reading_ + slots_ &&
               !slotBusy_[static_cast<std::size_t>(nextBlock_ % slots_)];
    }

    void Work() {
        Scratch scratch;
        std::unique_lock lock(mutex_);
        while (true) {
            workAvailable_.wait(lock, [this] { return stopping_ || Claimable(); });
            if (stopping_) return;
            ComputeClaimed(lock, scratch);
        }
    }

    // Claims the next block and computes it with the lock released.
    void ComputeClaimed(std::unique_lock<std::mutex>& lock, Scratch& scratch) {
        const std::int64_t block = nextBlock_++;
        const std::size_t slot = static_cast<std::size_t>(block % slots_);
        std::uint8_t* counts = Counts() + slot * slotSize_;
        slotBusy_[slot] = true;
        lock.unlock();
        ComputeBlock(block, counts, scratch);
        lock.lock();
        slotBusy_[slot] = false;
        slotBlock_[slot] = block;
        blockDone_.notify_all();
        workAvailable_.notify_all();
    }

    void ComputeBlock(std::int64_t block, std::uint8_t* counts, Scratch& s) const {
        const int pass = params_.PassAt(static_cast<int>(block / blocksPerPass_));
        const int firstColumn = static_cast<int>(block % blocksPerPass_) * blockColumns_;
        const int columnCount = std::min(blockColumns_, columns_ - firstColumn);
        const std::size_t count = static_cast<std::size_t>(columnCount) * rows_;
        if (s.floats.size() < 4 * count * sizeof(float)) s.floats = HugePageBuffer(4 * count * sizeof(float));
        float* const xs = static_cast<float*>(s.floats.data());
        float* const ys = xs + count;
        float* const as = ys + count;
        float* const bs = as + count;
        std::size_t i = 0;
        for (int c = 0; c < columnCount; ++c) {
            const float x = PointX(params_, 4LL * (firstColumn + c) + CalcBas::kPassX[pass]);
            for (int row = 0; row < rows_; ++row, ++i) {
                const float y = PointY(params_, 4LL * row + CalcBas::kPassY[pass]);
                // The parameter plane starts every orbit at (a, b) with the point as
                // parameter, the vertical coordinate first.
                if (params_.parameterPlane) {
                    xs[i] = params_.a, ys[i] = params_.b, as[i] = y, bs[i] = x;
                } else {
                    xs[i] = x, ys[i] = y, as[i] = params_.a, bs[i] = params_.b;
                }
            }
        }
        CountPoints(params_.kernelMode, params_.maxIter, PointInputs{xs, ys, as, bs, count},
                    counts);
    }

    const int threads_;
    RenderParams params_;
    int rows_ = 0, columns_ = 0, blockColumns_ = 1, blocksPerPass_ = 0, slots_ = 1;
    std::int64_t blockCount_ = 0;
    std::size_t slotSize_ = 0;
    HugePageBuffer buffer_;  // the ring of slots
    std::vector<std::uint8_t> zeros_;
    // The block each slot holds once computed, -1 for none yet.
    std::vector<std::int64_t> slotBlock_;
    std::vector<bool> slotBusy_;  // a block is being computed into the slot
    std::int64_t nextBlock_ = 0;  // the next block to claim
    std::int64_t reading_ = 0;    // the block the reader is in; earlier slots are free
    std::int64_t readyBlock_ = -1;  // the reader's block, once computed (reader only)
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable workAvailable_, blockDone_;
    std::vector<std::thread> workers_;
    Scratch readerScratch_;
};

}  // namespace

std::unique_ptr<CountEngine> MakeEngine(int threads) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::make_unique<ThreadedEngine>(threads > 0 ? threads : cores);
}

}  // namespace velmora
