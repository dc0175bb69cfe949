// libconfig++: Config::readString, Config::write to a FILE* over an in-memory stream.
#include <libconfig.h++>

#include <cstdio>
#include <cstdlib>

#include "bench/compare/contender.h"

namespace orvane::compare {

namespace {

struct FreeDeleter {
    void operator()(char* block) const { std::free(block); }
};

class LibconfigContender final : public Contender {
public:
    const char* name() const override { return "libconfig++"; }
    Format format() const override { return Format::Libconfig; }

    bool load(const std::string& text, std::string& error) override {
        config_ = std::make_unique<libconfig::Config>();
        try {
            config_->readString(text);
            return true;
        } catch (const libconfig::ParseException& e) {
            error = "line " + std::to_string(e.getLine()) + ": " + e.getError();
        } catch (const std::exception& e) {
            error = e.what();
        }
        return false;
    }

    std::size_t print() override {
        char* buffer = nullptr;
        std::size_t size = 0;
        std::FILE* stream = open_memstream(&buffer, &size);
        if (!stream) return 0;
        config_->write(stream);
        std::fclose(stream);
        output_.reset(buffer);
        return size;
    }

    std::size_t count(Shape shape) const override {
        const libconfig::Setting& root = config_->getRoot();
        switch (shape) {
            case Shape::Records:
                return root.exists("records") ? static_cast<std::size_t>(root["records"].getLength()) : 0;
            case Shape::Flat: return static_cast<std::size_t>(root.getLength());
            case Shape::Deep: {
                std::size_t levels = 0;
                for (int i = 0; i < root.getLength(); ++i) {
                    const libconfig::Setting* level = &root[i];
                    for (;;) {
                        ++levels;
                        if (!level->isGroup() || !level->exists("next")) break;
                        level = &(*level)["next"];
                    }
                }
                return levels;
            }
        }
        return 0;
    }

    void dropOutput() override { output_.reset(); }

    void release() override {
        config_.reset();
        dropOutput();
    }

private:
    std::unique_ptr<libconfig::Config> config_;
    std::unique_ptr<char, FreeDeleter> output_;
};

}  // namespace

std::unique_ptr<Contender> makeLibconfig() { return std::make_unique<LibconfigContender>(); }

}  // namespace orvane::compare
