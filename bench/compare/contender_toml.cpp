// toml++: toml::parse, operator<< into an ostringstream.
#include <toml++/toml.h>

#include <sstream>

#include "bench/compare/contender.h"

namespace orvane::compare {

namespace {

class TomlContender final : public Contender {
public:
    const char* name() const override { return "toml++"; }
    Format format() const override { return Format::Toml; }

    bool load(const std::string& text, std::string& error) override {
        try {
            root_ = std::make_unique<toml::table>(toml::parse(std::string_view(text)));
            return true;
        } catch (const toml::parse_error& e) {
            error = "line " + std::to_string(e.source().begin.line) + ": " + std::string(e.description());
        } catch (const std::exception& e) {
            error = e.what();
        }
        return false;
    }

    std::size_t print() override {
        std::ostringstream stream;
        stream << *root_;
        output_ = std::move(stream).str();
        return output_.size();
    }

    std::size_t count(Shape shape) const override {
        switch (shape) {
            case Shape::Records: {
                const toml::array* records = root_->get_as<toml::array>("records");
                return records ? records->size() : 0;
            }
            case Shape::Flat: return root_->size();
            case Shape::Deep: {
                std::size_t levels = 0;
                for (const auto& [key, entry] : *root_)
                    for (const toml::table* level = entry.as_table(); level; level = level->get_as<toml::table>("next"))
                        ++levels;
                return levels;
            }
        }
        return 0;
    }

    void dropOutput() override { std::string().swap(output_); }

    void release() override {
        root_.reset();
        dropOutput();
    }

private:
    std::unique_ptr<toml::table> root_;
    std::string output_;
};

}  // namespace

std::unique_ptr<Contender> makeTomlpp() { return std::make_unique<TomlContender>(); }

}  // namespace orvane::compare
