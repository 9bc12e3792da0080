#include "exporter/ExporterProcess.h"

#include <dirent.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The fields of /proc/self/stat after the command name, which may hold
// spaces and parentheses itself (proc(5)): field 3 (state) comes first.
std::vector<std::string> StatFields()
{
    std::ifstream file("/proc/self/stat");
    std::string line;
    std::getline(file, line);
    const size_t end = line.rfind(')');
    std::vector<std::string> fields;
    if (end == std::string::npos)
        return fields;
    std::istringstream rest(line.substr(end + 1));
    for (std::string field; rest >> field;)
        fields.push_back(field);
    return fields;
}

double BootTimeSeconds()
{
    std::ifstream file("/proc/stat");
    for (std::string line; std::getline(file, line);)
        if (line.compare(0, 6, "btime ") == 0)
            return std::stod(line.substr(6));
    return 0;
}

double OpenDescriptors()
{
    DIR* folder = opendir("/proc/self/fd");
    if (folder == nullptr)
        return 0;
    double count = 0;
    while (const dirent* entry = readdir(folder))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(folder);
    return count - 1;  // the one open for reading the folder
}

// proc(5) numbers the fields from 1; fields[0] is field 3.
double Field(const std::vector<std::string>& fields, size_t number)
{
    return std::stod(fields.at(number - 3));
}

}  // namespace

CProcessFigures ReadProcessFigures()
{
    CProcessFigures figures;
    const std::vector<std::string> fields = StatFields();
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    const double page = static_cast<double>(sysconf(_SC_PAGESIZE));
    if (fields.size() < 22 || ticks <= 0 || page <= 0)
        return figures;
    try {
        figures.cpuSeconds = (Field(fields, 14) + Field(fields, 15)) / ticks;
        figures.startTimeSeconds = BootTimeSeconds() + Field(fields, 22) / ticks;
        figures.virtualBytes = Field(fields, 23);
        figures.residentBytes = Field(fields, 24) * page;
    } catch (const std::exception&) {
        return figures;
    }
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0)
        figures.maxDescriptors = static_cast<double>(limit.rlim_cur);
    figures.openDescriptors = OpenDescriptors();
    figures.read = true;
    return figures;
}
