#include "export/SharedRows.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace velmora {

void ReadTogether(const PictureRows& picture, int bandHeight,
                  const std::vector<std::function<void(const PictureRows&)>>& readers) {
    const std::size_t count = readers.size();
    std::mutex lock;
    std::condition_variable moved;
    std::vector<int> band(count, 0);  // the band each reader is in
    std::vector<bool> done(count, false);
    std::exception_ptr failure;
    const auto rowsFor = [&](std::size_t reader, std::vector<Pixel>& copy) -> PictureRows {
        const auto part = [&, reader](int y, int x, int width) -> const Pixel* {
            const int wanted = y / std::max(bandHeight, 1);
            std::unique_lock held(lock);
            // Asking for a band says the reader is done with the ones above it.
            if (band[reader] != wanted) {
                band[reader] = wanted;
                moved.notify_all();
            }
            moved.wait(held, [&] {
                for (std::size_t other = 0; other < count; ++other)
                    if (other != reader && !done[other] && band[other] < wanted) return false;
                return true;
            });
            const Pixel* row = RowPart(picture, y, x, width);
            copy.assign(row, row + width);
            return copy.data();
        };
        return {picture.width, picture.height, [&, part](int y) { return part(y, 0, picture.width); }, part};
    };
    const auto finish = [&](std::size_t reader) {
        const std::lock_guard held(lock);
        done[reader] = true;
        moved.notify_all();
    };
    std::vector<std::thread> threads;
    for (std::size_t reader = 0; reader < count; ++reader)
        threads.emplace_back([&, reader] {
            std::vector<Pixel> copy;
            try {
                readers[reader](rowsFor(reader, copy));
            } catch (...) {
                const std::lock_guard held(lock);
                if (!failure) failure = std::current_exception();
            }
            finish(reader);
        });
    for (std::thread& thread : threads) thread.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace velmora
