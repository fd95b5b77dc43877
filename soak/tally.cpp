// SPDX-License-Identifier: MIT
#include "tally.h"

namespace soak {

unsigned long Tally::totalCalls() const
{
    unsigned long total = 0;
    for (const auto &row : calls)
        for (auto n : row)
            total += n;
    return total;
}

unsigned long Tally::byCommand(Command command) const
{
    unsigned long total = 0;
    for (auto n : calls[indexOf(command)])
        total += n;
    return total;
}

unsigned long Tally::byFault(Fault fault) const
{
    unsigned long total = 0;
    for (const auto &row : calls)
        total += row[indexOf(fault)];
    return total;
}

bool Tally::clean() const
{
    return wrongVerdicts == 0 && wrongData == 0 && buffersTouched == 0 && outOfBounds == 0 && wireMismatches == 0 &&
           stateMismatches == 0 && overLong == 0 && failedReconnects == 0 && lossesUnsaid == 0 && recoveries == hangUps;
}

} // namespace soak
