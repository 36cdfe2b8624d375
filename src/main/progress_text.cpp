#include "main/progress_text.h"

#include <algorithm>

QString progressText(std::int64_t done, std::int64_t total) {
    const auto percent = static_cast<int>(static_cast<double>(done) * 100 / total);
    return QString::number(percent) + "%  " + QString::number(done / 1024) + "KB / " +
           QString::number(total / 1024) + "KB";
}

QString speedText(std::int64_t bytesThisTick) {
    return QString::number(std::max<std::int64_t>(0, bytesThisTick) / 1024) + " KB/s";
}
