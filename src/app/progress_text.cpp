#include "app/progress_text.h"

#include <algorithm>

QString progressText(std::int64_t done, std::int64_t total) {
    const auto percent = static_cast<int>(static_cast<double>(done) * 100 / total);
    return QString::number(percent) + "%  " + QString::number(done / 1024) + "KB / " +
           QString::number(total / 1024) + "KB";
}

QString speedText(std::int64_t bytesThisTick) {
    return QString::number(std::max<std::int64_t>(0, bytesThisTick) / 1024) + " KB/s";
}

QString timeLeftText(std::int64_t seconds) {
    if (seconds < 60)
        return QString::number(seconds) + "sec";
    if (seconds < 3600)
        return QString::number(seconds / 60) + "min " + QString::number(seconds % 60) + "sec";
    return QString::number(seconds / 3600) + "h " + QString::number(seconds % 3600 / 60) + "min";
}

QString transferSpeedText(std::int64_t bytesThisTick) {
    if (bytesThisTick > 1024)
        return QString::number(bytesThisTick / 1024) + " KB/s";
    return QString::number(std::max<std::int64_t>(0, bytesThisTick)) + " B/s";
}

QString transferText(std::int64_t done, std::int64_t total, int transferTicks) {
    const std::int64_t whole = total > 0 ? total : done;
    if (done <= 0 || whole <= 0)
        return {};
    const long double ticks = transferTicks;
    const auto left =
        static_cast<std::int64_t>(static_cast<long double>(whole) / done * ticks - ticks);
    const auto percent = static_cast<int>(static_cast<long double>(done) * 100 / whole);
    return QString::number(percent) + "%  " + QString::number(done / 1024) + "KB / " +
           QString::number(total / 1024) + "KB " + timeLeftText(left);
}
