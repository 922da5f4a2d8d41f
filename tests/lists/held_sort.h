#pragma once
// A grid whose sort can be held: the first collation key it is asked for waits a while (so that
// the sort lets the event loop turn) after arranging for `during` to run in that turn.
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>

template <class Grid> class HeldSort : public Grid {
public:
    using Grid::Grid;
    using Grid::RawCompare;

    std::function<void()> during;
    bool ran = false; // `during` ran while the sort was still under way

protected:
    std::int64_t SortKey(int col, int row) override
    {
        if (during) {
            QTimer::singleShot(0, [action = std::exchange(during, nullptr), this] {
                ran = true;
                action();
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        return Grid::SortKey(col, row);
    }
};
