// nlohmann/json: json::parse, dump().
#include <nlohmann/json.hpp>

#include "bench/compare/contender.h"

namespace orvane::compare {

namespace {

using Json = nlohmann::json;

class NlohmannContender final : public Contender {
public:
    const char* name() const override { return "nlohmann/json"; }
    Format format() const override { return Format::Json; }

    bool load(const std::string& text, std::string& error) override {
        try {
            root_ = Json::parse(text);
            return true;
        } catch (const std::exception& e) {
            error = e.what();
        }
        return false;
    }

    std::size_t print() override {
        output_ = root_.dump();
        return output_.size();
    }

    std::size_t count(Shape shape) const override {
        if (!root_.is_object()) return 0;
        switch (shape) {
            case Shape::Records: {
                const auto records = root_.find("records");
                return records != root_.end() && records->is_array() ? records->size() : 0;
            }
            case Shape::Flat: return root_.size();
            case Shape::Deep: {
                std::size_t levels = 0;
                for (const Json& entry : root_) {
                    for (const Json* level = &entry; level && level->is_object();) {
                        ++levels;
                        const auto next = level->find("next");
                        level = next != level->end() ? &*next : nullptr;
                    }
                }
                return levels;
            }
        }
        return 0;
    }

    void dropOutput() override { std::string().swap(output_); }

    void release() override {
        root_ = Json();
        dropOutput();
    }

private:
    Json root_;
    std::string output_;
};

}  // namespace

std::unique_ptr<Contender> makeNlohmann() { return std::make_unique<NlohmannContender>(); }

}  // namespace orvane::compare
