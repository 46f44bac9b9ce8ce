#pragma once
// Argument handling shared by the quillon-cli commands.

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quillon::cli {

// Thrown by a command: main prints the message on stderr and exits with status 1.
struct Failure {
    std::string message;
};

// Arguments after the command: positionals and --options (with or without a value).
class Args {
  public:
    Args(std::vector<std::string> args, std::vector<std::string> flags)
        : args_(std::move(args)), flags_(std::move(flags)) {
        for (size_t i = 0; i < args_.size(); ++i) {
            const std::string& a = args_[i];
            if (a.rfind("--", 0) == 0) {
                if (IsFlag(a)) {
                    options_.emplace_back(a, std::nullopt);
                } else {
                    if (i + 1 >= args_.size()) throw Failure{"missing value for " + a};
                    options_.emplace_back(a, args_[++i]);
                }
            } else {
                positionals_.push_back(a);
            }
        }
    }
    void Allow(std::initializer_list<const char*> names) const {
        for (const auto& [name, value] : options_) {
            bool ok = false;
            for (const char* n : names)
                ok |= name == n;
            if (!ok) throw Failure{"unknown option " + name};
        }
    }
    bool Has(const std::string& name) const {
        for (const auto& o : options_)
            if (o.first == name) return true;
        return false;
    }
    std::optional<std::string> Value(const std::string& name) const {
        for (const auto& o : options_)
            if (o.first == name) return o.second;
        return std::nullopt;
    }
    const std::vector<std::string>& positionals() const { return positionals_; }

  private:
    bool IsFlag(const std::string& a) const {
        for (const auto& f : flags_)
            if (f == a) return true;
        return false;
    }
    std::vector<std::string> args_, flags_, positionals_;
    std::vector<std::pair<std::string, std::optional<std::string>>> options_;
};

inline long long ParseInteger(const std::string& text, const std::string& what) {
    long long v = 0;
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, v);
    if (r.ec != std::errc() || r.ptr != end) throw Failure{"bad " + what + ": " + text};
    return v;
}

inline int ParseInt32(const std::string& text, const std::string& what) {
    const long long v = ParseInteger(text, what);
    if (v < INT32_MIN || v > INT32_MAX) throw Failure{what + " out of range: " + text};
    return static_cast<int>(v);
}

inline double ParseDouble(const std::string& text, const std::string& what) {
    try {
        size_t used = 0;
        const double v = std::stod(text, &used);
        if (used != text.size()) throw Failure{"bad " + what + ": " + text};
        return v;
    } catch (const std::logic_error&) {
        throw Failure{"bad " + what + ": " + text};
    }
}

}  // namespace quillon::cli
