#include "render/RenderEngine.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

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
        buffer_.assign(static_cast<std::size_t>(slots_) * slotSize_, 0);
        slotBlock_.assign(static_cast<std::size_t>(slots_), -1);
        slotBusy_.assign(static_cast<std::size_t>(slots_), false);
        nextBlock_ = 0;
        reading_ = 0;
        readyBlock_ = -1;
        stopping_ = false;
        try {
            // The reader computes too, so it counts as one of the threads.
            for (int t = 1; t < threads_; ++t) workers_.emplace_back([this] { Work(); });
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
        if (block == readyBlock_) return buffer_.data() + offset;
        std::unique_lock lock(mutex_);
        if (block > reading_) {
            // Blocks before this one are read or skipped: their slots take
            // new work, and skipped blocks nobody has started are never computed.
            reading_ = block;
            nextBlock_ = std::max(nextBlock_, block);
            // Idle workers wake once half the ring is free, not for every
            // block read, and then compute several blocks in a row.
            if (idleWorkers_ > 0 && Claimable() && 2 * (reading_ + slots_ - nextBlock_) >= slots_)
                workAvailable_.notify_one();
        }
        while (slotBlock_[slot] != block) {
            if (Claimable()) {
                // Rather than sleep until the wanted block is done, the reader
                // computes the next unclaimed one: a sleep and a wake-up per
                // block cost more than they save.
                ComputeClaimed(lock, readerScratch_);
            } else {
                awaited_ = slot;
                blockDone_.wait(lock);
                awaited_ = kNoSlot;
            }
        }
        readyBlock_ = block;
        return buffer_.data() + offset;
    }

    void End() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        workAvailable_.notify_all();
        for (std::thread& worker : workers_) worker.join();
        workers_.clear();
        std::vector<std::uint8_t>().swap(buffer_);
        std::vector<std::int64_t>().swap(slotBlock_);
        std::vector<bool>().swap(slotBusy_);
        std::vector<std::uint8_t>().swap(zeros_);
        readerScratch_ = Scratch();
    }

private:
    // Per-thread inputs of one block.
    struct Scratch {
        std::vector<float> x, y, a, b;
        std::vector<float> rowY;  // the plane coordinate of each row
    };

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
            if (!stopping_ && !Claimable()) {
                ++idleWorkers_;
                workAvailable_.wait(lock, [this] { return stopping_ || Claimable(); });
                --idleWorkers_;
            }
            if (stopping_) return;
            ComputeClaimed(lock, scratch);
        }
    }

    // Claims the next block and computes it with the lock released. Each thread
    // that claims wakes one more idle worker while blocks remain, so a wake-up
    // spreads to as many workers as there is work for.
    void ComputeClaimed(std::unique_lock<std::mutex>& lock, Scratch& scratch) {
        const std::int64_t block = nextBlock_++;
        const std::size_t slot = static_cast<std::size_t>(block % slots_);
        std::uint8_t* counts = buffer_.data() + slot * slotSize_;
        slotBusy_[slot] = true;
        if (idleWorkers_ > 0 && Claimable()) workAvailable_.notify_one();
        lock.unlock();
        ComputeBlock(block, counts, scratch);
        lock.lock();
        slotBusy_[slot] = false;
        slotBlock_[slot] = block;
        if (awaited_ == slot) blockDone_.notify_one();
    }

    void ComputeBlock(std::int64_t block, std::uint8_t* counts, Scratch& s) const {
        const int pass = params_.PassAt(static_cast<int>(block / blocksPerPass_));
        const int firstColumn = static_cast<int>(block % blocksPerPass_) * blockColumns_;
        const int columnCount = std::min(blockColumns_, columns_ - firstColumn);
        const std::size_t count = static_cast<std::size_t>(columnCount) * rows_;
        for (auto* v : {&s.x, &s.y, &s.a, &s.b}) v->resize(count);
        // Every column of the block has the same rows.
        s.rowY.resize(static_cast<std::size_t>(rows_));
        for (int row = 0; row < rows_; ++row) s.rowY[row] = PointY(params_, 4LL * row + CalcBas::kPassY[pass]);
        std::size_t i = 0;
        for (int c = 0; c < columnCount; ++c) {
            const float x = PointX(params_, 4LL * (firstColumn + c) + CalcBas::kPassX[pass]);
            for (int row = 0; row < rows_; ++row, ++i) {
                const float y = s.rowY[row];
                // The parameter plane starts every orbit at (a, b) with the point as
                // parameter, the vertical coordinate first.
                if (params_.parameterPlane) {
                    s.x[i] = params_.a, s.y[i] = params_.b, s.a[i] = y, s.b[i] = x;
                } else {
                    s.x[i] = x, s.y[i] = y, s.a[i] = params_.a, s.b[i] = params_.b;
                }
            }
        }
        CountPoints(params_.kernelMode, params_.maxIter, PointInputs{s.x.data(), s.y.data(), s.a.data(), s.b.data(), count},
                    counts);
    }

    const int threads_;
    RenderParams params_;
    int rows_ = 0, columns_ = 0, blockColumns_ = 1, blocksPerPass_ = 0, slots_ = 1;
    std::int64_t blockCount_ = 0;
    std::size_t slotSize_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::vector<std::uint8_t> zeros_;
    // The block each slot holds once computed, -1 for none yet.
    std::vector<std::int64_t> slotBlock_;
    std::vector<bool> slotBusy_;  // a block is being computed into the slot
    std::int64_t nextBlock_ = 0;  // the next block to claim
    std::int64_t reading_ = 0;    // the block the reader is in; earlier slots are free
    std::int64_t readyBlock_ = -1;  // the reader's block, once computed (reader only)
    bool stopping_ = false;
    // The slot whose block or whose skipped block the reader sleeps on.
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    std::size_t awaited_ = kNoSlot;
    int idleWorkers_ = 0;       // workers sleeping until a block can be claimed
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
