#include "tools/cli/CliOptions.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <strings.h>

size_t FindName(const std::vector<std::string>& names, const std::string& text)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (::strcasecmp(names[i].c_str(), text.c_str()) == 0)
            return i;
    return names.size();
}

CLI::Validator NamedChoiceCheck(const std::vector<std::string>& names)
{
    std::string list;
    for (const std::string& name : names)
        list += (list.empty() ? "" : ", ") + name;
    auto check = [names, list](std::string& text) {
        return FindName(names, text) < names.size() ? std::string() : text + ": not one of " + list;
    };
    return CLI::Validator(check, "");
}

CLI::Validator FiniteRange(double min, double max)
{
    std::ostringstream bounds;
    bounds << "from " << min << " to " << max;
    const std::string range = bounds.str();
    auto check = [min, max, range](std::string& text) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(value))
            return text + ": not a finite number";
        if (value < min || value > max)
            return text + ": not " + range;
        return std::string();
    };
    return CLI::Validator(check, "");
}
