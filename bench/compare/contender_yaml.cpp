// yaml-cpp: YAML::Load, YAML::Emitter.
//
// Assigning one YAML::Node to another writes through to the node it refers to, so walks re-seat
// handles with reset() and the tree lives behind a pointer that release() can drop.
#include <yaml-cpp/yaml.h>

#include <utility>

#include "bench/compare/contender.h"

namespace orvane::compare {

namespace {

class YamlContender final : public Contender {
public:
    const char* name() const override { return "yaml-cpp"; }
    Format format() const override { return Format::Yaml; }

    bool load(const std::string& text, std::string& error) override {
        try {
            root_ = std::make_unique<YAML::Node>(YAML::Load(text));
            return true;
        } catch (const std::exception& e) {
            error = e.what();
        }
        return false;
    }

    std::size_t print() override {
        output_ = std::make_unique<YAML::Emitter>();
        *output_ << *root_;
        return output_->size();
    }

    std::size_t count(Shape shape) const override {
        const YAML::Node& root = *root_;
        switch (shape) {
            case Shape::Records: {
                const YAML::Node records = root["records"];  // invalid, not null, when absent
                return records && records.IsSequence() ? records.size() : 0;
            }
            case Shape::Flat: return root.IsMap() ? root.size() : 0;
            case Shape::Deep: {
                std::size_t levels = 0;
                for (const auto& entry : root) {
                    YAML::Node level = entry.second;
                    while (level.IsMap()) {
                        ++levels;
                        const YAML::Node next = std::as_const(level)["next"];
                        if (!next) break;
                        level.reset(next);
                    }
                }
                return levels;
            }
        }
        return 0;
    }

    void dropOutput() override { output_.reset(); }

    void release() override {
        root_.reset();
        dropOutput();
    }

private:
    std::unique_ptr<YAML::Node> root_;
    std::unique_ptr<YAML::Emitter> output_;
};

}  // namespace

std::unique_ptr<Contender> makeYamlCpp() { return std::make_unique<YamlContender>(); }

}  // namespace orvane::compare
