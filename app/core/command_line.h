// Command-line switches of the program ("-auto:yes", "-report:plan.txt", ...).
#pragma once

#include <string>
#include <utility>
#include <vector>

class TCommandLine {
public:
    TCommandLine() = default;
    // Arguments without the program name.
    explicit TCommandLine(std::vector<std::string> Params) : params_(std::move(Params)) {}
    TCommandLine(int argc, char** argv);

    // The value of switch Name: the rest of the first of the first 100
    // parameters (up to the first empty one) that starts with Name, compared
    // lower-cased, in the letter case the user typed, at most 255 characters.
    // Empty when Name is empty or no parameter matches.
    std::string GetParaValue(const std::string& Name) const;

    // True when a first parameter is given (switches are read only then).
    bool HasParameters() const { return !params_.empty() && !params_[0].empty(); }

    // The value of a switch lower-cased equals "yes".
    bool IsYes(const std::string& Name) const;

    // The flags "-auto:", "-update:" and "-hide:", in that order, that are
    // given a value other than "yes" or "no" (compared lower-cased; an empty
    // value is no value given): each as its name and the value as typed.
    std::vector<std::pair<std::string, std::string>> UnclearFlags() const;

private:
    std::vector<std::string> params_;
};
