#pragma once

#include <QStringList>

// One run of a program to its end, its output thrown away: wall time, its own peak resident memory
// and its exit status (-1 when it could not be started or did not end normally).
struct ChildRun {
    double ms = -1;
    double peakMb = -1;
    int exitCode = -1;
};
ChildRun runChild(const QStringList &arguments);

// Memory of this process in MB: resident now, or the peak resident so far; -1 when unknown.
enum class Memory { Resident, Peak };
double ownMegabytes(Memory which);
