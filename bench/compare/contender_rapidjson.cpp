// RapidJSON: Document::Parse with the default flags (DOM), Writer into a StringBuffer.
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "bench/compare/contender.h"

namespace orvane::compare {

namespace {

class RapidJsonContender final : public Contender {
public:
    const char* name() const override { return "RapidJSON"; }
    Format format() const override { return Format::Json; }

    bool load(const std::string& text, std::string& error) override {
        document_ = std::make_unique<rapidjson::Document>();
        document_->Parse(text.data(), text.size());
        if (!document_->HasParseError()) return true;
        error = "offset " + std::to_string(document_->GetErrorOffset()) + ": " +
                rapidjson::GetParseError_En(document_->GetParseError());
        return false;
    }

    std::size_t print() override {
        output_ = std::make_unique<rapidjson::StringBuffer>();
        rapidjson::Writer<rapidjson::StringBuffer> writer(*output_);
        document_->Accept(writer);
        return output_->GetSize();
    }

    std::size_t count(Shape shape) const override {
        const rapidjson::Value& root = *document_;
        if (!root.IsObject()) return 0;
        switch (shape) {
            case Shape::Records: {
                const auto records = root.FindMember("records");
                return records != root.MemberEnd() && records->value.IsArray() ? records->value.Size() : 0;
            }
            case Shape::Flat: return root.MemberCount();
            case Shape::Deep: {
                std::size_t levels = 0;
                for (auto entry = root.MemberBegin(); entry != root.MemberEnd(); ++entry) {
                    for (const rapidjson::Value* level = &entry->value; level && level->IsObject();) {
                        ++levels;
                        const auto next = level->FindMember("next");
                        level = next != level->MemberEnd() ? &next->value : nullptr;
                    }
                }
                return levels;
            }
        }
        return 0;
    }

    void dropOutput() override { output_.reset(); }

    void release() override {
        document_.reset();
        dropOutput();
    }

private:
    std::unique_ptr<rapidjson::Document> document_;
    std::unique_ptr<rapidjson::StringBuffer> output_;
};

}  // namespace

std::unique_ptr<Contender> makeRapidJson() { return std::make_unique<RapidJsonContender>(); }

}  // namespace orvane::compare
