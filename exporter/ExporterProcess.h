#pragma once

// What Linux tells cheaply about this process, as exporters report it.
struct CProcessFigures {
    bool read = false;  // false when /proc could not be read
    double cpuSeconds = 0;
    double residentBytes = 0;
    double virtualBytes = 0;
    double openDescriptors = 0;
    double maxDescriptors = 0;
    double startTimeSeconds = 0;  // since the Unix epoch
};

CProcessFigures ReadProcessFigures();
