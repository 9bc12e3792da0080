#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <utility>
#include <vector>

// Option helpers shared by the command-line programs.

// A check that accepts one of names in any letter case; its error lists them.
CLI::Validator NamedChoiceCheck(const std::vector<std::string>& names);
// The place of text among names in any letter case; names.size() when absent.
size_t FindName(const std::vector<std::string>& names, const std::string& text);

// An option that takes one of the names of choices and stores its value.
// Only the names are accepted (never the values behind them), and help and
// errors show them as they are written here.
template <class T>
CLI::Option* AddNamedChoice(CLI::App& app, const std::string& name, T& target,
                            const std::vector<std::pair<std::string, T>>& choices, const std::string& help)
{
    std::vector<std::string> names;
    for (const auto& choice : choices)
        names.push_back(choice.first);
    auto store = [&target, choices, names](const std::string& text) { target = choices[FindName(names, text)].second; };
    return app.add_option_function<std::string>(name, store, help)->check(NamedChoiceCheck(names));
}

// A check for a finite number from min to max: CLI11's range lets a NaN
// through, which no conversion to an integer survives.
CLI::Validator FiniteRange(double min, double max);
