#pragma once
#include <cstdint>

#include <QWidget>

class QScrollBar;

namespace velmora {

// A scroll bar with a value, minimum, maximum, small and large change, all
// 16-bit. The value runs from the minimum at the left (top) end to the maximum
// at the right (bottom) end, also when the maximum is below the minimum: the
// bar then runs backwards. Change is raised whenever the value changes, by the
// user or the program (including when a new range moves it), never when it is
// set to the value it already has.
class ScrollBar : public QWidget {
    Q_OBJECT
public:
    ScrollBar(Qt::Orientation orientation, QWidget* parent);

    std::int16_t Value() const { return value_; }
    std::int16_t Min() const { return min_; }
    std::int16_t Max() const { return max_; }
    std::int16_t SmallChange() const { return smallChange_; }
    std::int16_t LargeChange() const { return largeChange_; }

    // A value outside the range is moved to the nearer end.
    void SetValue(std::int16_t value);
    void SetMin(std::int16_t minimum);
    void SetMax(std::int16_t maximum);
    void SetSmallChange(std::int16_t step);
    void SetLargeChange(std::int16_t step);

    // The Qt bar underneath, for simulating the user's clicks.
    QScrollBar* Bar() const { return bar_; }

signals:
    void Change();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int Direction() const { return max_ < min_ ? -1 : 1; }
    std::int16_t Clamped(int value) const;
    void Sync();
    void FromBar(int position);

    QScrollBar* bar_;
    std::int16_t value_ = 0, min_ = 0, max_ = 32767, smallChange_ = 1, largeChange_ = 1;
    bool syncing_ = false;
};

}  // namespace velmora
