// Ours among the contenders, with access to its tree for the exact comparison with the neutral data.
#pragma once

#include <memory>
#include <string>

#include "bench/compare/contender.h"
#include "config/config_parser.h"
#include "value/value.h"

namespace orvane::compare {

class OrvaneContender final : public Contender {
public:
    const char* name() const override { return "orvane"; }
    Format format() const override { return Format::Orvane; }
    bool load(const std::string& text, std::string& error) override;
    std::size_t print() override;
    std::size_t count(Shape shape) const override;
    void dropOutput() override;
    void release() override;

    const Value& tree() const;
    const std::string& output() const { return output_; }

private:
    std::unique_ptr<config::ConfigParser> parser_;
    std::string output_;
};

// The neutral tree as a Value: Maps become Hashes, Lists Vectors, strings narrow strings.
Value toValue(const Node& node);

// Empty when `tree` equals `expected` (Value::compare); otherwise where they first differ.
std::string difference(const Value& tree, const Value& expected);

}  // namespace orvane::compare
