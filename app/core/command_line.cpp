#include "app/core/command_line.h"

#include "engine/textfmt.h"

TCommandLine::TCommandLine(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) params_.emplace_back(argv[i]);
}

std::string TCommandLine::GetParaValue(const std::string& name) const {
    if (name.empty()) return {};
    const std::string lname = LowerCase(name);
    for (std::size_t i = 0; i < params_.size() && i < 100; ++i) {
        const std::string& p = params_[i];
        if (p.empty()) break;
        if (LowerCase(p).rfind(lname, 0) == 0) return p.substr(name.size(), 255);
    }
    return {};
}

bool TCommandLine::IsYes(const std::string& name) const {
    return LowerCase(GetParaValue(name)) == "yes";
}

std::vector<std::pair<std::string, std::string>> TCommandLine::UnclearFlags() const {
    std::vector<std::pair<std::string, std::string>> unclear;
    for (const char* name : {"-auto:", "-update:", "-hide:"}) {
        const std::string value = GetParaValue(name);
        const std::string lower = LowerCase(value);
        if (!value.empty() && lower != "yes" && lower != "no") unclear.emplace_back(name, value);
    }
    return unclear;
}
