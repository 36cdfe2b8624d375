#include "ftp/permission_mode.h"

int modeNumber(unsigned bits) {
    int number = 0;
    int place = 1;
    for (bits &= 07777; bits != 0; bits >>= 3, place *= 10)
        number += static_cast<int>(bits & 7) * place;
    return number;
}

unsigned changedMode(unsigned chosen, unsigned current) {
    return (chosen & 0777) | (current & 07000);
}
